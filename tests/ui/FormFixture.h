// A main window on a temporary AppDir with a fake platform and scripted dialogs.
#pragma once

#include <QAction>
#include <QCoreApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <memory>
#include <sstream>
#include <gtest/gtest.h>

#include "core/config/NewIniFile.h"
#include "ui/window/MainWindow.h"
#include "fakes/FakeDialogs.h"
#include "fakes/FakePlatform.h"

namespace kex {

inline void PrintTo(const QString& s, std::ostream* os) { *os << s.toStdString(); }

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
    // Types `text` into the open inline editor and presses Enter, as a user does.
    static void TypeAndEnter(MainWindow& f, const std::string& text)
    {
        QLineEdit* editor = f.findChild<QLineEdit*>("PageName");
        ASSERT_TRUE(editor && editor->isVisible());
        QTest::keyClicks(editor, QString::fromStdString(text));
        QTest::keyClick(editor, Qt::Key_Return);
    }
    // "Lockout &Modify" of the gauge panel's menu, with `password` typed in its prompt.
    static void Lockout(MainWindow& f, const std::string& password)
    {
        f.findChild<QAction*>("LockoutModify1")->trigger();
        TypeAndEnter(f, password);
    }
    static void Pump(int rounds = 5)
    {
        for (int i = 0; i < rounds; ++i)
            QCoreApplication::processEvents();
    }
};

} // namespace kex
