// The Qt dialogs as the user sees them: the Help button of each dialog with a help
// context, and the browse dialog's two filters over a folder of a program and a document.
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fstream>
#include <functional>
#include <sys/stat.h>
#include <gtest/gtest.h>

#include "ui/dialogs/Dialogs.h"

namespace kex {
namespace {

// The real dialogs; the help topic shown is recorded instead of opening the help window.
class RecordingDialogs : public QtDialogs {
public:
    std::vector<int> shown;
    void ShowHelp(int context) override { shown.push_back(context); }
};

// Runs `inside` on the dialog once it is open, then closes it.
void WhileOpen(const std::function<void(QDialog&)>& inside)
{
    QTimer::singleShot(0, [inside] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        inside(*dialog);
        dialog->reject();
    });
}

TEST(DialogsTest, FileDirectoryAndColourDialogsHaveAHelpButtonForTheirTopic)
{
    RecordingDialogs dialogs;
    auto openFiles = [&](const std::string& filter, int context) {
        OpenDialogOptions o;
        o.filter = filter;
        o.helpContext = context;
        o.multiSelect = true;
        dialogs.OpenFiles(o);
    };
    struct Case {
        const char* what;
        int context;
        std::function<void()> open;
    } cases[] = {
        {"open files", 24, [&] { openFiles("All Files|*.*", 24); }},
        {"browse for a program", 29, [&] { openFiles("Programs|*.EXE|All Files|*.*", 29); }},
        {"directory", 28, [&] { dialogs.SelectDirectory("Select Working Directory", "/", 28); }},
        {"colour", 32,
         [&] {
             std::array<QColor, 16> custom;
             custom.fill(Qt::white);
             dialogs.ChooseColor(Qt::red, custom, 32);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dialogs.shown.clear();
        bool stillOpen = false;
        WhileOpen([&](QDialog& dialog) {
            auto* box = dialog.findChild<QDialogButtonBox*>();
            ASSERT_NE(box, nullptr);
            QPushButton* help = box->button(QDialogButtonBox::Help);
            ASSERT_NE(help, nullptr);
            EXPECT_TRUE(help->isVisible());
            help->click();
            stillOpen = dialog.isVisible(); // Help leaves the dialog open
        });
        c.open();
        EXPECT_EQ(dialogs.shown, std::vector<int>{c.context});
        EXPECT_TRUE(stillOpen);
    }
}

// The names the dialog's list shows for its folder, once the folder is read.
QStringList Listed(QDialog& dialog, int expected)
{
    auto* view = dialog.findChild<QListView*>("listView");
    QStringList names;
    if (!view)
        return names;
    // A folder read that never ends shows as a short list in the caller's comparison.
    (void)QTest::qWaitFor([&] { return view->model()->rowCount(view->rootIndex()) == expected; }, 30000);
    for (int i = 0; i < view->model()->rowCount(view->rootIndex()); ++i)
        names << view->model()->index(i, 0, view->rootIndex()).data().toString();
    names.sort();
    return names;
}

TEST(DialogsTest, ProgramsFilterShowsExecutablesAndAllFilesEveryFile)
{
    QTemporaryDir dir;
    const std::string root = dir.path().toStdString() + "/";
    std::ofstream(root + "tool") << "#!/bin/sh\n";
    ::chmod((root + "tool").c_str(), 0755);
    std::ofstream(root + "letter.txt") << "Dear user\n";
    RecordingDialogs dialogs;
    QStringList programs, all;
    WhileOpen([&](QDialog& dialog) {
        programs = Listed(dialog, 1);
        // The user picks "All Files" in the filter box.
        auto* combo = dialog.findChild<QComboBox*>("fileTypeCombo");
        ASSERT_NE(combo, nullptr);
        ASSERT_EQ(combo->count(), 2);
        QTest::keyClick(combo, Qt::Key_Down);
        EXPECT_EQ(combo->currentIndex(), 1);
        all = Listed(dialog, 2);
    });
    OpenDialogOptions o;
    o.filter = "Programs|*.EXE;*.COM;*.BAT;*.PIF|All Files|*.*";
    o.initialDir = dir.path().toStdString();
    dialogs.OpenFile(o);
    EXPECT_EQ(programs, QStringList({"tool"}));
    EXPECT_EQ(all, QStringList({"letter.txt", "tool"}));
}

} // namespace
} // namespace kex
