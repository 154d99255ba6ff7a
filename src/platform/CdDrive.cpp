// The CD tray: the first optical drive under /sys/block, opened without waiting for a
// disc, asked with CDROM_DRIVE_STATUS and moved with CDROMEJECT or CDROMCLOSETRAY. A
// mounted disc cannot be ejected by the ioctl (the kernel refuses while the drive has
// another holder): udisks2 unmounts and ejects it. Every press runs on a thread of its
// own, so that a drive that takes seconds to answer never holds up the window.
#include "platform/LinuxSystemServices.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QPointer>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <linux/cdrom.h>
#include <mutex>
#include <sstream>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>
#include <unistd.h>

namespace kex {

namespace {

constexpr const char* kUDisks = "org.freedesktop.UDisks2";
// Unmounting and ejecting may wait for the user's authorisation.
constexpr int kUDisksTimeoutMs = 2 * 60 * 1000;

// udisks2 names a block device's object after the kernel name, every character other
// than a letter or digit written as "_" and two hex digits.
QString UDisksBlockPath(const std::string& name)
{
    QString path = QStringLiteral("/org/freedesktop/UDisks2/block_devices/");
    for (unsigned char c : name) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            path += QLatin1Char(char(c));
        else
            path += QStringLiteral("_%1").arg(unsigned(c), 2, 16, QLatin1Char('0'));
    }
    return path;
}

std::string ErrorText(const QDBusMessage& reply)
{
    return (reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage()).left(300).toStdString();
}

// Called on the press's own thread: QtDBus blocking calls are safe there.
CdAnswer UnmountAndEjectThroughUDisks(const std::string& name)
{
    const QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return {CdAnswer::Failed, "the system bus cannot be reached"};
    const QString block = UDisksBlockPath(name);
    auto call = [&](const QString& path, const QString& interface, const QString& method, const QVariantList& args) {
        QDBusMessage message = QDBusMessage::createMethodCall(QLatin1String(kUDisks), path, interface, method);
        message.setArguments(args);
        message.setInteractiveAuthorizationAllowed(true);
        return bus.call(message, QDBus::Block, kUDisksTimeoutMs);
    };

    QDBusMessage reply =
        call(block, QStringLiteral("org.freedesktop.UDisks2.Filesystem"), QStringLiteral("Unmount"), {QVariantMap()});
    // A disc without a file system (audio), or one unmounted meanwhile, is ejected as it is.
    if (reply.type() == QDBusMessage::ErrorMessage
        && reply.errorName() != QLatin1String("org.freedesktop.UDisks2.Error.NotMounted")
        && reply.errorName() != QLatin1String("org.freedesktop.DBus.Error.UnknownMethod")
        && reply.errorName() != QLatin1String("org.freedesktop.DBus.Error.UnknownInterface"))
        return {CdAnswer::Failed, ErrorText(reply)};

    reply = call(block, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                 {QStringLiteral("org.freedesktop.UDisks2.Block"), QStringLiteral("Drive")});
    if (reply.type() == QDBusMessage::ErrorMessage)
        return {CdAnswer::Failed, ErrorText(reply)};
    const QDBusObjectPath drive =
        reply.arguments().isEmpty()
            ? QDBusObjectPath()
            : qvariant_cast<QDBusVariant>(reply.arguments().first()).variant().value<QDBusObjectPath>();
    if (drive.path().isEmpty() || drive.path() == QLatin1String("/"))
        return {CdAnswer::Failed, "the disk service knows no drive for " + name};

    reply =
        call(drive.path(), QStringLiteral("org.freedesktop.UDisks2.Drive"), QStringLiteral("Eject"), {QVariantMap()});
    if (reply.type() == QDBusMessage::ErrorMessage)
        return {CdAnswer::Failed, ErrorText(reply)};
    return {};
}

class LinuxCdDrive : public CdDrive {
public:
    explicit LinuxCdDrive(OpticalDrive drive) : drive_(std::move(drive)) {}
    ~LinuxCdDrive() override { Release(); }
    LinuxCdDrive(const LinuxCdDrive&) = delete;
    LinuxCdDrive& operator=(const LinuxCdDrive&) = delete;

