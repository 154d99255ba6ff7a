// The drive meter: TDISK, the facts of one drive letter at a time, and the drive
// gauge's reading of a letter with its hint.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/meters/MeterServices.h"
#include "core/meters/Readings.h"
#include "core/meters/Volumes.h"

namespace kex {

// The size, free space and type of the drive whose letter was set last, and where
// the first optical drive is. The volumes are read again whenever the mount table
// changed; the letters stay with their volumes (DriveLetters).
class TDISK {
public:
    // Reads the volumes, sets the letter C and finds the optical drive.
    explicit TDISK(VolumeService& system);

    // Keeps the first character, upper-cased, and reads that drive's size, free space
    // and type; an empty value changes nothing. A letter without a volume, or a
    // volume that cannot be read or does not answer in time, has size and free 0.
    void SetDriveLetter(std::string_view value);
    const std::string& DriveLetter() const { return letter_; }
    std::uint64_t DiskSizeBytes() const { return size_; }
    std::uint64_t DiskFreeBytes() const { return free_; }
    TDISKTYPE DiskType() const { return type_; }
    // The mount point of the letter's volume; empty when nothing is mounted there.
    const std::string& MountPoint() const { return mountPoint_; }

    // Whether an optical drive has a letter, and the first one's letter ("A" when
    // none); a disc image mounted as a CD-ROM volume is no drive.
    bool CDROMFound() const { return cdromFound_; }
    const std::string& CDROMDriveLetter() const { return cdromLetter_; }

    // The type of a letter: DT_UNKNOWN outside A to Z, DT_NOROOTDIR without a volume.
    TDISKTYPE TypeOf(char letter);
    // The letters C to Z whose volume has a size (a full volume too), every volume
    // read at the same time, so that hung ones cost one time-out in all.
    std::vector<char> LettersWithSpace();

private:
    void Refresh();

    VolumeService& system_;
    DriveLetters letters_;
    std::uint64_t generation_ = 0;
    std::string letter_;
    std::uint64_t size_ = 0, free_ = 0;
    TDISKTYPE type_ = TDISKTYPE::DT_UNKNOWN;
    std::string mountPoint_;
    bool cdromFound_ = false;
    std::string cdromLetter_ = "A";
};

// The drive gauge's source.
class DriveMeter {
public:
    // `groupSeparator`: the locale's thousands separator for the hint's figures.
    DriveMeter(VolumeService& system, std::string groupSeparator);

    // The reading of drive `letter`: the free-space percentage, rounded, with its
    // colour, the letter as the gauge's label, and the hint "C: HardDrive Space
    // Available 1,000 of 4,000" with the mount point on a line of its own. A full
    // volume reads 0 % in red. Nothing for a letter without a volume or a volume that
    // cannot be read: the gauge then keeps what it shows.
    std::optional<GaugeReading> HardDriveSpace(char letter);
    // The letters whose items "Graph X: HardDrive" are offered (CountDrives).
    std::vector<char> CountDrives() { return disk_.LettersWithSpace(); }
    TDISK& Disk() { return disk_; }

private:
    TDISK disk_;
    std::string separator_;
};

} // namespace kex
