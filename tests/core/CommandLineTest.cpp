#include "core/launch/CommandLine.h"
#include "core/launch/DesktopEntry.h"
#include "core/pages/Grid.h"
#include "core/recent/RecentEntries.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace kex;
using Words = std::vector<std::string>;

namespace {

struct SplitCase {
    const char* line;
    Words words;
};

class SplitCommandLineTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandLineTest, GivesTheShellWords)
{
    EXPECT_EQ(SplitCommandLine(GetParam().line), GetParam().words) << "line: [" << GetParam().line << "]";
}

INSTANTIATE_TEST_SUITE_P(
    Table, SplitCommandLineTest,
    testing::Values(SplitCase{"", {}}, SplitCase{"   \t ", {}}, SplitCase{"/usr/bin/gedit ", {"/usr/bin/gedit"}},
                    SplitCase{"  a\tb   c  ", {"a", "b", "c"}}, SplitCase{"a\nb\r\nc", {"a", "b", "c"}},
                    SplitCase{"'/home/u/My Files/x' y", {"/home/u/My Files/x", "y"}},
                    SplitCase{"\"a b\" c", {"a b", "c"}}, SplitCase{"a\\ b c", {"a b", "c"}},
                    SplitCase{"'it'\\''s'", {"it's"}}, SplitCase{"'a\\b'", {"a\\b"}}, // backslash literal in '...'
                    SplitCase{"\"a\\\"b\\\\c\\$d\\`e\"", {"a\"b\\c$d`e"}},            // the four escapes in "..."
                    SplitCase{"\"a\\nb\"", {"a\\nb"}},                                // other backslashes stay in "..."
                    SplitCase{"\\$HOME ~ *.txt $HOME", {"$HOME", "~", "*.txt", "$HOME"}},
                    SplitCase{"\"$HOME\" '$(rm -rf /)' `id`", {"$HOME", "$(rm -rf /)", "`id`"}},
                    SplitCase{"a;b|c&d>e", {"a;b|c&d>e"}}, SplitCase{"\"\" '' x", {"", "", "x"}},
                    SplitCase{"pre'fix'\"mid\"post", {"prefixmidpost"}},
                    SplitCase{"a\\", {"a\\"}},   // a backslash at the very end stays
                    SplitCase{"a\\\nb", {"ab"}}, // backslash-newline joins
                    SplitCase{"'unterminated rest", {"unterminated rest"}},
                    SplitCase{"x \"open \\\" end", {"x", "open \" end"}}, SplitCase{"x '", {"x", ""}}));

TEST(ShortPathOfTest, PlainPathsStayUnchanged)
{
    for (const char* path : {"/usr/bin/gedit", "/tmp/a$b~c*d", "", "relative/name.txt", "/x;y&z"})
        EXPECT_EQ(ShortPathOf(path), path);
}

TEST(ShortPathOfTest, NastyPathsComeBackExactlyThroughTheSplitter)
{
    const std::vector<std::string> paths = {
        "/home/u/My Documents/report.txt",
        "/tmp/it's here",
        "/tmp/\"quoted\"",
        "/tmp/back\\slash",
        "/tmp/tab\there",
        "/tmp/line\nbreak",
        "/tmp/trailing\\",
        "'",
        "''",
        "/tmp/ leading and trailing ",
        "/tmp/mix 'a' \"b\" \\c $d `e`",
    };
    for (const std::string& path : paths) {
        const std::string quoted = ShortPathOf(path);
        EXPECT_NE(quoted, path);
        EXPECT_EQ(SplitCommandLine(quoted), Words{path}) << "quoted: " << quoted;
        // And as a program followed by parameters, the way a launch joins them.
        EXPECT_EQ(SplitCommandLine(quoted + " " + FilesParameterList({path, "/tmp/b"})), (Words{path, path, "/tmp/b"}));
    }
}

