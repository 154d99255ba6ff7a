// The launch engine in the window: clicks on page buttons, browsing for the program of
// an empty button, files chosen at a launch, the launched-program watch and the Run
// button; first against the fake platform, then with real processes.
#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QTimer>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "FormFixture.h"
#include "core/launch/CommandLine.h"
#include "core/pages/ButtonRecord.h"
#include "ui/widgets/SpeedButton.h"
#include "ui/widgets/TabSet.h"
#include "platform/LinuxPlatform.h"

namespace kex {
namespace {

namespace fs = std::filesystem;
using Argv = std::vector<std::string>;

// The fake platform, also telling the order of sounds and starts and letting a test
// look at the window while a start is under way.
class ProbePlatform : public FakePlatform {
public:
    std::vector<std::string> order; // "sound <file>" and "start <argv[0]>"
    std::function<void()> duringStart;

    StartResult StartProcess(const std::vector<std::string>& argv, const std::string& workingDir) override
    {
        order.push_back("start " + (argv.empty() ? std::string() : argv.front()));
        if (duringStart)
            duringStart();
        return FakePlatform::StartProcess(argv, workingDir);
    }
    void PlaySoundSync(const std::string& file) override
    {
        order.push_back("sound " + file);
        FakePlatform::PlaySoundSync(file);
    }
};

class LaunchTest : public FormTest {
protected:
    // The window gets this probe; it hides the fixture's plain fake.
    ProbePlatform platform;
    std::string root; // programs, documents and folders of the tests

    void SetUp() override
    {
        FormTest::SetUp();
        platform.appDir = FormTest::platform.appDir;
        root = platform.appDir + "files/";
        fs::create_directories(root);
    }

    // The bar on a configuration that holds `ini` after a stored place (so no first
    // start), shown.
    MainWindow& StartBar(const std::string& ini = "", std::vector<std::string> args = {},
                         const std::string& suffix = "")
    {
        WriteIni("[Location]\nTop=100\n" + ini, suffix);
        form = std::make_unique<MainWindow>(platform, dialogs, std::move(args));
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        return *form;
    }

    // A program path under root; it exists (as a file dialog would give it), and it
    // has an icon so that no icon question comes up.
    std::string Program(const std::string& relative)
    {
        std::string path = Document(relative);
        QImage icon(16, 16, QImage::Format_ARGB32);
        icon.fill(Qt::blue);
        platform.icons[{path, 0}] = icon;
        return path;
    }
    // A file under root, with its folder.
    std::string Document(const std::string& relative)
    {
        const std::string path = root + relative;
        fs::create_directories(fs::path(path).parent_path());
        std::ofstream(path).flush();
        return path;
    }
    std::string Folder(const std::string& relative)
    {
        fs::create_directories(root + relative);
        return root + relative;
    }

