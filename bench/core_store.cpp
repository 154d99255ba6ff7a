// The configuration store against the size of the bar: files of 10, 100 and 1,000
// pages of 16 buttons (program, description and icon each, and a name for every
// page). Each figure must grow with the file, not faster: parse + one look-up, the
// page layout read from the file, a click's record, the load's one pass, page
// commands of kexbar-config, and the freshness check a click makes (target: under
// 1 ms at 100 pages, both while the file is unchanged and after another program
// wrote it).
#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "core/bar/BarStore.h"
#include "core/config/ConfigTool.h"
#include "core/config/NewIniFile.h"
#include "core/config/Settings.h"

namespace {

constexpr int kPerPage = 16;

std::string BarText(int pages)
{
    std::string text = "[Location]\nTop=412\nLeft=0\nOnTop=No\nShrink=Yes\nButtonCount=16\nUser=:1\nRun=Yes\n"
                       "\n[Pages]\nCount="
                       + std::to_string(pages) + "\n\n[Tabs]\nSelectedColor=12632256\nUnselectedColor=8421376\n";
    for (int p = 1; p <= pages; ++p)
        text += "PageTab" + std::to_string(p) + "=Page name " + std::to_string(p) + "\n";
    const int buttons = pages * kPerPage;
    const std::pair<const char*, const char*> sections[] = {
        {"Programs", "/usr/bin/program-"}, {"Names", "Program number "}, {"Icons", "/usr/share/pixmaps/p"}};
    for (const auto& [section, value] : sections) {
        text += std::string("\n[") + section + "]\n";
        for (int n = 1; n <= buttons; ++n)
            text += "SpeedButton" + std::to_string(n) + "=" + value + std::to_string(n) + "\n";
    }
    return text;
}

// One file per page count, made once, removed at the end.
struct BarFile {
    std::string dir, name, text;
    explicit BarFile(int pages) : text(BarText(pages))
    {
        char pattern[] = "/tmp/kexstore.XXXXXX";
        dir = ::mkdtemp(pattern);
        name = dir + "/KX.INI";
        Reset();
    }
    void Reset() const { std::ofstream(name, std::ios::binary | std::ios::trunc) << text; }
    ~BarFile()
    {
        for (const char* extra : {"", ".lock"})
            ::unlink((name + extra).c_str());
        ::unlink((dir + "/KX.BAK").c_str());
        ::rmdir(dir.c_str());
    }
};

const BarFile& File(int pages)
{
    static std::map<int, BarFile> files;
    auto it = files.find(pages);
    if (it == files.end())
        it = files.emplace(std::piecewise_construct, std::forward_as_tuple(pages), std::forward_as_tuple(pages)).first;
    it->second.Reset(); // as made, whatever the benchmark before did to it
    return it->second;
}

void Sized(benchmark::State& state, const BarFile& f)
{
    state.counters["file_bytes"] = double(f.text.size());
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(f.text.size()));
}

void BM_ParseAndLookup(benchmark::State& state)
{
    const BarFile& f = File(int(state.range(0)));
    const std::string last = "SpeedButton" + std::to_string(state.range(0) * kPerPage);
    for (auto _ : state) {
        const kex::IniDocument doc = kex::IniDocument::Parse(f.text);
        benchmark::DoNotOptimize(doc.ReadString("Icons", last, ""));
    }
    Sized(state, f);
}

// What kexbar-config reads before a command: the file's page layout.
void BM_PageLayoutOfFile(benchmark::State& state)
{
    const BarFile& f = File(int(state.range(0)));
    for (auto _ : state) {
        kex::TNewIniFile ini(f.name);
        benchmark::DoNotOptimize(kex::PageLayoutOf(ini.Document()));
    }
    Sized(state, f);
}

// The freshness check of a click on a file nobody changed meanwhile.
void BM_FreshnessCheck(benchmark::State& state)
{
    const BarFile& f = File(int(state.range(0)));
    kex::BarStore store(f.name);
    const kex::PageLayout loaded = store.Layout();
    for (auto _ : state)
        benchmark::DoNotOptimize(store.Layout() == loaded);
    Sized(state, f);
}

