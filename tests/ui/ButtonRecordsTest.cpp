// Button records as the user handles them: the button menu on a right press, moving,
// copying and removing buttons, putting a pending record down with a left click, the
// refusals while a record is pending, synchronised instances, and a pending move that
// neither a rebuild nor the end of the program may lose.
#include <QAction>
#include <QGuiApplication>
#include <QLineEdit>
#include <QStackedWidget>

#include <map>

#include "FormFixture.h"
#include "core/pages/ButtonRecord.h"
#include "ui/widgets/SpeedButton.h"
#include "ui/widgets/TabSet.h"

namespace kex {
namespace {

const char* const kSections[] = {"Programs", "Parameters", "Icons",   "IconSelection", "Names",
                                 "Shrink",   "Select",     "Working", "SoundSelect",   "SoundLaunch"};

// Button 3: every field; button 5: a program, a description and an explicit icon
// index 0; buttons 1, 2 and 41: programs only.
const char* const kBar =
    "[Location]\nTop=100\n"
    "[Programs]\nSpeedButton1=/bin/one\nSpeedButton2=/bin/two\nSpeedButton3=/opt/tools/editor.bin\n"
    "SpeedButton5=/bin/five\nSpeedButton41=/bin/fortyone\n"
    "[Parameters]\nSpeedButton3=--new\n"
    "[Icons]\nSpeedButton3=/icons/ed.ico\n"
    "[IconSelection]\nSpeedButton3=2\nSpeedButton5=0\n"
    "[Names]\nSpeedButton3=Editor~for text\nSpeedButton5=Five\n"
    "[Shrink]\nSpeedButton3=No\n"
    "[Select]\nSpeedButton3=/home/docs/\n"
    "[Working]\nSpeedButton3=/tmp/\n"
    "[SoundSelect]\nSpeedButton3=/snd/sel.wav\n"
    "[SoundLaunch]\nSpeedButton3=/snd/go.wav\n";

class ButtonRecordsTest : public FormTest {
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        QImage icon(32, 32, QImage::Format_ARGB32);
        icon.fill(Qt::darkGreen);
        for (const char* program : {"/bin/one", "/bin/two", "/bin/five", "/bin/fortyone", "/bin/other"})
            platform.icons[{program, 0}] = icon;
        icon.fill(Qt::red);
        platform.icons[{"/icons/ed.ico", 2}] = icon;
    }

    MainWindow& StartBar(const std::string& text = kBar, std::vector<std::string> args = {},
                         const std::string& suffix = "")
    {
        WriteIni(text, suffix);
        MainWindow& f = Start(std::move(args));
        f.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&f));
        return f;
    }

    // The page of button n comes to the front through its tab, as a user selects it.
    void ShowPageOf(MainWindow& f, int n)
    {
        const int page = (n - 1) / Pages(f).ButtonsPerPage();
        if (Child<TTabSet>(f, "TabSet1")->TabIndex() == page)
            return;
        const QRect tab = Child<TTabSet>(f, "TabSet1")->ItemRect(page);
        ASSERT_FALSE(tab.isEmpty());
        QTest::mouseClick(Child<TTabSet>(f, "TabSet1"), Qt::LeftButton, {}, tab.center());
        ASSERT_EQ(Child<QStackedWidget>(f, "Notebook1")->currentIndex(), page);
    }
    void RightPress(MainWindow& f, int n)
    {
        ShowPageOf(f, n);
        QTest::mousePress(Pages(f).FindButton(n), Qt::RightButton, {}, QPoint(4, 5));
    }
    void LeftClick(MainWindow& f, int n)
    {
        ShowPageOf(f, n);
        QTest::mouseClick(Pages(f).FindButton(n), Qt::LeftButton, {}, QPoint(18, 18));
    }
    // Chooses an item of the button menu on button n.
    void Menu(MainWindow& f, int n, const std::string& item)
    {
        dialogs.popupChoices = {item};
        RightPress(f, n);
    }

    // The ten values of a record as the file holds them ("<absent>" for none).
    std::map<std::string, std::string> Keys(int n, const std::string& suffix = "") const
    {
        std::map<std::string, std::string> keys;
        for (const char* section : kSections)
            keys[section] = Value(section, ButtonKey(n), suffix);
        return keys;
    }
    static std::map<std::string, std::string> Absent()
    {
        std::map<std::string, std::string> keys;
        for (const char* section : kSections)
            keys[section] = "<absent>";
        return keys;
    }
    // The record of button 3 as a put writes it.
    static std::map<std::string, std::string> Record3()
    {
        return {{"Programs", "/opt/tools/editor.bin"},
                {"Parameters", "--new"},
                {"Icons", "/icons/ed.ico"},
                {"IconSelection", "2"},
                {"Names", "Editor~for text"},
                {"Shrink", "No"},
                {"Select", "/home/docs/"},
                {"Working", "/tmp/"},
                {"SoundSelect", "/snd/sel.wav"},
                {"SoundLaunch", "/snd/go.wav"}};
    }
    static int ProgramCount(const std::string& text)
    {
        return int(IniDocument::Parse(text).ReadSection("Programs").size());
    }
};

