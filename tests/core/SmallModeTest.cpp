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
        add("at(" + std::to_string(p.place->Left) + "," + std::to_string(p.place->Top) + "," +
            std::to_string(p.place->Width) + "," + std::to_string(p.place->Height) + ")");
    if (p.holdPlace)
        add("hold");
    if (p.acceptDrops)
        add("drops");
    return d;
}

// The situation of one row; the places are on screen here (off-screen ones below).
struct Row {
    C cause;
    S state;
    bool trayOnLaunch = false;
    std::optional<bool> shrinkNow = {};
    bool trayAvailable = true;
    bool staySmall = false;
    bool defaultCursor = true;
    bool shrinkOnLaunch = true;
    bool onTop = false;
    const char* expected = "";
};

SmallModeInputs InputsOf(const Row& r)
{
    SmallModeInputs in;
    in.state = r.state;
    in.trayOnLaunch = r.trayOnLaunch;
    in.shrinkNow = r.shrinkNow;
    in.trayAvailable = r.trayAvailable;
    in.staySmall = r.staySmall;
    in.defaultCursor = r.defaultCursor;
    in.shrinkOnLaunch = r.shrinkOnLaunch;
    in.onTop = r.onTop;
    in.windowPos = {100, 600};
    in.full = {100, 600, 700, 80};
    in.locked = {900, 20};
    in.screens = {{0, 0, 1280, 800}};
    return in;
}

// The shapes' effects, as the rows expect them.
#define SMALL "show small trayMenu -taskbar at(100,600,44,19) hold drops"
#define FULL "show -icon -watch framed panelMenu +taskbar at(100,600,700,80) hold drops"
#define FROM_TRAY "show -icon +taskbar at(100,600,700,80) hold"

TEST(SmallMode, TransitionTable)
{
    const bool Y = true, N = false;
    const std::optional<bool> none;
    const Row rows[] = {
        // A click on the display toggles the small bar, or hides the bar in the tray.
        {C::DisplayClick, S::Full, N, none, Y, N, Y, Y, N, "Small " SMALL},
        {C::DisplayClick, S::Small, N, none, Y, N, Y, Y, N, "Full " FULL},
        {C::DisplayClick, S::Small, N, none, Y, N, Y, Y, Y,
         "Full show -icon -watch ontop panelMenu +taskbar at(100,600,700,80) hold drops"},
        {C::DisplayClick, S::Full, Y, none, Y, N, Y, N, N, "Tray hide +icon -taskbar"},
        {C::DisplayClick, S::Full, Y, none, N, N, Y, N, N, "Small " SMALL},
        {C::DisplayClick, S::Small, Y, none, Y, N, Y, N, N, "Full " FULL},
        {C::DisplayClick, S::Full, N, none, Y, N, N, Y, N, "Full ignored"},
        {C::DisplayClick, S::Small, Y, none, Y, N, N, N, N, "Small ignored"},
        {C::DisplayClick, S::Tray, Y, none, Y, N, Y, N, N, "Tray ignored"},
        // A click on the tray icon brings the full bar back, also while a move is pending.
        {C::TrayClick, S::Tray, Y, false, Y, N, Y, N, N, "Full " FROM_TRAY},
        {C::TrayClick, S::SmallInTray, Y, false, Y, N, Y, N, N, "Full " FULL},
        {C::TrayClick, S::Tray, Y, false, Y, N, N, N, N, "Full " FROM_TRAY},
        {C::TrayClick, S::Full, Y, false, Y, N, N, N, N, "Full ignored"},
        // The keys toggle as the display does, with the launch's decision as it stands.
        {C::Toggle, S::Full, N, false, Y, N, Y, N, N, "Small " SMALL},
        {C::Toggle, S::Full, Y, false, Y, N, Y, N, N, "Tray hide +icon +watch -taskbar drops"},
        {C::Toggle, S::Full, Y, false, N, N, Y, N, N, "Small show +watch small trayMenu -taskbar "
                                                      "at(100,600,44,19) hold drops"},
        {C::Toggle, S::Full, Y, none, Y, N, Y, Y, N, "Full drops"},
        {C::Toggle, S::Small, Y, false, Y, N, Y, N, N, "Full " FULL},
        // A bar that stays small starts small, in the tray when it hides there and can.
        {C::StartUp, S::Full, Y, none, Y, N, Y, N, N, "Full"},
        {C::StartUp, S::Full, N, none, Y, Y, Y, Y, N, "Small " SMALL},
        {C::StartUp, S::Full, Y, none, Y, Y, Y, N, N, "Tray hide +icon +watch -taskbar drops"},
        {C::StartUp, S::Full, Y, none, N, Y, Y, N, N, "Small show +watch small trayMenu -taskbar "
                                                      "at(100,600,44,19) hold drops"},
        // A launch shrinks by its own decision or the global one, and hides when the
        // tray is wanted and the button does not insist on shrinking; the watch starts.
        {C::Launch, S::Full, N, none, Y, N, Y, Y, N, "Small show +watch small trayMenu -taskbar "
                                                     "at(100,600,44,19) hold drops"},
        {C::Launch, S::Full, N, none, Y, N, Y, N, N, "Full +watch"},
        {C::Launch, S::Full, N, false, Y, N, Y, Y, N, "Full +watch"},
        {C::Launch, S::Full, Y, false, Y, N, Y, N, N, "Tray hide +icon +watch -taskbar"},
        {C::Launch, S::Full, Y, true, Y, N, Y, N, N, "Small show +watch small trayMenu -taskbar "
                                                     "at(100,600,44,19) hold drops"},
        {C::Launch, S::Full, Y, false, N, N, Y, N, N, "Small show +watch small trayMenu -taskbar "
                                                      "at(100,600,44,19) hold drops"},
        {C::Launch, S::Small, N, true, Y, N, Y, Y, N, "Small +watch"},
        {C::Launch, S::Small, Y, false, Y, N, Y, N, N, "SmallInTray hide +icon +watch -taskbar"},
        {C::Launch, S::Small, Y, false, N, N, Y, N, N, "Small +watch"},
        {C::Launch, S::Tray, Y, false, Y, N, Y, N, N, "Tray hide +icon +watch -taskbar"},
        {C::Launch, S::Tray, Y, true, Y, N, Y, N, N, "Small show -icon +watch small trayMenu -taskbar "
                                                     "at(100,600,44,19) hold drops"},
        // The watched program's end brings the full bar back unless it stays small.
        {C::ProgramEnded, S::Tray, Y, false, Y, N, Y, N, N, "Full " FROM_TRAY},
        {C::ProgramEnded, S::Small, N, false, Y, N, Y, Y, N, "Full " FULL},
        {C::ProgramEnded, S::SmallInTray, Y, false, Y, N, Y, N, N, "Full " FULL},
        {C::ProgramEnded, S::Full, N, false, Y, N, Y, Y, N, "Full"},
        {C::ProgramEnded, S::Small, N, false, Y, Y, Y, Y, N, "Small"},
        {C::ProgramEnded, S::Tray, Y, false, Y, Y, Y, N, N, "Tray"},
        // Nothing started: back at once, even when it stays small, and no watch.
        {C::StartFailed, S::Tray, Y, false, Y, Y, Y, N, N, "Full show -icon -watch +taskbar at(100,600,700,80) hold"},
        {C::StartFailed, S::Small, N, true, Y, Y, Y, Y, N, "Full " FULL},
        {C::StartFailed, S::Full, N, none, Y, N, Y, Y, N, "Full -watch"},
        // A held launch shows the bar for its password prompt.
        {C::BringIntoView, S::Small, N, none, Y, N, Y, Y, N, "Full " FULL},
        {C::BringIntoView, S::Tray, Y, false, Y, N, Y, N, N, "Full " FROM_TRAY},
        // The tray's host went away: the bar comes back as the small bar.
        {C::TrayLost, S::Tray, Y, false, N, N, Y, N, N, "Small show -icon small trayMenu -taskbar "
                                                        "at(100,600,44,19) hold drops"},
        {C::TrayLost, S::SmallInTray, Y, false, N, N, Y, N, N, "Small show -icon small trayMenu -taskbar "
                                                               "at(100,600,44,19) hold drops"},
        {C::TrayLost, S::Full, Y, false, N, N, Y, N, N, "Full"},
    };
    static const char* const causes[] = {"DisplayClick", "TrayClick",   "Toggle",        "StartUp", "Launch",
                                         "ProgramEnded", "StartFailed", "BringIntoView", "TrayLost"};
    int i = 0;
    for (const Row& r : rows) {
        SCOPED_TRACE("row " + std::to_string(i++) + " " + causes[int(r.cause)]);
        EXPECT_EQ(Describe(PlanSmallMode(r.cause, InputsOf(r))), r.expected);
    }
}

