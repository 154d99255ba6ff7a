// Icons from files: Windows icon files and programs (through the readers of
// launch/IconReaders), images Qt can read, desktop entries, icon theme names and
// Linux programs through the desktop entry that starts them. Every result is a
// 32 × 32 ARGB image, the standard icon size of the bar's buttons, drawn at the
// screen's device pixel ratio: on a high-density screen it holds 32 × ratio pixels
// from the largest source there is, with the ratio set on the image.
//
// The bar asks for the icons of up to 210 buttons at start-up, so results are kept
// per process: decoded images by (file, index, modification time, size), theme icons
// by name, and the index of installed desktop entries (program → Icon), built once on
// first use. A change of $HOME, $PATH or the XDG data directories starts afresh.
#include "core/launch/DesktopEntry.h"
#include "core/launch/IconReaders.h"
#include "platform/LinuxPlatform.h"

#include <QGuiApplication>
#include <QIcon>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace kex {

namespace {

constexpr int kIconSize = kStandardIconSize;
// Image files larger than this are not read as icons.
constexpr long long kMaxImageFileBytes = 32LL << 20;
// Desktop files visited when the program index is built.
constexpr int kMaxDesktopFiles = 20000;
// Cached results beyond this are dropped all together.
constexpr std::size_t kMaxCachedImages = 4096;
// A desktop entry's Icon naming another desktop entry is followed this deep.
constexpr int kMaxDepth = 3;

std::string Env(const char* name)
{
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

std::string BaseName(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string LowerSuffix(const std::string& path)
{
    const std::string base = BaseName(path);
    const std::size_t dot = base.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return {};
    std::string s = base.substr(dot);
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return s;
}

std::string RealPath(const std::string& path)
{
    char buf[PATH_MAX];
    return ::realpath(path.c_str(), buf) ? std::string(buf) : std::string();
}

bool IsRegularFile(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsExecutableFile(const std::string& path) { return IsRegularFile(path) && ::access(path.c_str(), X_OK) == 0; }

// The data directories of the XDG base directory rules, most important first.
struct XdgDirs {
    std::string home;
    std::string dataHome;
    std::vector<std::string> dataDirs;
};

XdgDirs CurrentXdgDirs()
{
    XdgDirs d;
    d.home = Env("HOME");
    d.dataHome = Env("XDG_DATA_HOME");
    if (d.dataHome.empty() || d.dataHome[0] != '/')
        d.dataHome = d.home.empty() ? std::string() : d.home + "/.local/share";
    std::string dirs = Env("XDG_DATA_DIRS");
    if (dirs.empty())
        dirs = "/usr/local/share:/usr/share";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t colon = dirs.find(':', start);
        if (colon == std::string::npos)
            colon = dirs.size();
        std::string dir = dirs.substr(start, colon - start);
        while (dir.size() > 1 && dir.back() == '/')
            dir.pop_back();
        if (!dir.empty() && dir[0] == '/')
            d.dataDirs.push_back(dir);
        start = colon + 1;
    }
    return d;
}

// Finds a bare program name on $PATH: the first executable regular file.
std::string FindOnPath(const std::string& name)
{
    const std::string path = Env("PATH");
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t colon = path.find(':', start);
        if (colon == std::string::npos)
            colon = path.size();
        std::string candidate = colon > start ? path.substr(start, colon - start) : std::string(".");
        candidate += '/';
        candidate += name;
        if (IsExecutableFile(candidate))
            return candidate;
        start = colon + 1;
    }
    return {};
}

// The pixel scale icons are made at: the largest device pixel ratio of the screens
// (1 without a GUI application), and the icon's side in pixels at that ratio.
struct IconScale {
    qreal ratio = 1.0;
    int pixels = kIconSize;
};

IconScale CurrentIconScale()
{
    IconScale scale;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        const qreal ratio = qGuiApp->devicePixelRatio();
        // A broken or absurd ratio falls back to 1; 8 is beyond any real screen.
        if (ratio > 1.0 && ratio <= 8.0) {
            scale.ratio = ratio;
            scale.pixels = qRound(kIconSize * ratio);
        }
    }
    return scale;
}

// Any image as a 32 × 32 ARGB icon at the scale's pixels: larger or non-square images
// are scaled to fit and centred, smaller ones scaled up, as Windows shows every icon
// at that size.
QImage ToIconSize(const QImage& image, const IconScale& scale)
{
    if (image.isNull())
        return {};
    const int px = scale.pixels;
    QImage icon;
    if (image.size() == QSize(px, px)) {
        icon = image.convertToFormat(QImage::Format_ARGB32);
    } else {
        const QImage scaled = image.scaled(px, px, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        QImage canvas(px, px, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::transparent);
        {
            QPainter painter(&canvas);
            painter.drawImage((px - scaled.width()) / 2, (px - scaled.height()) / 2, scaled);
        }
        icon = canvas.convertToFormat(QImage::Format_ARGB32);
    }
    icon.setDevicePixelRatio(scale.ratio);
    return icon;
}

QImage FromIconImage(const std::optional<IconImage>& icon, const IconScale& scale)
{
    if (!icon)
        return {};
    if (icon->IsPng())
        return ToIconSize(QImage::fromData(icon->png.data(), int(icon->png.size()), "PNG"), scale);
    const IconPixels& px = icon->pixels;
    QImage image(px.width, px.height, QImage::Format_ARGB32);
    if (image.isNull())
        return {};
    for (int y = 0; y < px.height; ++y)
        std::memcpy(image.scanLine(y), px.argb.data() + std::size_t(y) * std::size_t(px.width),
                    std::size_t(px.width) * 4);
    return ToIconSize(image, scale);
}

const QByteArray kPngSignature("\x89PNG\r\n\x1a\n", 8);

// An image file Qt can read (PNG, SVG with the svg plugin, XPM, BMP, ...).
QImage ReadImageFile(const std::string& path, const IconScale& scale)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxImageFileBytes)
        return {};
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // A PNG file (most icons) is handed to Qt's own reader at once: left to guess, Qt
    // asks every image plugin first, loading the SVG, JPEG, GIF and ICO libraries.
    const bool png = file.read(kPngSignature.size()) == kPngSignature;
    if (!file.seek(0))
        return {};
    QImageReader reader(&file);
    if (png) {
        reader.setFormat("png");
        reader.setAutoDetectImageFormat(false);
    }
    if (!reader.canRead())
        return {};
    const QByteArray format = reader.format();
    if (format == "svg" || format == "svgz") {
        // Vector images are rendered at the icon's pixels, not at their nominal size.
        QSize size = reader.size();
        if (size.isValid() && !size.isEmpty())
            reader.setScaledSize(size.scaled(scale.pixels, scale.pixels, Qt::KeepAspectRatio));
        else
            reader.setScaledSize(QSize(scale.pixels, scale.pixels));
    }
    return ToIconSize(reader.read(), scale);
}

