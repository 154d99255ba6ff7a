#include <gtest/gtest.h>

#include <optional>

#include "PageTestUtil.h"
#include "core/pages/Renumber.h"

using namespace kex;
using namespace kex::testing;

namespace {

// One page before the switch: its stored name (none: the tab shows "Page" + p) and
// how many records it holds from its first slot on.
struct OldPage {
    std::optional<std::string> name;
    int records = 0;
};

// One page after the switch: its stored name and which old records (by their old
// number) it holds from its first slot on.
struct NewPage {
    std::string name; // "<none>": no stored name
    std::vector<int> oldNumbers;
};

struct SwitchCase {
    const char* label;
    int oldB, newB;
    std::vector<OldPage> before;
    std::vector<NewPage> after;
    int storedCount = -1; // "Pages"/"Count" before, -1: the number of pages
};

void PrintTo(const SwitchCase& c, std::ostream* os) { *os << c.label; }

std::vector<int> Run(int first, int count)
{
    std::vector<int> v;
    for (int i = 0; i < count; ++i)
        v.push_back(first + i);
    return v;
}

IniDocument Build(const SwitchCase& c, FakePasswords* pw = nullptr)
{
    IniDocument doc;
    doc.WriteInteger("Location", "ButtonCount", c.oldB);
    doc.WriteInteger("Pages", "Count", c.storedCount >= 0 ? c.storedCount : int(c.before.size()));
    doc.WriteString("MRU", "Count", "1");
    doc.WriteString("MRU", "1", "Button 1  |1");
    RecordStore s(doc);
    s.BeginBatch();
    for (std::size_t i = 0; i < c.before.size(); ++i) {
        const int p = int(i) + 1;
        if (c.before[i].name)
            doc.WriteString("Tabs", PageTabKey(p), *c.before[i].name);
        for (int slot = 1; slot <= c.before[i].records; ++slot) {
            const int n = (p - 1) * c.oldB + slot;
            s.Write(n, MakeRecord(n));
            if (pw)
                pw->stored[n] = "pw" + std::to_string(n);
        }
    }
    s.Flush();
    return doc;
}

class SwitchTest : public ::testing::TestWithParam<SwitchCase> {};

TEST_P(SwitchTest, RecordsNamesAndCount)
{
    const SwitchCase& c = GetParam();
    FakePasswords pw;
    IniDocument doc = Build(c, &pw);
    const int tabs = c.storedCount >= 0 ? c.storedCount : int(c.before.size());
    const int pages = ChangeButtonsPerPage(doc, &pw, c.oldB, c.newB, tabs);

    EXPECT_EQ(pages, int(c.after.size()));
    EXPECT_EQ(doc.ReadInteger("Pages", "Count", 10), int(c.after.size()));
    EXPECT_EQ(doc.ReadInteger("Location", "ButtonCount", 0), c.newB);
    EXPECT_FALSE(doc.HasSection("MRU"));

    std::map<int, int> expected;
    std::map<int, std::string> expectedPw;
    for (std::size_t i = 0; i < c.after.size(); ++i) {
        EXPECT_EQ(Tab(doc, int(i) + 1), c.after[i].name) << "name of page " << i + 1;
        for (std::size_t slot = 0; slot < c.after[i].oldNumbers.size(); ++slot) {
            const int n = int(i) * c.newB + int(slot) + 1;
            expected[n] = c.after[i].oldNumbers[slot];
            expectedPw[n] = "pw" + std::to_string(c.after[i].oldNumbers[slot]);
        }
    }
    EXPECT_EQ(RecordIds(doc), expected);
    EXPECT_EQ(pw.stored, expectedPw); // every password went with its record
}

const std::vector<SwitchCase> kSwitches = {
    {"ExpandSameNameRunJoinsPages", 16, 21, {{"Games", 16}, {"Games", 3}}, {{"Games", Run(1, 19)}}},
    {"ExpandDifferentNamesKeepsPages", 16, 21, {{"A", 16}, {"B", 3}}, {{"A", Run(1, 16)}, {"B", Run(17, 3)}}},
    {"ExpandUnnamedPagesAreDifferentPages",
     16,
     21,
     {{{}, 16}, {{}, 3}},
     {{"<none>", Run(1, 16)}, {"<none>", Run(17, 3)}}},
    {"ExpandThreePagesOfOneGroupFill21",
     16,
     21,
     {{"G", 16}, {"G", 16}, {"G", 16}},
     {{"G", Run(1, 21)}, {"G", Run(22, 21)}, {"G", Run(43, 6)}}},
    {"LessOneFullPageSplits", 21, 16, {{{}, 21}}, {{"Page1", Run(1, 16)}, {"Page1", Run(17, 5)}}},
    {"LessSameNameRunStaysTogether", 21, 16, {{"G", 21}, {"G", 5}}, {{"G", Run(1, 16)}, {"G", Run(17, 10)}}},
    {"LessTwoFullPagesKeepTheirNames",
     21,
     16,
     {{"A", 21}, {"B", 21}},
     {{"A", Run(1, 16)}, {"A", Run(17, 5)}, {"B", Run(22, 16)}, {"B", Run(38, 5)}}},
    {"ExpandTenPagesTwoUsed",
     16,
     21,
     {{"A", 0}, {"B", 0}, {"C", 4}, {"D", 0}, {"E", 0}, {"F", 0}, {"G", 3}, {"H", 0}, {"I", 0}, {"J", 0}},
     {{"C", Run(33, 4)}, {"G", Run(97, 3)}}},
    {"LessTenPagesTwoUsed",
     21,
     16,
     {{"A", 0}, {"B", 0}, {"C", 4}, {"D", 0}, {"E", 0}, {"F", 0}, {"G", 3}, {"H", 0}, {"I", 0}, {"J", 0}},
     {{"C", Run(43, 4)}, {"G", Run(127, 3)}}},
    // Nothing stored anywhere: one empty page remains rather than none.
    {"ExpandNothingStoredKeepsOnePage", 16, 21, {{"A", 0}, {"B", 0}, {"C", 0}}, {{"A", {}}}},
    {"LessNothingStoredKeepsOnePage", 21, 16, {{"A", 0}, {"B", 0}, {"C", 0}}, {{"A", {}}}},
    // Records on a page beyond the page count (a lowered count) move with the others
    // instead of being overwritten, and show again.
    {"ExpandHiddenPageComesAlong",
     16,
     21,
     {{"A", 16}, {"B", 3}, {{}, 2}},
     {{"A", Run(1, 16)}, {"B", Run(17, 3)}, {"<none>", Run(33, 2)}},
     2},
};

INSTANTIATE_TEST_SUITE_P(Renumber, SwitchTest, ::testing::ValuesIn(kSwitches),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(RenumberTest, SwitchingThereAndBackRestoresTheRecords)
{
    // Pages of 16 or fewer fit a page of 21 and come back to their places.
    FakePasswords pw;
    SwitchCase c{"", 16, 21, {{"A", 16}, {"B", 7}, {"C", 16}}, {}};
    IniDocument doc = Build(c, &pw);
    const auto before = RecordIds(doc);
    const auto passwords = pw.stored;
    EXPECT_EQ(ChangeButtonsPerPage(doc, &pw, 16, 21, 3), 3);
    EXPECT_NE(RecordIds(doc), before);
    EXPECT_EQ(ChangeButtonsPerPage(doc, &pw, 21, 16, 3), 3);
    EXPECT_EQ(RecordIds(doc), before);
    EXPECT_EQ(pw.stored, passwords);
    for (int p = 1; p <= 3; ++p)
        EXPECT_EQ(Tab(doc, p), std::string(1, char('A' + p - 1)));
}

TEST(RenumberTest, NoChangeOnlyWritesTheCountAndErasesTheRecentList)
{
    SwitchCase c{"", 16, 16, {{"A", 5}}, {}};
    IniDocument doc = Build(c);
    const auto before = RecordIds(doc);
    EXPECT_EQ(ChangeButtonsPerPage(doc, nullptr, 16, 16, 1), 1);
    EXPECT_EQ(RecordIds(doc), before);
    EXPECT_FALSE(doc.HasSection("MRU"));
}

TEST(RenumberTest, SameNameRunCountsBackToTheFirstOtherCaption)
{
    const std::vector<std::string> captions = {"A", "G", "G", "X", "G", "G", "G"};
    EXPECT_EQ(SameNameRun(captions, 1), 0);
    EXPECT_EQ(SameNameRun(captions, 3), 1);
    EXPECT_EQ(SameNameRun(captions, 4), 0);
    EXPECT_EQ(SameNameRun(captions, 7), 2);
}

TEST(RenumberTest, RemovedPagesShiftNamesAsNumbers)
{
    // Pages 2 (empty) and 4 (unnamed): page 2 goes, page 3 and 4 move down; the
    // unnamed page is stored as the text of its new number.
    SwitchCase c{"", 16, 21, {{"A", 16}, {"B", 0}, {"C", 2}, {{}, 2}}, {}};
    IniDocument doc = Build(c);
    EXPECT_EQ(ChangeButtonsPerPage(doc, nullptr, 16, 21, 4), 3);
    EXPECT_EQ(Tab(doc, 1), "A");
    EXPECT_EQ(Tab(doc, 2), "C");
    EXPECT_EQ(Tab(doc, 3), "3");
    EXPECT_EQ(Tab(doc, 4), "<none>");
}

TEST(RenumberTest, BackupNames)
{
    EXPECT_EQ(BackupFileName("/a/KXwork.INI"), "/a/KXwork.BAK");
    EXPECT_EQ(BackupFileName("/a/kx.ini"), "/a/kx.BAK");
    EXPECT_EQ(BackupFileName("/a.INI/config"), "/a.INI/config.BAK");
}

TEST(RenumberTest, BadCountsAreRefused)
{
    IniDocument doc;
    EXPECT_THROW(ChangeButtonsPerPage(doc, nullptr, 0, 21, 3), std::invalid_argument);
    RecordStore s(doc);
    EXPECT_THROW(ExpandButtons(s, 21, 16, 3), std::invalid_argument);
    EXPECT_THROW(LessButtons(s, 16, 21, 3), std::invalid_argument);
}

} // namespace
