// The page and button commands of kexbar-config, called through their table entries.
#include <gtest/gtest.h>

#include <sstream>

#include "IniTestUtil.h"
#include "PageTestUtil.h"
#include "core/config/ConfigTool.h"
#include "core/pages/PageCommands.h"
#include "core/recent/RecentEntries.h"

using namespace kex;
using kex::testing::FakePasswords;
using kex::testing::MakeRecord;
using kex::testing::ReadBytes;
using kex::testing::TempDir;
using kex::testing::WriteBytes;

namespace {

struct Result {
    int rc = -1;
    std::string out, err;
};

Result Command(const std::string& file, const std::string& name, const std::vector<std::string>& args)
{
    for (const ConfigCommand& c : PageCommands())
        if (c.name == name) {
            EXPECT_GE(args.size(), c.minArgs);
            EXPECT_LE(args.size(), c.maxArgs);
            TNewIniFile ini(file);
            std::ostringstream out, err;
            Result r;
            r.rc = c.run(ini, args, out, err);
            r.out = out.str();
            r.err = err.str();
            return r;
        }
    ADD_FAILURE() << "no command " << name;
    return {};
}

// Three pages of 16: "Tools" with buttons 1 and 2, an unnamed page with button 20,
// "Games" with button 33; a recent-list entry for button 1.
std::string PreparedFile()
{
    IniDocument doc;
    doc.WriteString("Location", "ButtonCount", "16");
    doc.WriteString("Pages", "Count", "3");
    doc.WriteString("Tabs", "PageTab1", "Tools");
    doc.WriteString("Tabs", "PageTab3", "Games");
    doc.WriteString("MRU", "Count", "1");
    doc.WriteString("MRU", "1", "Button 1~line two  |1");
    RecordStore s(doc);
    for (int n : {1, 2, 20, 33})
        s.Write(n, MakeRecord(n));
    ButtonRecord plain;
    plain.Program = "/usr/bin/xterm";
    s.Write(2, plain);
    return doc.Serialize();
}

class PageCommandsTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string file = dir.File("KXtest.INI");
    void SetUp() override { WriteBytes(file, PreparedFile()); }
    IniDocument Doc() { return IniDocument::Parse(ReadBytes(file)); }
};

TEST_F(PageCommandsTest, ShowListsPagesAndTheirButtons)
{
    Result r = Command(file, "show", {});
    EXPECT_EQ(r.rc, kConfigOk);
    EXPECT_EQ(r.out, "buttons-per-page\t16\n"
                     "pages\t3\n"
                     "page\t1\tTools\n"
                     "button\t1\t/usr/bin/prog1\t-p 1\tButton 1~line two\t/icons/i1.ico\t1\n"
                     "button\t2\t/usr/bin/xterm\t-p 2\tButton 2~line two\t/icons/i2.ico\t2\n"
                     "page\t2\tPage2\n"
                     "button\t20\t/usr/bin/prog20\t-p 20\tButton 20~line two\t/icons/i20.ico\t0\n"
                     "page\t3\tGames\n"
                     "button\t33\t/usr/bin/prog33\t-p 33\tButton 33~line two\t/icons/i33.ico\t1\n");
}

TEST_F(PageCommandsTest, CopyOntoATakenButtonIsRefusedAndChangesNothing)
{
    const std::string before = ReadBytes(file);
    Result r = Command(file, "copy-button", {"1", "2"});
    EXPECT_EQ(r.rc, kConfigUsage);
    EXPECT_EQ(r.err, "Button 2 is not empty\n");
    EXPECT_EQ(ReadBytes(file), before);

    r = Command(file, "copy-button", {"5", "6"});
    EXPECT_EQ(r.rc, kConfigUsage);
    EXPECT_EQ(r.err, "Button 5 is empty\n");
    r = Command(file, "copy-button", {"1", "49"});
    EXPECT_EQ(r.rc, kConfigUsage);
    EXPECT_EQ(ReadBytes(file), before);

    EXPECT_EQ(Command(file, "copy-button", {"1", "40"}).rc, kConfigOk);
    IniDocument doc = Doc();
    EXPECT_EQ(RecordStore(doc).Read(40), MakeRecord(1));
    EXPECT_EQ(RecordStore(doc).Read(1), MakeRecord(1));
    EXPECT_EQ(doc.ReadString("MRU", "1", ""), "Button 1~line two  |1");
}

