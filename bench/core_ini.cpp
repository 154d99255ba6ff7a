// One read and one write of a key in a 2,000-key (~100 KB) configuration file, each
// through a fresh TNewIniFile as every command of the bar opens one. Target: under
// 1 ms median each.
#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "core/config/NewIniFile.h"
#include "core/config/Settings.h"

namespace {

// The configuration of a full bar: the global settings, then the ten record
// sections with 200 buttons each.
std::string FullConfig()
{
    std::string text = "[Location]\nTop=412\nLeft=0\nOnTop=No\nShrink=Yes\nButtonCount=21\nUser=:1\nRun=Yes\n"
                       "\n[Pages]\nCount=10\n\n[Tabs]\nSelectedColor=12632256\nUnselectedColor=8421376\n";
    for (std::string_view section : kex::RecordSections) {
        text += "\n[" + std::string(section) + "]\n";
        for (int n = 1; n <= 200; ++n)
            text += "SpeedButton" + std::to_string(n) + "=/usr/share/applications/program-" + std::to_string(n)
                    + ".desktop\n";
    }
    return text;
}

struct ConfigFile {
    std::string dir, name;
    std::size_t bytes = 0;
    ConfigFile()
    {
        char pattern[] = "/tmp/kexbench.XXXXXX";
        dir = ::mkdtemp(pattern);
        name = dir + "/KX.INI";
        std::string text = FullConfig();
        bytes = text.size();
        std::ofstream(name, std::ios::binary) << text;
    }
    ~ConfigFile()
    {
        ::unlink(name.c_str());
        ::unlink((name + ".lock").c_str());
        ::rmdir(dir.c_str());
    }
};

ConfigFile& File()
{
    static ConfigFile f;
    return f;
}

void BM_ReadOneKey(benchmark::State& state)
{
    const std::string& name = File().name;
    for (auto _ : state) {
        kex::TNewIniFile ini(name);
        benchmark::DoNotOptimize(ini.ReadString("SoundLaunch", "SpeedButton150", ""));
    }
    state.counters["file_bytes"] = double(File().bytes);
}

void BM_WriteOneKey(benchmark::State& state)
{
    const std::string& name = File().name;
    bool flip = false;
    for (auto _ : state) {
        kex::TNewIniFile ini(name);
        ini.WriteString("SoundLaunch", "SpeedButton150", flip ? "/usr/share/sounds/a.wav" : "/usr/share/sounds/b.wav");
        flip = !flip;
    }
    state.counters["file_bytes"] = double(File().bytes);
}

BENCHMARK(BM_ReadOneKey)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_WriteOneKey)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
