// Started programs: posix_spawn without a shell, the end of a started process, and
// the reaping of every process the bar started.
//
// The child gets the bar's environment, stdin from /dev/null, the bar's stdout and
// stderr, and no other descriptor (a closefrom file action closes everything from 3
// on, whatever libraries forgot to mark close-on-exec). It runs in a session of its
// own, so that a terminal's hang-up or Ctrl+C aimed at the bar does not reach the
// programs it launched, with default signal dispositions and an empty signal mask.
//
// Reaping: only processes started here are waited for, by their pid, never with
// waitpid(-1): other parts of the program (QProcess, GLib child watches) reap their
// own children and must not lose an exit status to us. A started process that
// ReapChildren reaps is remembered as ended, so that PollProcess still reports its
// end once when the watch asks later.
#include "platform/LinuxPlatform.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace kex {

namespace {

// Ended processes that ReapChildren reaped before anyone polled them; the oldest are
// forgotten beyond this many (each launch that nobody watches leaves one).
constexpr std::size_t kRememberedEnds = 256;

class ChildTable {
public:
    void Started(pid_t pid)
    {
        std::lock_guard lock(mutex_);
        running_.insert(pid);
        // A reused pid must not report the end of its predecessor.
        std::erase(ended_, pid);
    }

    ProcessState Poll(pid_t pid)
    {
        if (pid <= 0)
            return ProcessState::Unknown;
        std::lock_guard lock(mutex_);
        if (auto it = std::find(ended_.begin(), ended_.end(), pid); it != ended_.end()) {
            ended_.erase(it);
            return ProcessState::Ended;
        }
        if (!running_.contains(pid))
            return ProcessState::Unknown; // not started here, or its end was reported
        int status = 0;
        pid_t r;
        do
            r = ::waitpid(pid, &status, WNOHANG);
        while (r < 0 && errno == EINTR);
        if (r == 0)
            return ProcessState::Running;
        running_.erase(pid);
        return r == pid ? ProcessState::Ended : ProcessState::Unknown;
    }

    void ReapAll()
    {
        std::lock_guard lock(mutex_);
        for (auto it = running_.begin(); it != running_.end();) {
            int status = 0;
            pid_t r;
            do
                r = ::waitpid(*it, &status, WNOHANG);
            while (r < 0 && errno == EINTR);
            if (r == 0) {
                ++it;
                continue;
            }
            if (r == *it) {
                ended_.push_back(*it);
                if (ended_.size() > kRememberedEnds)
                    ended_.pop_front();
            }
            // r < 0: no longer our child (someone else reaped it); forget it.
            it = running_.erase(it);
        }
    }

private:
    std::mutex mutex_;
    std::set<pid_t> running_;
    std::deque<pid_t> ended_;
};

ChildTable& Children()
{
    static ChildTable table;
    return table;
}

bool UsableDirectory(const std::string& dir)
{
    struct stat st {};
    return ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && ::access(dir.c_str(), X_OK) == 0;
}

// Owns the spawn attributes and file actions for one start.
class SpawnSetup {
public:
    SpawnSetup()
    {
        ::posix_spawnattr_init(&attr_);
        ::posix_spawn_file_actions_init(&actions_);
    }
    ~SpawnSetup()
    {
        ::posix_spawn_file_actions_destroy(&actions_);
        ::posix_spawnattr_destroy(&attr_);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    int Prepare(const std::string& workingDir)
    {
        sigset_t none, all;
        sigemptyset(&none);
        sigfillset(&all);
        short flags = POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
        int rc = ::posix_spawnattr_setflags(&attr_, flags);
        if (rc == 0)
            rc = ::posix_spawnattr_setsigmask(&attr_, &none);
        if (rc == 0)
            rc = ::posix_spawnattr_setsigdefault(&attr_, &all);
        if (rc == 0)
            rc = ::posix_spawn_file_actions_addopen(&actions_, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        if (rc == 0)
            rc = ::posix_spawn_file_actions_addclosefrom_np(&actions_, STDERR_FILENO + 1);
        if (rc == 0 && !workingDir.empty())
            rc = ::posix_spawn_file_actions_addchdir_np(&actions_, workingDir.c_str());
        return rc;
    }

    int Spawn(pid_t* pid, const std::vector<std::string>& argv)
    {
        std::vector<char*> args;
        args.reserve(argv.size() + 1);
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        const bool searchPath = argv[0].find('/') == std::string::npos;
        return searchPath ? ::posix_spawnp(pid, args[0], &actions_, &attr_, args.data(), environ)
                          : ::posix_spawn(pid, args[0], &actions_, &attr_, args.data(), environ);
    }

private:
    posix_spawnattr_t attr_;
    posix_spawn_file_actions_t actions_;
};

} // namespace

StartResult LinuxPlatform::StartProcess(const std::vector<std::string>& argv, const std::string& workingDir)
{
    StartResult result;
    if (argv.empty() || argv[0].empty()) {
        result.error = "No program to start";
        return result;
    }

    // A working directory that cannot be entered is ignored: the program then starts
    // in the bar's own current directory.
    std::string dir = workingDir;
    if (!dir.empty() && !UsableDirectory(dir))
        dir.clear();

    int rc;
    pid_t pid = 0;
    {
        SpawnSetup setup;
        rc = setup.Prepare(dir);
        if (rc == 0)
            rc = setup.Spawn(&pid, argv);
    }
    if (rc != 0 && !dir.empty() && !UsableDirectory(dir)) {
        // The directory went away between the check and the start: start without it.
        SpawnSetup setup;
        rc = setup.Prepare({});
        if (rc == 0)
            rc = setup.Spawn(&pid, argv);
    }

    if (rc != 0) {
        result.error = std::strerror(rc); // the caller names the program
        return result;
    }
    Children().Started(pid);
    result.pid = pid;
    return result;
}

ProcessState LinuxPlatform::PollProcess(pid_t pid) { return Children().Poll(pid); }

void LinuxPlatform::ReapChildren() { Children().ReapAll(); }

} // namespace kex
