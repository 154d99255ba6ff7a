// The first start's import from an application menu of 500 entries in ten submenus
// (two of them nested): reading the menu and filling a new configuration, in this
// process (the first import of the process, then repeated ones) and as a whole
// `kexbar-config FILE import-menu --yes` process per round, with and without a menu
// file (the entries then grouped by category).
#include "core/bar/BarStore.h"
#include "core/import/ProgramImport.h"
#include "platform/AppMenu.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using namespace kex;
namespace fs = std::filesystem;

constexpr int kEntries = 500;
const char* const kCategories[] = {"Utility",    "Development", "Game",     "Graphics", "Network",
                                   "AudioVideo", "Office",      "Settings", "System",   "Education"};

void Write(const fs::path& file, const std::string& text, int mode = 0644)
{
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
    ::chmod(file.c_str(), mode);
}

struct World {
    fs::path root;

    World()
    {
        char pattern[] = "/tmp/kexmenu-XXXXXX";
        root = ::mkdtemp(pattern);
        std::string menu = "<Menu><Name>Applications</Name><DefaultAppDirs/><DefaultDirectoryDirs/>\n";
        for (int c = 0; c < 10; ++c) {
            const std::string name = kCategories[c];
            // Two submenus hold a nested one for the entries marked "Extra".
            const std::string nested = c < 2 ? "<Menu><Name>More</Name><Include><And><Category>" + name
                                                   + "</Category><Category>Extra</Category></And></Include></Menu>"
                                             : "";
            menu += "<Menu><Name>" + name + "</Name><Directory>kex-" + name + ".directory</Directory><Include>"
                    + "<Category>" + name + "</Category></Include>" + nested + "</Menu>\n";
            Write(root / "share/desktop-directories" / ("kex-" + name + ".directory"),
                  "[Desktop Entry]\nType=Directory\nName=" + name + " Programs\n");
        }
        Write(root / "etc/menus/applications.menu", menu + "</Menu>\n");
        for (int i = 0; i < kEntries; ++i) {
            const std::string n = std::to_string(i);
            Write(root / "bin" / ("prog" + n), "#!/bin/sh\n", 0755);
            std::string extra = i % 7 == 0 ? "Extra;" : "";
            Write(root / "share/applications" / ("prog" + n + ".desktop"),
                  "[Desktop Entry]\nType=Application\nName=Program " + n + "\nName[de]=Programm " + n
                      + "\nComment=Does thing " + n + "\nExec=prog" + n + " --flag \"a b\" %U\nIcon=kex-prog" + n
                      + "\nTerminal=" + (i % 25 == 0 ? "true" : "false") + "\nCategories=" + kCategories[i % 10] + ";"
                      + extra + "\n");
        }
    }
    ~World()
    {
        std::error_code ec;
        fs::remove_all(root, ec);
    }

    // The environment of the world; without a menu file when `menu` is false.
    void Enter(bool menu) const
    {
        setenv("XDG_CONFIG_DIRS", (root / (menu ? "etc" : "no-etc")).c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
        setenv("XDG_DATA_HOME", (root / "home").c_str(), 1);
        setenv("XDG_DATA_DIRS", (root / "share").c_str(), 1);
        setenv("PATH", ((root / "bin").string() + ":/usr/bin:/bin").c_str(), 1);
        unsetenv("XDG_MENU_PREFIX");
    }
};

World& TheWorld()
{
    static World world;
    return world;
}

// One first-start import into a new configuration; answers the buttons made.
int ImportOnce(benchmark::State& state, const std::string& file)
{
    ::unlink(file.c_str());
    BarStore store(file);
    AppMenuSource source;
    const FirstStartImport done = ImportOnFirstStart(store, 16, source, {[] { return true; }, {}});
    if (done.outcome != ImportOutcome::Imported || done.summary.buttons == 0)
        state.SkipWithError("nothing was imported");
    return done.summary.buttons;
}

void BM_FirstImportOfTheProcess(benchmark::State& state)
{
    const std::string file = (TheWorld().root / "KXfirst.INI").string();
    for (auto _ : state)
        state.counters["buttons"] = ImportOnce(state, file);
}
BENCHMARK(BM_FirstImportOfTheProcess)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_Import(benchmark::State& state)
{
    const std::string file = (TheWorld().root / "KXagain.INI").string();
    for (auto _ : state)
        ImportOnce(state, file);
}
BENCHMARK(BM_Import)->Unit(benchmark::kMillisecond);

// A whole `kexbar-config FILE import-menu --yes` per round.
void ToolImport(benchmark::State& state, bool menu)
{
    TheWorld().Enter(menu);
    std::string file = (TheWorld().root / "KXtool.INI").string();
    for (auto _ : state) {
        state.PauseTiming();
        ::unlink(file.c_str());
        state.ResumeTiming();
        char* argv[] = {const_cast<char*>(KEXBAR_CONFIG_EXE), file.data(), const_cast<char*>("import-menu"),
                        const_cast<char*>("--yes"), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        pid_t pid = 0;
        int status = -1;
        if (posix_spawn(&pid, KEXBAR_CONFIG_EXE, &actions, nullptr, argv, environ) == 0)
            ::waitpid(pid, &status, 0);
        posix_spawn_file_actions_destroy(&actions);
        if (status != 0)
            state.SkipWithError("kexbar-config import-menu failed");
    }
    TheWorld().Enter(true);
}
void BM_ToolImportFromTheMenu(benchmark::State& state) { ToolImport(state, true); }
void BM_ToolImportByCategory(benchmark::State& state) { ToolImport(state, false); }
BENCHMARK(BM_ToolImportFromTheMenu)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ToolImportByCategory)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    // GLib reads the XDG directories once per process: the world comes first.
    TheWorld().Enter(true);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