    // Chooses the recent list's entry with this caption from the Run button's menu.
    void RunRecentEntry(MainWindow& f, const std::string& caption)
    {
        for (QAction* item : Child<QMenu>(f, "PopupMenu5")->actions())
            if (item->isVisible() && item->text().toStdString() == caption)
                return item->trigger();
        ADD_FAILURE() << "no recent entry " << caption;
    }
    void Click(int n)
    {
        TSpeedButton* button = Pages(*form).FindButton(n);
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
    }
    std::string Record(const std::string& section, int n) const { return Value(section, ButtonKey(n)); }
    std::vector<Argv> StartedArgv() const
    {
        std::vector<Argv> r;
        for (const auto& s : platform.started)
            r.push_back(s.argv);
        return r;
    }
};

// ---- the click gates

TEST_F(LaunchTest, ClicksLaunchNothingWhileAPageIsRenamedOrAMoveIsPending)
{
    struct Case {
        const char* state;
        std::function<void(MainWindow&)> enter, leave;
        bool launches;
    } cases[] = {
        {"nothing pending", [](MainWindow&) {}, [](MainWindow&) {}, true},
        {"page renamed from the page menu (red tab)", [](MainWindow& f) { f.MenuItem("RenamePage1")->trigger(); },
         [](MainWindow& f) { QTest::keyClick(Child<QLineEdit>(f, "PageName"), Qt::Key_Escape); }, false},
        {"page name edited", [](MainWindow& f) { Pages(f).RenamePage(); },
         [](MainWindow& f) { Pages(f).CloseEditor(); }, false},
        // The copy pending on button 1 is put down by the click on the empty button 2.
        {"copy pending", [this](MainWindow& f) { ChooseOnButton(f, 1, "CopyButton1"); }, [](MainWindow&) {}, false},
    };
    const std::string prog = Program("apps/editor");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        platform.started.clear();
        MainWindow& f = StartBar("[Programs]\nSpeedButton1=" + prog + "\n");
        c.enter(f);
        Click(1);
        Click(2); // an empty button browses only when clicks act
        EXPECT_EQ(platform.started.size(), c.launches ? 1u : 0u);
        EXPECT_EQ(dialogs.openDialogs.size(), c.launches ? 1u : 0u);
        dialogs.openDialogs.clear();
        c.leave(f);
        Click(1);
        EXPECT_EQ(platform.started.size(), c.launches ? 2u : 1u);
        EXPECT_TRUE(dialogs.messages.empty());
        form.reset();
    }
}

TEST_F(LaunchTest, ClickOnTheTargetOfAMovePutsTheButtonDownWithoutStartingIt)
{
    const std::string prog = Program("apps/editor");
    const std::string other = Program("apps/other");
    MainWindow& f =
        StartBar("[Programs]\nSpeedButton1=" + prog + "\nSpeedButton3=" + other + "\n[Names]\nSpeedButton1=Editor\n");
    dialogs.popupChoices = {"MoveButton1"};
    Pages(f).OpenButtonMenu(1, QPoint(0, 0));
    ASSERT_EQ(f.ScreenCursor(), crDrag);
    Click(3); // an occupied button: neither started nor a target
    EXPECT_EQ(f.ScreenCursor(), crDrag);
    EXPECT_EQ(Record("Programs", 3), other);
    Click(2);
    EXPECT_TRUE(platform.started.empty());
    EXPECT_TRUE(dialogs.openDialogs.empty());
    EXPECT_EQ(f.ScreenCursor(), crDefault);
    EXPECT_EQ(Record("Programs", 2), prog);
    EXPECT_EQ(Record("Names", 2), "Editor");
    EXPECT_EQ(Record("Programs", 1), "<absent>");
    Click(2);
    EXPECT_EQ(StartedArgv(), (std::vector<Argv>{{prog}}));
}

// ---- empty buttons

TEST_F(LaunchTest, FirstClickOnAnEmptyButtonBrowsesAndStoresSecondClickStarts)
{
    const std::string editor = Program("apps/editor");
    const std::string report = Document("docs/report.txt");
    const std::string spaced = Document("my docs/a b.txt");
    const std::string wrapper = Program("bin/flatpak"), terminal = Program("bin/xterm");
    struct Case {
        const char* what;
        std::string chosen;
        std::string associated; // empty: the chosen file is its own program
        std::string programs, parameters;
        Argv started;
        Argv opener;       // the platform's command for the document, when given
        std::string label; // in the hint and the recent entry: the program, never a terminal
    } cases[] = {
        {"program", editor, "", editor, "<absent>", {editor}, {}, "editor"},
        {"document", report, editor, editor, report, {editor, report}, {}, "editor"},
        {"document with blanks", spaced, editor, editor, "'" + spaced + "'", {editor, spaced}, {}, "editor"},
        // The desktop entry's own arguments are kept: a wrapper and a terminal program.
        {"document of a wrapped application",
         report,
         "",
         wrapper + " run --file-forwarding org.kex.Editor @@",
         report,
         {wrapper, "run", "--file-forwarding", "org.kex.Editor", "@@", report},
         {wrapper, "run", "--file-forwarding", "org.kex.Editor", "@@"},
         "flatpak"},
        {"document of a terminal program",
         spaced,
         "",
         terminal + " -e " + editor + " -q ''",
         "'" + spaced + "'",
         {terminal, "-e", editor, "-q", "", spaced},
         {terminal, "-e", editor, "-q", ""},
         "editor"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        platform.started.clear();
        platform.findPrograms.clear();
        platform.openCommands.clear();
        dialogs.openDialogs.clear();
        if (!c.associated.empty())
            platform.findPrograms[c.chosen] = c.associated;
        if (!c.opener.empty())
            platform.openCommands[c.chosen] = c.opener;
        // A stale parameter of an earlier record must not survive a program.
        MainWindow& f = StartBar("[Parameters]\nSpeedButton3=-stale\n");
        dialogs.files = {{c.chosen}};
        Click(3);
        ASSERT_EQ(dialogs.openDialogs.size(), 1u);
        const OpenDialogOptions& o = dialogs.openDialogs[0];
        EXPECT_EQ(o.title, "Select Program to Run");
        EXPECT_EQ(o.helpContext, 29);
        EXPECT_EQ(o.filter.rfind("Programs|", 0), 0u) << o.filter;
        EXPECT_EQ(o.initialDir, QDir::homePath().toStdString());
        EXPECT_FALSE(o.multiSelect);
        EXPECT_EQ(Record("Programs", 3), c.programs);
        EXPECT_EQ(Record("Parameters", 3), c.parameters);
        EXPECT_TRUE(platform.started.empty());
        EXPECT_TRUE(Pages(f).FindButton(3)->HasGlyph());
        EXPECT_EQ(Launch(f).ShrinkNow(), std::optional<bool>(false));
        const std::string parameters = c.parameters == "<absent>" ? "" : " " + c.parameters;
        EXPECT_EQ(Pages(f).FindButton(3)->toolTip().toStdString(), c.label + parameters);
        Click(3);
        EXPECT_EQ(dialogs.openDialogs.size(), 1u);
        EXPECT_EQ(StartedArgv(), (std::vector<Argv>{c.started}));
        EXPECT_EQ(Value("MRU", "1"), c.label + "  |3");
        EXPECT_TRUE(dialogs.messages.empty());
        form.reset();
    }
}

TEST_F(LaunchTest, EmptyButtonStaysEmptyWithoutAnAssociationOrWhenBrowsingIsCancelled)
{
    const std::string doc = root + "docs/strange.xyz";
    platform.findResults[doc] = kFindNoAssociation;
    MainWindow& f = StartBar();
    const std::string before = IniText();
    dialogs.files = {{doc}}; // the second browse is cancelled
    Click(5);
    Click(5);
    EXPECT_EQ(dialogs.openDialogs.size(), 2u);
    EXPECT_EQ(IniText(), before);
    EXPECT_FALSE(Pages(f).FindButton(5)->HasGlyph());
    EXPECT_TRUE(platform.started.empty());
}

TEST_F(LaunchTest, ABrowsedFileThatIsNotThereOrWhoseNameTheFileCannotKeepFillsNothing)
{
    const std::string lineBreak = Document("docs/two\nlines.txt");
    const std::string gone = root + "docs/gone.txt";
    platform.openCommands[lineBreak] = {"/usr/bin/viewer"};
    MainWindow& f = StartBar();
    const std::string before = IniText();
    const std::pair<std::string, std::string> cases[] = {{lineBreak, "line break"}, {gone, "cannot be found"}};
    for (const auto& [chosen, why] : cases) {
        SCOPED_TRACE(chosen);
        dialogs.messages.clear();
        dialogs.files = {{chosen}};
        Click(5);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].type, MessageType::mtError);
        EXPECT_NE(dialogs.messages[0].text.find(why), std::string::npos) << dialogs.messages[0].text;
        EXPECT_EQ(IniText(), before);
        EXPECT_FALSE(Pages(f).FindButton(5)->HasGlyph());
    }
}