TEST(SmallMode, PlacesOffEveryScreenComeBackOntoOne)
{
    const std::vector<TScreenRect> one = {{0, 0, 1280, 800}};
    const std::vector<TScreenRect> two = {{0, 0, 1280, 800}, {1280, 0, 1920, 1080}};
    const std::vector<TScreenRect> belowPanel = {{0, 24, 1280, 776}}; // a panel along the top
    struct PlaceRow {
        const char* name;
        C cause;
        S state;
        bool locked;
        TPoint at;        // the locked place, or the window's
        TScreenRect full; // the stored full bar
        std::vector<TScreenRect> screens;
        TScreenRect expected;
    };
    const PlaceRow rows[] = {
        {"a locked place beyond the right and bottom edges", C::DisplayClick, S::Full, true, {5000, 5000},
         {}, one, {1236, 781, 44, 19}},
        {"a locked place on a screen that is gone", C::DisplayClick, S::Full, true, {-300, 10}, {}, two,
         {0, 10, 44, 19}},
        {"a locked place on the second screen stays", C::DisplayClick, S::Full, true, {1500, 900}, {}, two,
         {1500, 900, 44, 19}},
        {"a locked place under the top panel comes below it", C::DisplayClick, S::Full, true, {0, 0}, {},
         belowPanel, {0, 24, 44, 19}},
        {"the window's own place when the small bar is not locked", C::DisplayClick, S::Full, false, {-100, -100},
         {}, one, {0, 0, 44, 19}},
        {"the full bar stored left of every screen", C::ProgramEnded, S::Small, false, {}, {-722, 600, 700, 80},
         one, {0, 600, 700, 80}},
        {"the full bar from the tray after its screen was unplugged", C::TrayClick, S::Tray, false, {},
         {2000, 100, 700, 80}, one, {580, 100, 700, 80}},
    };
    for (const PlaceRow& r : rows) {
        SCOPED_TRACE(r.name);
        SmallModeInputs in;
        in.state = r.state;
        in.trayAvailable = true;
        in.graphLocked = r.locked;
        (r.locked ? in.locked : in.windowPos) = r.at;
        in.full = r.full;
        in.screens = r.screens;
        const SmallModePlan plan = PlanSmallMode(r.cause, in);
        ASSERT_TRUE(plan.place.has_value());
        EXPECT_EQ(*plan.place, r.expected);
    }
}

} // namespace
} // namespace kex
