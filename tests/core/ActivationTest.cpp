// The command line's requests for a running bar, mixed with the suffix forms, and the
// session bus name a configuration's bar answers under.
#include <gtest/gtest.h>

#include "core/window/Startup.h"

#include <regex>
#include <set>

namespace kex {
namespace {

using K = ActivationKind;

std::string Joined(const std::vector<std::string>& args)
{
    std::string out;
    for (const std::string& a : args)
        out += "[" + a + "]";
    return out.empty() ? "(none)" : out;
}

TEST(CommandLineRequest, OptionsMixWithTheSuffixForms)
{
    struct Case {
        std::vector<std::string> args;
        std::string suffix;
        bool sync;
        std::optional<ActivationRequest> request;
    } cases[] = {
        {{"--activate", "3"}, "", false, ActivationRequest{K::Activate, 3}},
        {{"desk", "--activate", "3"}, "desk", false, ActivationRequest{K::Activate, 3}},
        {{"--activate", "3", "desk"}, "desk", false, ActivationRequest{K::Activate, 3}},
        {{"--activate=21000"}, "", false, ActivationRequest{K::Activate, 21000}},
        {{"--activate", "007"}, "", false, ActivationRequest{K::Activate, 7}},
        {{"/m", "desk", "--toggle"}, "desk", true, ActivationRequest{K::Toggle, 0}},
        {{"/m", "--toggle", "desk"}, "desk", true, ActivationRequest{K::Toggle, 0}},
        {{"--show", "/M"}, "", true, ActivationRequest{K::Show, 0}},
        {{"/n", "--page", "2"}, "tester", false, ActivationRequest{K::ShowPage, 2}},
        {{"--page=1000", "/n"}, "tester", false, ActivationRequest{K::ShowPage, 1000}},
        // "--" ends the options: what follows is the suffix as written.
        {{"--", "--show"}, "--show", false, std::nullopt},
        {{"--toggle", "--", "-h"}, "-h", false, ActivationRequest{K::Toggle, 0}},
        {{"/m", "--", "--activate"}, "--activate", true, std::nullopt},
        // A word of one dash stays a suffix, as before.
        {{"-desk", "--show"}, "-desk", false, ActivationRequest{K::Show, 0}},
        {{"desk", "extra", "--show"}, "desk", false, ActivationRequest{K::Show, 0}},
    };
    for (const Case& c : cases) {
        const CommandLineRequests cl = ParseCommandLine(c.args, "tester");
        SCOPED_TRACE(Joined(c.args));
        EXPECT_EQ(cl.Error, "");
        EXPECT_FALSE(cl.Help);
        EXPECT_EQ(cl.IniSuffix, c.suffix);
        EXPECT_EQ(cl.SyncMode, c.sync);
        EXPECT_EQ(cl.Request, c.request);
    }
}

TEST(CommandLineRequest, MalformedRequestsAreNamed)
{
    struct Case {
        std::vector<std::string> args;
        std::string error;
    } cases[] = {
        {{"--activate"}, "--activate needs a button number from 1 to 21000"},
        {{"--activate", "0"}, "--activate needs a button number from 1 to 21000, not \"0\""},
        {{"--activate", "21001"}, "--activate needs a button number from 1 to 21000, not \"21001\""},
        {{"--activate", "-3"}, "--activate needs a button number from 1 to 21000, not \"-3\""},
        {{"--activate", "+3"}, "--activate needs a button number from 1 to 21000, not \"+3\""},
        {{"--activate", "3x"}, "--activate needs a button number from 1 to 21000, not \"3x\""},
        {{"--activate="}, "--activate needs a button number from 1 to 21000, not \"\""},
        {{"--activate", "99999999999999999999"},
         "--activate needs a button number from 1 to 21000, not \"99999999999999999999\""},
        {{"desk", "--page", "1001"}, "--page needs a page number from 1 to 1000, not \"1001\""},
        {{"--page", "--show"}, "--page needs a page number from 1 to 1000, not \"--show\""},
        {{"--toggle=1"}, "--toggle takes no value"},
        {{"--show", "--toggle"}, "give only one of --activate, --page, --toggle and --show"},
        {{"--activte", "3"}, "unknown option \"--activte\""},
        // The first fault is the one reported.
        {{"--bogus", "--page", "0"}, "unknown option \"--bogus\""},
    };
    for (const Case& c : cases) {
        const CommandLineRequests cl = ParseCommandLine(c.args, "tester");
        EXPECT_EQ(cl.Error, c.error) << Joined(c.args);
    }
}

TEST(CommandLineRequest, HelpWinsAndTheUserIsAskedOnlyForSlashN)
{
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"--help"}, {"desk", "-h"}, {"--activate", "0", "--help"}}) {
        EXPECT_TRUE(ParseCommandLine(args, "").Help) << Joined(args);
    }
    EXPECT_FALSE(ParseCommandLine({"--", "--help"}, "").Help);

    int asked = 0;
    const auto user = [&asked] {
        ++asked;
        return std::string("alice");
    };
    EXPECT_EQ(ParseCommandLine({"desk", "--show"}, user).IniSuffix, "desk");
    EXPECT_EQ(ParseCommandLine({"/m", "/n"}, user).IniSuffix, "/n");
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(ParseCommandLine({"--show", "/N"}, user).IniSuffix, "alice");
    EXPECT_EQ(asked, 1);
}

