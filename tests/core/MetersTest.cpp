// The gauge panel's meters over fake services: volumes as drive letters, the drive
// and memory readings with their hints, the clock and timer texts, the chimes, and
// the volume keys' steps.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "core/meters/Clock.h"
#include "core/meters/Disk.h"
#include "core/meters/Memory.h"
#include "core/meters/SoundVolume.h"
#include "fakes/FakeMeters.h"

namespace kex {
namespace {

using T = TDISKTYPE;

// A desktop's mount table: the kernel's own file systems, a snap, bind mounts and
// second mounts of a file system among the real volumes, and a broken line.
const char* const kTable = R"(22 27 0:21 / /proc rw,relatime - proc proc rw
23 27 0:22 / /sys rw,relatime - sysfs sysfs rw
24 27 0:6 / /dev rw - devtmpfs devtmpfs rw,size=8k
25 24 0:23 / /dev/shm rw - tmpfs tmpfs rw
27 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw
28 27 8:1 / /boot/efi rw shared:2 master:3 - vfat /dev/sda1 rw
29 27 0:30 / /run rw shared:5 - tmpfs tmpfs rw
30 29 0:31 / /run/user/1000 rw - tmpfs tmpfs rw
31 27 7:0 / /snap/core/123 ro - squashfs /dev/loop0 ro
32 27 8:2 /home /home rw shared:1 - ext4 /dev/sda2 rw
33 27 8:17 / /media/my\040stick rw - vfat /dev/sdb1 rw
34 27 0:40 / /mnt/nas rw - nfs4 server:/export rw
35 27 0:41 / /mnt/ram rw - tmpfs tmpfs rw
36 27 0:42 / /home/u/remote rw - fuse.sshfs u@host:/ rw
37 27 8:33 / /data rw - xfs /dev/sdc1 rw
38 37 8:33 / /data/again rw - xfs /dev/sdc1 rw
39 27 11:0 / /media/cdrom ro - iso9660 /dev/sr0 ro
40 27 7:1 / /mnt/image ro - iso9660 /dev/loop1 ro
41 27 8:49 / /run/media/u/USB rw - exfat /dev/sdd1 rw
44 27 8:65 /sub /srv/a rw - btrfs /dev/sde1 rw
45 27 8:65 / /srv/whole rw - btrfs /dev/sde1 rw
42 23 0:51 / /sys/fs/cgroup rw - cgroup2 cgroup2 rw
this line is no mount
43 27 0:53 / /var/lib/docker/overlay2/x/merged rw - overlay overlay rw
)";

void Devices(FakeDrives& d)
{
    d.devices[{8, 17}].removable = true;
    d.devices[{8, 49}].removable = true;
    d.devices[{11, 0}].optical = true;
    d.opticalDrives = {"/dev/sr1", "/dev/sr0"};
    d.SetMountTable(kTable);
}

struct Letter {
    char letter;
    const char* mountPoint; // nullptr: no volume has the letter
    T type;
};

void ExpectLetters(TDISK& disk, const std::vector<Letter>& expected)
{
    for (const Letter& e : expected) {
        SCOPED_TRACE(std::string(1, e.letter));
        disk.SetDriveLetter(std::string(1, e.letter));
        EXPECT_EQ(disk.DiskType(), e.type);
        EXPECT_EQ(disk.MountPoint(), e.mountPoint ? e.mountPoint : "");
    }
}

TEST(Meters, MountTableGivesLettersAndTypesAndKeepsThemWhileVolumesComeAndGo)
{
    EXPECT_EQ(DecodeMountField(R"(/a\040b\011c\012d\134e\04)"), "/a b\tc\nd\\e\\04");

    FakeDrives drives;
    Devices(drives);
    TDISK disk(drives);
    EXPECT_EQ(disk.DriveLetter(), "C");
    ExpectLetters(disk, {
                            {'C', "/", T::DT_FIXED},
                            {'D', "/boot/efi", T::DT_FIXED},
                            {'E', "/data", T::DT_FIXED},
                            {'F', "/home/u/remote", T::DT_REMOTE},
                            {'G', "/media/my stick", T::DT_REMOVABLE},
                            {'H', "/mnt/image", T::DT_CDROM}, // a disc image
                            {'I', "/mnt/nas", T::DT_REMOTE},
                            {'J', "/mnt/ram", T::DT_RAMDISK},
                            {'K', "/run/media/u/USB", T::DT_REMOVABLE},
                            {'L', "/srv/whole", T::DT_FIXED},   // rather than a part of it at /srv/a
                            {'M', "/media/cdrom", T::DT_CDROM}, // /dev/sr0 with its disc
                            {'N', "", T::DT_CDROM},             // /dev/sr1, empty
                            {'O', nullptr, T::DT_NOROOTDIR},
                            {'A', nullptr, T::DT_NOROOTDIR},
                            {'1', nullptr, T::DT_UNKNOWN},
                        });
    EXPECT_TRUE(disk.CDROMFound());
    EXPECT_EQ(disk.CDROMDriveLetter(), "M");
    disk.SetDriveLetter("d:\\data");
    EXPECT_EQ(disk.DriveLetter(), "D");
    disk.SetDriveLetter("");
    EXPECT_EQ(disk.DriveLetter(), "D");
    const int reads = drives.tableReads;
    disk.SetDriveLetter("E");
    EXPECT_EQ(drives.tableReads, reads); // an unchanged table is not read again

    // The stick goes and a new volume comes: nobody takes the stick's letter; the
    // stick comes back to it.
    std::string table = kTable;
    const std::string stick = "33 27 8:17 / /media/my\\040stick rw - vfat /dev/sdb1 rw\n";
    table.erase(table.find(stick), stick.size());
    drives.SetMountTable(table + "50 27 0:60 / /mnt/a rw - tmpfs tmpfs rw\n");
    ExpectLetters(disk,
                  {{'G', nullptr, T::DT_NOROOTDIR}, {'I', "/mnt/nas", T::DT_REMOTE}, {'O', "/mnt/a", T::DT_RAMDISK}});
    drives.SetMountTable(table + stick + "50 27 0:60 / /mnt/a rw - tmpfs tmpfs rw\n");
    ExpectLetters(disk, {{'G', "/media/my stick", T::DT_REMOVABLE}, {'O', "/mnt/a", T::DT_RAMDISK}});

    // No optical drive: none found.
    FakeDrives plain;
    plain.SetMountTable("27 1 8:2 / / rw - ext4 /dev/sda2 rw\n40 27 7:1 / /mnt/image ro - iso9660 /dev/loop1 ro\n");
    TDISK noDrive(plain);
    EXPECT_FALSE(noDrive.CDROMFound());
    EXPECT_EQ(noDrive.CDROMDriveLetter(), "A");
}

TEST(Meters, LettersStopAtZAndGoneVolumesGiveTheirsUpOnlyWhenNoneIsLeft)
{
    auto tmpfs = [](int from, int to) {
        std::string t = "1 0 8:2 / / rw - ext4 /dev/sda2 rw\n";
        for (int i = from; i < to; ++i)
            t += std::to_string(i + 2) + " 1 0:" + std::to_string(100 + i) + " / /m" + char('a' + i / 26)
                 + char('a' + i % 26) + " rw - tmpfs tmpfs rw\n";
        return t;
    };
    FakeDrives drives;
    drives.SetMountTable(tmpfs(0, 30)); // 31 volumes for 24 letters
    TDISK disk(drives);
    ExpectLetters(disk, {{'D', "/maa", T::DT_RAMDISK}, {'Z', "/maw", T::DT_RAMDISK}});
    drives.SetMountTable(tmpfs(1, 30)); // /maa is gone: D goes to the first without a letter
    ExpectLetters(disk, {{'D', "/max", T::DT_RAMDISK}, {'E', "/mab", T::DT_RAMDISK}});
}

TEST(Meters, DriveAndMemoryReadingsWithTheirHintsAndColours)
{
    constexpr std::uint64_t kMax = UINT64_MAX;
    struct Drive {
        std::optional<VolumeSpace> space; // nothing: unreadable
        std::optional<GaugeReading> reading;
    };
    const Drive drives[] = {
        {VolumeSpace{4000, 1000},
         GaugeReading{25, "C", "C: HardDrive Space Available 1,000 of 4,000\n/", GaugeColor::Yellow}},
        {VolumeSpace{4000, 0}, GaugeReading{0, "C", "C: HardDrive Space Available 0 of 4,000\n/", GaugeColor::Red}},
        {VolumeSpace{4000, 2000},
         GaugeReading{50, "C", "C: HardDrive Space Available 2,000 of 4,000\n/", GaugeColor::Lime}},
        {VolumeSpace{100, 21}, GaugeReading{21, "C", "C: HardDrive Space Available 21 of 100\n/", GaugeColor::Yellow}},
        {VolumeSpace{100, 20}, GaugeReading{20, "C", "C: HardDrive Space Available 20 of 100\n/", GaugeColor::Red}},
        {VolumeSpace{3, 2}, GaugeReading{67, "C", "C: HardDrive Space Available 2 of 3\n/", GaugeColor::Lime}},
        {VolumeSpace{kMax, kMax / 2},
         GaugeReading{50, "C",
                      "C: HardDrive Space Available 9,223,372,036,854,775,807 of 18,446,744,073,709,551,615\n/",
                      GaugeColor::Lime}},
        {VolumeSpace{100, 200}, GaugeReading{100, "C", "C: HardDrive Space Available 100 of 100\n/", GaugeColor::Lime}},
        {VolumeSpace{0, 0}, std::nullopt},
        {std::nullopt, std::nullopt},
    };
    for (const Drive& d : drives) {
        FakeDrives fake;
        fake.SetMountTable("27 1 8:2 / / rw - ext4 /dev/sda2 rw\n");
        if (d.space)
            fake.space["/"] = *d.space;
        DriveMeter meter(fake, ",");
        SCOPED_TRACE(d.reading ? d.reading->hint : "unreadable");
        EXPECT_EQ(meter.HardDriveSpace('C'), d.reading);
        EXPECT_EQ(meter.HardDriveSpace('D'), std::nullopt); // no volume
        EXPECT_EQ(meter.CountDrives(), d.reading ? std::vector<char>{'C'} : std::vector<char>{});
    }

    // The locale's separator, whatever its length; the items are every volume with a
    // size, full or not, read in one call.
    FakeDrives fake;
    Devices(fake);
    fake.space = {{"/", {1234567, 7}}, {"/data", {10, 0}}, {"/mnt/nas", {0, 0}}, {"/media/cdrom", {650, 0}}};
    DriveMeter meter(fake, "\u202f");
    EXPECT_EQ(meter.HardDriveSpace('C')->hint, "C: HardDrive Space Available 7 of 1\u202f234\u202f567\n/");
    fake.spaceCalls.clear();
    EXPECT_EQ(meter.CountDrives(), (std::vector<char>{'C', 'E', 'M'}));
    EXPECT_EQ(fake.spaceCalls.size(), 1u);

    struct Memory {
        const char* memInfo;
        std::optional<GaugeReading> reading;
    };
    const Memory memories[] = {
        {"MemTotal:       16384 kB\nMemFree:   100 kB\nMemAvailable:    9830 kB\n",
         GaugeReading{40, "", "Memory Load 40%: Total RAM 16,777,216", GaugeColor::Lime}},
        {"MemTotal: 100 kB\nMemAvailable: 4 kB\n",
         GaugeReading{96, "", "Memory Load 96%: Total RAM 102,400", GaugeColor::Red}},
        {"MemTotal: 100 kB\nMemAvailable: 15 kB\n",
         GaugeReading{85, "", "Memory Load 85%: Total RAM 102,400", GaugeColor::Yellow}},
        {"MemTotal: 100 kB\nMemAvailable: 16 kB\n",
         GaugeReading{84, "", "Memory Load 84%: Total RAM 102,400", GaugeColor::Lime}},
        // Older kernels: free + buffers + page cache.
        {"MemTotal: 200 kB\nMemFree: 20 kB\nBuffers: 10 kB\nCached: 30 kB\n",
         GaugeReading{70, "", "Memory Load 70%: Total RAM 204,800", GaugeColor::Lime}},
        {"MemTotal: 3 kB\nMemAvailable: 1 kB\n",
         GaugeReading{67, "", "Memory Load 67%: Total RAM 3,072", GaugeColor::Lime}},
        {"MemTotal: 100 kB\nMemAvailable: 500 kB\n",
         GaugeReading{0, "", "Memory Load 0%: Total RAM 102,400", GaugeColor::Lime}},
        {"MemTotal: 0 kB\nMemAvailable: 0 kB\n", std::nullopt},
        {"MemFree: 20 kB\n", std::nullopt},
        {"", std::nullopt},
    };
    for (const Memory& m : memories) {
        FakeMemory fake;
        fake.memInfo = m.memInfo;
        SCOPED_TRACE(m.memInfo);
        EXPECT_EQ(MemoryMeter(fake, ",").SysResource(), m.reading);
    }
}

TEST(Meters, ClockAndProgramTimerTexts)
{
    struct Clock {
        int hour, minute;
        bool twelve;
        const char* text;
    };
    const Clock clocks[] = {
        {0, 15, true, "12:15 A"},  {12, 15, true, "12:15 P"}, {13, 5, true, "1:05 P"},
        {9, 5, false, "9:05"},     {21, 5, true, "9:05 P"},   {21, 5, false, "21:05"},
        {11, 59, true, "11:59 A"}, {23, 59, true, "11:59 P"}, {0, 0, false, "0:00"},
    };
    for (const Clock& c : clocks)
        EXPECT_EQ(ClockText(c.hour, c.minute, c.twelve), c.text) << c.hour << ":" << c.minute;

    const std::pair<std::int64_t, const char*> timers[] = {
        {0, "0:00:00"},     {4029, "1:07:09"}, {86399, "23:59:59"},          {90000, "1:00:00"},
        {86400, "0:00:00"}, {-5, "0:00:00"},   {10 * 86400 + 61, "0:01:01"},
    };
    for (const auto& [seconds, text] : timers)
        EXPECT_EQ(ProgramTimerText(seconds), text) << seconds;
}

TEST(Meters, ChimesOncePerCrossingAndWhatTheyPlay)
{
    const std::int64_t day = 20000LL * 86400;
    auto at = [day](int h, int m, int s) { return day + h * 3600 + m * 60 + s; };
    using D = ClockDisplay;
    using K = ChimeKind;
    struct Tick {
        std::int64_t time;
        D display;
        std::optional<K> chime;
        const char* why;
    };
    const Tick ticks[] = {
        {at(12, 0, 0), D::HalfHour, {}, "start-up at 12:00:00"},
        {at(12, 0, 1), D::HalfHour, {}, ""},
        {at(12, 29, 59), D::HalfHour, {}, ""},
        {at(12, 30, 0), D::HalfHour, K::HalfHour, "half hour"},
        {at(12, 30, 0), D::HalfHour, {}, "the same second again"},
        {at(12, 59, 59), D::HalfHour, {}, ""},
        {at(13, 0, 1), D::HalfHour, K::Hour, "a skipped second"},
        {at(12, 59, 58), D::HalfHour, {}, "clock set back"},
        {at(13, 0, 0), D::HalfHour, {}, "no replay"},
        {at(13, 30, 0), D::Hour, {}, "half hours off"},
        {at(15, 10, 0), D::HalfHour, K::Hour, "suspended over three crossings: one chime"},
        {at(15, 29, 59), D::Other, {}, ""},
        {at(15, 30, 0), D::Other, {}, "chimes off"},
        {at(15, 30, 1), D::HalfHour, {}, "a crossing while off stays quiet"},
        {at(13, 10, 0), D::HalfHour, {}, "set back more than two hours"},
        {at(13, 30, 0), D::HalfHour, K::HalfHour, "chimes start afresh"},
        {at(23, 59, 59), D::Hour, K::Hour, "long after: the latest crossing"},
        {at(24, 0, 0), D::Hour, K::Hour, "midnight"},
    };
    ChimeDetector chimes;
    for (const Tick& t : ticks)
        EXPECT_EQ(chimes.Tick(t.time, t.display), t.chime) << (t.time - day) << " " << t.why;

    struct Sound {
        K kind;
        bool hourOn, halfOn;
        const char *hourFile, *halfFile;
        std::optional<ChimeSound> sound;
    };
    const Sound sounds[] = {
        {K::Hour, true, false, "h.wav", "", ChimeSound{"h.wav", false}},
        {K::Hour, true, false, "", "", ChimeSound{"", true}},
        {K::Hour, false, true, "h.wav", "half.wav", ChimeSound{"h.wav", false}},
        {K::Hour, false, false, "h.wav", "half.wav", std::nullopt},
        {K::HalfHour, true, false, "h.wav", "half.wav", std::nullopt},
        {K::HalfHour, false, true, "h.wav", "half.wav", ChimeSound{"half.wav", false}},
        {K::HalfHour, true, true, "h.wav", "", ChimeSound{"", true}},
    };
    for (const Sound& s : sounds)
        EXPECT_EQ(ChimeSoundFor(s.kind, s.hourOn, s.halfOn, s.hourFile, s.halfFile), s.sound)
            << int(s.kind) << s.hourOn << s.halfOn << s.hourFile << s.halfFile;
}

TEST(Meters, VolumeStepsAtTheLimitsAndPerChannel)
{
    using O = VolumeStep::Outcome;
    using V = VolumeDirection;
    const char* const full = "You are at full volume!";
    const char* const minimum = "You are at minimum volume.";
    struct Step {
        std::uint32_t word;
        V direction;
        VolumeStep step;
    };
    const Step steps[] = {
        {4232000000u, V::Up, {O::Changed, 0xFFFF3600u, 4294, ""}}, // the right channel stops at its top
        {4233000000u, V::Up, {O::AtFull, 4233000000u, 4233, full}},
        {0xFFFFFFFFu, V::Up, {O::AtFull, 0xFFFFFFFFu, 4294, full}},
        {0xFFFFFFFFu, V::Down, {O::Changed, 0xFBFFFBFFu, 4227, ""}},
        {68000000u, V::Down, {O::Changed, 0x000D9500u, 0, ""}},
        {67000000u, V::Down, {O::AtMinimum, 67000000u, 67, minimum}},
        {0u, V::Up, {O::Changed, 0x04000400u, 67, ""}},
        {0x8000FF00u, V::Up, {O::Changed, 0x8400FFFFu, 2214, ""}},   // no carry from the left channel
        {0x80000100u, V::Down, {O::Changed, 0x7C000000u, 2080, ""}}, // no borrow from the right
    };
    for (const Step& s : steps)
        EXPECT_EQ(StepVolume(s.word, s.direction), s.step) << std::hex << s.word;

    FakeMixer mixer;
    mixer.devices = {{kVolumeMaster, 0x10001000u}, {kVolumeLine, 0x10001000u}};
    mixer.refusing = {kVolumeLine};
    EXPECT_EQ(AdjustVolume(mixer, kVolumeMaster, V::Up).word, 0x14001400u);
    EXPECT_EQ(AdjustVolume(mixer, kVolumeWave, V::Up).outcome, O::NoDevice);
    EXPECT_EQ(AdjustVolume(mixer, kVolumeLine, V::Up).outcome, O::NoDevice);
    EXPECT_EQ(AdjustVolume(mixer, kVolumeMaster, V::Down).word, 0x10001000u);
    EXPECT_EQ(mixer.writes.size(), 2u);

    // A channel between the word and a mixer's own range; a coarse mixer still moves.
    EXPECT_EQ(ChannelToWord(0, 0, 31), 0);
    EXPECT_EQ(ChannelToWord(31, 0, 31), 65535);
    EXPECT_EQ(ChannelToWord(-60, -60, 0), 0);
    EXPECT_EQ(ChannelToWord(99, 0, 31), 65535);
    EXPECT_EQ(ChannelToWord(5, 5, 5), 0);
    const std::uint16_t shown = ChannelToWord(20, 0, 31);
    EXPECT_EQ(ChannelFromWord(shown + 1024, 0, 31, 20), 21);
    EXPECT_EQ(ChannelFromWord(shown - 1024, 0, 31, 20), 19);
    EXPECT_EQ(ChannelFromWord(shown, 0, 31, 20), 20);
    EXPECT_EQ(ChannelFromWord(65535, 0, 31, 31), 31);
    EXPECT_EQ(ChannelFromWord(1024, 0, 65536, 0), 1024);
    EXPECT_EQ(ChannelFromWord(0, -6000, 0, -6000), -6000);
}

} // namespace
} // namespace kex
