// SmallModeWindow: what small mode does with the bar's window, and all it may do. The
// window implements it; small mode is never given the window itself.
#pragma once

#include <QPoint>

#include <optional>

namespace kex {

class SmallModeWindow {
public:
    // Whether the window is shown (it may still be covered or minimised).
    virtual bool Shown() const = 0;
    virtual void ShowRaised() = 0;
    virtual void Hide() = 0;
    // Where the window stands on the desktop, its frame included.
    virtual QPoint Position() const = 0;
    // The client area's top-left within the frame the window manager draws around it,
    // as it stands (known while the window is shown).
    virtual QPoint FrameOffset() const = 0;
    // Puts the frame's top-left at `frame`; with `clientOffset`, the client area goes
    // there within the frame instead (a frame the window manager has not drawn yet
    // for a new native window). Through the native window, once there is one.
    virtual void PlaceAt(QPoint frame, std::optional<QPoint> clientOffset) = 0;
    // The small bar's shape: borderless, above other windows, a tool window (no
    // taskbar entry where the desktop follows the window type), 44 x 19.
    virtual void SetSmallShape() = 0;
    // The window's entry in the desktop's taskbar and pager.
    virtual void SetTaskbarEntry(bool entry) = 0;
    // Dropped files are taken again (a new shape may have made a new native window).
    virtual void TakeDrops() = 0;

protected:
    ~SmallModeWindow() = default;
};

} // namespace kex
