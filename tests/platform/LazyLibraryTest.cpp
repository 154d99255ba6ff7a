// GIO, libcanberra and ALSA are mapped only once a feature first needs them (and Qt's
// image plugins not for a PNG icon), and a missing library leaves its feature out
// without harm.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>

#include "SelfExec.h"
#include "TempDir.h"
#include "platform/LazyLibrary.h"
#include "platform/LinuxPlatform.h"
#include "platform/SoundPlayer.h"

namespace kex {
namespace {

// Runs in a fresh process, where nothing has used these libraries yet.
TEST(LazyLibraryTest, DISABLED_MappedAtTheFirstUseInChild)
{
    if (!testing_child::InChild())
        GTEST_SKIP() << "runs only in the child of EachLibraryIsMappedWhenItsFeatureIsFirstUsed";
    LinuxPlatform platform;
    TempDir dir;
    const std::string document = (dir.path() / "notes.txt").string();
    std::ofstream(document) << "some text\n";
    struct Case {
        const char* library;
        std::function<void()> firstUse;
    } cases[] = {
        {"libasound.so.2", [&] { (void)platform.Mixer().Volume(0); }},
        {"libcanberra.so.0", [] { SoundPlayer().Beep(); }},
        {"libgio-2.0.so.0",
         [&] {
             std::string program;
             (void)platform.FindExecutable(document, program);
         }},
        {"libgnome-menu-3.so.0", [&] { (void)platform.ProgramGroups().ReadGroups(); }},
    };
    // A PNG icon is read by Qt's own reader, without the image plugins and their
    // libraries (the SVG one among them).
    const std::string png = KEX_TEST_DATA "/gauge/pie-40x16-100.png"; // not written here: Qt's writer loads them
    EXPECT_FALSE(platform.ExtractIcon(png, 0).isNull());
    EXPECT_FALSE(LibraryMapped("libQt6Svg.so.6")) << "reading a PNG icon loaded the image plugins";
    for (const Case& c : cases)
        EXPECT_FALSE(LibraryMapped(c.library)) << c.library << " mapped before its first use";
    for (const Case& c : cases) {
        c.firstUse();
        EXPECT_TRUE(LibraryMapped(c.library)) << c.library << " not mapped after its first use";
    }
}

TEST(LazyLibraryTest, EachLibraryIsMappedWhenItsFeatureIsFirstUsed)
{
    const testing_child::ChildResult child = testing_child::RunTestInChild(
        "LazyLibraryTest.DISABLED_MappedAtTheFirstUseInChild", {{"CANBERRA_DRIVER", "null"}});
    EXPECT_TRUE(child.passed) << child.output;
}

TEST(LazyLibraryTest, AMissingLibraryGivesNoFunctions)
{
    const char* missing = "libkexbar-no-such-library.so.0";
    EXPECT_EQ(LazyLibrary(missing), nullptr);
    EXPECT_EQ(LazySymbol(missing, "anything"), nullptr);
    EXPECT_FALSE(LibraryMapped(missing));
    // A library that is there gives its functions, and only those it has.
    EXPECT_NE(LazySymbol("libasound.so.2", "snd_mixer_open"), nullptr);
    EXPECT_EQ(LazySymbol("libasound.so.2", "snd_no_such_function"), nullptr);
}

} // namespace
} // namespace kex
