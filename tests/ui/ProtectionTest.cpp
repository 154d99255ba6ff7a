// The protection on a bare window with a scripted bar (the prompt and the caption it
// borrows, the lock's menu states, the button menu's items, the launch gate, a lock
// that could not be stored), then on the real bar: a protected button launched
// through the prompt, the reach of the lockout, passwords that follow their records.
#include <QFile>
#include <QAction>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMenu>
#include <QStyle>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <fstream>
#include <optional>
#include <gtest/gtest.h>

#include "FormFixture.h"
#include "core/bar/BarStore.h"
#include "fakes/FakeDialogs.h"
#include "fakes/FakePlatform.h"
#include "ui/window/BarContext.h"
#include "ui/protect/Protection.h"
#include "ui/widgets/SpeedButton.h"
#include "ui/widgets/TabSet.h"

namespace kex {
namespace {

// The page bar's editor as the protection sees it: what it was asked is noted in one
// list.
struct ScriptedBar : InlinePrompt {
    std::vector<std::string> asked;
    std::optional<Request> prompt;

    void OpenPrompt(Request request) override
    {
        asked.push_back(request.masked ? "masked prompt: " + request.hint.toStdString() : "prompt");
        prompt = std::move(request);
    }
    bool EditorOpen() const override { return prompt.has_value(); }
    // Enter or Escape as the page bar hands them on; the editor closes after either.
    void Enter(const std::string& text)
    {
        ASSERT_TRUE(prompt);
        const Request request = std::move(*prompt);
        prompt.reset();
        request.entered(text);
    }
    void Escape()
    {
        ASSERT_TRUE(prompt);
        const Request request = std::move(*prompt);
        prompt.reset();
        request.cancelled();
    }
};

// What the window wires to a protection: its prompt opens in the bar's editor, the
// caption it borrows comes back as it was, and "Password Protect" acts on the button
// whose menu opened last.
void Wire(Protection& protection, QWidget& window, ScriptedBar& bar, QAction* protect, const int& menuButton)
{
    QObject::connect(&protection, &Protection::PromptRequested, &protection,
                     [&bar](const InlinePrompt::Request& request) { bar.OpenPrompt(request); });
    auto saved = std::make_shared<std::optional<QString>>();
    QObject::connect(&protection, &Protection::CaptionLent, &protection, [&window, saved](const QString& caption) {
        if (!*saved)
            *saved = window.windowTitle();
        window.setWindowTitle(caption);
    });
    QObject::connect(&protection, &Protection::CaptionReturned, &protection, [&window, saved] {
        if (*saved)
            window.setWindowTitle(**saved);
        saved->reset();
    });
    QObject::connect(protect, &QAction::triggered, &protection,
                     [&protection, &menuButton] { protection.ProtectButton(menuButton); });
}

class ProtectionTest : public testing::Test {
protected:
    QTemporaryDir dir;
    std::string ini = dir.path().toStdString() + "/KX.INI";
    FakeDialogs dialogs;
    FakePlatform platform;
    BarStore store{ini};
    BarGuard guard{dialogs};
    BarCursor cursor;
    BarContext context{store, platform, dialogs, guard, cursor, dir.path().toStdString()};
    int menuButton = 0;
    QWidget window;
    QMenu* menu = new QMenu(&window);
    QAction* lockout = menu->addAction("Lockout");
    QMenu* modifyMenu = menu->addMenu("Modify");
    QAction* protect = menu->addAction("Protect");
    ScriptedBar bar;
    std::vector<std::string>& asked = bar.asked;
    std::unique_ptr<Protection> protection;

