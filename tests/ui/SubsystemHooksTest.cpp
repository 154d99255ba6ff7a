// The hooks through which the coming subsystems attach to the page bar and the
// launcher: their signals, the modify and launch gates, and the inline editor lent as
// a prompt.
#include <QLineEdit>
#include <QSignalSpy>
#include <QToolButton>

#include "FormFixture.h"
#include "core/launch/CommandLine.h"

namespace kex {
namespace {

// The gates are protection's: a lockout refuses modifying and the Run button, a
// protected button's menu offers no move, copy, remove or configure, and its launch is
// held for the password.
class SubsystemHooksTest : public FormTest {
protected:
    MainWindow& StartBar(const std::string& ini)
    {
        WriteIni("[Location]\nTop=100\n[Pages]\nCount=2\n" + ini);
        MainWindow& f = Start();
        f.show(); // the prompts are typed into the editor as a user does
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&f));
        return f;
    }
    // "Password Protect" on button n's menu, with `password` typed in its prompt.
    void Protect(MainWindow& f, int n, const std::string& password)
    {
        ChooseOnButton(f, n, "PasswordProtect1");
        TypeAndEnter(f, password);
    }
    static bool PromptOpen(MainWindow& f)
    {
        auto* editor = Child<QLineEdit>(f, "PageName");
        return editor->isVisible() && editor->echoMode() == QLineEdit::Password;
    }
};

TEST_F(SubsystemHooksTest, MovesRemovalsAndRebuildsAreAnnounced)
{
    MainWindow& f = StartBar("[Programs]\nSpeedButton1=/bin/one\nSpeedButton2=/bin/two\n[Names]\nSpeedButton1=One\n");
    QSignalSpy moved(&Pages(f), &PageBar::ButtonMoved);
    QSignalSpy removed(&Pages(f), &PageBar::ButtonRemoved);
    QSignalSpy rebuilt(&Pages(f), &PageBar::PagesRebuilt);

    ChooseOnButton(f, 1, "MoveButton1");
    EXPECT_TRUE(moved.isEmpty()) << "announced when it is put down";
    Pages(f).FindButton(5)->click();
    ASSERT_EQ(moved.size(), 1);
    EXPECT_EQ(moved[0][0].toInt(), 1);
    EXPECT_EQ(moved[0][1].toInt(), 5);
    EXPECT_EQ(moved[0][2].toString().toStdString(), RecentEntryText("One", "/bin/one", 1));
    EXPECT_EQ(moved[0][3].toString().toStdString(), RecentEntryText("One", "/bin/one", 5));

    // A copy put down moves nothing.
    ChooseOnButton(f, 2, "CopyButton1");
    Pages(f).FindButton(6)->click();
    EXPECT_EQ(moved.size(), 1);

    ChooseOnButton(f, 2, "RemoveButton1");
    ASSERT_EQ(removed.size(), 1);
    EXPECT_EQ(removed[0][0].toInt(), 2);
    EXPECT_EQ(removed[0][1].toString().toStdString(), RecentEntryText("", "/bin/two", 2));

    EXPECT_TRUE(rebuilt.isEmpty());
    Pages(f).AddPage();
    EXPECT_EQ(rebuilt.size(), 1);
    platform.handler({f.State().LoadMsg, 1}); // a reload of the same pages rebuilds nothing
    EXPECT_EQ(rebuilt.size(), 1);
}

TEST_F(SubsystemHooksTest, ModifyGateGuardsTheMenusAndTheFillingOfEmptyButtons)
{
    MainWindow& f = StartBar("[Programs]\nSpeedButton1=/bin/one\n");
    // A protected button's menu offers no move, copy, remove or configure.
    Protect(f, 1, "pw");
    dialogs.popups.clear();
    bool moveEnabled = true;
    int menuButton = 0;
    dialogs.duringPopup = [&] {
        moveEnabled = f.MenuItem("MoveButton1")->isEnabled();
        menuButton = Pages(f).MenuButton();
    };
    Pages(f).OpenButtonMenu(1, QPoint());
    ASSERT_EQ(dialogs.popups.size(), 1u);
    EXPECT_FALSE(moveEnabled);
    EXPECT_EQ(menuButton, 1);
    EXPECT_EQ(Pages(f).MenuButton(), 0) << "no menu open any more";
    EXPECT_TRUE(f.MenuItem("MoveButton1")->isEnabled()) << "enabled again after the menu";

    // Locked out: no page menu, no button menu, no empty button filled.
    Lockout(f, "master");
    ASSERT_TRUE(Locked(f));
    dialogs.popups.clear();
    const QRect tab = Child<TTabSet>(f, "TabSet1")->ItemRect(0);
    QTest::mousePress(Child<TTabSet>(f, "TabSet1"), Qt::RightButton, {}, tab.center());
    Pages(f).OpenButtonMenu(1, QPoint());
    EXPECT_TRUE(dialogs.popups.empty());
    Pages(f).FindButton(2)->click(); // an empty button is not filled by browsing
    EXPECT_TRUE(dialogs.openDialogs.empty());
}

