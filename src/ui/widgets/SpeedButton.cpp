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
    glyph_ = hasGlyph_ ? QPixmap::fromImage(glyph) : QPixmap();
    setIcon(hasGlyph_ ? QIcon(glyph_) : QIcon()); // what the button shows, for those who ask
    if (hasGlyph_)
        setIconSize(glyph.deviceIndependentSize().toSize());
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
    opt.icon = QIcon();
    style()->drawComplexControl(QStyle::CC_ToolButton, &opt, &p, this);
    if (glyph_.isNull())
        return;
    // The glyph in the middle, shifted as the style shifts a pressed button's content.
    QRect at(QPoint(), glyph_.deviceIndependentSize().toSize());
    at.moveCenter(rect().center());
    if (opt.state & (QStyle::State_Sunken | QStyle::State_On))
        at.translate(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &opt, this),
                     style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &opt, this));
    p.drawPixmap(at, glyph_);
}

} // namespace kex