TEST(FilesParameterListTest, EachFileBehindOneBlank)
{
    EXPECT_EQ(FilesParameterList({}), "");
    EXPECT_EQ(FilesParameterList({"/tmp/A.TXT", "/tmp/B.TXT"}), " /tmp/A.TXT /tmp/B.TXT");
    EXPECT_EQ(FilesParameterList({"/tmp/my file"}), " '/tmp/my file'");
}

TEST(PathPartsTest, DirectoryAndFileNameOfPlainAndQuotedPrograms)
{
    struct Case {
        const char* program;
        const char* directory;
        const char* fileName;
    };
    const Case cases[] = {
        {"/usr/bin/gedit ", "/usr/bin/", "gedit"},
        {"/usr/bin/gedit", "/usr/bin/", "gedit"},
        {"'/opt/My Apps/run.sh' ", "/opt/My Apps/", "run.sh"},
        {"'/opt/a/b c/d'\"/e f\" ", "/opt/a/b c/d/", "e f"},
        {"/opt/x\\ y/prog --flag", "/opt/x y/", "prog"},
        {"gedit", "", "gedit"},
        {"/prog", "/", "prog"},
        {"", "", ""},
        {"  ", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DirectoryPart(c.program), c.directory) << c.program;
        EXPECT_EQ(FileNamePart(c.program), c.fileName) << c.program;
    }
}

TEST(NameWithoutExtensionTest, CutsAtTheLastDotOfTheFileName)
{
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"NOTEPAD.EXE", "NOTEPAD"},
        {"gedit", "gedit"},
        {"archive.tar.gz", "archive.tar"},
        {".profile", ".profile"},
        {"/home/u/.bashrc", "/home/u/.bashrc"},
        {"/opt/v1.2/tool", "/opt/v1.2/tool"},
        {"name.", "name"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NameWithoutExtension(c.in), c.out) << c.in;
}

TEST(RecentEntryTest, LabelIsTheDescriptionOrTheProgramName)
{
    EXPECT_EQ(RecentEntryText("", "/opt/windows/NOTEPAD.EXE ", 12), "NOTEPAD  |12");
    EXPECT_EQ(RecentEntryText("", "/usr/bin/gedit ", 3), "gedit  |3");
    EXPECT_EQ(RecentEntryText("", "'/opt/My Apps/run.sh' ", 7), "run  |7");
    EXPECT_EQ(RecentEntryText("Text editor", "/usr/bin/gedit ", 210), "Text editor  |210");
}

TEST(RecentEntryTest, ATerminalIsNeverTheLabel)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/usr/bin/x-terminal-emulator -e /usr/bin/vim", "vim"},
        {"gnome-terminal -- '/opt/My Apps/ed.sh' -q", "ed"},
        {"/usr/bin/kitty /usr/bin/htop", "htop"},
        {"/usr/bin/xterm", "xterm"},                    // the terminal itself
        {"/usr/bin/xterm -hold -e vim", "xterm"},       // another option first
        {"/usr/bin/perl -e print", "perl"},             // not a terminal
        {"/opt/term/myterm -e /usr/bin/vim", "myterm"}, // an emulator the bar does not know
        {"", ""},
    };
    for (const auto& [program, label] : cases)
        EXPECT_EQ(ProgramLabel(program), label) << program;
    // Every command the bar makes for a terminal names the program inside.
    for (const char* terminal : {"x-terminal-emulator", "gnome-terminal", "konsole", "xfce4-terminal", "mate-terminal",
                                 "alacritty", "kitty", "xterm", "/usr/local/bin/xterm"}) {
        const std::string command = JoinCommandLine(InTerminal({"/usr/bin/vim", "-R"}, terminal, nullptr));
        EXPECT_EQ(ProgramLabel(command), "vim") << command;
        EXPECT_EQ(RecentEntryText("", command, 5), "vim  |5");
        EXPECT_EQ(ButtonHint(command, "", "/home/u/prog.c"), "vim /home/u/prog.c");
    }
}

