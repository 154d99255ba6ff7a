#include "ui/widgets/TabSet.h"

#include <QEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>

#include <algorithm>

namespace kex {

namespace {

constexpr int kStartMargin = 4; // space before the first tab
constexpr int kEndMargin = 2;   // space after the last tab
constexpr int kSlant = 5;       // horizontal run of a tab's slanted edge
constexpr int kTextPad = 3;     // caption to slant
constexpr int kArrowWidth = 13; // one scroll arrow button
constexpr int kArrowGap = 2;    // between the tabs and the arrows

QFont DefaultTabFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(11);
    font.setBold(true);
    return font;
}

} // namespace

TTabSet::TTabSet(QWidget* parent) : QWidget(parent)
{
    setFont(DefaultTabFont());
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TTabSet::SetTabs(const QStringList& tabs)
{
    tabs_ = tabs;
    if (tabIndex_ >= Count())
        tabIndex_ = Count() - 1;
    firstIndex_ = std::clamp(firstIndex_, 0, std::max(0, Count() - 1));
    update();
}

void TTabSet::SetTabCaption(int i, const QString& caption)
{
    if (i < 0 || i >= Count() || tabs_[i] == caption)
        return;
    tabs_[i] = caption;
    update();
}

void TTabSet::SetTabIndex(int index)
{
    if (index < -1 || index >= Count())
        return;
    tabIndex_ = index;
    if (index >= 0) {
        // Scroll just far enough that the tab is shown.
        if (index < firstIndex_)
            firstIndex_ = index;
        while (firstIndex_ < index && ComputeLayout().LastVisible < index)
            ++firstIndex_;
    }
    update();
}

void TTabSet::SetFirstIndex(int index)
{
    index = std::clamp(index, 0, std::max(0, Count() - 1));
    if (index == firstIndex_)
        return;
    firstIndex_ = index;
    update();
}

void TTabSet::SetSelectedColor(const QColor& colour)
{
    if (colour == selectedColor_)
        return;
    selectedColor_ = colour;
    update();
}

void TTabSet::SetUnselectedColor(const QColor& colour)
{
    if (colour == unselectedColor_)
        return;
    unselectedColor_ = colour;
    update();
}

int TTabSet::TabWidth(int i) const
{
    return QFontMetrics(font()).horizontalAdvance(tabs_[i]) + 2 * (kSlant + kTextPad);
}

TTabSet::TabLayout TTabSet::ComputeLayout() const
{
    TabLayout layout;
    layout.Rects.assign(tabs_.size(), QRect());
    const int w = width();
    const int h = height();
    const int arrowsLeft = w - 2 * kArrowWidth - 1;

    // Place tabs from the first visible one while they fit whole; neighbours share
    // their slanted edges. The first visible tab is always placed (clipped if it
    // is wider than the strip).
    auto place = [&](int right) {
        std::fill(layout.Rects.begin(), layout.Rects.end(), QRect());
        layout.LastVisible = -1;
        int x = kStartMargin;
        for (int i = firstIndex_; i < Count(); ++i) {
            const int tw = TabWidth(i);
            if (i > firstIndex_ && x + tw > right)
                break;
            layout.Rects[i] = QRect(x, 0, tw, h);
            layout.LastVisible = i;
            x += tw - kSlant;
        }
    };

    layout.TabsRight = w - kEndMargin;
    place(layout.TabsRight);
    const bool allFit =
        layout.LastVisible == Count() - 1 && (Count() == 0 || layout.Rects[Count() - 1].right() < layout.TabsRight);
    if (firstIndex_ > 0 || !allFit) {
        layout.Arrows = true;
        layout.TabsRight = arrowsLeft - kArrowGap;
        place(layout.TabsRight);
    }
    return layout;
}

bool TTabSet::ScrollArrowsShown() const { return ComputeLayout().Arrows; }

QRect TTabSet::ScrollLeftRect() const
{
    if (!ScrollArrowsShown())
        return {};
    return QRect(width() - 2 * kArrowWidth - 1, 1, kArrowWidth, std::max(4, height() - 4));
}

QRect TTabSet::ScrollRightRect() const
{
    if (!ScrollArrowsShown())
        return {};
    return QRect(width() - kArrowWidth - 1, 1, kArrowWidth, std::max(4, height() - 4));
}

QRect TTabSet::ItemRect(int i) const
{
    if (i < 0 || i >= Count())
        return {};
    return ComputeLayout().Rects[i];
}

int TTabSet::ItemAtPos(QPoint pos) const
{
    if (!rect().contains(pos))
        return -1;
    const TabLayout layout = ComputeLayout();
    if (pos.x() >= layout.TabsRight)
        return -1; // the arrows or the margin
    // Neighbouring tabs overlap by one slant; the boundary between them lies in
    // the middle of that overlap.
    for (int i = firstIndex_; i <= layout.LastVisible; ++i) {
        const QRect& r = layout.Rects[i];
        const int left = i == firstIndex_ ? r.left() : r.left() + kSlant / 2;
        const int right = i == layout.LastVisible ? r.right() : r.right() - kSlant + kSlant / 2;
        if (pos.x() >= left && pos.x() <= right)
            return i;
    }
    return -1;
}

QSize TTabSet::sizeHint() const { return {575, 18}; }

QSize TTabSet::minimumSizeHint() const { return {2 * kArrowWidth + 40, 12}; }

void TTabSet::DrawTab(QPainter& painter, const QRect& r, const QString& caption, bool selected) const
{
    const int bottom = selected ? r.height() - 1 : r.height() - 3;
    const int x0 = r.left();
    const int x1 = r.right();
    const QPolygon shape({QPoint(x0, 0), QPoint(x0 + kSlant, bottom), QPoint(x1 - kSlant, bottom), QPoint(x1, 0)});

    painter.setPen(Qt::NoPen);
    painter.setBrush(selected ? selectedColor_ : unselectedColor_);
    painter.drawPolygon(shape);

    // Edges: dark outline on the sides and bottom, a light line inside the left
    // edge of the selected tab. The top stays open for the selected tab so that it
    // joins the notebook above; the other tabs keep the strip's top line.
    painter.setPen(QPen(Qt::black, 1));
    painter.drawLine(QPoint(x0, 0), QPoint(x0 + kSlant, bottom));
    painter.drawLine(QPoint(x0 + kSlant, bottom), QPoint(x1 - kSlant, bottom));
    painter.drawLine(QPoint(x1 - kSlant, bottom), QPoint(x1, 0));
    if (selected) {
        painter.setPen(QPen(Qt::white, 1));
        painter.drawLine(QPoint(x0 + 1, 0), QPoint(x0 + 1 + kSlant, bottom - 1));
        painter.setPen(QPen(selectedColor_.darker(150), 1));
        painter.drawLine(QPoint(x0 + kSlant + 1, bottom - 1), QPoint(x1 - kSlant - 1, bottom - 1));
    } else {
        painter.drawLine(QPoint(x0, 0), QPoint(x1, 0));
    }

    painter.setPen(Qt::black);
    const QRect textRect(x0 + kSlant, 0, r.width() - 2 * kSlant, r.height() - 2);
    painter.drawText(textRect, Qt::AlignCenter | Qt::TextSingleLine, caption);
}

void TTabSet::DrawArrow(QPainter& painter, const QRect& r, bool pointsLeft, bool enabled) const
{
    // A small raised button with a triangle.
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette().color(QPalette::Button));
    painter.drawRect(r);
    painter.setPen(Qt::white);
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(Qt::black);
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(r.bottomLeft() + QPoint(1, -1), r.bottomRight() + QPoint(-1, -1));
    painter.drawLine(r.topRight() + QPoint(-1, 1), r.bottomRight() + QPoint(-1, -1));

    const QPoint c = r.center();
    const int half = std::max(2, std::min(r.width(), r.height()) / 4);
    const int dir = pointsLeft ? -1 : 1;
    const QPolygon triangle({QPoint(c.x() + dir * (half - 1), c.y()), QPoint(c.x() - dir * (half - 1), c.y() - half),
                             QPoint(c.x() - dir * (half - 1), c.y() + half)});
    painter.setPen(Qt::NoPen);
    painter.setBrush(enabled ? palette().color(QPalette::Active, QPalette::ButtonText)
                             : palette().color(QPalette::Disabled, QPalette::ButtonText));
    painter.drawPolygon(triangle);
}

