// The mounted volumes for the drive meter: the mount table, the block devices' facts
// from /sys, the optical drives, and each volume's space read by statvfs on threads
// of its own, so that a hung network or FUSE mount never holds up the caller.
#pragma once

#include "core/meters/MeterServices.h"

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace kex {

// statvfs off the caller's thread. A call waits for its probes at most `timeout`
// in all; a mount that has not answered by then reads as unknown, and while its
// probe still waits no second one is started for it (at most one per mount point,
// and a bound on all of them). A probe that answers after its call had given up
// answers the next call, which then does not wait.
class SpaceProber {
public:
    using StatFunction = std::function<std::optional<VolumeSpace>(const std::string& path)>;
    SpaceProber(std::chrono::milliseconds timeout, StatFunction stat);
    ~SpaceProber();

    std::vector<std::optional<VolumeSpace>> Space(const std::vector<std::string>& paths);
    // Probes that have not answered yet.
    int Outstanding() const;

    static constexpr int kMaxOutstanding = 32;

private:
    struct Probe;
    struct Shared;
    std::shared_ptr<Probe> Start(const std::string& path);

    std::chrono::milliseconds timeout_;
    StatFunction stat_;
    std::shared_ptr<Shared> shared_;
    std::map<std::string, std::shared_ptr<Probe>> probes_;
};

// statvfs: the size and what the user may write, in bytes; nothing on failure.
std::optional<VolumeSpace> StatVolume(const std::string& path);

class LinuxDrives : public VolumeService {
public:
    static constexpr std::chrono::milliseconds kSpaceTimeout{250};
    // `stat` stands in for statvfs in tests.
    explicit LinuxDrives(std::chrono::milliseconds timeout = kSpaceTimeout, SpaceProber::StatFunction stat = {});
    ~LinuxDrives() override;

    std::uint64_t MountTableGeneration() override;
    std::string MountTable() override;
    BlockDeviceFacts DeviceFacts(unsigned major, unsigned minor) override;
    std::vector<std::string> OpticalDrives() override;
    std::vector<std::optional<VolumeSpace>> Space(const std::vector<std::string>& mountPoints) override;

    int OutstandingProbes() const { return prober_.Outstanding(); }

private:
    int mountsFd_ = -1; // /proc/self/mountinfo, polled for changes
    std::uint64_t generation_ = 0;
    SpaceProber prober_;
};

} // namespace kex