TEST_F(SubsystemHooksTest, LaunchGateHoldsAButtonUntilItIsClickedAgainAndAnnouncesLaunches)
{
    MainWindow& f = StartBar("[Programs]\nSpeedButton3=/bin/three\n[Names]\nSpeedButton3=Three\n");
    QSignalSpy launched(&Launch(f), &Launcher::ButtonLaunched);
    Protect(f, 3, "pw");
    Pages(f).FindButton(3)->click();
    EXPECT_TRUE(platform.started.empty());
    EXPECT_TRUE(PromptOpen(f)) << "held for the password";
    EXPECT_TRUE(launched.isEmpty());

    // The right password lets it through: the launch is repeated (as the recent list
    // replays, too).
    TypeAndEnter(f, "pw");
    Pump();
    ASSERT_EQ(platform.started.size(), 1u);
    ASSERT_EQ(launched.size(), 1);
    EXPECT_EQ(launched[0][0].toInt(), 3);
    EXPECT_EQ(launched[0][1].toString().toStdString(), RecentEntryText("Three", "/bin/three ", 3));
    Launch(f).ClickButton(3);
    EXPECT_EQ(platform.started.size(), 1u) << "the permission served one launch";
    TypeAndEnter(f, "pw");
    Pump();
    EXPECT_EQ(platform.started.size(), 2u);
    EXPECT_EQ(launched.size(), 2);

    // The Run button: refused while modifying is locked out; its right click is
    // announced.
    Lockout(f, "master");
    dialogs.messages.clear();
    QTest::mouseClick(Child<QToolButton>(f, "RunButton"), Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "The Run function has been turned off");
    QSignalSpy runMenu(&Launch(f), &Launcher::RunMenuRequested);
    Launch(f).RunButtonRightClick(QPoint(5, 6));
    ASSERT_EQ(runMenu.size(), 1);
    EXPECT_EQ(runMenu[0][0].toPoint(), QPoint(5, 6));
}

TEST_F(SubsystemHooksTest, InlineEditorServesAsAMaskedPrompt)
{
    MainWindow& f = StartBar("");
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    auto* editor = Child<QLineEdit>(f, "PageName");
    std::vector<std::string> entered;
    int cancelled = 0;
    InlinePrompt& prompt = Pages(f);
    auto open = [&] {
        prompt.OpenPrompt({"   Enter PASSWORD below", "", true,
                           [&](const std::string& text) { entered.push_back(text); }, [&] { ++cancelled; }});
    };
    open();
    EXPECT_TRUE(prompt.EditorOpen());
    EXPECT_EQ(editor->echoMode(), QLineEdit::Password);
    EXPECT_EQ(editor->toolTip(), "   Enter PASSWORD below");
    QTest::keyClicks(editor, "secret");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(entered, std::vector<std::string>{"secret"});
    EXPECT_FALSE(prompt.EditorOpen());
    EXPECT_EQ(editor->echoMode(), QLineEdit::Normal);
    EXPECT_EQ(editor->text(), "");

    open();
    QTest::keyClicks(editor, "oops");
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_EQ(cancelled, 1);
    EXPECT_EQ(entered.size(), 1u);
    EXPECT_FALSE(prompt.EditorOpen());
    // A prompt changes no page: the file keeps its pages and no rebuild ran.
    EXPECT_EQ(Pages(f).PageCount(), 2);
}

} // namespace
} // namespace kex