// The freshness check after another program wrote the file (its time stamp moved):
// the file is read and parsed again.
void BM_FreshnessCheckAfterWrite(benchmark::State& state)
{
    const BarFile& f = File(int(state.range(0)));
    kex::BarStore store(f.name);
    const kex::PageLayout loaded = store.Layout();
    long second = 1000000000;
    for (auto _ : state) {
        state.PauseTiming();
        const struct timespec times[2] = {{second, 0}, {second, 0}};
        ++second;
        ::utimensat(AT_FDCWD, f.name.c_str(), times, 0);
        state.ResumeTiming();
        benchmark::DoNotOptimize(store.Layout() == loaded);
    }
    Sized(state, f);
}

// A click reads its button's record (the last button: the end of every section).
void BM_ClickRecord(benchmark::State& state)
{
    const BarFile& f = File(int(state.range(0)));
    kex::BarStore store(f.name);
    const int last = int(state.range(0)) * kPerPage;
    for (auto _ : state)
        benchmark::DoNotOptimize(store.Clicked(last, true));
    Sized(state, f);
}

// A load's one pass: every record and page caption.
void BM_LoadContents(benchmark::State& state)
{
    const BarFile& f = File(int(state.range(0)));
    kex::BarStore store(f.name);
    const int last = int(state.range(0)) * kPerPage;
    for (auto _ : state)
        benchmark::DoNotOptimize(store.Contents(last));
    Sized(state, f);
}

// kexbar-config commands in-process, each a whole command: the file opened, read,
// changed under the lock and written.
void RunTool(benchmark::State& state, const std::vector<std::vector<std::string>>& commands)
{
    const BarFile& f = File(int(state.range(0)));
    std::size_t i = 0;
    for (auto _ : state) {
        std::vector<std::string> argv = {"kexbar-config", f.name};
        const auto& c = commands[i++ % commands.size()];
        argv.insert(argv.end(), c.begin(), c.end());
        std::ostringstream out, err;
        if (kex::RunConfigTool(argv, out, err) != kex::kConfigOk)
            state.SkipWithError(err.str().c_str());
    }
    Sized(state, f);
}

void BM_ToolGet(benchmark::State& state) { RunTool(state, {{"get", "Location", "Top"}}); }
void BM_ToolRenamePage(benchmark::State& state)
{
    RunTool(state, {{"rename-page", "1", "First"}, {"rename-page", "1", "Second"}});
}
void BM_ToolDescribeButton(benchmark::State& state)
{
    RunTool(state, {{"describe-button", "1", "First"}, {"describe-button", "1", "Second"}});
}
// Every record moves one page on and back.
void BM_ToolMovePage(benchmark::State& state) { RunTool(state, {{"move-page", "1", "2"}}); }
void BM_ToolButtonsPerPage(benchmark::State& state)
{
    RunTool(state, {{"buttons-per-page", "21"}, {"buttons-per-page", "16"}});
}

#define KEX_STORE_BENCH(name) BENCHMARK(name)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond)

KEX_STORE_BENCH(BM_ParseAndLookup);
KEX_STORE_BENCH(BM_PageLayoutOfFile);
KEX_STORE_BENCH(BM_FreshnessCheck);
KEX_STORE_BENCH(BM_FreshnessCheckAfterWrite);
KEX_STORE_BENCH(BM_ClickRecord);
KEX_STORE_BENCH(BM_LoadContents);
KEX_STORE_BENCH(BM_ToolGet);
KEX_STORE_BENCH(BM_ToolRenamePage);
KEX_STORE_BENCH(BM_ToolDescribeButton);
KEX_STORE_BENCH(BM_ToolMovePage);
KEX_STORE_BENCH(BM_ToolButtonsPerPage);

} // namespace

BENCHMARK_MAIN();
