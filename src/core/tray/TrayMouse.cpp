#include "core/tray/TrayMouse.h"

#include <cstdlib>

namespace kex {

TrayMouse::TrayMouse(TRWTimerManager& timers, const PointerQuery& pointer,
                     std::function<void(const TrayReport&)> report)
    : pointer_(pointer), report_(std::move(report)),
      clickTimer_(timers, kDoubleClickWait, [this](TRWTimerItem&) { Resolve(); }),
      leavePoll_(timers, kLeavePoll, [this](TRWTimerItem&) { PollLeave(); })
{
}

void TrayMouse::MouseMove(GaugePoint screenPos)
{
    pos_ = screenPos;
    if (listeners_.mouseEnterExit && !inside_) {
        inside_ = true;
        leavePoll_.SetEnabled(true);
        report_({TrayEvent::MouseEnter, pos_});
        return;
    }
    if (!listeners_.mouseEnterExit)
        inside_ = true;
    // No moves while a press waits: the pointer is not wandering, it is clicking.
    if (listeners_.mouseMove && !clickTimer_.Enabled() && inside_)
        report_({TrayEvent::MouseMove, pos_});
}

void TrayMouse::ButtonDown(TrayButton button)
{
    if (button == TrayButton::Right && listeners_.popup) {
        report_({TrayEvent::Popup, pos_});
        return;
    }
    doubleClick_ = false;
    clickTimer_.Restart(listeners_.dblClick ? kDoubleClickWait : kClickWait);
}

void TrayMouse::DoubleClick(TrayButton)
{
    doubleClick_ = true;
    Resolve();
}

void TrayMouse::Resolve()
{
    clickTimer_.SetEnabled(false);
    report_({doubleClick_ ? TrayEvent::DblClick : TrayEvent::Click, pos_});
}

void TrayMouse::PollLeave()
{
    const std::optional<GaugePoint> now = pointer_.CursorPos();
    if (!now)
        return;
    const auto near = [](int a, int b) { return std::llabs(static_cast<long long>(a) - b) <= kLeaveSlack; };
    if (near(now->X, pos_.X) && near(now->Y, pos_.Y))
        return;
    inside_ = false;
    leavePoll_.SetEnabled(false);
    report_({TrayEvent::MouseExit, pos_});
}

} // namespace kex
