// The help window over the real help file: every help context the bar passes has
// its topic, contexts land on their topic, links work; a missing or changed file.
#include "ui/help/HelpWindow.h"

#include <QDir>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>

#include <gtest/gtest.h>

using kex::HelpWindow;

namespace {

const QString kHelpFile = QStringLiteral(KEX_SOURCE_DIR "/data/Kexbar.HLP");

// The text of the paragraph shown at the top of the help text.
std::string TopLine(const HelpWindow& help)
{
    QTest::qWait(20); // whatever the browser does later must not move the topic
    return help.Browser()->cursorForPosition(QPoint(4, 4)).block().text().trimmed().toStdString();
}

bool WriteFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

} // namespace

TEST(HelpWindow, TheHelpFileHasATopicForEveryContextTheBarPasses)
{
    HelpWindow help;
    help.SetHelpFile(kHelpFile);
    help.ShowContents();
    ASSERT_TRUE(help.Loaded()) << kHelpFile.toStdString();
    EXPECT_EQ(help.windowTitle(), QStringLiteral("Kexbar Help"));
    EXPECT_TRUE(help.isVisible());
    for (int context : {14, 19, 24, 26, 28, 29, 31, 32, 39, 40, 47})
        EXPECT_TRUE(help.HasAnchor(QStringLiteral("ctx%1").arg(context))) << "context " << context;
    EXPECT_FALSE(help.HasAnchor(QStringLiteral("ctx999")));

    // Every link inside the file leads to a topic that exists.
    int links = 0;
    for (QTextBlock block = help.Browser()->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QString href = it.fragment().charFormat().anchorHref();
            if (href.isEmpty())
                continue;
            ++links;
            ASSERT_TRUE(href.startsWith('#')) << href.toStdString();
            EXPECT_TRUE(help.HasAnchor(href.mid(1))) << href.toStdString();
        }
    }
    EXPECT_GT(links, 20);
}

TEST(HelpWindow, AContextScrollsToItsTopicAndUnknownOnesShowTheContents)
{
    HelpWindow help;
    help.SetHelpFile(kHelpFile);
    help.ShowContents();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&help));
    EXPECT_EQ(help.Browser()->verticalScrollBar()->value(), 0);
    EXPECT_EQ(TopLine(help), "Kexbar Help");

    // As the bar asks: the window is up and idle, then a context comes.
    help.ShowContext(26);
    EXPECT_EQ(TopLine(help), "Button options");

    help.ShowContext(39);
    EXPECT_GT(help.Browser()->verticalScrollBar()->value(), 0);
    EXPECT_EQ(TopLine(help), "16 or 21 buttons per page");

    help.ShowContext(40);
    EXPECT_EQ(TopLine(help), "Lockout password");

    help.ShowContext(12345);
    EXPECT_EQ(help.Browser()->verticalScrollBar()->value(), 0);
    EXPECT_EQ(TopLine(help), "Kexbar Help");

    // A link inside the file, followed as a click on it does.
    help.Browser()->setSource(QUrl(QStringLiteral("#ctx32")));
    EXPECT_EQ(TopLine(help), "Tab colours");
    EXPECT_TRUE(help.Browser()->toPlainText().contains(QStringLiteral("Kexbar Help")));

    help.ShowContext(39);
    help.ShowContents();
    EXPECT_EQ(help.Browser()->verticalScrollBar()->value(), 0);
}

TEST(HelpWindow, AMissingFileOrADirectoryShowsWhyInsteadOfTopics)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString missing = dir.filePath("Kexbar.HLP");
    const std::pair<QString, QString> cases[] = {
        {missing, QStringLiteral("The help file %1 could not be opened.").arg(missing)},
        {dir.path(), QStringLiteral("The help file %1 could not be opened.").arg(dir.path())},
        {QString(), QStringLiteral("No help file has been named.")},
    };
    for (const auto& [path, message] : cases) {
        HelpWindow help;
        help.SetHelpFile(path);
        help.ShowContext(39);
        EXPECT_FALSE(help.Loaded());
        EXPECT_TRUE(help.isVisible());
        EXPECT_EQ(help.Browser()->toPlainText().trimmed().toStdString(), message.toStdString());
        help.ShowContents();
        EXPECT_FALSE(help.HasAnchor(QStringLiteral("ctx39")));
    }
}

TEST(HelpWindow, TheFileIsReadAgainWhenItAppearsOrChanges)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("Kexbar.HLP");
    HelpWindow help;
    help.SetHelpFile(path);
    help.ShowContents();
    EXPECT_FALSE(help.Loaded());

    ASSERT_TRUE(WriteFile(path, "<html><body><h2><a name=\"ctx5\">Five</a></h2><p>first</p></body></html>"));
    help.ShowContext(5);
    EXPECT_TRUE(help.Loaded());
    EXPECT_TRUE(help.Browser()->toPlainText().contains("first"));

    ASSERT_TRUE(WriteFile(path, "<html><body><h2><a name=\"ctx6\">Six</a></h2><p>second</p></body></html>"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
    file.close();
    help.ShowContext(6);
    EXPECT_TRUE(help.Browser()->toPlainText().contains("second"));
    EXPECT_TRUE(help.HasAnchor("ctx6"));
    EXPECT_FALSE(help.HasAnchor("ctx5"));
}
