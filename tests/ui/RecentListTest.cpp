// The bar's recent list between its hooks and its file, where the window cannot easily
// lead it: a chosen entry whose launch carries another label, starts nothing or finds
// the pages changed; a refused write.
#include <QAction>
#include <QMenu>

#include <sys/stat.h>

#include <map>
#include <gtest/gtest.h>

#include "core/IniTestUtil.h"
#include "fakes/FakeDialogs.h"
#include "ui/recent/RecentList.h"
#include "ui/window/BarContext.h"

namespace kex {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;
using Texts = std::vector<std::string>;

std::string Entry(const std::string& label, int button) { return label + "  |" + std::to_string(button); }

// A bar of buttons with descriptions; launching one tells the list, as the launch
// engine does. A button with no description stays silent, as a launch that asked for
// a password does.
struct Bar : LaunchableButtons {
    explicit Bar(const std::string& file) : file(file)
    {
        pop5Bar = menu.addSeparator();
        list = std::make_unique<RecentList>(guard, *this, pop5Bar);
        QObject::connect(list.get(), &RecentList::LaunchRequested, [this](int n) {
            launched.push_back(n);
            if (rebuildOnLaunch) {
                WriteBytes(this->file, "[MRU]\n"); // the rebuild's rewrite erases the section
                list->PagesRebuilt();
            }
            if (!buttons[n].empty())
                Click(n);
        });
        list->Open(file);
    }
    bool Launchable(int n) const override { return buttons.contains(n); }
    // The refused writes the guard reported.
    Texts Refusals() const
    {
        Texts shown;
        for (const FakeDialogs::Message& m : dialogs.messages)
            shown.push_back(m.text);
        return shown;
    }
    void Click(int n) { list->ButtonLaunched(n, QString::fromStdString(Entry(buttons[n], n))); }
    // Chooses the shown entry with this caption.
    void Choose(const std::string& caption)
    {
        for (QAction* a : menu.actions())
            if (a->isVisible() && a->text().toStdString() == caption)
                return a->trigger();
        ADD_FAILURE() << "no item " << caption;
    }
    Texts Shown() const
    {
        Texts shown;
        for (const QAction* a : menu.actions())
            if (a->isVisible() && !a->isSeparator())
                shown.push_back(a->text().toStdString());
        return shown;
    }

    std::string file;
    QMenu menu;
    QAction* pop5Bar;
    std::map<int, std::string> buttons = {{1, "Editor"}, {2, "Mail"}};
    std::vector<int> launched;
    bool rebuildOnLaunch = false; // the click finds the pages changed
    FakeDialogs dialogs;
    BarGuard guard{dialogs};
    std::unique_ptr<RecentList> list;
};

Texts StoredList(const std::string& file)
{
    return RecentEntries::ReadEntries(IniDocument::Parse(ReadBytes(file)), "MRU", 100);
}

TEST(RecentListTest, ChosenEntriesWhoseLaunchDiffers)
{
    struct Case {
        const char* name;
        std::function<void(Bar&)> act;
        std::vector<int> launched; // by the list
        Texts entries;             // shown and stored, top first
    };
    const std::vector<Case> cases = {
        {"an entry of an older description gives way to the launch's",
         [](Bar& bar) {
             bar.Click(1);
             bar.Click(2);
             bar.buttons[1] = "Notes";
             bar.Choose(Entry("Editor", 1));
         },
         {1},
         {Entry("Notes", 1), Entry("Mail", 2)}},
        {"a choice that starts nothing still moves to the top",
         [](Bar& bar) {
             bar.Click(1);
             bar.Click(2);
             bar.buttons[1] = "";
             bar.Choose(Entry("Editor", 1));
         },
         {1},
         {Entry("Editor", 1), Entry("Mail", 2)}},
        {"a click that finds the pages changed adds nothing",
         [](Bar& bar) {
             bar.Click(1);
             bar.Click(2);
             bar.buttons[1] = "";
             bar.rebuildOnLaunch = true;
             bar.Choose(Entry("Editor", 1));
         },
         {1},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string file = dir.File("KX.INI");
        Bar bar(file);
        c.act(bar);
        EXPECT_EQ(bar.launched, c.launched);
        EXPECT_EQ(bar.Shown(), c.entries);
        EXPECT_EQ(StoredList(file), c.entries);
        EXPECT_EQ(bar.Refusals(), Texts{});
    }
}

TEST(RecentListTest, ARefusedWriteIsReportedAndTheListStillChanges)
{
    TempDir dir;
    const std::string file = dir.File("KX.INI");
    WriteBytes(file, "[MRU]\nCount=1\n1=Mail  |2\n");
    Bar bar(file);
    ::chmod(file.c_str(), 0444);
    bar.Click(1);
    ::chmod(file.c_str(), 0644);
    ASSERT_EQ(bar.Refusals().size(), 1u);
    EXPECT_NE(bar.Refusals()[0].find("Unable to write to"), std::string::npos);
    EXPECT_EQ(bar.Shown(), Texts({Entry("Editor", 1), Entry("Mail", 2)}));
    EXPECT_EQ(StoredList(file), Texts{Entry("Mail", 2)});
}

} // namespace
} // namespace kex
