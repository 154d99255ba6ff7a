// Adding and deleting a page on a bar of 20 full pages of 21 buttons: the file part
// of AddPage and DeletePage (one locked read, the shift in memory, one atomic write).
// The rebuild of the widgets that follows is measured with the UI. Target for the
// whole operation: 200 ms.
#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "core/config/NewIniFile.h"
#include "core/config/Settings.h"
#include "core/pages/ButtonRecord.h"
#include "core/pages/PageShift.h"

namespace {

constexpr int kPages = 20;
constexpr int kPerPage = 21;

std::string Bar()
{
    kex::IniDocument doc = kex::IniDocument::Parse("[Location]\nTop=412\nButtonCount=21\n\n[Pages]\nCount="
                                                   + std::to_string(kPages) + "\n\n[Tabs]\nSelectedColor=12632256\n");
    kex::RecordStore store(doc);
    store.BeginBatch();
    for (int p = 1; p <= kPages; ++p) {
        if (p % 2)
            doc.WriteString("Tabs", kex::PageTabKey(p), "Page name " + std::to_string(p));
        for (int i = 1; i <= kPerPage; ++i) {
            const int n = (p - 1) * kPerPage + i;
            const std::string s = std::to_string(n);
            kex::ButtonRecord r;
            r.Program = "/usr/share/applications/program-" + s + ".desktop";
            r.Parameters = "--option " + s;
            r.IconFile = "/usr/share/icons/hicolor/48x48/apps/program-" + s + ".png";
            r.IconIndex = 1;
            r.Description = "Program number " + s;
            r.Shrink = "No";
            r.Select = "/home/user/documents/" + s;
            r.Working = "/home/user/work/" + s;
            r.SoundSelect = "/usr/share/sounds/select" + s + ".wav";
            r.SoundLaunch = "/usr/share/sounds/launch" + s + ".wav";
            store.Write(n, r);
        }
    }
    store.Flush();
    return doc.Serialize();
}

struct File {
    std::string dir, name;
    File()
    {
        char pattern[] = "/tmp/kexpages.XXXXXX";
        dir = ::mkdtemp(pattern);
        name = dir + "/KX.INI";
    }
    ~File()
    {
        ::unlink(name.c_str());
        ::unlink((name + ".lock").c_str());
        ::rmdir(dir.c_str());
    }
};

// `s` is the selected tab: 0 shifts every page, the worst case.
void BM_AddPage(benchmark::State& state)
{
    File f;
    const std::string text = Bar();
    for (auto _ : state) {
        state.PauseTiming();
        std::ofstream(f.name, std::ios::binary | std::ios::trunc) << text;
        state.ResumeTiming();
        kex::TNewIniFile ini(f.name);
        ini.Modify([&](kex::IniDocument& d) {
            kex::RecordStore store(d);
            kex::InsertPageRecords(store, 0, kPages, kPerPage, kex::NewPageName(0));
        });
    }
}

void BM_DeletePage(benchmark::State& state)
{
    File f;
    const std::string text = Bar();
    for (auto _ : state) {
        state.PauseTiming();
        std::ofstream(f.name, std::ios::binary | std::ios::trunc) << text;
        state.ResumeTiming();
        kex::TNewIniFile ini(f.name);
        ini.Modify([&](kex::IniDocument& d) {
            kex::RecordStore store(d);
            kex::DeletePageRecords(store, 0, kPages, kPerPage, false);
        });
    }
}

void BM_MovePage(benchmark::State& state)
{
    File f;
    const std::string text = Bar();
    for (auto _ : state) {
        state.PauseTiming();
        std::ofstream(f.name, std::ios::binary | std::ios::trunc) << text;
        state.ResumeTiming();
        kex::TNewIniFile ini(f.name);
        kex::PageMoveBuffer buffer;
        ini.Modify([&](kex::IniDocument& d) {
            kex::RecordStore store(d);
            buffer = kex::DeletePageRecords(store, 0, kPages, kPerPage, true);
        });
        ini.Modify([&](kex::IniDocument& d) {
            kex::RecordStore store(d);
            kex::InsertPageRecords(store, kPages - 2, kPages - 1, kPerPage, buffer.Name, &buffer);
        });
    }
}

BENCHMARK(BM_AddPage)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_DeletePage)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_MovePage)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

BENCHMARK_MAIN();
