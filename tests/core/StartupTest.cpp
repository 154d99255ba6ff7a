#include <gtest/gtest.h>

#include "core/window/Startup.h"

namespace kex {

void PrintTo(const ScreenRect& r, std::ostream* os)
{
    *os << "{" << r.Left << ", " << r.Top << ", " << r.Width << ", " << r.Height << "}";
}

namespace {

TEST(CommandLine, ArgumentsGiveSuffixAndSyncMode)
{
    struct Case {
        std::vector<std::string> args;
        std::string suffix;
        bool sync;
    } cases[] = {
        {{}, "", false},
        {{"desk"}, "desk", false},
        {{"/m", "desk"}, "desk", true},
        {{"/M", "desk"}, "desk", true},
        {{"/m"}, "", true},
        {{"/n"}, "tester", false},
        {{"/N", "ignored"}, "tester", false},
        {{"Desk", "other"}, "Desk", false},
    };
    for (const Case& c : cases) {
        CommandLineRequests cl = ParseCommandLine(c.args, "tester");
        EXPECT_EQ(cl.IniSuffix, c.suffix) << (c.args.empty() ? "(none)" : c.args[0]);
        EXPECT_EQ(cl.SyncMode, c.sync) << (c.args.empty() ? "(none)" : c.args[0]);
    }
    // Without a user name "/n" falls back to the plain configuration.
    EXPECT_EQ(ParseCommandLine({"/n"}, "").IniSuffix, "");
}

TEST(CommandLine, FileAndMessageNames)
{
    EXPECT_EQ(ConfigFileName("/opt/kx/", ""), "/opt/kx/KX.INI");
    EXPECT_EQ(ConfigFileName("/opt/kx/", "desk"), "/opt/kx/KXdesk.INI");
    EXPECT_EQ(ConfigFileName("/opt/kx/", "desk", ".BAK"), "/opt/kx/KXdesk.BAK");
    EXPECT_EQ(LoadMessageName("desk"), "UKexbardesk");
    EXPECT_EQ(PageUpdateMessageName("desk"), "UKXFormdesk");
}

// A bar of "desk" on /home/u/KXdesk.INI acts on its own names with wParam 1, when the
// message is about its file or about none (the older form); another directory's
// "desk" configuration is not its business.
TEST(CommandLine, MessagesABarActsOn)
{
    const std::string mine = "/home/u/KXdesk.INI";
    using A = BarMessageAction;
    const std::pair<BarMessage, A> cases[] = {
        {{"UKexbardesk", 1, mine}, A::Reload},
        {{"UKexbardesk", 1, ""}, A::Reload},
        {{"UKXFormdesk", 1, mine}, A::Rebuild},
        {{"UKXFormdesk", 1, ""}, A::Rebuild},
        {{"UKexbardesk", 1, "/home/other/KXdesk.INI"}, A::None},
        {{"UKXFormdesk", 1, "/home/other/KXdesk.INI"}, A::None},
        {{"UKexbardesk", 0, mine}, A::None},
        {{"UKexbardesk", 2, ""}, A::None},
        {{"UKexbar", 1, mine}, A::None},
        {{"UKexbarDESK", 1, mine}, A::None},
        {{"UKexbardesk2", 1, ""}, A::None},
    };
    for (const auto& [message, action] : cases)
        EXPECT_EQ(MessageAction(message, "desk", mine), action)
            << message.name << " " << message.wParam << " " << message.configuration;
}

TEST(Geometry, ScreenWidthDecidesButtonsPerPage)
{
    EXPECT_EQ(ScreenButtonsFor(600), 0);
    EXPECT_EQ(ScreenButtonsFor(601), 16);
    EXPECT_EQ(ScreenButtonsFor(700), 16);
    EXPECT_EQ(ScreenButtonsFor(701), 21);
    EXPECT_EQ(ScreenButtonsFor(1920), 21);
}

TEST(Geometry, FramedAndOnTopShapes)
{
    struct Case {
        int buttons, screenButtons, screenWidth;
        bool onTop;
        int pageWidth, bareHeight, width, height, notebook, scroll;
    } cases[] = {
        // 16 buttons, framed: 576 wide pages, 44 + 583 wide, 19 + 54 + 6 high.
        {16, 21, 1024, false, 576, 54, 627, 79, 583, 0},
        {16, 21, 1024, true, 576, 54, 620, 54, 576, 0},
        {21, 21, 1024, false, 756, 54, 807, 79, 763, 0},
        {21, 21, 1024, true, 756, 54, 800, 54, 756, 0},
        // Pages wider than the screen allows: taller, capped, with a scroll range.
        {21, 16, 700, false, 756, 71, 700, 96, 763, 805},
        {16, 0, 600, true, 576, 71, 600, 71, 576, 618},
        // Within 10 pixels of the screen width the bar keeps its width.
        {16, 16, 618, false, 576, 54, 627, 79, 583, 0},
    };
    for (const Case& c : cases) {
        BarGeometryInput in;
        in.ButtonsPerPage = c.buttons;
        in.ScreenButtons = c.screenButtons;
        in.ScreenWidth = c.screenWidth;
        in.ScreenHeight = 768;
        in.BarTop = 100;
        in.OnTop = c.onTop;
        BarGeometry g = ComputeGeometry(in);
        SCOPED_TRACE(testing::Message() << c.buttons << " buttons, screen " << c.screenWidth
                                        << (c.onTop ? " on top" : " framed"));
        EXPECT_EQ(g.PageWidth, c.pageWidth);
        EXPECT_EQ(g.BareHeight, c.bareHeight);
        EXPECT_EQ(g.WindowWidth, c.width);
        EXPECT_EQ(g.WindowHeight, c.height);
        EXPECT_EQ(g.NotebookWidth, c.notebook);
        EXPECT_EQ(g.HorzScrollRange, c.scroll);
        EXPECT_EQ(g.FramedHeight, 19 + g.BareHeight + 6);
        EXPECT_EQ(g.FramedWidth, g.PageWidth + 7);
    }
}

TEST(Geometry, TopCorrection)
{
    // Default top on a 768-pixel screen: 768 - 18 - 85 = 665.
    BarGeometryInput in;
    in.ScreenHeight = 768;
    in.ScreenButtons = 21;
    in.ButtonsPerPage = 16;
    struct Case {
        int top, expected;
    } cases[] = {{100, 100}, {717, 717}, {718, 675}, {760, 675}, {5000, 675}, {-50, -50}};
    for (const Case& c : cases) {
        in.BarTop = c.top;
        EXPECT_EQ(ComputeGeometry(in).BarTop, c.expected) << c.top;
    }
    // Pages wider than the screen: a bar low on the screen moves above the scroll bar.
    in.ScreenButtons = 16;
    in.ButtonsPerPage = 21;
    in.ScreenWidth = 700;
    in.BarTop = 655;
    EXPECT_EQ(ComputeGeometry(in).BarTop, 650);
    in.BarTop = 654;
    EXPECT_EQ(ComputeGeometry(in).BarTop, 654);
}

TEST(Geometry, TheBarIsBroughtOntoTheScreens)
{
    using R = ScreenRect;
    const R primary{0, 0, 1280, 800};
    const R right{1280, 0, 1920, 1080}; // taller, to the right: a gap below the primary
    struct Case {
        const char* what;
        R bar;
        std::vector<R> screens;
        R placed;
    } cases[] = {
        {"on the screen: where it stands", {30, 100, 620, 73}, {primary}, {30, 100, 620, 73}},
        {"at the screen's very edges", {660, 727, 620, 73}, {primary}, {660, 727, 620, 73}},
        {"far off to the left", {-722, 100, 620, 73}, {primary}, {0, 100, 620, 73}},
        {"one pixel off to the left", {-1, 100, 620, 73}, {primary}, {0, 100, 620, 73}},
        {"off to the right and below", {1000, 790, 620, 73}, {primary}, {660, 727, 620, 73}},
        {"above the screen", {30, -300, 620, 73}, {primary}, {30, 0, 620, 73}},
        {"wider than the screen: its left edge on the screen's",
         {-40, 10, 620, 73},
         {{0, 0, 500, 400}},
         {0, 10, 620, 73}},
        {"across two screens side by side: shown whole", {1000, 100, 620, 73}, {primary, right}, {1000, 100, 620, 73}},
        {"partly in the gap below the smaller screen: onto the one it overlaps most",
         {1000, 780, 620, 73},
         {primary, right},
         {1280, 780, 620, 73}},
        {"off the second screen's right edge", {3100, 500, 620, 73}, {primary, right}, {2580, 500, 620, 73}},
        {"on no screen: onto the primary", {-5000, -5000, 620, 73}, {primary, right}, {0, 0, 620, 73}},
        {"on no screen, the primary listed first", {-5000, 100, 620, 73}, {right, primary}, {1280, 100, 620, 73}},
        {"mirrored screens", {30, 100, 620, 73}, {primary, primary}, {30, 100, 620, 73}},
        {"a screen left of the primary", {-900, 100, 620, 73}, {primary, {-1024, 0, 1024, 768}}, {-900, 100, 620, 73}},
        {"no screens known", {-722, 100, 620, 73}, {}, {-722, 100, 620, 73}},
        {"extreme stored values", {2147483000, -2147483000, 620, 73}, {primary}, {660, 0, 620, 73}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PlaceOnScreens(c.bar, c.screens), c.placed) << c.what;
}

TEST(GaugeType, OlderNamesAreNormalised)
{
    EXPECT_EQ(NormaliseGaugeType("C:"), "CHardDrive");
    EXPECT_EQ(NormaliseGaugeType("D:\\"), "DHardDrive");
    EXPECT_EQ(NormaliseGaugeType("SysResource"), "SystemMemory1");
    EXPECT_EQ(NormaliseGaugeType("UserResource"), "SystemMemory1");
    EXPECT_EQ(NormaliseGaugeType("GDIResource"), "SystemMemory1");
    // A hand-written lower-case letter, and the memory items' own names, which would
    // otherwise check no item and colour a memory load by the drive rules.
    EXPECT_EQ(NormaliseGaugeType("e:"), "EHardDrive");
    EXPECT_EQ(NormaliseGaugeType("UserResources1"), "SystemMemory1");
    EXPECT_EQ(NormaliseGaugeType("GDIResources1"), "SystemMemory1");
    EXPECT_EQ(NormaliseGaugeType("UserResource1"), "SystemMemory1");
    EXPECT_EQ(NormaliseGaugeType("SystemMemory1"), "SystemMemory1");
    EXPECT_EQ(NormaliseGaugeType("ShowTime1"), "ShowTime1");
    EXPECT_EQ(NormaliseGaugeType(""), "");
}

TEST(Caption, PrefixSuffixDateAndPage)
{
    EXPECT_EQ(CaptionText("Zivar32 ", "", "07/12/2026", 1, 10), "Zivar32       07/12/2026      Page 1 of 10");
    EXPECT_EQ(CaptionText("Zivar32 ", "desk", "07/12/2026", 3, 4), "Zivar32 desk      07/12/2026      Page 3 of 4");
}

} // namespace
} // namespace kex