TEST(RecentEntryTest, NumberFollowsTheLastBar)
{
    struct Case {
        const char* text;
        int number;
    };
    const Case cases[] = {
        {"NOTEPAD  |12", 12}, {"a  |b  |5", 5}, // a description holding "  |"
        {"gedit  |", 0},      {"gedit |12", 0}, // one blank is not the separator
        {"gedit  |12x", 0},   {"gedit  |-3", 0}, {"gedit  |99999999999", 0}, {"", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NumberFromRecentEntry(c.text), c.number) << c.text;
    for (int n : {1, 42, 210, 99999})
        EXPECT_EQ(NumberFromRecentEntry(RecentEntryText("Some  |thing", "/bin/x", n)), n);
}

TEST(RecentEntryTest, ALongLabelIsCutNeverItsNumber)
{
    auto times = [](const std::string& unit, std::size_t n) {
        std::string s;
        for (std::size_t i = 0; i < n; ++i)
            s += unit;
        return s;
    };
    struct Case {
        const char* what;
        std::string description;
        int number;
        std::size_t labelBytes; // of the label kept
    };
    const Case cases[] = {
        {"fits exactly", times("a", 1019), 7, 1019},
        {"one byte over", times("a", 1020), 7, 1019},
        {"a longer number leaves less room", times("a", 2000), 12345, 1015},
        {"two-byte characters", times("\xC3\xA9", 600), 7, 1018},
        {"three-byte characters", times("\xE2\x82\xAC", 400), 7, 1017},
        {"four-byte characters", "a" + times("\xF0\x9F\x98\x80", 300), 7, 1017},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string entry = RecentEntryText(c.description, "/bin/x", c.number);
        const std::string tail = "  |" + std::to_string(c.number);
        ASSERT_EQ(entry.size(), c.labelBytes + tail.size());
        // Cut where a character begins: the label kept is whole characters.
        EXPECT_EQ(entry, c.description.substr(0, c.labelBytes) + tail);
        // The file keeps the entry as it is, so it still names its button.
        EXPECT_EQ(RecentEntries::StoredEntry(entry), entry);
        EXPECT_EQ(NumberFromRecentEntry(RecentEntries::StoredEntry(entry)), c.number);
    }
}

TEST(ShouldShrinkTest, DecisionTable)
{
    struct Row {
        const char* shrinkNow;
        const char* setting;
        bool shrink;
    };
    const Row rows[] = {
        {"Yes", "Yes", true}, {"Yes", "No", true},  {"Yes", "", true},    {"No", "Yes", false},
        {"No", "No", false},  {"No", "", false},    {"", "Yes", true},    {"", "No", false},
        {"", "", false},      {"yes", "Yes", true}, {"yes", "No", false}, {"Maybe", "x", false},
    };
    for (const Row& r : rows)
        EXPECT_EQ(ShouldShrink(r.shrinkNow, r.setting), r.shrink) << r.shrinkNow << " / " << r.setting;
}

TEST(JoinCommandLineTest, TheSplitterGivesEveryWordBackExactly)
{
    const std::vector<std::vector<std::string>> cases = {
        {"/usr/bin/flatpak", "run", "--file-forwarding", "org.x", "@@"},
        {"/opt/my apps/term", "-e", "it's", "", "\"quoted\"", "back\\slash", "tab\there"},
        {},
    };
    for (const auto& words : cases) {
        const std::string line = JoinCommandLine(words);
        EXPECT_EQ(SplitCommandLine(line), words) << line;
    }
    EXPECT_EQ(JoinCommandLine({"/usr/bin/xterm", "-e", "/usr/bin/vim"}), "/usr/bin/xterm -e /usr/bin/vim");
}

TEST(PathFileNameTest, TheNameAfterTheLastSlashAsStored)
{
    EXPECT_EQ(PathFileName("/snd/my chimes & bells.wav"), "my chimes & bells.wav");
    EXPECT_EQ(PathFileName("'/snd/odd'name.wav"), "odd'name.wav");
    EXPECT_EQ(PathFileName("bell.wav"), "bell.wav");
    EXPECT_EQ(PathFileName("/snd/"), "");
}

} // namespace
