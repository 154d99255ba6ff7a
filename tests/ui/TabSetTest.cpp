// The page tab strip: hit test and item rectangles (also scrolled), colours as
// painted, the selection and the signals of mouse presses.
#include "ui/widgets/TabSet.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "Pixels.h"

using kex::TTabSet;

namespace {

QStringList Names(const QString& stem, int count)
{
    QStringList names;
    for (int i = 1; i <= count; ++i)
        names << stem + QString::number(i);
    return names;
}

// A shown strip of the bar's size (or narrower), so that presses arrive as they do
// on screen.
struct TStrip {
    TTabSet Tabs;
    TStrip(const QStringList& names, int width = 575)
    {
        Tabs.resize(width, 18);
        Tabs.SetTabs(names);
        Tabs.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&Tabs));
    }
};

} // namespace

TEST(TabSet, EveryShownTabIsFoundAtItsRectangleAndNothingBesideThem)
{
    TStrip strip(Names("Page", 5));
    TTabSet& tabs = strip.Tabs;
    ASSERT_FALSE(tabs.ScrollArrowsShown());

    int previousRight = -1;
    for (int i = 0; i < tabs.Count(); ++i) {
        const QRect r = tabs.ItemRect(i);
        ASSERT_FALSE(r.isEmpty()) << "tab " << i;
        EXPECT_GT(r.right(), previousRight) << "tabs run left to right";
        previousRight = r.right();
        EXPECT_EQ(tabs.ItemAtPos(r.center()), i);
        EXPECT_EQ(tabs.ItemAtPos(QPoint(r.center().x(), 1)), i) << "top row";
        EXPECT_EQ(tabs.ItemAtPos(QPoint(r.center().x(), tabs.height() - 1)), i) << "bottom row";
    }
    // Neighbouring tabs share one boundary: no gap and no point claimed twice.
    for (int x = tabs.ItemRect(0).left(); x <= tabs.ItemRect(4).right(); ++x) {
        const int hit = tabs.ItemAtPos(QPoint(x, 8));
        EXPECT_GE(hit, 0) << "gap at x = " << x;
    }

    const QRect last = tabs.ItemRect(4);
    EXPECT_EQ(tabs.ItemAtPos(QPoint(last.right() + 1, 8)), -1);
    EXPECT_EQ(tabs.ItemAtPos(QPoint(tabs.width() - 2, 8)), -1);
    EXPECT_EQ(tabs.ItemAtPos(QPoint(0, 8)), -1) << "left margin";
    EXPECT_EQ(tabs.ItemAtPos(QPoint(last.center().x(), 18)), -1) << "below the strip";
    EXPECT_EQ(tabs.ItemAtPos(QPoint(-3, 8)), -1);
    EXPECT_TRUE(tabs.ItemRect(5).isEmpty());
    EXPECT_TRUE(tabs.ItemRect(-1).isEmpty());
}

