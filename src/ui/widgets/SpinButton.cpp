// The spin button and its two repeating halves.
#include "ui/widgets/SpinButton.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QTimer>

namespace kex {

namespace {

// A small filled triangle pointing up or down, 9 x 5, in the button text colour.
QPixmap ArrowGlyph(bool up, const QColor& color)
{
    QPixmap glyph(9, 5);
    glyph.fill(Qt::transparent);
    QPainter p(&glyph);
    p.setPen(color);
    for (int row = 0; row < 5; ++row) {
        const int y = up ? row : 4 - row;
        p.drawLine(4 - row, y, 4 + row, y);
    }
    return glyph;
}

} // namespace

// ---- one half

TTimerSpeedButton::TTimerSpeedButton(QWidget* parent) : QWidget(parent), repeat_(new QTimer(this))
{
    setFocusPolicy(Qt::NoFocus);
    repeat_->setTimerType(Qt::PreciseTimer);
    connect(repeat_, &QTimer::timeout, this, &TTimerSpeedButton::Repeat);
}

void TTimerSpeedButton::SetGlyph(const QPixmap& glyph)
{
    glyph_ = glyph;
    update();
}

void TTimerSpeedButton::SetFocused(bool focused)
{
    if (focused_ == focused)
        return;
    focused_ = focused;
    update();
}

QRect TTimerSpeedButton::FocusRect() const
{
    QRect r = rect().adjusted(3, 3, -3, -3);
    return Down() ? r.translated(1, 1) : r;
}

void TTimerSpeedButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    Q_EMIT Pressed();
    pressed_ = over_ = true;
    update();
    Q_EMIT Click();
    repeat_->start(kRepeatDelayMs);
}

void TTimerSpeedButton::mouseMoveEvent(QMouseEvent* event)
{
    if (!pressed_)
        return;
    const bool over = rect().contains(event->position().toPoint());
    if (over != over_) {
        over_ = over;
        update();
    }
}

void TTimerSpeedButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !pressed_)
        return;
    pressed_ = over_ = false;
    repeat_->stop();
    update();
}

void TTimerSpeedButton::Repeat()
{
    // The first repeat comes after the delay, the next ones at the interval; while the
    // pointer is off the half it does not click but keeps its pace.
    repeat_->setInterval(kRepeatIntervalMs);
    if (Down())
        Q_EMIT Click();
}

void TTimerSpeedButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QStyleOptionButton option;
    option.initFrom(this);
    option.state |= Down() ? QStyle::State_Sunken : QStyle::State_Raised;
    style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &option, &p, this);
    if (!glyph_.isNull()) {
        QPoint at((width() - glyph_.width()) / 2, (height() - glyph_.height()) / 2);
        if (Down())
            at += QPoint(1, 1);
        p.drawPixmap(at, glyph_);
    }
    if (focused_) {
        // A dotted rectangle, drawn by exclusive or so it shows on any face.
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        p.setPen(QPen(Qt::white, 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(FocusRect().adjusted(0, 0, -1, -1));
    }
}

// ---- the pair

TSpinButton::TSpinButton(QWidget* parent)
    : QWidget(parent), up_(new TTimerSpeedButton(this)), down_(new TTimerSpeedButton(this))
{
    up_->setObjectName("UpButton");
    down_->setObjectName("DownButton");
    const QColor text = palette().color(QPalette::ButtonText);
    up_->SetGlyph(ArrowGlyph(true, text));
    down_->SetGlyph(ArrowGlyph(false, text));
    setFocusPolicy(Qt::StrongFocus);
    setMinimumWidth(15);
    resize(20, 25);

    connect(up_, &TTimerSpeedButton::Pressed, this, [this] {
        TakeFocus();
        SetFocusedHalf(Half::Up);
    });
    connect(down_, &TTimerSpeedButton::Pressed, this, [this] {
        TakeFocus();
        SetFocusedHalf(Half::Down);
    });
    connect(up_, &TTimerSpeedButton::Click, this, &TSpinButton::OnUpClick);
    connect(down_, &TTimerSpeedButton::Click, this, &TSpinButton::OnDownClick);
}

QPixmap TSpinButton::UpGlyph() const { return up_->Glyph(); }
void TSpinButton::SetUpGlyph(const QPixmap& glyph) { up_->SetGlyph(glyph); }
QPixmap TSpinButton::DownGlyph() const { return down_->Glyph(); }
void TSpinButton::SetDownGlyph(const QPixmap& glyph) { down_->SetGlyph(glyph); }

void TSpinButton::resizeEvent(QResizeEvent*)
{
    // The upper half takes half the height; the lower the rest, overlapping it by a pixel.
    const int upHeight = height() / 2;
    up_->setGeometry(0, 0, width(), upHeight);
    down_->setGeometry(0, upHeight - 1, width(), height() - upHeight + 1);
}

void TSpinButton::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Up:
        SetFocusedHalf(Half::Up);
        Q_EMIT OnUpClick();
        break;
    case Qt::Key_Down:
        SetFocusedHalf(Half::Down);
        Q_EMIT OnDownClick();
        break;
    case Qt::Key_Space:
        if (focusedHalf_ == Half::Up)
            Q_EMIT OnUpClick();
        else
            Q_EMIT OnDownClick();
        break;
    default: QWidget::keyPressEvent(event);
    }
}

void TSpinButton::focusInEvent(QFocusEvent* event)
{
    ShowFocus();
    QWidget::focusInEvent(event);
}

void TSpinButton::focusOutEvent(QFocusEvent* event)
{
    ShowFocus();
    QWidget::focusOutEvent(event);
}

void TSpinButton::SetFocusedHalf(Half half)
{
    focusedHalf_ = half;
    ShowFocus();
}

void TSpinButton::ShowFocus()
{
    up_->SetFocused(hasFocus() && focusedHalf_ == Half::Up);
    down_->SetFocused(hasFocus() && focusedHalf_ == Half::Down);
}

void TSpinButton::TakeFocus()
{
    if (focusControl_ && focusControl_->isEnabled() && focusControl_->isVisible()
        && focusControl_->focusPolicy() != Qt::NoFocus)
        focusControl_->setFocus(Qt::MouseFocusReason);
    else
        setFocus(Qt::MouseFocusReason);
}

} // namespace kex
