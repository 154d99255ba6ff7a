// The first start's import over a fake group source: what a configuration holds
// afterwards, for the question's answers, the group and page rules and the limits.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include "IniTestUtil.h"
#include "core/bar/BarStore.h"
#include "core/import/ProgramImport.h"
#include "fakes/FakeGroupSource.h"

using namespace kex;
using kex::testing::TempDir;

namespace {

// Item `id` of a group: title "<group> <id>", command "run<id>"; a gap has no command.
TProgramItem Item(const std::string& group, int id)
{
    return {group + " " + std::to_string(id), "run" + std::to_string(id), "", 0, false};
}

// A group of `count` items, those numbered in `gaps` without a command.
TProgramGroup Group(const std::string& name, int count, std::vector<int> gaps = {})
{
    TProgramGroup g{name, {}};
    for (int id = 1; id <= count; ++id) {
        g.items.push_back(Item(name, id));
        if (std::find(gaps.begin(), gaps.end(), id) != gaps.end())
            g.items.back().commandLine.clear();
    }
    return g;
}

// Buttons first.. holding the items of `group` with the ids given, in that order.
struct Run {
    int firstButton;
    std::string group;
    std::vector<int> ids;
};
std::vector<int> Ids(int from, int to)
{
    std::vector<int> ids;
    for (int id = from; id <= to; ++id)
        ids.push_back(id);
    return ids;
}

// What a configuration holds after the import, in the import's own terms.
struct Stored {
    std::string buttonCount, pageCount;   // "" when absent
    std::map<int, std::string> tabs;      // page -> name
    std::map<int, std::string> names;     // button -> "Names"
    std::map<int, std::string> programs;  // button -> "Programs"
    std::map<int, std::string> icons;     // button -> "Icons" + "," + "IconSelection"
    std::vector<std::string> otherSections;
    bool operator==(const Stored&) const = default;
};

void PrintTo(const Stored& s, std::ostream* os)
{
    *os << "\nButtonCount=" << s.buttonCount << " Count=" << s.pageCount;
    for (const auto& [p, name] : s.tabs)
        *os << "\npage " << p << " " << name;
    for (const auto& [n, name] : s.names)
        *os << "\nbutton " << n << " " << name << " | " << (s.programs.contains(n) ? s.programs.at(n) : "");
    for (const auto& [n, icon] : s.icons)
        *os << "\nicon " << n << " " << icon;
    for (const std::string& section : s.otherSections)
        *os << "\nsection " << section;
}

Stored Read(const std::string& file)
{
    const IniDocument doc = IniDocument::Parse(kex::testing::ReadBytes(file));
    Stored s;
    s.buttonCount = doc.Get("Location", "ButtonCount").value_or("");
    s.pageCount = doc.Get("Pages", "Count").value_or("");
    auto numbered = [&](const char* section, const char* prefix, std::map<int, std::string>& into) {
        for (const auto& [key, value] : doc.ReadSection(section))
            into[NumberedKey(key, prefix)] = value;
    };
    numbered("Tabs", "PageTab", s.tabs);
    numbered("Names", "SpeedButton", s.names);
    numbered("Programs", "SpeedButton", s.programs);
    numbered("Icons", "SpeedButton", s.icons);
    for (const auto& [key, value] : doc.ReadSection("IconSelection"))
        s.icons[NumberedKey(key, "SpeedButton")] += "," + value;
    for (const std::string& section : doc.SectionNames())
        if (section != "Location" && section != "Pages" && section != "Tabs" && section != "Names"
            && section != "Programs" && section != "Icons" && section != "IconSelection")
            s.otherSections.push_back(section);
    return s;
}

Stored Expected(int buttonsPerPage, std::string pageCount, std::map<int, std::string> tabs,
                const std::vector<Run>& runs)
{
    Stored s;
    s.buttonCount = std::to_string(buttonsPerPage);
    s.pageCount = std::move(pageCount);
    s.tabs = std::move(tabs);
    for (const Run& run : runs)
        for (std::size_t i = 0; i < run.ids.size(); ++i) {
            const int n = run.firstButton + int(i);
            s.names[n] = run.group + " " + std::to_string(run.ids[i]);
            s.programs[n] = "run" + std::to_string(run.ids[i]);
        }
    return s;
}

std::vector<TProgramGroup> ManyGroups(int count)
{
    std::vector<TProgramGroup> groups;
    for (int i = count; i >= 1; --i) {
        char name[16];
        std::snprintf(name, sizeof name, "G%04d", i);
        groups.push_back(Group(name, 1));
    }
    return groups;
}

struct Case {
    const char* what;
    int buttonsPerPage;
    std::optional<std::vector<TProgramGroup>> groups; // nothing: they cannot be read
    bool answer;
    TImportOutcome outcome;
    Stored stored;
    std::string message = {};
    int groupsLeftOut = 0;
    std::string prepared = {}; // the file before the first start
};

TEST(ProgramImportTest, FirstStartFillsTheFileByTheGroupRules)
{
    // Items with icons, a terminal program, and a title and command with commas and quotes.
    TProgramGroup icons{"Icons",
                        {{"Paint", "paint", "/icons/paint.png", 0, false},
                         {"Self", "/usr/bin/self", "/usr/bin/self", 0, false},
                         {"Themed, \"quoted\"", "echo 'a, b'", "kex-theme", 2, false},
                         {"Spaced", "spaced", "/my icons/s.png", 0, false},
                         {"Top", "top -d 1", "", 0, true}}};
    Stored iconsStored = Expected(16, "1", {{1, "Icons"}}, {});
    iconsStored.names = {{1, "Paint"}, {2, "Self"}, {3, "Themed, \"quoted\""}, {4, "Spaced"}, {5, "Top"}};
    iconsStored.programs = {{1, "paint"}, {2, "/usr/bin/self"}, {3, "echo 'a, b'"}, {4, "spaced"},
                            {5, "xterm -e top -d 1"}};
    iconsStored.icons = {{1, "/icons/paint.png"}, {3, "kex-theme,2"}, {4, "'/my icons/s.png'"}};

    const std::string filled = "[Location]\nButtonCount=16\n[Programs]\nSpeedButton40=/usr/bin/xterm\n";
    Stored filledStored = Expected(16, "", {}, {});
    filledStored.programs = {{40, "/usr/bin/xterm"}};

    Stored manyStored = Expected(16, "1000", {{1, "G0001"}, {1000, "G1000"}}, {{1, "G0001", {1}}, {15985, "G1000", {1}}});

    const Case cases[] = {
        {"20 items at 16 a page fill two pages of one name; the next group follows; case-insensitive order", 16,
         std::vector<TProgramGroup>{Group("Zoo", 2), Group("accessories", 20)}, true, TImportOutcome::Imported,
         Expected(16, "3", {{1, "accessories"}, {2, "accessories"}, {3, "Zoo"}},
                  {{1, "accessories", Ids(1, 16)}, {17, "accessories", Ids(17, 20)}, {33, "Zoo", {1, 2}}})},
        {"gaps take no slot but count towards the bound of 29 items", 21,
         std::vector<TProgramGroup>{Group("Gaps", 40, Ids(11, 20))}, true, TImportOutcome::Imported,
         Expected(21, "1", {{1, "Gaps"}}, {{1, "Gaps", Ids(1, 10)}, {11, "Gaps", Ids(21, 29)}})},
        {"a full page whose next item has no command ends its group", 16,
         std::vector<TProgramGroup>{Group("Edge", 20, {17})}, true, TImportOutcome::Imported,
         Expected(16, "1", {{1, "Edge"}}, {{1, "Edge", Ids(1, 16)}})},
        {"60 items at 16 a page give three full pages, 48 buttons", 16,
         std::vector<TProgramGroup>{Group("Big", 60)}, true, TImportOutcome::Imported,
         Expected(16, "3", {{1, "Big"}, {2, "Big"}, {3, "Big"}}, {{1, "Big", Ids(1, 48)}})},
        {"icons only when named and other than the command; a terminal program in the terminal", 16,
         std::vector<TProgramGroup>{icons}, true, TImportOutcome::Imported, iconsStored},
        {"an empty group keeps its page and place", 16,
         std::vector<TProgramGroup>{Group("B", 0), Group("A", 1), Group("C", 1)}, true, TImportOutcome::Imported,
         Expected(16, "3", {{1, "A"}, {2, "B"}, {3, "C"}}, {{1, "A", {1}}, {33, "C", {1}}})},
        {"answering No stores only the buttons per page", 21, std::vector<TProgramGroup>{Group("A", 3)}, false,
         TImportOutcome::Declined, Expected(21, "", {}, {})},
        {"no groups at all keep the default page count", 16, std::vector<TProgramGroup>{}, true,
         TImportOutcome::Imported, Expected(16, "", {}, {})},
        {"groups that cannot be read", 16, std::nullopt, true, TImportOutcome::NoAccess, Expected(16, "", {}, {}),
         "Can not access Program Manager"},
        {"groups beyond the bar's 1000 pages are left out", 16, ManyGroups(1001), true, TImportOutcome::Imported,
         manyStored, "", 1},
        {"a bar with buttons is neither asked nor changed", 21, std::vector<TProgramGroup>{Group("A", 3)}, true,
         TImportOutcome::NotAsked, filledStored, "", 0, filled},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        if (!c.prepared.empty())
            kex::testing::WriteBytes(dir.File("KX.INI"), c.prepared);
        BarStore store(dir.File("KX.INI"));
        FakeGroupSource source;
        source.groups = c.groups;
        int asked = 0, busy = 0;
        const TFirstStartImport result = ImportOnFirstStart(
            store, c.buttonsPerPage, source,
            {[&] {
                 ++asked;
                 return c.answer;
             },
             [&](bool on) { busy += on ? 1 : -1; }});
        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_EQ(result.message, c.message);
        EXPECT_EQ(result.summary.groupsLeftOut, c.groupsLeftOut);
        const bool asks = c.outcome != TImportOutcome::NotAsked;
        EXPECT_EQ(asked, asks ? 1 : 0);
        EXPECT_EQ(source.reads, asks && c.answer ? 1 : 0);
        EXPECT_EQ(busy, 0) << "the busy cursor is given back";
        Stored stored = Read(dir.File("KX.INI"));
        if (c.groups && c.groups->size() > 1000) {
            // Every page of the limit has its one button; only the first and last are listed.
            EXPECT_EQ(stored.tabs.size(), 1000u);
            EXPECT_EQ(stored.names.size(), 1000u);
            stored.tabs = {{1, stored.tabs[1]}, {1000, stored.tabs[1000]}};
            stored.names = {{1, stored.names[1]}, {15985, stored.names[15985]}};
            stored.programs = {{1, stored.programs[1]}, {15985, stored.programs[15985]}};
        }
        EXPECT_EQ(stored, c.stored);
    }
}

} // namespace
