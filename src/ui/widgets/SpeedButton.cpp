#include "ui/widgets/SpeedButton.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionToolButton>

#include "core/pages/ButtonRecord.h"

namespace kex {

TSpeedButton::TSpeedButton(int number, QWidget* parent) : QToolButton(parent), number_(number)
{
    setObjectName(QString::fromStdString(ButtonKey(number)));
    setAutoRaise(false);
    setFocusPolicy(Qt::NoFocus);
    setIconSize(QSize(32, 33));
    setGeometry(0, 0, 37, 37);
}

void TSpeedButton::SetDown(bool down)
{
    if (down && parentWidget())
        for (TSpeedButton* other : parentWidget()->findChildren<TSpeedButton*>(QString(), Qt::FindDirectChildrenOnly))
            if (other != this && other->down_) {
                other->down_ = false;
                other->update();
            }
    if (down_ != down) {
        down_ = down;
        update();
    }
}

void TSpeedButton::SetGlyph(const QImage& glyph)
{
    hasGlyph_ = !glyph.isNull();
    setIcon(hasGlyph_ ? QIcon(QPixmap::fromImage(glyph)) : QIcon());
    if (hasGlyph_)
        setIconSize(glyph.size());
}

void TSpeedButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        Q_EMIT RightMouseDown(event->button(), int(event->position().x()), int(event->position().y()));
        event->accept();
        return;
    }
    QToolButton::mousePressEvent(event);
}

void TSpeedButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QStyleOptionToolButton opt;
    initStyleOption(&opt);
    if (down_)
        opt.state |= QStyle::State_Sunken | QStyle::State_On;
    style()->drawComplexControl(QStyle::CC_ToolButton, &opt, &p, this);
}

} // namespace kex