TEST_F(LaunchTest, ABrowsedButtonIsAnnouncedToTheOtherInstancesInSyncMode)
{
    const std::string editor = Program("apps/editor");
    StartBar("", {"/m", "desk"}, "desk");
    dialogs.files = {{editor}};
    Click(1);
    EXPECT_EQ(Record("Programs", 1), "<absent>"); // another configuration
    EXPECT_EQ(Value("Programs", "SpeedButton1", "desk"), editor);
    EXPECT_EQ(platform.broadcasts, (std::vector<std::pair<std::string, int>>{{"UKexbardesk", 1}}));
    Pump(); // the message is delivered (and the bar reloads) before the fake goes
    EXPECT_TRUE(Pages(*form).FindButton(1)->HasGlyph());
}

TEST_F(LaunchTest, LockedBarEmptyButtonOnlyTakesTheFocusBack)
{
    const std::string prog = Program("apps/editor");
    MainWindow& f = StartBar("[Programs]\nSpeedButton1=" + prog + "\n");
    auto* elsewhere = new QLineEdit(&f);
    elsewhere->show();
    elsewhere->setFocus();
    Lockout(f, "master");
    ASSERT_TRUE(Locked(f));
    elsewhere->setFocus();
    Click(4);
    EXPECT_TRUE(dialogs.openDialogs.empty());
    EXPECT_EQ(f.focusWidget(), Child<QLineEdit>(f, "Keys"));
    EXPECT_TRUE(platform.started.empty());
    EXPECT_EQ(Record("Programs", 4), "<absent>");
    // A configured button still starts.
    Click(1);
    EXPECT_EQ(platform.started.size(), 1u);
    Lockout(f, "master"); // unlocked
    Click(4);
    EXPECT_EQ(dialogs.openDialogs.size(), 1u);
}

