// How long a click on a configured page button takes to start its program, measured
// from the click's handler (MainWindow::ButtonClick) on the real Linux platform.
//   ButtonClick_ToExec:        ButtonClick's own duration. The process is started with
//                              posix_spawn, which returns only once the child has
//                              exec'd, so this covers click → exec (plus the few
//                              steps after the start). Target: median under 5 ms.
//   ButtonClick_ToExec, output_median_ms: until the started program (/bin/echo) has
//                              written its first byte to a pipe, i.e. is running.
//   ButtonClick_SleepingChild: the handler with a program that sleeps 1 s; the click
//                              must return at once, not wait for the program.
#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <poll.h>
#include <signal.h>
#include <unistd.h>
#include <vector>

#include "BenchMain.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/window/MainWindow.h"
#include "WindowAccess.h"
#include "ui/widgets/SpeedButton.h"
#include "platform/LinuxPlatform.h"

using namespace kex;

namespace {

using Clock = std::chrono::steady_clock;

// Answers every question with "cancel" and counts them: a configured button asks none.
class ScriptedDialogs : public TDialogs {
public:
    int asked = 0;
    ModalResult MessageDlg(const std::string&, MessageType, unsigned, int) override
    {
        ++asked;
        return ModalResult::mrCancel;
    }
    void ShowMessage(const std::string&) override { ++asked; }
    void Notify(const std::string&) override { ++asked; }
    std::vector<std::string> OpenFiles(const OpenDialogOptions&) override
    {
        ++asked;
        return {};
    }
    std::optional<std::string> SelectDirectory(const std::string&, const std::string&, int) override
    {
        ++asked;
        return std::nullopt;
    }
    std::optional<QColor> ChooseColor(const QColor&, std::array<QColor, 16>&, int) override
    {
        ++asked;
        return std::nullopt;
    }
    QAction* Popup(QMenu*, const QPoint&) override
    {
        ++asked;
        return nullptr;
    }
    void SetHelpFile(const std::string&) override {}
    void ShowHelp(int) override {}
};

// A bar on a temporary configuration with two buttons: 1 runs "/bin/echo x", 2 runs
// "/bin/sleep 1".
struct Bar {
    QTemporaryDir dir;
    std::unique_ptr<LinuxPlatform> platform;
    ScriptedDialogs dialogs;
    std::unique_ptr<MainWindow> form;

    Bar()
    {
        const std::string appDir = dir.path().toStdString() + "/";
        ::setenv("KEXBAR_DIR", appDir.c_str(), 1);
        std::ofstream(appDir + "KX.INI") << "[Location]\nTop=100\n"
                                         << "[Programs]\nSpeedButton1=/bin/echo\nSpeedButton2=/bin/sleep\n"
                                         << "[Parameters]\nSpeedButton1=x\nSpeedButton2=1\n"
                                         << "[Names]\nSpeedButton1=Echo\nSpeedButton2=Sleep\n"
                                         << "[Icons]\nSpeedButton1=Default\nSpeedButton2=Default\n";
        platform = std::make_unique<LinuxPlatform>();
        form = std::make_unique<MainWindow>(*platform, dialogs, std::vector<std::string>{});
        form->show();
        QApplication::processEvents();
    }
    // Lets the launched-program watch see the end of the started program.
    bool WaitForWatch()
    {
        const auto until = Clock::now() + std::chrono::seconds(5);
        while (Launch(*form).WatchedPid() != 0 && Clock::now() < until) {
            QApplication::processEvents(QEventLoop::AllEvents, 5);
            ::usleep(500);
        }
        return Launch(*form).WatchedPid() == 0;
    }
};

void Report(benchmark::State& state, const char* name, std::vector<double>& seconds)
{
    if (seconds.empty())
        return;
    std::sort(seconds.begin(), seconds.end());
    state.counters[std::string(name) + "median_ms"] = seconds[seconds.size() / 2] * 1000.0;
    state.counters[std::string(name) + "max_ms"] = seconds.back() * 1000.0;
}

void ButtonClick_ToExec(benchmark::State& state)
{
    Bar bar;
    TSpeedButton* button = Pages(*bar.form).FindButton(1);
    int fds[2];
    if (!button || ::pipe2(fds, O_CLOEXEC) != 0) {
        state.SkipWithError("no button or no pipe");
        return;
    }
    const int savedStdout = ::dup(STDOUT_FILENO);
    std::vector<double> toExec, toOutput;
    for (auto _ : state) {
        // The child inherits the bar's stdout: point it at the pipe for this click.
        ::dup2(fds[1], STDOUT_FILENO);
        const auto t0 = Clock::now();
        button->click();
        const auto t1 = Clock::now();
        ::dup2(savedStdout, STDOUT_FILENO);
        pollfd pfd{fds[0], POLLIN, 0};
        const int ready = ::poll(&pfd, 1, 5000);
        const auto t2 = Clock::now();
        char buf[16];
        if (bar.dialogs.asked || ready != 1 || ::read(fds[0], buf, sizeof buf) <= 0) {
            state.SkipWithError("the click did not start the program");
            break;
        }
        toExec.push_back(std::chrono::duration<double>(t1 - t0).count());
        toOutput.push_back(std::chrono::duration<double>(t2 - t0).count());
        state.SetIterationTime(toExec.back());
        if (!bar.WaitForWatch()) {
            state.SkipWithError("the watch did not see the program end");
            break;
        }
    }
    Report(state, "", toExec);
    Report(state, "output_", toOutput);
    ::close(savedStdout);
    ::close(fds[0]);
    ::close(fds[1]);
}
BENCHMARK(ButtonClick_ToExec)->UseManualTime()->Unit(benchmark::kMicrosecond);

void ButtonClick_SleepingChild(benchmark::State& state)
{
    Bar bar;
    TSpeedButton* button = Pages(*bar.form).FindButton(2);
    if (!button) {
        state.SkipWithError("no button");
        return;
    }
    std::vector<double> times;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        button->click();
        const auto t1 = Clock::now();
        const pid_t pid = Launch(*bar.form).WatchedPid();
        if (bar.dialogs.asked || pid <= 0) {
            state.SkipWithError("the click did not start the program");
            break;
        }
        times.push_back(std::chrono::duration<double>(t1 - t0).count());
        state.SetIterationTime(times.back());
        // Not waiting the second out: end the sleeper this click started.
        ::kill(pid, SIGTERM);
        if (!bar.WaitForWatch()) {
            state.SkipWithError("the watch did not see the program end");
            break;
        }
    }
    Report(state, "", times);
}
BENCHMARK(ButtonClick_SleepingChild)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(50);

} // namespace

int main(int argc, char** argv) { return kex::RunBenchmarks<QApplication>(argc, argv); }
