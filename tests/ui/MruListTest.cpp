// The recently launched list: its rules over a real configuration file (limits, repeats,
// letter case, damaged sections, renames, another bar on the same file, a refused
// write), its configuring phase, and its items in a real menu for every option.
#include <QAction>
#include <QMenu>
#include <QTest>

#include <sys/stat.h>

#include <functional>
#include <gtest/gtest.h>

#include "core/IniTestUtil.h"
#include "ui/recent/MruList.h"

namespace kex {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;
using Texts = std::vector<std::string>;
using enum TMruOptionsType;

std::string Entry(const std::string& label, int button) { return label + "  |" + std::to_string(button); }

// The tray and small-mode menu of the bar with its list, configured as the bar does.
struct Bar {
    explicit Bar(const std::string& file)
    {
        menu.addAction("Open/Close CD Tray");
        menu.addAction("Activate Screen Saver");
        pop5Bar = menu.addSeparator();
        pop5Bar->setObjectName("Pop5Bar");
        list.SetMaxSaveCount(30);
        list.SetMaxShowCount(15);
        list.SetIniFile(file);
        list.SetIniSection("MRU");
        list.SetAnchor(pop5Bar);
        list.SetOptions({mrTopSelected, mrAutoSave, mrAutoLoad});
        list.SetStyle(TMruStyle::msNormal);
        list.SetPosition(TMruPosition::mpAfter);
        list.Loaded();
    }
    Texts Entries() const
    {
        Texts texts;
        for (const RecentEntry& e : list.Entries())
            texts.push_back(e.text);
        return texts;
    }
    // The captions shown below the anchor.
    Texts Shown() const
    {
        Texts shown;
        const QList<QAction*> actions = menu.actions();
        for (qsizetype i = actions.indexOf(pop5Bar) + 1; i < actions.size(); ++i)
            if (actions[i]->isVisible())
                shown.push_back(actions[i]->text().toStdString());
        return shown;
    }