// ---- configured buttons

TEST_F(LaunchTest, FilesChosenAtTheLaunchBecomeItsParametersAfterTheSound)
{
    const std::string prog = Program("apps/viewer");
    const std::string inbox = Folder("in box");
    const std::string ini = "[Programs]\nSpeedButton1=" + prog
                            + "\n[Parameters]\nSpeedButton1=-x\n[Select]\nSpeedButton1=" + ShortPathOf(inbox)
                            + "\n[SoundLaunch]\nSpeedButton1=/snd/go.wav\n[Shrink]\nSpeedButton1=Yes\n";
    MainWindow& f = StartBar(ini);

    // Cancelled: nothing starts, nothing sounds.
    Click(1);
    ASSERT_EQ(dialogs.openDialogs.size(), 1u);
    const OpenDialogOptions& o = dialogs.openDialogs[0];
    EXPECT_EQ(o.title, "Select File(s)");
    EXPECT_EQ(o.filter, "All Files|*.*");
    EXPECT_EQ(o.helpContext, 24);
    EXPECT_TRUE(o.multiSelect);
    EXPECT_EQ(o.initialDir, inbox);
    EXPECT_EQ(dialogs.helpFile, platform.appDir + "Kexbar.HLP");
    EXPECT_TRUE(platform.order.empty());
    EXPECT_FALSE(Child<QTimer>(f, "Timer2")->isActive());
    EXPECT_EQ(Launch(f).ShrinkNow(), std::optional<bool>(false)); // the dropped launch leaves nothing for the next one

    // Two files, in the dialog's order, each one word.
    dialogs.files = {{inbox + "/A.TXT", inbox + "/B.TXT"}};
    Click(1);
    EXPECT_EQ(StartedArgv(), (std::vector<Argv>{{prog, inbox + "/A.TXT", inbox + "/B.TXT"}}));
    EXPECT_EQ(platform.order, (std::vector<std::string>{"sound /snd/go.wav", "start " + prog}));
    EXPECT_EQ(Record("Parameters", 1), "-x");
}

TEST_F(LaunchTest, ParametersAndLongCommandLinesReachTheProgramWhole)
{
    const std::string prog = Program("my apps/tool");
    const std::string longWord(1000, 'x');
    const std::string longerWord(3000, 'y'); // longer than a profile read gives
    struct Case {
        std::string parameters;
        Argv argv;
    } cases[] = {
        {"", {prog}},
        {"-a 'two words' \"$HOME\"", {prog, "-a", "two words", "$HOME"}},
        {"--long=" + longWord, {prog, "--long=" + longWord}},
        {"--longer=" + longerWord, {prog, "--longer=" + longerWord}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.parameters.substr(0, 40));
        platform.started.clear();
        StartBar("[Programs]\nSpeedButton2=" + ShortPathOf(prog) + "\n[Parameters]\nSpeedButton2=" + c.parameters
                 + "\n");
        Click(2);
        EXPECT_EQ(StartedArgv(), (std::vector<Argv>{c.argv}));
        // A launch writes no parameters back: the stored value stays whole, as written.
        EXPECT_EQ(TNewIniFile(Ini()).Document().Get("Parameters", ButtonKey(2)), c.parameters);
        form.reset();
    }
}

