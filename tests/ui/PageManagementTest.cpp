// Page management as the user drives it: selecting tabs, the page menu on a right
// press, the inline editor, adding, deleting and moving pages, a pending move that
// neither a rebuild nor the end of the program may lose, and the tab colours.
#include <QAction>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QStackedWidget>

#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "FormFixture.h"
#include "core/config/ConfigTool.h"
#include "core/config/Settings.h"
#include "ui/widgets/SpeedButton.h"
#include "ui/widgets/TabSet.h"

namespace kex {
namespace {

// A bar of `pages` pages; every number in `buttons` gets a full record that tells
// where it was first stored.
struct TBar {
    int pages = 3;
    int perPage = 16;
    std::map<int, std::string> names; // page → stored name
    std::vector<int> buttons;
    std::string extra;

    std::string Text() const
    {
        std::string t = "[Location]\nTop=100\nLeft=30\nButtonCount=" + std::to_string(perPage)
                        + "\n\n[Pages]\nCount=" + std::to_string(pages) + "\n\n[Tabs]\n";
        for (const auto& [p, name] : names)
            t += PageTabKey(p) + "=" + name + "\n";
        auto section = [&](const char* name, auto value) {
            t += std::string("\n[") + name + "]\n";
            for (int n : buttons)
                t += ButtonKey(n) + "=" + value(n) + "\n";
        };
        section("Programs", [](int n) { return Program(n); });
        section("Parameters", [](int n) { return "--from " + std::to_string(n); });
        section("Icons", [](int) { return std::string("Default"); });
        section("IconSelection", [](int n) { return std::to_string(n % 3 + 1); });
        section("Names", [](int n) { return "Program " + std::to_string(n); });
        section("Working", [](int n) { return "/work/" + std::to_string(n); });
        return t + extra;
    }
    static std::string Program(int n) { return "/opt/apps/prog" + std::to_string(n); }
};

QImage Painted(QWidget* w) { return w->grab().toImage(); }

int CountColour(const QImage& image, const QRect& rect, const QColor& colour)
{
    int count = 0;
    const QRect area = rect.intersected(image.rect());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += QColor(image.pixel(x, y)) == colour;
    return count;
}

class PageTest : public FormTest {
protected:
    MainWindow& Open(const TBar& bar, std::vector<std::string> args = {}, const std::string& suffix = "")
    {
        WriteIni(bar.Text(), suffix);
        return Shown(std::move(args));
    }
    MainWindow& Shown(std::vector<std::string> args = {})
    {
        MainWindow& f = Start(std::move(args));
        f.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&f));
        return f;
    }
    QPoint TabCenter(int tab) const { return Child<TTabSet>(*form, "TabSet1")->ItemRect(tab).center(); }
    void Press(Qt::MouseButton button, QPoint at)
    {
        QTest::mousePress(Child<TTabSet>(*form, "TabSet1"), button, {}, at);
        QTest::mouseRelease(Child<TTabSet>(*form, "TabSet1"), button, {}, at);
    }
    void RightPress(int tab) { Press(Qt::RightButton, TabCenter(tab)); }
    void LeftPress(int tab) { Press(Qt::LeftButton, TabCenter(tab)); }
    // The page menu on a tab, choosing one item.
    void Menu(int tab, const std::string& item)
    {
        dialogs.popupChoices.push_back(item);
        RightPress(tab);
    }
    void Retype(const QString& text)
    {
        Child<QLineEdit>(*form, "PageName")->selectAll();
        QTest::keyClick(Child<QLineEdit>(*form, "PageName"), Qt::Key_Backspace);
        QTest::keyClicks(Child<QLineEdit>(*form, "PageName"), text);
    }
    void Key(Qt::Key key) { QTest::keyClick(Child<QLineEdit>(*form, "PageName"), key); }

    // Where each stored record of the first `pages` pages came from: number → the
    // number it was first stored under.
    std::map<int, int> Layout(int pages, int perPage = 16) const
    {
        std::map<int, int> layout;
        TNewIniFile ini(Ini());
        for (int n = 1; n <= pages * perPage; ++n) {
            const std::string program = ini.ReadString("Programs", ButtonKey(n), "");
            if (!program.empty())
                layout[n] = std::stoi(program.substr(TBar::Program(0).size() - 1));
        }
        return layout;
    }
    // Every field of record n is the one first stored under `from`.
    void ExpectRecordFrom(int n, int from) const
    {
        SCOPED_TRACE("button " + std::to_string(n) + " from " + std::to_string(from));
        const std::string key = ButtonKey(n);
        EXPECT_EQ(Value("Programs", key), TBar::Program(from));
        EXPECT_EQ(Value("Parameters", key), "--from " + std::to_string(from));
        EXPECT_EQ(Value("Icons", key), "Default");
        EXPECT_EQ(Value("IconSelection", key), std::to_string(from % 3 + 1));
        EXPECT_EQ(Value("Names", key), "Program " + std::to_string(from));
        EXPECT_EQ(Value("Working", key), "/work/" + std::to_string(from));
    }
    std::vector<std::string> Tabs() const
    {
        std::vector<std::string> tabs;
        for (const QString& t : Child<TTabSet>(*form, "TabSet1")->Tabs())
            tabs.push_back(t.toStdString());
        return tabs;
    }
};

