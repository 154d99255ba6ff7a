// The first start's question, as the window asks it before its pages are built: Yes
// fills the bar from the desktop's program groups, any other answer leaves it empty.
#include "FormFixture.h"

#include <QFile>

#include "core/import/ProgramImport.h"
#include "core/pages/ButtonRecord.h"

namespace kex {
namespace {

using FirstStartImportTest = FormTest;

TEST_F(FirstStartImportTest, TheAnswerDecidesWhetherTheBarIsFilled)
{
    const std::vector<ProgramGroup> groups = {
        {"office", {{"Writer, the word processor", "lowriter", "", 0, false}}},
        {"Games",
         {{"Mines", "gnome-mines", "gnome-mines", 0, false},
          {"Chess", "", "", 0, false},
          {"Solitaire", "sol --deal \"1, 2\"", "", 0, false}}},
    };
    struct Row {
        const char* name;
        ModalResult answer;
        bool readable;                       // whether the groups can be read
        std::vector<std::string> tabs;       // the first tabs the bar shows
        std::map<int, std::string> programs; // buttons with a program
        std::vector<std::string> shown;      // plain messages shown
    } rows[] = {
        {"Yes",
         ModalResult::mrYes,
         true,
         {"Games", "office"},
         {{1, "gnome-mines"}, {2, "sol --deal \"1, 2\""}, {22, "lowriter"}},
         {}},
        {"No", ModalResult::mrNo, true, {"Page1", "Page2", "Page3"}, {}, {}},
        {"closed", ModalResult::mrNone, true, {"Page1", "Page2", "Page3"}, {}, {}},
        {"unreadable", ModalResult::mrYes, false, {"Page1", "Page2", "Page3"}, {}, {kNoProgramGroups}},
    };
    platform.screen = QSize(1280, 1024);
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        QFile::remove(QString::fromStdString(Ini()));
        dialogs = FakeDialogs();
        dialogs.answers = {r.answer};
        platform.programGroups.groups = r.readable ? std::optional(groups) : std::nullopt;
        platform.programGroups.reads = 0;
        MainWindow& f = Start();

        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, kImportQuestion);
        EXPECT_EQ(dialogs.messages[0].buttons, unsigned(mbYes | mbNo | mbHelp));
        EXPECT_EQ(dialogs.messages[0].helpContext, kImportHelpContext);
        EXPECT_EQ(platform.programGroups.reads, r.answer == ModalResult::mrYes ? 1 : 0);
        EXPECT_EQ(dialogs.plainMessages, r.shown);
        EXPECT_EQ(f.ScreenCursor(), crDefault);

        // The pages are built from what the import stored.
        const QStringList tabs = Child<TTabSet>(f, "TabSet1")->Tabs();
        for (std::size_t i = 0; i < r.tabs.size(); ++i)
            EXPECT_EQ(tabs.value(int(i)).toStdString(), r.tabs[i]);
        for (int n = 1; n <= 42; ++n) {
            const auto it = r.programs.find(n);
            EXPECT_EQ(Value("Programs", ButtonKey(n)), it == r.programs.end() ? "<absent>" : it->second) << n;
        }
        if (r.programs.empty()) {
            // Anything but Yes stores only the buttons per page of the import's own.
            EXPECT_EQ(Value("Location", "ButtonCount"), "21");
            EXPECT_EQ(Value("Pages", "Count"), "<absent>");
            EXPECT_EQ(Value("Names", ButtonKey(1)), "<absent>");
        } else {
            EXPECT_EQ(Value("Pages", "Count"), "2");
            EXPECT_EQ(Pages(f).PageCount(), 2);
            EXPECT_EQ(Value("Names", ButtonKey(22)), "Writer, the word processor");
            EXPECT_NE(Pages(f).FindButton(1), nullptr);
        }
        Pump(); // the place is stored once the bar stands
        form.reset();

        // The next start is no first start and asks nothing.
        dialogs.messages.clear();
        Start();
        EXPECT_TRUE(dialogs.messages.empty());
        form.reset();
    }
}

} // namespace
} // namespace kex