TEST_F(ButtonRecordsTest, MoveThroughTheMenuThenPutDownWithALeftClick)
{
    struct Case {
        int source;
        std::map<std::string, std::string> target; // the keys of button 40 afterwards
        std::string hint;
    } cases[] = {
        {3, Record3(), "Editor\nfor text"},
        // An icon index of 0 is not written.
        {5, {{"Programs", "/bin/five"}, {"Names", "Five"}}, "Five"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        dialogs.popups.clear();
        MainWindow& f = StartBar();
        const std::string before = IniText();

        Menu(f, c.source, "MoveButton1");
        ASSERT_EQ(dialogs.popups.size(), 1u);
        EXPECT_EQ(dialogs.popups[0].menu, "PopupMenu1");
        EXPECT_EQ(dialogs.popups[0].pos, Pages(f).FindButton(c.source)->mapToGlobal(QPoint(4, 5)));
        EXPECT_EQ(f.ScreenCursor(), crDrag);
        EXPECT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_FALSE(Pages(f).FindButton(c.source)->HasGlyph());
        EXPECT_EQ(Pages(f).FindButton(c.source)->toolTip(), "Mouse: Left=Load/Launch  Right=Options");
        EXPECT_EQ(Keys(c.source), Absent()) << "the source is gone from the file at once";

        LeftClick(f, 40);
        EXPECT_EQ(f.ScreenCursor(), crDefault);
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        std::map<std::string, std::string> expected = Absent();
        for (const auto& [section, value] : c.target)
            expected[section] = value;
        EXPECT_EQ(Keys(40), expected);
        EXPECT_EQ(Keys(c.source), Absent());
        EXPECT_TRUE(Pages(f).FindButton(40)->HasGlyph());
        EXPECT_EQ(Pages(f).FindButton(40)->toolTip().toStdString(), c.hint);
        // Neither click started nor browsed anything; nothing else changed.
        EXPECT_TRUE(platform.started.empty());
        EXPECT_TRUE(dialogs.openDialogs.empty());
        EXPECT_TRUE(dialogs.messages.empty());
        EXPECT_EQ(ProgramCount(IniText()), ProgramCount(before));
        EXPECT_FALSE(Pages(f).PendingButton().has_value());

        // The next start shows the moved button where it was put.
        form.reset();
        MainWindow& again = Start();
        EXPECT_TRUE(Pages(again).FindButton(40)->HasGlyph());
        EXPECT_FALSE(Pages(again).FindButton(c.source)->HasGlyph());
        EXPECT_EQ(Keys(40), expected);
        form.reset();
    }
}

TEST_F(ButtonRecordsTest, CopyLeavesTheSourceAndFillsTheTarget)
{
    MainWindow& f = StartBar();
    Menu(f, 3, "CopyButton1");
    EXPECT_EQ(f.ScreenCursor(), crDrag);
    EXPECT_TRUE(Pages(f).FindButton(3)->HasGlyph()) << "a copied button keeps its picture";
    EXPECT_EQ(Keys(3), Record3());
    LeftClick(f, 40);
    EXPECT_EQ(f.ScreenCursor(), crDefault);
    EXPECT_EQ(Keys(3), Record3());
    EXPECT_EQ(Keys(40), Record3());
    EXPECT_TRUE(Pages(f).FindButton(40)->HasGlyph());
    EXPECT_TRUE(platform.started.empty());
    // A copy can be put down once only.
    LeftClick(f, 42);
    EXPECT_EQ(Keys(42), Absent());
    EXPECT_EQ(dialogs.openDialogs.size(), 1u) << "an empty button clicked while idle browses";
}

TEST_F(ButtonRecordsTest, PutOntoALoadedButtonDoesNothingAndKeepsTheDragCursor)
{
    MainWindow& f = StartBar();
    Menu(f, 3, "MoveButton1");
    ASSERT_EQ(f.ScreenCursor(), crDrag);
    const std::string armed = IniText();

    LeftClick(f, 41);
    EXPECT_EQ(f.ScreenCursor(), crDrag);
    EXPECT_TRUE(platform.started.empty()) << "no launch while a record is pending";
    // A right press while armed is a put too, and opens no menu.
    dialogs.popups.clear();
    RightPress(f, 2);
    EXPECT_TRUE(dialogs.popups.empty());
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(f.ScreenCursor(), crDrag);
    EXPECT_EQ(IniText(), armed);
    EXPECT_TRUE(Pages(f).FindButton(41)->HasGlyph());

    // A right press on an empty button puts it down as well.
    RightPress(f, 4);
    EXPECT_EQ(f.ScreenCursor(), crDefault);
    EXPECT_EQ(Keys(4), Record3());
    EXPECT_TRUE(dialogs.popups.empty());
}

TEST_F(ButtonRecordsTest, MoveCopyAndRemoveRefuseWhileARecordIsPending)
{
    MainWindow& f = StartBar();
    Menu(f, 5, "MoveButton1");
    ASSERT_EQ(f.ScreenCursor(), crDrag);
    const std::string armed = IniText();

    // Nothing in the window reaches these while armed (a press is a put), but the
    // handlers refuse on their own as well.
    for (const char* command : {"MoveButton1", "CopyButton1", "RemoveButton1"}) {
        ChooseOnButton(f, 3, command);
        EXPECT_EQ(IniText(), armed);
        EXPECT_TRUE(Pages(f).FindButton(3)->HasGlyph());
        ASSERT_TRUE(Pages(f).PendingButton().has_value());
        EXPECT_EQ(Pages(f).PendingButton()->record.Program, "/bin/five");
        EXPECT_TRUE(Pages(f).PendingButton()->isMove);
        EXPECT_EQ(Pages(f).PendingButton()->source, 5) << "the pending move still comes from button 5";
        EXPECT_EQ(f.ScreenCursor(), crDrag);
    }
    // Ending the program puts the record back on button 5 (not on the empty button 4).
    form.reset();
    EXPECT_EQ(Value("Programs", "SpeedButton5"), "/bin/five");
    EXPECT_EQ(Value("Names", "SpeedButton5"), "Five");
    EXPECT_EQ(Value("Programs", "SpeedButton4"), "<absent>");
    EXPECT_EQ(Keys(3), Record3());
    EXPECT_EQ(ProgramCount(IniText()), 5);
}

TEST_F(ButtonRecordsTest, RemoveErasesTheRecordWithoutQuestion)
{
    MainWindow& f = StartBar();
    Menu(f, 3, "RemoveButton1");
    EXPECT_EQ(Keys(3), Absent());
    EXPECT_FALSE(Pages(f).FindButton(3)->HasGlyph());
    EXPECT_EQ(Pages(f).FindButton(3)->toolTip(), "Mouse: Left=Load/Launch  Right=Options");
    EXPECT_EQ(f.ScreenCursor(), crDefault);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(Value("Programs", "SpeedButton5"), "/bin/five");
    // The removed button is an empty one now: a right press only explains.
    RightPress(f, 3);
    ASSERT_EQ(dialogs.messages.size(), 1u);
}

TEST_F(ButtonRecordsTest, RightPressOnAnEmptyButtonOnlyExplains)
{
    MainWindow& f = StartBar();
    const std::string before = IniText();
    dialogs.popupChoices = {"RemoveButton1"};
    RightPress(f, 17);
    EXPECT_TRUE(dialogs.popups.empty());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Options can only be set on loaded buttons");
    EXPECT_EQ(dialogs.messages[0].type, MessageType::mtError);
    EXPECT_EQ(dialogs.messages[0].buttons, unsigned(mbOK | mbHelp));
    EXPECT_EQ(dialogs.messages[0].helpContext, 26);
    EXPECT_EQ(f.ScreenCursor(), crDefault);
    EXPECT_EQ(IniText(), before);
    // A left press is no right press: it browses instead (cancelled here).
    QTest::mousePress(Pages(f).FindButton(17), Qt::LeftButton, {}, QPoint(4, 4));
    QTest::mouseRelease(Pages(f).FindButton(17), Qt::LeftButton, {}, QPoint(4, 4));
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.openDialogs.size(), 1u);
}

