// Profile semantics of the configuration store: reading, writing, erasing, the
// integer rules, the file object and the settings catalogue.
#include <gtest/gtest.h>

#include <cctype>
#include <climits>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/time.h>

#include "IniTestUtil.h"
#include "core/config/NewIniFile.h"
#include "core/config/Settings.h"

namespace kex {
namespace {

using testing::Exists;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

// ------------------------------------------------------------------ integers

struct IntCase {
    const char* text;
    int expected; // with the default 777
};

TEST(IniDocument, IntegerRules)
{
    const IntCase cases[] = {
        {"12", 12},
        {"-50", -50},
        {"+7", 7},
        {"0", 0},
        {"0x15", 21},
        {"0X1f", 31},
        {"0xFFFFFFFF", -1}, // a 32-bit integer written in hexadecimal
        {"0x7fffffff", INT_MAX},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"0x", 777},
        {"0X", 777},
        {"12x", 777},
        {"x12", 777},
        {"", 777},
        {" 12", 777}, // values are trimmed before, the parser itself takes no blanks
        {"1 2", 777},
        {"2147483648", 777},
        {"-2147483649", 777},
        {"0x100000000", 777},
        {"99999999999999999999999", 777},
        {"--5", 777},
        {"-+5", 777},
        {"0x-1", 777},
        {"0x+1", 777},
        {"-0x15", 777},
        {"1.5", 777},
        {"0x1G", 777},
    };
    for (const IntCase& c : cases)
        EXPECT_EQ(ParseProfileInt(c.text, 777), c.expected) << '"' << c.text << '"';
}

// ------------------------------------------------------------------ reading

// One file with every kind of line the reader must tell apart.
const char* const kReadText = "orphan=before any section\n"
                              "; comment=not a key\n"
                              "[Location]\n"
                              "ButtonCount=0x15\n"
                              "Top = -50 \n"
                              "  Left\t=\t12\t\n"
                              "NoEquals line\n"
                              ";Hidden=1\n"
                              "  # Hash=2\n"
                              "Empty=\n"
                              "Blanks=   \n"
                              "Quoted=\" spaced \"\n"
                              "Dup=first\n"
                              "dup=second\n"
                              "[ location ]\n"
                              "Extra=in the second section of the same name\n"
                              "Dup=third\n"
                              "[Other]  ; a comment after the header\n"
                              "Value=a=b\n"
                              "[Broken\n"
                              "InBroken=still Other\n"
                              "[]\n"
                              "Nameless=x\n";

struct ReadCase {
    const char* section;
    const char* key;
    const char* expected; // with the default "<def>"
};

TEST(IniDocument, ReadsProfileSemantics)
{
    IniDocument doc = IniDocument::Parse(kReadText);
    const ReadCase cases[] = {
        {"Location", "ButtonCount", "0x15"},
        {"LOCATION", "buttoncount", "0x15"}, // names without regard to case
        {"Location", "Top", "-50"},          // blanks around key and value dropped
        {"Location", "Left", "12"},          // tabs too
        {" Location\t", " Left ", "12"},     // and around the names asked for
        {"Location", "NoEquals line", "<def>"},
        {"Location", "NoEquals", "<def>"},
        {"Location", "Hidden", "<def>"},
        {"Location", ";Hidden", "<def>"},
        {"Location", "Hash", "<def>"},
        {"Location", "# Hash", "<def>"},
        {"Location", "Empty", ""}, // present and empty is not absent
        {"Location", "Blanks", ""},
        {"Location", "Quoted", "\" spaced \""}, // quotes kept verbatim
        {"Location", "Dup", "first"},           // first key wins
        {"Location", "Extra", "<def>"},         // first section wins
        {"Other", "Value", "a=b"},              // only the first "=" splits
        {"Other", "InBroken", "still Other"},   // "[Broken" is no header
        {"", "orphan", "<def>"},                // lines before any section belong to none
        {"", "Nameless", "x"},                  // "[]" is a section with an empty name
        {"Location", "orphan", "<def>"},
        {"Missing", "Top", "<def>"},
        {"Location", "Missing", "<def>"},
    };
    for (const ReadCase& c : cases)
        EXPECT_EQ(doc.ReadString(c.section, c.key, "<def>"), c.expected) << c.section << "/" << c.key;

    EXPECT_EQ(doc.ReadInteger("Location", "ButtonCount", 0), 21);
    EXPECT_EQ(doc.ReadInteger("Location", "Top", 0), -50);
    EXPECT_EQ(doc.ReadInteger("Location", "Left", 0), 12);
    EXPECT_EQ(doc.ReadInteger("Location", "Empty", 5), 5); // empty is no integer
    EXPECT_EQ(doc.ReadInteger("Location", "Missing", 5), 5);
    EXPECT_EQ(doc.ReadInteger("Location", "Quoted", 5), 5);

    EXPECT_EQ(doc.SectionNames(), (std::vector<std::string>{"Location", "Other", ""}));
    auto other = doc.ReadSection("other");
    ASSERT_EQ(other.size(), 2u);
    EXPECT_EQ(other[0], (std::pair<std::string, std::string>{"Value", "a=b"}));
    auto loc = doc.ReadSection("Location");
    std::vector<std::string> keys;
    for (auto& kv : loc)
        keys.push_back(kv.first);
    EXPECT_EQ(keys, (std::vector<std::string>{"ButtonCount", "Top", "Left", "Empty", "Blanks", "Quoted", "Dup"}));
    // Parsing and writing back without a change gives the same bytes.
    EXPECT_EQ(doc.Serialize(), kReadText);
}

TEST(IniDocument, ByteOrderMarkDoesNotHideTheFirstSection)
{
    IniDocument doc = IniDocument::Parse("\xEF\xBB\xBF[Location]\r\nTop=7\r\n");
    EXPECT_EQ(doc.ReadInteger("Location", "Top", -50), 7);
    doc.WriteInteger("Location", "Top", 8);
    EXPECT_EQ(doc.Serialize(), "\xEF\xBB\xBF[Location]\r\nTop=8\r\n");
}

// A name given with a byte-order mark before it is the name without it, so that it
// finds its own line again instead of adding another at every write.
TEST(IniDocument, NamesWithAByteOrderMarkFindTheirLine)
{
    const std::string bom = "\xEF\xBB\xBF";
    IniDocument doc = IniDocument::Parse("[S]\n");
    for (int i = 0; i < 3; ++i)
        doc.WriteString(bom + "S", bom + "K", "v" + std::to_string(i));
    EXPECT_EQ(doc.Serialize(), "[S]\nK=v2\n");
    EXPECT_EQ(doc.ReadString(bom + "S", bom + "K", ""), "v2");
    EXPECT_EQ(doc.ReadString("S", "K", ""), "v2");
    EXPECT_TRUE(doc.EraseKey("S", bom + "K"));
    EXPECT_FALSE(doc.Get("S", "K"));
    EXPECT_THROW(doc.WriteString("S", bom, "v"), std::invalid_argument);
}

// Files written with a lone CR at the end of each line: read as lines, changed in
// place with their own line ends, never given a second copy of a section.
TEST(IniDocument, LoneCarriageReturnsEndLines)
{
    struct Case {
        const char* text;
        const char* section;
        const char* key;
        const char* value;
        const char* after;
    };
    const std::vector<Case> cases = {
        {"[A]\rk=1\r", "A", "k", "2", "[A]\rk=2\r"},
        {"[A]\rk=1\r", "A", "new", "3", "[A]\rk=1\rnew=3\r"},
        {"[A]\rk=1\r[B]\rj=2", "B", "j", "5", "[A]\rk=1\r[B]\rj=5"},
        {"[A]\rk=1\r\n[B]\rj=2\n", "B", "x", "6", "[A]\rk=1\r\n[B]\rj=2\nx=6\r"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        IniDocument doc = IniDocument::Parse(c.text);
        EXPECT_EQ(doc.Serialize(), c.text);
        EXPECT_EQ(doc.SectionNames().size(), std::string(c.text).find("[B]") == std::string::npos ? 1u : 2u);
        doc.WriteString(c.section, c.key, c.value);
        EXPECT_EQ(doc.Serialize(), c.after);
        EXPECT_EQ(IniDocument::Parse(c.after).ReadString(c.section, c.key, ""), c.value);
    }
}

TEST(IniDocument, LongValuesAreCutTo1023OnReading)
{
    IniDocument doc;
    const std::string v1023(1023, 'a'), v1024(1024, 'b'), v5000 = std::string(4999, 'c') + "d";
    doc.WriteString("S", "k1023", v1023);
    doc.WriteString("S", "k1024", v1024);
    doc.WriteString("S", "k5000", v5000);
    doc.WriteString("S", "num", std::string(1023, '0') + "7"); // the cut leaves "000...0"
    EXPECT_EQ(doc.ReadString("S", "k1023", ""), v1023);
    EXPECT_EQ(doc.ReadString("S", "k1024", ""), v1024.substr(0, 1023));
    EXPECT_EQ(doc.ReadString("S", "k5000", ""), v5000.substr(0, 1023));
    EXPECT_EQ(doc.ReadInteger("S", "num", 9), 0);
    EXPECT_EQ(doc.ReadSection("S")[2].second.size(), 1023u);
    // A default is cut the same way, as it goes through the same buffer.
    EXPECT_EQ(doc.ReadString("S", "none", v5000).size(), 1023u);
    // The file keeps the whole value.
    EXPECT_EQ(*doc.Get("S", "k5000"), v5000);
}

// ------------------------------------------------------------------ writing

struct EditCase {
    const char* name;
    const char* before;
    std::function<void(IniDocument&)> edit;
    const char* after;
};

TEST(IniDocument, EditsKeepEverythingElseByteForByte)
{
    auto set = [](const char* s, const char* k, const char* v) {
        return [=](IniDocument& d) { d.WriteString(s, k, v); };
    };
    const EditCase cases[] = {
        {"new key after the last key, before blank lines and comments", "[A]\nk=1\n; note\n\n[B]\nx=1\n",
         set("A", "n", "2"), "[A]\nk=1\nn=2\n; note\n\n[B]\nx=1\n"},
        {"new key in a section without keys goes after the header", "[A]\n; only a comment\n[B]\n", set("a", "n", "2"),
         "[A]\nn=2\n; only a comment\n[B]\n"},
        {"changed key keeps its spelling and indentation", "[A]\n  KEY = old ; not a comment\nz=1\n",
         set("a", "key", "new"), "[A]\n  KEY=new\nz=1\n"},
        {"new section at the end after a blank line", "[A]\nk=1\n", set("B", "x", "y"), "[A]\nk=1\n\n[B]\nx=y\n"},
        {"no second blank line before a new section", "[A]\nk=1\n\n", set("B", "x", "y"), "[A]\nk=1\n\n[B]\nx=y\n"},
        {"empty file", "", set("A", "k", "v"), "[A]\nk=v\n"},
        {"only lines before any section", "; header\nloose=1\n", set("A", "loose", "2"),
         "; header\nloose=1\n\n[A]\nloose=2\n"},
        {"file without a final line break: new key", "[A]\nk=1", set("A", "n", "2"), "[A]\nk=1\nn=2\n"},
        {"file without a final line break: changed key", "[A]\nk=1", set("A", "k", "9"), "[A]\nk=9"},
        {"file without a final line break: new section", "[A]\nk=1", set("B", "x", "y"), "[A]\nk=1\n\n[B]\nx=y\n"},
        {"CRLF file keeps CRLF", "[A]\r\nk=1\r\n\r\n[C]\r\n", set("A", "n", "2"), "[A]\r\nk=1\r\nn=2\r\n\r\n[C]\r\n"},
        {"CRLF file gets a CRLF section", "[A]\r\nk=1\r\n", set("B", "x", "y"), "[A]\r\nk=1\r\n\r\n[B]\r\nx=y\r\n"},
        {"mixed endings are each kept", "[A]\r\nk=1\nj=2\r\n", set("A", "k", "3"), "[A]\r\nk=3\nj=2\r\n"},
        {"duplicate keys: the first changes", "[A]\nk=1\nK=2\n", set("A", "k", "9"), "[A]\nk=9\nK=2\n"},
        {"duplicate sections: the first changes", "[A]\nk=1\n[B]\n[a]\nk=2\nn=0\n", set("A", "n", "5"),
         "[A]\nk=1\nn=5\n[B]\n[a]\nk=2\nn=0\n"},
        {"line breaks in a value become blanks", "", set("A", "k", "one\r\ntwo\nthree\r"), "[A]\nk=one  two three \n"},
        {"names are written without surrounding blanks", "", set(" A\t", " k ", " v "), "[A]\nk= v \n"},
        {"a name with blanks finds its line again", "[A]\nk=1\n", set(" a ", "\tK ", "2"), "[A]\nk=2\n"},
        {"a key line before any section is not the section's key", "k=1\n[A]\n", set("A", "k", "2"), "k=1\n[A]\nk=2\n"},
        {"a comment that looks like the key is not changed", "[A]\n;k=1\n", set("A", "k", "2"), "[A]\nk=2\n;k=1\n"},
        {"a line without = is not the key", "[A]\nk\n", set("A", "k", "2"), "[A]\nk=2\nk\n"},
        {"unknown lines survive", "\xEF\xBB\xBF; bom and \t tabs\n[X]\n\t weird = line \t\n[A]\nk=1\n",
         set("A", "k", "2"), "\xEF\xBB\xBF; bom and \t tabs\n[X]\n\t weird = line \t\n[A]\nk=2\n"},
        {"erase key: every occurrence in every section of that name", "[A]\nk=1\nK=2\nj=0\n[B]\nk=3\n[a]\nk=4\n",
         [](IniDocument& d) { EXPECT_TRUE(d.EraseKey("a", "K")); }, "[A]\nj=0\n[B]\nk=3\n[a]\n"},
        {"erase key: the last line of a file without a final line break", "[A]\nj=0\nk=1",
         [](IniDocument& d) { EXPECT_TRUE(d.EraseKey("A", "k")); }, "[A]\nj=0\n"},
        {"erase key: absent key changes nothing", "[A]\nj=0\n",
         [](IniDocument& d) { EXPECT_FALSE(d.EraseKey("A", "k")); }, "[A]\nj=0\n"},
        {"erase section: every section of that name, nothing before it", "x=0\n[A]\nk=1\n\n[B]\nj=2\n[a]\nk=3\n",
         [](IniDocument& d) { EXPECT_TRUE(d.EraseSection("a")); }, "x=0\n[B]\nj=2\n"},
        {"erase section: absent section", "[A]\n", [](IniDocument& d) { EXPECT_FALSE(d.EraseSection("B")); }, "[A]\n"},
        {"integers are written in decimal", "", [](IniDocument& d) { d.WriteInteger("A", "n", -0x15); },
         "[A]\nn=-21\n"},
    };
    for (const EditCase& c : cases) {
        IniDocument doc = IniDocument::Parse(c.before);
        c.edit(doc);
        EXPECT_EQ(doc.Serialize(), c.after) << c.name;
    }
}

TEST(IniDocument, WrittenValuesReadBack)
{
    IniDocument doc;
    doc.WriteString("A", "k", "  padded  ");
    doc.WriteString("A", "empty", "");
    doc.WriteString("A", "eq", "x=y");
    EXPECT_EQ(doc.ReadString("A", "k", "d"), "padded"); // blanks around a value are not kept
    EXPECT_EQ(doc.ReadString("A", "empty", "d"), "");
    EXPECT_EQ(doc.ReadString("A", "eq", "d"), "x=y");
    doc.WriteString("A", "k", "v");
    EXPECT_TRUE(doc.EraseKey("A", "k"));
    EXPECT_EQ(doc.ReadString("A", "k", "gone"), "gone");
}

TEST(IniDocument, RefusesNamesThatWouldChangeTheFileStructure)
{
    const std::pair<const char*, const char*> bad[] = {
        {"A", "k=x"}, {"A", ""},   {"A", "  "},  {"A", ";k"},   {"A", " #k"},
        {"A", "[k"},  {"A]", "k"}, {"A\n", "k"}, {"A", "k\rx"}, {"A\r\n[B", "k"},
    };
    IniDocument doc = IniDocument::Parse("[A]\nk=1\n");
    for (auto [section, key] : bad)
        EXPECT_THROW(doc.WriteString(section, key, "v"), std::invalid_argument) << section << "/" << key;
    EXPECT_EQ(doc.Serialize(), "[A]\nk=1\n");
}

// Every key the profile reads from a document, its sections and keys in file order:
// what a freshly parsed copy of the same text must read too.
std::vector<std::string> Readings(const IniDocument& doc)
{
    std::vector<std::string> all;
    for (const std::string& section : doc.SectionNames())
        for (const auto& [key, value] : doc.ReadSection(section))
            all.push_back(section + "/" + key + "=" + value + "|" + doc.Get(section, key).value_or("<absent>"));
    return all;
}

// Several changes on one document: a look-up after each finds what a fresh parse of
// the text finds, however the changes moved, added and removed lines before it.
TEST(IniDocument, ChangesInARowKeepEveryLookUpTrue)
{
    using Edit = std::function<void(IniDocument&)>;
    auto set = [](const char* s, const char* k, const char* v) -> Edit {
        return [=](IniDocument& d) { d.WriteString(s, k, v); };
    };
    auto erase = [](const char* s, const char* k) -> Edit { return [=](IniDocument& d) { d.EraseKey(s, k); }; };
    auto drop = [](const char* s) -> Edit { return [=](IniDocument& d) { d.EraseSection(s); }; };
    struct Case {
        const char* name;
        const char* before;
        std::vector<Edit> edits;
        const char* after;
    };
    const Case cases[] = {
        {"the last key erased: a new key goes after the key before it",
         "[A]\nk=1\nj=2\n; end\n",
         {erase("A", "j"), set("A", "n", "3"), set("A", "m", "4")},
         "[A]\nk=1\nn=3\nm=4\n; end\n"},
        {"every key erased: a new key goes after the header",
         "[A]\nk=1\nj=2\n\n[B]\n",
         {erase("A", "j"), erase("A", "k"), set("A", "z", "0")},
         "[A]\nz=0\n\n[B]\n"},
        {"a changed key changed again",
         "[A]\n  Key = 1\n",
         {set("A", "KEY", "2"), set("a", "key", "3")},
         "[A]\n  Key=3\n"},
        {"erased where it was written twice and in a second section",
         "[A]\nk=1\nK=2\n[A]\nk=3\n",
         {erase("A", "k"), set("A", "k", "4")},
         "[A]\nk=4\n[A]\n"},
        {"a section erased before others: those are still found",
         "[A]\na=1\n[B]\nb=2\n[C]\nc=3\n",
         {drop("b"), set("C", "c", "9"), set("A", "x", "0")},
         "[A]\na=1\nx=0\n[C]\nc=9\n"},
        {"a new section written again and erased again",
         "[A]\na=1\n",
         {set("N", "k", "1"), set("n", "K", "2"), set("N", "j", "3"), erase("N", "k"), drop("A"), set("A", "a", "5")},
         "[N]\nj=3\n\n[A]\na=5\n"},
        {"the text's last line, without a line break, erased and written after",
         "[A]\nk=1\nj=2",
         {erase("A", "j"), set("A", "j", "3"), set("B", "b", "4")},
         "[A]\nk=1\nj=3\n\n[B]\nb=4\n"},
        {"a header without a line break gets one for its first key",
         "x=0\n[A]",
         {set("A", "k", "1")},
         "x=0\n[A]\nk=1\n"},
        {"the first line ending erased: new lines take the next one",
         "[A]\nk=1\r\n[B]\r\nb=1\r\n",
         {drop("A"), set("B", "c", "2")},
         "[B]\r\nb=1\r\nc=2\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IniDocument doc = IniDocument::Parse(c.before);
        Readings(doc); // the indexes are made before the changes
        for (const Edit& edit : c.edits) {
            edit(doc);
            EXPECT_EQ(Readings(doc), Readings(IniDocument::Parse(doc.Serialize())));
        }
        EXPECT_EQ(doc.Serialize(), c.after);
    }
}

// A copy is a document of its own: a change to one leaves the other's text and
// look-ups as they were.
TEST(IniDocument, CopiesChangeApart)
{
    IniDocument original = IniDocument::Parse("[A]\nk=1\nj=2\n[B]\nb=1\n");
    EXPECT_EQ(original.ReadString("A", "j", ""), "2");
    IniDocument copy = original;
    copy.EraseKey("A", "k");
    copy.WriteString("A", "j", "changed");
    copy.EraseSection("B");
    EXPECT_EQ(original.Serialize(), "[A]\nk=1\nj=2\n[B]\nb=1\n");
    EXPECT_EQ(original.ReadString("A", "k", ""), "1");
    EXPECT_EQ(original.ReadString("A", "j", ""), "2");
    EXPECT_EQ(original.ReadString("B", "b", ""), "1");
    EXPECT_EQ(copy.Serialize(), "[A]\nj=changed\n");
    original = copy;
    EXPECT_EQ(original.ReadString("A", "j", ""), "changed");
    EXPECT_FALSE(original.HasSection("B"));
}

// ------------------------------------------------------------------ the file object

TEST(IniFile, MissingFileReadsDefaultsAndTheFirstWriteCreatesIt)
{
    TempDir dir;
    const std::string name = dir.File("KX.INI");
    TNewIniFile ini(name);
    EXPECT_EQ(ini.ReadString("Location", "User", "UpdateMe"), "UpdateMe");
    EXPECT_EQ(ini.ReadInteger("Location", "Top", -50), -50);
    EXPECT_FALSE(ini.ValueExists("Location", "Top"));
    // Erasing from a missing file has nothing to do and creates nothing.
    TNewIniFile(name).EraseKey("Location", "Top");
    TNewIniFile(name).EraseSection("Location");
    EXPECT_FALSE(Exists(name));

    TNewIniFile(name).WriteInteger("Location", "Top", 120);
    EXPECT_EQ(ReadBytes(name), "[Location]\nTop=120\n");
    EXPECT_EQ(ini.ReadInteger("Location", "Top", -50), 120); // the same object sees the file now
    struct stat st {};
    ASSERT_EQ(::stat(name.c_str(), &st), 0);
    mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
}

TEST(IniFile, UnknownContentKeptByteForByteAcrossWrites)
{
    TempDir dir;
    const std::string name = dir.File("KX.INI");
    const std::string original = "; Kexbar settings\r\n"
                                 "[Unknown]\r\n"
                                 "Whatever = 1 ;  kept\r\n"
                                 "\r\n"
                                 "   \r\n"
                                 "[Location]\r\n"
                                 "Top=10\r\n"
                                 "# remark\r\n"
                                 "[Programs]\r\n"
                                 "SpeedButton1=/usr/bin/xterm\r\n"
                                 "[Plugin.Data]\r\n"
                                 "blob=\"quoted ; value\"";
    WriteBytes(name, original);
    TNewIniFile(name).WriteInteger("Location", "Top", 20);
    TNewIniFile(name).WriteString("Location", "Left", "5");
    TNewIniFile(name).EraseKey("Programs", "SpeedButton1");
    TNewIniFile(name).WriteString("Names", "SpeedButton1", "Terminal");
    EXPECT_EQ(ReadBytes(name), "; Kexbar settings\r\n"
                               "[Unknown]\r\n"
                               "Whatever = 1 ;  kept\r\n"
                               "\r\n"
                               "   \r\n"
                               "[Location]\r\n"
                               "Top=20\r\n"
                               "Left=5\r\n"
                               "# remark\r\n"
                               "[Programs]\r\n"
                               "[Plugin.Data]\r\n"
                               "blob=\"quoted ; value\"\r\n"
                               "\r\n"
                               "[Names]\r\n"
                               "SpeedButton1=Terminal\r\n");
    // Writing a value it already has leaves the file alone.
    struct stat before {
    }, after{};
    ASSERT_EQ(::stat(name.c_str(), &before), 0);
    TNewIniFile(name).WriteString("location", "TOP", "20");
    ASSERT_EQ(::stat(name.c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);
}

TEST(IniFile, EraseKeyCutsSectionAndKeyTo127Characters)
{
    TempDir dir;
    const std::string name = dir.File("KX.INI");
    const std::string s127(127, 's'), k127(127, 'k');
    const std::string sLong = s127 + "-more", kLong = k127 + "-more";
    {
        IniDocument doc;
        doc.WriteString(s127, k127, "short names");
        doc.WriteString(s127, "other", "stays");
        doc.WriteString(sLong, kLong, "long names");
        WriteBytes(name, doc.Serialize());
    }
    TNewIniFile(name).EraseKey(sLong, kLong);
    TNewIniFile ini(name);
    EXPECT_FALSE(ini.ValueExists(s127, k127)); // what the cut names point at is gone
    EXPECT_EQ(ini.ReadString(s127, "other", ""), "stays");
    EXPECT_EQ(ini.ReadString(sLong, kLong, ""), "long names"); // the full names are never reached
}

TEST(IniFile, ReadsSeeChangesMadeBehindTheObjectsBack)
{
    TempDir dir;
    const std::string name = dir.File("KX.INI");
    WriteBytes(name, "[A]\nk=1\n");
    TNewIniFile reader(name);
    EXPECT_EQ(reader.ReadString("A", "k", ""), "1");
    // Another writer replaces the file with one of the same size.
    TNewIniFile(name).WriteString("A", "k", "2");
    EXPECT_EQ(reader.ReadString("A", "k", ""), "2");
    // An editor that rewrites the same inode with the same size: only the time differs.
    struct stat st {};
    ASSERT_EQ(::stat(name.c_str(), &st), 0);
    {
        std::FILE* f = std::fopen(name.c_str(), "r+");
        ASSERT_NE(f, nullptr);
        std::fputs("[A]\nk=3\n", f);
        std::fclose(f);
    }
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    times[1].tv_nsec = (times[1].tv_nsec + 1) % 1000000000;
    ASSERT_EQ(::utimensat(AT_FDCWD, name.c_str(), times, 0), 0);
    EXPECT_EQ(reader.ReadString("A", "k", ""), "3");
    // And a file that goes away reads as defaults again.
    ASSERT_EQ(::unlink(name.c_str()), 0);
    EXPECT_EQ(reader.ReadString("A", "k", "gone"), "gone");
}

TEST(IniFile, ReadersOfOneFileShareOneParsedCopyWhileItIsUnchanged)
{
    TempDir dir;
    const std::string name = dir.File("KX.INI");
    WriteBytes(name, "[A]\nk=1\n");
    TNewIniFile store(name), recent(name);
    const std::shared_ptr<const IniDocument> first = store.Snapshot();
    EXPECT_EQ(recent.Snapshot().get(), first.get()) << "the file was parsed twice";
    // A write through one reaches the other, and the copy taken before stays as it was.
    store.WriteString("A", "k", "2");
    EXPECT_EQ(recent.ReadString("A", "k", ""), "2");
    EXPECT_EQ(first->ReadString("A", "k", ""), "1");
    // So does a change by another program, and a new reader takes the file as it is.
    WriteBytes(name, "[A]\nk=three\n");
    EXPECT_EQ(store.ReadString("A", "k", ""), "three");
    EXPECT_EQ(recent.ReadString("A", "k", ""), "three");
    EXPECT_EQ(TNewIniFile(name).ReadString("A", "k", ""), "three");
}

// UTF-16 text would be corrupted by the first write (an ASCII line appended to it):
// it is refused for reading and writing with the reason, and nothing is changed, not
// even a lock file made. Text that only looks odd is still read.
TEST(IniFile, Utf16TextIsRefusedAndLeftAlone)
{
    using namespace std::string_literals;
    const std::string le = "[\0S\0]\0\r\0\n\0K\0=\0v\0\r\0\n\0"s;
    std::string be = le;
    for (std::size_t i = 0; i + 1 < be.size(); i += 2)
        std::swap(be[i], be[i + 1]);
    struct Case {
        const char* name;
        std::string text;
        bool refused;
    };
    const Case cases[] = {
        {"little-endian with its mark", "\xFF\xFE" + le, true},
        {"big-endian with its mark", "\xFE\xFF" + be, true},
        {"little-endian without a mark", le, true},
        {"big-endian without a mark", be, true},
        {"only the mark", "\xFF\xFE", true},
        {"UTF-8 with its mark", "\xEF\xBB\xBF[S]\nK=v\n", false},
        {"a stray NUL in a value", "[S]\nK=v\0w\nJ=1\n"s, false},
        {"a file of NULs (a crash's leftover)", std::string(64, '\0'), false},
        {"one byte", "[", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(LooksLikeUtf16(c.text), c.refused);
        TempDir dir;
        const std::string name = dir.File("KX.INI");
        WriteBytes(name, c.text);
        if (!c.refused) {
            EXPECT_NO_THROW(TNewIniFile(name).Document());
            continue;
        }
        for (const auto& use : std::vector<std::function<void()>>{
                 [&] { TNewIniFile(name).ReadString("S", "K", ""); },
                 [&] { TNewIniFile(name).WriteString("S", "N", "1"); },
                 [&] { TNewIniFile(name).EraseKey("S", "K"); },
             }) {
            try {
                use();
                ADD_FAILURE() << "UTF-16 text was taken";
            } catch (const EIniFileError& e) {
                EXPECT_EQ(std::string(e.what()), name + " is not a configuration file this program can read: UTF-16");
            }
        }
        EXPECT_EQ(ReadBytes(name), c.text);
        EXPECT_EQ(dir.List(), std::vector<std::string>{"KX.INI"});
    }
}

TEST(IniFile, RewriteKeepsModeOwnerAndSymbolicLink)
{
    TempDir dir;
    const std::string real = dir.File("real.ini"), link = dir.File("KX.INI"), plain = dir.File("KXplain.INI");
    WriteBytes(real, "[A]\nk=1\n");
    WriteBytes(plain, "[A]\nk=1\n");
    ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
    ASSERT_EQ(::chmod(plain.c_str(), 0640), 0);
    ASSERT_EQ(::symlink("real.ini", link.c_str()), 0);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(plain.c_str(), 65534, 65534), 0);
    }

    // A link of the caller's own to a file of the caller's own is written through.
    TNewIniFile(link).WriteString("A", "k", "2");
    struct stat lst {
    }, st{};
    ASSERT_EQ(::lstat(link.c_str(), &lst), 0);
    EXPECT_TRUE(S_ISLNK(lst.st_mode)) << "the link was replaced by a file";
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(ReadBytes(real), "[A]\nk=2\n");
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    TNewIniFile(plain).WriteString("A", "k", "2");
    ASSERT_EQ(::stat(plain.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    if (root) {
        EXPECT_EQ(st.st_uid, 65534u); // root editing a user's file leaves it the user's
        EXPECT_EQ(st.st_gid, 65534u);
    }
}

TEST(IniFile, TemporaryFilesOfDeadWritersAreRemoved)
{
    TempDir dir;
    const std::string name = dir.File("KX.INI");
    // A pid that runs no process: the highest possible one is almost never used.
    pid_t dead = 4194303;
    while (::kill(dead, 0) == 0 || errno != ESRCH)
        --dead;
    const std::string deadTemp = name + "." + std::to_string(dead) + ".0badf00d.tmp";
    const std::string liveTemp = name + "." + std::to_string(::getpid()) + ".12345678.tmp";
    const std::string notOurs = name + ".backup.tmp";
    for (const std::string& f : {deadTemp, liveTemp, notOurs})
        WriteBytes(f, "[A]\nk=torn");
    TNewIniFile(name).WriteString("A", "k", "1");
    EXPECT_FALSE(Exists(deadTemp));
    EXPECT_TRUE(Exists(liveTemp)); // a writer that still runs may be about to rename it
    EXPECT_TRUE(Exists(notOurs));
    EXPECT_EQ(TNewIniFile(name).ReadString("A", "k", ""), "1");
}

// ------------------------------------------------------------------ the catalogue

TEST(SettingsCatalogue, EveryFixedKeyWithItsTypeAndDefault)
{
    using T = SettingType;
    auto upper = [](std::string_view text) {
        std::string out(text);
        for (char& c : out)
            c = char(std::toupper(static_cast<unsigned char>(c)));
        return out;
    };
    const auto& all = Catalogue();
    ASSERT_FALSE(all.empty());
    const IniDocument blank;
    for (std::size_t i = 0; i < all.size(); ++i) {
        const Setting& s = *all[i];
        SCOPED_TRACE(std::string(s.section) + "/" + std::string(s.key));
        EXPECT_FALSE(s.meaning.empty());
        // An empty file reads as the default, in the form it is stored in.
        EXPECT_EQ(ReadSetting(blank, s), s.def);
        if (s.type == T::Flag) {
            EXPECT_TRUE(s.def.empty() || s.def == "Yes" || s.def == "No");
        }
        if (s.type == T::Integer || s.type == T::Colour) {
            EXPECT_EQ(std::to_string(ReadSettingInt(blank, s)), s.def);
        }
        // A stored value is found whatever the case of its section and key, and no
        // other setting reads it.
        const std::string stored = s.type == T::Integer || s.type == T::Colour ? "4711" : "stored value";
        const IniDocument doc = IniDocument::Parse("[" + upper(s.section) + "]\n" + upper(s.key) + "=" + stored + "\n");
        EXPECT_EQ(ReadSetting(doc, s), stored);
        for (std::size_t j = 0; j < all.size(); ++j) {
            if (j != i) {
                EXPECT_EQ(ReadSetting(doc, *all[j]), all[j]->def) << "read by " << all[j]->key;
            }
        }
    }
    // Readers get these defaults from an empty file, and the file's value otherwise.
    IniDocument empty;
    EXPECT_EQ(ReadSettingInt(empty, settings::Top), -50);
    EXPECT_EQ(ReadSettingInt(empty, settings::PageCount), 10);
    EXPECT_EQ(ReadSettingInt(empty, settings::SelectedColor), 12632256);
    EXPECT_EQ(ReadSetting(empty, settings::User), "UpdateMe");
    EXPECT_EQ(ReadSetting(empty, settings::GaugeType, "DHardDrive"), "DHardDrive");
    IniDocument doc = IniDocument::Parse("[location]\nbuttoncount=0x15\n[Pages]\nCount=\n");
    EXPECT_EQ(ReadSettingInt(doc, settings::ButtonCount), 21);
    EXPECT_EQ(ReadSettingInt(doc, settings::PageCount), 10);

    EXPECT_EQ(PageTabKey(3), "PageTab3");
    EXPECT_EQ(DefaultPageName(12), "Page12");
    EXPECT_EQ(CustomColorKey(0), "ColorA");
    EXPECT_EQ(CustomColorKey(15), "ColorP");
    EXPECT_EQ(RecordSections.front(), "Programs");
    EXPECT_EQ(RecordSections.back(), "SoundLaunch");
}

// Bars reload when their pages or a button record changed; settings and the recent
// list alone leave them be.
TEST(SettingsCatalogue, WhatMakesTheBarsReload)
{
    const std::string before = "[Location]\nTop=1\n[Pages]\nCount=3\n[Tabs]\nSelectedColor=1\nPageTab1=One\n"
                               "[Programs]\nSpeedButton1=/bin/a\n[Names]\nSpeedButton1=A\n[MRU]\nCount=0\n";
    struct Case {
        const char* name;
        std::function<void(IniDocument&)> change;
        bool differ;
    };
    const Case cases[] = {
        {"nothing", [](IniDocument&) {}, false},
        {"a setting", [](IniDocument& d) { d.WriteString("Location", "Top", "2"); }, false},
        {"a tab colour", [](IniDocument& d) { d.WriteString("Tabs", "SelectedColor", "2"); }, false},
        {"the recent list", [](IniDocument& d) { d.WriteString("MRU", "1", "A  |1"); }, false},
        {"another section's key", [](IniDocument& d) { d.WriteString("Plugin", "SpeedButton1", "x"); }, false},
        {"a description", [](IniDocument& d) { d.WriteString("Names", "SpeedButton1", "B"); }, true},
        {"a description erased", [](IniDocument& d) { d.EraseKey("Names", "SpeedButton1"); }, true},
        {"a record section erased", [](IniDocument& d) { d.EraseSection("Names"); }, true},
        {"a working directory", [](IniDocument& d) { d.WriteString("Working", "SpeedButton2", "/tmp"); }, true},
        {"a program", [](IniDocument& d) { d.WriteString("Programs", "SpeedButton1", "/bin/b"); }, true},
        {"a page name", [](IniDocument& d) { d.WriteString("Tabs", "PageTab1", "Uno"); }, true},
        {"the page count", [](IniDocument& d) { d.WriteString("Pages", "Count", "4"); }, true},
    };
    const IniDocument old = IniDocument::Parse(before);
    for (const Case& c : cases) {
        IniDocument now = old;
        c.change(now);
        EXPECT_EQ(ButtonsDiffer(old, now), c.differ) << c.name;
    }
}

TEST(SettingsCatalogue, WriteSettingGoesToItsSectionAndKey)
{
    TempDir dir;
    TNewIniFile ini(dir.File("KX.INI"));
    WriteSetting(ini, settings::Top, 42);
    WriteSetting(ini, settings::OnTop, "Yes");
    EXPECT_EQ(ReadBytes(ini.FileName()), "[Location]\nTop=42\nOnTop=Yes\n");
}

} // namespace
} // namespace kex
