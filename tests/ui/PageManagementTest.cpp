// Page management as the user drives it: selecting tabs, the page menu on a right
// press, the inline editor, adding, deleting and moving pages, a pending move that
// neither a rebuild nor the end of the program may lose, and the tab colours.

#include "PageTestFixture.h"

namespace kex {
namespace {

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
        dialogs.answers.push_back(ModalResult::mrNo);
        Menu(c.tab, c.item);
        ASSERT_FALSE(dialogs.messages.empty());
        EXPECT_EQ(dialogs.messages.back().text, c.question);
        EXPECT_EQ(dialogs.messages.back().type, MessageType::mtWarning);
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
        dialogs.answers.push_back(ModalResult::mrYes);
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
    dialogs.answers.push_back(ModalResult::mrYes);
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
        dialogs.answers.push_back(ModalResult::mrYes);
        Menu(0, item);
        ASSERT_EQ(dialogs.messages.size(), 1u) << "a warning and no question";
        const std::string verb = std::string(item) == "MovePage1" ? "moved" : "deleted";
        EXPECT_EQ(dialogs.messages[0].text, "The only page of the bar cannot be " + verb + ".");
        EXPECT_EQ(dialogs.messages[0].type, MessageType::mtWarning);
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
        dialogs.answers.push_back(ModalResult::mrYes);
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
} // namespace
} // namespace kex