TEST_F(PageCommandsTest, MoveButtonRenumbersItsRecentEntryAndRemoveDropsIt)
{
    EXPECT_EQ(Command(file, "move-button", {"1", "40"}).rc, kConfigOk);
    IniDocument doc = Doc();
    EXPECT_TRUE(RecordStore(doc).Read(1).Empty());
    EXPECT_EQ(RecordStore(doc).Read(40), MakeRecord(1));
    EXPECT_EQ(doc.ReadString("MRU", "1", ""), "Button 1~line two  |40");

    EXPECT_EQ(Command(file, "remove-button", {"40"}).rc, kConfigOk);
    doc = Doc();
    EXPECT_TRUE(RecordStore(doc).Read(40).Empty());
    EXPECT_EQ(doc.ReadInteger("MRU", "Count", -1), 0);
}

// As the bar's list: 30 saved + 1 entries, matched ignoring case, the renamed entry on
// top; a new description renames the entry as the bar's editor does.
TEST_F(PageCommandsTest, MoveAndRemoveTreatAFullRecentListAsTheBarDoes)
{
    IniDocument doc = Doc();
    std::vector<std::string> others;
    for (int n = 101; n <= 130; ++n)
        others.push_back("Gone  |" + std::to_string(n));
    std::vector<std::string> entries = others;
    entries.push_back("BUTTON 20~LINE TWO  |20");
    RecentEntries::WriteEntries(doc, "MRU", entries);
    WriteBytes(file, doc.Serialize());

    ASSERT_EQ(Command(file, "move-button", {"20", "41"}).rc, kConfigOk);
    entries = others;
    entries.insert(entries.begin(), "Button 20~line two  |41");
    EXPECT_EQ(RecentEntries::ReadEntries(Doc(), "MRU", 100), entries);

    ASSERT_EQ(Command(file, "describe-button", {"41", "Terminal"}).rc, kConfigOk);
    doc = Doc();
    EXPECT_EQ(RecordStore(doc).Read(41).Description, "Terminal");
    entries[0] = "Terminal  |41";
    EXPECT_EQ(RecentEntries::ReadEntries(Doc(), "MRU", 100), entries);
    // Renamed with the description as stored (blanks trimmed), as a launch makes it.
    ASSERT_EQ(Command(file, "describe-button", {"41", "Shell  "}).rc, kConfigOk);
    entries[0] = "Shell  |41";
    EXPECT_EQ(RecentEntries::ReadEntries(Doc(), "MRU", 100), entries);
    const std::string before = ReadBytes(file);
    EXPECT_EQ(Command(file, "describe-button", {"5", "Editor"}).err, "Button 5 is empty\n");
    EXPECT_EQ(Command(file, "describe-button", {"41", " "}).err, "The description must not be empty\n");
    EXPECT_EQ(ReadBytes(file), before);

    ASSERT_EQ(Command(file, "remove-button", {"41"}).rc, kConfigOk);
    EXPECT_EQ(RecentEntries::ReadEntries(Doc(), "MRU", 100), others);
}

TEST_F(PageCommandsTest, ButtonsPerPageBacksUpFirstThenRenumbers)
{
    const std::string before = ReadBytes(file);
    Result r = Command(file, "buttons-per-page", {"21"});
    EXPECT_EQ(r.rc, kConfigOk) << r.err;
    EXPECT_EQ(r.out, "buttons-per-page\t21\npages\t3\n");
    EXPECT_EQ(ReadBytes(dir.File("KXtest.BAK")), before);
    IniDocument doc = Doc();
    EXPECT_EQ(doc.ReadInteger("Location", "ButtonCount", 0), 21);
    EXPECT_FALSE(doc.HasSection("MRU"));
    // Different names: page 2's button 20 (slot 4) becomes 25, page 3's 33 becomes 43.
    EXPECT_EQ(RecordStore(doc).Read(25).Program, "/usr/bin/prog20");
    EXPECT_EQ(RecordStore(doc).Read(43), MakeRecord(33));

    EXPECT_THROW(Command(file, "buttons-per-page", {"20"}), std::invalid_argument);
}

