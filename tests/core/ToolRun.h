// Runs the real kexbar-config program, as a user runs it.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "IniTestUtil.h"

extern char** environ;

namespace kex {

// The answer of a run that did not end by itself.
inline constexpr int kHung = -2;

struct ToolRun {
    int rc = -1;
    std::string out, err;
};

// Runs the real program with the arguments, its output caught in files of `dir`.
inline ToolRun RunTool(const testing::TempDir& dir, const std::vector<std::string>& args)
{
    const std::string outFile = dir.File(".out"), errFile = dir.File(".err");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::string> all = {KEXBAR_CONFIG_EXE};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    ToolRun r;
    pid_t pid = -1;
    int e = ::posix_spawn(&pid, KEXBAR_CONFIG_EXE, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (e != 0)
        return r;
    // A run that blocks is stopped after 20 s and answers kHung.
    int status = 0;
    for (int waited = 0; ::waitpid(pid, &status, WNOHANG) == 0; waited += 10) {
        if (waited >= 20000) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            r.rc = kHung;
            return r;
        }
        ::usleep(10000);
    }
    r.rc = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    r.out = testing::ReadBytes(outFile);
    r.err = testing::ReadBytes(errFile);
    ::unlink(outFile.c_str());
    ::unlink(errFile.c_str());
    return r;
}

} // namespace kex