bool IsImageSuffix(const std::string& suffix)
{
    static const char* const kSuffixes[] = {".png", ".svg", ".svgz", ".xpm", ".bmp", ".jpg", ".jpeg", ".gif"};
    for (const char* s : kSuffixes)
        if (suffix == s)
            return true;
    return false;
}

// The index of installed desktop entries: which Icon belongs to a program.
struct ProgramIndex {
    std::map<std::string, std::string> byPath; // Exec program given as a path
    std::map<std::string, std::string> byName; // Exec program given as a bare name
};

// The program an Exec line starts, looking through "env VAR=value program".
std::string ExecProgram(const std::vector<std::string>& argv)
{
    std::size_t i = 0;
    if (!argv.empty() && BaseName(argv[0]) == "env") {
        i = 1;
        while (i < argv.size() && (argv[i].find('=') != std::string::npos || (!argv[i].empty() && argv[i][0] == '-')))
            ++i;
    }
    return i < argv.size() ? argv[i] : std::string();
}

void IndexDirectory(const std::string& dir, const std::string& idPrefix, int depth, ProgramIndex& index,
                    std::map<std::string, bool>& seenIds, int& budget)
{
    DIR* d = ::opendir(dir.c_str());
    if (!d)
        return;
    std::vector<std::string> names;
    while (const dirent* e = ::readdir(d)) {
        if (e->d_name[0] == '.')
            continue;
        names.emplace_back(e->d_name);
    }
    ::closedir(d);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        if (--budget < 0)
            return;
        const std::string path = dir + "/" + name;
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode)) {
            if (depth < 4)
                IndexDirectory(path, idPrefix + name + "-", depth + 1, index, seenIds, budget);
            continue;
        }
        if (!S_ISREG(st.st_mode) || LowerSuffix(name) != ".desktop")
            continue;
        // The same desktop file id in a later directory is hidden by the earlier one.
        if (!seenIds.emplace(idPrefix + name, true).second)
            continue;
        auto entry = ReadDesktopEntry(path);
        if (!entry || entry->hidden || entry->type != "Application" || entry->icon.empty())
            continue;
        const std::string program = ExecProgram(entry->Argv());
        if (program.empty())
            continue;
        if (program.find('/') != std::string::npos) {
            index.byPath.emplace(program, entry->icon);
            const std::string real = RealPath(program);
            if (!real.empty())
                index.byPath.emplace(real, entry->icon);
        } else {
            index.byName.emplace(program, entry->icon);
        }
    }
}

