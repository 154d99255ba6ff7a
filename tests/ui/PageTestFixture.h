// The page tests' bar: a fixture that writes a bar of pages and buttons and reads its
// tabs and records back.
#pragma once

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
#include "Pixels.h"
#include "core/config/ConfigTool.h"
#include "core/config/Settings.h"
#include "ui/widgets/SpeedButton.h"
#include "ui/widgets/TabSet.h"

namespace kex {

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

inline QImage Painted(QWidget* w) { return w->grab().toImage(); }

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

} // namespace kex
