// The tray icon's mouse: what the desktop reports about the pointer and the buttons
// over the icon, turned into the component's events. A press waits on the shared
// timer to learn whether a double click follows (400 ms when someone listens for
// double clicks, else 100 ms); a right press opens the menu instead when the icon pops
// one up; the pointer's arrival is reported at once and its leaving by a 70 ms poll.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "core/status/GaugeArithmetic.h"
#include "core/tray/TimerManager.h"

namespace kex {

enum class TrayButton : std::uint8_t { Left, Right, Middle };

enum class TrayEvent : std::uint8_t { Click, DblClick, MouseMove, MouseEnter, MouseExit, Popup };

// One event for the component to raise, with the pointer's screen position as last
// reported (for Popup: where the menu opens).
struct TrayReport {
    TrayEvent event = TrayEvent::Click;
    GaugePoint pos;
    bool operator==(const TrayReport&) const = default;
};

// Which of the component's events have listeners, and whether a right press pops up
// its menu (AutoPopup with a menu); the resolution depends on them.
struct TrayListeners {
    bool dblClick = false;
    bool mouseMove = false;
    bool mouseEnterExit = false; // either of the two
    bool popup = false;
};

// Where the pointer is now; nothing when the desktop cannot tell.
class PointerQuery {
public:
    virtual ~PointerQuery() = default;
    virtual std::optional<GaugePoint> CursorPos() const = 0;
};

class TrayMouse {
public:
    static constexpr std::uint32_t kClickWait = 100;
    static constexpr std::uint32_t kDoubleClickWait = 400;
    static constexpr std::uint32_t kLeavePoll = 70;
    static constexpr int kLeaveSlack = 2; // pixels the pointer may drift and still be over the icon

    // report receives every event; the manager and the query outlive this object.
    TrayMouse(TRWTimerManager& timers, const PointerQuery& pointer, std::function<void(const TrayReport&)> report);

    // The component's listeners as they are now (they may change at any time).
    void SetListeners(const TrayListeners& listeners) { listeners_ = listeners; }

    void MouseMove(GaugePoint screenPos);
    void ButtonDown(TrayButton button);
    // Button releases decide nothing.
    void ButtonUp(TrayButton) {}
    // The desktop's double click: resolved at once.
    void DoubleClick(TrayButton button);

    bool Inside() const { return inside_; }
    // A press is waiting for its resolution.
    bool ClickPending() const { return clickTimer_.Enabled(); }

private:
    void Resolve();
    void PollLeave();

    const PointerQuery& pointer_;
    std::function<void(const TrayReport&)> report_;
    TrayListeners listeners_;
    GaugePoint pos_;
    bool inside_ = false;
    bool doubleClick_ = false;
    TRWTimerItem clickTimer_;
    TRWTimerItem leavePoll_;
};

} // namespace kex
