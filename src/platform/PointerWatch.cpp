#include "platform/PointerWatch.h"

#include <QGuiApplication>
#include <QSocketNotifier>

#include <cstdlib>
#include <xcb/xcb.h>
#include <xcb/xinput.h>

namespace kex {

namespace {

class X11PointerWatch : public PointerWatch {
public:
    X11PointerWatch(xcb_connection_t* connection, xcb_window_t root, std::uint8_t opcode, std::function<void()> moved)
        : c_(connection), root_(root), opcode_(opcode), moved_(std::move(moved)),
          notifier_(xcb_get_file_descriptor(connection), QSocketNotifier::Read)
    {
        QObject::connect(&notifier_, &QSocketNotifier::activated, [this] { Read(); });
    }
    ~X11PointerWatch() override
    {
        notifier_.setEnabled(false);
        xcb_disconnect(c_);
    }

    void Arm() override
    {
        if (armed_ || broken_)
            return;
        armed_ = true;
        Select(XCB_INPUT_XI_EVENT_MASK_RAW_MOTION);
    }

private:
    void Select(std::uint32_t bits)
    {
        struct {
            xcb_input_event_mask_t head;
            std::uint32_t bits;
        } mask{{XCB_INPUT_DEVICE_ALL, 1}, bits};
        xcb_input_xi_select_events(c_, root_, 1, &mask.head);
        xcb_flush(c_);
    }

    void Read()
    {
        bool moved = false;
        while (xcb_generic_event_t* e = xcb_poll_for_event(c_)) {
            if ((e->response_type & 0x7f) == XCB_GE_GENERIC) {
                const auto* ge = reinterpret_cast<const xcb_ge_generic_event_t*>(e);
                moved = moved || (ge->extension == opcode_ && ge->event_type == XCB_INPUT_RAW_MOTION);
            }
            std::free(e);
        }
        if (xcb_connection_has_error(c_)) {
            // The display went away: the watch says "moved" once more and rests for
            // good, so that the eyes fall back to asking.
            notifier_.setEnabled(false);
            broken_ = true;
            moved = true;
        } else if (moved && armed_) {
            // One motion is enough: the events stop until the watch is armed again,
            // so that a moving pointer does not wake the bar at the mouse's rate.
            Select(0);
        }
        if (moved && (armed_ || broken_)) {
            armed_ = false;
            moved_();
        }
    }

    xcb_connection_t* c_;
    xcb_window_t root_;
    std::uint8_t opcode_;
    std::function<void()> moved_;
    QSocketNotifier notifier_;
    bool armed_ = false;
    bool broken_ = false;
};

} // namespace

std::unique_ptr<PointerWatch> MakeX11PointerWatch(std::function<void()> moved)
{
    if (QGuiApplication::platformName() != "xcb")
        return nullptr;
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    if (!c || xcb_connection_has_error(c)) {
        if (c)
            xcb_disconnect(c);
        return nullptr;
    }
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_input_id);
    xcb_input_xi_query_version_reply_t* version =
        ext && ext->present ? xcb_input_xi_query_version_reply(c, xcb_input_xi_query_version(c, 2, 2), nullptr)
                            : nullptr;
    const bool xi2 = version && version->major_version >= 2;
    std::free(version);
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    if (!xi2 || !screens.rem) {
        xcb_disconnect(c);
        return nullptr;
    }
    return std::make_unique<X11PointerWatch>(c, screens.data->root, ext->major_opcode, std::move(moved));
}

} // namespace kex
