// Small mode: the bar at full size, shrunk to its gauge (the 44 x 19 small bar), or
// hidden behind its tray icon. PlanSmallMode decides, for one cause (a click on the
// gauge or the tray icon, a launch, the launched program's end, the keys, the start),
// the state that follows and what the window is to do for it; the window carries the
// plan out. The bar hides only behind a tray icon that really shows: where there is
// no tray it shrinks to the small bar instead.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "core/status/GaugeArithmetic.h"
#include "core/window/Startup.h"

namespace kex {

enum class SmallModeState : std::uint8_t {
    Full,        // the full bar
    Small,       // the small bar: 44 x 19, borderless, on top, no taskbar entry
    Tray,        // hidden behind the tray icon, in the full bar's shape
    SmallInTray, // the small bar hidden behind the tray icon (a launch from its menu)
};

// SmallActive: the window has the small bar's shape, seen or not.
constexpr bool SmallActive(SmallModeState s) { return s == SmallModeState::Small || s == SmallModeState::SmallInTray; }
constexpr bool InTray(SmallModeState s) { return s == SmallModeState::Tray || s == SmallModeState::SmallInTray; }

enum class SmallModeCause : std::uint8_t {
    DisplayClick,  // a click on the panel, the gauge or the eyes
    TrayClick,     // the tray icon's click
    Toggle,        // the keys that toggle small mode (F3; Left and Right while small)
    StartUp,       // the start of a bar that stays small
    Launch,        // a program is being started (the launch gate let it pass)
    ProgramEnded,  // the watched program has ended
    StartFailed,   // nothing was started: the bar comes back at once, whatever stays small
    BringIntoView, // a held launch asks for its password in the bar
    TrayLost,      // the tray's host went away while the bar hid behind the icon
};

struct SmallModeInputs {
    SmallModeState state = SmallModeState::Full;
    // Clicks are ignored while the screen cursor is another (a pending move, busy work).
    bool defaultCursor = true;
    bool shrinkOnLaunch = true; // "Bar Graph on Launch"
    bool trayOnLaunch = false;  // "Tray Icon on Launch"
    // The launch's own shrink decision (ShrinkNow); none: shrinkOnLaunch decides.
    std::optional<bool> shrinkNow;
    bool staySmall = false;
    // An icon put into the tray would really show (a tray host is running).
    bool trayAvailable = false;
    bool onTop = false; // the full bar's shape: borderless on top, or framed
    bool graphLocked = false;
    GaugePoint locked;               // LockedLeft, LockedTop
    GaugePoint windowPos;            // where the window stands now
    ScreenRect full;                 // BarLeft, BarTop, FullWidth, FullHeight
    std::vector<ScreenRect> screens; // the screens' available areas, the primary first
};

enum class WindowShape : std::uint8_t { Small, FullOnTop, FullFramed };
// The right-click menu of the panel, the gauge and the eyes.
enum class PanelMenu : std::uint8_t { Panel, Tray };

// What the window does; an empty field leaves that part as it is. The window applies
// it in this order: the place hold (holdPlace), hiding, the tray icon and the watch,
// the shape with the panel's menu and the taskbar entry, showing, then the place
// (only once the window is shown, since a new shape may re-create the native window),
// and the drop registration.
struct SmallModePlan {
    SmallModeState next = SmallModeState::Full;
    bool ignored = false;             // the cause is ignored: nothing changes
    std::optional<bool> windowShown;  // seen afterwards, or hidden
    std::optional<bool> taskbarEntry; // the bar's entry in the taskbar
    std::optional<bool> trayIcon;     // the icon in the tray
    std::optional<bool> watch;        // the launched-program watch
    std::optional<WindowShape> shape;
    std::optional<ScreenRect> place; // outer place and size, on the screens
    std::optional<PanelMenu> menu;
    bool acceptDrops = false; // take dropped files again
    bool holdPlace = false;   // the moves this change makes are not the bar's place
    bool operator==(const SmallModePlan&) const = default;
};

SmallModePlan PlanSmallMode(SmallModeCause cause, const SmallModeInputs& in);

// Which settled moves of the window are the bar's place to store. A change of shape
// re-creates the native window, and the window manager may put it anywhere before the
// window is placed: from ShapeChanging until the moves after it have settled, nothing
// is stored. The window calls ShapeChanging for a plan with holdPlace and restarts its
// settle wait then, so that Settled follows even when nothing moved. Otherwise a
// settled move is stored while the bar is at full size and not starting up.
class PlaceKeeper {
public:
    void ShapeChanging() { changing_ = true; }
    // The window's moves have settled: whether to store where it stands.
    bool Settled(SmallModeState state, bool startingUp);

private:
    bool changing_ = false;
};

} // namespace kex
