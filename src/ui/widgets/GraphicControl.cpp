// The drawn controls' clicks and popup menu.
#include "ui/widgets/GraphicControl.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>

namespace kex {

void TGraphicControl::mousePressEvent(QMouseEvent* event)
{
    pressed_ = event->button() == Qt::LeftButton;
    QWidget::mousePressEvent(event);
}

void TGraphicControl::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    if (click)
        Q_EMIT Click();
    else
        QWidget::mouseReleaseEvent(event);
}

void TGraphicControl::contextMenuEvent(QContextMenuEvent* event)
{
    if (popupMenu_) {
        Q_EMIT PopupRequested(popupMenu_, event->globalPos());
        event->accept();
    } else {
        QWidget::contextMenuEvent(event);
    }
}

} // namespace kex
