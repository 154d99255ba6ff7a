// A main window on a temporary AppDir with a fake platform and scripted dialogs.
#pragma once

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <memory>
#include <sstream>
#include <gtest/gtest.h>

#include <QFrame>
#include <QLineEdit>
#include <QMenu>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>

#include "core/config/NewIniFile.h"
#include "ui/launch/Launcher.h"
#include "ui/pages/PageBar.h"
#include "ui/widgets/EnhancedGauge.h"
#include "ui/widgets/Eyes.h"
#include "ui/widgets/SpeedButton.h"
#include "ui/widgets/TabSet.h"
#include "ui/window/MainWindow.h"
#include "fakes/FakeDialogs.h"
#include "fakes/FakePlatform.h"

namespace kex {

inline void PrintTo(const QString& s, std::ostream* os) { *os << s.toStdString(); }

// A control, a menu or a subsystem object of the window by its object name.
template <class T> T* Child(const QObject& window, const char* name)
{
    T* child = window.findChild<T*>(name);
    if (!child)
        ADD_FAILURE() << "no child " << name;
    return child;
}
inline PageBar& Pages(const MainWindow& window) { return *Child<PageBar>(window, "PageBar"); }
inline Launcher& Launch(const MainWindow& window) { return *Child<Launcher>(window, "Launcher"); }

class FormTest : public testing::Test {
protected:
    QTemporaryDir dir;
    FakePlatform platform;
    FakeDialogs dialogs;
    std::unique_ptr<MainWindow> form;

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        platform.appDir = dir.path().toStdString() + "/";
    }
    void TearDown() override { form.reset(); }

    std::string Ini(const std::string& suffix = "") const { return platform.appDir + "KX" + suffix + ".INI"; }
    void WriteIni(const std::string& text, const std::string& suffix = "") const
    {
        std::ofstream(Ini(suffix), std::ios::binary) << text;
    }
    std::string IniText(const std::string& suffix = "") const
    {
        std::ifstream in(Ini(suffix), std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    std::string Value(const std::string& section, const std::string& key, const std::string& suffix = "") const
    {
        return TNewIniFile(Ini(suffix)).ReadString(section, key, "<absent>");
    }
    MainWindow& Start(std::vector<std::string> args = {})
    {
        form = std::make_unique<MainWindow>(platform, dialogs, std::move(args));
        return *form;
    }
    // Opens button n's menu and chooses the item (by its designer name).
    void ChooseOnButton(MainWindow& window, int n, const std::string& item)
    {
        dialogs.popupChoices.push_back(item);
        window.Guarded([&] { Pages(window).OpenButtonMenu(n, QPoint()); });
    }
    // Types `text` into the open inline editor and presses Enter, as a user does.
    static void TypeAndEnter(MainWindow& f, const std::string& text)
    {
        QLineEdit* editor = Child<QLineEdit>(f, "PageName");
        ASSERT_TRUE(editor && editor->isVisible());
        QTest::keyClicks(editor, QString::fromStdString(text));
        QTest::keyClick(editor, Qt::Key_Return);
    }
    // "Lockout &Modify" of the gauge panel's menu, with `password` typed in its prompt.
    static void Lockout(MainWindow& f, const std::string& password)
    {
        f.MenuItem("LockoutModify1")->trigger();
        TypeAndEnter(f, password);
    }
    static bool Locked(const MainWindow& f) { return f.MenuItem("LockoutModify1")->isChecked(); }
    static void Pump(int rounds = 5)
    {
        for (int i = 0; i < rounds; ++i)
            QCoreApplication::processEvents();
    }
};

} // namespace kex
