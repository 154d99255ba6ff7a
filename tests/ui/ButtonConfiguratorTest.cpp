// Button configuration as the user meets it: files dropped on the bar through Qt drop
// events, the items of the "&Configure Button" submenu, the in-place editor's
// description and parameter, the icon picker chosen through "Change Icon", and the
// clock's sound items.
#include <QApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <map>

#include "FormFixture.h"
#include "core/ShellLinkBuilder.h"
#include "core/pages/ButtonRecord.h"
#include "core/pages/Grid.h"
#include "ui/configure/ButtonConfigurator.h"
#include "ui/configure/IconPicker.h"
#include "ui/widgets/SpeedButton.h"
#include "ui/widgets/TabSet.h"

namespace kex {
namespace {

// Button 3: a program with a working directory and a launch sound; button 5: a
// program only. Everything else is empty.
const char* const kBar = "[Location]\nTop=100\n"
                         "[Programs]\nSpeedButton3=/usr/bin/editor\nSpeedButton5=/bin/five\n"
                         "[Parameters]\nSpeedButton3=--stored\n"
                         "[Names]\nSpeedButton3=Edit\n"
                         "[Working]\nSpeedButton3=/srv/work\n"
                         "[SoundSelect]\nSpeedButton3=/snd/old/DING.WAV\n";

class ButtonConfiguratorTest : public FormTest {
protected:
    QTemporaryDir files;

    void SetUp() override
    {
        FormTest::SetUp();
        // Every program has an icon, so that no icon question comes between.
        QImage icon(32, 32, QImage::Format_ARGB32);
        icon.fill(Qt::darkGreen);
        for (const char* program : {"/usr/bin/editor", "/usr/bin/viewer", "/bin/five", "/bin/nine", "/opt/reader"})
            platform.icons[{program, 0}] = icon;
    }

    MainWindow& StartBar(const std::string& text = kBar, std::vector<std::string> args = {})
    {
        WriteIni(text);
        MainWindow& f = Start(std::move(args));
        f.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&f));
        return f;
    }
    std::string File(const std::string& name, const std::string& content = "x") const
    {
        const std::string path = files.path().toStdString() + "/" + name;
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }
    std::string Key(const std::string& section, int n) const { return Value(section, ButtonKey(n)); }

    // A drag of `urls` entering the bar, moving to (x, 20) and dropped there, as Qt
    // delivers it; answers whether the bar took the drop.
    static bool Drop(MainWindow& f, int x, const QList<QUrl>& urls, Qt::DropActions actions = Qt::CopyAction)
    {
        QMimeData mime;
        mime.setUrls(urls);
        const QPointF at(x, 20);
        QDragEnterEvent enter(at.toPoint(), actions, &mime, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&f, &enter);
        if (!enter.isAccepted())
            return false;
        QDragMoveEvent move(at.toPoint(), actions, &mime, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&f, &move);
        QDropEvent drop(at, actions, &mime, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&f, &drop);
        Pump(); // the bar takes the files once the drop is over
        EXPECT_EQ(move.isAccepted(), drop.isAccepted());
        if (drop.isAccepted()) {
            EXPECT_NE(drop.dropAction(), Qt::MoveAction); // the source must never delete the file
        }
        return drop.isAccepted();
    }
    static bool Drop(MainWindow& f, int x, const std::vector<std::string>& paths)
    {
        QList<QUrl> urls;
        for (const std::string& p : paths)
            urls << QUrl::fromLocalFile(QString::fromStdString(p));
        return Drop(f, x, urls);
    }
    static int Column(int c) { return 44 + 36 * (c - 1) + 10; }

    void SelectPage(MainWindow& f, int tab)
    {
        TTabSet* tabs = Child<TTabSet>(f, "TabSet1");
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->ItemRect(tab).center());
        ASSERT_EQ(tabs->TabIndex(), tab);
    }
    // The button menu of button n; `choice` is the item chosen ("" chooses none).
    void Menu(MainWindow& f, int n, const std::string& choice)
    {
        dialogs.popupChoices.push_back(choice);
        QTest::mousePress(Pages(f).FindButton(n), Qt::RightButton, {}, QPoint(4, 5));
    }
};

// ---- drops