TEST_F(ButtonRecordsTest, SynchronisedMoveTellsEveryInstanceAndStillCompletes)
{
    MainWindow& a = StartBar(kBar, {"/m", "x"}, "x");
    ASSERT_TRUE(a.State().SyncMode);
    // A second instance of the same configuration.
    FakePlatform otherPlatform;
    otherPlatform.appDir = platform.appDir;
    otherPlatform.icons = platform.icons;
    FakeDialogs otherDialogs;
    auto b = std::make_unique<MainWindow>(otherPlatform, otherDialogs, std::vector<std::string>{"/m", "x"});
    ASSERT_TRUE(Pages(*b).FindButton(3)->HasGlyph());
    auto relay = [&](std::size_t from) {
        for (std::size_t i = from; i < platform.broadcasts.size(); ++i)
            otherPlatform.BroadcastMessage(
                {platform.broadcasts[i].first, platform.broadcasts[i].second, platform.broadcastConfigurations[i]});
        Pump();
    };

    Menu(a, 3, "MoveButton1");
    ASSERT_EQ(platform.broadcasts.size(), 1u);
    EXPECT_EQ(platform.broadcasts[0], std::make_pair(std::string("UKexbarx"), 1));
    relay(0); // the sender receives its own message as well
    EXPECT_FALSE(Pages(*b).FindButton(3)->HasGlyph());
    EXPECT_FALSE(Pages(a).FindButton(3)->HasGlyph());
    EXPECT_EQ(a.ScreenCursor(), crDrag) << "the reload leaves the move pending";
    EXPECT_EQ(b->ScreenCursor(), crDefault);

    LeftClick(a, 40);
    ASSERT_EQ(platform.broadcasts.size(), 2u);
    EXPECT_EQ(platform.broadcasts[1], std::make_pair(std::string("UKexbarx"), 1));
    relay(1);
    EXPECT_EQ(a.ScreenCursor(), crDefault);
    EXPECT_EQ(Keys(40, "x"), Record3());
    EXPECT_TRUE(Pages(a).FindButton(40)->HasGlyph());
    EXPECT_TRUE(Pages(*b).FindButton(40)->HasGlyph());
    EXPECT_EQ(Pages(*b).FindButton(40)->toolTip(), "Editor\nfor text");
    EXPECT_EQ(b->ScreenCursor(), crDefault);
    b.reset();
}

