// Switching buttons per page on a big bar, as the page rebuild does it: the backup
// copy, then one locked read, renumbering in memory and one atomic write of the file.
// 16 -> 21 on 50 pages of 16 fully configured buttons and 21 -> 16 on 40 pages of 21.
// Target: under 1 s each.
#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <string>

#include "core/config/NewIniFile.h"
#include "core/config/Settings.h"
#include "core/pages/ButtonRecord.h"
#include "core/pages/Renumber.h"

namespace {

class MemoryPasswords : public kex::PasswordCarrier {
public:
    std::map<int, std::string> stored;
    std::string PasswordOf(int n) override
    {
        auto it = stored.find(n);
        return it == stored.end() ? std::string() : it->second;
    }
    void StorePassword(int n, const std::string& p) override { stored[n] = p; }
    void ErasePassword(int n) override { stored.erase(n); }
};

// A bar of `pages` pages of `perPage` fully configured buttons, pages named in
// groups of three (so same-name runs occur), with the global settings around them.
std::string Bar(int pages, int perPage)
{
    kex::IniDocument doc = kex::IniDocument::Parse(
        "[Location]\nTop=412\nLeft=0\nOnTop=No\nShrink=Yes\nButtonCount=" + std::to_string(perPage)
        + "\nUser=:1\nRun=Yes\n\n[Pages]\nCount=" + std::to_string(pages)
        + "\n\n[Tabs]\nSelectedColor=12632256\nUnselectedColor=8421376\n\n[MRU]\nCount=1\n1=Editor  |3\n");
    kex::RecordStore store(doc);
    store.BeginBatch();
    for (int p = 1; p <= pages; ++p) {
        doc.WriteString("Tabs", kex::PageTabKey(p), "Group " + std::to_string((p - 1) / 3));
        for (int i = 1; i <= perPage; ++i) {
            const int n = (p - 1) * perPage + i;
            const std::string s = std::to_string(n);
            kex::ButtonRecord r;
            r.Program = "/usr/share/applications/program-" + s + ".desktop";
            r.Parameters = "--option " + s;
            r.IconFile = "/usr/share/icons/hicolor/48x48/apps/program-" + s + ".png";
            r.IconIndex = n % 3;
            r.Description = "Program number " + s + "~second line of the hint";
            r.Shrink = "Yes";
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

struct Dir {
    std::string path;
    Dir()
    {
        char pattern[] = "/tmp/kexrenum.XXXXXX";
        path = ::mkdtemp(pattern);
    }
    ~Dir()
    {
        for (const char* f : {"/KX.INI", "/KX.BAK", "/KX.INI.lock"})
            ::unlink((path + f).c_str());
        ::rmdir(path.c_str());
    }
};

void Switch(benchmark::State& state, int pages, int oldB, int newB)
{
    Dir dir;
    const std::string file = dir.path + "/KX.INI";
    const std::string text = Bar(pages, oldB);
    MemoryPasswords passwords;
    for (int n = 5; n <= pages * oldB; n += 50)
        passwords.stored[n] = "secret";
    for (auto _ : state) {
        state.PauseTiming();
        std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
        MemoryPasswords pw = passwords;
        state.ResumeTiming();
        kex::CopyFileBytes(file, kex::BackupFileName(file));
        kex::PasswordBuffer buffer(&pw);
        kex::TNewIniFile ini(file);
        int result = 0;
        ini.Modify([&](kex::IniDocument& d) { result = kex::ChangeButtonsPerPage(d, &buffer, oldB, newB, pages); });
        buffer.Commit();
        benchmark::DoNotOptimize(result);
    }
    state.counters["file_KB"] = double(text.size()) / 1024.0;
}

void BM_Renumber16To21_50Pages(benchmark::State& state) { Switch(state, 50, 16, 21); }
void BM_Renumber21To16_40Pages(benchmark::State& state) { Switch(state, 40, 21, 16); }

BENCHMARK(BM_Renumber16To21_50Pages)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_Renumber21To16_40Pages)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

BENCHMARK_MAIN();
