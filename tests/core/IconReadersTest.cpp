#include "IconFileBuilder.h"

#include "core/launch/DesktopEntry.h"
#include "core/launch/IconReaders.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <unistd.h>

namespace kex {
namespace {

using testicons::Bytes;
using testicons::Image;
using testicons::SolidImage;

constexpr std::uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kGrey = 0xFF808080;

std::optional<IconImage> Ico(const Bytes& b)
{
    MemoryByteSource src(b);
    return ReadIcoIcon(src);
}

std::optional<IconImage> Pe(const Bytes& b, int index)
{
    MemoryByteSource src(b);
    return ReadPeIcon(src, index);
}

int PeCount(const Bytes& b)
{
    MemoryByteSource src(b);
    return PeIconCount(src);
}

// ---- bitmaps

TEST(IconDib, DecodesEveryDepthWithPaletteMaskAndRowOrder)
{
    // A 9 × 3 picture whose top row differs from the others, so that a flipped
    // decode shows; the mask makes the last column transparent.
    const std::vector<std::uint32_t> palette = {0xFF000000, kRed, kGreen, kBlue};
    auto index = [](int x, int y) { return std::uint32_t(y == 0 ? 1 : (x % 2 ? 2 : 3)); };
    auto colour = [&](int x, int y) { return palette[index(x, y)]; };
    auto masked = [](int x, int) { return x == 8; };
    auto rgb555 = [&](int x, int y) {
        const std::uint32_t c = colour(x, y);
        return ((c >> 19) & 0x1F) << 10 | ((c >> 11) & 0x1F) << 5 | ((c >> 3) & 0x1F);
    };
    struct Case {
        const char* name;
        int bpp;
        std::vector<std::uint32_t> palette;
        std::function<std::uint32_t(int, int)> pixel;
        bool topDown;
    };
    const Case cases[] = {
        {"1 bit", 1, {0xFF000000, kRed}, [](int, int y) { return std::uint32_t(y == 0); }, false},
        {"4 bit", 4, palette, index, false},
        {"8 bit", 8, palette, index, false},
        {"16 bit", 16, {}, rgb555, false},
        {"24 bit", 24, {}, colour, false},
        {"32 bit without alpha", 32, {}, [&](int x, int y) { return colour(x, y) & 0xFFFFFF; }, false},
        {"8 bit top-down", 8, palette, index, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes dib = testicons::Dib(9, 3, c.bpp, c.palette, c.pixel, masked, c.topDown);
        auto px = DecodeIconDib(dib);
        ASSERT_TRUE(px);
        ASSERT_EQ(px->width, 9);
        ASSERT_EQ(px->height, 3);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 9; ++x) {
                std::uint32_t want = c.bpp == 1 ? (y == 0 ? kRed : 0xFF000000) : colour(x, y);
                if (x == 8)
                    want = 0;
                EXPECT_EQ(px->argb[std::size_t(y * 9 + x)], want) << "x=" << x << " y=" << y;
            }
    }
}

TEST(IconDib, AlphaChannelWinsOverMask)
{
    // Half-transparent pixels and a mask that would hide everything: the alpha counts.
    const Bytes dib = testicons::Dib(
        2, 2, 32, {}, [](int x, int) { return x ? 0x80112233u : 0x00445566u; }, [](int, int) { return true; });
    auto px = DecodeIconDib(dib);
    ASSERT_TRUE(px);
    EXPECT_THAT(px->argb, testing::ElementsAre(0x00445566u, 0x80112233u, 0x00445566u, 0x80112233u));
}

TEST(IconDib, RejectsWhatItCannotOrMustNotDecode)
{
    const Bytes good = testicons::SolidDib(4, 4, kRed);
    ASSERT_TRUE(DecodeIconDib(good));
    struct Case {
        const char* name;
        std::size_t at;
        std::uint32_t value;
    };
    const Case cases[] = {
        {"compressed", 16, 1},
        {"width 0", 4, 0},
        {"width 257", 4, 257},
        {"huge width", 4, 0x7FFFFFFF},
        {"height 0", 8, 1},
        {"height 514", 8, 514},
        {"lowest height", 8, 0x80000000},
        {"3 bits", 14, 3},
        {"header size", 0, 39},
        {"header past end", 0, 100000},
        {"palette of 300", 32, 300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes bad = good;
        if (c.at == 14)
            testicons::Set16(bad, c.at, c.value);
        else
            testicons::Set32(bad, c.at, c.value);
        EXPECT_FALSE(DecodeIconDib(bad));
    }
    // An 8-bit image whose palette claims more room than the file has.
    Bytes eight = testicons::Dib(4, 4, 8, {kRed, kGreen}, [](int, int) { return 1u; });
    testicons::Set32(eight, 32, 256);
    EXPECT_FALSE(DecodeIconDib(eight));
    // Every shorter prefix lacks some of the mask.
    for (std::size_t n = 0; n < good.size(); ++n)
        EXPECT_FALSE(DecodeIconDib(Bytes(good.begin(), good.begin() + std::ptrdiff_t(n)))) << n;
}

// ---- choosing an image

TEST(IconChoice, PrefersExact32ThenNearestThenDeeper)
{
    auto e = [](int w, int h, int bits) {
        IconDirEntry d;
        d.width = w;
        d.height = h;
        d.bitCount = bits;
        return d;
    };
    struct Case {
        const char* name;
        std::vector<IconDirEntry> entries;
        int size;
        int want;
    };
    const Case cases[] = {
        {"exact 32 among others", {e(16, 16, 32), e(48, 48, 32), e(32, 32, 8), e(256, 256, 32)}, 32, 2},
        {"deeper 32", {e(32, 32, 4), e(32, 32, 32), e(32, 32, 8)}, 32, 1},
        {"nearest", {e(16, 16, 32), e(24, 24, 32), e(256, 256, 32)}, 32, 1},
        {"equally near: deeper", {e(48, 48, 8), e(16, 16, 32)}, 32, 1},
        {"equally near and deep: larger", {e(16, 16, 8), e(48, 48, 8)}, 32, 1},
        {"depth from colours", {e(32, 32, 0), e(32, 32, 4)}, 32, 0},
        {"only one", {e(256, 256, 32)}, 32, 0},
        {"none", {}, 32, -1},
        // A high-density screen asks for more pixels: the smallest image at least that
        // large wins over a nearer smaller one, and the largest when none is.
        {"64: exact", {e(32, 32, 32), e(64, 64, 32), e(256, 256, 32)}, 64, 1},
        {"64: smallest larger over nearer smaller", {e(48, 48, 32), e(256, 256, 32), e(128, 128, 32)}, 64, 2},
        {"64: none large enough, the largest", {e(16, 16, 32), e(48, 48, 32), e(32, 32, 32)}, 64, 1},
        {"64: same size, deeper", {e(64, 64, 8), e(64, 64, 32)}, 64, 1},
        {"64: none", {}, 64, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChooseIconEntry(c.entries, c.size), c.want) << c.name;
}

// ---- .ico

TEST(IcoReader, PicksThe32By32ImageOfSeveral)
{
    const Bytes ico = testicons::BuildIco({SolidImage(16, kRed),
                                           SolidImage(48, kGreen),
                                           {32, 32, 8, testicons::Dib(32, 32, 8, {kGrey}, [](int, int) { return 0u; })},
                                           SolidImage(32, kBlue),
                                           SolidImage(24, kRed)});
    auto icon = Ico(ico);
    ASSERT_TRUE(icon);
    ASSERT_FALSE(icon->IsPng());
    EXPECT_EQ(icon->pixels.width, 32);
    EXPECT_EQ(icon->pixels.height, 32);
    EXPECT_EQ(icon->pixels.argb[0], kBlue);

    MemoryByteSource src(ico);
    EXPECT_TRUE(LooksLikeIco(src));
    EXPECT_FALSE(LooksLikePe(src));
    auto dir = ReadIcoDirectory(src);
    ASSERT_TRUE(dir);
    EXPECT_EQ(dir->size(), 5u);
}

TEST(IcoReader, GivesPngCompressedEntriesAsPngBytes)
{
    const Bytes png = testicons::SolidPng(32, 32, kGreen);
    const Bytes ico = testicons::BuildIco({SolidImage(16, kRed), {32, 32, 32, png}});
    auto icon = Ico(ico);
    ASSERT_TRUE(icon);
    ASSERT_TRUE(icon->IsPng());
    EXPECT_EQ(icon->png, png);
    auto size = PngSize(png);
    ASSERT_TRUE(size);
    EXPECT_EQ(*size, std::make_pair(32, 32));

    // A PNG entry claiming a giant picture is refused.
    Bytes giant = png;
    giant[18] = 0x10; // width 4128
    EXPECT_FALSE(Ico(testicons::BuildIco({{32, 32, 32, giant}})));
}

TEST(IcoReader, BrokenDirectoriesGiveNoIcon)
{
    const Bytes good = testicons::BuildIco({SolidImage(32, kRed)});
    struct Case {
        const char* name;
        std::size_t at;
        int width;
        std::uint32_t value;
    };
    const Case cases[] = {
        {"type cursor", 2, 16, 2},
        {"no entries", 4, 16, 0},
        {"too many entries", 4, 16, 0xFFFF},
        {"offset past end", 6 + 12, 32, 0xFFFFFFF0},
        {"size past end", 6 + 8, 32, 0xFFFFFFFF},
        {"empty image", 6 + 8, 32, 0},
        {"image not a bitmap", 6 + 12, 32, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes bad = good;
        if (c.width == 16)
            testicons::Set16(bad, c.at, c.value);
        else
            testicons::Set32(bad, c.at, c.value);
        EXPECT_FALSE(Ico(bad));
    }
}

// ---- Windows programs

std::vector<std::vector<Image>> ThreeGroups()
{
    return {{SolidImage(16, kGrey), SolidImage(32, kRed), SolidImage(48, kGrey)},
            {SolidImage(32, kGreen)},
            {SolidImage(48, kGrey), {32, 32, 32, testicons::SolidPng(32, 32, kBlue)}}};
}

TEST(PeReader, OneIconPerGroupInPe32AndPe32Plus)
{
    for (bool plus : {false, true}) {
        SCOPED_TRACE(plus ? "PE32+" : "PE32");
        const Bytes pe = testicons::BuildPe(ThreeGroups(), plus);
        MemoryByteSource src(pe);
        EXPECT_TRUE(LooksLikePe(src));
        EXPECT_FALSE(LooksLikeIco(src));
        EXPECT_EQ(PeCount(pe), 3);
        auto first = Pe(pe, 0), second = Pe(pe, 1), third = Pe(pe, 2);
        ASSERT_TRUE(first && second && third);
        ASSERT_FALSE(first->IsPng());
        EXPECT_EQ(first->pixels.width, 32);
        EXPECT_EQ(first->pixels.argb[0], kRed);
        ASSERT_FALSE(second->IsPng());
        EXPECT_EQ(second->pixels.argb[100], kGreen);
        ASSERT_TRUE(third->IsPng());
        EXPECT_EQ(third->png, testicons::SolidPng(32, 32, kBlue));
        EXPECT_FALSE(Pe(pe, 3));
        EXPECT_FALSE(Pe(pe, -1));
    }
}

TEST(PeReader, ProgramsWithoutIconsOrNotProgramsCountNone)
{
    EXPECT_EQ(PeCount(testicons::BuildPe({})), 0);
    EXPECT_FALSE(Pe(testicons::BuildPe({}), 0));
    EXPECT_EQ(PeCount(testicons::BuildIco({SolidImage(32, kRed)})), 0);
    EXPECT_EQ(PeCount(Bytes{'M', 'Z'}), 0);
    EXPECT_EQ(PeCount({}), 0);

    // A group naming an icon id that does not exist, and one with a broken header.
    Bytes pe = testicons::BuildPe({{SolidImage(32, kRed)}});
    Bytes missing = pe;
    const Bytes group = {0, 0, 1, 0, 1, 0, 32, 32, 0, 0, 1, 0, 32, 0};
    auto at = std::search(missing.begin(), missing.end(), group.begin(), group.end());
    ASSERT_NE(at, missing.end());
    const std::size_t groupAt = std::size_t(at - missing.begin());
    testicons::Set16(missing, groupAt + 6 + 12, 7);
    EXPECT_EQ(PeCount(missing), 1);
    EXPECT_FALSE(Pe(missing, 0));
    Bytes badType = pe;
    testicons::Set16(badType, groupAt + 2, 2);
    EXPECT_FALSE(Pe(badType, 0));
    Bytes noResources = pe;
    testicons::Set32(noResources, 0x40 + 24 + 96 + 16, 0);
    EXPECT_EQ(PeCount(noResources), 0);
}

TEST(PeReader, HostileDirectoriesGiveNoIcon)
{
    const Bytes pe = testicons::BuildPe(ThreeGroups());
    const std::size_t coff = 0x40 + 4, opt = coff + 20, section = opt + 224, rsrc = 0x200;
    struct Case {
        const char* name;
        std::size_t at;
        int width;
        std::uint32_t value;
    };
    const Case cases[] = {
        {"header offset past end", 0x3C, 32, 0xFFFFFFF0},
        {"no sections", coff + 2, 16, 0},
        {"too many sections", coff + 2, 16, 0xFFFF},
        {"unknown optional header", opt, 16, 0x107},
        {"optional header too short", coff + 16, 16, 8},
        {"resources outside every section", opt + 96 + 16, 32, 0x9000},
        {"section data past end", section + 20, 32, 0xFFFFFF00},
        {"section size past end", section + 16, 32, 0x7FFFFFFF},
        {"root entry count huge", rsrc + 14, 16, 0xFFFF},
        {"group type points outside", rsrc + 16 + 12, 32, 0xFFFFFFF0},
        // The group type's directory pointing back at the root: the walk still ends.
        {"directory loop", rsrc + 16 + 12, 32, 0x80000000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes bad = pe;
        if (c.width == 16)
            testicons::Set16(bad, c.at, c.value);
        else
            testicons::Set32(bad, c.at, c.value);
        for (int i = -1; i <= 3; ++i)
            EXPECT_FALSE(Pe(bad, i)) << i;
        EXPECT_LE(PeCount(bad), 2); // the loop case counts the root's two types
    }
}

TEST(IconReaders, EveryTruncationOfAValidFileGivesNoIcon)
{
    const Bytes ico = testicons::BuildIco(
        {SolidImage(16, kRed), SolidImage(32, kGreen), {48, 48, 32, testicons::SolidPng(48, 48, kBlue)}});
    const Bytes pe = testicons::BuildPe(ThreeGroups());
    ASSERT_TRUE(Ico(ico));
    ASSERT_EQ(PeCount(pe), 3);
    for (std::size_t n = 0; n < ico.size(); ++n) {
        // A copy of exactly n bytes, so that the sanitizer sees any read past it.
        const Bytes cut(ico.begin(), ico.begin() + std::ptrdiff_t(n));
        ASSERT_FALSE(Ico(cut)) << n;
    }
    for (std::size_t n = 0; n < pe.size(); ++n) {
        const Bytes cut(pe.begin(), pe.begin() + std::ptrdiff_t(n));
        ASSERT_EQ(PeCount(cut), 0) << n;
        for (int i = 0; i < 3; ++i)
            ASSERT_FALSE(Pe(cut, i)) << n << " icon " << i;
    }
}

TEST(IconReaders, FileSourceReadsOnlyRegularFiles)
{
    char dir[] = "/tmp/kexicoXXXXXX";
    ASSERT_TRUE(::mkdtemp(dir));
    const std::string path = std::string(dir) + "/p.exe";
    const Bytes pe = testicons::BuildPe(ThreeGroups());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(pe.data()), std::streamsize(pe.size()));
    auto src = FileByteSource::Open(path);
    ASSERT_TRUE(src);
    EXPECT_EQ(src->Size(), pe.size());
    EXPECT_EQ(PeIconCount(*src), 3);
    auto icon = ReadPeIcon(*src, 1);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->pixels.argb[0], kGreen);
    std::uint8_t byte;
    EXPECT_FALSE(src->Read(pe.size(), &byte, 1));
    EXPECT_FALSE(FileByteSource::Open(dir));
    EXPECT_FALSE(FileByteSource::Open(std::string(dir) + "/missing"));
    std::remove(path.c_str());
    ::rmdir(dir);
}

// ---- desktop entries

TEST(DesktopEntryParse, ReadsTheKeysOfTheDesktopEntryGroup)
{
    const std::string text = "# a comment\r\n"
                             "[Desktop Entry]\r\n"
                             "Type=Application\r\n"
                             "Name[de]=Rechner\n"
                             "Name = Calculator\n"
                             "Comment=Adds\\sand\\ttakes\\naway\\\\ numbers\n"
                             "Exec=calc --mode=\"a b\" %U\n"
                             "Icon=accessories-calculator\n"
                             "Path=/tmp/work dir\n"
                             "TryExec=calc\n"
                             "NoDisplay=true\n"
                             "Hidden=false\n"
                             "Categories=Utility;Calc\\;ulator;;\n"
                             "garbage line without equals\n"
                             "X-Other=1\n"
                             "Icon=second-value\n"
                             "[Desktop Action New]\n"
                             "Name=New Window\n"
                             "Exec=calc --new\n";
    auto e = ParseDesktopEntry(text);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->type, "Application");
    EXPECT_EQ(e->name, "Calculator");
    EXPECT_EQ(e->comment, "Adds and\ttakes\naway\\ numbers");
    EXPECT_EQ(e->exec, "calc --mode=\"a b\" %U");
    EXPECT_THAT(e->Argv(), testing::ElementsAre("calc", "--mode=a b"));
    EXPECT_EQ(e->icon, "second-value");
    EXPECT_EQ(e->path, "/tmp/work dir");
    EXPECT_EQ(e->tryExec, "calc");
    EXPECT_TRUE(e->noDisplay);
    EXPECT_FALSE(e->hidden);
    EXPECT_THAT(e->categories, testing::ElementsAre("Utility", "Calc;ulator"));
}

TEST(DesktopEntryParse, NeedsTheDesktopEntryGroup)
{
    EXPECT_FALSE(ParseDesktopEntry(""));
    EXPECT_FALSE(ParseDesktopEntry("Name=x\nExec=y\n"));
    EXPECT_FALSE(ParseDesktopEntry("[Desktop Action x]\nName=x\n"));
    auto later = ParseDesktopEntry("Name=before\n[Other]\nName=other\n[Desktop Entry]\nHidden=1\n");
    ASSERT_TRUE(later);
    EXPECT_EQ(later->name, "");
    EXPECT_TRUE(later->hidden);
}

TEST(DesktopEntryParse, ExecQuotingAfterStringEscapes)
{
    // In the file a quote inside a quoted argument is written \\" (string escape, then
    // quoting escape).
    auto e = ParseDesktopEntry("[Desktop Entry]\nExec=sh -c \"echo \\\\\"hi\\\\\" \\\\$HOME\" %f\n");
    ASSERT_TRUE(e);
    EXPECT_THAT(e->Argv(), testing::ElementsAre("sh", "-c", "echo \"hi\" $HOME"));
}

TEST(DesktopEntryParse, ReadsFiles)
{
    char path[] = "/tmp/kexdeskXXXXXX";
    const int fd = ::mkstemp(path);
    ASSERT_GE(fd, 0);
    const std::string text = "[Desktop Entry]\nName=Editor\nExec=/usr/bin/editor %F\n";
    ASSERT_EQ(::write(fd, text.data(), text.size()), ssize_t(text.size()));
    ::close(fd);
    auto e = ReadDesktopEntry(path);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->name, "Editor");
    EXPECT_THAT(e->Argv(), testing::ElementsAre("/usr/bin/editor"));
    std::remove(path);
    EXPECT_FALSE(ReadDesktopEntry(path));
    EXPECT_FALSE(ReadDesktopEntry("/tmp"));
}

TEST(DesktopEntrySplitExec, QuotesEscapesAndFieldCodes)
{
    struct Case {
        std::string exec;
        std::vector<std::string> argv;
    };
    const Case cases[] = {
        {"foo %U", {"foo"}},
        {"  foo \t bar  ", {"foo", "bar"}},
        {"\"/opt/my app/run\" --file=%f -x", {"/opt/my app/run", "--file=", "-x"}},
        {"foo %f %F %u %U %i %c %k %d %D %n %N %v %m bar", {"foo", "bar"}},
        {"foo 100%% %%u", {"foo", "100%", "%u"}},
        {"foo \"\" bar", {"foo", "", "bar"}},
        {"foo \"a \\\"b\\\" \\` \\$ \\\\ \\x\"", {"foo", "a \"b\" ` $ \\ \\x"}},
        {"foo \"%%f in quotes %f\"", {"foo", "%f in quotes "}},
        {"foo\\ bar baz", {"foo bar", "baz"}},
        {"foo \"unterminated arg", {"foo", "unterminated arg"}},
        {"foo a\"b c\"d", {"foo", "ab cd"}},
        {"foo %", {"foo", "%"}},
        {"foo %x%y", {"foo"}},
        {"", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplitExec(c.exec), c.argv) << c.exec;
}

TEST(DesktopEntryOpener, KeepsTheEntrysArgumentsAndOpensTheFileForwardingList)
{
    struct Case {
        std::string exec;
        std::vector<std::string> argv;
    } cases[] = {
        {"vim %F", {"vim"}},
        {"/usr/bin/flatpak run --branch=stable --command=gimp --file-forwarding org.gimp.GIMP @@ %U @@",
         {"/usr/bin/flatpak", "run", "--branch=stable", "--command=gimp", "--file-forwarding", "org.gimp.GIMP", "@@"}},
        {"flatpak run --file-forwarding org.x @@u %U @@", {"flatpak", "run", "--file-forwarding", "org.x", "@@u"}},
        // A list that still holds something, or no list at all, stays as written.
        {"tool @@ fixed @@", {"tool", "@@", "fixed", "@@"}},
        {"tool @@", {"tool", "@@"}},
        {"env A=1 \"my prog\" --new-window %u", {"env", "A=1", "my prog", "--new-window"}},
    };
    for (const Case& c : cases) {
        const auto e = ParseDesktopEntry("[Desktop Entry]\nExec=" + c.exec + "\nTerminal=true\n");
        ASSERT_TRUE(e);
        EXPECT_EQ(e->OpenerArgv(), c.argv) << c.exec;
        EXPECT_TRUE(e->terminal);
    }
    EXPECT_FALSE(ParseDesktopEntry("[Desktop Entry]\nExec=x\n")->terminal);
}

TEST(DesktopEntryOpener, TerminalProgramsRunInTheUsersTerminalEmulator)
{
    const std::vector<std::string> vim = {"/usr/bin/vim", "-R"};
    struct Case {
        const char* what;
        std::string terminalEnv;
        std::vector<std::string> installed;
        std::vector<std::string> command;
    } cases[] = {
        {"$TERMINAL first",
         "/opt/term/myterm",
         {"x-terminal-emulator", "xterm"},
         {"/opt/term/myterm", "-e", "/usr/bin/vim", "-R"}},
        {"$TERMINAL a known one", "kitty", {"xterm"}, {"kitty", "/usr/bin/vim", "-R"}},
        {"the desktop's choice",
         "",
         {"xterm", "x-terminal-emulator"},
         {"x-terminal-emulator", "-e", "/usr/bin/vim", "-R"}},
        {"gnome-terminal", "", {"gnome-terminal", "xterm"}, {"gnome-terminal", "--", "/usr/bin/vim", "-R"}},
        {"xfce4-terminal", "", {"xfce4-terminal"}, {"xfce4-terminal", "-x", "/usr/bin/vim", "-R"}},
        {"xterm last", "", {"xterm"}, {"xterm", "-e", "/usr/bin/vim", "-R"}},
        {"none installed: the desktop's name for it all the same",
         "",
         {},
         {"x-terminal-emulator", "-e", "/usr/bin/vim", "-R"}},
    };
    for (const Case& c : cases) {
        auto installed = [&](const std::string& name) {
            return std::find(c.installed.begin(), c.installed.end(), name) != c.installed.end();
        };
        EXPECT_EQ(InTerminal(vim, c.terminalEnv, installed), c.command) << c.what;
    }
}

} // namespace
} // namespace kex