TEST(TabSet, ScrolledStripShiftsTheIndexesByTheFirstVisibleTab)
{
    TStrip strip(Names("Accessories ", 20), 300);
    TTabSet& tabs = strip.Tabs;
    ASSERT_TRUE(tabs.ScrollArrowsShown());
    const QRect arrows = tabs.ScrollLeftRect().united(tabs.ScrollRightRect());

    const QPoint firstSpot = tabs.ItemRect(0).center();
    const int firstLeft = tabs.ItemRect(0).left();
    EXPECT_EQ(tabs.ItemAtPos(firstSpot), 0);
    int lastShown = 0;
    while (lastShown + 1 < tabs.Count() && !tabs.ItemRect(lastShown + 1).isEmpty())
        ++lastShown;
    ASSERT_LT(lastShown, tabs.Count() - 1) << "not all tabs fit";
    EXPECT_LT(tabs.ItemRect(lastShown).right(), arrows.left()) << "shown tabs stay clear of the arrows";

    tabs.SetFirstIndex(3);
    EXPECT_EQ(tabs.FirstIndex(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(tabs.ItemRect(i).isEmpty()) << "tab " << i << " scrolled out";
    EXPECT_EQ(tabs.ItemAtPos(firstSpot), 3) << "the leftmost place now holds tab 3";
    EXPECT_EQ(tabs.ItemRect(3).left(), firstLeft);
    for (int i = 3; !tabs.ItemRect(i).isEmpty(); ++i)
        EXPECT_EQ(tabs.ItemAtPos(tabs.ItemRect(i).center()), i);
    EXPECT_EQ(tabs.ItemAtPos(tabs.ScrollLeftRect().center()), -1);
    EXPECT_EQ(tabs.ItemAtPos(tabs.ScrollRightRect().center()), -1);

    // The first visible index stays within the tabs.
    tabs.SetFirstIndex(99);
    EXPECT_EQ(tabs.FirstIndex(), 19);
    tabs.SetFirstIndex(-4);
    EXPECT_EQ(tabs.FirstIndex(), 0);
}

TEST(TabSet, SelectingATabScrollsItIntoView)
{
    TStrip strip(Names("Accessories ", 20), 300);
    TTabSet& tabs = strip.Tabs;

    tabs.SetTabIndex(19);
    EXPECT_EQ(tabs.TabIndex(), 19);
    EXPECT_GT(tabs.FirstIndex(), 0);
    const QRect last = tabs.ItemRect(19);
    ASSERT_FALSE(last.isEmpty());
    EXPECT_LT(last.right(), tabs.ScrollLeftRect().left());
    tabs.SetFirstIndex(tabs.FirstIndex() - 1);
    EXPECT_TRUE(tabs.ItemRect(19).isEmpty()) << "scrolled no further than needed";

    tabs.SetTabIndex(2);
    EXPECT_EQ(tabs.FirstIndex(), 2);

    // Out of range values are ignored; -1 clears the selection.
    tabs.SetTabIndex(20);
    EXPECT_EQ(tabs.TabIndex(), 2);
    tabs.SetTabIndex(-2);
    EXPECT_EQ(tabs.TabIndex(), 2);
    tabs.SetTabIndex(-1);
    EXPECT_EQ(tabs.TabIndex(), -1);
}

TEST(TabSet, NewTabListsKeepOrClampTheSelection)
{
    TTabSet tabs;
    tabs.resize(575, 18);
    EXPECT_EQ(tabs.TabIndex(), -1);
    tabs.SetTabs(Names("Page", 5));
    tabs.SetTabIndex(4);
    tabs.SetTabs(Names("Page", 8));
    EXPECT_EQ(tabs.TabIndex(), 4);
    tabs.SetTabs(Names("Page", 3));
    EXPECT_EQ(tabs.TabIndex(), 2);
    EXPECT_EQ(tabs.Count(), 3);
    tabs.SetTabCaption(1, "Games");
    tabs.SetTabCaption(7, "ignored");
    EXPECT_EQ(tabs.Tabs(), QStringList({"Page1", "Games", "Page3"}));
    tabs.SetTabs({});
    EXPECT_EQ(tabs.TabIndex(), -1);
    EXPECT_EQ(tabs.FirstIndex(), 0);
    EXPECT_EQ(tabs.ItemAtPos(QPoint(20, 8)), -1);
}

TEST(TabSet, SelectedAndUnselectedTabsArePaintedInTheirColours)
{
    TStrip strip(Names("Page", 6));
    TTabSet& tabs = strip.Tabs;
    tabs.SetTabIndex(2);

    // The defaults: silver selected, teal unselected.
    EXPECT_EQ(tabs.SelectedColor(), QColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(tabs.UnselectedColor(), QColor(0x00, 0x80, 0x80));

    const QColor selected(0x12, 0x9a, 0x56);
    const QColor unselected(0xd0, 0x60, 0x20);
    tabs.SetSelectedColor(selected);
    tabs.SetUnselectedColor(unselected);
    QImage image = tabs.grab().toImage();
    const int area = tabs.ItemRect(2).width() * tabs.height();
    EXPECT_GT(kex::CountColour(image, tabs.ItemRect(2), selected), area / 3);
    EXPECT_EQ(kex::CountColour(image, tabs.ItemRect(0), selected), 0);
    EXPECT_EQ(kex::CountColour(image, tabs.ItemRect(5), selected), 0);
    EXPECT_GT(kex::CountColour(image, tabs.ItemRect(0), unselected), area / 3);
    EXPECT_GT(kex::CountColour(image, tabs.ItemRect(5), unselected), area / 3);
    // Only the slant a neighbour shares may show the other colour.
    EXPECT_LT(kex::CountColour(image, tabs.ItemRect(2), unselected), area / 8);

    // The rename highlight: the selected tab in pure red, and back.
    tabs.SetSelectedColor(QColor(255, 0, 0));
    image = tabs.grab().toImage();
    EXPECT_GT(kex::CountColour(image, tabs.ItemRect(2), QColor(255, 0, 0)), area / 3);
    EXPECT_EQ(kex::CountColour(image, tabs.ItemRect(2), selected), 0);

    // Moving the selection moves the colour.
    tabs.SetSelectedColor(selected);
    tabs.SetTabIndex(4);
    image = tabs.grab().toImage();
    EXPECT_GT(kex::CountColour(image, tabs.ItemRect(4), selected), area / 3);
    EXPECT_GT(kex::CountColour(image, tabs.ItemRect(2), unselected), area / 3);
}

TEST(TabSet, LeftPressSelectsAndClicksOnlyOnChangeEveryPressReportsMouseDown)
{
    TStrip strip(Names("Page", 6));
    TTabSet& tabs = strip.Tabs;
    tabs.SetTabIndex(0);
    QSignalSpy clicks(&tabs, &TTabSet::Click);
    QSignalSpy downs(&tabs, &TTabSet::MouseDown);
    // Click comes before MouseDown, with the new selection already in place.
    std::vector<std::pair<std::string, int>> order;
    QObject::connect(&tabs, &TTabSet::Click, [&] { order.push_back({"Click", tabs.TabIndex()}); });
    QObject::connect(&tabs, &TTabSet::MouseDown, [&] { order.push_back({"MouseDown", tabs.TabIndex()}); });

    const QPoint onThird = tabs.ItemRect(3).center();
    QTest::mousePress(&tabs, Qt::LeftButton, Qt::NoModifier, onThird);
    QTest::mouseRelease(&tabs, Qt::LeftButton, Qt::NoModifier, onThird);
    EXPECT_EQ(tabs.TabIndex(), 3);
    ASSERT_EQ(clicks.count(), 1);
    ASSERT_EQ(downs.count(), 1);
    EXPECT_EQ(downs[0][0].value<Qt::MouseButton>(), Qt::LeftButton);
    EXPECT_EQ(downs[0][2].toInt(), onThird.x());
    EXPECT_EQ(downs[0][3].toInt(), onThird.y());
    ASSERT_EQ(order.size(), 2u);
    EXPECT_EQ(order[0], std::make_pair(std::string("Click"), 3));
    EXPECT_EQ(order[1], std::make_pair(std::string("MouseDown"), 3));

    // The same tab again: no Click.
    QTest::mousePress(&tabs, Qt::LeftButton, Qt::NoModifier, onThird);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(downs.count(), 2);

    // A right press with Shift selects nothing itself and reports where it was.
    const QPoint onFifth = tabs.ItemRect(5).center();
    QTest::mousePress(&tabs, Qt::RightButton, Qt::ShiftModifier, onFifth);
    EXPECT_EQ(tabs.TabIndex(), 3);
    EXPECT_EQ(clicks.count(), 1);
    ASSERT_EQ(downs.count(), 3);
    EXPECT_EQ(downs[2][0].value<Qt::MouseButton>(), Qt::RightButton);
    EXPECT_EQ(downs[2][1].value<Qt::KeyboardModifiers>(), Qt::KeyboardModifiers(Qt::ShiftModifier));
    EXPECT_EQ(downs[2][2].toInt(), onFifth.x());
    EXPECT_EQ(tabs.ItemAtPos(QPoint(downs[2][2].toInt(), downs[2][3].toInt())), 5);

    // Beside the tabs: MouseDown only.
    QTest::mousePress(&tabs, Qt::LeftButton, Qt::NoModifier, QPoint(tabs.width() - 3, 8));
    EXPECT_EQ(tabs.TabIndex(), 3);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(downs.count(), 4);
}

TEST(TabSet, ScrollArrowsMoveTheFirstVisibleTabAndReportNoPress)
{
    TStrip strip(Names("Accessories ", 20), 300);
    TTabSet& tabs = strip.Tabs;
    tabs.SetTabIndex(0);
    QSignalSpy clicks(&tabs, &TTabSet::Click);
    QSignalSpy downs(&tabs, &TTabSet::MouseDown);

    QTest::mousePress(&tabs, Qt::LeftButton, Qt::NoModifier, tabs.ScrollLeftRect().center());
    EXPECT_EQ(tabs.FirstIndex(), 0) << "already at the start";
    QTest::mousePress(&tabs, Qt::LeftButton, Qt::NoModifier, tabs.ScrollRightRect().center());
    QTest::mousePress(&tabs, Qt::LeftButton, Qt::NoModifier, tabs.ScrollRightRect().center());
    EXPECT_EQ(tabs.FirstIndex(), 2);
    QTest::mousePress(&tabs, Qt::LeftButton, Qt::NoModifier, tabs.ScrollLeftRect().center());
    EXPECT_EQ(tabs.FirstIndex(), 1);
    EXPECT_EQ(tabs.TabIndex(), 0) << "scrolling does not select";

    // The right arrow stops once the last tab is shown.
    for (int i = 0; i < 40; ++i)
        QTest::mousePress(&tabs, Qt::LeftButton, Qt::NoModifier, tabs.ScrollRightRect().center());
    EXPECT_FALSE(tabs.ItemRect(19).isEmpty());
    const int stoppedAt = tabs.FirstIndex();
    tabs.SetFirstIndex(stoppedAt - 1);
    EXPECT_TRUE(tabs.ItemRect(19).isEmpty()) << "the arrow went no further than needed";

    EXPECT_EQ(clicks.count(), 0);
    EXPECT_EQ(downs.count(), 0);
}
