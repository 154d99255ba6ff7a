// A D-Bus daemon of the test's own, so that no test needs or disturbs the machine's
// buses: started on a socket in a temporary directory, stopped with the object.
#pragma once

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

namespace kex::testing_bus {

inline constexpr const char* kDaemon = "/usr/bin/dbus-daemon";

inline bool DaemonInstalled() { return std::filesystem::exists(kDaemon); }

// Starts argv[0] (a path) with the test's environment, output to /dev/null; -1 on failure.
inline pid_t SpawnQuiet(std::vector<std::string> args)
{
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    if (::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

inline void Stop(pid_t pid)
{
    if (pid <= 0)
        return;
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
}

class PrivateBus {
public:
    explicit PrivateBus(std::filesystem::path socket) : socket_(std::move(socket))
    {
        pid_ = SpawnQuiet({kDaemon, "--session", "--nofork", "--address=unix:path=" + socket_.string()});
        for (int i = 0; pid_ > 0 && i < 500 && !std::filesystem::exists(socket_); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ~PrivateBus() { Stop(pid_); }
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    bool Running() const { return pid_ > 0 && std::filesystem::exists(socket_); }
    std::string Address() const { return "unix:path=" + socket_.string(); }

private:
    std::filesystem::path socket_;
    pid_t pid_ = -1;
};

} // namespace kex::testing_bus