    void SetUp() override
    {
        for (QAction* a : {lockout, protect})
            a->setCheckable(true);
        std::ofstream(ini) << "[Location]\n";
        window.setWindowTitle("Zivar32  Page 1 of 10");
        Restart();
    }
    // A protection as a new start of the bar makes it.
    void Restart()
    {
        protection.reset();
        protection =
            std::make_unique<Protection>(context, ProtectionMenus{lockout, modifyMenu->menuAction(), protect}, nullptr);
        Wire(*protection, window, bar, protect, menuButton);
        protection->Start(ini, "", TNewIniFile(ini).ReadString("Location", "User", "UpdateMe"), 16);
    }
    void Type(const char* text) { bar.Enter(text); }
    // The button menu opens on button n (the page bar asks the gate first).
    bool MenuOpens(int n)
    {
        menuButton = n;
        return protection->ButtonProtected(n);
    }
    bool Locked() const { return lockout->isChecked() && !modifyMenu->menuAction()->isEnabled(); }
    bool Unlocked() const { return !lockout->isChecked() && modifyMenu->menuAction()->isEnabled(); }
    std::vector<std::string> Messages()
    {
        std::vector<std::string> texts;
        for (const auto& m : dialogs.messages)
            texts.push_back(m.text + "/" + std::to_string(int(m.type)) + "/" + std::to_string(m.buttons) + "/"
                            + std::to_string(m.helpContext));
        dialogs.messages.clear();
        return texts;
    }
    static std::string Incorrect(int help)
    {
        return "Incorrect Password/" + std::to_string(int(MessageType::mtWarning)) + "/" + std::to_string(mbOK | mbHelp)
               + "/" + std::to_string(help);
    }
};

TEST_F(ProtectionTest, LockoutThroughThePromptSetsTheMenusAndSurvivesARestart)
{
    ASSERT_TRUE(Unlocked());
    EXPECT_TRUE(protection->RunAllowed());

    // The prompt borrows the caption and masks what is typed.
    lockout->trigger();
    EXPECT_TRUE(Unlocked()); // the item's own toggle is not the lock
    EXPECT_EQ(window.windowTitle(), "   Enter PASSWORD below");
    EXPECT_EQ(asked, std::vector<std::string>{"masked prompt: Enter Password"});
    Type("secret");
    EXPECT_EQ(window.windowTitle(), "Zivar32  Page 1 of 10");
    EXPECT_TRUE(Locked());
    EXPECT_FALSE(protection->RunAllowed());
    EXPECT_FALSE(protection->ModifyAllowed());

    // A new start is locked without a word; a wrong password is told, Escape and an
    // empty Enter change nothing, the right one unlocks.
    Restart();
    EXPECT_TRUE(Locked());
    EXPECT_TRUE(Messages().empty());
    lockout->trigger();
    Type("Secret");
    EXPECT_EQ(Messages(), std::vector<std::string>{Incorrect(kIncorrectMasterHelp)});
    EXPECT_TRUE(Locked());
    lockout->trigger();
    bar.Escape();
    EXPECT_EQ(window.windowTitle(), "Zivar32  Page 1 of 10");
    lockout->trigger();
    Type("");
    EXPECT_TRUE(Locked());
    lockout->trigger();
    Type("secret");
    EXPECT_TRUE(Unlocked());
    EXPECT_TRUE(Messages().empty());
    Restart();
    EXPECT_TRUE(Unlocked());
}

// Another bar on the same configuration sets and lifts the lock: this one follows at
// its next change.
TEST_F(ProtectionTest, ALockSetByAnotherBarHoldsAtOnce)
{
    ScriptedBar otherBar;
    QAction* otherLockout = menu->addAction("Other lockout");
    otherLockout->setCheckable(true);
    QAction* otherProtect = menu->addAction("Other protect");
    Protection other(context, ProtectionMenus{otherLockout, modifyMenu->menuAction(), otherProtect}, nullptr);
    Wire(other, window, otherBar, otherProtect, menuButton);
    other.Start(ini, "", TNewIniFile(ini).ReadString("Location", "User", "UpdateMe"), 16);
    otherLockout->trigger();
    otherBar.Enter("secret");
    ASSERT_FALSE(other.ModifyAllowed());

    EXPECT_FALSE(protection->ModifyAllowed());
    EXPECT_FALSE(protection->RunAllowed());
    EXPECT_TRUE(Locked());
    otherLockout->trigger();
    otherBar.Enter("secret");
    EXPECT_TRUE(protection->ModifyAllowed());
    EXPECT_TRUE(Unlocked());
}

// A lock that could not be stored is told, and the bar does not show itself locked.
TEST_F(ProtectionTest, ALockThatCannotBeStoredLeavesTheBarUnlocked)
{
    const std::string d = dir.path().toStdString();
    ASSERT_EQ(::chmod(d.c_str(), 0555), 0);
    lockout->trigger();
    Type("secret");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Unable to write to " + d + "/KX.DAT");
    EXPECT_EQ(dialogs.messages[0].type, MessageType::mtError);
    EXPECT_TRUE(Unlocked());
    EXPECT_EQ(window.windowTitle(), "Zivar32  Page 1 of 10");
    ::chmod(d.c_str(), 0755);
}

// The protect mark follows the file whenever the menu opens; the click after the
// right password comes once the prompt has closed.
TEST_F(ProtectionTest, ButtonMenuAndLaunchGate)
{
    EXPECT_FALSE(MenuOpens(3));
    protect->trigger();
    Type("pw");
    EXPECT_TRUE(MenuOpens(3));
    EXPECT_TRUE(protect->isChecked());

    // Escape after "Password Protect" stores nothing.
    EXPECT_FALSE(MenuOpens(4));
    protect->trigger();
    EXPECT_TRUE(protect->isChecked());
    bar.Escape();
    EXPECT_FALSE(MenuOpens(4));
    EXPECT_FALSE(protect->isChecked());

    // The repeated click passes the gate once; the permission does not outlive it.
    asked.clear();
    EXPECT_FALSE(protection->MayLaunch(3));
    auto click = [&] { asked.push_back(protection->MayLaunch(3) ? "click 3 starts" : "click 3 held"); };
    protection->Held(3, nullptr, click);
    Type("pw");
    EXPECT_EQ(asked, std::vector<std::string>{"masked prompt: Enter Password"});
    QCoreApplication::processEvents();
    EXPECT_EQ(asked, (std::vector<std::string>{"masked prompt: Enter Password", "click 3 starts"}));
    EXPECT_FALSE(protection->MayLaunch(3));
    // A repeat that never reaches the gate leaves no permission behind.
    protection->Held(3, nullptr, [] {});
    Type("pw");
    QCoreApplication::processEvents();
    EXPECT_FALSE(protection->MayLaunch(3));

    // Unprotecting with the right password.
    EXPECT_TRUE(MenuOpens(3));
    protect->trigger();
    Type("pw");
    EXPECT_FALSE(MenuOpens(3));
    EXPECT_TRUE(protection->MayLaunch(3));
}

// ------------------------------------------------------------------ the real bar

class ProtectedBarTest : public FormTest {
protected:
    MainWindow& StartBar(const std::string& ini)
    {
        QImage icon(16, 16, QImage::Format_ARGB32);
        icon.fill(Qt::blue);
        for (const char* program : {"/bin/one", "/bin/twenty", "/bin/thirtysix"})
            platform.icons[{program, 0}] = icon;
        WriteIni("[Location]\nTop=100\n" + ini);
        MainWindow& f = Start();
        f.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&f));
        return f;
    }
    static TSpeedButton* Button(MainWindow& f, int n)
    {
        return f.findChild<TSpeedButton*>(QString::fromStdString(ButtonKey(n)));
    }
    static QLineEdit* Editor(MainWindow& f) { return f.findChild<QLineEdit*>("PageName"); }
    PasswordStore Store() const { return PasswordStore(platform.appDir, ""); }
    std::string Stored(int n) const { return Store().Find(ButtonKey(n)).value_or("<none>"); }
};