TEST_F(LaunchTest, WorkingDirectoryIsTheButtonsElseTheProgramsAndOnlyAnExistingOne)
{
    const std::string prog = Program("apps/tool");
    const std::string work = Folder("work dir");
    const std::string lost = root + "nowhere/tool";
    struct Case {
        std::string program, working, expected;
    } cases[] = {
        {prog, "", root + "apps/"},
        {prog, ShortPathOf(work), work},
        {prog, root + "gone", ""},
        {lost, "", ""},
    };
    const std::string cwd = fs::current_path().string();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program + " / " + c.working);
        platform.started.clear();
        StartBar("[Programs]\nSpeedButton1=" + c.program + "\n[Working]\nSpeedButton1=" + c.working
                 + "\n[Icons]\nSpeedButton1=Default\n");
        Click(1);
        ASSERT_EQ(platform.started.size(), 1u);
        EXPECT_EQ(platform.started[0].workingDir, c.expected);
        EXPECT_EQ(fs::current_path().string(), cwd); // the bar's own stays
        form.reset();
    }
}

TEST_F(LaunchTest, ButtonShrinkValueDecidesTheLaunchAndIsResetAfterIt)
{
    const std::string prog = Program("apps/tool");
    struct Case {
        std::optional<std::string> button;
        std::string setting;
        std::optional<bool> shrinkNow; // nothing: the bar's setting decides
    } cases[] = {
        {"Yes", "No", true},         {"No", "Yes", false},      {std::nullopt, "Yes", true},
        {std::nullopt, "No", false}, {"", "Yes", std::nullopt}, {"maybe", "Yes", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button.value_or("(none)") + " / " + c.setting);
        std::string ini = "Shrink=" + c.setting + "\nHide=Yes\n[Programs]\nSpeedButton1=" + prog + "\n";
        if (c.button)
            ini += "[Shrink]\nSpeedButton1=" + *c.button + "\n";
        MainWindow& f = StartBar(ini);
        std::optional<bool> during;
        bool visibleDuring = true;
        platform.duringStart = [&] {
            during = Launch(f).ShrinkNow();
            visibleDuring = f.isVisible();
        };
        const QDateTime launchTime(QDate(2026, 12, 7), QTime(11, 15, 0));
        platform.now = launchTime;
        Click(1);
        EXPECT_EQ(during, c.shrinkNow);
        // "Tray Icon on Launch" hides the bar only behind a tray icon, which there is not.
        EXPECT_TRUE(visibleDuring);
        EXPECT_EQ(Launch(f).ShrinkNow(), std::optional<bool>(false));
        EXPECT_EQ(Launch(f).ProgramTimerStart(), launchTime);
        platform.duringStart = nullptr;
        form.reset();
    }
}

// ---- the launched-program watch

