// The optical drives as the kernel lists them under /sys/block: one scan, used by the
// drive meter (which volumes are CDs) and by the CD tray (which drive to open).
#pragma once

#include <string>
#include <vector>

namespace kex {

struct OpticalDrive {
    std::string name; // "sr0"
    // Its device number, from "<name>/dev"; both 0 when that cannot be read.
    unsigned major = 0, minor = 0;
    bool HasDevice() const { return major != 0 || minor != 0; }
};

// The SCSI CD-ROM devices "srN" and every other device whose SCSI type is 5 (CD/DVD),
// the "srN" first by their number, then the others by name. Empty when `sysBlock`
// cannot be read.
std::vector<OpticalDrive> ListOpticalDrives(const std::string& sysBlock = "/sys/block");

} // namespace kex