// Protect a button from its menu, then launch it: the prompt asks, a wrong password is
// told and starts nothing, the right one starts the program once.
TEST_F(ProtectedBarTest, AProtectedButtonStartsOnceAfterItsPassword)
{
    MainWindow& f = StartBar("[Programs]\nSpeedButton1=/bin/one\n");
    const QString caption = f.windowTitle();
    dialogs.popupChoices = {"PasswordProtect1"};
    QTest::mousePress(Button(f, 1), Qt::RightButton, {}, QPoint(4, 5));
    ASSERT_EQ(dialogs.popups.size(), 1u);
    EXPECT_EQ(f.windowTitle(), "   Enter PASSWORD below");
    // What is typed shows as "*".
    EXPECT_EQ(Editor(f)->echoMode(), QLineEdit::Password);
    EXPECT_EQ(Editor(f)->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, Editor(f)), int('*'));
    TypeAndEnter(f, "open sesame");
    // The caption the prompt borrowed comes back: the right click selected button 1,
    // so it shows that button's hint after the page.
    EXPECT_EQ(f.windowTitle(), caption + "       " + Button(f, 1)->toolTip());
    EXPECT_FALSE(Editor(f)->isVisible());
    EXPECT_EQ(Editor(f)->echoMode(), QLineEdit::Normal);
    EXPECT_EQ(Stored(1), "open sesame");
    struct stat st {};
    ASSERT_EQ(::stat(Store().FileName().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    // Its menu shows it protected and does not move it.
    dialogs.popupChoices = {"MoveButton1"};
    QTest::mousePress(Button(f, 1), Qt::RightButton, {}, QPoint(4, 5));
    EXPECT_TRUE(f.MenuItem("PasswordProtect1")->isChecked());
    EXPECT_FALSE(Pages(f).PendingButton().has_value());

    QTest::mouseClick(Button(f, 1), Qt::LeftButton);
    EXPECT_TRUE(Editor(f)->isVisible());
    TypeAndEnter(f, "open Sesame");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Incorrect Password");
    EXPECT_EQ(dialogs.messages[0].helpContext, kIncorrectButtonHelp);
    EXPECT_TRUE(platform.started.empty());

    QTest::mouseClick(Button(f, 1), Qt::LeftButton);
    TypeAndEnter(f, "open sesame");
    Pump();
    ASSERT_EQ(platform.started.size(), 1u);
    EXPECT_EQ(platform.started[0].argv, std::vector<std::string>{"/bin/one"});
    // The permission served that launch only.
    QTest::mouseClick(Button(f, 1), Qt::LeftButton);
    Pump();
    EXPECT_EQ(platform.started.size(), 1u);
    EXPECT_TRUE(Editor(f)->isVisible());
    // Help from the prompt gives it up: the caption comes back, and the password typed
    // after it starts nothing.
    QTest::keyClick(Editor(f), Qt::Key_F1);
    EXPECT_EQ(f.windowTitle(), caption);
    TypeAndEnter(f, "open sesame");
    Pump();
    EXPECT_EQ(platform.started.size(), 1u);
}

// The right password lets through the one launch it was typed for. When the repeated
// launch does not happen, the permission goes with it: the next click asks again.
TEST_F(ProtectedBarTest, APermissionWhoseLaunchDidNotHappenIsDropped)
{
    struct Row {
        const char* what;
        std::function<void()> spoilTheRepeat; // after the prompt opened, before Enter
    } rows[] = {
        {"the second files dialog is cancelled", [] {}},
        {"another bar changed the pages",
         [&] { TNewIniFile(Ini()).WriteString("Tabs", "PageTab2", "Renamed elsewhere"); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        form.reset();
        dialogs.messages.clear();
        platform.started.clear();
        WriteIni("");
        ::unlink(Store().FileName().c_str());
        Store().Write(ButtonKey(1), "pw");
        MainWindow& f = StartBar("[Programs]\nSpeedButton1=/bin/one\n[Select]\nSpeedButton1=" + platform.appDir + "\n");

        dialogs.files = {{platform.appDir + "a.txt"}}; // the repeat's dialog is cancelled
        QTest::mouseClick(Button(f, 1), Qt::LeftButton);
        ASSERT_TRUE(Editor(f)->isVisible());
        row.spoilTheRepeat();
        TypeAndEnter(f, "pw");
        Pump();
        EXPECT_TRUE(platform.started.empty());

        dialogs.files = {{platform.appDir + "b.txt"}};
        QTest::mouseClick(Button(f, 1), Qt::LeftButton);
        Pump();
        EXPECT_TRUE(platform.started.empty());
        EXPECT_TRUE(Editor(f)->isVisible());
    }
}

// What the lockout refuses and what it leaves, before, while and after it is set.
TEST_F(ProtectedBarTest, TheLockoutReachesEveryChangeButNotTheLaunch)
{
    MainWindow& f = StartBar("[Programs]\nSpeedButton1=/bin/one\n");
    auto grew = [](std::size_t before, std::size_t now) { return now > before; };
    auto* tabs = f.findChild<TTabSet*>("TabSet1");
    auto* run = f.findChild<QWidget*>("RunButton");
    struct Row {
        const char* what;
        std::function<bool()> reached;
        bool whileLocked;
    } rows[] = {
        {"page menu",
         [&] {
             const std::size_t before = dialogs.popups.size();
             dialogs.popupChoices = {""};
             QTest::mousePress(tabs, Qt::RightButton, {}, tabs->ItemRect(0).center());
             return grew(before, dialogs.popups.size());
         },
         false},
        {"button menu",
         [&] {
             const std::size_t before = dialogs.popups.size();
             dialogs.popupChoices = {""};
             QTest::mousePress(Button(f, 1), Qt::RightButton, {}, QPoint(4, 5));
             return grew(before, dialogs.popups.size());
         },
         false},
        {"browsing for an empty button",
         [&] {
             const std::size_t before = dialogs.openDialogs.size();
             QTest::mouseClick(Button(f, 5), Qt::LeftButton);
             return grew(before, dialogs.openDialogs.size());
         },
         false},
        {"Run button",
         [&] {
             const std::size_t before = dialogs.openDialogs.size();
             QTest::mouseClick(run, Qt::LeftButton);
             return grew(before, dialogs.openDialogs.size());
         },
         false},
        {"Modify Kexbar Menu", [&] { return f.findChild<QAction*>("ModifyMenu1")->isEnabled(); }, false},
        {"launch",
         [&] {
             const std::size_t before = platform.started.size();
             QTest::mouseClick(Button(f, 1), Qt::LeftButton);
             return grew(before, platform.started.size());
         },
         true},
    };
    for (bool locked : {false, true, false}) {
        if (Locked(f) != locked)
            Lockout(f, "master");
        EXPECT_EQ(f.findChild<QAction*>("LockoutModify1")->isChecked(), locked);
        for (const Row& row : rows)
            EXPECT_EQ(row.reached(), !locked || row.whileLocked) << row.what << (locked ? " (locked)" : "");
    }
    EXPECT_EQ(Value("Programs", "SpeedButton5"), "<absent>");
}

// Deleting or moving page 1 of 3 through the page menu: the passwords go with their
// records, and the bar asks for them at the buttons they arrive on.
TEST_F(ProtectedBarTest, PasswordsFollowTheirRecordsWhenAPageIsDeletedOrMoved)
{
    struct Row {
        const char* item;
        std::map<int, std::string> passwords; // afterwards
        int asks;                             // a button that asks for its password
    } rows[] = {
        {"DeletePage1", {{4, "pw20"}, {20, "pw36"}, {36, ""}}, 4},
        // Page 1 is put down before the third tab: it becomes page 2.
        {"MovePage1", {{4, "pw20"}, {20, "pw4"}, {36, "pw36"}}, 20},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.item);
        form.reset();
        platform.started.clear();
        WriteIni("");
        ::unlink(Store().FileName().c_str());
        for (int n : {4, 20, 36})
            Store().Write(ButtonKey(n), "pw" + std::to_string(n));
        MainWindow& f = StartBar("ButtonCount=16\n[Pages]\nCount=3\n[Programs]\nSpeedButton4=/bin/one\n"
                                 "SpeedButton20=/bin/twenty\nSpeedButton36=/bin/thirtysix\n");
        dialogs.popupChoices = {row.item};
        dialogs.answers = {ModalResult::mrYes};
        auto* tabs = f.findChild<TTabSet*>("TabSet1");
        QTest::mousePress(tabs, Qt::RightButton, {}, tabs->ItemRect(0).center());
        if (std::string(row.item) == "MovePage1")
            QTest::mousePress(tabs, Qt::RightButton, {}, tabs->ItemRect(1).center());
        ASSERT_EQ(Value("Programs", "SpeedButton4"), "/bin/twenty");
        for (const auto& [n, password] : row.passwords)
            EXPECT_EQ(Store().Find(ButtonKey(n)).value_or(""), password) << n;
        EXPECT_FALSE(QFile::exists(QString::fromStdString(Store().PendingFileName())));

        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->ItemRect((row.asks - 1) / 16).center());
        QTest::mouseClick(Button(f, row.asks), Qt::LeftButton);
        EXPECT_TRUE(platform.started.empty());
        EXPECT_TRUE(Editor(f)->isVisible());
    }
}

// A password left for an empty button while the bar runs (a file edited by hand) does
// not protect the program browsed for it.
TEST_F(ProtectedBarTest, AButtonFilledByBrowsingStartsUnprotected)
{
    MainWindow& f = StartBar("");
    Store().Write(ButtonKey(5), "left behind");
    const std::string program = platform.appDir + "one"; // browsing takes only a file that exists
    QFile(QString::fromStdString(program)).open(QIODevice::WriteOnly);
    platform.openCommands[program] = {program};
    dialogs.files = {{program}};
    QTest::mouseClick(Button(f, 5), Qt::LeftButton);
    ASSERT_EQ(Value("Programs", "SpeedButton5"), program);
    EXPECT_EQ(Stored(5), "");
    QTest::mouseClick(Button(f, 5), Qt::LeftButton);
    Pump();
    EXPECT_FALSE(Editor(f)->isVisible());
    ASSERT_EQ(platform.started.size(), 1u);
}

} // namespace
} // namespace kex
