// The mounted volumes as drive letters. C is "/"; then come the other real file
// systems in mount-point order, then the optical drives. Pseudo file systems, the
// system's own mounts under /proc, /sys, /dev and /run (its tmpfs, the users'
// runtime directories), snap images and second mounts of a file system already
// listed are no drives. A letter stays with its volume for the whole run, so a volume
// that comes or goes never renames another.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/meters/MeterServices.h"

namespace kex {

// A drive's type; 1 to 6 keep the numbers of the classic drive type codes.
enum class TDISKTYPE : std::uint8_t {
    DT_UNKNOWN,
    DT_NOROOTDIR,
    DT_REMOVABLE,
    DT_FIXED,
    DT_REMOTE,
    DT_CDROM,
    DT_RAMDISK
};

// One line of the mount table (/proc/self/mountinfo).
struct MountEntry {
    unsigned major = 0, minor = 0;
    std::string root; // the part of the file system mounted here ("/" for all of it)
    std::string mountPoint;
    std::string fsType; // "ext4", "nfs4", "fuse.sshfs", ...
    std::string source; // "/dev/sda1", "server:/export", "tmpfs", ...
};

// Every well-formed line, in the table's order; other lines are skipped. The
// table's escapes ("\040" for a blank, "\012", "\134", ...) are decoded.
std::vector<MountEntry> ParseMountInfo(std::string_view text);
// A field of the table with its three-digit octal escapes decoded.
std::string DecodeMountField(std::string_view field);

// The type of a mounted file system, from its type name and its block device.
TDISKTYPE VolumeType(const MountEntry& entry, const BlockDeviceFacts& device);

// A volume that can carry a letter.
struct Volume {
    std::string id;         // what its letter stays with: the mount point, or an optical drive's device
    std::string mountPoint; // where its space is read; empty for an optical drive without a mounted disc
    TDISKTYPE type = TDISKTYPE::DT_FIXED;
    bool operator==(const Volume&) const = default;
};

using DeviceFactsLookup = std::function<BlockDeviceFacts(unsigned major, unsigned minor)>;

// The real volumes of a mount table in letter order: "/" first, the others by mount
// point, then the optical drives (by device). A file system mounted twice (a bind
// mount, another subvolume of the same file system) counts once, at its shortest
// mount point; of mounts stacked on one point the last one counts.
std::vector<Volume> RealVolumes(const std::vector<MountEntry>& table, const DeviceFactsLookup& facts,
                                const std::vector<std::string>& opticalDrives);

// The letters C to Z over the volumes of one run.
class DriveLetters {
public:
    // Gives the letters for the volumes now present: "/" has C; a volume that had a
    // letter keeps it, also when it was gone for a while; a new volume takes the
    // first letter never given; when none is left, the first letter whose volume is
    // gone. Volumes beyond the 24 letters get none.
    void Update(const std::vector<Volume>& volumes);
    // The volume that has the letter now (upper case); nullptr when none is mounted.
    const Volume* VolumeOf(char letter) const;
    // The letter of a present volume, 0 when it has none.
    char LetterOf(std::string_view id) const;

private:
    static constexpr int kLetters = 'Z' - 'C' + 1;
    std::array<std::string, kLetters> ids_; // letter to the id it was given to ("" never given)
    std::array<bool, kLetters> present_{};
    std::array<Volume, kLetters> volumes_;
};

} // namespace kex
