// Small mode's decisions: for each cause and situation, the state that follows and
// what the window is to do; and where the small and the full bar land when their
// stored places are off every screen.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/status/SmallMode.h"

namespace kex {
namespace {

using C = SmallModeCause;
using S = SmallModeState;

std::string Describe(const SmallModePlan& p)
{
    static const char* const states[] = {"Full", "Small", "Tray", "SmallInTray"};
    std::string d = states[int(p.next)];
    const auto add = [&d](const std::string& word) { d += " " + word; };
    const auto onOff = [&](const std::optional<bool>& v, const char* what) {
        if (v)
            add((*v ? "+" : "-") + std::string(what));
    };
    if (p.ignored)
        add("ignored");
    if (p.windowShown)
        add(*p.windowShown ? "show" : "hide");
    onOff(p.trayIcon, "icon");
    onOff(p.watch, "watch");
    if (p.shape)
        add(*p.shape == WindowShape::Small ? "small" : *p.shape == WindowShape::FullOnTop ? "ontop" : "framed");
    if (p.menu)
        add(*p.menu == PanelMenu::Tray ? "trayMenu" : "panelMenu");
    onOff(p.taskbarEntry, "taskbar");
    if (p.place)
        add("at(" + std::to_string(p.place->Left) + "," + std::to_string(p.place->Top) + ","
            + std::to_string(p.place->Width) + "," + std::to_string(p.place->Height) + ")");
    if (p.holdPlace)
        add("hold");
    if (p.acceptDrops)
        add("drops");
    return d;
}

// A row's situation in words: "hide" (Tray Icon on Launch), "keep" or "shrink" (the
// launch's own decision; neither: the global one), "noshrink" (Bar Graph on Launch
// off), "notray" (no tray host), "stay" (Stay Small), "busy" (another cursor),
// "ontop". The places are on screen here; off-screen ones are below.
SmallModeInputs InputsOf(S state, const std::string& words)
{
    const auto has = [&](const char* w) {
        return (" " + words + " ").find(" " + std::string(w) + " ") != std::string::npos;
    };
    SmallModeInputs in;
    in.state = state;
    in.trayOnLaunch = has("hide");
    if (has("keep") || has("shrink"))
        in.shrinkNow = has("shrink");
    in.shrinkOnLaunch = !has("noshrink");
    in.trayAvailable = !has("notray");
    in.staySmall = has("stay");
    in.defaultCursor = !has("busy");
    in.onTop = has("ontop");
    in.windowPos = {120, 610}; // the small bar stays where the window stands
    in.full = {100, 600, 700, 80};
    in.screens = {{0, 0, 1280, 800}};
    return in;
}

// The shapes' effects, as the rows expect them.
#define SMALL "show small trayMenu -taskbar at(120,610,44,19) hold drops"
#define SMALL_WATCHED "show +watch small trayMenu -taskbar at(120,610,44,19) hold drops"
#define FULL "show -icon -watch framed panelMenu +taskbar at(100,600,700,80) hold drops"
#define FROM_TRAY "show -icon +taskbar at(100,600,700,80) hold"

TEST(SmallMode, TransitionTable)
{
    struct Row {
        C cause;
        S state;
        const char* situation;
        const char* expected;
    };
    const Row rows[] = {
        // A click on the display toggles the small bar, or hides the bar in the tray.
        {C::DisplayClick, S::Full, "", "Small " SMALL},
        {C::DisplayClick, S::Small, "ontop",
         "Full show -icon -watch ontop panelMenu +taskbar at(100,600,700,80) hold drops"},
        {C::DisplayClick, S::Full, "hide", "Tray hide +icon -taskbar"},
        {C::DisplayClick, S::Full, "hide notray", "Small " SMALL},
        {C::DisplayClick, S::Full, "busy", "Full ignored"},
        {C::DisplayClick, S::Tray, "hide", "Tray ignored"},
        // A click on the icon brings the full bar back, even while a move is pending.
        {C::TrayClick, S::Tray, "hide keep", "Full " FROM_TRAY},
        {C::TrayClick, S::SmallInTray, "hide keep", "Full " FULL},
        {C::TrayClick, S::Tray, "hide keep busy", "Full " FROM_TRAY},
        {C::TrayClick, S::Full, "hide keep busy", "Full ignored"},
        // The keys toggle as the display does, with the launch's decision as it stands.
        {C::Toggle, S::Full, "hide keep", "Tray hide +icon +watch -taskbar drops"},
        {C::Toggle, S::Full, "hide", "Full drops"},
        // A bar that stays small starts small, in the tray when it hides there and can.
        {C::StartUp, S::Full, "hide", "Full"},
        {C::StartUp, S::Full, "stay", "Small " SMALL},
        {C::StartUp, S::Full, "stay hide", "Tray hide +icon +watch -taskbar drops"},
        {C::StartUp, S::Full, "stay hide notray", "Small " SMALL_WATCHED},
        // A launch shrinks by its own decision or the global one, and hides when the
        // tray is wanted and the button does not insist on shrinking; the watch starts.
        {C::Launch, S::Full, "", "Small " SMALL_WATCHED},
        {C::Launch, S::Full, "noshrink", "Full +watch"},
        {C::Launch, S::Full, "hide keep", "Tray hide +icon +watch -taskbar"},
        {C::Launch, S::Full, "hide noshrink", "Tray hide +icon +watch -taskbar"},
        {C::Launch, S::Full, "hide shrink", "Small " SMALL_WATCHED},
        {C::Launch, S::Full, "hide keep notray", "Small " SMALL_WATCHED},
        {C::Launch, S::Small, "hide keep", "SmallInTray hide +icon +watch -taskbar"},
        {C::Launch, S::Small, "hide keep notray", "Small +watch"},
        {C::Launch, S::Tray, "hide shrink",
         "Small show -icon +watch small trayMenu -taskbar at(120,610,44,19) hold drops"},
        // The watched program's end brings the full bar back unless it stays small.
        {C::ProgramEnded, S::Tray, "hide keep", "Full " FROM_TRAY},
        {C::ProgramEnded, S::Small, "keep", "Full " FULL},
        {C::ProgramEnded, S::SmallInTray, "hide keep", "Full " FULL},
        {C::ProgramEnded, S::Small, "keep stay", "Small"},
        // Nothing started: back at once, even when it stays small, and no watch.
        {C::StartFailed, S::Tray, "hide keep stay", "Full show -icon -watch +taskbar at(100,600,700,80) hold"},
        // A held launch shows the bar for its password prompt.
        {C::BringIntoView, S::Tray, "hide keep", "Full " FROM_TRAY},
        // The tray's host went away: the bar comes back as the small bar.
        {C::TrayLost, S::Tray, "hide keep notray",
         "Small show -icon small trayMenu -taskbar at(120,610,44,19) hold drops"},
        {C::TrayLost, S::Full, "hide keep notray", "Full"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::to_string(int(r.cause)) + ": " + r.situation);
        EXPECT_EQ(Describe(PlanSmallMode(r.cause, InputsOf(r.state, r.situation))), r.expected);
    }
}

TEST(SmallMode, PlacesOffEveryScreenComeBackOntoOne)
{
    const std::vector<ScreenRect> one = {{0, 0, 1280, 800}};
    const std::vector<ScreenRect> two = {{0, 0, 1280, 800}, {1280, 0, 1920, 1080}};
    const std::vector<ScreenRect> belowPanel = {{0, 24, 1280, 776}}; // a panel along the top
    struct PlaceRow {
        const char* name;
        C cause;
        S state;
        std::optional<GaugePoint> locked; // the small bar's locked place
        ScreenRect full;                  // the stored full bar
        std::vector<ScreenRect> screens;
        ScreenRect expected;
    };
    const PlaceRow rows[] = {
        {"a locked place beyond the right and bottom edges",
         C::DisplayClick,
         S::Full,
         GaugePoint{5000, 5000},
         {},
         one,
         {1236, 781, 44, 19}},
        {"a locked place left of both screens",
         C::DisplayClick,
         S::Full,
         GaugePoint{-300, 10},
         {},
         two,
         {0, 10, 44, 19}},
        {"a locked place under the top panel comes below it",
         C::DisplayClick,
         S::Full,
         GaugePoint{0, 0},
         {},
         belowPanel,
         {0, 24, 44, 19}},
        {"the full bar stored left of every screen",
         C::ProgramEnded,
         S::Small,
         {},
         {-722, 600, 700, 80},
         one,
         {0, 600, 700, 80}},
        {"the full bar from the tray after its screen was unplugged",
         C::TrayClick,
         S::Tray,
         {},
         {2000, 100, 700, 80},
         one,
         {580, 100, 700, 80}},
    };
    for (const PlaceRow& r : rows) {
        SCOPED_TRACE(r.name);
        SmallModeInputs in;
        in.state = r.state;
        in.graphLocked = r.locked.has_value();
        in.locked = r.locked.value_or(GaugePoint{});
        in.full = r.full;
        in.screens = r.screens;
        EXPECT_EQ(PlanSmallMode(r.cause, in).place, std::optional<ScreenRect>(r.expected));
    }
}

} // namespace
} // namespace kex
