// Real processes: argv and working directory arrive as given, the end of a process is
// seen, every started process is reaped, and failed starts are reported.
#include "platform/TempDir.h"
#include "platform/LinuxPlatform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace kex;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::string ReadAll(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteScript(const fs::path& file, const std::string& body, bool executable = true)
{
    std::ofstream(file) << "#!/bin/sh\n" << body;
    ::chmod(file.c_str(), executable ? 0755 : 0644);
}

// Waits for a process started here to end, polling every 10 ms; false after 30 s (a
// hang, not a slow machine).
bool WaitForEnd(LinuxPlatform& platform, pid_t pid)
{
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (std::chrono::steady_clock::now() < deadline) {
        if (platform.PollProcess(pid) == ProcessState::Ended)
            return true;
        std::this_thread::sleep_for(10ms);
    }
    return false;
}

// The state letter of /proc/<pid>/stat ('Z' zombie), or 0 when the process is gone.
char ProcState(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(in, line))
        return 0;
    const size_t paren = line.rfind(')');
    return paren != std::string::npos && paren + 2 < line.size() ? line[paren + 2] : 0;
}

TEST(ProcessesTest, ArgumentsAndWorkingDirectoryArriveExactly)
{
    TempDir tmp;
    const fs::path out = tmp.path() / "out";
    fs::create_directory(out);
    const fs::path work = tmp.path() / "work dir 'x'";
    fs::create_directory(work);
    const fs::path script = tmp.path() / "dump args.sh";
    WriteScript(script, "printf '%s\\0' \"$@\" > \"" + (out / "argv").string()
                            + "\"\n"
                              "pwd > \""
                            + (out / "cwd").string()
                            + "\"\n"
                              "ls /proc/$$/fd > \""
                            + (out / "fds").string()
                            + "\"\n"
                              "readlink /proc/$$/fd/0 > \""
                            + (out / "stdin").string() + "\"\n");
    // A descriptor of the launcher without close-on-exec must not reach the child.
    const int leaked = ::dup2(::open("/dev/null", O_RDONLY), 57);
    ASSERT_EQ(leaked, 57);

    const std::vector<std::string> argv = {script.string(), "plain", "with blank",  "it's \"quoted\"",
                                           "$HOME",         "",      "back\\slash", "*"};
    const fs::path before = fs::current_path();
    LinuxPlatform platform;
    StartResult started = platform.StartProcess(argv, work.string());
    ASSERT_GT(started.pid, 0) << started.error;
    EXPECT_EQ(started.error, "");
    EXPECT_EQ(fs::current_path(), before);
    ASSERT_TRUE(WaitForEnd(platform, started.pid));
    ::close(leaked);

    std::string expected;
    for (size_t i = 1; i < argv.size(); ++i)
        expected += argv[i] + '\0';
    EXPECT_EQ(ReadAll(out / "argv"), expected);
    EXPECT_EQ(ReadAll(out / "cwd"), work.string() + "\n");
    EXPECT_EQ(ReadAll(out / "stdin"), "/dev/null\n");
    // The shell running the script holds 0, 1, 2 and its own script descriptor, none
    // of the test process's.
    std::istringstream fds(ReadAll(out / "fds"));
    std::vector<int> listed;
    for (int fd; fds >> fd;)
        listed.push_back(fd);
    EXPECT_LE(listed.size(), 5u) << ReadAll(out / "fds");
    EXPECT_EQ(std::count(listed.begin(), listed.end(), 57), 0) << ReadAll(out / "fds");
}

TEST(ProcessesTest, ProgramFromPathAndUnusableWorkingDirectory)
{
    TempDir tmp;
    const fs::path marker = tmp.path() / "marker";
    const fs::path before = fs::current_path();
    LinuxPlatform platform;
    // No "/" in the program: found through PATH. A working directory that does not
    // exist is ignored: the child starts in the bar's own directory.
    StartResult started =
        platform.StartProcess({"sh", "-c", "pwd > \"$0\"", marker.string()}, (tmp.path() / "missing").string());
    ASSERT_GT(started.pid, 0) << started.error;
    ASSERT_TRUE(WaitForEnd(platform, started.pid));
    EXPECT_EQ(ReadAll(marker), before.string() + "\n");
}

