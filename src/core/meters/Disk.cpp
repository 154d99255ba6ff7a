#include "core/meters/Disk.h"

#include <algorithm>
#include <cctype>

namespace kex {

TDISK::TDISK(VolumeService& system) : system_(system) { SetDriveLetter("C"); }

void TDISK::Refresh()
{
    const std::uint64_t generation = system_.MountTableGeneration();
    if (generation == generation_ && generation_ != 0)
        return;
    generation_ = generation;
    const std::vector<std::string> optical = system_.OpticalDrives();
    letters_.Update(RealVolumes(
        ParseMountInfo(system_.MountTable()),
        [this](unsigned major, unsigned minor) { return system_.DeviceFacts(major, minor); }, optical));
    // The first optical drive; a disc image mounted as a CD-ROM volume has no tray.
    cdromFound_ = false;
    cdromLetter_ = "A";
    for (char c = 'C'; c <= 'Z' && !cdromFound_; ++c) {
        const Volume* v = letters_.VolumeOf(c);
        if (v && v->type == TDISKTYPE::DT_CDROM && std::find(optical.begin(), optical.end(), v->id) != optical.end()) {
            cdromFound_ = true;
            cdromLetter_ = std::string(1, c);
        }
    }
}

TDISKTYPE TDISK::TypeOf(char letter)
{
    const char c = char(std::toupper(static_cast<unsigned char>(letter)));
    if (c < 'A' || c > 'Z')
        return TDISKTYPE::DT_UNKNOWN;
    Refresh();
    const Volume* v = letters_.VolumeOf(c);
    return v ? v->type : TDISKTYPE::DT_NOROOTDIR;
}

void TDISK::SetDriveLetter(std::string_view value)
{
    if (value.empty())
        return;
    const char c = char(std::toupper(static_cast<unsigned char>(value[0])));
    letter_ = std::string(1, c);
    size_ = free_ = 0;
    type_ = TypeOf(c);
    mountPoint_.clear();
    const Volume* v = letters_.VolumeOf(c);
    if (!v)
        return;
    mountPoint_ = v->mountPoint;
    if (mountPoint_.empty())
        return; // an optical drive without a disc
    if (std::optional<VolumeSpace> space = system_.Space({mountPoint_}).front()) {
        size_ = space->size;
        free_ = space->free;
    }
}

std::vector<char> TDISK::LettersWithSpace()
{
    Refresh();
    std::vector<char> letters;
    std::vector<std::string> points;
    for (char c = 'C'; c <= 'Z'; ++c) {
        if (const Volume* v = letters_.VolumeOf(c); v && !v->mountPoint.empty()) {
            letters.push_back(c);
            points.push_back(v->mountPoint);
        }
    }
    const std::vector<std::optional<VolumeSpace>> spaces = system_.Space(points);
    std::vector<char> offered;
    for (std::size_t i = 0; i < letters.size() && i < spaces.size(); ++i)
        if (spaces[i] && spaces[i]->size > 0)
            offered.push_back(letters[i]);
    return offered;
}

DriveMeter::DriveMeter(VolumeService& system, std::string groupSeparator)
    : disk_(system), separator_(std::move(groupSeparator))
{
}

std::optional<GaugeReading> DriveMeter::HardDriveSpace(char letter)
{
    disk_.SetDriveLetter(std::string_view(&letter, 1));
    const std::uint64_t size = disk_.DiskSizeBytes();
    const std::uint64_t free = std::min(disk_.DiskFreeBytes(), size);
    if (size == 0)
        return std::nullopt;
    GaugeReading r;
    // 100 ÷ (size ÷ free), rounded to the nearest whole percent, without overflow.
    r.progress = int((static_cast<unsigned __int128>(free) * 200 + size) / (static_cast<unsigned __int128>(size) * 2));
    r.progressText = disk_.DriveLetter();
    r.hint = disk_.DriveLetter() + ": HardDrive Space Available " + FormatThousands(free, separator_) + " of "
             + FormatThousands(size, separator_) + "\n" + disk_.MountPoint();
    r.color = GaugeColorFor(MeterKind::Drive, r.progress);
    return r;
}

} // namespace kex
