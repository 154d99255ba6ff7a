#include "ui/system/OnTop.h"

#include <QEvent>
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

namespace kex {

namespace {

xcb_atom_t Atom(xcb_connection_t* c, std::string_view name)
{
    const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(c, 0, uint16_t(name.size()), name.data());
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(xcb_intern_atom_reply(c, cookie, nullptr),
                                                                          &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

} // namespace

void RestoreTopMost(QWidget& window)
{
    if (QGuiApplication::platformName() != "xcb" || !window.isVisible() || window.isMinimized())
        return;
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c)
        return;
    // The application has one X connection for its whole run.
    static const xcb_atom_t state = Atom(c, "_NET_WM_STATE"), above = Atom(c, "_NET_WM_STATE_ABOVE");
    if (state == XCB_ATOM_NONE || above == XCB_ATOM_NONE)
        return;
    const auto id = xcb_window_t(window.winId());
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, id, state, XCB_ATOM_ATOM, 0, 64), nullptr), &std::free);
    if (!reply)
        return;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / int(sizeof(xcb_atom_t));
    for (int i = 0; i < count; ++i)
        if (atoms[i] == above)
            return; // still on top
    // The window manager's way to change a state: a request to the root window
    // (_NET_WM_STATE_ADD, from a normal application).
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    xcb_client_message_event_t message;
    std::memset(&message, 0, sizeof message);
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = id;
    message.type = state;
    message.data.data32[0] = 1;
    message.data.data32[1] = above;
    message.data.data32[3] = 1;
    xcb_send_event(c, 0, screen->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(c);
}

TOnTop::TOnTop(QWidget& owner, Restore restore) : QObject(&owner), owner_(owner), restore_(std::move(restore))
{
    setObjectName("OnTop1");
    owner_.installEventFilter(this);
}

bool TOnTop::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &owner_ && (event->type() == QEvent::WindowDeactivate || event->type() == QEvent::Paint) &&
        owner_.windowFlags().testFlag(Qt::WindowStaysOnTopHint) && restore_)
        restore_(owner_);
    return QObject::eventFilter(watched, event);
}

} // namespace kex