TEST_F(LaunchTest, WatchWaitsForTheProgramAndClearsTheRecordWhenItEnds)
{
    const std::string prog = Program("apps/tool");
    struct Case {
        bool staySmall, visibleAfterEnd;
    } cases[] = {{false, true}, {true, true}}; // "Hide" hides nothing without a tray icon
    for (const Case& c : cases) {
        SCOPED_TRACE(c.staySmall);
        platform.started.clear();
        MainWindow& f = StartBar("Hide=Yes\nShrink=No\n[Programs]\nSpeedButton1=" + prog + "\n");
        if (f.MenuItem("StaySmall")->isChecked() != c.staySmall) // as the user turns it on
            f.MenuItem("StaySmall")->trigger();
        EXPECT_FALSE(Child<QTimer>(f, "Timer2")->isActive());
        Click(1);
        ASSERT_EQ(platform.started.size(), 1u);
        const pid_t pid = platform.started[0].pid;
        EXPECT_TRUE(Child<QTimer>(f, "Timer2")->isActive());
        EXPECT_EQ(Child<QTimer>(f, "Timer2")->interval(), 100);
        EXPECT_EQ(Launch(f).WatchedPid(), pid);
        EXPECT_TRUE(f.isVisible()); // no tray icon to bring it back: the bar stays in sight

        // Running: the ticks reap but change nothing.
        const int reaps = platform.reaps;
        EXPECT_TRUE(QTest::qWaitFor([&] { return platform.reaps > reaps; }, 30000));
        EXPECT_EQ(Launch(f).WatchedPid(), pid);
        EXPECT_TRUE(f.isVisible()); // no tray icon to bring it back: the bar stays in sight

        // Ended, and the button replayed from the recent list: the watch waits for the
        // replayed program as for a click's and restarts the timer at its end.
        platform.processes[pid] = ProcessState::Ended;
        Launch(f).Watch();
        ASSERT_EQ(Launch(f).WatchedPid(), 0);
        Click(1);
        platform.processes[platform.started[1].pid] = ProcessState::Ended;
        Launch(f).Watch();
        ASSERT_EQ(Launch(f).WatchedPid(), 0);
        const QDateTime replayEnd(QDate(2026, 12, 7), QTime(11, 0, 0));
        platform.now = replayEnd;
        RunRecentEntry(f, "tool  |1");
        ASSERT_EQ(platform.started.size(), 3u);
        const pid_t replayed = platform.started[2].pid;
        EXPECT_EQ(Launch(f).WatchedPid(), replayed);
        platform.now = replayEnd.addSecs(30);
        platform.processes[replayed] = ProcessState::Ended;
        Launch(f).Watch();
        EXPECT_EQ(Launch(f).WatchedPid(), 0);
        EXPECT_EQ(Launch(f).ProgramTimerStart(), replayEnd.addSecs(30));

        // A click on the bar: the watch waits for its program again and sees its end.
        Click(1);
        ASSERT_EQ(platform.started.size(), 4u);
        platform.processes[platform.started[3].pid] = ProcessState::Ended;
        const QDateTime endTime(QDate(2026, 12, 7), QTime(12, 0, 0));
        platform.now = endTime;
        EXPECT_TRUE(QTest::qWaitFor([&] { return Launch(f).WatchedPid() == 0; }, 30000));
        EXPECT_EQ(Launch(f).ProgramTimerStart(), endTime);
        EXPECT_EQ(f.isVisible(), c.visibleAfterEnd);
        EXPECT_TRUE(Child<QTimer>(f, "Timer2")->isActive()); // until the bar is back at full size
        // Later ticks find nothing to do.
        platform.now = endTime.addSecs(60);
        Launch(f).Watch();
        EXPECT_EQ(Launch(f).ProgramTimerStart(), endTime);
        form.reset();
    }
}

TEST_F(LaunchTest, ProgramThatCannotStartBringsTheBarBackAndSaysWhy)
{
    const std::string prog = Program("apps/broken");
    MainWindow& f = StartBar("Hide=Yes\nShrink=No\n[Programs]\nSpeedButton1=" + prog + "\n");
    platform.startError = "Permission denied";
    const QDateTime t(QDate(2026, 12, 7), QTime(13, 0, 0));
    platform.now = t;
    Click(1);
    EXPECT_EQ(dialogs.notices, (std::vector<std::string>{"Unable to start " + prog + ": Permission denied"}));
    EXPECT_TRUE(dialogs.messages.empty()); // nothing waits for the user
    EXPECT_FALSE(Child<QTimer>(f, "Timer2")->isActive());
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(Launch(f).WatchedPid(), 0);
    EXPECT_EQ(Launch(f).ProgramTimerStart(), t);
    EXPECT_EQ(Launch(f).ShrinkNow(), std::optional<bool>(false));
}

// ---- the Run button

TEST_F(LaunchTest, RunButtonIsRefusedWhileModifyIsLockedOut)
{
    MainWindow& f = StartBar();
    Lockout(f, "master");
    ASSERT_TRUE(Locked(f));
    dialogs.files = {{Program("apps/tool")}};
    QTest::mouseClick(Child<QToolButton>(f, "RunButton"), Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "The Run function has been turned off");
    EXPECT_EQ(dialogs.messages[0].type, MessageType::mtInformation);
    EXPECT_EQ(dialogs.messages[0].buttons, unsigned(mbOK));
    EXPECT_TRUE(dialogs.openDialogs.empty());
    EXPECT_TRUE(platform.started.empty());
}

