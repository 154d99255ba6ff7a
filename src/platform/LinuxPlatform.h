// The Linux implementation of TPlatform. Its members are defined by service in
// src/platform/*.cpp (LinuxPlatform.cpp, MessageBus.cpp, Icons.cpp, Processes.cpp,
// Associations.cpp, Sound.cpp); the meters' services are objects of their own
// (Drives.h, Memory.h, Mixer.h), made at first use.
#pragma once

#include "platform/TPlatform.h"

#include <memory>

namespace kex {

class AlsaMixer;
class AppMenuSource;
class DBusMessageBus;
class LinuxDrives;
class LinuxMemory;
class SoundPlayer;
class SystemServices;

class LinuxPlatform : public TPlatform {
public:
    LinuxPlatform();
    ~LinuxPlatform() override;

    std::string AppDir() override;
    std::string ProgramDirectory() override;
    std::string DataDirectory() override;
    QSize ScreenSize() override;
    std::vector<QRect> ScreenGeometries() override;
    int SystemMetric(MetricId metric) override;
    std::string NetworkUserName() override;
    QDateTime Now() override;
    QPoint CursorPos() override;
    std::unique_ptr<PointerWatch> WatchPointer(std::function<void()> moved) override;

    void BroadcastMessage(const BarMessage& message) override;
    void SetMessageHandler(std::function<void(const BarMessage& message)> handler) override;

    QImage ExtractIcon(const std::string& file, int index) override;
    int IconCount(const std::string& file) override;

    int FindExecutable(const std::string& file, std::string& program) override;
    std::vector<std::string> OpenCommand(const std::string& file) override;
    std::vector<std::string> TerminalCommand(const std::vector<std::string>& argv) override;
    StartResult StartProcess(const std::vector<std::string>& argv, const std::string& workingDir) override;
    ProcessState PollProcess(pid_t pid) override;
    void ReapChildren() override;

    void PlaySoundSync(const std::string& file) override;
    void PlaySoundAsync(const std::string& file) override;
    void Beep() override;

    bool CdRomFound() override;

    SystemServices& System() override;
    VolumeService& Drives() override;
    MemoryService& Memory() override;
    MixerService& Mixer() override;
    // The application menu (AppMenu.h).
    GroupSource& ProgramGroups() override;

private:
    std::unique_ptr<DBusMessageBus> bus_;
    std::unique_ptr<LinuxDrives> drives_;
    std::unique_ptr<LinuxMemory> memory_;
    std::unique_ptr<AlsaMixer> mixer_;
    // Created on first use by the sound services (Sound.cpp).
    std::shared_ptr<SoundPlayer> sound_;
    // Created on first use (LinuxSystemServices).
    std::unique_ptr<SystemServices> system_;
    std::unique_ptr<AppMenuSource> menu_;
};

// AppDir resolution, separated so that tests can give every input.
// exeDir: the executable's directory; kexbarDir: $KEXBAR_DIR (may be empty);
// configHome: $XDG_CONFIG_HOME, else $HOME/.config. The result ends in "/".
// A missing kexbarDir is made when its parent exists; when it is no writable
// directory after that, the default is used and `notice` says so.
std::string ResolveAppDir(const std::string& exeDir, const std::string& kexbarDir, const std::string& configHome,
                          std::string* notice = nullptr);

} // namespace kex
