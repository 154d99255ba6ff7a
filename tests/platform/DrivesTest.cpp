// A volume whose statvfs never returns: the caller gets "unknown" at once, the hung
// volume is probed by one thread however often it is asked, and the thread ends once
// the file system answers. Hung two ways: a FUSE mount whose server never answers
// (needs root and /dev/fuse; mounted in a mount namespace of the test's own), and a
// stand-in statvfs that blocks.
#include "platform/TempDir.h"
#include "core/meters/Disk.h"
#include "platform/Drives.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <future>
#include <iostream>
#include <map>
#include <mutex>
#include <sched.h>
#include <sys/mount.h>
#include <thread>
#include <tuple>
#include <unistd.h>

using namespace kex;
using namespace std::chrono_literals;

namespace {

// Runs `f` on a thread of its own and waits at most 20 s for it: a hang fails the
// test instead of stopping the suite.
template <class F> std::optional<std::invoke_result_t<F>> Bounded(F f)
{
    auto done = std::make_shared<std::promise<std::invoke_result_t<F>>>();
    auto answer = done->get_future();
    std::thread([done, f] { done->set_value(f()); }).detach();
    if (answer.wait_for(20s) != std::future_status::ready)
        return std::nullopt;
    return answer.get();
}

// A FUSE file system mounted at `dir` whose server never reads its requests.
class HungFuseMount {
public:
    explicit HungFuseMount(const std::string& dir)
    {
        if (::geteuid() != 0 || ::access("/dev/fuse", R_OK | W_OK) != 0) {
            why_ = "needs root and /dev/fuse";
            return;
        }
        // A mount namespace of this process's own, so no other program sees the mount.
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            why_ = "no mount namespace of its own";
            return;
        }
        fd_ = ::open("/dev/fuse", O_RDWR | O_CLOEXEC);
        const std::string options = "fd=" + std::to_string(fd_) + ",rootmode=40000,user_id=0,group_id=0";
        if (fd_ < 0 || ::mount("kexhang", dir.c_str(), "fuse.kexhang", MS_NOSUID | MS_NODEV, options.c_str()) != 0) {
            why_ = "FUSE cannot be mounted here";
            return;
        }
        dir_ = dir;
    }
    // Closing the server's end makes every waiting request fail.
    void Answer()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }
    ~HungFuseMount()
    {
        Answer();
        if (!dir_.empty())
            ::umount2(dir_.c_str(), MNT_DETACH);
    }
    bool Mounted() const { return !dir_.empty(); }
    const std::string& Why() const { return why_; }

private:
    int fd_ = -1;
    std::string dir_, why_;
};

// statvfs counted per path; for `hung`, a stand-in that blocks until released.
struct CountingStat {
    std::mutex mutex;
    std::condition_variable released;
    bool release = false;
    std::map<std::string, int> calls;
    std::string blocking;

    std::optional<VolumeSpace> Stat(const std::string& path)
    {
        std::unique_lock lock(mutex);
        ++calls[path];
        if (path == blocking) {
            released.wait(lock, [this] { return release; });
            return std::nullopt;
        }
        lock.unlock();
        return StatVolume(path);
    }
    int Calls(const std::string& path)
    {
        std::lock_guard lock(mutex);
        return calls[path];
    }
    void Release()
    {
        {
            std::lock_guard lock(mutex);
            release = true;
        }
        released.notify_all();
    }
};

TEST(DrivesTest, AVolumeWhoseStatvfsNeverReturnsLeavesTheCallerResponsive)
{
    for (const bool fuse : {false, true}) {
        SCOPED_TRACE(fuse ? "FUSE mount" : "blocking statvfs");
        TempDir tmp;
        const std::string hung = (tmp.path() / "hung").string();
        std::filesystem::create_directory(hung);
        auto stat = std::make_shared<CountingStat>(); // the probes keep it while they wait
        std::optional<HungFuseMount> mount;
        if (fuse) {
            mount.emplace(hung);
            if (!mount->Mounted()) {
                std::cout << "[  SKIPPED ] the FUSE case: " << mount->Why() << "\n";
                continue;
            }
        } else {
            stat->blocking = hung;
        }
        LinuxDrives drives(LinuxDrives::kSpaceTimeout, [stat](const std::string& path) { return stat->Stat(path); });
        const std::string healthy = tmp.path().string();

        for (int call = 0; call < 3; ++call) {
            auto answers = Bounded([&] { return drives.Space({hung, healthy}); });
            ASSERT_TRUE(answers) << "the caller was held up";
            EXPECT_FALSE((*answers)[0]) << call;
            ASSERT_TRUE((*answers)[1]) << call;
            EXPECT_GT((*answers)[1]->size, 0u);
        }
        EXPECT_EQ(stat->Calls(hung), 1); // one probe, however often it is asked

        if (fuse) {
            // The meters over it: the hung volume has a letter, is not offered, and
            // reads as unknown, so the gauge keeps what it shows.
            auto seen = Bounded([&] {
                DriveMeter meter(drives, ",");
                char letter = 0;
                for (char c = 'C'; c <= 'Z' && !letter; ++c) {
                    meter.Disk().SetDriveLetter(std::string(1, c));
                    if (meter.Disk().MountPoint() == hung)
                        letter = c;
                }
                const std::vector<char> offered = meter.CountDrives();
                return std::make_tuple(letter, meter.HardDriveSpace(letter).has_value(),
                                       std::find(offered.begin(), offered.end(), letter) != offered.end());
            });
            ASSERT_TRUE(seen) << "the caller was held up";
            const auto [letter, read, offered] = *seen;
            EXPECT_NE(letter, 0);
            EXPECT_FALSE(read);
            EXPECT_FALSE(offered);
            EXPECT_EQ(stat->Calls(hung), 1);
            mount->Answer();
        } else {
            stat->Release();
        }
        // The probe ends once the file system answers; no thread stays behind.
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (drives.OutstandingProbes() > 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(10ms);
        EXPECT_EQ(drives.OutstandingProbes(), 0);
    }
}

} // namespace
