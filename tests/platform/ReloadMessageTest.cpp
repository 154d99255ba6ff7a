// kexbar-config tells the bars on a file to reload over their own D-Bus message: on a
// session bus of the test's own, the message a bar receives after each command.
#include "platform/MessageBus.h"
#include "platform/TempDir.h"

#include "PrivateBus.h"
#include "SelfExec.h"

#include <QCoreApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>

using namespace kex;
namespace fs = std::filesystem;

namespace {

int RunAndWait(std::vector<std::string> args)
{
    const pid_t pid = testing_bus::SpawnQuiet(std::move(args));
    int status = 0;
    if (pid <= 0 || ::waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ReloadMessageTest, DISABLED_ToolTellsTheBarsInChild)
{
    if (!testing_child::InChild())
        GTEST_SKIP() << "runs only in the child of KexbarConfigTellsRunningBarsToReload";
    const std::string ini = std::string(std::getenv("KEX_RELOAD_DIR")) + "/KXdesk.INI";
    DBusMessageBus bus;
    ASSERT_TRUE(bus.OnBus());
    std::vector<std::pair<std::string, int>> received;
    bus.SetHandler([&](const std::string& name, int wParam) { received.emplace_back(name, wParam); });
    struct Step {
        std::vector<std::string> args;
        bool tells;
    } steps[] = {
        {{"add-page", "1", "New"}, true},
        {{"get", "Pages", "Count", "0"}, false},
        {{"set", "Location", "Top", "20"}, false}, // not a page or a button
        {{"set", "Programs", "SpeedButton3", "/bin/true"}, true},
        {{"remove-button", "3"}, true},
        {{"delete-page", "9"}, false}, // refused: nothing changed
    };
    for (const Step& s : steps) {
        received.clear();
        std::vector<std::string> args = {KEXBAR_CONFIG_EXE, ini};
        args.insert(args.end(), s.args.begin(), s.args.end());
        EXPECT_GE(RunAndWait(args), 0);
        // The tool has ended: its message is on the bus already, or there is none.
        QTest::qWait(200);
        if (s.tells)
            EXPECT_EQ(received, (std::vector<std::pair<std::string, int>>{{"UKexbardesk", 1}})) << s.args[0];
        else
            EXPECT_TRUE(received.empty()) << s.args[0];
    }
}

TEST(ReloadMessageTest, KexbarConfigTellsRunningBarsToReload)
{
    if (!testing_bus::DaemonInstalled())
        GTEST_SKIP() << "no dbus-daemon to run a session bus of the test's own";
    TempDir tmp;
    std::ofstream(tmp.path() / "KXdesk.INI") << "[Location]\nTop=100\n[Pages]\nCount=3\n[Programs]\nSpeedButton1=/bin/true\n";
    testing_bus::PrivateBus bus(tmp.path() / "bus");
    ASSERT_TRUE(bus.Running());
    const testing_child::ChildResult child =
        testing_child::RunTestInChild("ReloadMessageTest.DISABLED_ToolTellsTheBarsInChild",
                                      {{"DBUS_SESSION_BUS_ADDRESS", bus.Address()},
                                       {"KEX_RELOAD_DIR", tmp.path().string()}});
    EXPECT_TRUE(child.passed) << child.output;
}

} // namespace
