// Runs one test of this test program in a fresh process with its own environment.
// For services that read their environment once per process (GIO's desktop-file and
// MIME caches, ALSA's configuration): the child starts clean, the parent's state is
// untouched. The test that runs in the child is named DISABLED_..., so that it runs
// only when asked for, and checks InChild() so that it never runs by accident.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace kex::testing_child {

inline constexpr const char* kMarker = "KEX_TEST_IN_CHILD";

inline bool InChild() { return std::getenv(kMarker) != nullptr; }

struct ChildResult {
    bool passed = false;
    std::string output;
};

// Runs the test `suite.name` in a child with the variables of `env` set (an empty
// value unsets the variable) and waits at most `limit`.
inline ChildResult RunTestInChild(const std::string& suiteDotName, std::map<std::string, std::string> env,
                                  std::chrono::seconds limit = std::chrono::seconds(60))
{
    ChildResult result;
    char exe[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) {
        result.output = "cannot find the test program";
        return result;
    }
    exe[n] = '\0';

    env[kMarker] = "1";
    std::vector<std::string> envStrings;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        if (!env.contains(name))
            envStrings.push_back(entry);
    }
    for (const auto& [name, value] : env)
        if (!value.empty())
            envStrings.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (std::string& s : envStrings)
        envp.push_back(s.data());
    envp.push_back(nullptr);

    std::string filter = "--gtest_filter=" + suiteDotName;
    std::string disabled = "--gtest_also_run_disabled_tests";
    char* argv[] = {exe, filter.data(), disabled.data(), nullptr};

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        result.output = "pipe failed";
        return result;
    }
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    ::posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
    pid_t pid = 0;
    const int rc = ::posix_spawn(&pid, exe, &actions, nullptr, argv, envp.data());
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (rc != 0) {
        ::close(pipeFds[0]);
        result.output = std::string("spawn failed: ") + std::strerror(rc);
        return result;
    }

    const auto deadline = std::chrono::steady_clock::now() + limit;
    bool timedOut = false;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            timedOut = true;
            break;
        }
        pollfd pfd{pipeFds[0], POLLIN, 0};
        if (::poll(&pfd, 1, int(left.count())) <= 0)
            continue;
        char buf[4096];
        const ssize_t got = ::read(pipeFds[0], buf, sizeof buf);
        if (got <= 0)
            break;
        result.output.append(buf, std::size_t(got));
    }
    ::close(pipeFds[0]);
    if (timedOut)
        ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (timedOut)
        result.output += "\n(child killed after the time limit)";
    result.passed = !timedOut && WIFEXITED(status) && WEXITSTATUS(status) == 0
                    && result.output.find("[  PASSED  ] 1 test.") != std::string::npos;
    return result;
}

} // namespace kex::testing_child
