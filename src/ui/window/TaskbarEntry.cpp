// The window's entry in the desktop's taskbar and pager, on X11.
#include "ui/window/TaskbarEntry.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <cstdlib>
#include <cstring>
#include <vector>

#include <xcb/xcb.h>

namespace kex {

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