// ------------------------------------------------------------------ selecting a page

TEST_F(PageTest, SelectingATabShowsItsPageReleasesTheButtonAndParksTheKeyboardSelection)
{
    struct Case {
        int perPage, from, tab, parked;
    } cases[] = {
        {16, 0, 2, 32},  // page 3: just before its first button
        {16, 4, 0, 160}, // page 1: the last button of the last page
        {21, 0, 1, 21},
        {21, 3, 0, 210},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.perPage) + " buttons, tab " + std::to_string(c.tab));
        TBar bar;
        bar.pages = 10;
        bar.perPage = c.perPage;
        MainWindow& f = Open(bar);
        ASSERT_EQ(Pages(f).ButtonsPerPage(), c.perPage);
        if (c.from != 0)
            LeftPress(c.from);
        // A button of the page shown is pressed by the keyboard selection.
        const int pressed = c.from * c.perPage + 3;
        Pages(f).SetKeySelection(pressed);
        Pages(f).FindButton(pressed)->SetDown(true);

        LeftPress(c.tab);
        EXPECT_EQ(Child<TTabSet>(f, "TabSet1")->TabIndex(), c.tab);
        EXPECT_EQ(Child<QStackedWidget>(f, "Notebook1")->currentIndex(), c.tab);
        EXPECT_TRUE(f.windowTitle().endsWith(QString("Page %1 of 10").arg(c.tab + 1))) << f.windowTitle().toStdString();
        EXPECT_FALSE(Pages(f).FindButton(pressed)->Down());
        EXPECT_EQ(Pages(f).KeySelection(), c.parked);
        form.reset();
    }
}

// ------------------------------------------------------------------ the page menu