TEST(PageCommandsFileTest, ButtonsPerPageWithoutAFileRenumbersNothing)
{
    TempDir dir;
    const std::string file = dir.File("KXnone.INI");
    try {
        Command(file, "buttons-per-page", {"21"});
        ADD_FAILURE() << "no error";
    } catch (const std::exception& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file " + file);
    }
    EXPECT_FALSE(kex::testing::Exists(file));
    EXPECT_FALSE(kex::testing::Exists(dir.File("KXnone.BAK")));
}

TEST_F(PageCommandsTest, PageCommandsShiftPagesAndNames)
{
    EXPECT_EQ(Command(file, "add-page", {"1"}).rc, kConfigOk);
    IniDocument doc = Doc();
    EXPECT_EQ(doc.ReadInteger("Pages", "Count", 10), 4);
    EXPECT_EQ(doc.ReadString("Tabs", "PageTab1", ""), "Page 1");
    EXPECT_EQ(doc.ReadString("Tabs", "PageTab2", ""), "Tools");
    EXPECT_EQ(RecordStore(doc).Read(17), MakeRecord(1));
    EXPECT_FALSE(doc.HasSection("MRU"));

    // Tools (now page 2) goes before the page that is now third among the others.
    EXPECT_EQ(Command(file, "move-page", {"2", "3"}).rc, kConfigOk);
    doc = Doc();
    EXPECT_EQ(doc.ReadString("Tabs", "PageTab1", ""), "Page 1");
    EXPECT_EQ(doc.ReadString("Tabs", "PageTab2", ""), "2");
    EXPECT_EQ(doc.ReadString("Tabs", "PageTab3", ""), "Tools");
    EXPECT_EQ(doc.ReadString("Tabs", "PageTab4", ""), "Games");
    EXPECT_EQ(RecordStore(doc).Read(33), MakeRecord(1));
    EXPECT_EQ(RecordStore(doc).Read(20), MakeRecord(20));

    EXPECT_EQ(Command(file, "rename-page", {"2", "Office"}).rc, kConfigOk);
    EXPECT_EQ(Command(file, "rename-page", {"2", ""}).rc, kConfigUsage);
    EXPECT_EQ(Command(file, "delete-page", {"1"}).rc, kConfigOk);
    doc = Doc();
    EXPECT_EQ(doc.ReadInteger("Pages", "Count", 10), 3);
    EXPECT_EQ(doc.ReadString("Tabs", "PageTab1", ""), "Office");
    EXPECT_EQ(doc.ReadString("Tabs", "PageTab4", "<none>"), "<none>");

    Result r = Command(file, "page-count", {"2"});
    EXPECT_EQ(r.out, "pages\t2\n");
    EXPECT_EQ(Command(file, "delete-page", {"2"}).rc, kConfigOk);
    r = Command(file, "delete-page", {"1"});
    EXPECT_EQ(r.rc, kConfigUsage);
    EXPECT_EQ(r.err, "Cannot delete the only page\n");
    EXPECT_EQ(Command(file, "delete-page", {"7"}).rc, kConfigUsage);
}

TEST_F(PageCommandsTest, PasswordsMoveWithAPageWhenAStoreIsSet)
{
    auto shared = std::make_shared<FakePasswords>();
    shared->stored[33] = "games";
    // The opener hands out a carrier that forwards to the shared fake.
    struct Forward : PasswordCarrier {
        std::shared_ptr<FakePasswords> to;
        std::string PasswordOf(int n) override { return to->PasswordOf(n); }
        void StorePassword(int n, const std::string& p) override { to->StorePassword(n, p); }
        void ErasePassword(int n) override { to->ErasePassword(n); }
    };
    SetConfigPasswordStore([&](const std::string& ini) {
        EXPECT_EQ(ini, file);
        auto f = std::make_unique<Forward>();
        f->to = shared;
        return std::unique_ptr<PasswordCarrier>(std::move(f));
    });
    EXPECT_EQ(Command(file, "delete-page", {"2"}).rc, kConfigOk);
    SetConfigPasswordStore(nullptr);
    EXPECT_EQ(shared->stored, (std::map<int, std::string>{{17, "games"}}));
}

} // namespace
