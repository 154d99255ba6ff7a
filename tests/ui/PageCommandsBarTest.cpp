// Page commands on a bar whose file another user changes: kexbar-config between the
// bar's reads, the backup before a rebuild, synchronised bars.

#include "PageTestFixture.h"

namespace kex {
namespace {

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
             dialogs.answers.push_back(ModalResult::mrYes);
             Menu(2, "DeletePage1");
         }},
        {"delete asked before the change",
         [this](MainWindow& f) {
             // The question is open while the other program adds its page.
             dialogs.answers.push_back(ModalResult::mrYes);
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
             dialogs.answers.push_back(ModalResult::mrYes);
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
        const bool told = !dialogs.messages.empty() && dialogs.messages.back().type == MessageType::mtInformation
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
    dialogs.answers.push_back(ModalResult::mrYes);
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
             dialogs.answers.push_back(ModalResult::mrYes);
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
