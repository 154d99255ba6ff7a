// The password file: a check (one read of the file and a lookup), the passwords
// carried by a page delete (every button of the pages after it read, erased and
// written through the carrier, then the pending file written), and a check against a
// file far beyond what a bar can hold (60 MiB of tiny records). Sizes: a realistic
// file (a 10-page bar with 20 protected buttons) and the largest a bar can have (1000
// pages of 21, every button protected, and the master record). Target: a check or a
// carried page delete at the bound within 50 ms and a few MiB; the oversized file
// costs no more than that.
#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "core/config/NewIniFile.h"
#include "core/pages/ButtonRecord.h"
#include "core/pages/PageShift.h"
#include "core/protect/PasswordFile.h"
#include "core/protect/PasswordStore.h"

namespace {

struct Bar {
    int pages, perPage, protectedButtons;
};
constexpr Bar kRealistic{10, 16, 20};
constexpr Bar kLargest{1000, 21, 21000};

// A configuration and its password file in a directory of their own.
struct Files {
    std::string dir, ini, dat;
    Files()
    {
        char pattern[] = "/tmp/kexpasswords.XXXXXX";
        dir = ::mkdtemp(pattern);
        ini = dir + "/KX.INI";
        dat = dir + "/KX.DAT";
    }
    ~Files()
    {
        for (const std::string& f : {ini, dat, ini + ".lock", dir + "/KX.$$$", dat + ".pending"})
            ::unlink(f.c_str());
        ::rmdir(dir.c_str());
    }
    void Write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(name, std::ios::binary | std::ios::trunc) << bytes;
    }
    // The bar's configuration without records (the carrier is measured, not the INI),
    // and a password file protecting its first buttons.
    void Make(const Bar& bar) const
    {
        Write(ini, "[Location]\nUser=:1\nButtonCount=" + std::to_string(bar.perPage)
                       + "\n[Pages]\nCount=" + std::to_string(bar.pages) + "\n");
        kex::PasswordRecords records{{"Main", "NilK305"}};
        for (int n = 1; n <= bar.protectedButtons; ++n)
            records.push_back({kex::ButtonKey(n), "password" + std::to_string(n)});
        Write(dat, kex::EncodePasswordRecords(records));
    }
};

const Bar& Of(const benchmark::State& state) { return state.range(0) ? kLargest : kRealistic; }

// The launch gate's read: the file read once and one name looked up.
void BM_Check(benchmark::State& state)
{
    Files f;
    f.Make(Of(state));
    const kex::PasswordStore store = kex::PasswordStore::ForConfiguration(f.ini);
    const std::string name = kex::ButtonKey(Of(state).protectedButtons);
    for (auto _ : state)
        benchmark::DoNotOptimize(store.Find(name));
}

// Deleting page 1: every button after it moves one page back with its password.
void BM_CarryPageDelete(benchmark::State& state)
{
    const Bar& bar = Of(state);
    Files f;
    f.Make(bar);
    const kex::IniDocument text = kex::TNewIniFile(f.ini).Document();
    for (auto _ : state) {
        kex::IniDocument doc = text;
        kex::PasswordFileTransaction passwords(kex::PasswordStore::ForConfiguration(f.ini));
        kex::RecordStore store(doc, &passwords);
        kex::DeletePageRecords(store, 0, bar.pages, bar.perPage, false);
        passwords.Prepare(doc);
        // The configuration is not written, so the pending change is dropped and the
        // next round starts from the same files.
        passwords.Commit();
    }
}

// A check against 60 MiB of three-byte records, the file of a fault report.
void BM_CheckOversizedFile(benchmark::State& state)
{
    Files f;
    f.Make(kRealistic);
    std::string bytes;
    for (std::size_t i = 0; i < 60u * 1024 * 1024 / 3; ++i)
        bytes.append("\0\xFF\xFF", 3);
    f.Write(f.dat, bytes);
    const kex::PasswordStore store = kex::PasswordStore::ForConfiguration(f.ini);
    for (auto _ : state)
        benchmark::DoNotOptimize(store.Find("SpeedButton1"));
}

BENCHMARK(BM_Check)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CarryPageDelete)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CheckOversizedFile)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
