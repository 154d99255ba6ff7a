#include "core/status/SmallMode.h"

namespace kex {

namespace {

// One cause's steps, each seeing the state the ones before it left; later steps
// override what earlier ones asked of the same part of the window.
class Planner {
public:
    explicit Planner(const SmallModeInputs& in) : in_(in), state_(in.state) {}

    SmallModeState State() const { return state_; }

    SmallModePlan Done()
    {
        plan_.next = state_;
        return plan_;
    }

    // Toggles small mode: back to the full bar from the small one; otherwise into the
    // tray or onto the small bar, as "Tray Icon on Launch" and the launch's own
    // decision say.
    void SmallSize(std::optional<bool> shrinkNow)
    {
        plan_.acceptDrops = true;
        if (SmallActive(state_)) {
            FullBar();
        } else if (in_.trayOnLaunch && shrinkNow == false) {
            plan_.watch = true;
            HideInTray();
        } else if (!in_.trayOnLaunch || shrinkNow == true) {
            SmallBar();
        }
        // "Tray Icon on Launch" with a launch that left the decision to the global
        // setting changes nothing here; the launch itself hides the bar.
    }

    void FullBar()
    {
        state_ = SmallModeState::Full;
        plan_.windowShown = true;
        plan_.trayIcon = false;
        plan_.watch = false;
        plan_.shape = in_.onTop ? WindowShape::FullOnTop : WindowShape::FullFramed;
        plan_.menu = PanelMenu::Panel;
        plan_.taskbarEntry = true;
        plan_.place = PlaceOnScreens(in_.full, in_.screens);
        plan_.holdPlace = true;
        plan_.acceptDrops = true;
    }

    // The small bar at the locked place, or where the window stands; the tray icon,
    // when there was one, goes (the small bar stands in for it).
    void SmallBar()
    {
        if (InTray(state_))
            plan_.trayIcon = false;
        state_ = SmallModeState::Small;
        const GaugePoint at = in_.graphLocked ? in_.locked : in_.windowPos;
        plan_.windowShown = true;
        plan_.shape = WindowShape::Small;
        plan_.menu = PanelMenu::Tray;
        plan_.taskbarEntry = false;
        plan_.place = PlaceOnScreens({at.X, at.Y, kPanelWidth, kPanelHeight}, in_.screens);
        plan_.holdPlace = true;
        plan_.acceptDrops = true;
    }

    // Hidden behind the icon, which must really show: without a tray the bar shrinks
    // to the small bar instead (and stays there when it is small already).
    void HideInTray()
    {
        if (!in_.trayAvailable) {
            if (!SmallActive(state_))
                SmallBar();
            return;
        }
        state_ = SmallActive(state_) ? SmallModeState::SmallInTray : SmallModeState::Tray;
        plan_.windowShown = false;
        plan_.trayIcon = true;
        plan_.taskbarEntry = false;
    }

    // The full bar out of the tray, where it stood.
    void ShowFromTray()
    {
        if (!InTray(state_))
            return;
        state_ = SmallModeState::Full;
        plan_.windowShown = true;
        plan_.trayIcon = false;
        plan_.taskbarEntry = true;
        plan_.place = PlaceOnScreens(in_.full, in_.screens);
        plan_.holdPlace = true;
    }

    // The full bar, from the small bar or out of the tray.
    void BackToFull()
    {
        if (SmallActive(state_))
            SmallSize(std::nullopt);
        ShowFromTray();
    }

    void Watch(bool on) { plan_.watch = on; }
    void Ignore() { plan_.ignored = true; }

private:
    const SmallModeInputs& in_;
    SmallModeState state_;
    SmallModePlan plan_;
};

} // namespace

SmallModePlan PlanSmallMode(SmallModeCause cause, const SmallModeInputs& in)
{
    Planner p(in);
    switch (cause) {
    case SmallModeCause::TrayClick:
        // A hidden bar always comes back: only a visible one has something the
        // click could disturb.
        if (!in.defaultCursor && !InTray(in.state)) {
            p.Ignore();
            break;
        }
        p.BackToFull();
        break;
    case SmallModeCause::DisplayClick:
        // The display cannot be clicked while it hides.
        if (!in.defaultCursor || InTray(in.state)) {
            p.Ignore();
            break;
        }
        if (!in.trayOnLaunch || SmallActive(p.State()))
            p.SmallSize(in.shrinkNow);
        else
            p.HideInTray();
        break;
    case SmallModeCause::Toggle: p.SmallSize(in.shrinkNow); break;
    case SmallModeCause::StartUp:
        if (in.staySmall)
            p.SmallSize(false);
        break;
    case SmallModeCause::Launch:
        if (in.shrinkNow.value_or(in.shrinkOnLaunch) && !SmallActive(p.State()))
            p.SmallSize(in.shrinkNow);
        p.Watch(true);
        if (in.trayOnLaunch && in.shrinkNow != true)
            p.HideInTray();
        break;
    case SmallModeCause::ProgramEnded:
        if (!in.staySmall)
            p.BackToFull();
        break;
    case SmallModeCause::StartFailed:
    case SmallModeCause::BringIntoView:
        p.BackToFull();
        if (cause == SmallModeCause::StartFailed)
            p.Watch(false);
        break;
    case SmallModeCause::TrayLost:
        if (InTray(p.State()))
            p.SmallBar();
        break;
    }
    return p.Done();
}

bool PlaceKeeper::Settled(SmallModeState state, bool startingUp)
{
    if (changing_) {
        changing_ = false;
        return false;
    }
    return state == SmallModeState::Full && !startingUp;
}

} // namespace kex
