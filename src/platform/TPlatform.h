// TPlatform: every operating-system service the bar calls. The Linux implementation
// is LinuxPlatform; tests use FakePlatform (tests/fakes).
#pragma once

#include <QDateTime>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>

#include "core/meters/MeterServices.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

#include "core/window/Startup.h"
#include "core/import/GroupSource.h"

namespace kex {

// GetSystemMetrics indices the geometry uses.
enum class MetricId { SM_CYMENU, SM_CYMENUSIZE };

// FindExecutable results: above 32 success; these are the failures.
inline constexpr int kFindFileNotFound = 2;
inline constexpr int kFindNoAssociation = 31;
inline constexpr int kFindOk = 42;

enum class ProcessState { Running, Ended, Unknown };

class SystemServices; // platform/SystemServices.h

struct StartResult {
    pid_t pid = 0;     // 0 when nothing was started
    std::string error; // why nothing was started
};

// Tells of the pointer's motion without asking the display where it is (nothing
// passes while the pointer rests). `moved` runs on the GUI thread at the first motion
// after Arm(); the watch then rests until it is armed again.
class PointerWatch {
public:
    virtual ~PointerWatch() = default;
    virtual void Arm() = 0;
};

class TPlatform {
public:
    virtual ~TPlatform() = default;

    // ---- start-up and window
    // The directory of the bar's data files, ending in "/": $KEXBAR_DIR, else the
    // executable's directory when writable, else $XDG_CONFIG_HOME/kexbar/ (created).
    virtual std::string AppDir() = 0;
    // The directory of the running program and the installed data directory, each
    // ending in "/" (empty when unknown): where the help file is looked for after AppDir.
    virtual std::string ProgramDirectory() = 0;
    virtual std::string DataDirectory() = 0;
    virtual QSize ScreenSize() = 0;
    // Every screen's available area on the desktop (without the desktop's panels and
    // docks), the primary first.
    virtual std::vector<QRect> ScreenGeometries() = 0;
    // SM_CYMENU 19 and SM_CYMENUSIZE 18, so that the bar's geometry holds.
    virtual int SystemMetric(MetricId metric) = 0;
    // The login name, else $USER, else empty.
    virtual std::string NetworkUserName() = 0;
    virtual QDateTime Now() = 0;
    virtual QPoint CursorPos() = 0;
    // A watch of the pointer's motion; none where the display offers none (the caller
    // asks for the pointer's place at intervals instead).
    virtual std::unique_ptr<PointerWatch> WatchPointer(std::function<void()> moved)
    {
        (void)moved;
        return nullptr;
    }

    // ---- cross-instance messages ("UKexbar" + suffix, "UKXForm" + suffix)
    // Posts to every running instance and kexbar-config's listeners, the sender
    // included; delivery is asynchronous (never inside this call).
    virtual void BroadcastMessage(const BarMessage& message) = 0;
    // Receives every broadcast message, also those of the older form without a
    // configuration; each instance acts on those for it (MessageAction).
    virtual void SetMessageHandler(std::function<void(const BarMessage& message)> handler) = 0;

    // ---- icons
    // Icon `index` of a file (.ico, Windows .exe/.dll, .png/.svg/.xpm/.bmp, .desktop,
    // a theme icon name, a Linux program through its desktop entry); null when none.
    virtual QImage ExtractIcon(const std::string& file, int index) = 0;
    // How many icons the file holds (ExtractIcon with index -1); 0 when none.
    virtual int IconCount(const std::string& file) = 0;

    // ---- programs
    // The program that opens `file`: the file itself when executable, else the
    // desktop's default application for its content type. Answers kFindOk,
    // kFindNoAssociation or kFindFileNotFound.
    virtual int FindExecutable(const std::string& file, std::string& program) = 0;
    // The command that opens `file` when the file's path is added at its end: the
    // file itself when executable; else the default application's Exec arguments
    // without field codes, its program resolved through PATH, inside a terminal
    // emulator when its desktop entry asks for one. Empty when nothing opens it.
    virtual std::vector<std::string> OpenCommand(const std::string& file) = 0;
    // argv run inside the user's terminal emulator ($TERMINAL, else the first one
    // installed, else x-terminal-emulator by name), its program resolved through PATH.
    virtual std::vector<std::string> TerminalCommand(const std::vector<std::string>& argv) = 0;
    // Starts argv[0] with argv in `workingDir` (the child's only; empty: inherit),
    // never through a shell.
    virtual StartResult StartProcess(const std::vector<std::string>& argv, const std::string& workingDir) = 0;
    // Whether a started process still runs; reaps it when it has ended.
    virtual ProcessState PollProcess(pid_t pid) = 0;
    // Reaps every ended child, watched or not, so no zombie remains.
    virtual void ReapChildren() = 0;

    // ---- sounds
    // Plays a sound file and returns when it has ended; a missing file or no sound
    // device plays nothing and returns at once.
    virtual void PlaySoundSync(const std::string& file) = 0;
    virtual void PlaySoundAsync(const std::string& file) = 0;
    // The desktop's warning sound.
    virtual void Beep() = 0;

    // ---- drives
    virtual bool CdRomFound() = 0;

    // ---- the CD tray, the screen saver, shutting down and restarting
    virtual SystemServices& System() = 0;
    // ---- the gauge panel's meters; each service lives as long as the platform
    // The mounted volumes and their space (statvfs never blocks the caller for long).
    virtual VolumeService& Drives() = 0;
    // The kernel's memory figures.
    virtual MemoryService& Memory() = 0;
    // The playback volume of the mixer devices 5, 0 and 2.
    virtual MixerService& Mixer() = 0;
    // ---- the desktop's program groups (the first start's import)
    virtual GroupSource& ProgramGroups() = 0;
};

} // namespace kex
