// The icon picker (count, no wrap-around, the IconSelection rule, help) and the spin
// button (its halves, the repeat timing while held, the keys, the focus), offscreen.
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include "fakes/FakeDialogs.h"
#include "fakes/FakePlatform.h"
#include "ui/configure/IconPicker.h"
#include "ui/widgets/SpinButton.h"

namespace kex {
namespace {

constexpr const char* kFile = "/icons/three.dll";

class IconPickerTest : public ::testing::Test {
protected:
    IconPickerTest()
    {
        platform.appDir = "/bar/";
        platform.iconCounts[kFile] = 3;
        for (int i = 0; i < 3; ++i) {
            QImage icon(32, 32, QImage::Format_ARGB32);
            icon.fill(QColor::fromHsv(i * 100, 255, 255));
            platform.icons[{kFile, i}] = icon;
        }
    }

    QString Caption() const { return picker.findChild<QLabel*>("Panel1")->text(); }
    TSpinButton* Spin() const { return picker.findChild<TSpinButton*>("SpinButton1"); }
    // A click on a half of the picker's spin button, as the mouse gives it.
    void ClickHalf(bool up) const
    {
        QWidget* half = up ? static_cast<QWidget*>(Spin()->UpButton()) : Spin()->DownButton();
        QTest::mouseClick(half, Qt::LeftButton);
    }

