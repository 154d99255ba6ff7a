// kexbar-config tells the bars on a file to reload over their own D-Bus message: on a
// session bus of the test's own, the message a bar receives after each command, the
// file it names, and the older form of the message both ways.
#include "core/config/NewIniFile.h"
#include "platform/MessageBus.h"
#include "platform/TempDir.h"

#include "PrivateBus.h"
#include "SelfExec.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>

using namespace kex;
namespace fs = std::filesystem;

namespace {

constexpr int kHangLimitMs = 30000; // bounds a hang only

int RunAndWait(std::vector<std::string> args)
{
    const pid_t pid = testing_bus::SpawnQuiet(std::move(args));
    int status = 0;
    if (pid <= 0 || ::waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A listener of the older form, (name, wParam), as bars of an earlier version are.
class OlderListener : public QObject {
    Q_OBJECT
public:
    std::vector<std::pair<std::string, int>> received;
public Q_SLOTS:
    void Received(const QString& name, int wParam) { received.emplace_back(name.toStdString(), wParam); }
};

TEST(ReloadMessageTest, DISABLED_ToolTellsTheBarsInChild)
{
    if (!testing_child::InChild())
        GTEST_SKIP() << "runs only in the child of KexbarConfigTellsRunningBarsToReload";
    const std::string dir = std::getenv("KEX_RELOAD_DIR");
    const std::string ini = dir + "/KXdesk.INI", other = dir + "/other/KXdesk.INI";
    // A configuration of the same suffix in another directory, and a link to this one.
    fs::create_directory(dir + "/other");
    fs::copy_file(ini, other);
    fs::create_directory_symlink(dir, dir + "/link");
    // The bar's own file, also when the tool is given it through a linked directory.
    const std::string mine = ConfigurationIdentity(ini);
    ASSERT_EQ(mine, ConfigurationIdentity(dir + "/link/KXdesk.INI"));
    DBusMessageBus bus;
    ASSERT_TRUE(bus.OnBus());
    std::vector<BarMessage> received;
    bus.SetHandler([&](const BarMessage& m) { received.push_back(m); });
    OlderListener older;
    ASSERT_TRUE(QDBusConnection::sessionBus().connect(QString(), DBusMessageBus::kPath, DBusMessageBus::kInterface,
                                                      DBusMessageBus::kSignal, &older, SLOT(Received(QString, int))));
    struct Step {
        std::string file;
        std::vector<std::string> args;
        bool tells;
    } steps[] = {
        {ini, {"add-page", "1", "New"}, true},
        {ini, {"get", "Pages", "Count", "0"}, false},
        {ini, {"set", "Location", "Top", "20"}, false}, // not a page or a button
        {ini, {"set", "MRU", "1", "x  |1"}, false},
        {ini, {"set", "Programs", "SpeedButton3", "/bin/true"}, true},
        {ini, {"set", "Names", "SpeedButton3", "True"}, true},
        {dir + "/link/KXdesk.INI", {"describe-button", "3", "Truer"}, true},
        {ini, {"erase-key", "Names", "SpeedButton3"}, true},
        {ini, {"remove-button", "3"}, true},
        {ini, {"delete-page", "9"}, false}, // refused: nothing changed
        {other, {"describe-button", "1", "Elsewhere"}, true},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.args[0] + " " + s.file);
        received.clear();
        older.received.clear();
        std::vector<std::string> args = {KEXBAR_CONFIG_EXE, s.file};
        args.insert(args.end(), s.args.begin(), s.args.end());
        EXPECT_EQ(RunAndWait(args), s.args[0] == "delete-page" ? 1 : 0); // the one refused
        // The tool has ended: its message is on the bus already, or there is none.
        if (!s.tells) {
            QTest::qWait(200);
            EXPECT_TRUE(received.empty());
            EXPECT_TRUE(older.received.empty());
            continue;
        }
        ASSERT_TRUE(QTest::qWaitFor([&] { return !received.empty() && !older.received.empty(); }, kHangLimitMs));
        ASSERT_EQ(received.size(), 1u);
        EXPECT_EQ(received[0].name, "UKexbardesk");
        EXPECT_EQ(received[0].wParam, 1);
        EXPECT_EQ(received[0].configuration, ConfigurationIdentity(s.file));
        // A bar of this file reloads; one of the other directory's "desk" does not.
        const bool ours = s.file != other;
        EXPECT_EQ(MessageAction(received[0], "desk", mine), ours ? BarMessageAction::Reload : BarMessageAction::None);
        // Bars of the older form still hear it, by its name alone.
        EXPECT_EQ(older.received, (std::vector<std::pair<std::string, int>>{{"UKexbardesk", 1}}));
    }
    // A sender of the older form is still heard: its message is about no file.
    received.clear();
    QDBusMessage signal =
        QDBusMessage::createSignal(DBusMessageBus::kPath, DBusMessageBus::kInterface, DBusMessageBus::kSignal);
    signal << QString("UKexbardesk") << 1;
    ASSERT_TRUE(QDBusConnection::sessionBus().send(signal));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !received.empty(); }, kHangLimitMs));
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].configuration, "");
    EXPECT_EQ(MessageAction(received[0], "desk", mine), BarMessageAction::Reload);
}

TEST(ReloadMessageTest, KexbarConfigTellsRunningBarsToReload)
{
    if (!testing_bus::DaemonInstalled())
        GTEST_SKIP() << "no dbus-daemon to run a session bus of the test's own";
    TempDir tmp;
    std::ofstream(tmp.path() / "KXdesk.INI")
        << "[Location]\nTop=100\n[Pages]\nCount=3\n[Programs]\nSpeedButton1=/bin/true\n";
    testing_bus::PrivateBus bus(tmp.path() / "bus");
    ASSERT_TRUE(bus.Running());
    const testing_child::ChildResult child = testing_child::RunTestInChild(
        "ReloadMessageTest.DISABLED_ToolTellsTheBarsInChild",
        {{"DBUS_SESSION_BUS_ADDRESS", bus.Address()}, {"KEX_RELOAD_DIR", tmp.path().string()}});
    EXPECT_TRUE(child.passed) << child.output;
}

} // namespace

#include "ReloadMessageTest.moc"
