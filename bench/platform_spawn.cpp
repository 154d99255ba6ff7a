// How long a launch takes from the call to StartProcess to the started program.
//   StartProcess_True:       StartProcess's own duration (posix_spawn returns once the
//                            child has exec'd, so this is the time until the exec).
//   StartProcess_UntilOutput: until a tiny child (/bin/echo) has written a byte to a
//                            pipe, i.e. the program is loaded and running.
// Target: median under 5 ms for both.
#include "BenchMain.h"
#include "platform/LinuxPlatform.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace kex;

namespace {

// The median of the single launches, as a counter beside the mean.
void ReportMedian(benchmark::State& state, std::vector<double>& seconds)
{
    if (seconds.empty())
        return;
    std::sort(seconds.begin(), seconds.end());
    state.counters["median_ms"] = seconds[seconds.size() / 2] * 1000.0;
    state.counters["max_ms"] = seconds.back() * 1000.0;
}

void WaitForEnd(LinuxPlatform& platform, pid_t pid)
{
    while (platform.PollProcess(pid) == ProcessState::Running)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
}

void StartProcess_True(benchmark::State& state)
{
    LinuxPlatform platform;
    std::vector<double> times;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        StartResult started = platform.StartProcess({"/bin/true"}, "/tmp");
        const auto t1 = std::chrono::steady_clock::now();
        if (started.pid == 0) {
            state.SkipWithError(started.error.c_str());
            break;
        }
        times.push_back(std::chrono::duration<double>(t1 - t0).count());
        state.SetIterationTime(times.back());
        WaitForEnd(platform, started.pid);
    }
    ReportMedian(state, times);
}
BENCHMARK(StartProcess_True)->UseManualTime()->Unit(benchmark::kMicrosecond);

void StartProcess_UntilOutput(benchmark::State& state)
{
    LinuxPlatform platform;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        state.SkipWithError("pipe");
        return;
    }
    const int savedStdout = ::dup(STDOUT_FILENO);
    std::vector<double> times;
    for (auto _ : state) {
        // The child inherits the launcher's stdout: point it at the pipe for this start.
        const auto t0 = std::chrono::steady_clock::now();
        ::dup2(fds[1], STDOUT_FILENO);
        StartResult started = platform.StartProcess({"/bin/echo", "x"}, "/tmp");
        ::dup2(savedStdout, STDOUT_FILENO);
        if (started.pid == 0) {
            state.SkipWithError(started.error.c_str());
            break;
        }
        pollfd pfd{fds[0], POLLIN, 0};
        ::poll(&pfd, 1, 5000);
        const auto t1 = std::chrono::steady_clock::now();
        char buf[16];
        if (::read(fds[0], buf, sizeof buf) <= 0) {
            state.SkipWithError("no output from the child");
            break;
        }
        times.push_back(std::chrono::duration<double>(t1 - t0).count());
        state.SetIterationTime(times.back());
        WaitForEnd(platform, started.pid);
    }
    ReportMedian(state, times);
    ::close(savedStdout);
    ::close(fds[0]);
    ::close(fds[1]);
}
BENCHMARK(StartProcess_UntilOutput)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) { return kex::RunBenchmarks<QCoreApplication>(argc, argv); }
