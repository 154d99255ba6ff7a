#include <QAction>
#include <QMenu>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

#include "ui/window/BarMenus.h"

namespace kex {
namespace {

BarMenus::Guard Plain()
{
    return [](const std::function<void()>& handler) { handler(); };
}

// A drive letter's item is the one of its designer name ("CHardDrive" ...); letters
// outside C to Z have none.
TEST(BarMenusTest, EachDriveLetterHasItsItem)
{
    QWidget window;
    BarMenus menus(window, Plain());
    for (char letter = 'C'; letter <= 'Z'; ++letter)
        EXPECT_EQ(menus.DriveGraph(letter), menus.Item(QString(QChar(letter)) + "HardDrive")) << letter;
    for (char outside : {'A', 'B', '['})
        EXPECT_EQ(menus.DriveGraph(outside), nullptr) << outside;
}

// Items the bar does not offer are taken out of the menus; their typed members then
// answer null, never an item that is gone.
TEST(BarMenusTest, ItemsTakenOutAnswerNullAndAreNotSources)
{
    struct Case {
        bool cdRom, sixteenOnly;
    } cases[] = {{true, false}, {false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "cd " << c.cdRom << " sixteen " << c.sixteenOnly);
        QWidget window;
        BarMenus menus(window, Plain());
        menus.Prepare(c.cdRom, c.sixteenOnly);
        menus.Prepare(c.cdRom, c.sixteenOnly); // a rebuild prepares them again
        EXPECT_EQ(menus.CdTray() != nullptr, c.cdRom);
        EXPECT_EQ(menus.Buttons16() != nullptr, !c.sixteenOnly);
        EXPECT_EQ(menus.Buttons21() != nullptr, !c.sixteenOnly);
        EXPECT_EQ(menus.Item("UserResources1"), nullptr);
        EXPECT_EQ(menus.Item("GDIResources1"), nullptr);
        menus.Connect(menus.CdTray(), [] {}); // an item not offered connects nothing
        menus.HideUnconnected();
        const std::vector<QAction*> sources = menus.GaugeSources();
        EXPECT_EQ(sources.size(), size_t('Z' - 'C' + 1 + 4));
        for (QAction* source : sources)
            EXPECT_EQ(menus.GaugeSource(source->objectName().toStdString()), source);
        EXPECT_EQ(menus.GaugeSource("UserResources1"), nullptr);
        EXPECT_EQ(menus.GaugeSource("MoveButton1"), nullptr) << "not a source";
        EXPECT_EQ(menus.GaugeSource(""), nullptr);
    }
}

TEST(BarMenusTest, ConnectedItemsStayAndRunGuarded)
{
    QWidget window;
    int guarded = 0, ran = 0;
    BarMenus menus(window, [&](const std::function<void()>& handler) {
        ++guarded;
        handler();
    });
    menus.Connect(menus.AddPage(), [&] { ++ran; });
    menus.HideUnconnected();
    EXPECT_TRUE(menus.AddPage()->isVisible());
    EXPECT_FALSE(menus.DeletePage()->isVisible());
    EXPECT_FALSE(menus.ClockOptions()->isVisible()) << "a sub-menu with nothing connected goes";
    menus.AddPage()->trigger();
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(guarded, 1);
}

} // namespace
} // namespace kex
