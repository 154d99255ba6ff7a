// Live heap over page rebuilds (the rebuild alone, and the page command's PageUpdate:
// backup, renumbering with the recent list cleared, rebuild) of a bar (2 pages of 16
// buttons, each with a program, a description and an icon file of its own): the heap
// in use (mallinfo2's uordblks + hblkhd) after 10,000 rebuilds and after 20,000, with
// the growth per rebuild between them. Goal: no growth after 10,000 rebuilds. (Qt's
// caches go on filling for the first few thousand rebuilds, a few bytes a rebuild up
// to a bound: measured from the 1,000th rebuild, that looked like growth.)
// The real Linux platform on an offscreen display; the bar's files in a temporary
// directory (KEXBAR_DIR).
#include <QApplication>
#include <QImage>
#include <QTemporaryDir>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <malloc.h>
#include <memory>
#include <sys/stat.h>

#include "BenchMain.h"
#include "WindowAccess.h"
#include "core/config/NewIniFile.h"
#include "core/config/Settings.h"
#include "core/pages/ButtonRecord.h"
#include "platform/LinuxPlatform.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/window/MainWindow.h"

namespace {

using namespace kex;

class TNoDialogs : public TDialogs {
public:
    ModalResult MessageDlg(const std::string&, MessageType, unsigned, int) override { return ModalResult::mrYes; }
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

std::size_t LiveHeap()
{
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

void Settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

void BM_RebuildHeap(benchmark::State& state)
{
    const int total = int(state.range(0));
    const bool pageUpdate = state.range(1) != 0;
    QTemporaryDir dir;
    const std::string root = dir.path().toStdString() + "/";
    setenv("KEXBAR_DIR", root.c_str(), 1);
    setenv("XDG_DATA_HOME", (root + "data").c_str(), 1);
    setenv("XDG_DATA_DIRS", (root + "data").c_str(), 1);
    ::mkdir((root + "icons").c_str(), 0755);
    IniDocument doc = IniDocument::Parse("[Location]\nTop=100\nLeft=0\nButtonCount=16\n\n[Pages]\nCount=2\n");
    RecordStore store(doc);
    store.BeginBatch();
    for (int n = 1; n <= 32; ++n) {
        QImage icon(32, 32, QImage::Format_ARGB32);
        icon.fill(QColor::fromHsv(n * 10, 200, 200));
        const std::string iconFile = root + "icons/p" + std::to_string(n) + ".png";
        icon.save(QString::fromStdString(iconFile));
        ButtonRecord r;
        r.Program = "/usr/bin/true";
        r.IconFile = iconFile;
        r.Description = "Program " + std::to_string(n);
        store.Write(n, r);
    }
    store.Flush();
    std::ofstream(root + "KX.INI", std::ios::binary) << doc.Serialize();

    LinuxPlatform platform;
    TNoDialogs dialogs;
    auto form = std::make_unique<MainWindow>(platform, dialogs, std::vector<std::string>{});
    form->show();
    for (int i = 0; i < 100 && !(form->windowHandle() && form->windowHandle()->isExposed()); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    Settle();
    for (auto _ : state) {
        std::size_t warm = 0;
        for (int i = 1; i <= total; ++i) {
            if (pageUpdate)
                Pages(*form).PageUpdate();
            else
                Pages(*form).Rebuild();
            Settle();
            if (i == total / 2)
                warm = LiveHeap();
        }
        const std::size_t end = LiveHeap();
        state.counters["heap_warm_KiB"] = double(warm) / 1024;
        state.counters["heap_end_KiB"] = double(end) / 1024;
        const int measured = total - total / 2; // the rebuilds after the warm heap was read
        state.counters["growth_per_rebuild_B"] = (double(end) - double(warm)) / measured;
    }
    form.reset();
}

BENCHMARK(BM_RebuildHeap)->Args({20000, 0})->Args({20000, 1})->Unit(benchmark::kSecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) { return kex::RunBenchmarks<QApplication>(argc, argv); }
