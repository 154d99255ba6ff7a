// Adding, deleting and moving a page of a bar of 20 full pages of 21 buttons, through
// the window's handlers: the shift of the stored records and the whole rebuild that
// follows (backup, pages and buttons created anew, every button's icon and hint
// loaded, the old widgets deleted and the window repainted). Target: 200 ms each.
// The real Linux platform on an offscreen display, the bar's files in a temporary
// directory (KEXBAR_DIR), every button with an icon file of its own.
#include <QApplication>
#include <QImage>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include "BenchMain.h"
#include "ui/dialogs/Dialogs.h"
#include "core/config/NewIniFile.h"
#include "core/config/Settings.h"
#include "ui/window/MainWindow.h"
#include "WindowAccess.h"
#include "core/pages/ButtonRecord.h"
#include "ui/widgets/SpeedButton.h"
#include "ui/widgets/TabSet.h"
#include "platform/LinuxPlatform.h"

namespace {

using namespace kex;

constexpr int kPages = 20;
constexpr int kPerPage = 21;

// Answers Yes to every question and cancels everything else.
class TYesDialogs : public TDialogs {
public:
    int questions = 0;
    ModalResult MessageDlg(const std::string&, MessageType, unsigned, int) override
    {
        ++questions;
        return ModalResult::mrYes;
    }
    void ShowMessage(const std::string&) override {}
    void Notify(const std::string&) override {}
    std::vector<std::string> OpenFiles(const OpenDialogOptions&) override { return {}; }
    std::optional<std::string> SelectDirectory(const std::string&, const std::string&, int) override
    {
        return std::nullopt;
    }
    std::optional<QColor> ChooseColor(const QColor&, std::array<QColor, 16>&, int) override { return std::nullopt; }
    QAction* Popup(QMenu*, const QPoint&) override { return nullptr; }
    void SetHelpFile(const std::string&) override {}
    void ShowHelp(int) override {}
};

struct TWorld {
    QTemporaryDir dir;
    std::string root, ini, text;

    TWorld()
    {
        root = dir.path().toStdString() + "/";
        setenv("KEXBAR_DIR", root.c_str(), 1);
        // Icon lookups stay inside the world.
        setenv("XDG_DATA_HOME", (root + "data").c_str(), 1);
        setenv("XDG_DATA_DIRS", (root + "data").c_str(), 1);
        ::mkdir((root + "icons").c_str(), 0755);
        ::mkdir((root + "bin").c_str(), 0755);
        ini = root + "KX.INI";

        IniDocument doc = IniDocument::Parse(
            "[Location]\nTop=100\nLeft=0\nButtonCount=21\n\n[Pages]\nCount=" + std::to_string(kPages) + "\n\n[Tabs]\n");
        RecordStore store(doc);
        store.BeginBatch();
        for (int p = 1; p <= kPages; ++p) {
            if (p % 2)
                doc.WriteString("Tabs", PageTabKey(p), "Group " + std::to_string(p));
            for (int i = 1; i <= kPerPage; ++i) {
                const int n = (p - 1) * kPerPage + i;
                const std::string s = std::to_string(n);
                QImage icon(32, 32, QImage::Format_ARGB32);
                icon.fill(QColor::fromHsv(n % 360, 200, 200));
                const std::string iconFile = root + "icons/program-" + s + ".png";
                icon.save(QString::fromStdString(iconFile));
                ButtonRecord r;
                r.Program = root + "bin/program-" + s;
                r.Parameters = "--option " + s;
                r.IconFile = iconFile;
                r.Description = "Program number " + s + "~second line";
                r.Shrink = "No";
                r.Working = root;
                store.Write(n, r);
            }
        }
        store.Flush();
        text = doc.Serialize();
        Restore();
    }
    // The bar as it was, as a new file (as another program would save it).
    void Restore() const
    {
        const std::string temp = ini + ".new";
        std::ofstream(temp, std::ios::binary | std::ios::trunc) << text;
        std::rename(temp.c_str(), ini.c_str());
    }
};

struct TBench {
    TWorld world;
    LinuxPlatform platform;
    TYesDialogs dialogs;
    std::unique_ptr<MainWindow> form;