    FakePlatform platform;
    FakeDialogs dialogs;
    IconPicker picker{platform, dialogs, [] { return std::string("/bar/Kexbar.HLP"); }};
};

TEST_F(IconPickerTest, StepsThroughTheIconsWithoutWrapping)
{
    picker.FormActivate(kFile);
    EXPECT_EQ(Caption(), "Icon 1 of 3");
    ClickHalf(false); // below the first: stays
    EXPECT_EQ(picker.Index(), 0);
    for (int i = 0; i < 4; ++i)
        ClickHalf(true);
    EXPECT_EQ(picker.Index(), 2); // past the last: stays
    EXPECT_EQ(Caption(), "Icon 3 of 3");
    const QImage shown = picker.findChild<QToolButton*>("SpeedButton1")->icon().pixmap(32, 33).toImage();
    EXPECT_EQ(shown.size(), QSize(32, 33));
    const QColor third = platform.icons[{kFile, 2}].pixelColor(5, 5);
    EXPECT_EQ(shown.pixelColor(5, 5), third);
    ClickHalf(false);
    EXPECT_EQ(Caption(), "Icon 2 of 3");

    // Every activation starts again at the first icon.
    picker.FormActivate(kFile);
    EXPECT_EQ(Caption(), "Icon 1 of 3");
}

TEST_F(IconPickerTest, ChoosingWritesTheSelectionOnlyAboveTheFirstIcon)
{
    struct Case {
        int stepsUp;
        bool choose;
        std::optional<int> answer;
        std::vector<int> written;
    };
    for (const Case& c : {Case{0, true, 0, {}}, Case{2, true, 2, {2}}, Case{1, false, std::nullopt, {}}}) {
        std::vector<int> written;
        QTimer::singleShot(0, &picker, [&] {
            for (int i = 0; i < c.stepsUp; ++i)
                ClickHalf(true);
            if (c.choose)
                QTest::mouseClick(picker.findChild<QToolButton*>("SpeedButton1"), Qt::LeftButton);
            else
                picker.reject(); // the window closed otherwise
        });
        const auto answer = picker.Execute(kFile, [&](int index) { written.push_back(index); });
        EXPECT_EQ(answer, c.answer) << c.stepsUp;
        EXPECT_EQ(written, c.written) << c.stepsUp;
        EXPECT_FALSE(picker.isVisible());
    }
}

TEST_F(IconPickerTest, HelpOpensItsContextAndOnlyFilesWithSeveralIconsNeedThePicker)
{
    picker.FormActivate(kFile);
    QTest::mouseClick(picker.findChild<QToolButton*>("SpeedButton2"), Qt::LeftButton);
    EXPECT_EQ(dialogs.helpFile, "/bar/Kexbar.HLP");
    EXPECT_EQ(dialogs.helpShown, std::vector<int>{14});

    platform.iconCounts["/one.ico"] = 1;
    EXPECT_TRUE(NeedsIconPicker(platform, kFile));
    EXPECT_FALSE(NeedsIconPicker(platform, "/one.ico"));
    EXPECT_FALSE(NeedsIconPicker(platform, "/none.txt"));
}

// ---- the spin button

class SpinButtonTest : public ::testing::Test {
protected:
    SpinButtonTest()
    {
        window.resize(200, 100);
        spin = new TSpinButton(&window);
        edit = new QLineEdit(&window);
        edit->move(50, 0);
        QObject::connect(spin, &TSpinButton::OnUpClick, [this] { ++ups; });
        QObject::connect(spin, &TSpinButton::OnDownClick, [this] { ++downs; });
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    void MoveHeld(QWidget* half, QPoint pos)
    {
        QMouseEvent move(QEvent::MouseMove, pos, half->mapToGlobal(pos), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(half, &move);
    }

    // Waits until `count` reaches `value`; the time that took, or -1 after 30 s (a
    // hang, not a slow machine).
    static qint64 WaitFor(const int& count, int value)
    {
        QElapsedTimer t;
        t.start();
        while (count < value && t.elapsed() < 30000)
            QTest::qWait(5);
        return count >= value ? t.elapsed() : -1;
    }

    QWidget window;
    TSpinButton* spin;
    QLineEdit* edit;
    int ups = 0, downs = 0;
};

TEST_F(SpinButtonTest, HalvesShareTheHeightOverlappingByOnePixel)
{
    EXPECT_EQ(spin->size(), QSize(20, 25));
    EXPECT_EQ(spin->UpButton()->geometry(), QRect(0, 0, 20, 12));
    EXPECT_EQ(spin->DownButton()->geometry(), QRect(0, 11, 20, 14));
    spin->resize(8, 40);
    EXPECT_EQ(spin->width(), 15);
    EXPECT_EQ(spin->DownButton()->geometry(), QRect(0, 19, 15, 21));
}

TEST_F(SpinButtonTest, AHeldHalfClicksAtOnceThenAfter400AndEvery100Ms)
{
    TTimerSpeedButton* up = spin->UpButton();
    auto* repeat = up->findChild<QTimer*>();
    ASSERT_NE(repeat, nullptr);
    QTest::mousePress(up, Qt::LeftButton);
    EXPECT_EQ(ups, 1);
    EXPECT_TRUE(repeat->isActive());
    EXPECT_EQ(repeat->interval(), 400);
    const qint64 first = WaitFor(ups, 2);
    EXPECT_GE(first, 395);
    // Then at the short interval, not the first delay.
    EXPECT_EQ(repeat->interval(), 100);
    const qint64 five = WaitFor(ups, 7);
    ASSERT_GE(five, 0);
    EXPECT_GE(five, 5 * 100 - 5);

    // Off the half it does not click; back over it, it goes on.
    MoveHeld(up, QPoint(5, 40));
    EXPECT_FALSE(up->Down());
    const int off = ups;
    QTest::qWait(350);
    EXPECT_EQ(ups, off);
    MoveHeld(up, QPoint(5, 5));
    EXPECT_GE(WaitFor(ups, off + 1), 0);

    QTest::mouseRelease(up, Qt::LeftButton);
    const int released = ups;
    QTest::qWait(450);
    EXPECT_EQ(ups, released);
    EXPECT_EQ(downs, 0);
}

TEST_F(SpinButtonTest, KeysClickTheirHalvesAndTheFocusRectangleFollows)
{
    spin->setFocus();
    ASSERT_TRUE(spin->hasFocus());
    QTest::keyClick(spin, Qt::Key_Down);
    EXPECT_EQ(downs, 1);
    EXPECT_TRUE(spin->DownButton()->Focused());
    EXPECT_FALSE(spin->UpButton()->Focused());
    QTest::keyClick(spin, Qt::Key_Space);
    EXPECT_EQ(downs, 2);
    QTest::keyClick(spin, Qt::Key_Up);
    QTest::keyClick(spin, Qt::Key_Space);
    EXPECT_EQ(ups, 2);
    EXPECT_TRUE(spin->UpButton()->Focused());
    EXPECT_EQ(spin->UpButton()->FocusRect(), QRect(3, 3, 14, 6));

    // Pressed, the rectangle moves by a pixel; without focus none is drawn.
    QTest::mousePress(spin->UpButton(), Qt::LeftButton);
    EXPECT_EQ(spin->UpButton()->FocusRect(), QRect(4, 4, 14, 6));
    QTest::mouseRelease(spin->UpButton(), Qt::LeftButton);
    edit->setFocus();
    EXPECT_FALSE(spin->UpButton()->Focused());
    EXPECT_FALSE(spin->DownButton()->Focused());
}

TEST_F(SpinButtonTest, AMousePressMovesTheFocusToTheFocusControl)
{
    QTest::mouseClick(spin->DownButton(), Qt::LeftButton);
    EXPECT_TRUE(spin->hasFocus());
    EXPECT_TRUE(spin->DownButton()->Focused());
    spin->SetFocusControl(edit);
    QTest::mouseClick(spin->UpButton(), Qt::LeftButton);
    EXPECT_TRUE(edit->hasFocus());
    edit->setEnabled(false); // a control that cannot take it leaves the focus to the spin button
    QTest::mouseClick(spin->UpButton(), Qt::LeftButton);
    EXPECT_TRUE(spin->hasFocus());
}

} // namespace
} // namespace kex
