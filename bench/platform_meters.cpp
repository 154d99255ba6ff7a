// The meters' cost per refresh of the gauge panel, on this machine:
//   DriveReading:   one reading of drive C (the mount table's change check, statvfs on a
//                   probe thread, the hint), as each second's refresh of a drive gauge.
//   MemoryReading:  one reading of /proc/meminfo with its hint.
//   CountDrives:    the start-up's drive list: the volumes read, every one probed at once.
//   MountTable500:  a changed mount table of 500 lines (a container host) read as letters.
// Target: the readings under 1 ms each, CountDrives under 10 ms, the table under 5 ms.
// Before the runs the readings themselves are printed, to compare with `df -B1 /` and
// /proc/meminfo.
#include "core/meters/Disk.h"
#include "core/meters/Memory.h"
#include "platform/Drives.h"
#include "platform/Memory.h"

#include <benchmark/benchmark.h>

#include <cstdio>

using namespace kex;

namespace {

void BM_DriveReading(benchmark::State& state)
{
    LinuxDrives drives;
    DriveMeter meter(drives, ",");
    for (auto _ : state)
        benchmark::DoNotOptimize(meter.HardDriveSpace('C'));
}
BENCHMARK(BM_DriveReading)->Unit(benchmark::kMicrosecond);

void BM_MemoryReading(benchmark::State& state)
{
    LinuxMemory memory;
    MemoryMeter meter(memory, ",");
    for (auto _ : state)
        benchmark::DoNotOptimize(meter.SysResource());
}
BENCHMARK(BM_MemoryReading)->Unit(benchmark::kMicrosecond);

void BM_CountDrives(benchmark::State& state)
{
    LinuxDrives drives;
    for (auto _ : state) {
        DriveMeter meter(drives, ",");
        benchmark::DoNotOptimize(meter.CountDrives());
    }
}
BENCHMARK(BM_CountDrives)->Unit(benchmark::kMicrosecond);

void BM_MountTable500(benchmark::State& state)
{
    std::string table = "1 0 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n";
    for (int i = 0; i < 500; ++i)
        table += std::to_string(i + 2) + " 1 0:" + std::to_string(100 + i) + " / /var/lib/docker/overlay2/"
                 + std::to_string(i) + "/merged rw,relatime - overlay overlay rw,lowerdir=/a:/b\n";
    for (auto _ : state) {
        DriveLetters letters;
        letters.Update(RealVolumes(ParseMountInfo(table), {}, {}));
        benchmark::DoNotOptimize(letters.VolumeOf('C'));
    }
}
BENCHMARK(BM_MountTable500)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    LinuxDrives drives;
    DriveMeter meter(drives, ",");
    for (char c : meter.CountDrives()) {
        meter.Disk().SetDriveLetter(std::string(1, c));
        std::printf("%c: %-30s size %llu free %llu type %d\n", c, meter.Disk().MountPoint().c_str(),
                    (unsigned long long)meter.Disk().DiskSizeBytes(), (unsigned long long)meter.Disk().DiskFreeBytes(),
                    int(meter.Disk().DiskType()));
    }
    if (auto r = meter.HardDriveSpace('C'))
        std::printf("gauge %d%% \"%s\"\n", r->progress, r->hint.c_str());
    LinuxMemory memory;
    if (auto r = MemoryMeter(memory, ",").SysResource())
        std::printf("gauge %d%% \"%s\"\n", r->progress, r->hint.c_str());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
