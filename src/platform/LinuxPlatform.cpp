#include "platform/LinuxPlatform.h"
#include "platform/PointerWatch.h"

#include "platform/LinuxSystemServices.h"

#include "platform/Drives.h"
#include "platform/Memory.h"
#include "platform/AppMenu.h"
#include "platform/MessageBus.h"
#include "platform/Mixer.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kex {

namespace {

std::string WithSlash(std::string dir)
{
    if (dir.empty() || dir.back() != '/')
        dir += '/';
    return dir;
}

bool WritableDirectory(const std::string& dir)
{
    struct stat st {};
    return ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && ::access(dir.c_str(), W_OK) == 0;
}

bool MakeDirectories(const std::string& dir)
{
    std::string path;
    for (std::size_t i = 0; i <= dir.size(); ++i) {
        if (i == dir.size() || dir[i] == '/') {
            if (!path.empty() && ::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST)
                return false;
        }
        if (i < dir.size())
            path += dir[i];
    }
    return WritableDirectory(dir);
}

std::string ExecutableDirectory()
{
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return {};
    std::string exe(buf, std::size_t(n));
    return exe.substr(0, exe.rfind('/') + 1);
}

std::string Env(const char* name)
{
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

} // namespace

std::string ResolveAppDir(const std::string& exeDir, const std::string& kexbarDir, const std::string& configHome,
                          std::string* notice)
{
    if (!kexbarDir.empty()) {
        // Made when its parent exists; a whole missing tree is more likely a typing
        // error than a wish, and a bar that saved nowhere would lose every change.
        const int made = ::mkdir(kexbarDir.c_str(), 0755) == 0 ? 0 : errno;
        if (WritableDirectory(kexbarDir))
            return WithSlash(kexbarDir);
        const std::string fallback = ResolveAppDir(exeDir, {}, configHome);
        if (notice)
            *notice = "KEXBAR_DIR " + kexbarDir + " cannot be used ("
                      + (made && made != EEXIST ? std::strerror(made) : "not a writable directory")
                      + "); the bar keeps its files in " + fallback;
        return fallback;
    }
    if (!exeDir.empty() && WritableDirectory(exeDir))
        return WithSlash(exeDir);
    std::string dir = WithSlash(configHome) + "kexbar/";
    MakeDirectories(dir);
    return dir;
}

LinuxPlatform::LinuxPlatform() : bus_(std::make_unique<DBusMessageBus>()) {}

LinuxPlatform::~LinuxPlatform() = default;

std::string LinuxPlatform::AppDir()
{
    std::string configHome = Env("XDG_CONFIG_HOME");
    if (configHome.empty())
        configHome = Env("HOME") + "/.config";
    std::string notice;
    std::string dir = ResolveAppDir(ExecutableDirectory(), Env("KEXBAR_DIR"), configHome, &notice);
    if (!notice.empty())
        qWarning("%s", notice.c_str());
    return dir;
}

std::string LinuxPlatform::ProgramDirectory() { return ExecutableDirectory(); }

std::string LinuxPlatform::DataDirectory() { return WithSlash(KEXBAR_DATADIR); }

QSize LinuxPlatform::ScreenSize()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(1024, 768);
}

std::vector<QRect> LinuxPlatform::ScreenGeometries()
{
    std::vector<QRect> geometries;
    QScreen* primary = QGuiApplication::primaryScreen();
    if (primary)
        geometries.push_back(primary->availableGeometry());
    for (QScreen* screen : QGuiApplication::screens())
        if (screen != primary)
            geometries.push_back(screen->availableGeometry());
    return geometries;
}

int LinuxPlatform::SystemMetric(MetricId metric)
{
    switch (metric) {
    case MetricId::SM_CYMENU: return 19;
    case MetricId::SM_CYMENUSIZE: return 18;
    }
    return 0;
}

std::string LinuxPlatform::NetworkUserName()
{
    if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_name && *pw->pw_name)
        return pw->pw_name;
    return Env("USER");
}

QDateTime LinuxPlatform::Now() { return QDateTime::currentDateTime(); }

QPoint LinuxPlatform::CursorPos() { return QCursor::pos(); }

std::unique_ptr<PointerWatch> LinuxPlatform::WatchPointer(std::function<void()> moved)
{
    return MakeX11PointerWatch(std::move(moved));
}

void LinuxPlatform::BroadcastMessage(const BarMessage& message) { bus_->Post(message); }

void LinuxPlatform::SetMessageHandler(std::function<void(const BarMessage&)> handler)
{
    bus_->SetHandler(std::move(handler));
}

// The same drive as the CD tray command's, so that the item is offered exactly when
// the command has a drive to act on.
bool LinuxPlatform::CdRomFound() { return System().CdTrayPresent(); }

SystemServices& LinuxPlatform::System()
{
    if (!system_)
        system_ = std::make_unique<LinuxSystemServices>();
    return *system_;
}

VolumeService& LinuxPlatform::Drives()
{
    if (!drives_)
        drives_ = std::make_unique<LinuxDrives>();
    return *drives_;
}

MemoryService& LinuxPlatform::Memory()
{
    if (!memory_)
        memory_ = std::make_unique<LinuxMemory>();
    return *memory_;
}

MixerService& LinuxPlatform::Mixer()
{
    if (!mixer_)
        mixer_ = std::make_unique<AlsaMixer>();
    return *mixer_;
}

GroupSource& LinuxPlatform::ProgramGroups()
{
    if (!menu_)
        menu_ = std::make_unique<AppMenuSource>();
    return *menu_;
}

} // namespace kex
