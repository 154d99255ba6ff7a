// The base of the bar's drawn controls: a left click is the control's Click, a right
// click asks for its PopupMenu, which whoever owns the control shows.
#pragma once

#include <QMenu>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include "core/status/GaugeArithmetic.h"

namespace kex {

// The pixels of a rectangle whose right and bottom edges are excluded.
inline QRect ToQRect(const GaugeRect& r) { return QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top); }
// The bounds to give QPainter for an outlined shape (a 1-pixel pen) that covers the
// same pixels: Qt's outline reaches one pixel further right and down.
inline QRect OutlineBounds(const GaugeRect& r)
{
    return QRect(r.Left, r.Top, r.Right - r.Left - 1, r.Bottom - r.Top - 1);
}

class TGraphicControl : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    QMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(QMenu* menu) { popupMenu_ = menu; }

Q_SIGNALS:
    // A left button pressed and released over the control.
    void Click();
    // A right click over a control that has a popup menu; pos is on the screen.
    void PopupRequested(QMenu* menu, const QPoint& pos);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QPointer<QMenu> popupMenu_;
    bool pressed_ = false;
};

} // namespace kex