ProgramIndex BuildProgramIndex(const XdgDirs& xdg)
{
    ProgramIndex index;
    std::map<std::string, bool> seenIds;
    int budget = kMaxDesktopFiles;
    if (!xdg.dataHome.empty())
        IndexDirectory(xdg.dataHome + "/applications", "", 0, index, seenIds, budget);
    for (const std::string& dir : xdg.dataDirs)
        IndexDirectory(dir + "/applications", "", 0, index, seenIds, budget);
    return index;
}

class IconService {
public:
    static IconService& Instance()
    {
        static IconService service;
        return service;
    }

    QImage Extract(const std::string& file, int index)
    {
        std::lock_guard lock(mutex_);
        CheckWorld();
        return Load(file, index, 0);
    }

    int Count(const std::string& file)
    {
        std::lock_guard lock(mutex_);
        CheckWorld();
        if (file.empty())
            return 0;
        if (file.find('/') == std::string::npos)
            return ThemeIcon(file).isNull() ? 0 : 1;
        struct stat st {};
        if (::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            return 0;
        const Key key{file, -1, StampOf(st), std::int64_t(st.st_size)};
        if (auto it = counts_.find(key); it != counts_.end())
            return it->second;
        int count = 0;
        auto src = FileByteSource::Open(file);
        if (src && LooksLikePe(*src))
            count = PeIconCount(*src);
        else
            count = Load(file, 0, 0).isNull() ? 0 : 1;
        if (counts_.size() >= kMaxCachedImages)
            counts_.clear();
        counts_.emplace(key, count);
        return count;
    }

private:
    using Key = std::tuple<std::string, int, std::int64_t, std::int64_t>;

    static std::int64_t StampOf(const struct stat& st)
    {
        return std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    }

    // Everything cached depends on where desktop entries and themes are looked up.
    void CheckWorld()
    {
        // A change of the screens' pixel ratio changes every image.
        scale_ = CurrentIconScale();
        std::string world = Env("HOME") + '\n' + Env("PATH") + '\n' + Env("XDG_DATA_HOME") + '\n' + Env("XDG_DATA_DIRS")
                            + '\n' + std::to_string(scale_.pixels);
        if (world == world_)
            return;
        world_ = std::move(world);
        xdg_ = CurrentXdgDirs();
        programIndex_.reset();
        images_.clear();
        counts_.clear();
        themeIcons_.clear();
    }

    QImage Load(const std::string& file, int index, int depth)
    {
        if (file.empty() || index < 0 || depth > kMaxDepth)
            return {};
        if (file.find('/') == std::string::npos)
            return index == 0 ? ThemeIcon(file) : QImage();
        struct stat st {};
        if (::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            return {};
        const Key key{file, index, StampOf(st), std::int64_t(st.st_size)};
        if (auto it = images_.find(key); it != images_.end())
            return it->second;
        QImage image = LoadFile(file, index, st, depth);
        if (images_.size() >= kMaxCachedImages)
            images_.clear();
        images_.emplace(key, image);
        return image;
    }

    QImage LoadFile(const std::string& file, int index, const struct stat& st, int depth)
    {
        auto src = FileByteSource::Open(file);
        if (!src)
            return {};
        if (LooksLikeIco(*src))
            return index == 0 ? FromIconImage(ReadIcoIcon(*src, scale_.pixels), scale_) : QImage();
        if (LooksLikePe(*src))
            return FromIconImage(ReadPeIcon(*src, index, scale_.pixels), scale_);
        src.reset();
        if (index != 0)
            return {};
        const std::string suffix = LowerSuffix(file);
        if (suffix == ".desktop") {
            auto entry = ReadDesktopEntry(file);
            return entry ? IconValue(entry->icon, depth + 1) : QImage();
        }
        if (IsImageSuffix(suffix))
            return ReadImageFile(file, scale_);
        if ((st.st_mode & 0111) && ::access(file.c_str(), X_OK) == 0)
            return ProgramIcon(file, depth);
        return ReadImageFile(file, scale_);
    }

    // A desktop entry's Icon value: an absolute path, or a theme name.
    QImage IconValue(const std::string& icon, int depth)
    {
        if (icon.empty())
            return {};
        if (icon[0] == '/')
            return Load(icon, 0, depth);
        if (icon.find('/') != std::string::npos)
            return {}; // relative paths have no defined base
        return ThemeIcon(icon);
    }

    // A Linux program: the Icon of the installed desktop entry that starts it, else
    // the theme icon named like the program.
    QImage ProgramIcon(const std::string& program, int depth)
    {
        if (!programIndex_)
            programIndex_ = BuildProgramIndex(xdg_);
        const ProgramIndex& index = *programIndex_;
        const std::string real = RealPath(program);
        for (const std::string& path : {program, real})
            if (auto it = index.byPath.find(path); !path.empty() && it != index.byPath.end())
                if (QImage image = IconValue(it->second, depth + 1); !image.isNull())
                    return image;
        const std::string name = BaseName(program);
        if (auto it = index.byName.find(name); it != index.byName.end()) {
            const std::string found = FindOnPath(name);
            if (!found.empty() && RealPath(found) == real)
                if (QImage image = IconValue(it->second, depth + 1); !image.isNull())
                    return image;
        }
        return ThemeIcon(name);
    }

    QImage ThemeIcon(const std::string& rawName)
    {
        // "name.png" in an Icon line means the theme icon "name".
        std::string name = rawName;
        const std::string suffix = LowerSuffix(name);
        if (suffix == ".png" || suffix == ".svg" || suffix == ".xpm")
            name.resize(name.size() - suffix.size());
        if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..")
            return {};
        if (auto it = themeIcons_.find(name); it != themeIcons_.end())
            return it->second;
        QImage image = LookUpTheme(name);
        if (themeIcons_.size() >= kMaxCachedImages)
            themeIcons_.clear();
        themeIcons_.emplace(name, image);
        return image;
    }

    QImage LookUpTheme(const std::string& name)
    {
        // The desktop's own icon theme, when Qt knows one (it needs the GUI application).
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
            const QIcon icon = QIcon::fromTheme(QString::fromStdString(name));
            if (!icon.isNull()) {
                QImage image = ToIconSize(icon.pixmap(QSize(kIconSize, kIconSize), scale_.ratio).toImage(), scale_);
                if (!image.isNull())
                    return image;
            }
        }
        // Without one (as on the offscreen platform): the fallback theme "hicolor" and
        // the pixmaps directories, searched here.
        std::vector<std::string> bases;
        if (!xdg_.home.empty())
            bases.push_back(xdg_.home + "/.icons");
        if (!xdg_.dataHome.empty())
            bases.push_back(xdg_.dataHome + "/icons");
        for (const std::string& dir : xdg_.dataDirs)
            bases.push_back(dir + "/icons");
        // The size of the icon's pixels first, then the scalable one, then larger
        // sizes rising, then smaller ones falling (at 1 × : 32, scalable, 48 … 512, 24 … 16).
        static const int kSizes[] = {16, 22, 24, 32, 48, 64, 96, 128, 256, 512};
        std::vector<std::string> sizes;
        const int px = scale_.pixels;
        if (std::find(std::begin(kSizes), std::end(kSizes), px) != std::end(kSizes))
            sizes.push_back(std::to_string(px) + "x" + std::to_string(px));
        sizes.push_back("scalable");
        for (int n : kSizes)
            if (n > px)
                sizes.push_back(std::to_string(n) + "x" + std::to_string(n));
        for (auto it = std::rbegin(kSizes); it != std::rend(kSizes); ++it)
            if (*it < px)
                sizes.push_back(std::to_string(*it) + "x" + std::to_string(*it));
        static const char* const kExtensions[] = {".png", ".svg", ".xpm"};
        for (const std::string& base : bases)
            for (const std::string& size : sizes)
                for (const char* ext : kExtensions) {
                    const std::string path = base + "/hicolor/" + size + "/apps/" + name + ext;
                    if (IsRegularFile(path))
                        if (QImage image = ReadImageFile(path, scale_); !image.isNull())
                            return image;
                }
        std::vector<std::string> pixmaps;
        if (!xdg_.dataHome.empty())
            pixmaps.push_back(xdg_.dataHome + "/pixmaps");
        for (const std::string& dir : xdg_.dataDirs)
            pixmaps.push_back(dir + "/pixmaps");
        pixmaps.push_back("/usr/share/pixmaps");
        for (const std::string& dir : pixmaps)
            for (const char* ext : kExtensions) {
                const std::string path = dir + "/" + name + ext;
                if (IsRegularFile(path))
                    if (QImage image = ReadImageFile(path, scale_); !image.isNull())
                        return image;
            }
        return {};
    }

    std::recursive_mutex mutex_;
    std::string world_;
    IconScale scale_;
    XdgDirs xdg_;
    std::optional<ProgramIndex> programIndex_;
    std::map<Key, QImage> images_;
    std::map<Key, int> counts_;
    std::map<std::string, QImage> themeIcons_;
};

} // namespace

QImage LinuxPlatform::ExtractIcon(const std::string& file, int index)
{
    return IconService::Instance().Extract(file, index);
}

int LinuxPlatform::IconCount(const std::string& file) { return IconService::Instance().Count(file); }

} // namespace kex
