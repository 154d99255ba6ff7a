// The first start's import over a fake group source: what a new configuration holds
// afterwards, for the question's answers, the group and page rules and the limits.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include "IniTestUtil.h"
#include "core/bar/BarStore.h"
#include "fakes/FakeGroupSource.h"

using namespace kex;
using kex::testing::TempDir;

namespace {

// Every key of a file: "Section/Key" -> value.
using Stored = std::map<std::string, std::string>;

Stored Read(const std::string& file)
{
    const IniDocument doc = IniDocument::Parse(kex::testing::ReadBytes(file));
    Stored s;
    for (const std::string& section : doc.SectionNames())
        for (const auto& [key, value] : doc.ReadSection(section))
            s[section + "/" + key] = value;
    return s;
}

// A group of `count` items, item i titled "<group> <i>" with the command "run<i>";
// those numbered in `gaps` have no command.
ProgramGroup Group(const std::string& name, int count, std::vector<int> gaps = {})
{
    ProgramGroup g{name, {}};
    for (int i = 1; i <= count; ++i) {
        const bool gap = std::find(gaps.begin(), gaps.end(), i) != gaps.end();
        g.items.push_back({name + " " + std::to_string(i), gap ? "" : "run" + std::to_string(i), "", 0, false});
    }
    return g;
}

std::vector<int> Ids(int from, int to)
{
    std::vector<int> ids;
    for (int i = from; i <= to; ++i)
        ids.push_back(i);
    return ids;
}

// Buttons from `first` on holding the items of `group` with the numbers given.
struct Span {
    int first;
    std::string group;
    std::vector<int> ids;
};

Stored Expected(int buttonsPerPage, const std::string& pageCount, const std::map<int, std::string>& tabs,
                const std::vector<Span>& runs)
{
    Stored s{{"Location/ButtonCount", std::to_string(buttonsPerPage)}};
    if (!pageCount.empty())
        s["Pages/Count"] = pageCount;
    for (const auto& [p, name] : tabs)
        s["Tabs/PageTab" + std::to_string(p)] = name;
    for (const Span& run : runs)
        for (std::size_t i = 0; i < run.ids.size(); ++i) {
            s["Names/" + ButtonKey(run.first + int(i))] = run.group + " " + std::to_string(run.ids[i]);
            s["Programs/" + ButtonKey(run.first + int(i))] = "run" + std::to_string(run.ids[i]);
        }
    return s;
}

std::string Numbered(int i)
{
    char name[16];
    std::snprintf(name, sizeof name, "G%04d", i);
    return name;
}

struct Case {
    const char* what;
    int buttonsPerPage;
    std::optional<std::vector<ProgramGroup>> groups; // nothing: they cannot be read
    bool yes;
    ImportOutcome outcome;
    Stored stored;
    std::string message = {};
    int groupsLeftOut = 0;
    std::string before = {}; // the file before the first start
};

TEST(ProgramImportTest, FirstStartFillsTheFileByTheGroupRules)
{
    // Icons, a terminal program, and a title and command with commas and quotes.
    const ProgramGroup icons{"Icons",
                             {{"Paint", "paint", "/icons/paint.png", 0, false},
                              {"Self", "/usr/bin/self", "/usr/bin/self", 0, false},
                              {"Themed, \"quoted\"", "echo 'a, b'", "kex-theme", 2, false},
                              {"Spaced", "spaced", "/my icons/s.png", 0, false},
                              {"Top", "top -d 1", "", 0, true}}};
    Stored iconsStored = Expected(16, "1", {{1, "Icons"}}, {});
    const char* const made[][2] = {{"Paint", "paint"},
                                   {"Self", "/usr/bin/self"},
                                   {"Themed, \"quoted\"", "echo 'a, b'"},
                                   {"Spaced", "spaced"},
                                   {"Top", "xterm -e top -d 1"}};
    for (int n = 1; n <= 5; ++n) {
        iconsStored["Names/" + ButtonKey(n)] = made[n - 1][0];
        iconsStored["Programs/" + ButtonKey(n)] = made[n - 1][1];
    }
    iconsStored["Icons/SpeedButton1"] = "/icons/paint.png";
    iconsStored["Icons/SpeedButton3"] = "kex-theme";
    iconsStored["IconSelection/SpeedButton3"] = "2";
    iconsStored["Icons/SpeedButton4"] = "'/my icons/s.png'";

    // 1001 groups of one item, given in reverse order: the first 1000 fill the bar.
    std::vector<ProgramGroup> many;
    std::map<int, std::string> manyTabs;
    std::vector<Span> manyRuns;
    for (int i = 1001; i >= 1; --i)
        many.push_back(Group(Numbered(i), 1));
    for (int p = 1; p <= 1000; ++p) {
        manyTabs[p] = Numbered(p);
        manyRuns.push_back({(p - 1) * 16 + 1, Numbered(p), {1}});
    }

    const std::string filled = "[Location]\nButtonCount=16\n[Programs]\nSpeedButton40=/usr/bin/xterm\n";
    const Stored filledStored = {{"Location/ButtonCount", "16"}, {"Programs/SpeedButton40", "/usr/bin/xterm"}};
    using Groups = std::vector<ProgramGroup>;
    using enum ImportOutcome;
    const Case cases[] = {
        {"20 items at 16 a page fill two pages of one name; the next group follows; case-insensitive order", 16,
         Groups{Group("Zoo", 2), Group("accessories", 20)}, true, Imported,
         Expected(16, "3", {{1, "accessories"}, {2, "accessories"}, {3, "Zoo"}},
                  {{1, "accessories", Ids(1, 20)}, {33, "Zoo", {1, 2}}})},
        {"gaps take no slot but count towards the bound of 29 items", 21, Groups{Group("Gaps", 40, Ids(11, 20))}, true,
         Imported, Expected(21, "1", {{1, "Gaps"}}, {{1, "Gaps", Ids(1, 10)}, {11, "Gaps", Ids(21, 29)}})},
        {"a full page whose next item has no command ends its group", 16, Groups{Group("Edge", 20, {17})}, true,
         Imported, Expected(16, "1", {{1, "Edge"}}, {{1, "Edge", Ids(1, 16)}})},
        {"60 items at 16 a page give three full pages, 48 buttons", 16, Groups{Group("Big", 60)}, true, Imported,
         Expected(16, "3", {{1, "Big"}, {2, "Big"}, {3, "Big"}}, {{1, "Big", Ids(1, 48)}})},
        {"icons only when named and other than the command; a terminal program in the terminal", 16, Groups{icons},
         true, Imported, iconsStored},
        {"an empty group keeps its page and place", 16, Groups{Group("B", 0), Group("A", 1), Group("C", 1)}, true,
         Imported, Expected(16, "3", {{1, "A"}, {2, "B"}, {3, "C"}}, {{1, "A", {1}}, {33, "C", {1}}})},
        {"answering No stores only the buttons per page", 21, Groups{Group("A", 3)}, false, Declined,
         Expected(21, "", {}, {})},
        {"no groups at all keep the default page count", 16, Groups{}, true, Imported, Expected(16, "", {}, {})},
        {"groups that cannot be read", 16, std::nullopt, true, NoAccess, Expected(16, "", {}, {}),
         "Can not access Program Manager"},
        {"groups beyond the bar's 1000 pages are left out", 16, many, true, Imported,
         Expected(16, "1000", manyTabs, manyRuns), "", 1},
        {"a bar with buttons is neither asked nor changed", 21, Groups{Group("A", 3)}, true, NotAsked, filledStored, "",
         0, filled},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        if (!c.before.empty())
            kex::testing::WriteBytes(dir.File("KX.INI"), c.before);
        BarStore store(dir.File("KX.INI"));
        FakeGroupSource source;
        source.groups = c.groups;
        int asked = 0, busy = 0;
        const FirstStartImport result = ImportOnFirstStart(
            store, c.buttonsPerPage, source, {[&] { return ++asked, c.yes; }, [&](bool on) { busy += on ? 1 : -1; }});
        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_EQ(result.message, c.message);
        EXPECT_EQ(result.summary.groupsLeftOut, c.groupsLeftOut);
        const bool asks = c.outcome != NotAsked;
        EXPECT_EQ(asked, asks ? 1 : 0);
        EXPECT_EQ(source.reads, asks && c.yes ? 1 : 0);
        EXPECT_EQ(busy, 0) << "the busy cursor is given back";
        EXPECT_EQ(Read(dir.File("KX.INI")), c.stored);
    }
}

} // namespace