TEST(CommandLineRequest, WindowArgumentsGiveTheSameConfiguration)
{
    // The window reads its arguments with the plain first-word rules, and asks for the
    // user name only when the first word is "/n": the arguments it is given must name
    // the same configuration without that.
    const std::vector<std::vector<std::string>> given = {
        {},     {"desk"},        {"/n", "--show"},  {"--page", "2", "/n"}, {"/m", "desk", "--toggle"},
        {"/m"}, {"--", "--odd"}, {"--", "/m", "x"}, {"/m", "--", "-h"},    {"--activate", "3", "desk"},
    };
    for (const std::vector<std::string>& args : given) {
        const CommandLineRequests cl = ParseCommandLine(args, "alice");
        const std::vector<std::string> window = WindowArguments(cl);
        SCOPED_TRACE(Joined(args) + " -> " + Joined(window));
        ASSERT_TRUE(window.empty() || (window[0] != "/n" && window[0] != "/N"));
        const CommandLineRequests again = ParseCommandLine(window, "");
        EXPECT_EQ(again.IniSuffix, cl.IniSuffix);
        EXPECT_EQ(again.SyncMode, cl.SyncMode);
        EXPECT_EQ(again.Error, "");
        EXPECT_FALSE(again.Request);
    }
}

// The D-Bus rules for a well-known name: at most 255 characters, two or more
// dot-separated elements of [A-Za-z0-9_-], none empty or starting with a digit.
bool ValidWellKnownName(const std::string& name)
{
    static const std::regex element("[A-Za-z_-][A-Za-z0-9_-]*");
    if (name.empty() || name.size() > 255 || name.front() == '.' || name.back() == '.')
        return false;
    int elements = 0;
    std::size_t start = 0;
    for (;;) {
        const std::size_t dot = name.find('.', start);
        if (!std::regex_match(name.substr(start, dot - start), element))
            return false;
        ++elements;
        if (dot == std::string::npos)
            return elements >= 2;
        start = dot + 1;
    }
}

TEST(ActivationName, EscapedSuffixAndDirectory)
{
    const std::string dir = "/home/alice/.config/kexbar";
    const std::string tail = ".D" + [&] {
        char buf[17];
        std::snprintf(buf, sizeof buf, "%016llX", static_cast<unsigned long long>(StableHash(dir)));
        return std::string(buf);
    }();
    struct Case {
        std::string suffix, element;
    } cases[] = {
        {"", "S"},
        {"desk", "Sdesk"},
        {"Desk", "SDesk"},
        {"1st", "S1st"},
        {"de.sk", "Sde_2Esk"},
        {"de_sk", "Sde_5Fsk"},
        {"de_2Esk", "Sde_5F2Esk"},
        {"my desk", "Smy_20desk"},
        {"a-b", "Sa_2Db"},
        {"/n", "S_2Fn"},
        {"\xC3\xBC\n\x7F", "S_C3_BC_0A_7F"},
    };
    for (const Case& c : cases) {
        const std::string name = ActivationBusName(c.suffix, dir);
        EXPECT_EQ(name, "io.github.kexbar.Kexbar." + c.element + tail) << c.suffix;
        EXPECT_TRUE(ValidWellKnownName(name)) << name;
    }
    // FNV-1a's published value, so that bars of different builds agree on a name.
    EXPECT_EQ(StableHash(""), 0xcbf29ce484222325ULL);
    EXPECT_EQ(StableHash("a"), 0xaf63dc4c8601ec8cULL);
}

TEST(ActivationName, OddSuffixesNeverShareAName)
{
    std::vector<std::string> suffixes = {"",
                                         "desk",
                                         "Desk",
                                         "desk ",
                                         " desk",
                                         "de.sk",
                                         "de_sk",
                                         "de_2Esk",
                                         "_2E",
                                         ".",
                                         "_",
                                         "S",
                                         "H",
                                         std::string(1, '\0'),
                                         std::string("a\0b", 3),
                                         "a"};
    // Around the longest suffix that is still written out, and far beyond it.
    for (std::size_t n : {100, 211, 212, 213, 214, 250, 4096})
        suffixes.push_back(std::string(n, 'x'));
    for (std::size_t n : {70, 71, 72, 1000})
        suffixes.push_back(std::string(n, '.'));
    std::set<std::string> names;
    for (const std::string& suffix : suffixes) {
        const std::string name = ActivationBusName(suffix, "/srv/bar");
        EXPECT_TRUE(ValidWellKnownName(name)) << name;
        names.insert(name);
    }
    EXPECT_EQ(names.size(), suffixes.size());
    // A suffix's element is written out while it fits, hashed after.
    EXPECT_NE(ActivationBusName(std::string(212, 'x'), "/").find(".S" + std::string(212, 'x') + ".D"),
              std::string::npos);
    EXPECT_NE(ActivationBusName(std::string(213, 'x'), "/").find(".H"), std::string::npos);

    // One suffix in two directories: two configurations, two names.
    EXPECT_NE(ActivationBusName("desk", "/home/alice/bar"), ActivationBusName("desk", "/home/alice/bar2"));
    EXPECT_EQ(ActivationBusName("desk", "/home/alice/bar"), ActivationBusName("desk", "/home/alice/bar"));
}

} // namespace
} // namespace kex
