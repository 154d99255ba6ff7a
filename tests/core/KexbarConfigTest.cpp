// The kexbar-config program, run as a user runs it.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "IniTestUtil.h"
#include "ToolRun.h"
#include "core/config/ConfigTool.h"

namespace kex {
namespace {

using testing::Exists;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

struct Step {
    std::vector<std::string> args; // after FILE
    int rc;
    std::string out;
    std::string errPart; // "" when stderr must stay empty
};

void Play(const TempDir& dir, const std::string& file, const std::vector<Step>& steps)
{
    for (const Step& s : steps) {
        std::vector<std::string> args = {file};
        args.insert(args.end(), s.args.begin(), s.args.end());
        ToolRun r = RunTool(dir, args);
        std::string line;
        for (const auto& a : s.args)
            line += a + " ";
        EXPECT_EQ(r.rc, s.rc) << line << "\nstderr: " << r.err;
        EXPECT_EQ(r.out, s.out) << line;
        if (s.errPart.empty())
            EXPECT_EQ(r.err, "") << line;
        else
            EXPECT_NE(r.err.find(s.errPart), std::string::npos) << line << "\nstderr: " << r.err;
    }
}

TEST(KexbarConfig, ReadsAndChangesSettings)
{
    TempDir dir;
    const std::string file = dir.File("KX.INI");
    Play(dir, file,
         {
             {{"get", "Location", "User", "UpdateMe"}, 0, "UpdateMe\n", ""},
             {{"get", "Location", "User"}, 0, "\n", ""},
             {{"get-int", "Location", "Top", "-50"}, 0, "-50\n", ""},
         });
    EXPECT_FALSE(Exists(file)) << "reading created the file";
    Play(dir, file,
         {
             {{"set", "Location", "Top", "12"}, 0, "", ""},
             {{"get", "location", "TOP"}, 0, "12\n", ""},
             {{"set", "Location", "ButtonCount", "0x15"}, 0, "", ""},
             {{"get-int", "Location", "ButtonCount", "0"}, 0, "21\n", ""},
             {{"get", "Location", "ButtonCount"}, 0, "0x15\n", ""},
             {{"set", "Names", "SpeedButton1", "My Editor"}, 0, "", ""},
             {{"set", "Programs", "SpeedButton1", "/usr/bin/editor --new"}, 0, "", ""},
             {{"set", "Location", "Left", ""}, 0, "", ""},
             {{"get", "Location", "Left", "absent"}, 0, "\n", ""},
             {{"get", "Names", "SpeedButton1", "none"}, 0, "My Editor\n", ""},
             {{"erase-key", "Names", "SpeedButton1"}, 0, "", ""},
             {{"get", "Names", "SpeedButton1", "none"}, 0, "none\n", ""},
             {{"erase-key", "Names", "NotThere"}, 0, "", ""},
             {{"erase-section", "Location"}, 0, "", ""},
             {{"get-int", "Location", "Top", "-50"}, 0, "-50\n", ""},
             {{"erase-section", "NotThere"}, 0, "", ""},
         });
    EXPECT_EQ(ReadBytes(file), "[Names]\n\n[Programs]\nSpeedButton1=/usr/bin/editor --new\n");
}

TEST(KexbarConfig, RefusesBadNamesAndNumbers)
{
    TempDir dir;
    const std::string file = dir.File("KX.INI");
    WriteBytes(file, "[A]\nk=1\n");
    Play(dir, file,
         {
             {{"set", "A", "x=y", "1"}, 1, "", "Invalid key name"},
             {{"set", "A]", "x", "1"}, 1, "", "Invalid section name"},
             {{"get-int", "A", "k", "zero"}, 1, "", "Not an integer: zero"},
             {{"get-int", "A", "k", "99999999999"}, 1, "", "Not an integer"},
         });
    EXPECT_EQ(ReadBytes(file), "[A]\nk=1\n");
}

TEST(KexbarConfig, RefusedWriteAnswers2WithTheStoresMessage)
{
    TempDir dir;
    const std::string file = dir.File("KX.INI");
    WriteBytes(file, "[A]\nk=1\n");
    ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"set", "A", "k", "2"}, {"erase-key", "A", "k"}, {"erase-section", "A"}}) {
        ToolRun r = RunTool(dir, [&] {
            std::vector<std::string> a = {file};
            a.insert(a.end(), args.begin(), args.end());
            return a;
        }());
        EXPECT_EQ(r.rc, 2) << args[0];
        EXPECT_EQ(r.err, "Unable to write to " + file + "\n") << args[0];
        EXPECT_EQ(r.out, "");
    }
    Play(dir, file, {{{"get", "A", "k"}, 0, "1\n", ""}});
    EXPECT_EQ(ReadBytes(file), "[A]\nk=1\n");
    // A file in a directory that does not exist is refused the same way.
    const std::string nowhere = dir.File("missing/KX.INI");
    ToolRun r = RunTool(dir, {nowhere, "set", "A", "k", "1"});
    EXPECT_EQ(r.rc, 2);
    EXPECT_EQ(r.err, "Unable to write to " + nowhere + "\n");
}

TEST(KexbarConfig, WrongUseShowsEveryCommand)
{
    TempDir dir;
    const std::string file = dir.File("KX.INI");
    std::vector<ConfigCommand> commands = IniCommands();
    for (ConfigCommand& c : PageCommands())
        commands.push_back(std::move(c));
    auto listsAll = [&](const std::string& text) {
        if (text.find("usage: kexbar-config FILE COMMAND ARGS...") == std::string::npos)
            return std::string("no usage line");
        for (const ConfigCommand& c : commands)
            if (text.find("  " + c.name + (c.usage.empty() ? "" : " ") + c.usage + "\n") == std::string::npos)
                return "missing " + c.name;
        return std::string();
    };
    const std::vector<std::vector<std::string>> wrong = {
        {},
        {file},
        {file, "frobnicate"},
        {file, "get", "A"},
        {file, "get", "A", "k", "d", "extra"},
        {file, "get-int", "A", "k"},
        {file, "set", "A", "k"},
        {file, "erase-key", "A"},
        {file, "erase-section", "A", "B"},
    };
    for (const auto& args : wrong) {
        ToolRun r = RunTool(dir, args);
        EXPECT_EQ(r.rc, 1) << args.size();
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(listsAll(r.err), "") << r.err;
    }
    EXPECT_NE(RunTool(dir, {file, "frobnicate"}).err.find("unknown command \"frobnicate\""), std::string::npos);
    ToolRun help = RunTool(dir, {"--help"});
    EXPECT_EQ(help.rc, 0);
    EXPECT_EQ(listsAll(help.out), "") << help.out;
    EXPECT_EQ(help.err, "");
    EXPECT_FALSE(Exists(file));
}

// The reload check looks at a configuration file only for the commands that work on one.
TEST(KexbarConfig, ConfigurationFileOnlyForCommandsOnAFile)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"kexbar-config", "KX.INI", "add-page", "1"}, "KX.INI"},
        {{"kexbar-config", "KX.INI", "show"}, "KX.INI"},
        {{"kexbar-config", "read-link", "KXa.INI"}, ""},
        {{"kexbar-config", "--help", "KX.INI"}, ""},
        {{"kexbar-config", "-h", "KX.INI"}, ""},
        {{"kexbar-config", "KX.INI"}, ""},
        {{"kexbar-config"}, ""},
    };
    for (const auto& [argv, file] : cases)
        EXPECT_EQ(ConfigurationFileOf(argv), file) << argv.back();
}

} // namespace
} // namespace kex
