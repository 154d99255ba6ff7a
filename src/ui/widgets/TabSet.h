// TTabSet: the strip of page tabs below the button notebook. Tabs hang from the top
// edge as trapezoids, the selected one open towards the notebook; when the tabs do
// not fit, two small scroll arrows at the right end move the first visible tab.
#pragma once

#include <QColor>
#include <QRect>
#include <QStringList>
#include <QWidget>

#include <vector>

class QPainter;

namespace kex {

class TTabSet : public QWidget {
    Q_OBJECT

public:
    explicit TTabSet(QWidget* parent = nullptr);

    // The tab captions, one per page. The selection is kept when it still names a
    // tab, else it moves to the last tab (-1 for no tabs).
    void SetTabs(const QStringList& tabs);
    QStringList Tabs() const { return tabs_; }
    int Count() const { return int(tabs_.size()); }
    void SetTabCaption(int i, const QString& caption);

    // Selected tab, -1 for none. Setting it emits nothing and scrolls the strip so
    // that the tab is visible; values outside -1 .. Count() - 1 are ignored.
    int TabIndex() const { return tabIndex_; }
    void SetTabIndex(int index);

    // The first visible tab (the strip's scroll position), 0 .. Count() - 1.
    int FirstIndex() const { return firstIndex_; }
    void SetFirstIndex(int index);

    // Hit test in widget coordinates: the index of the tab under the point (the
    // first visible index already counted in), -1 where no tab lies (beside the
    // tabs, on the scroll arrows, outside the widget).
    int ItemAtPos(QPoint pos) const;
    // Rectangle of tab i in widget coordinates; empty when the tab is not shown.
    QRect ItemRect(int i) const;

    void SetSelectedColor(const QColor& colour);
    QColor SelectedColor() const { return selectedColor_; }
    void SetUnselectedColor(const QColor& colour);
    QColor UnselectedColor() const { return unselectedColor_; }

    // The scroll arrows: shown when the tabs do not all fit or the strip is
    // scrolled; their rectangles are empty while hidden.
    bool ScrollArrowsShown() const;
    QRect ScrollLeftRect() const;
    QRect ScrollRightRect() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    // A left press selected another tab (TabIndex() already names it).
    void Click();
    // Every press on the strip outside the scroll arrows, after Click() when the
    // press changed the selection; x and y relative to the strip.
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct TabLayout {
        std::vector<QRect> Rects; // per tab; empty when not shown
        int LastVisible = -1;     // last tab shown, -1 when none
        bool Arrows = false;
        int TabsRight = 0; // tabs are clipped at this x
    };
    TabLayout ComputeLayout() const;
    int TabWidth(int i) const;
    void DrawTab(QPainter& painter, const QRect& rect, const QString& caption, bool selected) const;
    void DrawArrow(QPainter& painter, const QRect& rect, bool pointsLeft, bool enabled) const;

    QStringList tabs_;
    int tabIndex_ = -1;
    int firstIndex_ = 0;
    QColor selectedColor_{0xC0, 0xC0, 0xC0};   // silver
    QColor unselectedColor_{0x00, 0x80, 0x80}; // teal
};

} // namespace kex
