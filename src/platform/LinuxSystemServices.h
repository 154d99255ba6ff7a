// The Linux system services: the CD tray through the CD-ROM ioctls (and udisks2 for a
// mounted disc), the screen saver, shutting down and restarting over D-Bus. Members
// are defined in SystemServices.cpp (D-Bus) and CdDrive.cpp (the drive).
#pragma once

#include "platform/SystemServices.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace kex {

class LinuxSystemServices : public SystemServices {
public:
    LinuxSystemServices();
    ~LinuxSystemServices() override;

    bool CdTrayPresent() override;
    void ToggleCdTray(QObject* context, std::function<void(const CdTrayOutcome&)> done) override;
    void ActivateScreenSaver(QObject* context, std::function<void(const SystemResult&)> done) override;
    void RequestPower(PowerAction action, QObject* context, std::function<void(const SystemResult&)> done) override;

    // Reaches the services' home object from another thread; drops what is posted
    // once the services are gone.
    struct Mailbox {
        std::mutex mutex;
        QObject* home = nullptr;

        void Post(std::function<void()> call)
        {
            std::lock_guard lock(mutex);
            if (home)
                QMetaObject::invokeMethod(home, std::move(call), Qt::QueuedConnection);
        }
    };

private:
    std::unique_ptr<QObject> home_; // parent of the running requests, on the creating thread
    std::shared_ptr<Mailbox> mailbox_;
    std::shared_ptr<std::atomic<bool>> cdBusy_;
};

// An optical drive as the kernel lists it under /sys/block.
struct OpticalDrive {
    std::string name; // "sr0"
    unsigned major = 0, minor = 0;
};

// The first optical drive under `sysBlock`: the lowest-numbered "srN", else the first
// by name of the other devices whose SCSI type is 5 (CD/DVD). Nothing when none.
std::optional<OpticalDrive> FirstOpticalDrive(const std::string& sysBlock = "/sys/block");

} // namespace kex
