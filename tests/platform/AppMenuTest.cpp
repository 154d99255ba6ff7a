// The desktop's application menu as program groups, in a private XDG world made here:
// a menu file with four submenus (one nested), a dozen desktop entries (hidden, not for
// this desktop, a failing TryExec, a Flatpak export, a terminal program, a comma in a
// name), and kexbar-config import-menu on that world.
#include "platform/AppMenu.h"
#include "platform/TempDir.h"

#include "SelfExec.h"
#include "core/ToolRun.h"
#include "core/config/ConfigTool.h"
#include "core/pages/ButtonRecord.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

using namespace kex;
namespace fs = std::filesystem;

namespace kex {
void PrintTo(const TProgramGroup& g, std::ostream* os)
{
    *os << "\n[" << g.name << "]";
    for (const TProgramItem& i : g.items)
        *os << "\n  " << i.title << " | " << i.commandLine << " | " << i.iconFile << " | " << i.iconIndex
            << (i.terminal ? " | terminal" : "");
}
} // namespace kex

namespace {

void Entry(const fs::path& dir, const std::string& id, const std::string& keys)
{
    Write(dir / id, "[Desktop Entry]\nType=Application\n" + keys);
}

// The world: programs in bin/, the menu in etc/, entries in share/ and in a Flatpak
// export directory, and a home without entries of its own.
void MakeWorld(const fs::path& w)
{
    for (const char* program : {"kexwriter", "kexsheet", "kexview", "kexchess", "kextop", "kexmail", "flatpak",
                                "kexterm", "kexany"})
        Write(w / "bin" / program, "#!/bin/sh\nexit 0\n", 0755);
    Write(w / "etc/menus/applications.menu", R"(<!DOCTYPE Menu PUBLIC "-//freedesktop//DTD Menu 1.0//EN"
 "http://www.freedesktop.org/standards/menu-spec/1.0/menu.dtd">
<Menu>
  <Name>Applications</Name>
  <DefaultAppDirs/>
  <DefaultDirectoryDirs/>
  <Menu>
    <Name>Office</Name>
    <Directory>kex-office.directory</Directory>
    <Include><Category>Office</Category></Include>
    <Menu>
      <Name>Viewers</Name>
      <Include><Category>Viewer</Category></Include>
    </Menu>
  </Menu>
  <Menu>
    <Name>Games</Name>
    <Directory>kex-games.directory</Directory>
    <Include><Category>Game</Category></Include>
  </Menu>
  <Menu>
    <Name>Tools</Name>
    <Directory>kex-tools.directory</Directory>
    <Include><Category>Utility</Category></Include>
  </Menu>
  <Menu>
    <Name>Net</Name>
    <Directory>kex-net.directory</Directory>
    <Include><Category>Network</Category></Include>
  </Menu>
</Menu>
)");
    const fs::path dirs = w / "share/desktop-directories";
    Write(dirs / "kex-office.directory", "[Desktop Entry]\nType=Directory\nName=Office\nName[de]=Büro\n");
    Write(dirs / "kex-games.directory", "[Desktop Entry]\nType=Directory\nName=Games\n");
    Write(dirs / "kex-tools.directory", "[Desktop Entry]\nType=Directory\nName=Accessories\n");
    Write(dirs / "kex-net.directory", "[Desktop Entry]\nType=Directory\nName=Internet\n");

    const fs::path apps = w / "share/applications";
    const std::string icon = (w / "icons/writer.png").string();
    Entry(apps, "writer.desktop", "Name=Writer\nName[de]=Schreiber\nExec=kexwriter %F\nIcon=" + icon
                                      + "\nCategories=Office;\n");
    Entry(apps, "sheet.desktop", "Name=Sheet\nExec=\"kexsheet\" --new-window %U\nIcon=kex-sheet\nCategories=Office;\n");
    Entry(apps, "viewer.desktop", "Name=Doc Viewer\nExec=kexview\nCategories=Viewer;\n");
    Entry(apps, "chess.desktop",
          "Name=Chess, Checkers and Go\nExec=kexchess --board \"8 x 8\"\nIcon=kex-chess\nCategories=Game;\n");
    Entry(apps, "hidden.desktop", "Name=Hidden\nExec=kexany\nHidden=true\nCategories=Game;\n");
    Entry(apps, "nodisplay.desktop", "Name=No Display\nExec=kexany\nNoDisplay=true\nCategories=Game;\n");
    Entry(apps, "elsewhere.desktop", "Name=Elsewhere\nExec=kexany\nOnlyShowIn=OtherDesk;\nCategories=Utility;\n");
    Entry(apps, "here.desktop", "Name=Only Here\nExec=kexany --here\nOnlyShowIn=KexDesk;\nCategories=Utility;\n");
    Entry(apps, "nothere.desktop", "Name=Not Here\nExec=kexany\nNotShowIn=KexDesk;\nCategories=Utility;\n");
    Entry(apps, "tryexec.desktop", "Name=Missing\nExec=kexany\nTryExec=kex-not-installed\nCategories=Utility;\n");
    Entry(apps, "top.desktop", "Name=Top\nExec=kextop -d 1\nTerminal=true\nCategories=Utility;\n");
    Entry(apps, "mail.desktop", "Name=Mail\nExec=kexmail \"--subject=Hello, \\\\\"World\\\\\"\" %u\nCategories=Network;\n");
    Entry(w / "flatpak/exports/share/applications", "org.example.Paint.desktop",
          "Name=Paint\nExec=" + (w / "bin/flatpak").string()
              + " run --branch=stable --arch=x86_64 --command=paint --file-forwarding org.example.Paint @@u %U @@\n"
                "Icon=org.example.Paint\nCategories=Network;\n");
}

// The environment of the world: `menu` false leaves the menu file out.
std::map<std::string, std::string> WorldEnv(const fs::path& w, bool menu)
{
    return {{"XDG_CONFIG_DIRS", (w / (menu ? "etc" : "no-etc")).string()},
            {"XDG_CONFIG_HOME", (w / "config").string()},
            {"XDG_DATA_HOME", (w / "home-share").string()},
            {"XDG_DATA_DIRS", (w / "share").string() + ":" + (w / "flatpak/exports/share").string()},
            {"XDG_MENU_PREFIX", ""},
            {"XDG_CURRENT_DESKTOP", "KexDesk"},
            {"LANGUAGE", ""},
            {"LC_ALL", "de_DE.UTF-8"},
            {"PATH", (w / "bin").string() + ":/usr/bin:/bin"},
            {"TERMINAL", "kexterm"},
            {"KEX_WORLD", w.string()}};
}

TProgramItem Program(std::string title, std::string command, std::string icon = {}, bool terminal = false)
{
    return {std::move(title), std::move(command), std::move(icon), 0, terminal};
}

// The items of the world's entries as the source hands them.
struct WorldItems {
    TProgramItem writer, sheet, viewer, chess, here, top, mail, paint;
    explicit WorldItems(const fs::path& w)
        : writer(Program("Schreiber", "kexwriter", (w / "icons/writer.png").string())),
          sheet(Program("Sheet", "kexsheet --new-window", "kex-sheet")), viewer(Program("Doc Viewer", "kexview")),
          chess(Program("Chess, Checkers and Go", "kexchess --board '8 x 8'", "kex-chess")),
          here(Program("Only Here", "kexany --here")), top(Program("Top", "kextop -d 1", "", true)),
          mail(Program("Mail", "kexmail '--subject=Hello, \"World\"'")),
          paint(Program("Paint",
                        (w / "bin/flatpak").string()
                            + " run --branch=stable --arch=x86_64 --command=paint --file-forwarding org.example.Paint",
                        "org.example.Paint"))
    {
    }
};

std::vector<TProgramGroup> Sorted(std::vector<TProgramGroup> groups)
{
    std::sort(groups.begin(), groups.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    return groups;
}

TEST(AppMenuTest, DISABLED_GroupsInChild)
{
    if (!testing_child::InChild())
        GTEST_SKIP() << "runs only in the child of GroupsOfAPrivateWorld";
    const fs::path w = Env("KEX_WORLD");
    const WorldItems i(w);
    const std::optional<std::vector<TProgramGroup>> groups = AppMenuSource().ReadGroups();
    ASSERT_TRUE(groups);
    if (Env("KEX_MENU_CASE") == "menu") {
        // The submenus by their localised names, the nested one inside its top-level
        // group (the submenu first, as the menu shows it), the rest sorted by name.
        EXPECT_EQ(Sorted(*groups), Sorted({{"Accessories", {i.here, i.top}},
                                           {"Büro", {i.viewer, i.writer, i.sheet}},
                                           {"Games", {i.chess}},
                                           {"Internet", {i.mail, i.paint}}}));
    } else {
        // Without a menu file: by main category (Viewer is none), each sorted by title.
        EXPECT_EQ(Sorted(*groups), Sorted({{"Accessories", {i.here, i.top}},
                                           {"Games", {i.chess}},
                                           {"Internet", {i.mail, i.paint}},
                                           {"Office", {i.writer, i.sheet}},
                                           {"Other", {i.viewer}}}));
    }
}

TEST(AppMenuTest, GroupsOfAPrivateWorld)
{
    TempDir tmp;
    MakeWorld(tmp.path());
    for (const bool menu : {true, false}) {
        auto env = WorldEnv(tmp.path(), menu);
        env["KEX_MENU_CASE"] = menu ? "menu" : "categories";
        const auto child = testing_child::RunTestInChild("AppMenuTest.DISABLED_GroupsInChild", env);
        EXPECT_TRUE(child.passed) << (menu ? "menu file" : "no menu file") << "\n" << child.output;
    }
    // Neither a menu nor an applications directory: the groups cannot be read at all.
    TempDir empty;
    const auto child = testing_child::RunTestInChild("AppMenuTest.DISABLED_NothingInChild", WorldEnv(empty.path(), true));
    EXPECT_TRUE(child.passed) << child.output;
}

TEST(AppMenuTest, DISABLED_NothingInChild)
{
    if (!testing_child::InChild())
        GTEST_SKIP() << "runs only in the child of GroupsOfAPrivateWorld";
    EXPECT_FALSE(AppMenuSource().ReadGroups());
}

// kexbar-config import-menu: a new configuration gets the menu's pages; one with
// buttons is refused unless the pages are appended after its last page and after any
// record kept beyond it.
TEST(AppMenuTest, DISABLED_ImportMenuInChild)
{
    if (!testing_child::InChild())
        GTEST_SKIP() << "runs only in the child of ImportMenuCommand";
    kex::testing::TempDir dir;
    const std::string file = dir.File("KX.INI");
    auto stored = [&](const char* section, int n) {
        return TNewIniFile(file).ReadString(section, section == std::string("Tabs") ? "PageTab" + std::to_string(n)
                                                                                    : ButtonKey(n), "");
    };

    ToolRun r = RunTool(dir, {file, "import-menu", "--yes"});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out, "pages\t4\nbuttons\t8\n");
    EXPECT_EQ(TNewIniFile(file).ReadString("Location", "ButtonCount", ""), "16");
    const std::vector<std::string> tabs = {"Accessories", "Büro", "Games", "Internet"};
    for (int p = 1; p <= 4; ++p)
        EXPECT_EQ(stored("Tabs", p), tabs[std::size_t(p - 1)]);
    EXPECT_EQ(stored("Names", 2), "Top");
    EXPECT_EQ(stored("Programs", 2), "kexterm -e kextop -d 1");
    EXPECT_EQ(stored("Names", 18), "Schreiber");
    EXPECT_EQ(stored("Icons", 18), Env("KEX_WORLD") + "/icons/writer.png");
    EXPECT_EQ(stored("Names", 33), "Chess, Checkers and Go");
    EXPECT_EQ(stored("Programs", 33), "kexchess --board '8 x 8'");
    EXPECT_EQ(stored("Programs", 50).substr(stored("Programs", 50).find(" run ")),
              " run --branch=stable --arch=x86_64 --command=paint --file-forwarding org.example.Paint");

    const std::string filled = kex::testing::ReadBytes(file);
    r = RunTool(dir, {file, "import-menu", "--yes"});
    EXPECT_EQ(r.rc, kConfigUsage);
    EXPECT_NE(r.err.find("--append"), std::string::npos) << r.err;
    EXPECT_EQ(kex::testing::ReadBytes(file), filled);

    // A record left on page 7 by a lowered page count: the pages go after it.
    TNewIniFile(file).WriteString("Programs", ButtonKey(100), "kexany");
    const std::string before = kex::testing::ReadBytes(file);
    r = RunTool(dir, {file, "import-menu", "--append", "--yes"});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out, "pages\t11\nbuttons\t8\n");
    EXPECT_EQ(stored("Programs", 100), "kexany");
    EXPECT_EQ(stored("Tabs", 8), "Accessories");
    EXPECT_EQ(stored("Names", 7 * 16 + 1), "Only Here");
    EXPECT_EQ(stored("Tabs", 11), "Internet");
    EXPECT_EQ(kex::testing::ReadBytes(dir.File("KX.BAK")), before);
}

TEST(AppMenuTest, ImportMenuCommand)
{
    TempDir tmp;
    MakeWorld(tmp.path());
    const auto child = testing_child::RunTestInChild("AppMenuTest.DISABLED_ImportMenuInChild", WorldEnv(tmp.path(), true));
    EXPECT_TRUE(child.passed) << child.output;
}

} // namespace
