// The system actions as the user reaches them: the exit options after the close
// question (a refused shutdown keeps the bar running and says why) and the general
// hints switched off and on.
#include "FormFixture.h"

#include "core/system/GeneralHints.h"
#include "core/system/Power.h"

namespace kex {
namespace {

class SystemActionsTest : public FormTest {
protected:
    MainWindow& StartActive(const std::string& ini)
    {
        WriteIni(ini);
        MainWindow& f = Start();
        f.show();
        f.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&f));
        Pump();
        return f;
    }
};

TEST_F(SystemActionsTest, ExitOptionsCloseTheBarOnlyWhenTheComputerAgrees)
{
    using P = PowerAction;
    struct Row {
        const char* item;
        bool ok;
        std::string reason;
        std::vector<PowerAction> asked;
        bool closes;
    } rows[] = {
        {"ExitWin1", true, "", {P::PowerOff}, true},
        {"RestartWin1", true, "", {P::Reboot}, true},
        {"ExitWin1", false, "Interactive authentication required.", {P::PowerOff}, false},
        {"RestartWin1", false, "neither a session manager nor systemd-logind could be reached", {P::Reboot}, false},
        {"ExitKexbar1", true, "", {}, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.item) + " " + row.reason);
        form.reset();
        dialogs = FakeDialogs();
        platform.system.powerRequests.clear();
        MainWindow& f = StartActive("[Location]\nTop=100\nLeft=30\n[Programs]\nSpeedButton1=/bin/true\n");
        // "Show Exit &Options" asks before closing from now on.
        f.MenuItem("ConfirmExit1")->trigger();
        EXPECT_TRUE(f.MenuItem("ConfirmExit1")->isChecked());
        EXPECT_EQ(Value("Location", "CheckExit"), "Yes");
        // A move is pending: its record lives in memory only.
        ChooseOnButton(f, 1, "MoveButton1");
        ASSERT_EQ(Value("Programs", "SpeedButton1"), "<absent>");

        platform.system.powerResult = {row.ok, row.ok ? "org.freedesktop.login1" : "", row.reason};
        std::string programAtRequest;
        platform.system.duringPowerRequest = [&] { programAtRequest = Value("Programs", "SpeedButton1"); };
        dialogs = FakeDialogs();
        dialogs.answers = {ModalResult::mrYes};
        dialogs.popupChoices = {row.item};
        const bool closedAtOnce = f.close();
        EXPECT_EQ(closedAtOnce, row.asked.empty()) << "a shutdown or restart waits for the computer's answer";
        ASSERT_EQ(dialogs.popups.size(), 1u);
        EXPECT_EQ(dialogs.popups[0].menu, "PopupMenu4");
        EXPECT_EQ(platform.system.powerRequests, row.asked);
        if (!row.asked.empty()) {
            EXPECT_EQ(programAtRequest, "/bin/true") << "the pending move was settled before the request";
        }

        Pump();
        EXPECT_EQ(f.isVisible(), !row.closes);
        if (row.closes) {
            EXPECT_EQ(dialogs.messages.size(), 1u) << "only the close question";
        } else {
            ASSERT_EQ(dialogs.messages.size(), 2u);
            EXPECT_EQ(dialogs.messages[1].text, PowerRefusalMessage(row.asked[0], row.reason));
            EXPECT_EQ(dialogs.messages[1].type, MessageType::mtError);
            EXPECT_NE(dialogs.messages[1].text.find(row.reason), std::string::npos);
            // The bar goes on: it can be closed later as ever.
            dialogs.answers = {ModalResult::mrYes};
            dialogs.popupChoices = {"ExitKexbar1"};
            EXPECT_TRUE(f.close());
        }
        platform.system.duringPowerRequest = nullptr;
        form.reset();
        EXPECT_EQ(Value("Programs", "SpeedButton1"), "/bin/true");
    }
}

TEST_F(SystemActionsTest, HintsOffAndOnRestoreTheTextsOfAStart)
{
    struct Shown {
        QString help, tabs, run;
        GeneralHintTexts state;
        bool operator==(const Shown&) const = default;
    };
    auto shown = [](MainWindow& f) {
        const WindowState& s = f.State();
        return Shown{
            Child<QToolButton>(f, "HelpButton")->toolTip(), Child<TTabSet>(f, "TabSet1")->toolTip(),
            Child<QToolButton>(f, "RunButton")->toolTip(),
            GeneralHintTexts{"", "", "", s.GaugeMouseHint, s.GaugeHintSuffix, s.TrayHintTail, s.ButtonHintText}};
    };
    // What a start with the hints on shows.
    Shown atStart = shown(StartActive("[Location]\nTop=100\nShowHint=Yes\n"));
    EXPECT_EQ(form->State().TrayHint, "Kexbar32 " + atStart.state.trayTail);
    EXPECT_EQ(atStart.help.count('\n'), 2);
    EXPECT_EQ(atStart.tabs.count('\n'), 1);
    EXPECT_EQ(atStart.run.count('\n'), 0);
    EXPECT_EQ(QString::fromStdString(atStart.state.button).count('\n'), 1);
    EXPECT_EQ(atStart.state.gaugeSuffix, "\n" + atStart.state.gaugeMouse);
    for (int key = 1; key <= 9; ++key)
        EXPECT_TRUE(atStart.help.contains(QString("F%1 = ").arg(key))) << key;
    for (const std::string* text : {&atStart.state.gaugeMouse, &atStart.state.trayTail})
        EXPECT_FALSE(text->empty());

    // Off and on again from a start with the hints off.
    form.reset();
    MainWindow& f = StartActive("[Location]\nTop=100\nShowHint=No\n");
    const Shown none{};
    EXPECT_EQ(shown(f), none);
    QAction* item = f.MenuItem("ShowHint1");
    ASSERT_TRUE(item->isVisible());
    EXPECT_FALSE(item->isChecked());
    const struct {
        bool on;
        const char* stored;
    } steps[] = {{true, "Yes"}, {false, "No"}, {true, "Yes"}};
    for (const auto& step : steps) {
        item->trigger();
        EXPECT_EQ(item->isChecked(), step.on);
        EXPECT_EQ(Value("Location", "ShowHint"), step.stored);
        EXPECT_EQ(shown(f), step.on ? atStart : none) << step.stored;
    }
}

} // namespace
} // namespace kex
