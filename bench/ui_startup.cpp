// Start-up of the bar: from the platform object to the main window shown and painted,
// with 10 pages of 16 configured buttons, every button with a Windows icon file of its
// own (16, 32 and 48 pixel images) and a two-line description. Target: 300 ms, and
// under 60 MB resident after the start (VmRSS of /proc/self/status).
// The real Linux platform on an offscreen display; the bar's files in a temporary
// directory (KEXBAR_DIR). "First" is the first window of the process (every cache of
// Qt and of the icon readers cold); "Again" starts further bars, each on files of its
// own so that no icon comes from a cache.
#include "../tests/core/IconFileBuilder.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <sys/stat.h>

#include "ui/dialogs/Dialogs.h"
#include "core/config/NewIniFile.h"
#include "core/config/Settings.h"
#include "ui/window/MainWindow.h"
#include "WindowAccess.h"
#include "core/pages/ButtonRecord.h"
#include "ui/widgets/SpeedButton.h"
#include "platform/LinuxPlatform.h"

namespace {

using namespace kex;

constexpr int kPages = 10;
constexpr int kPerPage = 16;

// The bar's directory: KX.INI, one .ico file and one program per button.
struct TBarFiles {
    QTemporaryDir dir;
    std::string root;

    TBarFiles()
    {
        root = dir.path().toStdString() + "/";
        ::mkdir((root + "icons").c_str(), 0755);
        ::mkdir((root + "bin").c_str(), 0755);
        ::mkdir((root + "data").c_str(), 0755);
        IniDocument doc = IniDocument::Parse("[Location]\nTop=100\nLeft=0\nButtonCount=16\nShowHint=Yes\n\n[Pages]\n"
                                             "Count="
                                             + std::to_string(kPages) + "\n\n[Tabs]\n");
        RecordStore store(doc);
        store.BeginBatch();
        for (int p = 1; p <= kPages; ++p) {
            doc.WriteString("Tabs", PageTabKey(p), "Group " + std::to_string(p));
            for (int i = 1; i <= kPerPage; ++i) {
                const int n = (p - 1) * kPerPage + i;
                const std::string s = std::to_string(n);
                const auto colour = [n](int shift) { return 0xFF000000u | (std::uint32_t(n * 2654435761u) >> shift); };
                const testicons::Bytes ico =
                    testicons::BuildIco({testicons::SolidImage(16, colour(8)), testicons::SolidImage(32, colour(9)),
                                         testicons::SolidImage(48, colour(10))});
                ButtonRecord r;
                r.Program = root + "bin/program-" + s;
                r.IconFile = root + "icons/program-" + s + ".ico";
                r.IconIndex = 0;
                r.Description = "Program number " + s + "~second line";
                r.Parameters = n % 3 ? "" : "--option " + s;
                r.Shrink = n % 2 ? "Yes" : "No";
                Write(r.Program, "#!/bin/sh\n");
                ::chmod(r.Program.c_str(), 0755);
                Write(r.IconFile, std::string(ico.begin(), ico.end()));
                store.Write(n, r);
            }
        }
        store.Flush();
        Write(root + "KX.INI", doc.Serialize());
    }
    static void Write(const std::string& path, const std::string& bytes)
    {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    }
    // The bar reads its files here, and icon lookups stay inside it.
    void Use() const
    {
        setenv("KEXBAR_DIR", root.c_str(), 1);
        setenv("XDG_DATA_HOME", (root + "data").c_str(), 1);
        setenv("XDG_DATA_DIRS", (root + "data").c_str(), 1);
    }
};

struct TStartedBar {
    std::unique_ptr<LinuxPlatform> platform;
    std::unique_ptr<QtDialogs> dialogs;
    std::unique_ptr<MainWindow> form;

    ~TStartedBar()
    {
        form.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
};

// What the program entry does, up to the bar standing painted on the screen.
std::unique_ptr<TStartedBar> StartBar()
{
    auto bar = std::make_unique<TStartedBar>();
    bar->platform = std::make_unique<LinuxPlatform>();
    bar->dialogs = std::make_unique<QtDialogs>();
    bar->form = std::make_unique<MainWindow>(*bar->platform, *bar->dialogs, std::vector<std::string>{});
    bar->dialogs->SetOwner(bar->form.get());
    bar->form->show();
    for (int i = 0; i < 1000 && !(bar->form->windowHandle() && bar->form->windowHandle()->isExposed()); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QCoreApplication::processEvents(); // the first paint
    return bar;
}

// Every button of the bar shows its icon and the window is exposed.
bool Complete(const TStartedBar& bar)
{
    if (!bar.form->windowHandle() || !bar.form->windowHandle()->isExposed())
        return false;
    for (int n = 1; n <= kPages * kPerPage; ++n) {
        TSpeedButton* b = Pages(*bar.form).FindButton(n);
        if (!b || !b->HasGlyph() || b->iconSize() != QSize(32, 33))
            return false;
    }
    return Pages(*bar.form).FindButton(kPages * kPerPage + 1) == nullptr;
}

double ResidentMegabytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) {
            std::istringstream fields(line.substr(6));
            double kb = 0;
            fields >> kb;
            return kb / 1024.0;
        }
    return 0;
}

double Milliseconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// The first bar of the process; it stays, as a running bar does, for the memory
// figure.
std::unique_ptr<TBarFiles> gFirstFiles;
std::unique_ptr<TStartedBar> gFirstBar;
double gFirstMs = 0, gFirstRss = 0, gRssBefore = 0;

void StartFirstBar()
{
    gFirstFiles = std::make_unique<TBarFiles>();
    gFirstFiles->Use();
    gRssBefore = ResidentMegabytes();
    const auto t0 = std::chrono::steady_clock::now();
    gFirstBar = StartBar();
    gFirstMs = Milliseconds(std::chrono::steady_clock::now() - t0);
    gFirstRss = ResidentMegabytes();
}

void BM_StartupFirst(benchmark::State& state)
{
    for (auto _ : state)
        state.SetIterationTime(gFirstMs / 1000.0);
    if (!Complete(*gFirstBar))
        state.SkipWithError("the first bar is not complete");
    state.counters["VmRSS_MB"] = gFirstRss;
    state.counters["RSS_before_MB"] = gRssBefore;
}
BENCHMARK(BM_StartupFirst)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_StartupAgain(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto files = std::make_unique<TBarFiles>();
        files->Use();
        state.ResumeTiming();
        const auto t0 = std::chrono::steady_clock::now();
        std::unique_ptr<TStartedBar> bar = StartBar();
        state.SetIterationTime(Milliseconds(std::chrono::steady_clock::now() - t0) / 1000.0);
        state.PauseTiming();
        const bool ok = Complete(*bar);
        bar.reset();
        state.ResumeTiming();
        if (!ok) {
            state.SkipWithError("a bar is not complete");
            break;
        }
    }
    state.counters["VmRSS_MB"] = ResidentMegabytes();
}
BENCHMARK(BM_StartupAgain)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    app.setApplicationName("kexbar");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    StartFirstBar();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    gFirstBar.reset();
    gFirstFiles.reset();
    return 0;
}