TEST_F(PageTest, PageMenuOpensOnlyOnAnUnlockedRightPressOnATabWithTheEditorHidden)
{
    TBar bar;
    bar.pages = 3;
    MainWindow& f = Open(bar);
    ASSERT_EQ(Child<TTabSet>(f, "TabSet1")->Count(), 3);
    const QRect last = Child<TTabSet>(f, "TabSet1")->ItemRect(2);
    ASSERT_LT(last.right() + 20, Child<TTabSet>(f, "TabSet1")->width()) << "room beside the tabs";

    struct Case {
        const char* what;
        Qt::MouseButton button;
        QPoint at;
        std::string lock;
        bool editorOpen;
        bool opens;
    } cases[] = {
        {"left press", Qt::LeftButton, TabCenter(1), "NilK305", false, false},
        {"locked", Qt::RightButton, TabCenter(1), "", false, false},
        {"editor open", Qt::RightButton, TabCenter(1), "NilK305", true, false},
        {"beside the tabs", Qt::RightButton, QPoint(last.right() + 10, last.center().y()), "NilK305", false, false},
        {"unlocked right press", Qt::RightButton, TabCenter(1), "NilK305", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Child<TTabSet>(f, "TabSet1")->SetTabIndex(0);
        Pages(f).SelectPage();
        if (c.lock != "NilK305")
            Lockout(f, "pw");
        if (c.editorOpen)
            Child<QLineEdit>(f, "PageName")->show();
        const std::size_t before = dialogs.popups.size();
        dialogs.popupChoices.push_back(""); // the menu closes without a choice

        Press(c.button, c.at);
        ASSERT_EQ(dialogs.popups.size(), before + (c.opens ? 1 : 0));
        if (c.opens) {
            EXPECT_EQ(dialogs.popups.back().menu, "PopupMenu2");
            EXPECT_EQ(dialogs.popups.back().pos,
                      f.mapToGlobal(QPoint(c.at.x() + Child<QFrame>(f, "Panel1")->width(), c.at.y())));
            EXPECT_EQ(Child<TTabSet>(f, "TabSet1")->TabIndex(), 1) << "the pressed tab is selected";
            EXPECT_TRUE(f.windowTitle().endsWith("Page 2 of 3"));
        } else if (c.button == Qt::RightButton) {
            EXPECT_EQ(Child<TTabSet>(f, "TabSet1")->TabIndex(), 0) << "nothing selected";
        }
        dialogs.popupChoices.clear();
        Child<QLineEdit>(f, "PageName")->hide();
        if (Locked(f))
            Lockout(f, "pw");
    }
}

// ------------------------------------------------------------------ the inline editor

TEST_F(PageTest, RenamingStoresANonEmptyNameAndShowsItAtOnceWhileTheRedHighlightAlwaysEnds)
{
    struct Case {
        const char* what;
        int tab;
        QString typed; // null: nothing typed
        Qt::Key key;
        std::string shownBefore, stored;
    } cases[] = {
        {"enter", 1, "Tools", Qt::Key_Return, "Beta", "Tools"},
        {"enter on an unnamed page", 2, "Games", Qt::Key_Enter, "Page3", "Games"},
        {"empty text", 1, "", Qt::Key_Return, "Beta", "Beta"},
        {"escape", 1, "Tools", Qt::Key_Escape, "Beta", "Beta"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TBar bar;
        bar.names = {{1, "Alpha"}, {2, "Beta"}};
        bar.buttons = {17};
        MainWindow& f = Open(bar);
        TSpeedButton* button = Pages(f).FindButton(17);

        Menu(c.tab, "RenamePage1");
        ASSERT_TRUE(Child<QLineEdit>(f, "PageName")->isVisible());
        EXPECT_EQ(Pages(f).Editing(), PageBar::EditorMode::PageName);
        EXPECT_EQ(Child<QLineEdit>(f, "PageName")->toolTip(), "Enter new name for Selected Page Tab");
        EXPECT_EQ(Child<QLineEdit>(f, "PageName")->text().toStdString(), c.shownBefore);
        EXPECT_EQ(Child<TTabSet>(f, "TabSet1")->SelectedColor(), QColor(255, 0, 0));
        EXPECT_GT(CountColour(Painted(Child<TTabSet>(f, "TabSet1")), Child<TTabSet>(f, "TabSet1")->ItemRect(c.tab),
                              QColor(255, 0, 0)),
                  20);

        Retype(c.typed);
        Key(c.key);
        EXPECT_FALSE(Child<QLineEdit>(f, "PageName")->isVisible());
        EXPECT_EQ(Pages(f).Editing(), PageBar::EditorMode::None);
        EXPECT_EQ(Child<QLineEdit>(f, "PageName")->text(), "");
        EXPECT_EQ(Tabs()[std::size_t(c.tab)], c.stored);
        const std::string stored = Value("Tabs", PageTabKey(c.tab + 1));
        EXPECT_EQ(stored, c.stored == "Page3" ? "<absent>" : c.stored);
        EXPECT_EQ(Child<TTabSet>(f, "TabSet1")->SelectedColor(), ColorFromValue(Pages(f).Colors().Selected()));
        EXPECT_EQ(
            CountColour(Painted(Child<TTabSet>(f, "TabSet1")), Child<TTabSet>(f, "TabSet1")->rect(), QColor(255, 0, 0)),
            0);
        EXPECT_EQ(Pages(f).FindButton(17), button) << "a rename rebuilds nothing";
        EXPECT_FALSE(QFile::exists(QString::fromStdString(platform.appDir + "KX.BAK")));
        form.reset();
    }
}

TEST_F(PageTest, F1ShowsTheHelpContentsEndsTheModeAndALaterEnterOnlyCloses)
{
    TBar bar;
    bar.names = {{2, "Beta"}};
    MainWindow& f = Open(bar);
    Menu(1, "RenamePage1");
    Retype("Tools");
    Key(Qt::Key_F1);
    EXPECT_EQ(dialogs.helpShown, std::vector<int>{0});
    EXPECT_EQ(dialogs.helpFile, platform.appDir + "Kexbar.HLP");
    EXPECT_EQ(Pages(f).Editing(), PageBar::EditorMode::None);
    EXPECT_TRUE(Child<QLineEdit>(f, "PageName")->isVisible());
    EXPECT_EQ(Child<QLineEdit>(f, "PageName")->text(), "Tools");

    Key(Qt::Key_Return);
    EXPECT_FALSE(Child<QLineEdit>(f, "PageName")->isVisible());
    EXPECT_EQ(Value("Tabs", "PageTab2"), "Beta");
    EXPECT_EQ(Tabs()[1], "Beta");
}

TEST_F(PageTest, TypedPageCountIsAtLeastTwoAndAtMostAThousandAndRebuildsTheBar)
{
    struct Case {
        QString typed;
        int count;
    } cases[] = {{"1", 2}, {"0", 2}, {"abc", 2}, {"12x", 12}, {"4", 4}, {"99999999999", 1000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        TBar bar;
        bar.pages = 3;
        bar.buttons = {1, 33};
        MainWindow& f = Open(bar);
        Menu(0, "TotalPages1");
        ASSERT_TRUE(Child<QLineEdit>(f, "PageName")->isVisible());
        EXPECT_EQ(Pages(f).Editing(), PageBar::EditorMode::PageCount);
        EXPECT_EQ(Child<QLineEdit>(f, "PageName")->toolTip(), "Enter # of Total Pages you want");
        EXPECT_EQ(Child<QLineEdit>(f, "PageName")->text(), "3");

        Retype(c.typed);
        Key(Qt::Key_Return);
        EXPECT_EQ(Value("Pages", "Count"), std::to_string(c.count));
        EXPECT_EQ(Child<TTabSet>(f, "TabSet1")->Count(), c.count);
        EXPECT_EQ(Child<QStackedWidget>(f, "Notebook1")->count(), c.count);
        EXPECT_NE(Pages(f).FindButton(c.count * 16), nullptr);
        EXPECT_EQ(Pages(f).FindButton(c.count * 16 + 1), nullptr);
        EXPECT_FALSE(Child<QLineEdit>(f, "PageName")->isVisible());
        EXPECT_EQ(Pages(f).Editing(), PageBar::EditorMode::None);
        EXPECT_TRUE(QFile::exists(QString::fromStdString(platform.appDir + "KX.BAK"))) << "backed up first";
        EXPECT_EQ(Value("Programs", ButtonKey(1)), TBar::Program(1));
        form.reset();
    }
}

TEST_F(PageTest, InSyncModeEnterBroadcastsTheReloadAndEscapeDoesNot)
{
    TBar bar;
    bar.names = {{1, "Alpha"}};
    MainWindow& f = Open(bar, {"/m", "desk"}, "desk");
    ASSERT_TRUE(f.State().SyncMode);
    Menu(0, "RenamePage1");
    Key(Qt::Key_Escape);
    EXPECT_TRUE(platform.broadcasts.empty());

    Menu(0, "RenamePage1");
    Retype("Desk");
    Key(Qt::Key_Return);
    EXPECT_EQ(Value("Tabs", "PageTab1", "desk"), "Desk");
    EXPECT_EQ(platform.broadcasts, (std::vector<std::pair<std::string, int>>{{"UKexbardesk", 1}}));
    // The fake bus delivers on the next turn of the loop: let it, while the fixture lives.
    Pump();
    EXPECT_EQ(Tabs()[0], "Desk") << "the reload shows the stored name";
}

// ------------------------------------------------------------------ delete, add, move

TEST_F(PageTest, DeletingOrMovingAsksFirstAndNoChangesNothing)
{
    TBar bar;
    bar.names = {{1, "Alpha"}, {2, "Beta"}};
    bar.buttons = {1, 17, 33};
    MainWindow& f = Open(bar);
    const std::string before = IniText();
    struct Case {
        std::string item;
        int tab;
        std::string question;
    } cases[] = {
        {"DeletePage1", 1, "Are you sure you want to Delete the \"Beta\" Page?"},
        {"MovePage1", 0, "Are you sure you want to Move the \"Alpha\" Page?"},
        {"DeletePage1", 2, "Are you sure you want to Delete the \"Page3\" Page?"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.question);
        dialogs.answers.push_back(TModalResult::mrNo);
        Menu(c.tab, c.item);
        ASSERT_FALSE(dialogs.messages.empty());
        EXPECT_EQ(dialogs.messages.back().text, c.question);
        EXPECT_EQ(dialogs.messages.back().type, TMsgDlgType::mtWarning);
        EXPECT_EQ(dialogs.messages.back().buttons, unsigned(mbYes | mbNo));
        EXPECT_EQ(dialogs.messages.back().helpContext, 0);
        EXPECT_EQ(IniText(), before);
        EXPECT_EQ(Child<TTabSet>(f, "TabSet1")->Count(), 3);
        EXPECT_EQ(f.ScreenCursor(), crDefault);
    }
}

TEST_F(PageTest, DeletingAndAddingShiftPagesWithTheirNamesAndButtons)
{
    struct Case {
        const char* what;
        std::string item;
        int pages, tab;
        std::map<int, std::string> names;
        std::vector<int> buttons;
        std::vector<std::string> tabs;           // afterwards
        std::map<std::string, std::string> keys; // "PageTab" + p afterwards
        std::map<int, int> layout;               // afterwards: number → first number
        int selected;
    } cases[] = {
        {"delete the last page",
         "DeletePage1",
         3,
         2,
         {{1, "Alpha"}, {3, "Gamma"}},
         {1, 33, 48},
         {"Alpha", "Page2"},
         {{"PageTab1", "Alpha"}, {"PageTab2", "<absent>"}, {"PageTab3", "<absent>"}},
         {{1, 1}},
         0},
        // The unnamed page 4 moves to place 3 and is stored as "3".
        {"delete page 2 of 4",
         "DeletePage1",
         4,
         1,
         {{1, "Alpha"}, {2, "Beta"}, {3, "Gamma"}},
         {1, 2, 17, 18, 33, 40, 49, 64},
         {"Alpha", "Gamma", "3"},
         {{"PageTab1", "Alpha"}, {"PageTab2", "Gamma"}, {"PageTab3", "3"}, {"PageTab4", "<absent>"}},
         {{1, 1}, {2, 2}, {17, 33}, {24, 40}, {33, 49}, {48, 64}},
         0},
        // The unnamed page 3 moves to place 4 and is stored as "3".
        {"add before the first page",
         "AddPage1",
         3,
         0,
         {{1, "Alpha"}, {2, "Beta"}},
         {1, 16, 17, 33},
         {"Page 1", "Alpha", "Beta", "3"},
         {{"PageTab1", "Page 1"}, {"PageTab2", "Alpha"}, {"PageTab3", "Beta"}, {"PageTab4", "3"}},
         {{17, 1}, {32, 16}, {33, 17}, {49, 33}},
         0},
        {"add before page 2",
         "AddPage1",
         2,
         1,
         {{1, "Alpha"}},
         {1, 17, 32},
         {"Alpha", "Page 2", "2"},
         {{"PageTab1", "Alpha"}, {"PageTab2", "Page 2"}, {"PageTab3", "2"}},
         {{1, 1}, {33, 17}, {48, 32}},
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TBar bar;
        bar.pages = c.pages;
        bar.names = c.names;
        bar.buttons = c.buttons;
        MainWindow& f = Open(bar);
        dialogs.answers.push_back(TModalResult::mrYes);
        Menu(c.tab, c.item);

        const int count = int(c.tabs.size());
        EXPECT_EQ(Value("Pages", "Count"), std::to_string(count));
        EXPECT_EQ(Tabs(), c.tabs);
        EXPECT_EQ(Child<QStackedWidget>(f, "Notebook1")->count(), count);
        for (const auto& [key, value] : c.keys)
            EXPECT_EQ(Value("Tabs", key), value) << key;
        EXPECT_EQ(Layout(c.pages + 1), c.layout);
        for (const auto& [n, from] : c.layout) {
            ExpectRecordFrom(n, from);
            EXPECT_TRUE(Pages(f).FindButton(n)->HasGlyph()) << "button " << n << " shown";
        }
        EXPECT_EQ(Child<TTabSet>(f, "TabSet1")->TabIndex(), c.selected);
        EXPECT_TRUE(f.windowTitle().endsWith(QString("Page %1 of %2").arg(c.selected + 1).arg(count)));
        EXPECT_EQ(f.ScreenCursor(), crDefault);
        form.reset();
    }
}

TEST_F(PageTest, AMovedPageIsInsertedBeforeTheTabRightPressedNext)
{
    TBar bar;
    bar.names = {{1, "Alpha"}, {2, "Beta"}, {3, "Gamma"}};
    bar.buttons = {1, 5, 16, 17, 33};
    MainWindow& f = Open(bar);
    dialogs.answers.push_back(TModalResult::mrYes);
    Menu(0, "MovePage1");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Are you sure you want to Move the \"Alpha\" Page?");

    // Pending: the page is gone from the file and the multi-drag cursor shows.
    EXPECT_EQ(f.ScreenCursor(), crMultiDrag);
    EXPECT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(Value("Pages", "Count"), "2");
    EXPECT_EQ(Tabs(), (std::vector<std::string>{"Beta", "Gamma"}));
    EXPECT_EQ(Layout(3), (std::map<int, int>{{1, 17}, {17, 33}}));

    // A left press only switches pages.
    LeftPress(1);
    LeftPress(0);
    EXPECT_EQ(f.ScreenCursor(), crMultiDrag);

    // The right press on the second tab puts it there instead of opening the menu.
    const std::size_t menus = dialogs.popups.size();
    RightPress(1);
    EXPECT_EQ(dialogs.popups.size(), menus);
    EXPECT_EQ(f.ScreenCursor(), crDefault);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(Value("Pages", "Count"), "3");
    EXPECT_EQ(Tabs(), (std::vector<std::string>{"Beta", "Alpha", "Gamma"}));
    EXPECT_EQ(Value("Tabs", "PageTab2"), "Alpha");
    EXPECT_EQ(Layout(4), (std::map<int, int>{{1, 17}, {17, 1}, {21, 5}, {32, 16}, {33, 33}}));
    for (auto [n, from] : std::map<int, int>{{1, 17}, {17, 1}, {21, 5}, {32, 16}, {33, 33}})
        ExpectRecordFrom(n, from);
    EXPECT_EQ(Child<TTabSet>(f, "TabSet1")->TabIndex(), 1);
    EXPECT_TRUE(f.windowTitle().endsWith("Page 2 of 3"));
    EXPECT_FALSE(Pages(f).PendingPage().has_value());
}

TEST_F(PageTest, TheOnlyPageCanNeitherBeDeletedNorMoved)
{
    TBar bar;
    bar.pages = 1;
    bar.names = {{1, "Alone"}};
    bar.buttons = {1};
    MainWindow& f = Open(bar);
    const std::string before = IniText();
    for (const char* item : {"DeletePage1", "MovePage1"}) {
        SCOPED_TRACE(item);
        dialogs.messages.clear();
        dialogs.answers.push_back(TModalResult::mrYes);
        Menu(0, item);
        ASSERT_EQ(dialogs.messages.size(), 1u) << "a warning and no question";
        const std::string verb = std::string(item) == "MovePage1" ? "moved" : "deleted";
        EXPECT_EQ(dialogs.messages[0].text, "The only page of the bar cannot be " + verb + ".");
        EXPECT_EQ(dialogs.messages[0].type, TMsgDlgType::mtWarning);
        EXPECT_EQ(dialogs.messages[0].buttons, unsigned(mbOK));
        dialogs.answers.clear();
        EXPECT_EQ(IniText(), before);
        EXPECT_EQ(Tabs(), std::vector<std::string>{"Alone"});
        EXPECT_EQ(f.ScreenCursor(), crDefault);
    }
}

// ------------------------------------------------------------------ a pending move is never lost

TEST_F(PageTest, APendingMoveGoesBackToItsPlaceOnARebuildOrTheEndOfTheProgram)
{
    enum class End { PageCount, RebuildMessage, Close };
    struct Case {
        const char* what;
        End end;
        int count;
    } cases[] = {
        {"typed page count", End::PageCount, 5},
        {"rebuild message", End::RebuildMessage, 3},
        {"end of the program", End::Close, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TBar bar;
        bar.names = {{1, "Alpha"}, {2, "Beta"}, {3, "Gamma"}};
        bar.buttons = {1, 5, 16, 17, 33};
        MainWindow& f = Open(bar);
        dialogs.answers.push_back(TModalResult::mrYes);
        Menu(0, "MovePage1");
        ASSERT_EQ(f.ScreenCursor(), crMultiDrag);
        ASSERT_EQ(Value("Pages", "Count"), "2");

        switch (c.end) {
        case End::PageCount:
            f.MenuItem("TotalPages1")->trigger();
            Retype("5");
            Key(Qt::Key_Return);
            break;
        case End::RebuildMessage: platform.handler({f.State().PageUpdateMsg, 1}); break;
        case End::Close: form.reset(); break;
        }
        EXPECT_EQ(Value("Pages", "Count"), std::to_string(c.count));
        EXPECT_EQ(Value("Tabs", "PageTab1"), "Alpha");
        EXPECT_EQ(Value("Tabs", "PageTab2"), "Beta");
        EXPECT_EQ(Value("Tabs", "PageTab3"), "Gamma");
        EXPECT_EQ(Layout(6), (std::map<int, int>{{1, 1}, {5, 5}, {16, 16}, {17, 17}, {33, 33}}));
        for (int n : bar.buttons)
            ExpectRecordFrom(n, n);
        if (form) {
            EXPECT_EQ(form->ScreenCursor(), crDefault);
            EXPECT_EQ(Child<TTabSet>(*form, "TabSet1")->Count(), c.count);
            EXPECT_TRUE(Pages(*form).FindButton(16)->HasGlyph());
            EXPECT_FALSE(Pages(*form).PendingPage().has_value());
            // Nothing is left to complete: the next right press opens the menu.
            dialogs.popupChoices.push_back("");
            const std::size_t menus = dialogs.popups.size();
            RightPress(1);
            EXPECT_EQ(dialogs.popups.size(), menus + 1);
            EXPECT_EQ(Value("Pages", "Count"), std::to_string(c.count));
        }
        form.reset();
    }
}

// ------------------------------------------------------------------ tab colours

TEST_F(PageTest, TabColoursComeFromTheColourDialogWithTheStoredPalette)
{
    const QColor chosen(0x12, 0x34, 0x56); // stored as 0x563412
    std::array<QColor, 16> edited;
    edited.fill(Qt::white);
    edited[0] = QColor(0, 0, 255);
    edited[1] = QColor(0xab, 0xcd, 0xef);
    edited[2] = QColor(0, 255, 0);
    struct Case {
        const char* what;
        std::string item, key;
        bool cancel;
    } cases[] = {
        {"unselected", "UnselectedColor1", "UnselectedColor", false},
        {"selected", "SelectedColor1", "SelectedColor", false},
        {"cancelled unselected", "UnselectedColor1", "UnselectedColor", true},
        {"cancelled selected", "SelectedColor1", "SelectedColor", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TBar bar;
        bar.extra = "\n[Colors]\nColorA=ff0000\nColorC=00FF00\n";
        MainWindow& f = Open(bar);
        const std::string before = IniText();
        const QColor selectedBefore = Child<TTabSet>(f, "TabSet1")->SelectedColor();
        const QColor unselectedBefore = Child<TTabSet>(f, "TabSet1")->UnselectedColor();
        if (!c.cancel)
            dialogs.colors.push_back(chosen);
        dialogs.customColorEdits.push_back(edited);
        Menu(0, c.item);

        ASSERT_EQ(dialogs.colorAsks.size(), 1u);
        const FakeDialogs::ColorAsk& ask = dialogs.colorAsks[0];
        EXPECT_EQ(ask.helpContext, 32);
        EXPECT_EQ(ask.initial, c.item == "SelectedColor1" ? selectedBefore : unselectedBefore);
        EXPECT_EQ(ask.custom[0], QColor(0, 0, 255)) << "stored blue, green, red";
        EXPECT_EQ(ask.custom[1], QColor(Qt::white)) << "the default";
        EXPECT_EQ(ask.custom[2], QColor(0, 255, 0));
        EXPECT_EQ(ask.custom[15], QColor(Qt::white));

        const QImage painted = Painted(Child<TTabSet>(f, "TabSet1"));
        // The middle of each tab: neighbouring trapezoids overlap at their sides.
        auto middle = [](QRect r) { return r.adjusted(r.width() / 3, 0, -r.width() / 3, 0); };
        const QRect selectedTab = middle(Child<TTabSet>(f, "TabSet1")->ItemRect(0)),
                    unselectedTab = middle(Child<TTabSet>(f, "TabSet1")->ItemRect(1));
        if (c.cancel) {
            EXPECT_EQ(IniText(), before);
            EXPECT_EQ(Child<TTabSet>(f, "TabSet1")->SelectedColor(), selectedBefore);
            EXPECT_EQ(Child<TTabSet>(f, "TabSet1")->UnselectedColor(), unselectedBefore);
            EXPECT_EQ(CountColour(painted, Child<TTabSet>(f, "TabSet1")->rect(), chosen), 0);
        } else {
            EXPECT_EQ(Value("Tabs", c.key), std::to_string(0x563412));
            const bool selected = c.key == "SelectedColor";
            EXPECT_EQ(selected ? Pages(f).Colors().Selected() : Pages(f).Colors().Unselected(), 0x563412);
            EXPECT_GT(CountColour(painted, selected ? selectedTab : unselectedTab, chosen), 20);
            EXPECT_EQ(CountColour(painted, selected ? unselectedTab : selectedTab, chosen), 0);
            EXPECT_EQ(Value("Tabs", selected ? "UnselectedColor" : "SelectedColor"), "<absent>");
            // The palette as six lower-case hexadecimal digits, blue first.
            const std::map<std::string, std::string> palette = {
                {"ColorA", "ff0000"}, {"ColorB", "efcdab"}, {"ColorC", "00ff00"}, {"ColorP", "ffffff"}};
            for (const auto& [key, value] : palette)
                EXPECT_EQ(Value("Colors", key), value) << key;
            // A later start paints with the stored colour and reopens the same palette.
            form.reset();
            MainWindow& again = Shown();
            EXPECT_EQ(selected ? Child<TTabSet>(again, "TabSet1")->SelectedColor()
                               : Child<TTabSet>(again, "TabSet1")->UnselectedColor(),
                      chosen);
            Menu(0, c.item);
            ASSERT_EQ(dialogs.colorAsks.size(), 2u);
            EXPECT_EQ(dialogs.colorAsks[1].custom, edited);
        }
        dialogs.colorAsks.clear();
        dialogs.customColorEdits.clear();
        form.reset();
    }
}

// ---- a bar whose file was changed by someone else

// kexbar-config run on the bar's file, as another user of it would.
void Tool(const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    std::vector<std::string> argv = {"kexbar-config"};
    argv.insert(argv.end(), args.begin(), args.end());
    ASSERT_EQ(RunConfigTool(argv, out, err), kConfigOk) << err.str();
}

TEST_F(PageTest, CommandsOnPagesChangedMeanwhileReloadTheBarAndChangeNothing)
{
    platform.screen = QSize(1280, 1024); // the 16/21 items are there
    TBar bar;
    bar.names = {{1, "Main"}, {2, "Scripts"}, {3, "Misc"}};
    bar.buttons = {1, 17, 33, 40};
    struct Case {
        const char* what;
        std::function<void(MainWindow&)> act;
    } cases[] = {
        {"delete from the page menu",
         [this](MainWindow&) {
             dialogs.answers.push_back(TModalResult::mrYes);
             Menu(2, "DeletePage1");
         }},
        {"delete asked before the change",
         [this](MainWindow& f) {
             // The question is open while the other program adds its page.
             dialogs.answers.push_back(TModalResult::mrYes);
             dialogs.popupChoices.push_back("DeletePage1");
             Child<TTabSet>(f, "TabSet1")->SetTabIndex(2);
             Pages(f).SelectPage();
             Tool({Ini(), "add-page", "1", "New"});
             f.MenuItem("DeletePage1")->trigger();
         }},
        {"typed page count",
         [this](MainWindow& f) {
             f.MenuItem("TotalPages1")->trigger();
             Tool({Ini(), "add-page", "1", "New"});
             Retype("2");
             Key(Qt::Key_Return);
         }},
        {"16/21 switch",
         [this](MainWindow& f) {
             Tool({Ini(), "add-page", "1", "New"});
             dialogs.answers.push_back(TModalResult::mrYes);
             f.MenuItem("PButton21")->trigger();
         }},
        {"button menu",
         [this](MainWindow& f) {
             Tool({Ini(), "add-page", "1", "New"});
             dialogs.popupChoices.push_back("RemoveButton1");
             Pages(f).OpenButtonMenu(17, QPoint(0, 0));
         }},
        {"remove chosen from a menu opened before the change",
         [this](MainWindow& f) {
             // The menu is open while the other program adds its page.
             dialogs.duringPopup = [this] { Tool({Ini(), "add-page", "1", "New"}); };
             dialogs.popupChoices.push_back("RemoveButton1");
             Pages(f).OpenButtonMenu(17, QPoint(0, 0));
         }},
        {"put of a copy",
         [this](MainWindow& f) {
             ChooseOnButton(f, 1, "CopyButton1");
             Tool({Ini(), "add-page", "1", "New"});
             QTest::mouseClick(Pages(f).FindButton(2), Qt::LeftButton);
         }},
        {"click on a button",
         [this](MainWindow& f) {
             Tool({Ini(), "add-page", "1", "New"});
             Child<TTabSet>(f, "TabSet1")->SetTabIndex(1);
             Pages(f).SelectPage();
             QTest::mouseClick(Pages(f).FindButton(17), Qt::LeftButton);
         }},
    };
    // The other program's page goes first: every record moves one page on.
    const std::map<int, int> changed = {{17, 1}, {33, 17}, {49, 33}, {56, 40}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dialogs.messages.clear();
        dialogs.popups.clear();
        dialogs.answers.clear();
        dialogs.popupChoices.clear();
        MainWindow& f = Open(bar);
        if (std::string(c.what) == "delete from the page menu")
            Tool({Ini(), "add-page", "1", "New"});
        c.act(f);
        Pump();
        // Nothing of the command was carried out; the bar shows the file as it is now.
        EXPECT_EQ(Layout(4), changed);
        EXPECT_EQ(Value("Pages", "Count"), "4");
        EXPECT_EQ(Value("Location", "ButtonCount"), "16");
        EXPECT_TRUE(platform.started.empty());
        EXPECT_EQ(Pages(f).PageCount(), 4);
        EXPECT_EQ(Child<TTabSet>(f, "TabSet1")->Tabs(), QStringList({"New", "Main", "Scripts", "Misc"}));
        EXPECT_EQ(f.ScreenCursor(), crDefault);
        const bool told = !dialogs.messages.empty() && dialogs.messages.back().type == TMsgDlgType::mtInformation
                          && dialogs.messages.back().text.find("reloaded") != std::string::npos;
        EXPECT_TRUE(told);
        form.reset();
    }

    // Once reloaded, the command acts on the page the user sees.
    MainWindow& f = Open(bar);
    Tool({Ini(), "add-page", "1", "New"});
    dialogs.answers.clear();
    dialogs.popupChoices.clear();
    RightPress(2); // refused: the bar reloads
    EXPECT_EQ(Pages(f).PageCount(), 4);
    dialogs.answers.push_back(TModalResult::mrYes);
    Menu(3, "DeletePage1");
    EXPECT_EQ(dialogs.messages.back().text, "Are you sure you want to Delete the \"Misc\" Page?");
    EXPECT_EQ(Child<TTabSet>(f, "TabSet1")->Tabs(), QStringList({"New", "Main", "Scripts"}));
    EXPECT_EQ(Layout(4), (std::map<int, int>{{17, 1}, {33, 17}}));
}

TEST_F(PageTest, AChangeWrittenWhileTheBarLoadsIsNoticedByTheNextCommand)
{
    TBar bar;
    bar.names = {{1, "Main"}, {2, "Scripts"}, {3, "Misc"}};
    bar.buttons = {1, 17, 33};
    struct Case {
        const char* what;
        bool atStart;   // written while the start loads the buttons, else while a reload does
        int pagesShown; // what the bar shows once that load is done
    } cases[] = {
        {"while the start loads", true, 3},
        {"while a reload message is followed", false, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dialogs.messages.clear();
        WriteIni(bar.Text());
        // Another program adds a page while the bar reads its buttons' icons.
        platform.duringIconRead = [this] { Tool({Ini(), "add-page", "1", "New"}); };
        if (!c.atStart)
            platform.duringIconRead = nullptr;
        MainWindow& f = Shown();
        if (!c.atStart) {
            Tool({Ini(), "add-page", "2", "Second"}); // the shown first page keeps its button
            platform.duringIconRead = [this] { Tool({Ini(), "add-page", "1", "New"}); };
            Pages(f).Reload();
        }
        Pump();
        ASSERT_FALSE(platform.duringIconRead); // the change was written during the load
        EXPECT_EQ(Pages(f).PageCount(), c.pagesShown);
        // The next command finds the bar behind its file: it reloads and does nothing.
        QTest::mouseClick(Pages(f).FindButton(1), Qt::LeftButton);
        Pump();
        EXPECT_TRUE(platform.started.empty());
        ASSERT_FALSE(dialogs.messages.empty());
        EXPECT_NE(dialogs.messages.back().text.find("reloaded"), std::string::npos);
        EXPECT_EQ(Pages(f).PageCount(), c.pagesShown + 1);
        form.reset();
    }
}

TEST_F(PageTest, BackupHoldsTheBarAsItWasBeforeEveryRebuildingCommand)
{
    TBar bar;
    bar.names = {{1, "Main"}, {2, "Scripts"}};
    bar.buttons = {1, 17, 33};
    struct Case {
        const char* what;
        std::function<void(MainWindow&)> act;
    } cases[] = {
        {"add", [this](MainWindow&) { Menu(0, "AddPage1"); }},
        {"delete",
         [this](MainWindow&) {
             dialogs.answers.push_back(TModalResult::mrYes);
             Menu(1, "DeletePage1");
         }},
        {"page count",
         [this](MainWindow& f) {
             f.MenuItem("TotalPages1")->trigger();
             Retype("5");
             Key(Qt::Key_Return);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MainWindow& f = Open(bar);
        Pump();
        const std::string before = IniText();
        c.act(f);
        EXPECT_NE(IniText(), before);
        std::ifstream in(platform.appDir + "KX.BAK", std::ios::binary);
        std::stringstream backup;
        backup << in.rdbuf();
        EXPECT_EQ(backup.str(), before);
        form.reset();
    }
}

TEST_F(PageTest, SynchronisedBarsFollowAPageChangeAtOnceAndARebuildKeepsTheBarInPlace)
{
    TBar bar;
    bar.pages = 2;
    bar.names = {{1, "Main"}, {2, "Scripts"}};
    bar.buttons = {1, 17};
    MainWindow& f = Open(bar, {"/m", ""});
    f.move(300, 200);
    Pump();
    ASSERT_EQ(f.pos(), QPoint(300, 200));
    // The other bar: its place and a new page, told over the reload message.
    TNewIniFile(Ini()).Modify([](IniDocument& d) {
        d.WriteInteger("Location", "Top", 10);
        d.WriteInteger("Location", "Left", 20);
    });
    Tool({Ini(), "add-page", "2", "Other"});
    platform.handler({f.State().LoadMsg, 1});
    EXPECT_EQ(Child<TTabSet>(f, "TabSet1")->Tabs(), QStringList({"Main", "Other", "Scripts"}));
    EXPECT_EQ(f.pos(), QPoint(300, 200));
    // A tab colour kept beside the page names is no change of the pages.
    dialogs.colors.push_back(QColor(10, 20, 30));
    f.MenuItem("SelectedColor1")->trigger();
    dialogs.messages.clear();
    // A page command of this bar finds it current and tells the others.
    platform.broadcasts.clear();
    Menu(0, "AddPage1");
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(Pages(f).PageCount(), 4);
    EXPECT_EQ(f.pos(), QPoint(300, 200));
    EXPECT_EQ(platform.broadcasts, (std::vector<std::pair<std::string, int>>{{f.State().LoadMsg, 1}}));
}

} // namespace
} // namespace kex
