// The recent list in the bar: launches from page buttons fill the Run button's
// right-click menu, a chosen entry starts its button again, moves, removals and new
// descriptions follow, and a page rebuild leaves no entry of the old numbering behind.
#include <QAction>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>

#include "FormFixture.h"
#include "core/recent/RecentEntries.h"

namespace kex {
namespace {

using Texts = std::vector<std::string>;

class RecentMenuTest : public FormTest {
protected:
    // Buttons 1, 2 and 3 with programs; 1 and 2 with descriptions.
    MainWindow& StartBar()
    {
        WriteIni("[Location]\nTop=100\n"
                 "[Programs]\nSpeedButton1=/usr/bin/editor\nSpeedButton2=/usr/bin/mail\nSpeedButton3=/usr/bin/rnd.sh\n"
                 "[Names]\nSpeedButton1=Editor\nSpeedButton2=R&D Mail\n"
                 "[Icons]\nSpeedButton1=Default\nSpeedButton2=Default\nSpeedButton3=Default\n");
        MainWindow& f = Start();
        f.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&f));
        return f;
    }
    void Click(int n) { QTest::mouseClick(Pages(*form).FindButton(n), Qt::LeftButton); }
    Texts Stored() const { return RecentEntries::ReadEntries(IniDocument::Parse(IniText()), "MRU", 100); }
    std::string LastStarted() const { return platform.started.empty() ? "" : platform.started.back().argv.at(0); }

    // A right click on the Run button; `choose` picks the shown entry with that caption
    // (none when empty). Answers the captions shown after the menu's separator.
    Texts RunMenu(const std::string& choose = "") { return RunMenuOf(*form, choose); }
    Texts RunMenuOf(MainWindow& bar, const std::string& choose = "")
    {
        Texts shown;
        dialogs.duringPopup = [&] {
            QMenu* menu = Child<QMenu>(bar, "PopupMenu5");
            const QList<QAction*> items = menu->actions();
            for (qsizetype i = items.indexOf(bar.MenuItem("Pop5Bar")) + 1; i < items.size(); ++i) {
                if (!items[i]->isVisible())
                    continue;
                shown.push_back(items[i]->text().toStdString());
                if (shown.back() == choose)
                    dialogs.popupChoices.push_back(items[i]->objectName().toStdString());
            }
        };
        QToolButton* run = Child<QToolButton>(bar, "RunButton");
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(3, 3), run->mapToGlobal(QPoint(3, 3)));
        QApplication::sendEvent(run, &event);
        dialogs.duringPopup = nullptr;
        return shown;
    }
};

TEST_F(RecentMenuTest, TheRunButtonsMenuLaunchesAChosenEntryAgain)
{
    StartBar();
    EXPECT_EQ(RunMenu(), Texts{}); // nothing launched yet: the menu offers no entry

    Click(1);
    Click(2);
    Click(3);
    EXPECT_EQ(Stored(), Texts({"rnd  |3", "R&D Mail  |2", "Editor  |1"}));

    // The older entry, chosen from the menu, starts its program and moves to the top.
    platform.started.clear();
    EXPECT_EQ(RunMenu("Editor  |1"), Texts({"rnd  |3", "R&&D Mail  |2", "Editor  |1"}));
    EXPECT_EQ(LastStarted(), "/usr/bin/editor");
    EXPECT_EQ(platform.started.size(), 1u);
    EXPECT_EQ(Stored(), Texts({"Editor  |1", "rnd  |3", "R&D Mail  |2"}));

    // A move takes the entry along, a removal drops it, a new description renames it.
    ChooseOnButton(*form, 2, "MoveButton1");
    Click(40);
    ChooseOnButton(*form, 3, "RemoveButton1");
    EXPECT_EQ(Stored(), Texts({"R&D Mail  |40", "Editor  |1"}));
    ChooseOnButton(*form, 1, "ChangeName1");
    QLineEdit* editor = Child<QLineEdit>(*form, "PageName");
    editor->clear();
    QTest::keyClicks(editor, "Notes");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(Stored(), Texts({"Notes  |1", "R&D Mail  |40"}));

    // A button emptied behind the bar's back: its entry goes, nothing starts or browses.
    TNewIniFile(Ini()).Modify([](IniDocument& d) { d.EraseKey("Programs", "SpeedButton40"); });
    platform.started.clear();
    RunMenu("R&&D Mail  |40");
    EXPECT_TRUE(platform.started.empty());
    EXPECT_TRUE(dialogs.openDialogs.empty());
    EXPECT_EQ(Stored(), Texts{"Notes  |1"});
}