TEST_F(LaunchTest, RunButtonStartsTheChosenProgramOnceAndStoresNothing)
{
    const std::string prog = Program("my tools/run me");
    MainWindow& f = StartBar("[Programs]\nSpeedButton1=" + Program("apps/tool") + "\n");
    const std::string before = IniText();

    // Cancelled: nothing.
    QTest::mouseClick(Child<QToolButton>(f, "RunButton"), Qt::LeftButton);
    dialogs.files = {{prog}};
    EXPECT_EQ(dialogs.openDialogs.size(), 1u);
    EXPECT_TRUE(platform.started.empty());

    // A Run launch belongs to no button: no password is asked.
    QTest::mouseClick(Child<QToolButton>(f, "RunButton"), Qt::LeftButton);
    ASSERT_EQ(dialogs.openDialogs.size(), 2u);
    const OpenDialogOptions& o = dialogs.openDialogs[1];
    EXPECT_EQ(o.title, "Select Program to Run");
    EXPECT_EQ(o.helpContext, 29);
    EXPECT_EQ(o.filter.rfind("Programs|", 0), 0u);
    ASSERT_EQ(platform.started.size(), 1u);
    EXPECT_EQ(platform.started[0].argv, Argv{prog});
    EXPECT_EQ(platform.started[0].workingDir, root + "my tools/");
    EXPECT_TRUE(Child<QTimer>(f, "Timer2")->isActive());
    EXPECT_EQ(Launch(f).WatchedPid(), platform.started[0].pid);
    EXPECT_EQ(IniText(), before);
    EXPECT_TRUE(dialogs.messages.empty());

    // While a move or copy is pending: nothing.
    ChooseOnButton(f, 1, "CopyButton1");
    ASSERT_TRUE(Pages(f).PendingButton().has_value());
    dialogs.files = {{prog}};
    QTest::mouseClick(Child<QToolButton>(f, "RunButton"), Qt::LeftButton);
    EXPECT_EQ(dialogs.openDialogs.size(), 2u);
    EXPECT_EQ(platform.started.size(), 1u);
}

// ---- real processes

