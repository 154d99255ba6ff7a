// The start-up settings reader: stored forms to typed values, with the catalogue's and
// the machine's defaults.
#include <gtest/gtest.h>

#include "core/window/StartupSettings.h"

namespace kex {
namespace {

StartupSettings Read(const std::string& text, StartupMachine machine = {})
{
    return ReadStartupSettings(IniDocument::Parse(text), machine, "KX.INI");
}

TEST(StartupSettings, AnEmptyFileIsAFirstStartWithTheDefaults)
{
    StartupMachine machine;
    machine.defaultTop = 600;
    machine.screenButtons = 21;
    const StartupSettings s = Read("", machine);
    EXPECT_TRUE(s.firstStart);
    EXPECT_EQ(s.barTop, 600);
    EXPECT_EQ(s.buttonsPerPage, 21); // a first start takes what the screen allows
    EXPECT_TRUE(s.shrinkOnLaunch);
    EXPECT_FALSE(s.onTop);
    EXPECT_FALSE(s.minimised);
    EXPECT_EQ(s.showHints, true);
    EXPECT_EQ(s.gaugeType, "CHardDrive"); // drive C stands for the root
    EXPECT_TRUE(s.twelveHour);
    EXPECT_EQ(s.display, ClockDisplay::Hour);
    EXPECT_EQ(s.hourSound, false);
    EXPECT_EQ(s.selectedTabColor, 12632256);
    EXPECT_EQ(s.unselectedTabColor, 8421376);
    EXPECT_EQ(s.user, "UpdateMe");
}

TEST(StartupSettings, ButtonsPerPageFromTheStoredCountTheScreenAndAFirstStart)
{
    struct Case {
        const char* location;
        int screenButtons;
        int expected;
    } cases[] = {
        {"Top=100\n", 21, 16},                 // a bar that has started before keeps 16
        {"Top=100\nButtonCount=21\n", 16, 21}, // a stored count stays, whatever the screen
        {"Top=100\nButtonCount=17\n", 21, 16}, // a damaged count gives 16
        {"Top=100\nButtonCount=-3\n", 21, 16},
        {"Top=-50\n", 21, 21},                 // a first start takes the screen's count
        {"Top=-50\n", 0, 16},                  // a tiny screen still gets pages of 16
        {"Top=-50\nButtonCount=16\n", 21, 16}, // a stored count wins over the first start
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.location);
        StartupMachine machine;
        machine.screenButtons = c.screenButtons;
        EXPECT_EQ(Read(std::string("[Location]\n") + c.location, machine).buttonsPerPage, c.expected);
    }
    // A damaged count is reported, naming the file; a sound one is not.
    EXPECT_NE(Read("[Location]\nButtonCount=17\n").notice.find("KX.INI"), std::string::npos);
    EXPECT_EQ(Read("[Location]\nButtonCount=21\n").notice, "");
}

TEST(StartupSettings, FlagsAreOnOnlyForYesAndThreeStateFlagsKeepOtherValuesApart)
{
    const StartupSettings on = Read("[Location]\nTop=10\nOnTop=Yes\nStaySmall=Yes\nShrink=Yes\nHide=Yes\n"
                                    "IconState=Yes\nCheckExit=Yes\nShowHint=Yes\nLockedGraph=Yes\n"
                                    "[Window]\nState=Min\n[Time]\nSound=Yes\nSound2=Yes\nDisplay=HalfHour\n");
    EXPECT_FALSE(on.firstStart);
    EXPECT_TRUE(on.onTop && on.staySmall && on.shrinkOnLaunch && on.trayOnLaunch && on.animateTray && on.checkExit
                && on.graphLocked && on.minimised);
    EXPECT_EQ(on.showHints, true);
    EXPECT_EQ(on.hourSound, true);
    EXPECT_EQ(on.halfHourSound, true);
    EXPECT_EQ(on.display, ClockDisplay::HalfHour);

    // "yes", "1" or blanks are not "Yes": the flag is off, and a three-state one is left
    // as the window was built.
    const StartupSettings odd = Read("[Location]\nOnTop=yes\nShrink=1\nShowHint=maybe\n"
                                     "[Window]\nState=min\n[Time]\n12Hour=no\nSound=On\nDisplay=No\n");
    EXPECT_FALSE(odd.onTop);
    EXPECT_FALSE(odd.shrinkOnLaunch);
    EXPECT_FALSE(odd.minimised);
    EXPECT_EQ(odd.showHints, std::nullopt);
    EXPECT_EQ(odd.hourSound, std::nullopt);
    EXPECT_TRUE(odd.twelveHour); // only "No" turns the 12-hour clock off
    EXPECT_EQ(odd.display, ClockDisplay::Other);

    const StartupSettings off = Read("[Location]\nShowHint=No\n[Time]\n12Hour=No\nSound=No\n");
    EXPECT_EQ(off.showHints, false);
    EXPECT_FALSE(off.twelveHour);
    EXPECT_EQ(off.hourSound, false);
}

TEST(StartupSettings, OlderGaugeNamesAndDamagedNumbers)
{
    EXPECT_EQ(Read("[Gauge]\nType=E:\\\n").gaugeType, "EHardDrive");
    EXPECT_EQ(Read("[Gauge]\nType=GDIResource\n").gaugeType, "SystemMemory1");
    const StartupSettings s = Read("[Location]\nTop=12abc\nLeft=0x20\nShrinkX=\n[Tabs]\nSelectedColor=red\n");
    EXPECT_EQ(s.barLeft, 32);
    EXPECT_EQ(s.lockedLeft, 0);
    EXPECT_EQ(s.selectedTabColor, 12632256);
    EXPECT_TRUE(s.firstStart); // an unreadable top is the default, -50
}

} // namespace
} // namespace kex
