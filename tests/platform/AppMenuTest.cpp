// The desktop's application menu as program groups, in a private XDG world made here
// (a menu of four submenus, one nested; a dozen entries: hidden, not for this desktop,
// a failing TryExec, a Flatpak export, a terminal program, a comma in a name), with
// and without its menu file, and kexbar-config import-menu on it.
#include "platform/AppMenu.h"
#include "platform/TempDir.h"

#include "SelfExec.h"
#include "core/ToolRun.h"
#include "core/config/ConfigTool.h"
#include "core/pages/ButtonRecord.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace kex;
namespace fs = std::filesystem;

namespace kex {
void PrintTo(const ProgramGroup& g, std::ostream* os)
{
    *os << "\n[" << g.name << "]";
    for (const ProgramItem& i : g.items)
        *os << "\n  " << i.title << " | " << i.commandLine << " | " << i.iconFile << (i.terminal ? " | terminal" : "");
}
} // namespace kex

namespace {

void MakeWorld(const fs::path& w)
{
    for (const char* program :
         {"kexwriter", "kexsheet", "kexview", "kexchess", "kextop", "kexmail", "flatpak", "kexany", "kexterm"})
        Write(w / "bin" / program, "#!/bin/sh\nexit 0\n", 0755);
    std::string menu = "<Menu><Name>Applications</Name><DefaultAppDirs/><DefaultDirectoryDirs/>\n";
    const char* const submenus[][3] = {{"Office", "Office", "Name=Office\nName[de]=Büro"},
                                       {"Games", "Game", "Name=Games"},
                                       {"Tools", "Utility", "Name=Accessories"},
                                       {"Net", "Network", "Name=Internet"}};
    for (const auto& [name, category, directory] : submenus) {
        menu += std::string("<Menu><Name>") + name + "</Name><Directory>" + name + ".directory</Directory><Include>"
                + "<Category>" + category + "</Category></Include>"
                + (name == std::string("Office") ? "<Menu><Name>Viewers</Name><Include><Category>Viewer</Category>"
                                                   "</Include></Menu>"
                                                 : "")
                + "</Menu>\n";
        Write(w / "share/desktop-directories" / (std::string(name) + ".directory"),
              std::string("[Desktop Entry]\nType=Directory\n") + directory + "\n");
    }
    Write(w / "etc/menus/applications.menu", menu + "</Menu>\n");

    const std::pair<const char*, std::string> entries[] = {
        {"writer", "Name=Writer\nName[de]=Schreiber\nExec=kexwriter %F\nIcon=" + (w / "icons/w.png").string()
                       + "\nCategories=Office;"},
        {"sheet", "Name=Sheet\nExec=\"kexsheet\" --new-window %U\nIcon=kex-sheet\nCategories=Office;"},
        {"viewer", "Name=Doc Viewer\nExec=kexview\nCategories=Viewer;"},
        {"chess", "Name=Chess, Checkers and Go\nExec=kexchess --board \"8 x 8\"\nIcon=kex-chess\nCategories=Game;"},
        {"hidden", "Name=Hidden\nExec=kexany\nHidden=true\nCategories=Game;"},
        {"nodisplay", "Name=No Display\nExec=kexany\nNoDisplay=true\nCategories=Game;"},
        {"elsewhere", "Name=Elsewhere\nExec=kexany\nOnlyShowIn=OtherDesk;\nCategories=Utility;"},
        {"here", "Name=Only Here\nExec=kexany --here\nOnlyShowIn=KexDesk;\nCategories=Utility;"},
        {"nothere", "Name=Not Here\nExec=kexany\nNotShowIn=KexDesk;\nCategories=Utility;"},
        {"tryexec", "Name=Missing\nExec=kexany\nTryExec=kex-not-installed\nCategories=Utility;"},
        {"top", "Name=Top\nExec=kextop -d 1\nTerminal=true\nCategories=Utility;"},
        {"mail", "Name=Mail\nExec=kexmail \"--subject=Hello, \\\\\"World\\\\\"\" %u\nCategories=Network;"},
    };
    for (const auto& [id, keys] : entries)
        Write(w / "share/applications" / (std::string(id) + ".desktop"), "[Desktop Entry]\nType=Application\n" + keys);
    Write(w / "flatpak/exports/share/applications/org.example.Paint.desktop",
          "[Desktop Entry]\nType=Application\nName=Paint\nExec=" + (w / "bin/flatpak").string()
              + " run --branch=stable --arch=x86_64 --command=paint --file-forwarding org.example.Paint @@u %U @@\n"
                "Icon=org.example.Paint\nCategories=Network;\n");
}

// The world's environment; `what` is "menu", "categories" (no menu file) or "nothing"
// (no menu, no applications).
std::map<std::string, std::string> WorldEnv(const fs::path& w, const std::string& what)
{
    const fs::path data = what == "nothing" ? w / "none" : w;
    return {{"XDG_CONFIG_DIRS", (w / (what == "menu" ? "etc" : "none")).string()},
            {"XDG_CONFIG_HOME", (w / "config").string()},
            {"XDG_DATA_HOME", (w / "home").string()},
            {"XDG_DATA_DIRS", (data / "share").string() + ":" + (data / "flatpak/exports/share").string()},
            {"XDG_MENU_PREFIX", ""},
            {"XDG_CURRENT_DESKTOP", "KexDesk"},
            {"LANGUAGE", ""},
            {"LC_ALL", "de_DE.UTF-8"},
            {"PATH", (w / "bin").string() + ":/usr/bin:/bin"},
            {"TERMINAL", "kexterm"},
            {"KEX_WORLD", w.string()},
            {"KEX_MENU_CASE", what}};
}

std::vector<ProgramGroup> Sorted(std::vector<ProgramGroup> groups)
{
    std::sort(groups.begin(), groups.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    return groups;
}

TEST(AppMenuTest, DISABLED_GroupsInChild)
{
    if (!testing_child::InChild())
        GTEST_SKIP() << "runs only in the child of GroupsOfAPrivateWorld";
    const fs::path w = Env("KEX_WORLD");
    const std::string flatpak = (w / "bin/flatpak").string();
    const ProgramItem writer{"Schreiber", "kexwriter", (w / "icons/w.png").string(), 0, false},
        sheet{"Sheet", "kexsheet --new-window", "kex-sheet", 0, false}, viewer{"Doc Viewer", "kexview", "", 0, false},
        chess{"Chess, Checkers and Go", "kexchess --board '8 x 8'", "kex-chess", 0, false},
        here{"Only Here", "kexany --here", "", 0, false}, top{"Top", "kextop -d 1", "", 0, true},
        mail{"Mail", "kexmail '--subject=Hello, \"World\"'", "", 0, false},
        paint{"Paint",
              flatpak + " run --branch=stable --arch=x86_64 --command=paint --file-forwarding org.example.Paint",
              "org.example.Paint", 0, false};
    const std::optional<std::vector<ProgramGroup>> groups = AppMenuSource().ReadGroups();
    if (Env("KEX_MENU_CASE") == "nothing") {
        EXPECT_FALSE(groups);
    } else if (Env("KEX_MENU_CASE") == "menu") {
        // The submenus by their localised names, the nested one inside its top-level
        // group (its place first, as the menu shows it), the entries sorted by name.
        ASSERT_TRUE(groups);
        EXPECT_EQ(Sorted(*groups), Sorted({{"Accessories", {here, top}},
                                           {"Büro", {viewer, writer, sheet}},
                                           {"Games", {chess}},
                                           {"Internet", {mail, paint}}}));
    } else {
        // Without a menu file: by main category (Viewer is none), each sorted by title.
        ASSERT_TRUE(groups);
        EXPECT_EQ(Sorted(*groups), Sorted({{"Accessories", {here, top}},
                                           {"Games", {chess}},
                                           {"Internet", {mail, paint}},
                                           {"Office", {writer, sheet}},
                                           {"Other", {viewer}}}));
    }
}

TEST(AppMenuTest, GroupsOfAPrivateWorld)
{
    TempDir tmp;
    MakeWorld(tmp.path());
    for (const char* what : {"menu", "categories", "nothing"}) {
        const auto child =
            testing_child::RunTestInChild("AppMenuTest.DISABLED_GroupsInChild", WorldEnv(tmp.path(), what));
        EXPECT_TRUE(child.passed) << what << "\n" << child.output;
    }
}

// kexbar-config import-menu: a new configuration gets the menu's pages; one with
// buttons is refused unless the pages go after its last page and after any record
// kept beyond it.
TEST(AppMenuTest, DISABLED_ImportMenuInChild)
{
    if (!testing_child::InChild())
        GTEST_SKIP() << "runs only in the child of ImportMenuCommand";
    kex::testing::TempDir dir;
    const std::string file = dir.File("KX.INI");
    auto stored = [&](const char* section, const std::string& key) {
        return TNewIniFile(file).ReadString(section, key, "");
    };

    ToolRun r = RunTool(dir, {file, "import-menu", "--yes"});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out, "pages\t4\nbuttons\t8\n");
    EXPECT_EQ(stored("Location", "ButtonCount"), "16");
    EXPECT_EQ(stored("Tabs", "PageTab2"), "Büro");
    EXPECT_EQ(stored("Programs", ButtonKey(2)), Env("KEX_WORLD") + "/bin/kexterm -e kextop -d 1");
    EXPECT_EQ(stored("Icons", ButtonKey(18)), Env("KEX_WORLD") + "/icons/w.png");
    EXPECT_EQ(stored("Names", ButtonKey(33)), "Chess, Checkers and Go");

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
    EXPECT_EQ(stored("Programs", ButtonKey(100)), "kexany");
    EXPECT_EQ(stored("Tabs", "PageTab8"), "Accessories");
    EXPECT_EQ(stored("Names", ButtonKey(7 * 16 + 1)), "Only Here");
    EXPECT_EQ(kex::testing::ReadBytes(dir.File("KX.BAK")), before);
}

TEST(AppMenuTest, ImportMenuCommand)
{
    TempDir tmp;
    MakeWorld(tmp.path());
    const auto child =
        testing_child::RunTestInChild("AppMenuTest.DISABLED_ImportMenuInChild", WorldEnv(tmp.path(), "menu"));
    EXPECT_TRUE(child.passed) << child.output;
}

} // namespace