    bool Open() override
    {
        fd_ = ::open(("/dev/" + drive_.name).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0)
            return false;
        // Only the device the kernel listed: not whatever else lies at its name in /dev.
        struct stat st {};
        if (::fstat(fd_, &st) != 0 || !S_ISBLK(st.st_mode) || ::major(st.st_rdev) != drive_.major
            || ::minor(st.st_rdev) != drive_.minor) {
            Release();
            return false;
        }
        return true;
    }

    CdStatus Status() override
    {
        switch (::ioctl(fd_, CDROM_DRIVE_STATUS, CDSL_CURRENT)) {
        case CDS_DISC_OK: return CdStatus::DiscOk;
        case CDS_TRAY_OPEN: return CdStatus::TrayOpen;
        case CDS_NO_DISC: return CdStatus::NoDisc;
        case CDS_DRIVE_NOT_READY: return CdStatus::NotReady;
        case CDS_NO_INFO: return CdStatus::NoInfo;
        default: return CdStatus::Failed;
        }
    }

    bool Mounted() override
    {
        // The third field of a mountinfo line is the mounted device's "major:minor".
        const std::string device = std::to_string(drive_.major) + ":" + std::to_string(drive_.minor);
        std::ifstream in("/proc/self/mountinfo");
        std::string line;
        while (std::getline(in, line)) {
            std::istringstream fields(line);
            std::string id, parent, majorMinor;
            if (fields >> id >> parent >> majorMinor && majorMinor == device)
                return true;
        }
        return false;
    }

    CdAnswer Eject() override { return Ioctl(CDROMEJECT); }
    CdAnswer CloseTray() override { return Ioctl(CDROMCLOSETRAY); }

    CdAnswer UnmountAndEject() override
    {
        // The kernel refuses to eject while anyone else holds the drive open, the
        // disk service's own eject included.
        Release();
        return UnmountAndEjectThroughUDisks(drive_.name);
    }

private:
    CdAnswer Ioctl(unsigned long request)
    {
        if (fd_ < 0)
            return {CdAnswer::Failed, "the drive is not open"};
        if (::ioctl(fd_, request, 0) == 0)
            return {};
        const int error = errno;
        return {error == EBUSY ? CdAnswer::Busy : CdAnswer::Failed, std::strerror(error)};
    }

    void Release()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

    OpticalDrive drive_;
    int fd_ = -1;
};

} // namespace

std::optional<OpticalDrive> FirstOpticalDrive()
{
    for (OpticalDrive& drive : ListOpticalDrives())
        if (drive.HasDevice())
            return std::move(drive);
    return std::nullopt;
}

bool LinuxSystemServices::CdTrayPresent() { return FirstOpticalDrive().has_value(); }

void LinuxSystemServices::ToggleCdTray(QObject* context, std::function<void(const CdTrayOutcome&)> done)
{
    auto answer = [context = QPointer<QObject>(context), done = std::move(done)](const CdTrayOutcome& outcome) {
        if (context && done)
            done(outcome);
    };
    if (cdBusy_->exchange(true)) {
        CdTrayOutcome busy;
        busy.error = "the drive is still answering the previous command";
        QMetaObject::invokeMethod(
            home_.get(), [answer = std::move(answer), busy] { answer(busy); }, Qt::QueuedConnection);
        return;
    }
    std::thread([mailbox = mailbox_, cdBusy = cdBusy_, answer = std::move(answer)]() mutable {
        CdTrayOutcome outcome;
        if (std::optional<OpticalDrive> found = FirstOpticalDrive()) {
            LinuxCdDrive drive(*found);
            outcome = kex::ToggleCdTray(&drive);
        }
        cdBusy->store(false);
        mailbox->Post([answer = std::move(answer), outcome] { answer(outcome); });
    }).detach();
}

} // namespace kex
