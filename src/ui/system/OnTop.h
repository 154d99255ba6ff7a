// TOnTop: the stay-on-top keeper ("OnTop1"). An on-top bar that something pushed down
// from the top layer (a dialog or message box, another program) is put back on top
// whenever the bar is deactivated or repainted, without being moved, resized or
// activated. It watches its owner's events and takes none of them away.
#pragma once

#include <QObject>

#include <functional>

class QWidget;

namespace kex {

// Puts a window that asks to stay on top back into the top layer where the window
// manager no longer keeps it there (X11: its _NET_WM_STATE lacks
// _NET_WM_STATE_ABOVE). Does nothing on other platforms and for a window not shown.
void RestoreTopMost(QWidget& window);

class TOnTop : public QObject {
    Q_OBJECT
public:
    using Restore = std::function<void(QWidget&)>;
    // Lives as long as `owner` (its child). `restore` puts the owner back on top.
    explicit TOnTop(QWidget& owner, Restore restore = RestoreTopMost);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& owner_;
    Restore restore_;
};

} // namespace kex