void TTabSet::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setFont(font());
    painter.fillRect(rect(), palette().color(backgroundRole()));

    const TabLayout layout = ComputeLayout();

    // The notebook's lower edge runs along the top of the strip.
    painter.setPen(QPen(Qt::black, 1));
    painter.drawLine(QPoint(0, 0), QPoint(width() - 1, 0));

    painter.save();
    painter.setClipRect(QRect(0, 0, layout.TabsRight, height()));
    // Right to left so that each tab's left edge lies over its right neighbour;
    // the selected tab is drawn last, above both neighbours.
    for (int i = layout.LastVisible; i >= firstIndex_ && i >= 0; --i) {
        if (i != tabIndex_)
            DrawTab(painter, layout.Rects[i], tabs_[i], false);
    }
    if (tabIndex_ >= firstIndex_ && tabIndex_ <= layout.LastVisible)
        DrawTab(painter, layout.Rects[tabIndex_], tabs_[tabIndex_], true);
    painter.restore();

    if (layout.Arrows) {
        DrawArrow(painter, ScrollLeftRect(), true, firstIndex_ > 0);
        DrawArrow(painter, ScrollRightRect(), false, layout.LastVisible < Count() - 1);
    }
}

void TTabSet::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    const TabLayout layout = ComputeLayout();
    if (layout.Arrows) {
        // The arrows scroll the strip and nothing else.
        if (ScrollLeftRect().contains(pos)) {
            if (event->button() == Qt::LeftButton && firstIndex_ > 0)
                SetFirstIndex(firstIndex_ - 1);
            return;
        }
        if (ScrollRightRect().contains(pos)) {
            if (event->button() == Qt::LeftButton && layout.LastVisible < Count() - 1)
                SetFirstIndex(firstIndex_ + 1);
            return;
        }
    }
    if (event->button() == Qt::LeftButton) {
        const int index = ItemAtPos(pos);
        if (index >= 0 && index != tabIndex_) {
            tabIndex_ = index;
            update();
            Q_EMIT Click();
        }
    }
    Q_EMIT MouseDown(event->button(), event->modifiers(), pos.x(), pos.y());
}

void TTabSet::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange)
        update();
    QWidget::changeEvent(event);
}

} // namespace kex
