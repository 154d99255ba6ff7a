// A TPlatform for tests: a settable screen and clock, a process table, a record of
// sounds played, an in-process message bus, the system services' fake and the
// meters' fakes (FakeMeters.h).
#pragma once

#include <QCoreApplication>
#include <QTimer>

#include <functional>
#include <map>
#include <utility>

#include "FakeSystemServices.h"

#include "fakes/FakeMeters.h"
#include "platform/TPlatform.h"

#include "FakeGroupSource.h"

namespace kex {

class FakePlatform : public TPlatform {
public:
    std::string appDir;
    std::string programDir, dataDir;
    QSize screen{1024, 768};
    std::string userName = "tester";
    QDateTime now = QDateTime(QDate(2026, 12, 7), QTime(10, 30, 0));
    QPoint cursor;
    bool cdRom = false;
    FakeSystemServices system;

    struct Started {
        std::vector<std::string> argv;
        std::string workingDir;
        pid_t pid;
    };
    std::vector<Started> started;
    std::map<pid_t, ProcessState> processes;
    std::string startError; // when set, StartProcess fails with it
    int reaps = 0;
    std::vector<std::string> soundsSync, soundsAsync;
    int beeps = 0;
    std::vector<std::pair<std::string, int>> broadcasts; // name and wParam of each message sent
    std::vector<std::string> broadcastConfigurations;    // and the configuration it is about
    std::map<std::string, int> findResults;              // file → FindExecutable result
    std::map<std::string, std::string> findPrograms;     // file → program
    std::map<std::pair<std::string, int>, QImage> icons;
    std::map<std::string, int> iconCounts;

    std::string AppDir() override { return appDir; }
    std::string ProgramDirectory() override { return programDir; }
    std::string DataDirectory() override { return dataDir; }
    QSize ScreenSize() override { return screen; }
    std::vector<QRect> screens; // the primary first; none: one screen of `screen`'s size
    std::vector<QRect> ScreenGeometries() override
    {
        return screens.empty() ? std::vector<QRect>{QRect(QPoint(0, 0), screen)} : screens;
    }
    int SystemMetric(MetricId m) override { return m == MetricId::SM_CYMENU ? 19 : 18; }
    std::string NetworkUserName() override { return userName; }
    QDateTime Now() override { return now; }
    QPoint CursorPos() override { return cursor; }

    void BroadcastMessage(const BarMessage& message) override
    {
        broadcasts.emplace_back(message.name, message.wParam);
        broadcastConfigurations.push_back(message.configuration);
        QTimer::singleShot(0, &context, [this, message] {
            if (handler)
                handler(message);
        });
    }
    void SetMessageHandler(std::function<void(const BarMessage&)> h) override { handler = std::move(h); }

    QImage ExtractIcon(const std::string& file, int index) override
    {
        if (duringIconRead)
            std::exchange(duringIconRead, nullptr)();
        auto it = icons.find({file, index});
        return it == icons.end() ? QImage() : it->second;
    }
    int IconCount(const std::string& file) override
    {
        auto it = iconCounts.find(file);
        return it == iconCounts.end() ? 0 : it->second;
    }

    int FindExecutable(const std::string& file, std::string& program) override
    {
        auto r = findResults.find(file);
        int result = r == findResults.end() ? kFindOk : r->second;
        auto p = findPrograms.find(file);
        program = result > 32 ? (p == findPrograms.end() ? file : p->second) : std::string();
        return result;
    }
    std::map<std::string, std::vector<std::string>> openCommands; // file → OpenCommand, else FindExecutable's
    std::vector<std::string> OpenCommand(const std::string& file) override
    {
        if (auto it = openCommands.find(file); it != openCommands.end())
            return it->second;
        std::string program;
        if (FindExecutable(file, program) <= 32)
            return {};
        return {program};
    }
    std::vector<std::string> terminal = {"/usr/bin/x-terminal-emulator", "-e"}; // put before a terminal program
    std::vector<std::string> TerminalCommand(const std::vector<std::string>& argv) override
    {
        std::vector<std::string> command = terminal;
        command.insert(command.end(), argv.begin(), argv.end());
        return command;
    }
    StartResult StartProcess(const std::vector<std::string>& argv, const std::string& workingDir) override
    {
        StartResult r;
        if (!startError.empty()) {
            r.error = startError;
            return r;
        }
        r.pid = nextPid++;
        started.push_back({argv, workingDir, r.pid});
        processes[r.pid] = ProcessState::Running;
        return r;
    }
    ProcessState PollProcess(pid_t pid) override
    {
        auto it = processes.find(pid);
        return it == processes.end() ? ProcessState::Unknown : it->second;
    }
    void ReapChildren() override { ++reaps; }

    void PlaySoundSync(const std::string& file) override { soundsSync.push_back(file); }
    void PlaySoundAsync(const std::string& file) override { soundsAsync.push_back(file); }
    void Beep() override { ++beeps; }
    bool CdRomFound() override { return cdRom; }
    SystemServices& System() override { return system; }

    FakeDrives drives;
    FakeMemory memory;
    FakeMixer mixer;
    VolumeService* volumes = nullptr; // when set, stands in for `drives`
    VolumeService& Drives() override { return volumes ? *volumes : drives; }
    MemoryService& Memory() override { return memory; }
    MixerService& Mixer() override { return mixer; }

    FakeGroupSource programGroups;
    GroupSource& ProgramGroups() override { return programGroups; }

    std::function<void(const BarMessage&)> handler;
    // Runs once, at the next icon read (a load of the buttons is under way).
    std::function<void()> duringIconRead;
    QObject context; // pending deliveries die with the fake
    pid_t nextPid = 1000;
};

} // namespace kex
