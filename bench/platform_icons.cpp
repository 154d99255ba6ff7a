// The icons of a full bar (210 buttons) at start-up: a mix of icon files, Windows
// programs, images and Linux programs found through 300 installed desktop entries.
// "Cold" drops every cache before each round (as a fresh process would start),
// "Warm" is a reload of the same buttons within one process.
#include "BenchMain.h"
#include "../tests/core/IconFileBuilder.h"
#include "platform/LinuxPlatform.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <sys/stat.h>

namespace {

using namespace kex;

struct World {
    QTemporaryDir dir;
    std::string root;
    std::vector<std::string> buttons;

    World()
    {
        root = dir.path().toStdString();
        for (const char* sub : {"/data", "/data/applications", "/data/icons", "/data/icons/hicolor",
                                "/data/icons/hicolor/32x32", "/data/icons/hicolor/32x32/apps", "/files", "/bin"})
            ::mkdir((root + sub).c_str(), 0755);
        setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
        setenv("XDG_DATA_DIRS", (root + "/data").c_str(), 1);
        setenv("PATH", (root + "/bin:/usr/bin:/bin").c_str(), 1);

        const testicons::Bytes ico =
            testicons::BuildIco({testicons::SolidImage(16, 0xFFFF0000), testicons::SolidImage(32, 0xFF00FF00),
                                 testicons::SolidImage(48, 0xFF0000FF)});
        const testicons::Bytes exe =
            testicons::BuildPe({{testicons::SolidImage(16, 0xFFFF0000), testicons::SolidImage(32, 0xFF00FF00)},
                                {testicons::SolidImage(32, 0xFF0000FF)}});
        QImage png(48, 48, QImage::Format_ARGB32);
        png.fill(0xFF336699);
        png.save(QString::fromStdString(root + "/data/icons/hicolor/32x32/apps/kexbench.png"));
        for (int i = 0; i < 300; ++i) {
            const std::string prog = root + "/bin/prog" + std::to_string(i);
            Write(prog, "#!/bin/sh\n");
            ::chmod(prog.c_str(), 0755);
            Write(root + "/data/applications/prog" + std::to_string(i) + ".desktop",
                  "[Desktop Entry]\nType=Application\nName=Program\nExec=prog" + std::to_string(i)
                      + " %U\nIcon=kexbench\nCategories=Utility;\n");
        }
        for (int i = 0; i < 210; ++i) {
            const std::string n = std::to_string(i);
            switch (i % 4) {
            case 0: buttons.push_back(WriteBytes(root + "/files/i" + n + ".ico", ico)); break;
            case 1: buttons.push_back(WriteBytes(root + "/files/p" + n + ".exe", exe)); break;
            case 2:
                buttons.push_back(root + "/files/g" + n + ".png");
                png.save(QString::fromStdString(buttons.back()));
                break;
            case 3: buttons.push_back(root + "/bin/prog" + n); break;
            }
        }
    }

    static void Write(const std::string& path, const std::string& text)
    {
        QFile f(QString::fromStdString(path));
        if (f.open(QIODevice::WriteOnly))
            f.write(text.data(), qint64(text.size()));
    }
    static std::string WriteBytes(const std::string& path, const testicons::Bytes& bytes)
    {
        Write(path, std::string(bytes.begin(), bytes.end()));
        return path;
    }
};

World& TheWorld()
{
    static World world;
    return world;
}

void LoadBar(LinuxPlatform& platform, benchmark::State& state)
{
    int found = 0;
    for (const std::string& file : TheWorld().buttons)
        found += platform.ExtractIcon(file, 0).isNull() ? 0 : 1;
    if (found != int(TheWorld().buttons.size()))
        state.SkipWithError("an icon was not found");
}

void BM_BarIconsCold(benchmark::State& state)
{
    LinuxPlatform platform;
    const std::string data = TheWorld().root + "/data";
    bool flip = false;
    for (auto _ : state) {
        // The caches follow the XDG directories: an equivalent spelling starts afresh.
        flip = !flip;
        setenv("XDG_DATA_DIRS", (flip ? data + "/" : data).c_str(), 1);
        LoadBar(platform, state);
    }
}
BENCHMARK(BM_BarIconsCold)->Unit(benchmark::kMillisecond);

void BM_BarIconsWarm(benchmark::State& state)
{
    LinuxPlatform platform;
    LoadBar(platform, state);
    for (auto _ : state)
        LoadBar(platform, state);
}
BENCHMARK(BM_BarIconsWarm)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return kex::RunBenchmarks<QGuiApplication>(argc, argv, [] { TheWorld(); });
}
