// The session's autostart entry for the bar: where it is, that it starts this very bar
// whatever its suffix and directory hold, and that writing and removing it never
// reach through a link or over something that is not the bar's entry.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "core/autostart/Autostart.h"
#include "core/launch/DesktopEntry.h"

namespace kex {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

TEST(AutostartTest, TheEntryStartsThisBarAndTheFileFollowsTheItem)
{
    enum class Before { Nothing, Entry, HiddenEntry, LinkOutside, Fifo, ReadOnlyDir };
    struct Row {
        const char* what;
        const char* configHome; // under the test's directory; "" none, "rel" a relative one
        Before before;
        bool on;
        std::vector<std::string> args;
        std::string appDir;
        bool enabledBefore;
        bool throws;
    } rows[] = {
        {"the first write makes the directory", "xdg", Before::Nothing, true, {}, "/home/u/.config/kexbar/", false, false},
        {"no XDG_CONFIG_HOME: ~/.config", "", Before::Nothing, true, {"/m", "--", "de sk"}, "/tmp/a b/", false, false},
        {"a relative XDG_CONFIG_HOME is not used", "rel", Before::Nothing, true, {"--", "x"}, "/d/", false, false},
        {"characters the line reserves arrive whole", "xdg", Before::Nothing, true,
         {"--", "a\"b$c`d\\e%f'g\nh;i*j(k)#%U"}, "/d%1/ \"q\"/", false, false},
        {"an empty suffix word", "xdg", Before::Nothing, true, {"--", ""}, "/d/", false, false},
        {"an entry there is removed", "xdg", Before::Entry, false, {}, "/d/", true, false},
        {"removing what is not there", "xdg", Before::Nothing, false, {}, "/d/", false, false},
        {"a hidden entry starts nothing and is replaced", "xdg", Before::HiddenEntry, true, {}, "/d/", false, false},
        {"a link is replaced, not written through", "xdg", Before::LinkOutside, true, {}, "/d/", false, false},
        {"a link is removed, not its target", "xdg", Before::LinkOutside, false, {}, "/d/", false, false},
        {"a FIFO is refused", "xdg", Before::Fifo, true, {}, "/d/", false, true},
        {"a read-only directory is refused", "xdg", Before::ReadOnlyDir, true, {}, "/d/", false, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        std::string pattern = (fs::temp_directory_path() / "kexauto-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        const fs::path tmp = pattern;
        const std::string configHome = std::string(r.configHome) == "rel" ? "rel/config"
                                       : *r.configHome                  ? (tmp / r.configHome).string()
                                                                        : "";
        const std::string file = AutostartFileName(configHome, (tmp / "home").string());
        EXPECT_EQ(file, (*r.configHome && std::string(r.configHome) != "rel" ? tmp / r.configHome
                                                                              : tmp / "home/.config")
                                .string() + "/autostart/kexbar.desktop");
        const fs::path outside = tmp / "outside.desktop";
        const std::string precious = "[Desktop Entry]\nType=Application\nName=Other\nExec=other\n";
        if (r.before != Before::Nothing)
            fs::create_directories(fs::path(file).parent_path());
        switch (r.before) {
        case Before::Entry: std::ofstream(file) << AutostartEntry("/usr/bin/kexbar", {}, "/d/"); break;
        case Before::HiddenEntry: std::ofstream(file) << precious << "Hidden=true\n"; break;
        case Before::LinkOutside:
            std::ofstream(outside) << precious;
            fs::create_symlink(outside, file);
            break;
        case Before::Fifo: ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0); break;
        case Before::ReadOnlyDir: ::chmod(fs::path(file).parent_path().c_str(), 0555); break;
        case Before::Nothing: break;
        }
        EXPECT_EQ(AutostartEnabled(file), r.enabledBefore);

        const std::string program = "/opt/kex bar/kexbar";
        const std::string entry = AutostartEntry(program, r.args, r.appDir);
        bool threw = false;
        try {
            SetAutostart(file, r.on, entry);
        } catch (const std::runtime_error& e) {
            threw = true;
            EXPECT_NE(std::string(e.what()).find(fs::path(file).parent_path().string()), std::string::npos);
        }
        EXPECT_EQ(threw, r.throws);
        const bool written = r.on && !r.throws;
        EXPECT_EQ(AutostartEnabled(file), written);
        if (written) {
            // Read back as a session reads it: env sets the directory, then the bar
            // with its own words.
            const std::optional<DesktopEntry> read = ParseDesktopEntry(ReadAll(file));
            ASSERT_TRUE(read.has_value());
            std::vector<std::string> argv = {"env", "KEXBAR_DIR=" + r.appDir, program};
            argv.insert(argv.end(), r.args.begin(), r.args.end());
            EXPECT_EQ(SplitExec(read->exec), argv);
            EXPECT_EQ(read->type, "Application");
            EXPECT_FALSE(read->hidden);
        }
        if (r.before == Before::LinkOutside) {
            EXPECT_EQ(ReadAll(outside), precious);
        }
        if (r.before == Before::Fifo) {
            struct stat st {};
            EXPECT_TRUE(::lstat(file.c_str(), &st) == 0 && S_ISFIFO(st.st_mode));
        }
        ::chmod(fs::path(file).parent_path().c_str(), 0755);
        fs::remove_all(tmp);
    }
}

} // namespace
} // namespace kex
