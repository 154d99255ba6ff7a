// The shortcut reader on .lnk files built here byte by byte and on desktop entries,
// the component's "unresolved and cleared" rule, and kexbar-config read-link.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <sys/stat.h>

#include "IniTestUtil.h"
#include "ShellLinkBuilder.h"
#include "core/config/ConfigTool.h"
#include "core/launch/ShellLink.h"

namespace kex {

void PrintTo(const ShellLinkData& d, std::ostream* os)
{
    *os << "{Target=" << d.Target << " WorkingDir=" << d.WorkingDir << " Description=" << d.Description
        << " Arguments=" << d.Arguments << " IconLocation=" << d.IconLocation << " IconNumber=" << d.IconNumber
        << " HotKey=" << d.HotKey << " ShowCmd=" << d.ShowCmd << "}";
}

namespace {

using namespace testlinks;
using testing::TempDir;

std::string Text(const Bytes& b) { return std::string(b.begin(), b.end()); }

struct LinkCase {
    const char* label;
    LinkParts parts;
    ShellLinkData expected;
};

void PrintTo(const LinkCase& c, std::ostream* os) { *os << c.label; }

ShellLinkData Target(std::string target)
{
    ShellLinkData d;
    d.Target = std::move(target);
    d.ShowCmd = 1;
    return d;
}

std::vector<LinkCase> LinkCases()
{
    std::vector<LinkCase> cases;
    {
        LinkCase c{"local path: base path and common suffix, the ID list second", {}, Target("C:\\Tools\\ed.exe")};
        c.parts.linkInfo = LocalLinkInfo("C:\\Tools\\", "ed.exe");
        c.parts.idList = IdList({RootItem(), VolumeItem("D:\\"), FileItem("OTHER.EXE")});
        cases.push_back(c);
    }
    {
        LinkCase c{"network share: share, backslash, suffix", {}, Target("\\\\server\\share\\dir\\file.txt")};
        c.parts.linkInfo = NetworkLinkInfo("\\\\server\\share", "Z:", "dir\\file.txt");
        cases.push_back(c);
    }
    {
        LinkCase c{"network and local forms: the share comes first", {}, Target("\\\\server\\share\\a.doc")};
        c.parts.linkInfo = NetworkLinkInfo("\\\\server\\share", "Z:", "a.doc", true);
        cases.push_back(c);
    }
    {
        LinkCase c{"Unicode strings and Unicode link info paths", {}, Target("C:\\Ünï\\☃.exe")};
        c.parts.linkInfo = LocalLinkInfo("C:\\UNI\\", "X.EXE", u"C:\\Ünï\\", u"☃.exe");
        c.parts.unicode = true;
        c.parts.name = u"Grüße \U0001F600";
        c.parts.workingDir = u"C:\\Ünï";
        c.expected.Description = "Grüße 😀";
        c.expected.WorkingDir = "C:\\Ünï";
        cases.push_back(c);
    }
    {
        LinkCase c{"ANSI strings are Windows-1252", {}, Target("C:\\Café\\x.exe")};
        c.parts.linkInfo = LocalLinkInfo("C:\\Caf\xE9\\", "x.exe");
        c.parts.name = u"Caf\u00E9 \u0080 \u0099 \u0081";
        c.expected.Description = "Café € ™ \u0081";
        cases.push_back(c);
    }
    {
        LinkCase c{"arguments, working directory, icon, hot key, show command", {}, Target("C:\\Ed\\ed.exe")};
        c.parts.linkInfo = LocalLinkInfo("C:\\Ed\\ed.exe", "");
        c.parts.relativePath = u"..\\Ed\\ed.exe";
        c.parts.workingDir = u"C:\\Work";
        c.parts.arguments = u"-n \"a b.txt\"";
        c.parts.iconLocation = u"%SystemRoot%\\system32\\SHELL32.dll";
        c.parts.iconIndex = -3;
        c.parts.showCmd = 7;
        c.parts.hotKey = 0x0641; // Ctrl+Alt+A
        c.expected.WorkingDir = "C:\\Work";
        c.expected.Arguments = "-n \"a b.txt\"";
        c.expected.IconLocation = "%SystemRoot%\\system32\\SHELL32.dll";
        c.expected.IconNumber = -3;
        c.expected.ShowCmd = 7;
        c.expected.HotKey = 0x0641;
        cases.push_back(c);
    }
    {
        LinkCase c{"no link info: file-system items, long names of every version",
                   {},
                   Target("C:\\Program Files\\My Tools\\Übung\\Tool.exe")};
        c.parts.idList = IdList({RootItem(), VolumeItem("C:\\"), FileItem("PROGRA~1", u"Program Files", 9, true),
                                 FileItem("MYTOOL~1", u"My Tools", 8, true), FileItem("BUNG~1", u"Übung", 7, true),
                                 FileItem("TOOL.EXE", u"Tool.exe", 3)});
        cases.push_back(c);
    }
    {
        LinkCase c{"no link info: short and UTF-16 names without extension blocks", {}, Target("C:\\WIN\\Notes.txt")};
        c.parts.idList = IdList({RootItem(), VolumeItem("C:\\"), FileItem("WIN", std::nullopt, 0, true),
                                 FileItem("Notes.txt", std::nullopt, 0, false, true)});
        cases.push_back(c);
    }
    {
        LinkCase c{"no link info: a network location item", {}, Target("\\\\srv\\pub\\readme.txt")};
        c.parts.idList = IdList({NetworkItem("\\\\srv\\pub"), FileItem("README.TXT", u"readme.txt")});
        cases.push_back(c);
    }
    {
        LinkCase c{"link info forced off: the ID list names the target", {}, Target("C:\\b.exe")};
        c.parts.idList = IdList({RootItem(), VolumeItem("C:\\"), FileItem("B.EXE", u"b.exe")});
        c.parts.linkInfo = LocalLinkInfo("C:\\a.exe", "");
        c.parts.moreFlags = 0x100;
        cases.push_back(c);
    }
    {
        LinkCase c{"an ID list of other items gives an empty target", {}, Target("")};
        Bytes control = {6, 0, 0x71, 0, 0, 0};
        c.parts.idList = IdList({RootItem(), control});
        cases.push_back(c);
    }
    {
        LinkCase c{
            "environment blocks: target and icon when nothing else names them", {}, Target("%windir%\\notepad.exe")};
        c.parts.moreFlags = 0x200 | 0x4000;
        c.parts.extra = {EnvironmentBlock(0xA0000001, "%windir%\\NOTEPAD.EXE", u"%windir%\\notepad.exe"),
                         Bytes{12, 0, 0, 0, 0x09, 0, 0, 0xA0, 1, 2, 3, 4}, // an unknown block is skipped
                         EnvironmentBlock(0xA0000007, "%windir%\\ICON.DLL", u"")};
        c.expected.IconLocation = "%windir%\\ICON.DLL";
        cases.push_back(c);
    }
    for (const bool unicode : {true, false}) {
        // Writers that count the terminating NUL in a string's length; a string ends at
        // its first NUL, also when more follows it.
        LinkCase c{unicode ? "Unicode strings counted with their NUL" : "ANSI strings counted with their NUL",
                   {},
                   Target("C:\\Ed\\ed.exe")};
        using namespace std::string_literals;
        c.parts.linkInfo = LocalLinkInfo("C:\\Ed\\ed.exe", "");
        c.parts.unicode = unicode;
        c.parts.name = u"Editor\0"s;
        c.parts.relativePath = u"ed.exe\0"s;
        c.parts.workingDir = u"C:\\Work\0"s;
        c.parts.arguments = u"-n\0stale"s;
        c.parts.iconLocation = u"\0C:\\Ed\\ed.ico"s;
        c.expected.Description = "Editor";
        c.expected.WorkingDir = "C:\\Work";
        c.expected.Arguments = "-n";
        c.expected.IconLocation = "";
        cases.push_back(c);
    }
    {
        LinkCase c{"a link without a terminal block ends where its extra data would begin", {}, Target("C:\\x")};
        c.parts.linkInfo = LocalLinkInfo("C:\\x", "");
        c.parts.terminalBlock = false;
        cases.push_back(c);
    }
    return cases;
}

class LinkRead : public ::testing::TestWithParam<LinkCase> {};

TEST_P(LinkRead, GivesTheLinksValues)
{
    const Bytes bytes = BuildLink(GetParam().parts);
    std::string why;
    const auto link = ParseShellLink(bytes, &why);
    ASSERT_TRUE(link) << why;
    EXPECT_EQ(*link, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Links, LinkRead, ::testing::ValuesIn(LinkCases()));

// The sample link of the format's documentation, a shortcut to C:\test\a.txt: its
// link info and, with the link info switched off, its ID list name the same file.
TEST(ShellLink, ReadsTheDocumentedSample)
{
    std::ifstream in(KEX_TEST_DATA "/links/documented-sample.lnk", std::ios::binary);
    Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), 459u);
    ShellLinkData expected = Target("C:\\test\\a.txt");
    expected.WorkingDir = "C:\\test";
    std::string why;
    auto link = ParseShellLink(bytes, &why);
    ASSERT_TRUE(link) << why;
    EXPECT_EQ(*link, expected);

