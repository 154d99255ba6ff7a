#include "ui/status/SmallMode.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdlib>
#include <cstring>
#include <vector>

#include <xcb/xcb.h>

#include "core/bar/BarStore.h"
#include "core/window/StartupSettings.h"
#include "platform/TPlatform.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/launch/Launcher.h"
#include "ui/tray/TrayIcon95.h"
#include "ui/widgets/EnhancedGauge.h"
#include "ui/widgets/Eyes.h"
#include "ui/window/BarContext.h"
#include "ui/window/MainWindow.h"

namespace kex {

SmallMode::SmallMode(BarContext& context, const SmallModeWidgets& widgets, const SmallModeMenus& menus,
                     const WindowState& window, const Launcher& launcher, TRWTrayIcon95& tray, QObject* parent)
    : QObject(parent), context_(context), w_(widgets), menus_(menus), window_(window), launcher_(launcher), tray_(tray),
      currentMenu_(menus.panelMenu)
{
    setObjectName("SmallMode");
    auto guarded = [this](void (SmallMode::*handler)()) {
        return [this, handler] { context_.guard.Guarded([&] { (this->*handler)(); }); };
    };
    const std::pair<QAction*, void (SmallMode::*)()> items[] = {
        {menus_.staySmall, &SmallMode::StaySmallClick},       {menus_.shrinkOnLaunch, &SmallMode::ShrinkOnLaunchClick},
        {menus_.trayOnLaunch, &SmallMode::TrayOnLaunchClick}, {menus_.lockGraph, &SmallMode::LockGraphClick},
        {menus_.animateTray, &SmallMode::AnimateTrayClick},
    };
    for (const auto& [item, handler] : items) {
        connect(item, &QAction::triggered, this, guarded(handler));
        item->setVisible(true);
    }
    connect(w_.gauge, &TGraphicControl::Click, this, guarded(&SmallMode::DisplayClick));
    connect(w_.eyes, &TGraphicControl::Click, this, guarded(&SmallMode::DisplayClick));
    connect(&tray_, &TRWTrayIcon95::OnClick, this, guarded(&SmallMode::TrayClick));
    connect(&tray_, &TRWTrayIcon95::HostLost, this,
            [this] { context_.guard.Guarded([this] { Apply(SmallModeCause::TrayLost); }); });
    w_.panel->installEventFilter(this);
}

bool SmallMode::ShrinkSetting() const { return menus_.shrinkOnLaunch->isChecked(); }

void SmallMode::ApplySettings(const StartupSettings& settings)
{
    menus_.trayOnLaunch->setChecked(settings.trayOnLaunch);
    menus_.animateTray->setChecked(settings.animateTray);
    if (settings.graphLocked)
        menus_.lockGraph->setChecked(true);
    menus_.shrinkOnLaunch->setChecked(settings.shrinkOnLaunch);
    menus_.staySmall->setChecked(settings.staySmall);
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
    in.shrinkOnLaunch = menus_.shrinkOnLaunch->isChecked();
    in.trayOnLaunch = menus_.trayOnLaunch->isChecked();
    in.shrinkNow = launcher_.ShrinkNow();
    in.staySmall = menus_.staySmall->isChecked();
    in.trayAvailable = TRWTrayIcon95::TrayAvailable();
    in.onTop = menus_.onTop->isChecked();
    in.graphLocked = menus_.lockGraph->isChecked();
    in.locked = {lockedLeft_, lockedTop_};
    in.windowPos = {w_.window->x(), w_.window->y()};
    in.full = {window_.BarLeft, window_.BarTop, window_.FullWidth, window_.FullHeight};
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
    QWidget& window = *w_.window;
    if (plan.holdPlace)
        keeper_.ShapeChanging();
    if (plan.windowShown == false)
        window.hide();
    if (plan.trayIcon)
        tray_.SetActive(*plan.trayIcon);
    // The launched-program watch runs from each launch on; with no program to wait
    // for its rounds do nothing, so the launcher keeps it (plan.watch is not needed).
    const SmallModeState before = state_;
    // What the window manager's frame adds above and left of the full bar, kept for
    // the way back: a re-created window's frame is not known until it is managed.
    if (before == SmallModeState::Full && plan.next != SmallModeState::Full && window.isVisible())
        frameOffset_ = window.geometry().topLeft() - window.frameGeometry().topLeft();
    state_ = plan.next; // the moves the new shape makes see the new state
    if (plan.shape)
        SetShape(*plan.shape);
    if (plan.menu)
        SetMenu(*plan.menu);
    if (plan.taskbarEntry)
        SetTaskbarEntry(window, *plan.taskbarEntry);
    if (plan.windowShown == true) {
        window.show();
        window.raise();
        // Qt writes the state of a window it maps from its own flags: the window
        // manager is asked again once the window is shown.
        // The window manager takes the request once it manages the window.
        if (plan.taskbarEntry) {
            const bool entry = *plan.taskbarEntry;
            QTimer::singleShot(0, &window, [&window, entry] {
                if (window.isVisible())
                    SetTaskbarEntry(window, entry);
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
            place = PlaceOnScreens({window_.BarLeft, window_.BarTop, window_.FullWidth, window_.FullHeight}, screens);
        }
        // Through the native window: the widget's own idea of its frame may still be
        // the old shape's. The full bar's window goes inside the frame it had, so that
        // the frame stands where it stood.
        QWindow* native = window.windowHandle();
        if (native && state_ == SmallModeState::Full && !frameOffset_.isNull())
            native->setPosition(QPoint(place.Left, place.Top) + frameOffset_);
        else if (native)
            native->setFramePosition(QPoint(place.Left, place.Top));
        else
            window.move(place.Left, place.Top);
    }
    // A change of shape may re-create the native window: it takes dropped files again.
    if (plan.acceptDrops)
        window.setAcceptDrops(true);
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
    // The panel alone: no scrolling, borderless, above other windows; a tool window
    // has no taskbar entry where the desktop follows the window type.
    w_.scrollBar->setValue(0);
    w_.scrollBar->hide();
    const Qt::WindowFlags flags = Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool;
    if (w_.window->windowFlags() != flags)
        w_.window->setWindowFlags(flags);
    w_.window->setFixedSize(kPanelWidth, kPanelHeight);
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

// ---- the options' items; each item has toggled its check mark before its handler

void SmallMode::StaySmallClick() { context_.store.SaveStaySmall(menus_.staySmall->isChecked()); }

void SmallMode::ShrinkOnLaunchClick()
{
    // The two launch choices exclude each other; both may be off.
    if (menus_.shrinkOnLaunch->isChecked())
        menus_.trayOnLaunch->setChecked(false);
    context_.store.SaveLaunchChoice(menus_.shrinkOnLaunch->isChecked(), menus_.trayOnLaunch->isChecked());
}

void SmallMode::TrayOnLaunchClick()
{
    if (menus_.trayOnLaunch->isChecked())
        menus_.shrinkOnLaunch->setChecked(false);
    context_.store.SaveLaunchChoice(menus_.shrinkOnLaunch->isChecked(), menus_.trayOnLaunch->isChecked());
}

void SmallMode::LockGraphClick()
{
    // Locking takes the place where the window stands; unlocking keeps the stored one.
    if (menus_.lockGraph->isChecked()) {
        lockedLeft_ = w_.window->x();
        lockedTop_ = w_.window->y();
    }
    context_.store.SaveGraphLock(menus_.lockGraph->isChecked(), lockedLeft_, lockedTop_);
}

void SmallMode::AnimateTrayClick()
{
    const bool animate = menus_.animateTray->isChecked();
    tray_.SetState(animate ? TRWTrayIconState::tsAnimated : TRWTrayIconState::tsEnabled);
    context_.store.SaveAnimateTray(animate);
}

// ---- the taskbar entry on X11

namespace {

xcb_atom_t InternAtom(xcb_connection_t* connection, const char* name)
{
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

} // namespace

void SetTaskbarEntry(QWidget& window, bool entry)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return;
    // The native window as it is now: a new shape may have re-created it behind the
    // widget's back, so the widget's own id may be stale.
    window.winId();
    const auto id = static_cast<xcb_window_t>(window.windowHandle()->winId());
    const xcb_atom_t state = InternAtom(connection, "_NET_WM_STATE");
    const xcb_atom_t skip[] = {InternAtom(connection, "_NET_WM_STATE_SKIP_TASKBAR"),
                               InternAtom(connection, "_NET_WM_STATE_SKIP_PAGER")};
    if (state == XCB_ATOM_NONE || skip[0] == XCB_ATOM_NONE || skip[1] == XCB_ATOM_NONE)
        return;
    if (window.isVisible()) {
        // A mapped window asks the window manager.
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = id;
        message.type = state;
        message.data.data32[0] = entry ? 0 : 1; // remove, add
        message.data.data32[1] = skip[0];
        message.data.data32[2] = skip[1];
        message.data.data32[3] = 1; // from an application
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
        xcb_send_event(connection, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&message));
    } else {
        // An unmapped one carries the state it is to be mapped with; Qt adds its own.
        std::vector<xcb_atom_t> atoms;
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, id, state, XCB_ATOM_ATOM, 0, 1024), nullptr);
        if (reply && reply->format == 32 && reply->type == XCB_ATOM_ATOM) {
            const auto* data = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
            const int count = xcb_get_property_value_length(reply) / 4;
            for (int i = 0; i < count; ++i)
                if (data[i] != skip[0] && data[i] != skip[1])
                    atoms.push_back(data[i]);
        }
        std::free(reply);
        if (!entry)
            atoms.insert(atoms.end(), std::begin(skip), std::end(skip));
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, state, XCB_ATOM_ATOM, 32,
                            static_cast<std::uint32_t>(atoms.size()), atoms.data());
    }
    xcb_flush(connection);
}

} // namespace kex
