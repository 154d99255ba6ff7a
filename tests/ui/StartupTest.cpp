#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QStyleHints>
#include <QFile>
#include <QMenu>
#include <QStackedWidget>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>

#include "FormFixture.h"
#include "ui/widgets/SpeedButton.h"
#include "ui/widgets/TabSet.h"

namespace kex {
namespace {

using StartupTest = FormTest;

TEST_F(StartupTest, CommandLineGivesFileCaptionSyncModeAndMessages)
{
    struct Case {
        std::vector<std::string> args;
        std::string suffix;
        bool sync;
    } cases[] = {{{}, "", false}, {{"desk"}, "desk", false}, {{"/m", "desk"}, "desk", true}, {{"/n"}, "tester", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.empty() ? std::string("(none)") : c.args[0]);
        MainWindow& f = Start(c.args);
        EXPECT_EQ(f.State().IniSuffix, c.suffix);
        EXPECT_EQ(f.State().SyncMode, c.sync);
        EXPECT_EQ(f.IniFileName(), platform.appDir + "KX" + c.suffix + ".INI");
        EXPECT_EQ(f.State().LoadMsg, "UKexbar" + c.suffix);
        EXPECT_EQ(f.State().PageUpdateMsg, "UKXForm" + c.suffix);
        QString date = QLocale::system().toString(QDate(2026, 12, 7), QLocale::ShortFormat);
        EXPECT_EQ(f.windowTitle(),
                  QString::fromStdString("Zivar32 " + c.suffix + "      ") + date + "      Page 1 of 10");
        // The start writes "Run" into its own file.
        EXPECT_EQ(Value("Location", "Run", c.suffix), "Yes");
        form.reset();
    }
}

TEST_F(StartupTest, ScreenWidthDecidesButtonsAndPageCountItems)
{
    struct Case {
        int width, screenButtons, buttons;
        bool itemsKept;
    } cases[] = {{600, 0, 16, true}, {700, 16, 16, false}, {701, 21, 16, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        platform.screen = QSize(c.width, 768);
        WriteIni("[Location]\nTop=100\n");
        MainWindow& f = Start();
        EXPECT_EQ(f.State().ScreenButtons, c.screenButtons);
        EXPECT_EQ(Pages(f).ButtonsPerPage(), c.buttons);
        EXPECT_EQ(f.MenuItem("PButton16") != nullptr, c.itemsKept);
        EXPECT_EQ(f.MenuItem("PButton21") != nullptr, c.itemsKept);
        form.reset();
    }
}

TEST_F(StartupTest, FirstStartIsDetectedAndTakesWhatTheScreenAllows)
{
    platform.screen = QSize(1280, 1024);
    MainWindow& first = Start();
    EXPECT_TRUE(first.State().FirstStart);
    EXPECT_EQ(Pages(first).ButtonsPerPage(), 21);
    // Stored, so that the next start keeps every button where this one showed it.
    EXPECT_EQ(Value("Location", "ButtonCount"), "21");
    Pump(); // the place is stored once the bar stands
    form.reset();
    EXPECT_FALSE(Start().State().FirstStart);
    EXPECT_EQ(Pages(*form).ButtonsPerPage(), 21);
    form.reset();

    WriteIni("[Location]\nTop=-50\nButtonCount=16\n");
    EXPECT_TRUE(Start().State().FirstStart);
    EXPECT_EQ(Pages(*form).ButtonsPerPage(), 16);
    form.reset();

    WriteIni("[Location]\nTop=200\nLeft=30\n");
    MainWindow& later = Start();
    EXPECT_FALSE(later.State().FirstStart);
    EXPECT_EQ(Pages(later).ButtonsPerPage(), 16);
    EXPECT_EQ(later.State().BarTop, 200);
    EXPECT_EQ(later.State().BarLeft, 30);
    EXPECT_EQ(later.pos(), QPoint(30, 200));
}

TEST_F(StartupTest, TopNearTheBottomMovesUp)
{
    platform.screen = QSize(1024, 768);
    // Default top: 768 - 18 - 85 = 665. A top that leaves the framed bar (79 high)
    // partly below the screen's edge brings the bar up onto it.
    struct Case {
        int saved, expected;
    } cases[] = {{689, 689}, {717, 689}, {718, 675}, {740, 675}};
    for (const Case& c : cases) {
        WriteIni("[Location]\nTop=" + std::to_string(c.saved) + "\n");
        EXPECT_EQ(Start().State().BarTop, c.expected) << c.saved;
        form.reset();
    }
}

TEST_F(StartupTest, ABarStoredOffTheScreensComesBackWhole)
{
    // Two screens: the primary, and a larger one to its right.
    platform.screen = QSize(1024, 768);
    platform.screens = {QRect(0, 0, 1024, 768), QRect(1024, 0, 1280, 1024)};
    struct Case {
        int left, top;
        QPoint placed;
    } cases[] = {
        {-722, 100, {0, 100}},          // far off to the left
        {2000, 500, {2304 - 627, 500}}, // partly off the second screen's right edge
        {800, 300, {800, 300}},         // across both: shown whole, where it stands
    };
    for (const Case& c : cases) {
        WriteIni("[Location]\nTop=" + std::to_string(c.top) + "\nLeft=" + std::to_string(c.left) + "\n");
        MainWindow& f = Start();
        EXPECT_EQ(f.pos(), c.placed) << c.left;
        EXPECT_EQ(QPoint(f.State().BarLeft, f.State().BarTop), c.placed) << c.left;
        form.reset();
    }
}

TEST_F(StartupTest, FramedAndOnTopShapes)
{
    WriteIni("[Location]\nTop=100\n");
    MainWindow& framed = Start();
    EXPECT_EQ(framed.State().FullWidth, 44 + 576 + 7);
    EXPECT_EQ(framed.State().FullHeight, 19 + 54 + 6);
    EXPECT_FALSE(framed.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_FALSE(framed.MenuItem("StayonTop1")->isChecked());
    // The window manager adds the caption and border around the client area.
    EXPECT_EQ(framed.size(), QSize(44 + 576 + 1, 54));
    form.reset();

    WriteIni("[Location]\nTop=100\nOnTop=Yes\nButtonCount=21\n");
    MainWindow& onTop = Start();
    EXPECT_EQ(onTop.State().FullWidth, 44 + 756);
    EXPECT_EQ(onTop.State().FullHeight, 54);
    EXPECT_TRUE(onTop.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(onTop.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(onTop.MenuItem("StayonTop1")->isChecked());
    EXPECT_EQ(onTop.size(), QSize(800, 54));
}

TEST_F(StartupTest, MovesAreSavedOnlyAfterStartUp)
{
    WriteIni("[Location]\nTop=100\nLeft=10\n");
    MainWindow& f = Start();
    // The start-up pass placed the window without writing its place (it notes the
    // start, and that the password file is current).
    EXPECT_EQ(IniText(), "[Location]\nTop=100\nLeft=10\nRun=Yes\nUser=:1\n");
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    Pump();
    EXPECT_EQ(Value("Location", "Top"), "100");
    f.move(40, 120);
    Pump();
    EXPECT_EQ(Value("Location", "Top"), "120");
    EXPECT_EQ(Value("Location", "Left"), "40");
    EXPECT_EQ(Value("Window", "State"), "Norm");
    EXPECT_EQ(f.State().BarTop, 120);
    EXPECT_EQ(f.State().BarLeft, 40);
}

TEST_F(StartupTest, MenuMarksFollowTheSettings)
{
    WriteIni("[Location]\nTop=100\nShrink=No\nHide=Yes\nIconState=Yes\nCheckExit=Yes\nShowHint=No\nLockedGraph=Yes\n"
             "[Time]\n12Hour=No\nDisplay=HalfHour\nSound=Yes\nSoundFile=/snd/bell.wav\nSound2=No\n"
             "[Gauge]\nType=C:\n");
    MainWindow& f = Start();
    EXPECT_FALSE(f.MenuItem("ShrinkOnLaunch1")->isChecked());
    EXPECT_TRUE(f.MenuItem("HideGraph1")->isChecked());
    EXPECT_EQ(f.MenuItem("HideGraph1")->text(), "Tray &Icon on Launch");
    EXPECT_TRUE(f.MenuItem("IconState1")->isChecked());
    EXPECT_EQ(f.MenuItem("IconState1")->text(), "&Animate Tray Icon");
    EXPECT_TRUE(f.MenuItem("ConfirmExit1")->isChecked());
    EXPECT_FALSE(f.MenuItem("ShowHint1")->isChecked());
    EXPECT_TRUE(f.MenuItem("LockGraphLocation1")->isChecked());
    EXPECT_FALSE(f.MenuItem("Clock1")->isChecked());
    EXPECT_FALSE(f.MenuItem("OnHour1")->isChecked());
    EXPECT_TRUE(f.MenuItem("OnHalfHour1")->isChecked());
    EXPECT_TRUE(f.MenuItem("TimeSound1")->isChecked());
    EXPECT_EQ(f.MenuItem("TimeSound1")->text(), "Hour &Sound = bell.wav");
    EXPECT_FALSE(f.MenuItem("TimeSound2")->isChecked());
    EXPECT_EQ(f.Status().GaugeType(), "CHardDrive");
    EXPECT_TRUE(f.MenuItem("CHardDrive")->isChecked());
    // Removed for good, and enabled at start.
    EXPECT_EQ(f.MenuItem("UserResources1"), nullptr);
    EXPECT_EQ(f.MenuItem("GDIResources1"), nullptr);
    EXPECT_EQ(f.MenuItem("CDTray1"), nullptr) << "no CD-ROM drive on the fake machine";
    for (const char* name : {"UnselectedColor1", "SelectedColor1"})
        EXPECT_TRUE(f.MenuItem(name)->isEnabled()) << name;
    // Items whose subsystem is built show, enabled.
    for (const char* name : {"Parameter1", "SoundLaunch1"})
        EXPECT_TRUE(f.MenuItem(name)->isVisible() && f.MenuItem(name)->isEnabled()) << name;
    EXPECT_TRUE(f.MenuItem("LockoutModify1")->isEnabled());
    EXPECT_EQ(f.State().TrayHint, "Kexbar32 ");
}

// Every item the bar's menus show has a caption (a menu whose items all belong to a
// subsystem not built shows none); the recent list's places after the run menu's
// separator stay hidden (and blank) while the list is empty.
TEST_F(StartupTest, MenusCarryTheirItems)
{
    MainWindow& f = Start();
    const QList<QMenu*> menus = f.findChildren<QMenu*>();
    ASSERT_FALSE(menus.empty());
    int shown = 0;
    for (QMenu* menu : menus) {
        for (QAction* a : menu->actions()) {
            if (a->isSeparator() || !a->isVisible())
                continue;
            ++shown;
            EXPECT_FALSE(a->text().trimmed().isEmpty())
                << menu->objectName().toStdString() << " " << a->objectName().toStdString();
        }
    }
    EXPECT_GT(shown, 0);
    QMenu* run = Child<QMenu>(f, "PopupMenu5");
    const QList<QAction*> items = run->actions();
    const auto separator = std::find_if(items.begin(), items.end(), [](QAction* a) { return a->isSeparator(); });
    ASSERT_NE(separator, items.end());
    ASSERT_NE(separator + 1, items.end()) << "no places for the recent list";
    for (auto it = separator + 1; it != items.end(); ++it)
        EXPECT_FALSE((*it)->isVisible()) << (*it)->text().toStdString();
}

TEST_F(StartupTest, CloseQuestionAnsweredNoKeepsTheBarAndWritesNothing)
{
    WriteIni("[Location]\nTop=100\nCheckExit=Yes\n");
    MainWindow& f = Start();
    f.show();
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    Pump();
    const std::string before = IniText();
    dialogs.answers = {ModalResult::mrNo};
    EXPECT_FALSE(f.close());
    EXPECT_TRUE(f.isVisible());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Are you sure you want to exit?");
    EXPECT_EQ(dialogs.messages[0].type, MessageType::mtConfirmation);
    EXPECT_EQ(dialogs.messages[0].buttons, unsigned(mbYes | mbNo));
    EXPECT_TRUE(dialogs.popups.empty());
    EXPECT_EQ(IniText(), before);

    // Yes shows the exit options beside the bar; with none chosen the bar closes.
    dialogs.answers = {ModalResult::mrYes};
    dialogs.popupChoices = {""};
    const QPoint options(f.x() + 250, f.y());
    EXPECT_TRUE(f.close());
    ASSERT_EQ(dialogs.popups.size(), 1u);
    EXPECT_EQ(dialogs.popups[0].menu, "PopupMenu4");
    EXPECT_EQ(dialogs.popups[0].pos, options);
}

TEST_F(StartupTest, WithoutExitOptionsTheBarClosesAtOnce)
{
    WriteIni("[Location]\nTop=100\n");
    MainWindow& f = Start();
    f.show();
    EXPECT_TRUE(f.close());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(StartupTest, MinimisedStateComesBack)
{
    WriteIni("[Location]\nTop=100\n[Window]\nState=Min\n");
    EXPECT_TRUE(Start().windowState() & Qt::WindowMinimized);
    form.reset();
    WriteIni("[Location]\nTop=100\n[Window]\nState=Norm\n");
    EXPECT_FALSE(Start().windowState() & Qt::WindowMinimized);
}

TEST_F(StartupTest, HelpButtonOpensTheHelpContents)
{
    MainWindow& f = Start();
    Child<QToolButton>(f, "HelpButton")->click();
    EXPECT_EQ(dialogs.helpFile, platform.appDir + "Kexbar.HLP");
    ASSERT_EQ(dialogs.helpShown.size(), 1u);
    EXPECT_EQ(dialogs.helpShown[0], 0);
}

TEST_F(StartupTest, RefusedWriteIsShownAndTheBarGoesOn)
{
    WriteIni("[Location]\nTop=100\n");
    MainWindow& f = Start();
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    Pump();
    ASSERT_EQ(::chmod(Ini().c_str(), 0444), 0);
    f.move(70, 140);
    Pump();
    ASSERT_FALSE(dialogs.messages.empty());
    EXPECT_EQ(dialogs.messages.back().text, "Unable to write to " + Ini());
    EXPECT_EQ(dialogs.messages.back().type, MessageType::mtError);
    EXPECT_EQ(Value("Location", "Top"), "100");
    EXPECT_TRUE(f.isVisible());
    ::chmod(Ini().c_str(), 0644);
}

// A configuration the bar cannot read at all ends the start with the reason (the
// program shows it in an error box) and is left as it was: a FIFO in its place, or
// text in UTF-16, which the first write would corrupt.
TEST_F(StartupTest, ConfigurationThatCannotBeReadEndsTheStartAndIsLeftAlone)
{
    const std::string utf16("\xFF\xFE[\0L\0o\0c\0a\0t\0i\0o\0n\0]\0\n\0T\0o\0p\0=\0\x35\0\n\0", 36);
    const std::pair<std::string, std::string> cases[] = {
        {"fifo", Ini() + " is not a regular file"},
        {utf16, Ini() + " is not a configuration file this program can read: UTF-16"},
    };
    for (const auto& [content, reason] : cases) {
        SCOPED_TRACE(reason);
        ::unlink(Ini().c_str());
        if (content == "fifo")
            ASSERT_EQ(::mkfifo(Ini().c_str(), 0644), 0);
        else
            WriteIni(content);
        try {
            Start();
            ADD_FAILURE() << "the bar started on it";
        } catch (const EIniFileError& e) {
            EXPECT_EQ(e.what(), reason);
        }
        if (content != "fifo") {
            EXPECT_EQ(IniText(), content);
        }
        EXPECT_FALSE(QFile::exists(QString::fromStdString(Ini() + ".lock")));
        EXPECT_FALSE(QFile::exists(QString::fromStdString(platform.appDir + "KX.DAT")));
    }
    ::unlink(Ini().c_str());
}

TEST_F(StartupTest, ReloadMessageOfItsOwnSuffixOnly)
{
    WriteIni("[Location]\nTop=100\n[Programs]\nSpeedButton1=/bin/true\n");
    MainWindow& f = Start({"/m", "desk"});
    EXPECT_EQ(f.State().IniSuffix, "desk");
    // A message of another suffix is not ours; ours reloads the buttons.
    WriteIni("[Location]\nTop=100\n[Programs]\nSpeedButton2=/bin/true\n", "desk");
    platform.handler({"UKexbarother", 1});
    EXPECT_FALSE(Pages(f).FindButton(2)->HasGlyph());
    platform.handler({"UKexbardesk", 1});
    EXPECT_TRUE(Pages(f).FindButton(2)->HasGlyph());
}

TEST_F(StartupTest, DefaultGaugeIsDriveCWhateverTheAppDir)
{
    // AppDir here starts with "/": the default gauge is still the root drive "C".
    WriteIni("[Location]\nTop=100\n");
    MainWindow& f = Start();
    EXPECT_EQ(f.Status().GaugeType(), "CHardDrive");
    EXPECT_TRUE(f.MenuItem("CHardDrive")->isChecked());
}

TEST_F(StartupTest, ReadOnlyConfigurationStartsABarThatWorksReadOnly)
{
    struct Case {
        const char* what;
        std::string ini; // "" leaves no file; the directory is read-only then
    } cases[] = {
        {"read-only file without Run=Yes", "[Location]\nTop=100\n[Programs]\nSpeedButton1=/bin/true\n"},
        {"read-only file with an empty record to tidy",
         "[Location]\nTop=100\nRun=Yes\n[Programs]\nSpeedButton1=/bin/true\nSpeedButton2=\n"},
        {"AppDir that cannot be written, first start", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dialogs.messages.clear();
        platform.started.clear();
        if (!c.ini.empty()) {
            WriteIni(c.ini);
            ASSERT_EQ(::chmod(Ini().c_str(), 0444), 0);
        } else {
            ::unlink(Ini().c_str());
            ASSERT_EQ(::chmod(platform.appDir.c_str(), 0555), 0);
        }
        const std::string before = IniText();
        MainWindow* f = nullptr;
        ASSERT_NO_THROW(f = &Start());
        f->show();
        f->move(50, 60); // the bar's own attempts to store its place
        Pump();
        // The error is shown once, and the bar is there.
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, "Unable to write to " + Ini());
        EXPECT_EQ(dialogs.messages[0].type, MessageType::mtError);
        EXPECT_GE(Pages(*f).PageCount(), 1);
        if (!c.ini.empty()) {
            // Launching works; a change is refused with the store's message and loses nothing.
            QTest::mouseClick(Pages(*f).FindButton(1), Qt::LeftButton);
            ASSERT_EQ(platform.started.size(), 1u);
            EXPECT_EQ(platform.started[0].argv, std::vector<std::string>{"/bin/true"});
            ChooseOnButton(*f, 1, "RemoveButton1");
            EXPECT_EQ(dialogs.messages.back().text, "Unable to write to " + Ini());
        }
        EXPECT_EQ(IniText(), before);
        form.reset();
        ::chmod(platform.appDir.c_str(), 0755);
        ::chmod(Ini().c_str(), 0644);
    }
}

TEST_F(StartupTest, ItemsAndHintsOfSubsystemsNotBuiltPromiseNothing)
{
    WriteIni("[Location]\nTop=100\nShowHint=Yes\n[Programs]\nSpeedButton1=/bin/true\n");
    MainWindow& f = Start();
    // Every item has its handler now, the clock's sounds with the clock.
    for (const char* name : {"MoveButton1",     "CopyButton1", "RemoveButton1", "ConfigureButton1",   "ShrinkOnLaunch2",
                             "DeletePage1",     "AddPage1",    "Exit1",         "PasswordProtect1",   "LockoutModify1",
                             "ShrinkOnLaunch1", "HideGraph1",  "StaySmall",     "LockGraphLocation1", "IconState1",
                             "ClockOptions1",   "TimeSound1",  "TimeSound2",    "ConfirmExit1",       "ExitKexbar1",
                             "ScreenSave1",     "ShowHint1"})
        EXPECT_TRUE(f.MenuItem(name)->isVisible()) << name;
    // The button menu offers what works, and a launch is not held by a hidden mark.
    dialogs.popupChoices = {""};
    Pages(f).OpenButtonMenu(1, QPoint(0, 0));
    ASSERT_EQ(dialogs.popups.size(), 1u);
    for (const char* name : {"MoveButton1", "CopyButton1", "RemoveButton1"})
        EXPECT_TRUE(f.MenuItem(name)->isEnabled()) << name;
    // The Run button's right press offers the screen saver before any launch.
    dialogs.popupChoices = {""};
    Q_EMIT Child<QToolButton>(f, "RunButton")->customContextMenuRequested(QPoint(1, 1));
    ASSERT_EQ(dialogs.popups.size(), 2u);
    EXPECT_EQ(dialogs.popups[1].menu, "PopupMenu5");
    // The general hints are on.
    EXPECT_TRUE(Child<QFrame>(f, "Panel1")->toolTip().isEmpty());
    for (QWidget* w : std::initializer_list<QWidget*>{Child<QToolButton>(f, "HelpButton"),
                                                      Child<QToolButton>(f, "RunButton"), Child<TTabSet>(f, "TabSet1")})
        EXPECT_FALSE(w->toolTip().isEmpty()) << w->objectName().toStdString();
}

TEST_F(StartupTest, BarWithoutATrayIconNeverHides)
{
    WriteIni("[Location]\nTop=100\nHide=Yes\nStaySmall=Yes\n");
    MainWindow& f = Start();
    EXPECT_FALSE(f.StartsHidden());
}

TEST_F(StartupTest, HelpFileIsFoundInAppDirThenBesideTheProgramThenInTheDataDirectory)
{
    QTemporaryDir programDir, dataDir;
    platform.programDir = programDir.path().toStdString() + "/";
    platform.dataDir = dataDir.path().toStdString() + "/";
    auto put = [](const std::string& dir) { std::ofstream(dir + "Kexbar.HLP") << "<html></html>"; };
    struct Case {
        const char* what;
        std::vector<std::string> holding;
        std::string expected;
    } cases[] = {
        {"nowhere: AppDir's name", {}, platform.appDir},
        {"installed only", {platform.dataDir}, platform.dataDir},
        {"beside the program and installed", {platform.programDir, platform.dataDir}, platform.programDir},
        {"everywhere", {platform.appDir, platform.programDir, platform.dataDir}, platform.appDir},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const std::string& dir : {platform.appDir, platform.programDir, platform.dataDir})
            ::unlink((dir + "Kexbar.HLP").c_str());
        for (const std::string& dir : c.holding)
            put(dir);
        MainWindow& f = Start();
        Child<QToolButton>(f, "HelpButton")->click();
        EXPECT_EQ(dialogs.helpFile, c.expected + "Kexbar.HLP");
        form.reset();
    }
}

TEST_F(StartupTest, SoundCaptionsShowTheFileNameAsStoredWithItsAmpersand)
{
    WriteIni("[Location]\nTop=100\n[Time]\nSound=Yes\nSoundFile=/snd/my chimes & bells.wav\nSound2=Yes\n"
             "SoundFile2='/snd/odd'name.wav\n[Programs]\nSpeedButton1=/bin/true\n[SoundSelect]\n"
             "SpeedButton1=/snd/rock & roll.wav\n");
    MainWindow& f = Start();
    EXPECT_EQ(f.MenuItem("TimeSound1")->text(), "Hour &Sound = my chimes && bells.wav");
    EXPECT_EQ(f.MenuItem("TimeSound2")->text(), "H&alf Hour Sound = odd'name.wav");
    dialogs.popupChoices = {""};
    Pages(f).OpenButtonMenu(1, QPoint(0, 0));
    EXPECT_EQ(f.MenuItem("SoundSelect1")->text(), "Sound on &Keyboard Select = rock && roll.wav");
}

} // namespace
} // namespace kex

namespace kex {
namespace {

// Counts the timer events of an object and its children (the edit's caret blink runs
// on a child of the edit).
class TimerLog : public QObject {
public:
    QObject* watched = nullptr;
    int ticks = 0, keys = 0;
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Timer && (o == watched || o->parent() == watched))
            ++ticks;
        if (e->type() == QEvent::KeyPress && o == watched)
            ++keys;
        return false;
    }
};

TEST_F(StartupTest, TheHiddenSelectionEditTakesKeysWithoutABlinkingCaret)
{
    MainWindow& f = Start();
    f.show();
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    auto* keys = Child<QLineEdit>(f, "Keys");
    keys->setFocus();
    QCoreApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), keys);
    TimerLog log;
    log.watched = keys;
    qApp->installEventFilter(&log);
    // Three of the caret's half periods would pass.
    QTest::qWait(std::max(3 * QGuiApplication::styleHints()->cursorFlashTime() / 2, 300));
    EXPECT_EQ(log.ticks, 0);
    // The keys still go to the edit.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_7);
    qApp->removeEventFilter(&log);
    EXPECT_EQ(log.keys, 1);
}

} // namespace
} // namespace kex
