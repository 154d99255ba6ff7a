#include <gtest/gtest.h>

#include "PageTestUtil.h"
#include "core/pages/PageShift.h"

using namespace kex;
using namespace kex::testing;

namespace {

// Every record operation must behave the same on the document directly and in batch
// mode (flushed afterwards).
class RecordModes : public ::testing::TestWithParam<bool> {
protected:
    void Begin(RecordStore& s)
    {
        if (GetParam())
            s.BeginBatch();
    }
    void End(RecordStore& s)
    {
        if (GetParam())
            s.Flush();
    }
};

TEST_P(RecordModes, WriteSkipsEmptyFieldsAndIconIndexZero)
{
    IniDocument doc;
    RecordStore s(doc);
    Begin(s);
    ButtonRecord r;
    r.Program = "/usr/bin/xterm";
    r.Description = "Terminal";
    s.Write(5, r);
    r.Program = "/usr/bin/gimp";
    r.IconIndex = 2;
    s.Write(6, r);
    End(s);
    EXPECT_EQ(doc.Get("Programs", "SpeedButton5"), "/usr/bin/xterm");
    EXPECT_EQ(doc.Get("Names", "SpeedButton5"), "Terminal");
    for (const char* section :
         {"Parameters", "Icons", "IconSelection", "Shrink", "Select", "Working", "SoundSelect", "SoundLaunch"})
        EXPECT_FALSE(doc.Get(section, "SpeedButton5")) << section;
    EXPECT_EQ(doc.Get("IconSelection", "SpeedButton6"), "2");
    EXPECT_EQ(RecordStore(doc).Read(5).IconIndex, 0);
}

TEST_P(RecordModes, WriteKeepsWhatItDoesNotWriteAndEraseRemovesAllTen)
{
    IniDocument doc;
    RecordStore s(doc);
    Begin(s);
    s.Write(3, MakeRecord(3));
    ButtonRecord partial;
    partial.Program = "/bin/other";
    s.Write(3, partial); // callers erase first: the other fields stay
    ButtonRecord merged = MakeRecord(3);
    merged.Program = "/bin/other";
    EXPECT_EQ(s.Read(3), merged);
    s.Write(4, MakeRecord(4));
    s.Erase(4);
    End(s);
    EXPECT_EQ(RecordStore(doc).Read(3), merged);
    for (std::string_view section : RecordSections)
        EXPECT_FALSE(doc.Get(section, "SpeedButton4")) << section;
}

TEST_P(RecordModes, ReadWithAProgramClearsTheBlankProbe)
{
    IniDocument doc;
    RecordStore(doc).Write(7, MakeRecord(7));
    RecordStore s(doc);
    Begin(s);
    EXPECT_TRUE(s.SlotsEmpty(1, 6));
    EXPECT_FALSE(s.SlotsEmpty(1, 7));
    End(s);
    EXPECT_EQ(doc.Get("Button", "Blank"), "No");
    RecordStore t(doc);
    Begin(t);
    EXPECT_TRUE(t.SlotsEmpty(8, 20));
    End(t);
    EXPECT_EQ(doc.Get("Button", "Blank"), "Yes");
}

TEST_P(RecordModes, PasswordsTravelWithReadWriteAndErase)
{
    IniDocument doc;
    FakePasswords pw;
    RecordStore s(doc, &pw);
    Begin(s);
    s.Write(5, MakeRecord(5));
    s.Write(7, MakeRecord(7));
    pw.stored[5] = "secret";
    ButtonRecord r = s.Read(5);
    EXPECT_EQ(s.HeldPassword, "secret");
    s.Erase(5);
    EXPECT_FALSE(pw.stored.count(5));
    s.Write(9, r);
    EXPECT_EQ(pw.stored[9], "secret");
    EXPECT_EQ(s.HeldPassword, "");

    // A protected record read, then an unprotected one moved: no password comes
    // along with the second.
    s.Read(9);
    EXPECT_EQ(s.HeldPassword, "secret");
    MoveRecord(s, 7, 20);
    End(s);
    EXPECT_FALSE(pw.stored.count(20));
    EXPECT_EQ(pw.stored[9], "secret");
    EXPECT_EQ(RecordStore(doc).Read(20), MakeRecord(7));
}

TEST_P(RecordModes, MoveButtonMovesAllTenKeysAndNoPassword)
{
    IniDocument doc;
    FakePasswords pw;
    RecordStore s(doc, &pw);
    s.Write(3, MakeRecord(3));
    pw.stored[3] = "pw3";
    Begin(s);
    EXPECT_EQ(MoveButtonRecord(s, 3, 40), PutResult::Done);
    End(s);
    for (std::string_view section : RecordSections)
        EXPECT_FALSE(doc.Get(section, "SpeedButton3")) << section;
    EXPECT_EQ(RecordStore(doc).Read(40), MakeRecord(3));
    EXPECT_EQ(doc.Get("IconSelection", "SpeedButton40"), "3");
    EXPECT_TRUE(pw.stored.empty()); // a moved button arrives unprotected
}

TEST_P(RecordModes, CopyKeepsBothAndRefusesATakenTarget)
{
    IniDocument doc;
    RecordStore s(doc);
    s.Write(3, MakeRecord(3));
    s.Write(41, MakeRecord(41));
    Begin(s);
    EXPECT_EQ(CopyButtonRecord(s, 3, 40), PutResult::Done);
    EXPECT_EQ(CopyButtonRecord(s, 3, 41), PutResult::TargetTaken);
    EXPECT_EQ(MoveButtonRecord(s, 3, 3), PutResult::TargetTaken);
    EXPECT_EQ(MoveButtonRecord(s, 12, 13), PutResult::SourceEmpty);
    End(s);
    RecordStore check(doc);
    EXPECT_EQ(check.Read(3), MakeRecord(3));
    EXPECT_EQ(check.Read(40), MakeRecord(3));
    EXPECT_EQ(check.Read(41), MakeRecord(41));
    EXPECT_TRUE(check.Read(13).Empty());
}

INSTANTIATE_TEST_SUITE_P(DirectAndBatch, RecordModes, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Batch" : "Direct"; });

// The batch writes back in one pass with its own reading of the text: it must leave
// the document reading exactly as the same operations done directly would, keep every
// line it has no business with, and follow the store's rules (first section and key
// win, letter case of names aside, erased keys go from every section of the name).
TEST(RecordBatchTest, SameResultAsDirectOperationsOnAnAwkwardDocument)
{
    const std::string text = "; leading comment\r\n"
                             "[Location]\r\n"
                             "ButtonCount=16\r\n"
                             "[programs]\r\n"
                             "speedbutton1 = /bin/one\r\n"
                             "SpeedButton007=/bin/not-a-record\r\n"
                             "SpeedButton2=/bin/two\r\n"
                             "SpeedButton2=/bin/shadowed\r\n"
                             "\r\n"
                             "; trailing comment kept in place\r\n"
                             "[Names]\r\n"
                             "SpeedButton1=One\r\n"
                             "[Unknown]\r\n"
                             "SpeedButton1=keep me\r\n"
                             "[Programs]\r\n"
                             "SpeedButton3=/bin/invisible-duplicate\r\n"
                             "SpeedButton9=/bin/nine\r\n"
                             "[Icons]\r\n"
                             "SpeedButton2=/i/two.ico";
    auto run = [&](bool batch) {
        IniDocument doc = IniDocument::Parse(text);
        RecordStore s(doc);
        if (batch)
            s.BeginBatch();
        MoveRecord(s, 1, 5);
        MoveRecord(s, 2, 3);
        s.Write(12, MakeRecord(12));
        s.Erase(9);
        ButtonRecord r;
        r.Program = "  /bin/padded  ";
        r.Description = "two\nlines";
        s.Write(14, r);
        if (batch)
            s.Flush();
        return doc;
    };
    IniDocument direct = run(false);
    IniDocument batched = run(true);
    for (int n = 0; n <= 20; ++n) {
        RecordStore a(direct), b(batched);
        EXPECT_EQ(a.Read(n), b.Read(n)) << "button " << n;
    }
    EXPECT_EQ(RecordStore(batched).Read(5).Program, "/bin/one");
    EXPECT_EQ(RecordStore(batched).Read(3).IconFile, "/i/two.ico");
    EXPECT_EQ(RecordStore(batched).Read(14).Description, "two lines");
    const std::string out = batched.Serialize();
    for (const char* kept :
         {"; leading comment\r\n", "SpeedButton007=/bin/not-a-record\r\n",
          "\r\n; trailing comment kept in place\r\n[Names]", "[Unknown]\r\nSpeedButton1=keep me\r\n"})
        EXPECT_NE(out.find(kept), std::string::npos) << kept;
    EXPECT_EQ(out.find("shadowed"), std::string::npos); // button 2 was erased everywhere
    EXPECT_EQ(out.find("/bin/nine"), std::string::npos);
    EXPECT_EQ(out.find("\n\n"), std::string::npos); // the file's CRLF endings are kept
    EXPECT_EQ(batched.ReadString("Location", "ButtonCount", ""), "16");
}

TEST(RecordBatchTest, NewSectionsGoAtTheEndAndUnflushedBatchesChangeNothing)
{
    IniDocument doc = IniDocument::Parse("[Pages]\nCount=3");
    {
        RecordStore s(doc);
        RecordBatch batch(s);
        s.Write(1, MakeRecord(1));
        // no Commit: the document stays as it was
    }
    EXPECT_EQ(doc.Serialize(), "[Pages]\nCount=3");
    RecordStore s(doc);
    s.BeginBatch();
    s.Write(1, MakeRecord(1));
    s.Flush();
    const std::string out = doc.Serialize();
    EXPECT_EQ(out.rfind("[Pages]\nCount=3\n\n[Programs]\nSpeedButton1=/usr/bin/prog1\n\n[Parameters]\n", 0), 0u) << out;
    EXPECT_EQ(RecordStore(doc).Read(1), MakeRecord(1));

    // A file with a lone CR at the end of each line gets no blank line before the new
    // keys (only a line without any ending needs one first).
    IniDocument cr = IniDocument::Parse("[Programs]\rSpeedButton1=/bin/a\r");
    RecordStore c(cr);
    c.BeginBatch();
    ButtonRecord b;
    b.Program = "/bin/b";
    c.Write(2, b);
    c.Flush();
    EXPECT_EQ(cr.Serialize(), "[Programs]\rSpeedButton1=/bin/a\rSpeedButton2=/bin/b\r");
}

TEST(ButtonRecordTest, FieldsInBufferOrder)
{
    ButtonRecord r = MakeRecord(7);
    EXPECT_EQ(r.Field(0), r.Program);
    EXPECT_EQ(r.Field(3), "3");
    EXPECT_EQ(r.Field(9), r.SoundLaunch);
    ButtonRecord back;
    for (int k = 0; k < 10; ++k)
        back.SetField(k, r.Field(k));
    EXPECT_EQ(back, r);
    back.SetField(3, "abc");
    EXPECT_EQ(back.IconIndex, 0);
    EXPECT_THROW(r.Field(10), std::out_of_range);
}

TEST(ButtonRecordTest, KeysAndNumbers)
{
    EXPECT_EQ(ButtonKey(17), "SpeedButton17");
    EXPECT_EQ(NumberFromName("SpeedButton17"), 17);
    EXPECT_EQ(NumberFromName("SpeedButton12345"), 12345);
    EXPECT_EQ(NumberFromName("SpeedButton"), 0);
    EXPECT_EQ(NumberFromName("SpeedButton1x"), 0);
    EXPECT_EQ(NumberFromName("Button17"), 0);
}

TEST(PasswordBufferTest, HandsChangesOnOnlyOnCommit)
{
    FakePasswords real;
    real.stored[4] = "four";
    PasswordBuffer buffer(&real);
    IniDocument doc;
    RecordStore s(doc, &buffer);
    s.Write(4, MakeRecord(4));
    MoveRecord(s, 4, 20);
    EXPECT_EQ(buffer.PasswordOf(20), "four");
    EXPECT_EQ(real.stored, (std::map<int, std::string>{{4, "four"}}));
    buffer.Commit();
    EXPECT_EQ(real.stored, (std::map<int, std::string>{{20, "four"}}));
}

} // namespace
