// The Linux system services: the CD tray through the CD-ROM ioctls (and udisks2 for a
// mounted disc), the screen saver, shutting down and restarting over D-Bus. Members
// are defined in SystemServices.cpp (D-Bus) and CdDrive.cpp (the drive).
#pragma once

#include "platform/OpticalDrives.h"
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

// The first optical drive whose device number can be read (see ListOpticalDrives).
// Nothing when none.
std::optional<OpticalDrive> FirstOpticalDrive();

} // namespace kex