TEST_F(ButtonRecordsTest, WithoutSyncModeNothingIsBroadcast)
{
    MainWindow& f = StartBar();
    Menu(f, 3, "MoveButton1");
    LeftClick(f, 40);
    Menu(f, 40, "CopyButton1");
    LeftClick(f, 41); // loaded: nothing
    LeftClick(f, 42);
    Menu(f, 42, "RemoveButton1");
    EXPECT_TRUE(platform.broadcasts.empty());
    EXPECT_EQ(Keys(40), Record3());
    EXPECT_EQ(Keys(42), Absent());
}

// ---- a pending record across a rebuild and the end of the program

TEST_F(ButtonRecordsTest, PendingMoveIsNeverLost)
{
    struct Case {
        std::string name;
        std::string command; // the button menu item that arms
        bool fillSource;     // another instance fills the source meanwhile
        std::function<void(MainWindow&)> interrupt;
        int expectedHome; // where the record of button 3 is afterwards
    };
    auto endProgram = [this](MainWindow&) { form.reset(); };
    auto switchTo21 = [this](MainWindow& f) {
        dialogs.answers = {ModalResult::mrYes};
        f.MenuItem("PButton21")->trigger();
    };
    auto pageCountElsewhere = [this](MainWindow&) {
        TNewIniFile(Ini()).WriteInteger("Pages", "Count", 4);
        platform.BroadcastMessage({"UKXForm", 1});
        Pump();
    };
    const Case cases[] = {
        {"end of the program", "MoveButton1", false, endProgram, 3},
        {"16 to 21 buttons per page", "MoveButton1", false, switchTo21, 3},
        {"page count changed by another instance", "MoveButton1", false, pageCountElsewhere, 3},
        {"source filled, then the end", "MoveButton1", true, endProgram, 4},
        {"source filled, then a rebuild", "MoveButton1", true, pageCountElsewhere, 4},
        {"copy, then the end", "CopyButton1", false, endProgram, 3},
        {"copy, then a rebuild", "CopyButton1", false, pageCountElsewhere, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialogs.answers.clear();
        MainWindow& f = StartBar();
        Menu(f, 3, c.command);
        ASSERT_EQ(f.ScreenCursor(), crDrag);
        if (c.fillSource)
            TNewIniFile(Ini()).WriteString("Programs", "SpeedButton3", "/bin/other");
        c.interrupt(f);

        EXPECT_EQ(Keys(c.expectedHome), Record3());
        // Exactly one more record when the source was filled, none otherwise.
        EXPECT_EQ(ProgramCount(IniText()), c.fillSource ? 6 : 5);
        if (c.fillSource) {
            EXPECT_EQ(Value("Programs", "SpeedButton3"), "/bin/other");
        }
        if (form) {
            // The rebuilt bar shows the record, idle, and takes new commands.
            EXPECT_EQ(f.ScreenCursor(), crDefault);
            EXPECT_FALSE(Pages(f).PendingButton().has_value());
            EXPECT_TRUE(Pages(f).FindButton(c.expectedHome)->HasGlyph());
            Menu(f, c.expectedHome, "MoveButton1");
            EXPECT_EQ(f.ScreenCursor(), crDrag);
            LeftClick(f, 10);
            EXPECT_EQ(Keys(10), Record3());
        }
        form.reset();
    }
}

TEST_F(ButtonRecordsTest, PendingMoveOnAFullBarGetsAPageOfItsOwn)
{
    // The first page is full; the source is filled by another instance meanwhile,
    // which in the second case also cuts the bar to one page before the rebuild. In
    // the third a record left beyond the last page (by a lowered page count) keeps its
    // number.
    struct Case {
        std::string name;
        int pages;
        bool cutToOnePage, hiddenRecord;
        int home;
    } cases[] = {{"one full page, then the end", 1, false, false, 17},
                 {"page count cut elsewhere", 2, true, false, 17},
                 {"a record beyond the last page", 1, false, true, 18}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string text = "[Location]\nTop=100\n[Pages]\nCount=" + std::to_string(c.pages) + "\n[Programs]\n";
        for (int n = 1; n <= 16; ++n)
            text += ButtonKey(n) + "=/bin/one\n";
        if (c.hiddenRecord)
            text += "SpeedButton17=/bin/hidden\n";
        text += "[Names]\nSpeedButton3=Three\n";
        if (c.hiddenRecord)
            text += "SpeedButton17=Hidden\n";
        MainWindow& f = StartBar(text);
        Menu(f, 3, "MoveButton1");
        TNewIniFile(Ini()).WriteString("Programs", "SpeedButton3", "/bin/other");
        if (c.cutToOnePage) {
            TNewIniFile(Ini()).WriteInteger("Pages", "Count", 1);
            platform.BroadcastMessage({"UKXForm", 1});
            Pump();
        } else {
            form.reset();
        }
        EXPECT_EQ(Value("Programs", ButtonKey(c.home)), "/bin/one");
        EXPECT_EQ(Value("Names", ButtonKey(c.home)), "Three");
        EXPECT_EQ(Value("Pages", "Count"), "2");
        if (c.hiddenRecord) {
            EXPECT_EQ(Value("Programs", "SpeedButton17"), "/bin/hidden");
            EXPECT_EQ(Value("Names", "SpeedButton17"), "Hidden");
        }
        form.reset();
        MainWindow& again = Start();
        EXPECT_EQ(Pages(again).PageCount(), 2);
        ASSERT_NE(Pages(again).FindButton(c.home), nullptr);
        EXPECT_EQ(Pages(again).FindButton(c.home)->toolTip(), "Three");
        form.reset();
    }
}

} // namespace
} // namespace kex
