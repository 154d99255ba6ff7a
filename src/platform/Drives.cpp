// The drive meter's volumes on Linux.
#include "platform/Drives.h"

#include "platform/Memory.h"
#include "platform/OpticalDrives.h"

#include <algorithm>
#include <climits>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <sys/statvfs.h>
#include <thread>
#include <unistd.h>

namespace kex {

using Clock = std::chrono::steady_clock;

// A late answer is used by the next call only while it is this fresh.
constexpr std::chrono::seconds kLateAnswerKept{3};
// Finished probes of mount points no longer asked for are forgotten beyond this many.
constexpr std::size_t kProbesKept = 64;

struct SpaceProber::Probe {
    bool done = false;
    bool taken = false; // its answer was given to a call
    std::optional<VolumeSpace> result;
    Clock::time_point finished;
};

// What the probe threads share with the prober; it outlives the prober while a
// thread still waits on a hung file system.
struct SpaceProber::Shared {
    std::mutex mutex;
    std::condition_variable answered;
    int outstanding = 0;
};

SpaceProber::SpaceProber(std::chrono::milliseconds timeout, StatFunction stat)
    : timeout_(timeout), stat_(stat ? std::move(stat) : StatFunction(&StatVolume)), shared_(std::make_shared<Shared>())
{
}

SpaceProber::~SpaceProber() = default;

int SpaceProber::Outstanding() const
{
    std::lock_guard lock(shared_->mutex);
    return shared_->outstanding;
}

// Called with the mutex held; nothing when no thread can be started.
std::shared_ptr<SpaceProber::Probe> SpaceProber::Start(const std::string& path)
{
    if (shared_->outstanding >= kMaxOutstanding)
        return nullptr;
    auto probe = std::make_shared<Probe>();
    try {
        std::thread([probe, shared = shared_, stat = stat_, path] {
            std::optional<VolumeSpace> result;
            try {
                result = stat(path);
            } catch (...) {
            }
            {
                std::lock_guard lock(shared->mutex);
                probe->result = result;
                probe->finished = Clock::now();
                probe->done = true;
                --shared->outstanding;
            }
            shared->answered.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return nullptr;
    }
    ++shared_->outstanding;
    return probe;
}

std::vector<std::optional<VolumeSpace>> SpaceProber::Space(const std::vector<std::string>& paths)
{
    std::vector<std::optional<VolumeSpace>> results(paths.size());
    std::vector<std::pair<std::size_t, std::shared_ptr<Probe>>> waiting;
    std::unique_lock lock(shared_->mutex);
    const Clock::time_point now = Clock::now();
    if (probes_.size() > kProbesKept)
        std::erase_if(probes_, [](const auto& p) { return !p.second || p.second->done; });
    for (std::size_t i = 0; i < paths.size(); ++i) {
        std::shared_ptr<Probe>& probe = probes_[paths[i]];
        if (probe && !probe->done)
            continue; // still waiting on the file system: unknown, and no second probe
        if (probe && !probe->taken && now - probe->finished < kLateAnswerKept) {
            // A slow mount: its late answer now, the next one read in the background.
            results[i] = probe->result;
            probe = Start(paths[i]);
            continue;
        }
        probe = Start(paths[i]);
        if (probe)
            waiting.emplace_back(i, probe);
        else
            probes_.erase(paths[i]);
    }
    shared_->answered.wait_until(lock, now + timeout_, [&] {
        return std::all_of(waiting.begin(), waiting.end(), [](const auto& w) { return w.second->done; });
    });
    for (auto& [i, probe] : waiting) {
        if (probe->done) {
            results[i] = probe->result;
            probe->taken = true;
        }
    }
    return results;
}

std::optional<VolumeSpace> StatVolume(const std::string& path)
{
    struct statvfs st {};
    if (::statvfs(path.c_str(), &st) != 0)
        return std::nullopt;
    auto bytes = [&](std::uint64_t blocks) -> std::uint64_t {
        const std::uint64_t unit = st.f_frsize ? st.f_frsize : st.f_bsize;
        if (unit != 0 && blocks > UINT64_MAX / unit)
            return UINT64_MAX;
        return blocks * unit;
    };
    return VolumeSpace{bytes(st.f_blocks), bytes(st.f_bavail)};
}

LinuxDrives::LinuxDrives(std::chrono::milliseconds timeout, SpaceProber::StatFunction stat)
    : mountsFd_(::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC)), prober_(timeout, std::move(stat))
{
}

LinuxDrives::~LinuxDrives()
{
    if (mountsFd_ >= 0)
        ::close(mountsFd_);
}

std::uint64_t LinuxDrives::MountTableGeneration()
{
    // The kernel marks the table's file with POLLPRI after every change of the
    // mount table; asking clears the mark. Without the file every call is a change.
    pollfd p{mountsFd_, POLLPRI, 0};
    if (generation_ == 0 || mountsFd_ < 0 || (::poll(&p, 1, 0) > 0 && (p.revents & (POLLPRI | POLLERR))))
        ++generation_;
    return generation_;
}

std::string LinuxDrives::MountTable() { return ReadKernelFile("/proc/self/mountinfo", 16 << 20); }

BlockDeviceFacts LinuxDrives::DeviceFacts(unsigned major, unsigned minor)
{
    BlockDeviceFacts facts;
    if (major == 0)
        return facts; // no block device: tmpfs, network and FUSE file systems
    const std::string dev = "/sys/dev/block/" + std::to_string(major) + ":" + std::to_string(minor);
    char target[PATH_MAX];
    const ssize_t n = ::readlink(dev.c_str(), target, sizeof target - 1);
    if (n <= 0)
        return facts;
    std::string path(target, std::size_t(n));
    std::string name = path.substr(path.rfind('/') + 1);
    std::string disk = dev;
    if (::access((dev + "/partition").c_str(), F_OK) == 0) {
        disk = dev + "/..";
        path.erase(path.rfind('/'));
        name = path.substr(path.rfind('/') + 1);
    }
    facts.removable = ReadKernelFile(disk + "/removable", 16).starts_with("1");
    facts.optical = major == 11 || name.starts_with("sr") || ReadKernelFile(disk + "/device/type", 16) == "5\n";
    facts.ramDisk = major == 1 || name.starts_with("zram") || name.starts_with("ram");
    return facts;
}

std::vector<std::string> LinuxDrives::OpticalDrives()
{
    std::vector<std::string> drives;
    for (const OpticalDrive& drive : ListOpticalDrives())
        drives.push_back("/dev/" + drive.name);
    return drives;
}

std::vector<std::optional<VolumeSpace>> LinuxDrives::Space(const std::vector<std::string>& mountPoints)
{
    return prober_.Space(mountPoints);
}

} // namespace kex
