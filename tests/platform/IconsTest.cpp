// Icons from files on this machine, in a private world of XDG data directories and
// $PATH made by each test.
#include "core/IconFileBuilder.h"
#include "platform/LinuxPlatform.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>

namespace kex {
namespace {

using testicons::Bytes;
using testicons::SolidImage;

constexpr QRgb kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF;

class IconsTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        root_ = dir_.path().toStdString();
        for (const char* name : {"XDG_DATA_HOME", "XDG_DATA_DIRS", "PATH"}) {
            const char* v = std::getenv(name);
            saved_.push_back({name, v ? std::optional<std::string>(v) : std::nullopt});
        }
        setenv("XDG_DATA_HOME", (root_ + "/user").c_str(), 1);
        setenv("XDG_DATA_DIRS", (root_ + "/system:" + root_ + "/other").c_str(), 1);
        setenv("PATH", (root_ + "/bin:/usr/bin:/bin").c_str(), 1);
    }

    void TearDown() override
    {
        for (const auto& [name, value] : saved_) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
    }

    // Writes a file under the test's root (creating its directories); its full path.
    std::string Write(const std::string& rel, const Bytes& bytes)
    {
        const std::string path = root_ + "/" + rel;
        for (std::size_t i = root_.size() + 1; i < path.size(); ++i)
            if (path[i] == '/')
                ::mkdir(path.substr(0, i).c_str(), 0755);
        QFile f(QString::fromStdString(path));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
        return path;
    }
    std::string WriteText(const std::string& rel, const std::string& text)
    {
        return Write(rel, Bytes(text.begin(), text.end()));
    }
    std::string WriteImage(const std::string& rel, QSize size, QRgb colour, const char* format)
    {
        const std::string path = Write(rel, {});
        QImage image(size, QImage::Format_ARGB32);
        image.fill(colour);
        EXPECT_TRUE(image.save(QString::fromStdString(path), format));
        return path;
    }
    std::string WriteProgram(const std::string& rel)
    {
        const std::string path = WriteText(rel, "#!/bin/sh\nexit 0\n");
        ::chmod(path.c_str(), 0755);
        return path;
    }

    // The icon is the standard 32 × 32 ARGB image with this colour in its middle.
    static void ExpectIcon(const QImage& icon, QRgb colour)
    {
        ASSERT_FALSE(icon.isNull());
        EXPECT_EQ(icon.size(), QSize(32, 32));
        EXPECT_EQ(icon.format(), QImage::Format_ARGB32);
        EXPECT_EQ(icon.pixel(16, 16), colour) << std::hex << icon.pixel(16, 16);
    }

    QTemporaryDir dir_;
    std::string root_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
    LinuxPlatform platform_;
};

TEST_F(IconsTest, IcoFileIsOneIcon)
{
    const std::string ico = Write("a.ico", testicons::BuildIco({SolidImage(16, kRed), SolidImage(32, kGreen)}));
    ExpectIcon(platform_.ExtractIcon(ico, 0), kGreen);
    EXPECT_EQ(platform_.IconCount(ico), 1);
    EXPECT_TRUE(platform_.ExtractIcon(ico, 1).isNull());
    EXPECT_TRUE(platform_.ExtractIcon(ico, -1).isNull());

    // Only a 16 × 16 image: shown at the standard size.
    const std::string small = Write("small.ico", testicons::BuildIco({SolidImage(16, kBlue)}));
    ExpectIcon(platform_.ExtractIcon(small, 0), kBlue);
}

TEST_F(IconsTest, WindowsProgramHasOneIconPerGroup)
{
    const std::string exe = Write("prog.exe", testicons::BuildPe({{SolidImage(48, kGreen), SolidImage(32, kRed)},
                                                                  {SolidImage(32, kGreen)},
                                                                  {{32, 32, 32, testicons::SolidPng(32, 32, kBlue)}}}));
    EXPECT_EQ(platform_.IconCount(exe), 3);
    ExpectIcon(platform_.ExtractIcon(exe, 0), kRed);
    ExpectIcon(platform_.ExtractIcon(exe, 1), kGreen);
    ExpectIcon(platform_.ExtractIcon(exe, 2), kBlue);
    EXPECT_TRUE(platform_.ExtractIcon(exe, 3).isNull());

    const std::string dll = Write("lib.dll", testicons::BuildPe({{SolidImage(32, kBlue)}}, true));
    EXPECT_EQ(platform_.IconCount(dll), 1);
    ExpectIcon(platform_.ExtractIcon(dll, 0), kBlue);
}