    bytes[0x15] |= 0x01; // ForceNoLinkInfo
    link = ParseShellLink(bytes, &why);
    ASSERT_TRUE(link) << why;
    EXPECT_EQ(*link, expected);
}

TEST(ShellLink, EveryCutShortFileIsRefused)
{
    const Bytes full = BuildLink(EveryPartLink());
    ASSERT_TRUE(ParseShellLink(full));
    LinkParts noExtra = EveryPartLink();
    noExtra.extra.clear();
    noExtra.terminalBlock = false;
    const std::size_t extraStart = BuildLink(noExtra).size();
    for (std::size_t n = 0; n < full.size(); ++n) {
        std::string why;
        const auto link = ParseShellLink(std::span(full.data(), n), &why);
        if (n == extraStart) {
            // Cut exactly before the extra data: a link without extra blocks.
            EXPECT_TRUE(link) << n;
            continue;
        }
        EXPECT_FALSE(link) << "cut to " << n << " bytes of " << full.size();
        EXPECT_FALSE(why.empty()) << n;
    }
}

TEST(ShellLink, MalformedStructuresAreRefused)
{
    struct Damage {
        const char* label;
        std::size_t at;
        std::vector<std::uint8_t> bytes;
    };
    const Bytes full = BuildLink(EveryPartLink());
    const std::size_t idList = 0x4C, linkInfo = idList + 2 + (full[idList] | (full[idList + 1] << 8));
    const std::vector<Damage> damages = {
        {"header size", 0, {0x4D}},
        {"class id", 4, {0x02}},
        {"an ID list item of size 1", idList + 2, {1, 0}},
        {"an ID list item running past the list", idList + 2, {0xFF, 0}},
        {"link info larger than the file", linkInfo, {0xFF, 0xFF, 0, 0}},
        {"link info header size between the two forms", linkInfo + 4, {0x20}},
        {"local base path outside the link info", linkInfo + 0x10, {0xFF, 0xFF, 0, 0}},
        {"common path suffix inside the header", linkInfo + 0x18, {0x04}},
        {"volume ID larger than the link info", linkInfo + 0x24, {0xFF, 0xFF}},
        {"a Unicode suffix with no terminator before the link info ends",
         linkInfo + 0x20,
         {std::uint8_t(full[linkInfo] - 1), full[linkInfo + 1]}},
        {"an extra block of size 5", full.size() - 4 - 0x314, {5, 0, 0, 0}},
        {"an environment block of the wrong size", full.size() - 4 - 0x314, {0x10, 0, 0, 0}},
    };
    for (const Damage& d : damages) {
        Bytes bad = full;
        std::copy(d.bytes.begin(), d.bytes.end(), bad.begin() + std::ptrdiff_t(d.at));
        std::string why;
        EXPECT_FALSE(ParseShellLink(bad, &why)) << d.label;
        EXPECT_FALSE(why.empty()) << d.label;
    }
}

// ---- desktop entries

struct DesktopCase {
    const char* label;
    std::string text;
    ShellLinkData expected;
};

TEST(ShellLink, DesktopEntriesByTheirOwnQuotingRules)
{
    using namespace std::string_literals;
    auto data = [](std::string target, std::string args, std::string dir, std::string description, std::string icon) {
        ShellLinkData d;
        d.Target = std::move(target);
        d.Arguments = std::move(args);
        d.WorkingDir = std::move(dir);
        d.Description = std::move(description);
        d.IconLocation = std::move(icon);
        return d;
    };
    const std::vector<DesktopCase> cases = {
        {"field codes removed, quoted arguments, %% and escapes",
         "[Desktop Entry]\nType=Application\nName=Editor\nComment=Edits text\n"
         "Exec=\"/opt/my editor/bin/ed\" --file=%f \"a \\\\\"b\\\\\"\" 100%% %U plain\nPath=/srv/work\n"
         "Icon=accessories-text-editor\n",
         data("/opt/my editor/bin/ed", "--file= 'a \"b\"' 100% plain", "/srv/work", "Edits text",
              "accessories-text-editor")},
        {"no comment: the name; a quoted argument with a blank; a shell character stays",
         "[Desktop Entry]\nName=Viewer\nExec=view \"two words\" $HOME %i\nIcon=/usr/share/pixmaps/v.png\n",
         data("view", "'two words' $HOME", "", "Viewer", "/usr/share/pixmaps/v.png")},
        {"a link entry has no program", "[Desktop Entry]\nType=Link\nName=Site\nURL=https://example.org\n",
         data("", "", "", "Site", "")},
        {"a NUL in a damaged entry ends its value",
         "[Desktop Entry]\nName=Ed\0it\nExec=ed\0x -n\nPath=/w\0\nIcon=ed\0.png\n"s,
         data("ed", "-n", "/w", "Ed", "ed")},
    };
    TempDir dir;
    for (const DesktopCase& c : cases) {
        const std::string file = dir.File("entry.desktop");
        testing::WriteBytes(file, c.text);
        std::string why;
        const auto link = ReadShortcutFile(file, &why);
        ASSERT_TRUE(link) << c.label << ": " << why;
        EXPECT_EQ(*link, c.expected) << c.label;
    }
}

// ---- the component

TEST(ShellLink, AnUnreadableFileLeavesNothingOfTheLastShortcut)
{
    TempDir dir;
    const std::string good = dir.File("good.lnk"), bad = dir.File("bad.lnk"), fifo = dir.File("fifo.lnk");
    LinkParts p = EveryPartLink();
    testing::WriteBytes(good, Text(BuildLink(p)));
    Bytes cut = BuildLink(p);
    cut.resize(cut.size() / 2);
    testing::WriteBytes(bad, Text(cut));
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    TShellLink link;
    link.SetUpdate(true); // before any path: reads nothing, harmlessly
    EXPECT_FALSE(link.Resolved());
    EXPECT_TRUE(link.Update());

    for (const std::string& unreadable : {bad, fifo, dir.File("missing.lnk"), dir.Path()}) {
        link.SetPath(good);
        ASSERT_TRUE(link.Resolved()) << link.Error();
        EXPECT_EQ(link.Target(), "C:\\Uni\\a.exe");
        link.SetPath(unreadable);
        EXPECT_FALSE(link.Resolved()) << unreadable;
        EXPECT_FALSE(link.Error().empty()) << unreadable;
        EXPECT_EQ(link.Data(), ShellLinkData{}) << unreadable;
        EXPECT_EQ(link.Path(), unreadable);
    }

    // Update reads the same path again.
    link.SetPath(good);
    p.arguments = u"--other";
    testing::WriteBytes(good, Text(BuildLink(p)));
    EXPECT_EQ(link.Arguments(), "--flag");
    link.SetUpdate(false);
    EXPECT_EQ(link.Arguments(), "--other");
    EXPECT_TRUE(link.Update());
}

// ---- kexbar-config read-link

TEST(ShellLink, ReadLinkPrintsTheFieldsInOrder)
{
    TempDir dir;
    LinkParts p;
    p.linkInfo = LocalLinkInfo("C:\\Ed\\ed.exe", "");
    p.workingDir = u"C:\\Work";
    p.name = u"Line one\r\nTarget=forged";
    p.arguments = u"-n";
    p.iconLocation = u"C:\\Ed\\ed.ico";
    p.iconIndex = 2;
    p.showCmd = 3;
    p.hotKey = 0x0341;
    const std::string file = dir.File("ed.lnk");
    testing::WriteBytes(file, Text(BuildLink(p)));

    std::ostringstream out, err;
    EXPECT_EQ(RunConfigTool({"kexbar-config", "read-link", file}, out, err), kConfigOk);
    EXPECT_EQ(out.str(), "Target=C:\\Ed\\ed.exe\nWorkingDir=C:\\Work\nDescription=Line one  Target=forged\n"
                         "Arguments=-n\nIconLocation=C:\\Ed\\ed.ico\nIconNumber=2\nShowCmd=3\nHotKey=833\n");
    EXPECT_EQ(err.str(), "");

    // A well-formed link with an empty target still prints its fields.
    LinkParts empty;
    testing::WriteBytes(file, Text(BuildLink(empty)));
    std::ostringstream out2, err2;
    EXPECT_EQ(RunConfigTool({"kexbar-config", "read-link", file}, out2, err2), kConfigOk);
    EXPECT_EQ(out2.str().substr(0, 19), "Target=\nWorkingDir=");
}

TEST(ShellLink, ReadLinkRefusesWhatItCannotRead)
{
    TempDir dir;
    const std::string file = dir.File("junk.lnk");
    testing::WriteBytes(file, std::string("L\0\0\0junk", 8));
    std::ostringstream out, err;
    EXPECT_EQ(RunConfigTool({"kexbar-config", "read-link", file}, out, err), 1);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "kexbar-config: cannot read shortcut " + file + ": truncated header\n");

    std::ostringstream out2, err2;
    EXPECT_EQ(RunConfigTool({"kexbar-config", "read-link"}, out2, err2), kConfigUsage);
    EXPECT_NE(err2.str().find("read-link takes FILE"), std::string::npos);
}

} // namespace
} // namespace kex
