// "&Modify Kexbar Menu"'s session item: choosing it has the session start this bar,
// with its suffix, and choosing it again stops that; the check mark follows the file.
#include "FormFixture.h"

#include <QFile>

#include "core/launch/DesktopEntry.h"

namespace kex {
namespace {

using AutostartItemTest = FormTest;

TEST_F(AutostartItemTest, TheItemWritesAndRemovesTheEntry)
{
    const QByteArray savedConfigHome = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", dir.filePath("config").toUtf8());
    const std::string file = dir.filePath("config/autostart/kexbar.desktop").toStdString();
    MainWindow& f = Start({"/m", "desk"});
    QAction* item = f.MenuItem("Autostart1");
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->isVisible());
    EXPECT_FALSE(item->isChecked());

    item->trigger();
    EXPECT_TRUE(item->isChecked());
    const std::optional<DesktopEntry> entry = ReadDesktopEntry(file);
    ASSERT_TRUE(entry.has_value());
    const std::vector<std::string> argv = SplitExec(entry->exec);
    ASSERT_GE(argv.size(), 3u);
    EXPECT_EQ(argv[1], "KEXBAR_DIR=" + platform.appDir);
    EXPECT_EQ(std::vector<std::string>(argv.begin() + 3, argv.end()), (std::vector<std::string>{"/m", "desk"}));

    item->trigger();
    EXPECT_FALSE(item->isChecked());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(file)));

    // A file another program wrote is seen when the menu opens.
    ASSERT_TRUE(QFile::copy(QStringLiteral(KEX_SOURCE_DIR "/data/io.github.kexbar.Kexbar.desktop"),
                            QString::fromStdString(file)));
    Q_EMIT Child<QMenu>(f, "PopupMenu3")->aboutToShow();
    EXPECT_TRUE(item->isChecked());
    if (savedConfigHome.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", savedConfigHome);
}

} // namespace
} // namespace kex
