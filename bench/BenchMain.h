// The main of a benchmark program: the Qt application its benchmarks need, then Google
// Benchmark's run. A widget or GUI application draws offscreen unless a platform is set;
// a widget application, a bar, runs without the session bus, so that its messages stay
// inside the process.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <functional>
#include <type_traits>

// The application classes are the program's own includes.
class QApplication;
class QCoreApplication;

namespace kex {

// `beforeRun` is called once the application and the benchmark library stand,
// `afterRun` once the benchmarks have run, while the application still stands.
template <class App>
int RunBenchmarks(int argc, char** argv, const std::function<void()>& beforeRun = {},
                  const std::function<void()>& afterRun = {})
{
    if constexpr (!std::is_same_v<App, QCoreApplication>)
        if (!std::getenv("QT_QPA_PLATFORM"))
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if constexpr (std::is_same_v<App, QApplication>)
        ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    App app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    if (beforeRun)
        beforeRun();
    benchmark::RunSpecifiedBenchmarks();
    if (afterRun)
        afterRun();
    benchmark::Shutdown();
    return 0;
}

} // namespace kex
