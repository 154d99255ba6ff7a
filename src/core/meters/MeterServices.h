// What the gauge panel's meters ask of the system: the mounted volumes and their
// space, the memory figures, and the mixer's playback volume. The platform answers
// (TPlatform::Drives(), Memory(), Mixer()); tests give fakes. No call here may block
// its caller on a slow or hung device for longer than a short time-out.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kex {

// Facts of the block device a mounted file system lives on.
struct BlockDeviceFacts {
    bool removable = false; // the disk says its medium can be taken out
    bool optical = false;   // a CD or DVD drive
    bool ramDisk = false;   // a block device in memory (zram, ram)
};

// Size and free space of a mounted file system, in bytes; `free` is what the user
// may still write (as df's "Avail").
struct VolumeSpace {
    std::uint64_t size = 0;
    std::uint64_t free = 0;
    bool operator==(const VolumeSpace&) const = default;
};

class VolumeService {
public:
    virtual ~VolumeService() = default;
    // Changes whenever the mount table may have changed since the last call; the first
    // call answers a value other than 0.
    virtual std::uint64_t MountTableGeneration() = 0;
    // The mount table in the form of /proc/self/mountinfo; empty when unreadable.
    virtual std::string MountTable() = 0;
    // Facts of the block device major:minor; all false when there is none.
    virtual BlockDeviceFacts DeviceFacts(unsigned major, unsigned minor) = 0;
    // The optical drives' device paths ("/dev/sr0"), with or without a disc.
    virtual std::vector<std::string> OpticalDrives() = 0;
    // Size and free space of each mount point, in the order asked; nothing for one
    // that cannot be read or has not answered within a short time-out. A file system
    // that hangs costs the caller at most one time-out for the whole call.
    virtual std::vector<std::optional<VolumeSpace>> Space(const std::vector<std::string>& mountPoints) = 0;
};

class MemoryService {
public:
    virtual ~MemoryService() = default;
    // The text of /proc/meminfo; empty when unreadable.
    virtual std::string MemInfo() = 0;
};

// A mixer device's playback volume as the volume word: the left channel in the low
// and the right channel in the high 16 bits, each 0 to 65535 over the device's range.
class MixerService {
public:
    virtual ~MixerService() = default;
    // Nothing when the device is absent.
    virtual std::optional<std::uint32_t> Volume(int device) = 0;
    // False when the device is absent or refused the change.
    virtual bool SetVolume(int device, std::uint32_t word) = 0;
};

} // namespace kex