TEST_F(RecentMenuTest, ABarWithAnEmptyListShowsTheEntriesAnotherBarAdded)
{
    StartBar();
    MainWindow other(platform, dialogs, {});
    EXPECT_EQ(RunMenuOf(other), Texts{});
    Click(1);
    platform.started.clear();
    EXPECT_EQ(RunMenuOf(other, "Editor  |1"), Texts{"Editor  |1"});
    EXPECT_EQ(LastStarted(), "/usr/bin/editor");
}

TEST_F(RecentMenuTest, OneEntryPerButtonWhateverItsDescription)
{
    StartBar();
    // Typed with blanks around it: the entry is renamed to the description as stored,
    // which the next launch makes again.
    Click(1);
    ChooseOnButton(*form, 1, "ChangeName1");
    Child<QLineEdit>(*form, "PageName")->clear();
    TypeAndEnter(*form, " Notes ");
    Click(1);
    EXPECT_EQ(Stored(), Texts{"Notes  |1"});

    // A description longer than a stored value: the label is cut, never the number; the
    // caption is elided; the entry still launches its button.
    std::string description;
    while (description.size() < 1500)
        description += "Grüße an alle ";
    TNewIniFile(Ini()).WriteString("Names", "SpeedButton2", description);
    Click(2);
    const Texts stored = Stored();
    ASSERT_EQ(stored.size(), 2u);
    const std::string& entry = stored[0];
    EXPECT_LE(entry.size(), 1023u);
    EXPECT_EQ(entry.substr(entry.size() - 4), "  |2");
    EXPECT_EQ(QString::fromStdString(entry).toStdString(), entry) << "a character was cut in two";
    EXPECT_EQ(description.compare(0, entry.size() - 4, entry, 0, entry.size() - 4), 0);
    const Texts shown = RunMenu();
    ASSERT_EQ(shown.size(), 2u);
    const QString caption = QString::fromStdString(shown[0]);
    EXPECT_LE(caption.size(), 64);
    EXPECT_TRUE(caption.startsWith("Grüße an alle")) << shown[0];
    EXPECT_TRUE(caption.endsWith("  |2")) << shown[0];
    platform.started.clear();
    RunMenu(shown[0]);
    EXPECT_EQ(LastStarted(), "/usr/bin/mail");
    EXPECT_EQ(Stored().size(), 2u);
}

TEST_F(RecentMenuTest, ThirtyTwoLaunchesKeepThirtyOneEntriesAndShowFifteen)
{
    std::string ini = "[Location]\nTop=100\n[Programs]\n";
    for (int n = 1; n <= 32; ++n)
        ini += "SpeedButton" + std::to_string(n) + "=/usr/bin/prog" + std::to_string(n) + "\n";
    WriteIni(ini);
    MainWindow& f = Start();
    for (int n = 1; n <= 32; ++n)
        Launch(f).ClickButton(n);
    Texts stored;
    for (int n = 32; n >= 2; --n)
        stored.push_back("prog" + std::to_string(n) + "  |" + std::to_string(n));
    EXPECT_EQ(Stored(), stored);
    EXPECT_EQ(RunMenu(), Texts(stored.begin(), stored.begin() + 15));
}

TEST_F(RecentMenuTest, APageRebuildLeavesNoEntryOfTheOldNumbering)
{
    StartBar();
    Click(1);
    Click(2);
    // A page added before page 1: every button number changes.
    dialogs.answers.push_back(ModalResult::mrYes);
    dialogs.popupChoices.push_back("AddPage1");
    TTabSet* tabs = Child<TTabSet>(*form, "TabSet1");
    QTest::mousePress(tabs, Qt::RightButton, {}, tabs->ItemRect(0).center());
    QTest::mouseRelease(tabs, Qt::RightButton, {}, tabs->ItemRect(0).center());
    ASSERT_EQ(Value("Programs", "SpeedButton17"), "/usr/bin/editor");
    EXPECT_EQ(RunMenu(), Texts{});

    Click(18); // button 2, now 18
    EXPECT_EQ(Stored(), Texts{"R&D Mail  |18"});
    form.reset(); // and nothing old comes back at the end
    EXPECT_EQ(Stored(), Texts{"R&D Mail  |18"});
}

} // namespace
} // namespace kex