// A window on the Linux platform with its data in a temporary folder.
class RealLaunchTest : public testing::Test {
protected:
    QTemporaryDir tmp;
    std::string base; // ends in "/"
    std::optional<std::string> savedDir;
    std::unique_ptr<LinuxPlatform> platform;
    FakeDialogs dialogs;
    std::unique_ptr<MainWindow> form;

    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        base = tmp.path().toStdString() + "/";
        fs::create_directories(base + "app");
        if (const char* d = std::getenv("KEXBAR_DIR"))
            savedDir = d;
        ::setenv("KEXBAR_DIR", (base + "app").c_str(), 1);
        platform = std::make_unique<LinuxPlatform>();
    }
    void TearDown() override
    {
        form.reset();
        platform.reset();
        if (savedDir)
            ::setenv("KEXBAR_DIR", savedDir->c_str(), 1);
        else
            ::unsetenv("KEXBAR_DIR");
    }

    MainWindow& StartBar(const std::string& ini)
    {
        std::ofstream(base + "app/KX.INI") << "[Location]\nTop=100\n" << ini;
        form = std::make_unique<MainWindow>(*platform, dialogs, std::vector<std::string>{});
        EXPECT_EQ(form->State().AppDir, base + "app/");
        return *form;
    }

    // A script that writes its argv (NUL-separated) and its working directory into
    // `out`, the argv file last.
    std::string Script(const std::string& relative, const std::string& out)
    {
        const std::string path = base + relative;
        fs::create_directories(fs::path(path).parent_path());
        fs::create_directories(out);
        std::ofstream(path) << "#!/bin/sh\n"
                            << "d='" << out << "'\n"
                            << "printf '%s\\0' \"$0\" \"$@\" > \"$d/argv.part\"\n"
                            << "pwd -P > \"$d/cwd\"\n"
                            << "mv \"$d/argv.part\" \"$d/argv\"\n";
        ::chmod(path.c_str(), 0755);
        return path;
    }
    static std::string ReadAll(const std::string& file)
    {
        std::ifstream in(file, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    static Argv SplitNul(const std::string& text)
    {
        Argv r;
        std::string::size_type start = 0, end;
        while ((end = text.find('\0', start)) != std::string::npos) {
            r.push_back(text.substr(start, end - start));
            start = end + 1;
        }
        return r;
    }
    static std::string Canonical(const std::string& dir)
    {
        return QDir(QString::fromStdString(dir)).canonicalPath().toStdString();
    }
    static std::string Cwd() { return fs::current_path().string(); }
};

TEST_F(RealLaunchTest, ButtonStartsItsScriptInItsWorkingDirectoryAndTheWatchSeesTheEnd)
{
    const std::string out = base + "out";
    const std::string script = Script("my progs/show args.sh", out);
    const std::string work = base + "work dir";
    fs::create_directories(work);
    MainWindow& f =
        StartBar("[Programs]\nSpeedButton1=" + ShortPathOf(script) + "\n[Parameters]\nSpeedButton1=one 'two words'\n"
                 + "[Working]\nSpeedButton1=" + ShortPathOf(work) + "\n[Icons]\nSpeedButton1=Default\n");
    const std::string cwd = Cwd();
    QTest::mouseClick(Pages(f).FindButton(1), Qt::LeftButton);
    EXPECT_TRUE(dialogs.notices.empty()) << dialogs.notices.front();
    const pid_t pid = Launch(f).WatchedPid();
    ASSERT_GT(pid, 0);
    EXPECT_TRUE(Child<QTimer>(f, "Timer2")->isActive());
    EXPECT_EQ(Cwd(), cwd);

    ASSERT_TRUE(QTest::qWaitFor([&] { return fs::exists(out + "/argv"); }, 30000));
    EXPECT_EQ(SplitNul(ReadAll(out + "/argv")), (Argv{script, "one", "two words"}));
    EXPECT_EQ(ReadAll(out + "/cwd"), Canonical(work) + "\n");

    // The watch sees the end, clears the record, and nothing is left to reap.
    EXPECT_TRUE(QTest::qWaitFor([&] { return Launch(f).WatchedPid() == 0; }, 30000));
    int status = 0;
    errno = 0;
    EXPECT_EQ(::waitpid(pid, &status, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
    EXPECT_EQ(Cwd(), cwd);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(RealLaunchTest, RunButtonStartsTheProgramInItsOwnDirectory)
{
    const std::string out = base + "out";
    const std::string script = Script("run dir/it's here.sh", out);
    MainWindow& f = StartBar("");
    dialogs.files = {{script}};
    Launch(f).RunButtonClick();
    ASSERT_TRUE(QTest::qWaitFor([&] { return fs::exists(out + "/argv"); }, 30000));
    EXPECT_EQ(SplitNul(ReadAll(out + "/argv")), Argv{script});
    EXPECT_EQ(ReadAll(out + "/cwd"), Canonical(base + "run dir") + "\n");
    EXPECT_TRUE(QTest::qWaitFor([&] { return Launch(f).WatchedPid() == 0; }, 30000));
}

TEST_F(RealLaunchTest, ProgramThatCannotStartIsReportedWithoutWaiting)
{
    const std::string plain = base + "bin/not executable";
    fs::create_directories(base + "bin");
    std::ofstream(plain) << "#!/bin/sh\nexit 0\n";
    ::chmod(plain.c_str(), 0644);
    struct Case {
        std::string program, reason;
    } cases[] = {
        {base + "nowhere/prog", "No such file or directory"},
        {plain, "Permission denied"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program);
        dialogs.notices.clear();
        MainWindow& f =
            StartBar("[Programs]\nSpeedButton1=" + ShortPathOf(c.program) + "\n[Icons]\nSpeedButton1=Default\n");
        QTest::mouseClick(Pages(f).FindButton(1), Qt::LeftButton);
        ASSERT_EQ(dialogs.notices.size(), 1u);
        const std::string& notice = dialogs.notices[0];
        EXPECT_EQ(notice.rfind("Unable to start " + c.program + ": ", 0), 0u) << notice;
        EXPECT_NE(notice.find(c.reason), std::string::npos) << notice;
        EXPECT_FALSE(Child<QTimer>(f, "Timer2")->isActive());
        EXPECT_EQ(Launch(f).WatchedPid(), 0);
        EXPECT_TRUE(dialogs.messages.empty());
        form.reset();
    }
}

} // namespace
} // namespace kex
