// SmallMode: the bar at full size, shrunk to its gauge panel (the 44 x 19 small bar,
// borderless, on top, without a taskbar entry), or hidden behind its tray icon. Core's
// PlanSmallMode decides what each cause (a click on the panel or the tray icon, a
// launch, the launched program's end, the keys, the start) does; this object carries
// the plan out on the window, through the face SmallModeWindow, and owns the state and
// the small-mode options' items.
#pragma once

#include <QObject>
#include <QPoint>

#include <optional>

#include "core/status/SmallMode.h"
#include "ui/status/SmallModeWindow.h"

class QAction;
class QFrame;
class QMenu;
class QScrollBar;

namespace kex {

class Launcher;
class TEnhancedGauge;
class TEyes;
class TRWTrayIcon95;
struct BarContext;
struct StartupSettings;
struct WindowState;

// The widgets small mode changes: the gauge panel "Panel1" with the gauge and the eyes
// on it (their clicks and their right-click menu), and the horizontal scroll bar (none
// while small). The window itself it changes through SmallModeWindow.
struct SmallModeWidgets {
    QFrame* panel = nullptr;
    TEnhancedGauge* gauge = nullptr;
    TEyes* eyes = nullptr;
    QScrollBar* scrollBar = nullptr;
};

// The items small mode owns, and the two menus the panel switches between.
struct SmallModeMenus {
    QAction* staySmall = nullptr;      // "Stay &Small"
    QAction* shrinkOnLaunch = nullptr; // "Bar &Graph on Launch"
    QAction* trayOnLaunch = nullptr;   // "Tray &Icon on Launch"
    QAction* lockGraph = nullptr;      // "Lock Graph &Location"
    QAction* animateTray = nullptr;    // "&Animate Tray Icon"
    QMenu* panelMenu = nullptr;        // "PopupMenu3": the panel's menu at full size
    QMenu* trayMenu = nullptr;         // "PopupMenu5": the tray menu
};

// The small-mode options as chosen: the start-up settings, then the items' clicks. The
// items show them.
struct SmallModeOptions {
    bool staySmall = false;
    bool shrinkOnLaunch = true;
    bool trayOnLaunch = false;
    bool graphLocked = false;
    bool animateTray = false;
};

class SmallMode : public QObject {
    Q_OBJECT
public:
    // window: the bar's window, shaped, shown, hidden and placed. bar: the window's
    // state, read for the full bar's place, size and shape. launcher: the launch's own
    // shrink decision (ShrinkNow). The tray icon is configured by its maker; small mode
    // shows and removes it and follows its clicks.
    SmallMode(BarContext& context, SmallModeWindow& window, const SmallModeWidgets& widgets,
              const SmallModeMenus& menus, const WindowState& bar, const Launcher& launcher, TRWTrayIcon95& tray,
              QObject* parent);

    SmallModeState State() const { return state_; }
    bool SmallActive() const { return kex::SmallActive(state_); }
    const SmallModeOptions& Options() const { return options_; }

    // The start-up settings: the options, the locked place and the tray icon's state
    // ("IconState").
    void ApplySettings(const StartupSettings& settings);
    // The window's moves have settled: whether to store where it stands as the bar's
    // place (not while small or hidden, starting up, or moved by a change of shape).
    bool PlaceToStore(bool startingUp) { return keeper_.Settled(state_, startingUp); }

public Q_SLOTS:
    // Toggles between the full bar and the small bar or the tray (F3, the arrows
    // while small, a request from another kexbar). A bar hidden in the tray comes
    // back, as a click on the icon brings it.
    void SmallSize() { Apply(InTray(state_) ? SmallModeCause::TrayClick : SmallModeCause::Toggle); }
    // A click on the panel, the gauge or the eyes; and the tray icon's click.
    void DisplayClick() { Apply(SmallModeCause::DisplayClick); }
    void TrayClick() { Apply(SmallModeCause::TrayClick); }
    // One cause (the launcher's requests, the start, the tray's host gone).
    void Apply(SmallModeCause cause);

Q_SIGNALS:
    // The window lays itself out at full size (framed or on top, as it stands).
    void FullShapeRequested();
    // A change of shape is under way: the window waits for its moves to settle again.
    void PlaceHeld();
    void StateChanged(SmallModeState state);
    // An option's item was clicked: the options as they are now.
    void OptionsChanged(const SmallModeOptions& options);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    SmallModeInputs Inputs() const;
    void Carry(const SmallModePlan& plan);
    void SetShape(WindowShape shape);
    void SetMenu(PanelMenu menu);
    // The options' check marks, from the options.
    void ShowOptions();
    void StaySmallClick(bool on);
    void ShrinkOnLaunchClick(bool on);
    void TrayOnLaunchClick(bool on);
    void SetLaunchChoice(bool shrink, bool tray);
    void LockGraphClick(bool on);
    void AnimateTrayClick(bool on);

    BarContext& context_;
    SmallModeWindow& window_;
    SmallModeWidgets w_;
    SmallModeMenus menus_;
    const WindowState& bar_;
    const Launcher& launcher_;
    TRWTrayIcon95& tray_;
    SmallModeState state_ = SmallModeState::Full;
    SmallModeOptions options_;
    QPoint frameOffset_; // the full bar's window within its frame, as last seen
    PlaceKeeper keeper_;
    int lockedLeft_ = 0, lockedTop_ = 0; // ShrinkX, ShrinkY
    QMenu* currentMenu_ = nullptr;
};

} // namespace kex