TEST_F(IconsTest, ImageFilesAreOneIconAtTheStandardSize)
{
    struct Case {
        const char* file;
        QSize size;
        const char* format;
    };
    const Case cases[] = {
        {"big.png", {64, 64}, "PNG"},
        {"wide.png", {64, 32}, "PNG"},
        {"pic.bmp", {32, 32}, "BMP"},
        {"tiny.xpm", {16, 16}, "XPM"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = WriteImage(c.file, c.size, kRed, c.format);
        const QImage icon = platform_.ExtractIcon(path, 0);
        ExpectIcon(icon, kRed);
        EXPECT_EQ(platform_.IconCount(path), 1);
        EXPECT_TRUE(platform_.ExtractIcon(path, 1).isNull());
        if (c.size.width() != c.size.height()) { // fitted and centred: transparent above
            EXPECT_EQ(qAlpha(icon.pixel(16, 0)), 0);
        }
    }
}

TEST_F(IconsTest, SvgNeedsTheImagePlugin)
{
    const std::string svg = WriteText("v.svg", "<svg xmlns='http://www.w3.org/2000/svg' width='512' height='512'>"
                                               "<rect width='512' height='512' fill='#0000ff'/></svg>");
    if (!QImageReader::supportedImageFormats().contains("svg")) {
        // Without the plugin an SVG file simply has no icon.
        EXPECT_TRUE(platform_.ExtractIcon(svg, 0).isNull());
        EXPECT_EQ(platform_.IconCount(svg), 0);
        GTEST_SKIP() << "Qt's svg image plugin is not installed";
    }
    ExpectIcon(platform_.ExtractIcon(svg, 0), kBlue);
    EXPECT_EQ(platform_.IconCount(svg), 1);
}

TEST_F(IconsTest, DesktopFilesAndThemeNames)
{
    const std::string png = WriteImage("pics/green.png", {32, 32}, kGreen, "PNG");
    WriteImage("user/icons/hicolor/48x48/apps/kexbartest-theme.png", {48, 48}, kBlue, "PNG");
    WriteImage("other/pixmaps/kexbartest-pixmap.xpm", {32, 32}, kRed, "XPM");

    const std::string byPath = WriteText("a.desktop", "[Desktop Entry]\nType=Application\nIcon=" + png + "\n");
    const std::string byName = WriteText("b.desktop", "[Desktop Entry]\nType=Link\nIcon=kexbartest-theme\n");
    const std::string none = WriteText("c.desktop", "[Desktop Entry]\nName=No icon\n");
    const std::string broken = WriteText("d.desktop", "Icon=" + png + "\n");
    ExpectIcon(platform_.ExtractIcon(byPath, 0), kGreen);
    ExpectIcon(platform_.ExtractIcon(byName, 0), kBlue);
    EXPECT_EQ(platform_.IconCount(byPath), 1);
    EXPECT_TRUE(platform_.ExtractIcon(byPath, 1).isNull());
    EXPECT_TRUE(platform_.ExtractIcon(none, 0).isNull());
    EXPECT_EQ(platform_.IconCount(none), 0);
    EXPECT_TRUE(platform_.ExtractIcon(broken, 0).isNull());

    ExpectIcon(platform_.ExtractIcon("kexbartest-theme", 0), kBlue);
    ExpectIcon(platform_.ExtractIcon("kexbartest-theme.png", 0), kBlue);
    ExpectIcon(platform_.ExtractIcon("kexbartest-pixmap", 0), kRed);
    EXPECT_EQ(platform_.IconCount("kexbartest-theme"), 1);
    EXPECT_TRUE(platform_.ExtractIcon("kexbartest-no-such-icon", 0).isNull());
    EXPECT_EQ(platform_.IconCount("kexbartest-no-such-icon"), 0);
}

TEST_F(IconsTest, LinuxProgramTakesTheIconOfItsDesktopEntry)
{
    const std::string blue = WriteImage("pics/blue.png", {32, 32}, kBlue, "PNG");
    WriteImage("user/icons/hicolor/32x32/apps/kexbartest-green.png", {32, 32}, kGreen, "PNG");
    WriteImage("user/icons/hicolor/scalable/apps/kexbartest-themed.png", {64, 64}, kRed, "PNG");

    // Exec names the program by its path (in a subdirectory of applications/).
    const std::string byPath = WriteProgram("opt/kexbartest-one");
    WriteText("system/applications/vendor/one.desktop",
              "[Desktop Entry]\nType=Application\nExec=\"" + byPath + "\" %U\nIcon=" + blue + "\n");
    // Exec names it by a bare name found on $PATH, behind env.
    const std::string onPath = WriteProgram("bin/kexbartest-two");
    WriteText("other/applications/two.desktop",
              "[Desktop Entry]\nType=Application\nExec=env LANG=C kexbartest-two --x %f\nIcon=kexbartest-green\n");
    // The same name elsewhere is another program.
    const std::string notOnPath = WriteProgram("opt/kexbartest-two");
    // A user's hidden entry hides the system's entry of the same id.
    const std::string hidden = WriteProgram("opt/kexbartest-three");
    WriteText("system/applications/vendor-three.desktop",
              "[Desktop Entry]\nType=Application\nExec=" + hidden + "\nIcon=" + blue + "\n");
    WriteText("user/applications/vendor-three.desktop", "[Desktop Entry]\nType=Application\nHidden=true\n");
    // No entry, but a theme icon named like the program.
    const std::string themed = WriteProgram("opt/kexbartest-themed");
    const std::string plain = WriteProgram("opt/kexbartest-plain");

    ExpectIcon(platform_.ExtractIcon(byPath, 0), kBlue);
    EXPECT_EQ(platform_.IconCount(byPath), 1);
    EXPECT_TRUE(platform_.ExtractIcon(byPath, 1).isNull());
    ExpectIcon(platform_.ExtractIcon(onPath, 0), kGreen);
    EXPECT_TRUE(platform_.ExtractIcon(notOnPath, 0).isNull());
    EXPECT_TRUE(platform_.ExtractIcon(hidden, 0).isNull());
    ExpectIcon(platform_.ExtractIcon(themed, 0), kRed);
    EXPECT_TRUE(platform_.ExtractIcon(plain, 0).isNull());
    EXPECT_EQ(platform_.IconCount(plain), 0);
}

TEST_F(IconsTest, BrokenAndMissingFilesHaveNoIcon)
{
    const Bytes ico = testicons::BuildIco({SolidImage(32, kRed)});
    const Bytes exe = testicons::BuildPe({{SolidImage(32, kRed)}, {SolidImage(32, kBlue)}});
    const std::string png = WriteImage("whole.png", {32, 32}, kRed, "PNG");
    QFile f(QString::fromStdString(png));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray pngBytes = f.readAll();

    const std::string cutIco = Write("cut.ico", Bytes(ico.begin(), ico.end() - 10));
    const std::string cutExe = Write("cut.exe", Bytes(exe.begin(), exe.end() - 100));
    const std::string cutPng = Write("cut.png", Bytes(pngBytes.begin(), pngBytes.begin() + 40));
    const std::string text = WriteText("notes.txt", "just text\n");
    for (const std::string& file : {cutIco, cutExe, cutPng, text, root_ + "/missing.ico", root_, std::string()}) {
        SCOPED_TRACE(file);
        EXPECT_TRUE(platform_.ExtractIcon(file, 0).isNull());
        EXPECT_EQ(platform_.IconCount(file), 0);
    }
}

TEST_F(IconsTest, ChangedFileIsReadAgain)
{
    const std::string path = WriteImage("changing.png", {32, 32}, kRed, "PNG");
    ExpectIcon(platform_.ExtractIcon(path, 0), kRed);
    WriteImage("changing.png", {32, 32}, kBlue, "PNG");
    // A later modification time, as a later save would have.
    const timespec times[2] = {{0, UTIME_OMIT}, {2000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    ExpectIcon(platform_.ExtractIcon(path, 0), kBlue);
}

} // namespace
} // namespace kex