TEST_F(ButtonConfiguratorTest, ADropFillsTheButtonOfItsColumn)
{
    struct Case {
        const char* label;
        QSize screen;
        const char* extra; // more of the configuration
        int tab;
        int scroll;
        int x;
        int filled; // 0: no button
    };
    const Case cases[] = {
        {"page 3 of 16, second column", {1024, 768}, "", 2, 0, Column(2), 34},
        {"first column", {1024, 768}, "", 0, 0, Column(1), 1},
        {"on a boundary: the column starting there", {1024, 768}, "", 0, 0, 44 + 36, 2},
        {"the last column", {1024, 768}, "", 0, 0, 44 + 36 * 16 - 1, 16},
        {"right of the last button", {1024, 768}, "", 0, 0, 44 + 36 * 16, 0},
        {"on the panel", {1024, 768}, "", 0, 0, 20, 0},
        {"the panel's right edge", {1024, 768}, "", 0, 0, 44, 0},
        {"21 per page, page 2, last column", {1280, 800}, "ButtonCount=21\n", 1, 0, 44 + 36 * 20 + 3, 42},
        {"a scrolled narrow screen", {500, 400}, "", 0, 100, 50, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        platform.screen = c.screen;
        platform.openCommands.clear();
        const std::string doc = File("notes.txt");
        platform.openCommands[doc] = {"/usr/bin/viewer", "--new"};
        MainWindow& f = StartBar(std::string("[Location]\nTop=100\n") + c.extra);
        SelectPage(f, c.tab);
        if (c.scroll) {
            ASSERT_TRUE(Child<QScrollBar>(f, "HorzScrollBar")->isVisible());
            Child<QScrollBar>(f, "HorzScrollBar")->setValue(c.scroll);
        }
        EXPECT_EQ(Drop(f, c.x, {doc}), c.filled != 0);
        for (int n = 1; n <= 21 * 3; ++n)
            if (n != c.filled) {
                ASSERT_EQ(Key("Programs", n), "<absent>") << n;
            }
        if (c.filled) {
            EXPECT_EQ(Key("Programs", c.filled), "/usr/bin/viewer --new");
            EXPECT_EQ(Key("Parameters", c.filled), doc);
            EXPECT_TRUE(Pages(f).FindButton(c.filled)->HasGlyph());
        }
        EXPECT_TRUE(platform.started.empty()); // a filled button is not started
        form.reset();
        std::remove(Ini().c_str());
    }
}

// The pictures of a page are made when it is first shown; until then, and through
// drops, renumbering and reloads, its buttons answer as those of a shown page: every
// button of every page shows what the file holds for it.
TEST_F(ButtonConfiguratorTest, APageNotShownYetBehavesAsAShownOne)
{
    // Twelve pages: the last ones' buttons are made when first shown or asked for.
    const std::string bar =
        "[Location]\nTop=100\n[Pages]\nCount=12\n"
        "[Programs]\nSpeedButton3=/usr/bin/editor\nSpeedButton33=/bin/five\nSpeedButton50=/bin/nine\n"
        "SpeedButton180=/opt/reader\n[Names]\nSpeedButton33=Thirty-three\n[Shrink]\nSpeedButton180=No\n";
    struct Case {
        const char* what;
        std::function<void(MainWindow&)> act;
        int filledHidden; // buttons with a program on pages other than the shown one, afterwards
    } cases[] = {
        {"asked for", [](MainWindow&) {}, 3},
        {"a drop on its page",
         [this](MainWindow& f) {
             const std::string doc = File("notes.txt");
             platform.openCommands[doc] = {"/usr/bin/viewer"};
             SelectPage(f, 11); // a page whose buttons are made only now
             EXPECT_TRUE(Pages(f).FindButton(177)->isVisible());
             ASSERT_TRUE(Drop(f, Column(2), {doc}));
             SelectPage(f, 0);
         },
         4},
        {"the switch to 21 buttons",
         [this](MainWindow& f) {
             dialogs.answers.push_back(ModalResult::mrYes);
             f.MenuItem("PButton21")->trigger();
         },
         3},
        {"its button emptied by another program, then a reload",
         [this](MainWindow& f) {
             TNewIniFile(Ini()).EraseKey("Programs", "SpeedButton50");
             Pages(f).Reload();
         },
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        platform.screen = QSize(1280, 1024);
        dialogs.answers.clear();
        MainWindow& f = StartBar(bar);
        c.act(f);
        Pump();
        const int perPage = Pages(f).ButtonsPerPage();
        const int total = Pages(f).PageCount() * perPage;
        const QString blankHint = Pages(f).FindButton(2)->toolTip(); // never filled, on the shown page
        const TNewIniFile ini(Ini());
        int filledHidden = 0;
        for (int n = 1; n <= total; ++n) {
            SCOPED_TRACE(n);
            const std::string program = ini.ReadString("Programs", ButtonKey(n), "");
            TSpeedButton* b = Pages(f).FindButton(n);
            ASSERT_NE(b, nullptr);
            EXPECT_EQ(b->HasGlyph(), !program.empty());
            const std::string hint = ButtonHint(program, ini.ReadString("Names", ButtonKey(n), ""),
                                                ini.ReadString("Parameters", ButtonKey(n), ""));
            if (program.empty()) // the page's hint, or the hint of a button emptied since it was loaded
                EXPECT_TRUE(b->toolTip() == blankHint || b->toolTip() == QString::fromStdString(ButtonHint("", "", "")))
                    << b->toolTip().toStdString();
            else
                EXPECT_EQ(b->toolTip(), QString::fromStdString(hint));
            filledHidden += !program.empty() && (n - 1) / perPage != 0;
            if (program == "/opt/reader") {
                EXPECT_EQ(b->Shrink, std::optional<bool>(false)); // its stored "Shrink" value
            }
            EXPECT_EQ(b->parentWidget(), Child<QStackedWidget>(f, "Notebook1")->widget((n - 1) / perPage));
        }
        EXPECT_EQ(filledHidden, c.filledHidden);
        form.reset();
        std::remove(Ini().c_str());
    }
}

TEST_F(ButtonConfiguratorTest, ThreeFilesStartAConfiguredButtonInItsWorkingDirectory)
{
    const std::string work = files.path().toStdString();
    std::string bar = kBar;
    bar.replace(bar.find("/srv/work"), 9, work);
    MainWindow& f = StartBar(bar);
    const std::string a = File("a.txt"), b = File("b c.txt"), c = File("d.txt");
    ASSERT_TRUE(Drop(f, Column(3), {a, b, c}));
    ASSERT_EQ(platform.started.size(), 1u);
    EXPECT_EQ(platform.started[0].argv, (std::vector<std::string>{"/usr/bin/editor", a, b, c}));
    EXPECT_EQ(platform.started[0].workingDir, work);
    // Nothing of the button changes.
    EXPECT_EQ(Key("Parameters", 3), "--stored");
    EXPECT_EQ(Key("Programs", 3), "/usr/bin/editor");
}

// Files dropped on a protected button wait for its password and then start it.
TEST_F(ButtonConfiguratorTest, FilesDroppedOnAProtectedButtonStartItAfterItsPassword)
{
    MainWindow& f = StartBar(kBar);
    Menu(f, 3, "PasswordProtect1");
    TypeAndEnter(f, "pw");
    const std::string a = File("a.txt"), b = File("b.txt");
    ASSERT_TRUE(Drop(f, Column(3), {a, b}));
    EXPECT_TRUE(platform.started.empty());
    TypeAndEnter(f, "pw");
    Pump();
    ASSERT_EQ(platform.started.size(), 1u);
    EXPECT_EQ(platform.started[0].argv, (std::vector<std::string>{"/usr/bin/editor", a, b}));
}

TEST_F(ButtonConfiguratorTest, ShortcutsStandForTheirTargetsByTheirNamesOnly)
{
    const std::string program = File("tool");
    testlinks::LinkParts parts;
    parts.linkInfo = testlinks::LocalLinkInfo(program, "");
    parts.arguments = u"--flag";
    parts.iconLocation = u"/icons/tool.ico";
    parts.iconIndex = 2;
    const testlinks::Bytes bytes = testlinks::BuildLink(parts);
    const std::string text(bytes.begin(), bytes.end());
    const std::string lower = File("x.lnk", text), upper = File("y.LNK", text), mixed = File("x.Lnk", text);
    const std::string windows = File("w.lnk", [] {
        testlinks::LinkParts p;
        p.linkInfo = testlinks::LocalLinkInfo("C:\\Tools\\tool.exe", "");
        const testlinks::Bytes b = testlinks::BuildLink(p);
        return std::string(b.begin(), b.end());
    }());
    const std::string entry = File("app.desktop", "[Desktop Entry]\nType=Application\nName=App\nExec=" + program
                                                      + " --open %F\nIcon=app-icon\n");
    const std::string inTerminal = File("term.desktop", "[Desktop Entry]\nType=Application\nName=Vi\nExec=" + program
                                                            + " -R %F\nTerminal=true\nIcon=vi\n");
    for (const std::string& plain : {mixed, windows})
        platform.openCommands[plain] = {"/usr/bin/viewer"};
    platform.icons[{program, 0}] = platform.icons[{"/usr/bin/viewer", 0}];
    platform.icons[{"vi", 0}] = platform.icons[{program, 0}];

    MainWindow& f = StartBar();
    struct Case {
        std::string file;
        int button;
        std::string program, parameters, icons, selection;
    };
    const Case cases[] = {
        {lower, 1, program, "--flag", "/icons/tool.ico", "2"},
        {upper, 2, program, "--flag", "/icons/tool.ico", "2"},
        {mixed, 4, "/usr/bin/viewer", mixed, "<absent>", "<absent>"},
        {windows, 6, "/usr/bin/viewer", windows, "<absent>", "<absent>"}, // its target is no file here
        {entry, 7, program, "--open", "app-icon", "0"},
        // A program that runs in a terminal starts in the user's, as a document of one does.
        {inTerminal, 8, "/usr/bin/x-terminal-emulator -e " + program, "-R", "vi", "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        ASSERT_TRUE(Drop(f, Column(c.button), {c.file}));
        EXPECT_EQ(Key("Programs", c.button), c.program);
        EXPECT_EQ(Key("Parameters", c.button), c.parameters);
        EXPECT_EQ(Key("Icons", c.button), c.icons);
        EXPECT_EQ(Key("IconSelection", c.button), c.selection);
    }
    // Its hint and its launch: the program inside the terminal names the button.
    EXPECT_EQ(Pages(f).FindButton(8)->toolTip().toStdString(), "tool -R");
    QTest::mouseClick(Pages(f).FindButton(8), Qt::LeftButton);
    ASSERT_EQ(platform.started.size(), 1u);
    EXPECT_EQ(platform.started[0].argv,
              (std::vector<std::string>{"/usr/bin/x-terminal-emulator", "-e", program, "-R"}));
    EXPECT_EQ(Value("MRU", "1"), "tool  |8");
}

TEST_F(ButtonConfiguratorTest, DroppedNamesAreBytesAndNamesTheFileCannotKeepAreRefused)
{
    MainWindow& f = StartBar();
    // Not UTF-8: the name reaches the configuration and the program as the bytes it is.
    const std::string latin1 = File("caf\xE9 \xFF\xFE.txt");
    platform.openCommands[latin1] = {"/usr/bin/viewer"};
    const QUrl url = QUrl::fromEncoded("file://" + QByteArray::fromStdString(latin1).toPercentEncoding("/"));
    ASSERT_TRUE(Drop(f, Column(1), QList<QUrl>{url}));
    EXPECT_EQ(Key("Programs", 1), "/usr/bin/viewer");
    EXPECT_EQ(Key("Parameters", 1), "'" + latin1 + "'");
    ASSERT_TRUE(Drop(f, Column(5), QList<QUrl>{url}));
    ASSERT_EQ(platform.started.size(), 1u);
    EXPECT_EQ(platform.started[0].argv, (std::vector<std::string>{"/bin/five", latin1}));
    EXPECT_TRUE(dialogs.messages.empty());

    // A line break in a name, a file that is gone, an icon file with a line break: the
    // user is told, and nothing is stored.
    const std::string lineBreak = File("two\nlines.txt");
    platform.openCommands[lineBreak] = {"/usr/bin/viewer"};
    const std::string before = IniText();
    ASSERT_TRUE(Drop(f, Column(2), {lineBreak}));
    ASSERT_TRUE(Drop(f, Column(2), {files.path().toStdString() + "/gone.txt"}));
    dialogs.files.push_back({File("icons\r.ico")});
    Menu(f, 3, "ChangeIcon1");
    EXPECT_EQ(IniText(), before);
    ASSERT_EQ(dialogs.messages.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_NE(dialogs.messages[i].text.find(i == 1 ? "cannot be found" : "line break"), std::string::npos)
            << dialogs.messages[i].text;
}

TEST_F(ButtonConfiguratorTest, WhatADropRefusesOrLeavesAlone)
{
    MainWindow& f = StartBar();
    const std::string doc = File("doc.txt");
    platform.openCommands[doc] = {"/usr/bin/viewer"};

    // A move is pending: refused, on an empty and on a configured button.
    Menu(f, 5, "MoveButton1");
    ASSERT_TRUE(Pages(f).MovePending());
    EXPECT_FALSE(Drop(f, Column(1), {doc}));
    EXPECT_FALSE(Drop(f, Column(3), {doc}));
    QTest::mouseClick(Pages(f).FindButton(5), Qt::LeftButton, {}, QPoint(18, 18)); // put back
    ASSERT_FALSE(Pages(f).MovePending());
    EXPECT_TRUE(platform.started.empty());

    // No local file: other URLs and other hosts are not taken.
    EXPECT_FALSE(Drop(f, Column(1), QList<QUrl>{QUrl("https://example.org/doc.txt"), QUrl("file://server/doc.txt")}));
    // A source that offers only to move the file.
    EXPECT_FALSE(Drop(f, Column(1), QList<QUrl>{QUrl::fromLocalFile(QString::fromStdString(doc))}, Qt::MoveAction));

    // Modification locked out: an empty button is not filled, a configured one starts.
    Lockout(f, "master");
    ASSERT_TRUE(Locked(f));
    const std::string locked = IniText();
    EXPECT_TRUE(Drop(f, Column(1), {doc}));
    EXPECT_TRUE(Drop(f, Column(3), {doc}));
    EXPECT_EQ(platform.started.size(), 1u);
    // Nothing is written but the launch's recent entry.
    auto withoutRecent = [](const std::string& text) {
        IniDocument doc = IniDocument::Parse(text);
        doc.EraseSection("MRU");
        return doc.Serialize();
    };
    EXPECT_EQ(withoutRecent(IniText()), withoutRecent(locked));
    Lockout(f, "master");
    ASSERT_FALSE(Locked(f));
    EXPECT_TRUE(platform.started.size() == 1 && dialogs.openDialogs.empty());

    // "file://localhost/..." is this machine's file.
    EXPECT_TRUE(Drop(f, Column(1), QList<QUrl>{QUrl("file://localhost" + QString::fromStdString(doc))}));
    EXPECT_EQ(Key("Parameters", 1), doc);

    // Another bar changed the buttons: the bar reloads and says so; the drop changes nothing.
    TNewIniFile(Ini()).WriteString("Programs", ButtonKey(9), "/bin/nine");
    EXPECT_TRUE(Drop(f, Column(2), {doc}));
    EXPECT_EQ(Key("Programs", 2), "<absent>");
    EXPECT_TRUE(Pages(f).FindButton(9)->HasGlyph());
    ASSERT_FALSE(dialogs.messages.empty());
    EXPECT_NE(dialogs.messages.back().text.find("changed by another bar"), std::string::npos);

    // After a change of the window's shape the bar still takes drops.
    f.setWindowFlags(f.windowFlags() ^ Qt::WindowStaysOnTopHint);
    f.show();
    EXPECT_TRUE(f.acceptDrops());
    EXPECT_TRUE(Drop(f, Column(2), {doc}));
    EXPECT_EQ(Key("Programs", 2), "/usr/bin/viewer");
}

TEST_F(ButtonConfiguratorTest, AFileNothingOpensAsksForItsProgram)
{
    MainWindow& f = StartBar("[Location]\nTop=100\n", {"/m", ""});
    const std::string data = File("data.bin");
    platform.openCommands[data] = {};
    platform.openCommands["/opt/reader"] = {"/opt/reader"};
    dialogs.files.push_back({}); // cancelled: the button stays empty
    dialogs.files.push_back({"/opt/reader"});
    EXPECT_TRUE(Drop(f, Column(1), {data}));
    EXPECT_EQ(Key("Programs", 1), "<absent>");
    EXPECT_TRUE(Drop(f, Column(1), {data}));
    ASSERT_EQ(dialogs.openDialogs.size(), 2u);
    EXPECT_EQ(dialogs.openDialogs[0].title, "Find the Program to run this File");
    EXPECT_EQ(dialogs.openDialogs[0].helpContext, 24);
    // The program chosen runs the dropped file.
    EXPECT_EQ(Key("Programs", 1), "/opt/reader");
    EXPECT_EQ(Key("Parameters", 1), data);
    EXPECT_EQ(platform.broadcasts.size(), 1u); // synchronised: the other bars reload
}

// ---- the configure submenu

TEST_F(ButtonConfiguratorTest, EachItemWritesItsKeyAndTheMenuShowsItNextTime)
{
    struct Case {
        const char* item;
        std::function<void(FakeDialogs&)> answer;
        const char* section;
        std::string stored;
        bool checked;
        QString caption;
    };
    const Case cases[] = {
        {"ShrinkOnLaunch2", [](FakeDialogs&) {}, "Shrink", "No", false, "&Shrink on Launch"},
        {"ShrinkOnLaunch2", [](FakeDialogs&) {}, "Shrink", "Yes", true, "&Shrink on Launch"},
        {"SelectWorkingDirectory1", [](FakeDialogs&) {}, "Working", "", false, "Select &Working Directory"},
        {"SelectWorkingDirectory1", [](FakeDialogs& d) { d.directories.push_back("/srv/my dir"); }, "Working",
         "'/srv/my dir'", true, "Select &Working Directory"},
        {"SelectFiles1", [](FakeDialogs& d) { d.directories.push_back(std::nullopt); }, "Select", "", false,
         "Select &Files on Launch"},
        {"SelectFiles1", [](FakeDialogs& d) { d.directories.push_back("/home/docs"); }, "Select", "/home/docs", true,
         "Select &Files on Launch"},
        {"SoundLaunch1", [](FakeDialogs& d) { d.files.push_back({"/snd/a&b.wav"}); }, "SoundLaunch", "/snd/a&b.wav",
         true, "Sound on &Launch = a&&b.wav"},
        {"SoundSelect1", [](FakeDialogs&) {}, "SoundSelect", "", false, "Sound on &Keyboard Select"},
        {"SoundSelect1", [](FakeDialogs& d) { d.files.push_back({}); }, "SoundSelect", "", false,
         "Sound on &Keyboard Select"},
        {"SoundSelect1", [](FakeDialogs& d) { d.files.push_back({"/snd/DING.WAV"}); }, "SoundSelect", "/snd/DING.WAV",
         true, "Sound on &Keyboard Select = DING.WAV"},
    };
    MainWindow& f = StartBar(kBar, {"/m", ""});
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.item) + " -> " + c.stored);
        const std::size_t broadcasts = platform.broadcasts.size();
        c.answer(dialogs);
        Menu(f, 3, c.item);
        EXPECT_EQ(Key(c.section, 3), c.stored);
        EXPECT_EQ(platform.broadcasts.size(), broadcasts + 1);
        for (int open = 0; open < 2; ++open) {
            Menu(f, 3, "");
            EXPECT_EQ(f.MenuItem(c.item)->isChecked(), c.checked);
            EXPECT_EQ(f.MenuItem(c.item)->text(), c.caption);
        }
    }
    // The dialogs asked with their help contexts.
    EXPECT_EQ(dialogs.directoryTitles, (std::vector<std::string>{"Select Working Directory", "Select Files on Launch",
                                                                 "Select Files on Launch"}));
    EXPECT_EQ(dialogs.directoryContexts, (std::vector<int>{28, 24, 24}));
    ASSERT_EQ(dialogs.openDialogs.size(), 3u);
    for (const OpenDialogOptions& o : dialogs.openDialogs) {
        EXPECT_EQ(o.title, "Select Sound to Play");
        EXPECT_EQ(o.helpContext, 31);
    }
    // A launch after the shrink choice: "Yes" as written.
    EXPECT_EQ(Pages(f).FindButton(3)->Shrink, std::optional<bool>(true));
}

TEST_F(ButtonConfiguratorTest, TheDirectoryDialogsOpenInTheProgramsDirectory)
{
    const std::pair<std::string, std::string> cases[] = {
        {"/usr/bin/editor", "/usr/bin/"}, {"'/opt/My Apps/tool' --x", "/opt/My Apps/"}, // a blank in the directory
    };
    for (const auto& [program, start] : cases) {
        SCOPED_TRACE(program);
        dialogs.directoryStarts.clear();
        StartBar("[Location]\nTop=100\n[Programs]\nSpeedButton3=" + program + "\n");
        for (const char* item : {"SelectWorkingDirectory1", "SelectFiles1"})
            Menu(*form, 3, item);
        EXPECT_EQ(dialogs.directoryStarts, (std::vector<std::string>{start, start}));
        form.reset();
    }
}

TEST_F(ButtonConfiguratorTest, DescriptionAndParameterThroughTheEditor)
{
    MainWindow& f = StartBar();
    auto enter = [&](int n, const char* item, const QString& typed) -> QString {
        Menu(f, n, item);
        QLineEdit* editor = Child<QLineEdit>(f, "PageName");
        EXPECT_TRUE(editor->isVisible());
        const QString start = editor->text();
        editor->clear();
        QTest::keyClicks(editor, typed);
        QTest::keyClick(editor, Qt::Key_Return);
        EXPECT_FALSE(editor->isVisible());
        return start;
    };
    // The description starts from the current one, or the program when there is none;
    // the recent list hears of the new entry text.
    QSignalSpy renamed(&Pages(f), &PageBar::ButtonDescriptionChanged);
    EXPECT_EQ(enter(3, "ChangeName1", "Editor~of text"), "Edit");
    EXPECT_EQ(Key("Names", 3), "Editor~of text");
    EXPECT_EQ(Pages(f).FindButton(3)->toolTip(), "Editor\nof text");
    ASSERT_EQ(renamed.size(), 1);
    EXPECT_EQ(renamed[0], (QVariantList{3, "Edit  |3", "Editor~of text  |3"}));
    EXPECT_EQ(enter(5, "ChangeName1", ""), "/bin/five");
    EXPECT_EQ(Key("Names", 5), "<absent>");
    EXPECT_EQ(renamed.size(), 1);

    // The parameter: an empty entry changes nothing, "*" clears it.
    EXPECT_EQ(enter(3, "Parameter1", ""), "--stored");
    EXPECT_EQ(Key("Parameters", 3), "--stored");
    EXPECT_EQ(enter(3, "Parameter1", "-a b"), "--stored");
    EXPECT_EQ(Key("Parameters", 3), "-a b");
    enter(3, "Parameter1", "*");
    EXPECT_EQ(Key("Parameters", 3), "<absent>");
    // An empty button has no options.
    Menu(f, 1, "ChangeName1");
    EXPECT_FALSE(Child<QLineEdit>(f, "PageName")->isVisible());
    EXPECT_EQ(dialogs.messages.back().text, "Options can only be set on loaded buttons");
}

TEST_F(ButtonConfiguratorTest, ChangeIconAsksForTheIconAmongSeveral)
{
    QImage icon(32, 32, QImage::Format_ARGB32);
    for (int i = 0; i < 3; ++i) {
        icon.fill(QColor(10 * i, 100, 200));
        platform.icons[{"/icons/three.dll", i}] = icon;
    }
    platform.iconCounts["/icons/three.dll"] = 3;
    platform.iconCounts["/icons/one.ico"] = 1;
    // The help file beside the program, not in AppDir: the picker's Help finds it as
    // the bar's own Help does, and leaves it for the dialogs after it.
    QTemporaryDir programDir;
    platform.programDir = programDir.path().toStdString() + "/";
    const std::string helpFile = platform.programDir + "Kexbar.HLP";
    std::ofstream(helpFile) << "<html></html>";
    platform.icons[{"/icons/one.ico", 0}] = icon;
    MainWindow& f = StartBar("[Location]\nTop=100\n[Programs]\nSpeedButton3=/usr/bin/editor\n"
                             "[Icons]\nSpeedButton3=/icons/old/x.ico\n[IconSelection]\nSpeedButton3=4\n");
    struct Case {
        const char* file;
        int stepsUp; // -1: the picker is not expected
        std::string selection;
    };
    const Case cases[] = {
        {"/icons/three.dll", 2, "2"}, {"/icons/three.dll", 0, "<absent>"}, {"/icons/one.ico", -1, "<absent>"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        dialogs.files.push_back({c.file});
        bool pickerShown = false;
        QTimer::singleShot(0, [&] {
            auto* picker = qobject_cast<IconPicker*>(QApplication::activeModalWidget());
            pickerShown = picker != nullptr;
            if (!picker)
                return;
            for (int i = 0; i < c.stepsUp; ++i)
                picker->StepUp();
            if (c.stepsUp == 0) {
                QTest::mouseClick(picker->findChild<QToolButton*>("SpeedButton2"), Qt::LeftButton);
                EXPECT_EQ(dialogs.helpFile, helpFile);
            }
            picker->Choose();
        });
        Menu(f, 3, "ChangeIcon1");
        Pump();
        EXPECT_EQ(pickerShown, c.stepsUp >= 0);
        EXPECT_EQ(Key("Icons", 3), c.file);
        EXPECT_EQ(Key("IconSelection", 3), c.selection);
    }
    ASSERT_EQ(dialogs.openDialogs.size(), 3u);
    EXPECT_EQ(dialogs.openDialogs[0].title, "Please select an Icon");
    EXPECT_EQ(dialogs.helpShown, std::vector<int>{14}) << "the picker's Help";
    EXPECT_EQ(dialogs.openDialogs[0].helpContext, 14);
    EXPECT_EQ(dialogs.openDialogs[0].initialDir, "/icons/old/");
    EXPECT_EQ(dialogs.helpFile, helpFile);
}

TEST_F(ButtonConfiguratorTest, TheClockSoundsWriteTheTimeKeys)
{
    MainWindow& f = StartBar(std::string(kBar) + "[Time]\nSound=No\nSound2=No\n");
    struct Case {
        const char* item;
        std::vector<std::string> chosen; // asked when the item is off; empty: cancelled
        const char *flagKey, *fileKey;
        std::string flag, file;
        QString caption;
    };
    const Case cases[] = {
        {"TimeSound1", {"/snd/hour.wav"}, "Sound", "SoundFile", "Yes", "/snd/hour.wav", "Hour &Sound = hour.wav"},
        {"TimeSound1", {}, "Sound", "SoundFile", "No", "", "Hour &Sound"},
        {"TimeSound2", {}, "Sound2", "SoundFile2", "No", "", "H&alf Hour Sound"}, // cancelled: stays off
        {"TimeSound2",
         {"/snd/half.wav"},
         "Sound2",
         "SoundFile2",
         "Yes",
         "/snd/half.wav",
         "H&alf Hour Sound = half.wav"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item + c.flag);
        QAction* item = f.MenuItem(c.item);
        if (!item->isChecked())
            dialogs.files.push_back(c.chosen);
        item->trigger();
        EXPECT_EQ(Value("Time", c.flagKey), c.flag);
        EXPECT_EQ(Value("Time", c.fileKey), c.file);
        EXPECT_EQ(item->isChecked(), c.flag == "Yes");
        EXPECT_EQ(item->text(), c.caption);
    }
}

// What the user ticks reaches the subsystems that read it later: the hour's sound
// chosen here is the one the hour chimes with, and "Bar Graph on Launch" is the shrink
// choice a button without its own shows.
TEST_F(ButtonConfiguratorTest, TickedOptionsReachTheChimeAndTheButtonMenu)
{
    platform.now = QDateTime(QDate(2026, 12, 7), QTime(10, 59, 59));
    MainWindow& f = StartBar(std::string(kBar) + "[Time]\nSound=No\n");
    dialogs.files.push_back({"/snd/hour.wav"});
    f.MenuItem("TimeSound1")->trigger();
    f.Status().RefreshGauge();
    platform.now = platform.now.addSecs(2);
    f.Status().RefreshGauge();
    EXPECT_EQ(platform.soundsAsync, std::vector<std::string>{"/snd/hour.wav"});

    for (const bool shrink : {false, true}) { // each click turns the option over
        SCOPED_TRACE(shrink);
        f.MenuItem("ShrinkOnLaunch1")->trigger();
        Menu(f, 5, "");
        EXPECT_EQ(f.MenuItem("ShrinkOnLaunch2")->isChecked(), shrink);
    }
}

} // namespace
} // namespace kex