TEST(ProcessesTest, PollSeesRunningThenEndedThenUnknown)
{
    LinuxPlatform platform;
    StartResult started = platform.StartProcess({"/bin/sleep", "0.3"}, "");
    ASSERT_GT(started.pid, 0) << started.error;
    EXPECT_EQ(platform.PollProcess(started.pid), ProcessState::Running);
    ASSERT_TRUE(WaitForEnd(platform, started.pid));
    EXPECT_EQ(ProcState(started.pid), 0) << "reaped, not a zombie";
    EXPECT_EQ(platform.PollProcess(started.pid), ProcessState::Unknown);
    EXPECT_EQ(platform.PollProcess(0), ProcessState::Unknown);
    EXPECT_EQ(platform.PollProcess(::getpid()), ProcessState::Unknown);
}

TEST(ProcessesTest, ShortLivedProcessEndIsSeen)
{
    LinuxPlatform platform;
    StartResult started = platform.StartProcess({"/bin/true"}, "");
    ASSERT_GT(started.pid, 0) << started.error;
    ASSERT_TRUE(WaitForEnd(platform, started.pid));
    EXPECT_EQ(ProcState(started.pid), 0) << "reaped, not a zombie";
}

TEST(ProcessesTest, ReapChildrenLeavesNoZombieAndKeepsTheWatchedEnd)
{
    LinuxPlatform platform;
    std::vector<pid_t> pids;
    for (int i = 0; i < 50; ++i) {
        StartResult started = platform.StartProcess({"/bin/true"}, "");
        ASSERT_GT(started.pid, 0) << started.error;
        pids.push_back(started.pid);
    }
    // Wait until all of them have ended (zombies now), so the reaping has work to do.
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    auto allEnded = [&] {
        for (pid_t pid : pids)
            if (ProcState(pid) != 'Z')
                return false;
        return true;
    };
    while (!allEnded() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(allEnded());

    platform.ReapChildren();
    for (pid_t pid : pids) {
        EXPECT_EQ(ProcState(pid), 0) << pid;
        EXPECT_EQ(::waitpid(pid, nullptr, WNOHANG), -1);
        EXPECT_EQ(errno, ECHILD);
    }
    // The watch asking afterwards still learns that its process ended, once.
    EXPECT_EQ(platform.PollProcess(pids.back()), ProcessState::Ended);
    EXPECT_EQ(platform.PollProcess(pids.back()), ProcessState::Unknown);
}

TEST(ProcessesTest, MissingAndNonExecutableProgramsAreReported)
{
    TempDir tmp;
    const fs::path plain = tmp.path() / "not executable.sh";
    WriteScript(plain, "exit 0\n", false);
    struct Case {
        std::vector<std::string> argv;
        std::string mentions;
    };
    const Case cases[] = {
        {{(tmp.path() / "missing").string()}, "No such file"},
        {{plain.string(), "arg"}, "Permission denied"},
        {{"kexbar-no-such-program-on-path"}, "No such file"},
        {{tmp.path().string()}, "Permission denied"},
        {{}, "No program"},
        {{""}, "No program"},
    };
    LinuxPlatform platform;
    for (const Case& c : cases) {
        StartResult result = platform.StartProcess(c.argv, tmp.path().string());
        EXPECT_EQ(result.pid, 0);
        EXPECT_NE(result.error.find(c.mentions), std::string::npos) << result.error;
        // The reason alone: the bar names the program when it tells the user.
        if (!c.argv.empty() && !c.argv[0].empty()) {
            EXPECT_EQ(result.error.find(c.argv[0]), std::string::npos) << result.error;
        }
    }
}

} // namespace
