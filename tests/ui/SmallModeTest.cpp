// Small mode through the real window: a launch shrinks the bar to its 44 x 19 gauge
// (or would hide it behind the tray icon), the program's end brings the full bar back
// where it stood; without a tray the bar never hides.
#include <QAction>
#include <QMenu>
#include <QTimer>

#include <filesystem>

#include "FormFixture.h"
#include "ui/status/SmallMode.h"
#include "ui/tray/TrayIcon95.h"

namespace kex {
namespace {

class SmallModeTest : public FormTest {
protected:
    std::string program;

    void SetUp() override
    {
        FormTest::SetUp();
        program = platform.appDir + "tool";
        std::ofstream(program).flush();
        platform.icons[{program, 0}] = QImage(16, 16, QImage::Format_ARGB32);
    }

    // The bar on a configuration with a stored place and button 1 holding a program.
    MainWindow& StartBar(const std::string& location)
    {
        WriteIni("[Location]\nTop=100\nLeft=120\n" + location + "[Programs]\nSpeedButton1=" + program + "\n");
        MainWindow& f = Start();
        f.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&f));
        return f;
    }
    void ClickButton(MainWindow& f, int n) { QTest::mouseClick(Pages(f).FindButton(n), Qt::LeftButton); }
    void EndProgram(MainWindow& f)
    {
        ASSERT_FALSE(platform.started.empty());
        platform.processes[platform.started.back().pid] = ProcessState::Ended;
        Launch(f).Watch();
    }
    // Lets the window's moves settle (and a place be stored, were it to be).
    static void Settle() { QTest::qWait(50); }
    static bool SmallShape(const MainWindow& f)
    {
        const Qt::WindowFlags small = Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool;
        return f.size() == QSize(44, 19) && (f.windowFlags() & small) == small;
    }
};

