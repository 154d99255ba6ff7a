#include "ui/status/SmallMode.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>

#include <vector>

#include "core/bar/BarStore.h"
#include "core/window/StartupSettings.h"
#include "platform/TPlatform.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/launch/Launcher.h"
#include "ui/tray/TrayIcon95.h"
#include "ui/widgets/EnhancedGauge.h"
#include "ui/widgets/Eyes.h"
#include "ui/window/BarContext.h"
#include "ui/window/WindowState.h"

namespace kex {

SmallMode::SmallMode(BarContext& context, SmallModeWindow& window, const SmallModeWidgets& widgets,
                     const SmallModeMenus& menus, const WindowState& bar, const Launcher& launcher, TRWTrayIcon95& tray,
                     QObject* parent)
    : QObject(parent), context_(context), window_(window), w_(widgets), menus_(menus), bar_(bar), launcher_(launcher),
      tray_(tray), currentMenu_(menus.panelMenu)
{
    setObjectName("SmallMode");
    auto guarded = [this](void (SmallMode::*handler)()) {
        return [this, handler] { context_.guard.Guarded([&] { (this->*handler)(); }); };
    };
    // An item has taken its new check mark when it is triggered.
    auto guardedCheck = [this](void (SmallMode::*handler)(bool)) {
        return [this, handler](bool on) { context_.guard.Guarded([&] { (this->*handler)(on); }); };
    };
    const std::pair<QAction*, void (SmallMode::*)(bool)> items[] = {
        {menus_.staySmall, &SmallMode::StaySmallClick},       {menus_.shrinkOnLaunch, &SmallMode::ShrinkOnLaunchClick},
        {menus_.trayOnLaunch, &SmallMode::TrayOnLaunchClick}, {menus_.lockGraph, &SmallMode::LockGraphClick},
        {menus_.animateTray, &SmallMode::AnimateTrayClick},
    };
    for (const auto& [item, handler] : items) {
        connect(item, &QAction::triggered, this, guardedCheck(handler));
        item->setVisible(true);
    }
    ShowOptions();
    connect(w_.gauge, &TGraphicControl::Click, this, guarded(&SmallMode::DisplayClick));
    connect(w_.eyes, &TGraphicControl::Click, this, guarded(&SmallMode::DisplayClick));
    connect(&tray_, &TRWTrayIcon95::OnClick, this, guarded(&SmallMode::TrayClick));
    connect(&tray_, &TRWTrayIcon95::HostLost, this,
            [this] { context_.guard.Guarded([this] { Apply(SmallModeCause::TrayLost); }); });
    w_.panel->installEventFilter(this);
}

void SmallMode::ApplySettings(const StartupSettings& settings)
{
    options_.trayOnLaunch = settings.trayOnLaunch;
    options_.animateTray = settings.animateTray;
    // A locked place locks; an unlocked one leaves the lock as it is.
    if (settings.graphLocked)
        options_.graphLocked = true;
    options_.shrinkOnLaunch = settings.shrinkOnLaunch;
    options_.staySmall = settings.staySmall;
    ShowOptions();
    lockedLeft_ = settings.lockedLeft;
    lockedTop_ = settings.lockedTop;
    tray_.SetState(settings.animateTray ? TRWTrayIconState::tsAnimated : TRWTrayIconState::tsEnabled);
}

SmallModeInputs SmallMode::Inputs() const
{
    SmallModeInputs in;
    in.state = state_;
    // The bar shows another cursor while a move is pending or work is under way.
    in.defaultCursor = QGuiApplication::overrideCursor() == nullptr;
    in.shrinkOnLaunch = options_.shrinkOnLaunch;
    in.trayOnLaunch = options_.trayOnLaunch;
    in.shrinkNow = launcher_.ShrinkNow();
    in.staySmall = options_.staySmall;
    in.trayAvailable = TRWTrayIcon95::TrayAvailable();
    in.onTop = bar_.OnTop;
    in.graphLocked = options_.graphLocked;
    in.locked = {lockedLeft_, lockedTop_};
    const QPoint at = window_.Position();
    in.windowPos = {at.x(), at.y()};
    in.full = {bar_.BarLeft, bar_.BarTop, bar_.FullWidth, bar_.FullHeight};
    for (const QRect& r : context_.platform.ScreenGeometries())
        in.screens.push_back({r.x(), r.y(), r.width(), r.height()});
    return in;
}

void SmallMode::Apply(SmallModeCause cause)
{
    const SmallModePlan plan = PlanSmallMode(cause, Inputs());
    if (!plan.ignored)
        Carry(plan);
}

void SmallMode::Carry(const SmallModePlan& plan)
{
    if (plan.holdPlace)
        keeper_.ShapeChanging();
    if (plan.windowShown == false)
        window_.Hide();
    if (plan.trayIcon)
        tray_.SetActive(*plan.trayIcon);
    // The launched-program watch runs from each launch on; with no program to wait
    // for its rounds do nothing, so the launcher keeps it (plan.watch is not needed).
    const SmallModeState before = state_;
    // What the window manager's frame adds above and left of the full bar, kept for
    // the way back: a re-created window's frame is not known until it is managed.
    if (before == SmallModeState::Full && plan.next != SmallModeState::Full && window_.Shown())
        frameOffset_ = window_.FrameOffset();
    state_ = plan.next; // the moves the new shape makes see the new state
    if (plan.shape)
        SetShape(*plan.shape);
    if (plan.menu)
        SetMenu(*plan.menu);
    if (plan.taskbarEntry)
        window_.SetTaskbarEntry(*plan.taskbarEntry);
    if (plan.windowShown == true) {
        window_.ShowRaised();
        // Qt writes the state of a window it maps from its own flags: the window
        // manager is asked again once the window is shown.
        // The window manager takes the request once it manages the window.
        if (plan.taskbarEntry) {
            const bool entry = *plan.taskbarEntry;
            QTimer::singleShot(0, this, [this, entry] {
                if (window_.Shown())
                    window_.SetTaskbarEntry(entry);
            });
        }
    }
    // Placed once shown: a new shape may have re-created the native window, and the
    // window manager places a new window where it likes.
    if (plan.place) {
        ScreenRect place = *plan.place;
        if (state_ == SmallModeState::Full) {
            // The full shape was laid out just now: its place and size as they stand.
            std::vector<ScreenRect> screens;
            for (const QRect& r : context_.platform.ScreenGeometries())
                screens.push_back({r.x(), r.y(), r.width(), r.height()});
            place = PlaceOnScreens({bar_.BarLeft, bar_.BarTop, bar_.FullWidth, bar_.FullHeight}, screens);
        }
        // The full bar's window goes inside the frame it had, so that the frame stands
        // where it stood.
        const bool inFrame = state_ == SmallModeState::Full && !frameOffset_.isNull();
        window_.PlaceAt(QPoint(place.Left, place.Top), inFrame ? std::optional(frameOffset_) : std::nullopt);
    }
    // A change of shape may re-create the native window: it takes dropped files again.
    if (plan.acceptDrops)
        window_.TakeDrops();
    if (plan.holdPlace)
        Q_EMIT PlaceHeld();
    if (before != state_)
        Q_EMIT StateChanged(state_);
}

void SmallMode::SetShape(WindowShape shape)
{
    if (shape != WindowShape::Small) {
        Q_EMIT FullShapeRequested();
        return;
    }
    // The panel alone, without scrolling.
    w_.scrollBar->setValue(0);
    w_.scrollBar->hide();
    window_.SetSmallShape();
}

void SmallMode::SetMenu(PanelMenu menu)
{
    currentMenu_ = menu == PanelMenu::Tray ? menus_.trayMenu : menus_.panelMenu;
    w_.gauge->SetPopupMenu(currentMenu_);
    w_.eyes->SetPopupMenu(currentMenu_);
}

bool SmallMode::eventFilter(QObject* watched, QEvent* event)
{
    // The panel's own clicks (where neither the gauge nor the eyes cover it).
    if (watched == w_.panel) {
        if (event->type() == QEvent::MouseButtonPress && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            return true; // the release comes here
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton && w_.panel->rect().contains(mouse->position().toPoint())) {
                context_.guard.Guarded([this] { DisplayClick(); });
                return true;
            }
        } else if (event->type() == QEvent::ContextMenu && currentMenu_) {
            const QPoint at = static_cast<QContextMenuEvent*>(event)->globalPos();
            context_.guard.Guarded([&] { context_.dialogs.Popup(currentMenu_, at); });
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

// ---- the options' items

void SmallMode::ShowOptions()
{
    menus_.staySmall->setChecked(options_.staySmall);
    menus_.shrinkOnLaunch->setChecked(options_.shrinkOnLaunch);
    menus_.trayOnLaunch->setChecked(options_.trayOnLaunch);
    menus_.lockGraph->setChecked(options_.graphLocked);
    menus_.animateTray->setChecked(options_.animateTray);
}

void SmallMode::StaySmallClick(bool on)
{
    options_.staySmall = on;
    Q_EMIT OptionsChanged(options_);
    context_.store.SaveStaySmall(on);
}

// The two launch choices exclude each other; both may be off.
void SmallMode::ShrinkOnLaunchClick(bool on) { SetLaunchChoice(on, on ? false : options_.trayOnLaunch); }

void SmallMode::TrayOnLaunchClick(bool on) { SetLaunchChoice(on ? false : options_.shrinkOnLaunch, on); }

void SmallMode::SetLaunchChoice(bool shrink, bool tray)
{
    options_.shrinkOnLaunch = shrink;
    options_.trayOnLaunch = tray;
    ShowOptions();
    Q_EMIT OptionsChanged(options_);
    context_.store.SaveLaunchChoice(shrink, tray);
}

void SmallMode::LockGraphClick(bool on)
{
    // Locking takes the place where the window stands; unlocking keeps the stored one.
    options_.graphLocked = on;
    if (on) {
        lockedLeft_ = window_.Position().x();
        lockedTop_ = window_.Position().y();
    }
    Q_EMIT OptionsChanged(options_);
    context_.store.SaveGraphLock(on, lockedLeft_, lockedTop_);
}

void SmallMode::AnimateTrayClick(bool on)
{
    options_.animateTray = on;
    Q_EMIT OptionsChanged(options_);
    tray_.SetState(on ? TRWTrayIconState::tsAnimated : TRWTrayIconState::tsEnabled);
    context_.store.SaveAnimateTray(on);
}

} // namespace kex