    TBench()
    {
        form = std::make_unique<MainWindow>(platform, dialogs, std::vector<std::string>{});
        form->show();
        for (int i = 0; i < 100 && !(form->windowHandle() && form->windowHandle()->isExposed()); ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        Settle();
    }
    // What the message loop does right after a handler: delete the old pages' widgets
    // and repaint.
    static void Settle()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
    void Select(int tab) const
    {
        Child<TTabSet>(*form, "TabSet1")->SetTabIndex(tab);
        Pages(*form).SelectPage();
    }
    // Back to 20 full pages, outside the timing.
    void Reset()
    {
        world.Restore();
        Pages(*form).PageUpdate();
        Settle();
    }
    // The bar has `pages` pages and buttons `full` and `empty` show as they should.
    bool Check(benchmark::State& state, int pages, int full, int empty)
    {
        TSpeedButton* shown = Pages(*form).FindButton(full);
        TSpeedButton* blank = Pages(*form).FindButton(empty);
        if (Pages(*form).PageCount() != pages || Child<TTabSet>(*form, "TabSet1")->Count() != pages || !shown
            || !shown->HasGlyph() || (blank && blank->HasGlyph())) {
            state.SkipWithError("the bar is not what the command should have made of it");
            return false;
        }
        return true;
    }
};

// Made on first use, gone before the application object.
std::unique_ptr<TBench> gBench;
TBench& Bench()
{
    if (!gBench)
        gBench = std::make_unique<TBench>();
    return *gBench;
}

// The first tab selected: every page moves, the worst case.
void BM_AddPage(benchmark::State& state)
{
    TBench& b = Bench();
    for (auto _ : state) {
        state.PauseTiming();
        b.Reset();
        b.Select(0);
        state.ResumeTiming();
        Pages(*b.form).AddPage();
        TBench::Settle();
        state.PauseTiming();
        const bool ok = b.Check(state, kPages + 1, kPerPage + 1, 1);
        state.ResumeTiming();
        if (!ok)
            break;
    }
}

void BM_DeletePage(benchmark::State& state)
{
    TBench& b = Bench();
    for (auto _ : state) {
        state.PauseTiming();
        b.Reset();
        b.Select(0);
        state.ResumeTiming();
        Pages(*b.form).DeletePage();
        TBench::Settle();
        state.PauseTiming();
        const bool ok = b.Check(state, kPages - 1, 1, kPages * kPerPage);
        state.ResumeTiming();
        if (!ok)
            break;
    }
}

// Taking the first page and putting it before the last one: two shifts, two rebuilds.
void BM_MovePage(benchmark::State& state)
{
    TBench& b = Bench();
    for (auto _ : state) {
        state.PauseTiming();
        b.Reset();
        b.Select(0);
        state.ResumeTiming();
        Pages(*b.form).MovePage();
        TBench::Settle();
        b.Select(kPages - 2);
        Pages(*b.form).AddPage();
        TBench::Settle();
        state.PauseTiming();
        const bool ok = b.Check(state, kPages, kPages * kPerPage, 0);
        state.ResumeTiming();
        if (!ok)
            break;
    }
}

// The rebuild alone, for comparison: what every page command ends with.
void BM_PageUpdate(benchmark::State& state)
{
    TBench& b = Bench();
    b.Reset();
    for (auto _ : state) {
        Pages(*b.form).PageUpdate();
        TBench::Settle();
    }
}

// Resident memory of the bar over 1,000 rebuilds of the unchanged bar: it must level
// off once the caches are warm, not grow with every rebuild. Reported in KiB after
// the first 200 rebuilds and after all 1,000, with the growth per rebuild between
// them and the number of objects the window owns (which must not grow at all).
long ResidentKiB()
{
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

void BM_RebuildMemory(benchmark::State& state)
{
    TBench& b = Bench();
    b.Reset();
    for (auto _ : state) {
        const long start = ResidentKiB();
        const auto startObjects = b.form->findChildren<QObject*>().size();
        long after200 = 0;
        for (int i = 1; i <= 1000; ++i) {
            Pages(*b.form).PageUpdate();
            TBench::Settle();
            if (i == 200)
                after200 = ResidentKiB();
        }
        const long after1000 = ResidentKiB();
        state.counters["rss_start_KiB"] = double(start);
        state.counters["rss_200_KiB"] = double(after200);
        state.counters["rss_1000_KiB"] = double(after1000);
        state.counters["growth_per_rebuild_B"] = double(after1000 - after200) * 1024.0 / 800.0;
        state.counters["objects_growth"] = double(b.form->findChildren<QObject*>().size() - startObjects);
    }
}

BENCHMARK(BM_AddPage)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_DeletePage)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_MovePage)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_PageUpdate)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_RebuildMemory)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    return kex::RunBenchmarks<QApplication>(argc, argv, {}, [] { gBench.reset(); });
}