    QMenu menu;
    QAction* pop5Bar;
    TMruList list;
};

// "Count" and the keys "1" .. "Count" of the file's "MRU" section, as written.
Texts StoredList(const std::string& file)
{
    const IniDocument doc = IniDocument::Parse(ReadBytes(file));
    Texts texts;
    const int count = doc.ReadInteger("MRU", "Count", -1);
    for (int k = 1; k <= count && k <= 100; ++k)
        texts.push_back(doc.ReadString("MRU", std::to_string(k), "<missing>"));
    return texts;
}

TEST(MruListTest, RulesOfTheListInMemoryAndInTheFile)
{
    struct Case {
        const char* name;
        std::string fileBefore;
        std::function<void(Bar&, const std::string& file)> act;
        Texts entries; // top first, in the list and in the file
    };
    Texts last31;
    for (int n = 32; n >= 2; --n)
        last31.push_back(Entry("Program" + std::to_string(n), n));
    const std::vector<Case> cases = {
        {"32 different launches", "",
         [](Bar& bar, const std::string&) {
             for (int n = 1; n <= 32; ++n)
                 bar.list.Add(Entry("Program" + std::to_string(n), n));
         },
         last31},
        {"a repeated launch",
         "",
         [](Bar& bar, const std::string&) {
             for (const char* label : {"Editor", "Mail", "Editor"})
                 bar.list.Add(Entry(label, label[0] == 'E' ? 1 : 2));
         },
         {Entry("Editor", 1), Entry("Mail", 2)}},
        {"letter case, also beyond ASCII",
         "",
         [](Bar& bar, const std::string&) {
             for (const char* label : {"notes", "Émile", "NOTES", "éMILE"})
                 bar.list.Add(Entry(label, label[0] == 'n' || label[0] == 'N' ? 3 : 1));
         },
         {Entry("Émile", 1), Entry("notes", 3)}},
        {"Count 3 with an empty 2 loads two",
         "[MRU]\nCount=3\n1=Alpha  |1\n2=\n3=Gamma  |3\n",
         [](Bar& bar, const std::string&) {
             EXPECT_EQ(bar.Entries(), Texts({Entry("Alpha", 1), Entry("Gamma", 3)}));
             bar.list.Add(Entry("Beta", 2));
         },
         {Entry("Beta", 2), Entry("Alpha", 1), Entry("Gamma", 3)}},
        {"a huge Count costs only the keys there are",
         "[MRU]\nCount=2147483647\n1=Alpha  |1\n7=Gamma  |7\n",
         [](Bar& bar, const std::string&) { bar.list.Add(Entry("Beta", 2)); },
         {Entry("Beta", 2), Entry("Alpha", 1), Entry("Gamma", 7)}},
        {"a renamed description moves to the top",
         "",
         [](Bar& bar, const std::string&) {
             bar.list.Add(Entry("Editor", 4));
             bar.list.Add(Entry("Mail", 5));
             bar.list.Replace(Entry("Editor", 4), Entry("Notes", 4));
         },
         {Entry("Notes", 4), Entry("Mail", 5)}},
        {"a removed button's entry goes",
         "",
         [](Bar& bar, const std::string&) {
             for (int n = 1; n <= 3; ++n)
                 bar.list.Add(Entry("P", n));
             bar.list.Replace(Entry("P", 2), "");
         },
         {Entry("P", 3), Entry("P", 1)}},
        {"another bar's launch is kept",
         "",
         [](Bar& bar, const std::string& file) {
             bar.list.Add(Entry("Alpha", 1));
             {
                 Bar other(file);
                 other.list.Add(Entry("Beta", 2));
             }                              // the other bar ends: it writes nothing more
             Q_EMIT bar.menu.aboutToShow(); // the menu shows the file's list
             EXPECT_EQ(bar.Shown(), Texts({Entry("Beta", 2), Entry("Alpha", 1)}));
             bar.list.Add(Entry("Gamma", 3));
         },
         {Entry("Gamma", 3), Entry("Beta", 2), Entry("Alpha", 1)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string file = dir.File("KX.INI");
        if (!c.fileBefore.empty())
            WriteBytes(file, c.fileBefore);
        {
            Bar bar(file);
            c.act(bar, file);
            EXPECT_EQ(bar.Entries(), c.entries);
            const Texts top(c.entries.begin(), c.entries.begin() + std::min<std::size_t>(15, c.entries.size()));
            EXPECT_EQ(bar.Shown(), top);
            EXPECT_EQ(StoredList(file), c.entries);
        }
        // The list survives a restart as it was.
        EXPECT_EQ(StoredList(file), c.entries);
        EXPECT_EQ(Bar(file).Entries(), c.entries);
    }
}

TEST(MruListTest, RefusedWriteChangesTheListAndTellsTheCaller)
{
    TempDir dir;
    const std::string file = dir.File("KX.INI");
    WriteBytes(file, "[MRU]\nCount=1\n1=Alpha  |1\n");
    {
        Bar bar(file);
        ::chmod(file.c_str(), 0444);
        EXPECT_THROW(bar.list.Add(Entry("Beta", 2)), EIniWriteError);
        EXPECT_EQ(bar.Entries(), Texts({Entry("Beta", 2), Entry("Alpha", 1)}));
        EXPECT_EQ(bar.Shown(), bar.Entries());
        EXPECT_EQ(StoredList(file), Texts{Entry("Alpha", 1)});
        ::chmod(file.c_str(), 0644);
    } // writable again when the bar ends: the refused change is written then
    EXPECT_EQ(StoredList(file), Texts({Entry("Beta", 2), Entry("Alpha", 1)}));
}

TEST(MruListTest, ConfiguringPhaseAndAnchor)
{
    TempDir dir;
    Bar bar(dir.File("KX.INI"));
    const std::vector<std::pair<const char*, std::function<void(TMruList&)>>> designOnly = {
        {"Options", [](TMruList& l) { l.SetOptions({}); }},
        {"Style", [](TMruList& l) { l.SetStyle(TMruStyle::msCheckSelected); }},
        {"Position", [](TMruList& l) { l.SetPosition(TMruPosition::mpBefore); }},
        {"Anchor", [](TMruList& l) { l.SetAnchor(nullptr); }},
        {"MaxShowCount", [](TMruList& l) { l.SetMaxShowCount(3); }},
    };
    for (const auto& [name, set] : designOnly) {
        SCOPED_TRACE(name);
        try {
            set(bar.list);
            ADD_FAILURE() << "no error";
        } catch (const EInvalidOperation& e) {
            EXPECT_STREQ(e.what(), "Operation ist nur im Design-Modus möglich!");
        }
    }
    EXPECT_EQ(bar.list.Options(), TMruOptions({mrTopSelected, mrAutoSave, mrAutoLoad}));
    EXPECT_EQ(bar.list.Style(), TMruStyle::msNormal);
    EXPECT_EQ(bar.list.Position(), TMruPosition::mpAfter);
    EXPECT_EQ(bar.list.Anchor(), bar.pop5Bar);
    EXPECT_EQ(bar.list.MaxShowCount(), 15);
    bar.list.SetMaxSaveCount(5); // not a design-time property
    EXPECT_EQ(bar.list.MaxSaveCount(), 5);

    QMenu menu;
    QAction inMenuNoOwner("loose");
    menu.addAction(&inMenuNoOwner);
    QAction* inMenu = menu.addAction("in the menu");
    QAction ownedNoMenu("owned", &menu);
    struct AnchorCase {
        const char* name;
        QAction* anchor;
        TMruPosition position;
        bool valid;
    };
    const AnchorCase anchors[] = {
        {"none", nullptr, TMruPosition::mpNewMenu, false},
        {"no owner", &inMenuNoOwner, TMruPosition::mpAfter, false},
        {"no menu, items beside it", &ownedNoMenu, TMruPosition::mpBefore, false},
        {"no menu, items beneath it", &ownedNoMenu, TMruPosition::mpNewMenu, true},
        {"in a menu", inMenu, TMruPosition::mpBefore, true},
    };
    for (const AnchorCase& c : anchors) {
        SCOPED_TRACE(c.name);
        TMruList list;
        list.SetAnchor(c.anchor);
        list.SetPosition(c.position);
        if (c.valid) {
            EXPECT_NO_THROW(list.Loaded());
            EXPECT_FALSE(list.Configuring());
            continue;
        }
        try {
            list.Loaded();
            ADD_FAILURE() << "no error";
        } catch (const EInvalidOperation& e) {
            EXPECT_STREQ(e.what(), "Invalid Anchor!");
        }
        EXPECT_TRUE(list.Configuring());
        EXPECT_NO_THROW(list.SetAnchor(inMenu)); // still configurable, and now valid
        EXPECT_NO_THROW(list.Loaded());
    }
}

TEST(MruListTest, ItemsAreMadeOnceAndChosenThroughTheMenu)
{
    TempDir dir;
    Bar bar(dir.File("KX.INI"));
    const QList<QAction*> before = bar.menu.actions();
    const qsizetype anchorAt = before.indexOf(bar.pop5Bar);
    ASSERT_EQ(before.size(), anchorAt + 1 + 15);
    for (qsizetype i = anchorAt + 1; i < before.size(); ++i) {
        EXPECT_TRUE(before[i]->objectName().startsWith('_'));
        EXPECT_FALSE(before[i]->isVisible());
    }
    // With no entries the anchor separator stays as it is.
    EXPECT_TRUE(bar.pop5Bar->isVisible());
    EXPECT_TRUE(bar.pop5Bar->isEnabled());

    bar.list.Add(Entry("Editor", 1));
    bar.list.Add(Entry("R&D", 2));
    EXPECT_EQ(bar.menu.actions(), before);
    EXPECT_EQ(bar.Shown(), Texts({"R&&D  |2", Entry("Editor", 1)})); // "&" shows as "&"
    for (int n = 3; n <= 20; ++n)
        bar.list.Add(Entry("P", n));
    EXPECT_EQ(bar.menu.actions(), before); // re-captioned, not made anew
    EXPECT_EQ(bar.Shown().size(), 15u);

    std::vector<std::pair<TMruList*, std::string>> clicks;
    QObject::connect(&bar.list, &TMruList::OnMruClick,
                     [&](TMruList* sender, const std::string& item) { clicks.emplace_back(sender, item); });
    bar.menu.popup(QPoint(10, 10));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar.menu));
    QAction* second = before[anchorAt + 2];
    QTest::mouseClick(&bar.menu, Qt::LeftButton, {}, bar.menu.actionGeometry(second).center());
    ASSERT_EQ(clicks.size(), 1);
    EXPECT_EQ(clicks[0].first, &bar.list);
    EXPECT_EQ(clicks[0].second, Entry("P", 19));
}

TEST(MruListTest, EveryOptionStyleAndPosition)
{
    // Entries are files of a temporary folder, "~" in the expected captions; "two"
    // does not exist. The last one added is the marked one.
    struct Case {
        const char* name;
        TMruOptions options;
        TMruStyle style;
        TMruPosition position;
        int adds;     // of one, two, three, in that order
        Texts layout; // the visible items of the menu ("-" a separator, "*" checked,
                      // "!" disabled), of the anchor's submenu for mpNewMenu
        int maxShow = 5;
    };
    const TMruStyle normal = TMruStyle::msNormal;
    const TMruPosition after = TMruPosition::mpAfter;
    const std::vector<Case> cases = {
        {"appended", {}, normal, after, 3, {"Before", "Anchor", "~/one", "~/two", "~/three", "After"}},
        {"to the top", {mrTopSelected}, normal, after, 3, {"Before", "Anchor", "~/three", "~/two", "~/one", "After"}},
        {"lines", {mrLineBefore, mrLineAfter}, normal, after, 1, {"Before", "Anchor", "-", "~/one", "-", "After"}},
        {"no lines around nothing", {mrLineBefore, mrLineAfter}, normal, after, 0, {"Before", "Anchor", "After"}},
        {"short names, numbers",
         {mrShortFileNames, mrShowNumber},
         normal,
         after,
         2,
         {"Before", "Anchor", "&1  one", "&2  two", "After"}},
        {"existing files only",
         {mrCheckFileExist},
         normal,
         after,
         3,
         {"Before", "Anchor", "~/one", "~/three", "After"}},
        {"marked hidden", {}, TMruStyle::msHideSelected, after, 3, {"Before", "Anchor", "~/one", "~/two", "After"}},
        {"marked checked", {}, TMruStyle::msCheckSelected, after, 2, {"Before", "Anchor", "~/one", "*~/two", "After"}},
        {"before the anchor", {}, normal, TMruPosition::mpBefore, 2, {"Before", "~/one", "~/two", "Anchor", "After"}},
        {"beneath the anchor", {}, normal, TMruPosition::mpNewMenu, 2, {"~/one", "~/two"}},
        {"at most MaxShowCount", {}, normal, after, 3, {"Before", "Anchor", "~/one", "~/two", "After"}, 2},
        {"anchor disabled while empty", {mrDisableAnchorIfEmpty}, normal, after, 0, {"Before", "!Anchor", "After"}},
        {"anchor hidden while empty", {mrHideAnchorIfEmpty}, normal, after, 0, {"Before", "After"}},
        {"anchor back with entries",
         {mrDisableAnchorIfEmpty, mrHideAnchorIfEmpty},
         normal,
         after,
         1,
         {"Before", "Anchor", "~/one", "After"}},
    };
    TempDir dir;
    WriteBytes(dir.File("one"), "");
    WriteBytes(dir.File("three"), "");
    const std::string names[] = {dir.File("one"), dir.File("two"), dir.File("three")};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QMenu menu;
        menu.addAction("Before");
        QAction* anchor = menu.addAction("Anchor");
        menu.addAction("After");
        TMruList list;
        list.SetOptions(c.options);
        list.SetStyle(c.style);
        list.SetPosition(c.position);
        list.SetMaxShowCount(c.maxShow);
        list.SetAnchor(anchor);
        list.Loaded();
        for (int i = 0; i < c.adds; ++i) {
            if (i > 0)
                list.Unmark(names[i - 1]);
            list.Add(names[i]);
        }
        Texts layout;
        const QMenu* shown = c.position == TMruPosition::mpNewMenu ? anchor->menu() : &menu;
        ASSERT_NE(shown, nullptr);
        for (const QAction* a : shown->actions()) {
            if (!a->isVisible())
                continue;
            QString text = a->isSeparator() ? "-" : a->text();
            text.replace(QString::fromStdString(dir.Path()), "~");
            layout.push_back((a->isChecked() ? "*" : "") + std::string(a->isEnabled() ? "" : "!") + text.toStdString());
        }
        EXPECT_EQ(layout, c.layout);
    }
}

} // namespace
} // namespace kex
