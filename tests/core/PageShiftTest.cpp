#include <gtest/gtest.h>

#include "PageTestUtil.h"
#include "core/pages/PageShift.h"

using namespace kex;
using namespace kex::testing;

namespace {

constexpr int B = 16;

// A bar of `pages` pages of B buttons; page p holds `filled` records from its first
// slot, record n in button n; names[p - 1] is stored unless empty.
IniDocument Bar(int pages, int filled, const std::vector<std::string>& names = {}, FakePasswords* pw = nullptr)
{
    IniDocument doc;
    doc.WriteInteger("Pages", "Count", pages);
    RecordStore s(doc);
    s.BeginBatch();
    for (int p = 1; p <= pages; ++p) {
        if (std::size_t(p - 1) < names.size() && !names[std::size_t(p - 1)].empty())
            doc.WriteString("Tabs", PageTabKey(p), names[std::size_t(p - 1)]);
        for (int i = 1; i <= filled; ++i) {
            const int n = (p - 1) * B + i;
            s.Write(n, MakeRecord(n));
            if (pw)
                pw->stored[n] = "pw" + std::to_string(n);
        }
    }
    s.Flush();
    return doc;
}

// Which old page's records each page holds now (0: empty, -1: damaged or mixed).
std::vector<int> PageOrigins(IniDocument& doc, int pages)
{
    std::vector<int> origin(std::size_t(pages), 0);
    for (const auto& [n, id] : RecordIds(doc)) {
        const int page = (n - 1) / B + 1;
        const int from = id < 0 ? -1 : (id - 1) / B + 1;
        const bool sameSlot = id >= 0 && (id - 1) % B == (n - 1) % B;
        if (page > pages)
            return {-2}; // a record beyond the last page
        int& o = origin[std::size_t(page - 1)];
        o = (!sameSlot || (o != 0 && o != from)) ? -1 : from;
    }
    return origin;
}

TEST(PageShiftTest, DeletingTheLastPageErasesItsButtonsAndName)
{
    IniDocument doc = Bar(4, 3, {"A", "B", "C", "D"});
    RecordStore s(doc);
    DeletePageRecords(s, 3, 4, B, false);
    EXPECT_EQ(doc.ReadInteger("Pages", "Count", 10), 3);
    EXPECT_EQ(PageOrigins(doc, 3), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(Tab(doc, 3), "C");
    EXPECT_EQ(Tab(doc, 4), "<none>");
}

TEST(PageShiftTest, DeletingPage2Of4MovesPages3And4Left)
{
    IniDocument doc = Bar(4, 5, {"A", "B", "C"}); // page 4 has no stored name
    RecordStore s(doc);
    DeletePageRecords(s, 1, 4, B, false);
    EXPECT_EQ(doc.ReadInteger("Pages", "Count", 10), 3);
    EXPECT_EQ(PageOrigins(doc, 3), (std::vector<int>{1, 3, 4}));
    EXPECT_EQ(Tab(doc, 1), "A");
    EXPECT_EQ(Tab(doc, 2), "C");
    EXPECT_EQ(Tab(doc, 3), "3"); // the unnamed page from place 4, by its new number
    EXPECT_EQ(Tab(doc, 4), "<none>");
}

TEST(PageShiftTest, AddingBeforeThePageShiftsItRight)
{
    IniDocument doc = Bar(3, 2, {"A", "B"}); // page 3 unnamed
    RecordStore s(doc);
    InsertPageRecords(s, 1, 3, B, NewPageName(1));
    EXPECT_EQ(doc.ReadInteger("Pages", "Count", 10), 4);
    EXPECT_EQ(PageOrigins(doc, 4), (std::vector<int>{1, 0, 2, 3}));
    EXPECT_EQ(Tab(doc, 2), "Page 2");
    EXPECT_EQ(Tab(doc, 3), "B");
    EXPECT_EQ(Tab(doc, 4), "3"); // the unnamed page from place 3, by its old number
}

TEST(PageShiftTest, AddingWithTheFirstTabSelectedPutsTheNewPageInFront)
{
    IniDocument doc = Bar(3, 4, {"A", "B", "C"});
    RecordStore s(doc);
    InsertPageRecords(s, 0, 3, B, NewPageName(0));
    EXPECT_EQ(PageOrigins(doc, 4), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(Tab(doc, 1), "Page 1");
    EXPECT_EQ(Tab(doc, 2), "A");
    EXPECT_EQ(Tab(doc, 4), "C");
}

TEST(PageShiftTest, MovingPage1Of3BeforeTheSecondRemainingPage)
{
    FakePasswords pw;
    IniDocument doc = Bar(3, 6, {"First", "Second", "Third"}, &pw);
    RecordStore s(doc, &pw);
    PageMoveBuffer buffer = DeletePageRecords(s, 0, 3, B, true);
    EXPECT_EQ(doc.ReadInteger("Pages", "Count", 10), 2);
    EXPECT_EQ(buffer.Name, "First");
    EXPECT_EQ(buffer.OldIndex, 0);
    ASSERT_EQ(buffer.Fields.size(), std::size_t(10 * B));
    const ButtonRecord first = MakeRecord(1);
    for (int k = 0; k < 10; ++k)
        EXPECT_EQ(buffer.Fields[std::size_t(k)], first.Field(k)) << "field " << k;
    EXPECT_EQ(buffer.Fields[10 * 6], ""); // slot 6 is empty
    EXPECT_EQ(buffer.Fields[10 * 6 + 3], "0");

    InsertPageRecords(s, 1, 2, B, buffer.Name, &buffer);
    EXPECT_EQ(doc.ReadInteger("Pages", "Count", 10), 3);
    EXPECT_EQ(PageOrigins(doc, 3), (std::vector<int>{2, 1, 3}));
    EXPECT_EQ(Tab(doc, 1), "Second");
    EXPECT_EQ(Tab(doc, 2), "First");
    EXPECT_EQ(Tab(doc, 3), "Third");
    // The moved page's buttons keep their passwords, and so do the others.
    for (int i = 1; i <= 6; ++i)
        EXPECT_EQ(pw.stored[16 + i], "pw" + std::to_string(i)) << i;
    EXPECT_FALSE(pw.stored.count(23));
    EXPECT_EQ(pw.stored[1], "pw17");
    EXPECT_EQ(pw.stored[33], "pw33");
}

TEST(PageShiftTest, DeletingPage1Of3MovesPasswordsWithTheirRecords)
{
    FakePasswords pw;
    IniDocument doc = Bar(3, B, {}, &pw);
    pw.stored.clear();
    pw.stored[20] = "twenty";
    pw.stored[36] = "thirty-six";
    RecordStore s(doc, &pw);
    DeletePageRecords(s, 0, 3, B, false);
    EXPECT_EQ(pw.stored, (std::map<int, std::string>{{4, "twenty"}, {20, "thirty-six"}}));
    EXPECT_EQ(RecordStore(doc).Read(4), MakeRecord(20));
    for (int n = 33; n <= 48; ++n)
        EXPECT_TRUE(RecordStore(doc).Read(n).Empty()) << n;
}

TEST(PageShiftTest, TheOnlyPageIsNeverDeleted)
{
    IniDocument doc = Bar(1, 3, {"Only"});
    const std::string before = doc.Serialize();
    RecordStore s(doc);
    EXPECT_FALSE(CanDeletePage(1));
    try {
        DeletePageRecords(s, 0, 1, B, false);
        FAIL() << "deleted the only page";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Cannot delete the only page");
    }
    EXPECT_EQ(doc.Serialize(), before);
    EXPECT_THROW(DeletePageRecords(s, 3, 3, B, false), std::invalid_argument);
    EXPECT_THROW(InsertPageRecords(s, 5, 3, B, "x"), std::invalid_argument);
}

TEST(PageShiftTest, APendingMoveCanBePutBackWhereItWas)
{
    IniDocument doc = Bar(4, 5, {"A", "B", "C", "D"});
    const auto before = RecordIds(doc);
    RecordStore s(doc);
    PageMoveBuffer buffer = DeletePageRecords(s, 2, 4, B, true);
    EXPECT_EQ(RestorePage(s, buffer, 3, B), 2);
    EXPECT_EQ(RecordIds(doc), before);
    EXPECT_EQ(Tab(doc, 3), "C");
    EXPECT_EQ(Tab(doc, 4), "D");
    EXPECT_EQ(doc.ReadInteger("Pages", "Count", 10), 4);

    // The last page goes back to the end.
    buffer = DeletePageRecords(s, 3, 4, B, true);
    EXPECT_EQ(RestorePage(s, buffer, 3, B), 3);
    EXPECT_EQ(RecordIds(doc), before);
    EXPECT_EQ(Tab(doc, 4), "D");
}

TEST(PageShiftTest, ABufferLargerThanAPageIsRefusedUntouched)
{
    IniDocument doc = Bar(2, 3, {"A", "B"});
    PageMoveBuffer big;
    big.OldIndex = 0;
    big.Fields.assign(10 * 21, "x");
    RecordStore s(doc);
    const std::string before = doc.Serialize();
    EXPECT_THROW(InsertPageRecords(s, 0, 2, B, "big", &big), std::invalid_argument);
    EXPECT_EQ(doc.Serialize(), before);
}

TEST(PageShiftTest, PagesBeyondTheCountMoveAlongInsteadOfBeingOverwritten)
{
    // Four pages stored, the count lowered to 2: pages 3 and 4 are hidden.
    IniDocument doc = Bar(4, 3, {"A", "B", "C", "D"});
    doc.WriteInteger("Pages", "Count", 2);
    RecordStore s(doc);
    InsertPageRecords(s, 0, 2, B, "New");
    EXPECT_EQ(doc.ReadInteger("Pages", "Count", 10), 3);
    EXPECT_EQ(PageOrigins(doc, 5), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(Tab(doc, 4), "C");
    EXPECT_EQ(Tab(doc, 5), "D");
    DeletePageRecords(s, 0, 3, B, false);
    EXPECT_EQ(PageOrigins(doc, 4), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(Tab(doc, 4), "D");
    EXPECT_EQ(Tab(doc, 5), "<none>");
}

TEST(PageShiftTest, TypedPageCounts)
{
    const std::pair<const char*, int> cases[] = {
        {"1", 2},    {"0", 2}, {"abc", 2},     {"", 2},
        {"12x", 12}, {"7", 7}, {"1000", 1000}, {"99999999999999", kMaxPageCount},
    };
    for (const auto& [text, count] : cases)
        EXPECT_EQ(ParsePageCount(text), count) << text;
}

TEST(PageShiftTest, RenamingWithAnEmptyNameStoresNothing)
{
    IniDocument doc = Bar(2, 0, {"A"});
    EXPECT_FALSE(RenamePage(doc, 1, ""));
    EXPECT_FALSE(RenamePage(doc, 1, "   "));
    EXPECT_EQ(Tab(doc, 1), "A");
    EXPECT_TRUE(RenamePage(doc, 2, "Games"));
    EXPECT_EQ(Tab(doc, 2), "Games");
}

} // namespace
