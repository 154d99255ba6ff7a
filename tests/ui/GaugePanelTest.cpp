// The gauge panel's controls in the main window: which one a start shows, the
// right-click menu, "Show Eyes", and a control's error reaching the error box.
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>

#include "FormFixture.h"
#include "ui/widgets/EnhancedGauge.h"
#include "ui/widgets/Eyes.h"

namespace kex {
namespace {

using GaugePanelTest = FormTest;

void RightClick(QWidget* w)
{
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(3, 3), w->mapToGlobal(QPoint(3, 3)));
    QApplication::sendEvent(w, &event);
}

TEST_F(GaugePanelTest, StoredTypeDecidesBetweenGaugeAndActiveEyes)
{
    struct Case {
        std::string type;
        bool eyes;
    } cases[] = {{"Eyes1", true}, {"SystemMemory1", false}, {"DHardDrive", false}, {"nonsense", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        WriteIni("[Location]\nTop=100\n[Gauge]\nType=" + c.type + "\n");
        MainWindow& f = Start();
        EXPECT_EQ(!Child<TEyes>(f, "Eyes")->isHidden(), c.eyes);
        EXPECT_EQ(Child<TEyes>(f, "Eyes")->Active(), c.eyes);
        EXPECT_EQ(Child<TEnhancedGauge>(f, "Gauge1")->isHidden(), c.eyes);
        EXPECT_EQ(f.MenuItem("Eyes1")->isChecked(), c.eyes);
        // Either control opens the gauge panel's menu.
        RightClick(c.eyes ? static_cast<QWidget*>(Child<TEyes>(f, "Eyes")) : Child<TEnhancedGauge>(f, "Gauge1"));
        ASSERT_FALSE(dialogs.popups.empty());
        EXPECT_EQ(dialogs.popups.back().menu, "PopupMenu3");
        form.reset();
    }
}

TEST_F(GaugePanelTest, ShowEyesFromTheGaugesMenuIsStoredAndAnotherSourceStopsThem)
{
    WriteIni("[Location]\nTop=100\n");
    MainWindow& f = Start();
    Child<TEnhancedGauge>(f, "Gauge1")->SetProgress(70);
    // Only the sources the bar can show are offered: no drive item without a volume.
    QStringList offered;
    for (QAction* a : f.MenuItem("GraphDisplayMenu1")->menu()->actions())
        if (a->isVisible())
            offered << a->objectName();
    EXPECT_EQ(offered, (QStringList{"SystemMemory1", "ProgTime1", "ShowTime1", "Eyes1"}));

    dialogs.popupChoices.push_back("Eyes1");
    RightClick(Child<TEnhancedGauge>(f, "Gauge1"));
    EXPECT_EQ(Value("Gauge", "Type"), "Eyes1");
    EXPECT_EQ(f.Status().GaugeType(), "Eyes1");
    EXPECT_TRUE(f.MenuItem("Eyes1")->isChecked());
    EXPECT_FALSE(Child<TEyes>(f, "Eyes")->isHidden());
    EXPECT_TRUE(Child<TEyes>(f, "Eyes")->Active());
    EXPECT_TRUE(Child<TEnhancedGauge>(f, "Gauge1")->isHidden());
    EXPECT_EQ(Child<TEnhancedGauge>(f, "Gauge1")->Progress(), 0);
    RightClick(Child<TEyes>(f, "Eyes"));
    EXPECT_EQ(dialogs.popups.back().menu, "PopupMenu3");

    // Every other source begins by clearing the sources: the eyes stop and hide.
    f.Status().UnCheck();
    EXPECT_FALSE(Child<TEyes>(f, "Eyes")->Active());
    EXPECT_TRUE(Child<TEyes>(f, "Eyes")->isHidden());
    EXPECT_FALSE(f.MenuItem("Eyes1")->isChecked());
}

TEST_F(GaugePanelTest, ARebuildTakesTheSourceAnotherBarChose)
{
    WriteIni("[Location]\nTop=100\n[Gauge]\nType=Eyes1\n");
    MainWindow& f = Start();
    ASSERT_TRUE(Child<TEyes>(f, "Eyes")->Active());
    WriteIni("[Location]\nTop=100\n[Gauge]\nType=SystemMemory1\n"); // another bar's choice
    Pages(f).Rebuild();
    EXPECT_EQ(f.Status().GaugeType(), "SystemMemory1");
    EXPECT_TRUE(f.MenuItem("SystemMemory1")->isChecked());
    EXPECT_FALSE(f.MenuItem("Eyes1")->isChecked()) << "two sources ticked";
    EXPECT_FALSE(Child<TEyes>(f, "Eyes")->Active());
    EXPECT_TRUE(Child<TEyes>(f, "Eyes")->isHidden());
}

TEST_F(GaugePanelTest, RangeErrorOfTheGaugeIsShownInTheErrorBox)
{
    WriteIni("[Location]\nTop=100\n");
    MainWindow& f = Start();
    f.Guarded([&] { Child<TEnhancedGauge>(f, "Gauge1")->SetMinValue(200); });
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Value must be between -2147483647 and 99");
    EXPECT_EQ(dialogs.messages[0].type, MessageType::mtError);
    EXPECT_EQ(Child<TEnhancedGauge>(f, "Gauge1")->MinValue(), 0);
}

} // namespace
} // namespace kex