TEST_F(SmallModeTest, BarGraphOnLaunchShrinksTheBarAndItsEndRestoresItWhereItStood)
{
    struct Case {
        const char* name;
        std::string location;
        QPoint smallAt;   // where the small bar stands
        const char* item; // an option the user chooses first (none: nullptr)
        bool staysSmall;  // "Stay Small": the program's end leaves it small
    } cases[] = {
        {"framed bar", "Shrink=Yes\n", QPoint(120, 100), nullptr, false},
        {"on-top bar", "Shrink=Yes\nOnTop=Yes\n", QPoint(120, 100), nullptr, false},
        {"locked place", "Shrink=Yes\nLockedGraph=Yes\nShrinkX=300\nShrinkY=40\n", QPoint(300, 40), nullptr, false},
        // A locked place on a monitor that is gone comes back onto the screen.
        {"locked place off the screens", "Shrink=Yes\nLockedGraph=Yes\nShrinkX=5000\nShrinkY=-900\n",
         QPoint(1024 - 44, 0), nullptr, false},
        // Locking takes the place where the bar stands.
        {"locked by the menu", "Shrink=Yes\nShrinkX=300\nShrinkY=40\n", QPoint(120, 100), "LockGraphLocation1", false},
        {"stay small", "Shrink=Yes\nStaySmall=No\n", QPoint(120, 100), "StaySmall", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        platform.started.clear();
        MainWindow& f = StartBar(c.location);
        Settle();
        const std::string item = c.item ? c.item : "";
        if (!item.empty())
            f.MenuItem(QString::fromStdString(item))->trigger();
        if (item == "StaySmall") {
            EXPECT_EQ(Value("Location", "StaySmall"), "Yes");
        }
        if (item == "LockGraphLocation1") {
            EXPECT_EQ(Value("Location", "LockedGraph"), "Yes");
            EXPECT_EQ(Value("Location", "ShrinkX") + "," + Value("Location", "ShrinkY"), "120,100");
        }
        const QRect full = f.frameGeometry();
        const Qt::WindowFlags fullFlags = f.windowFlags();
        auto* gauge = Child<TEnhancedGauge>(f, "Gauge1");
        EXPECT_EQ(gauge->PopupMenu(), Child<QMenu>(f, "PopupMenu3"));

        ClickButton(f, 1);
        ASSERT_EQ(platform.started.size(), 1u);
        Settle();
        EXPECT_TRUE(f.isVisible());
        EXPECT_TRUE(SmallShape(f)) << f.width() << "x" << f.height();
        EXPECT_EQ(f.frameGeometry().topLeft(), c.smallAt);
        EXPECT_TRUE(f.Small().SmallActive());
        // The small bar's right click offers the tray menu.
        EXPECT_EQ(gauge->PopupMenu(), Child<QMenu>(f, "PopupMenu5"));

        EndProgram(f);
        Settle();
        if (c.staysSmall) {
            EXPECT_TRUE(SmallShape(f));
            EXPECT_EQ(f.Small().State(), SmallModeState::Small);
        } else {
            EXPECT_EQ(f.Small().State(), SmallModeState::Full);
            EXPECT_EQ(f.frameGeometry(), full);
            EXPECT_EQ(f.windowFlags(), fullFlags);
            EXPECT_EQ(gauge->PopupMenu(), Child<QMenu>(f, "PopupMenu3"));
        }
        EXPECT_TRUE(f.isVisible());
        // Neither the shrinking nor the return was stored as the bar's place.
        EXPECT_EQ(Value("Location", "Top"), "100");
        EXPECT_EQ(Value("Location", "Left"), "120");
        form.reset();
    }
}

TEST_F(SmallModeTest, TrayIconOnLaunchWithoutATrayLandsInTheSmallBarAndNeverHides)
{
    if (TRWTrayIcon95::TrayAvailable())
        GTEST_SKIP() << "a tray runs here: this is about a desktop without one";
    struct Case {
        const char* name;
        bool staySmallAtStart; // the bar starts small instead of launching
    } cases[] = {{"launch", false}, {"start that stays small", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        platform.started.clear();
        MainWindow& f = StartBar(c.staySmallAtStart ? "StaySmall=Yes\nHide=Yes\nShrink=No\n" : "");
        auto* tray = Child<TRWTrayIcon95>(f, "TrayIcon");
        std::vector<SmallModeState> states;
        if (c.staySmallAtStart) {
            EXPECT_FALSE(f.StartsHidden());
        } else {
            // The user chooses "Tray Icon on Launch": it is stored, and "Bar Graph on
            // Launch" goes off.
            f.MenuItem("HideGraph1")->trigger();
            EXPECT_EQ(Value("Location", "Hide"), "Yes");
            EXPECT_EQ(Value("Location", "Shrink"), "No");
            EXPECT_FALSE(f.MenuItem("ShrinkOnLaunch1")->isChecked());
            QObject::connect(&f.Small(), &SmallMode::StateChanged, &f.Small(),
                             [&](SmallModeState s) { states.push_back(s); });
            ClickButton(f, 1);
            ASSERT_EQ(platform.started.size(), 1u);
            // Straight to the small bar: never hidden on the way.
            EXPECT_EQ(states, std::vector<SmallModeState>{SmallModeState::Small});
        }
        Settle();
        EXPECT_TRUE(f.isVisible());
        EXPECT_TRUE(SmallShape(f));
        EXPECT_FALSE(tray->Active());
        EXPECT_EQ(f.Small().State(), SmallModeState::Small);

        // A click on the small bar's gauge brings the full bar back.
        QTest::mouseClick(Child<TEnhancedGauge>(f, "Gauge1"), Qt::LeftButton);
        EXPECT_EQ(f.Small().State(), SmallModeState::Full);
        EXPECT_TRUE(f.isVisible());
        EXPECT_FALSE(SmallShape(f));
        form.reset();
    }
}

} // namespace
} // namespace kex
