// The screen saver and the power requests against desktop services stood in by
// python-dbusmock, on a session bus and a system bus of the test's own: which service
// each request reaches, in what order they are tried, and what comes back.
#include "platform/LinuxSystemServices.h"
#include "platform/TempDir.h"

#include "PrivateBus.h"
#include "SelfExec.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

using namespace kex;
namespace fs = std::filesystem;

namespace {

constexpr int kHangLimitMs = 20000; // bounds a hang only

std::string Python() { return fs::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3"; }

std::string ReadAll(const fs::path& file)
{
    std::ifstream in(file);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A service to stand in: its bus name, object and interface, a dbusmock template or
// the methods added to a bare object ({name, in, out, Python body}).
struct StandIn {
    std::string name, path, interface, templateName;
    std::vector<std::array<std::string, 4>> methods;
    bool systemBus = false;
};

// One service run by python-dbusmock. Every call it receives is written to its log,
// a line each ("<time> <Method> <arguments>").
class Mock {
public:
    Mock(const StandIn& standIn, const fs::path& log)
        : bus_(standIn.systemBus ? QDBusConnection::systemBus() : QDBusConnection::sessionBus()), standIn_(standIn),
          log_(log)
    {
        std::vector<std::string> args = {
            Python(), "-m", "dbusmock", standIn.systemBus ? "--system" : "--session", "-l", log.string()};
        if (standIn.templateName.empty())
            args.insert(args.end(), {standIn.name, standIn.path, standIn.interface});
        else
            args.insert(args.end(), {"-t", standIn.templateName});
        pid_ = testing_bus::SpawnQuiet(args);
        ready_ = QTest::qWaitFor([this] { return Registered(); }, kHangLimitMs);
        for (const auto& [method, in, out, code] : standIn.methods) {
            // Replaces a template's method of the same name.
            QDBusMessage add = QDBusMessage::createMethodCall(
                QString::fromStdString(standIn.name), QString::fromStdString(standIn.path),
                QStringLiteral("org.freedesktop.DBus.Mock"), QStringLiteral("AddMethod"));
            for (const std::string& arg : {standIn.interface, method, in, out, code})
                add << QString::fromStdString(arg);
            ready_ = ready_ && bus_.call(add).type() == QDBusMessage::ReplyMessage;
        }
        mark_ = ReadAll(log_).size();
    }
    ~Mock()
    {
        testing_bus::Stop(pid_);
        static_cast<void>(QTest::qWaitFor([this] { return !Registered(); }, kHangLimitMs));
    }
    Mock(const Mock&) = delete;
    Mock& operator=(const Mock&) = delete;

    bool Ready() const { return ready_; }
    // The calls logged since the mock was made or last marked.
    std::string Calls() const
    {
        const std::string all = ReadAll(log_);
        return all.substr(std::min(mark_, all.size()));
    }
    void Mark() { mark_ = ReadAll(log_).size(); }
    bool Called(const std::string& call) const { return Calls().find(" " + call + "\n") != std::string::npos; }
    // A call sent without awaiting an answer may be logged a moment later.
    bool AwaitCall(const std::string& call) const
    {
        return QTest::qWaitFor([&] { return Called(call); }, kHangLimitMs);
    }

private:
    bool Registered() const { return bus_.interface()->isServiceRegistered(QString::fromStdString(standIn_.name)); }

    QDBusConnection bus_;
    StandIn standIn_;
    fs::path log_;
    pid_t pid_ = -1;
    bool ready_ = false;
    std::size_t mark_ = 0;
};

// Runs one request and waits for its answer.
template <typename Start> std::optional<SystemResult> Await(Start start)
{
    std::optional<SystemResult> result;
    QObject context;
    start(&context, [&](const SystemResult& r) { result = r; });
    static_cast<void>(QTest::qWaitFor([&] { return result.has_value(); }, kHangLimitMs));
    return result;
}

bool DbusmockInstalled() { return std::system((Python() + " -c 'import dbusmock' 2>/dev/null").c_str()) == 0; }

TEST(SystemServicesTest, DISABLED_ScreenSaverInChild)
{
    if (!testing_child::InChild())
        GTEST_SKIP() << "runs only in the child of ScreenSaverAsksTheDesktopsServicesInTurn";
    ASSERT_TRUE(DbusmockInstalled()) << "python3-dbusmock is needed (scripts/deps.sh installs it)";
    const fs::path dir = std::getenv("KEX_SYSTEM_DIR");
    // A stand-in for xdg-screensaver that writes down its arguments.
    const fs::path bin = dir / "bin", empty = dir / "empty", ran = dir / "xdg-screensaver.args";
    fs::create_directories(bin);
    fs::create_directories(empty);
    std::ofstream(bin / "xdg-screensaver") << "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" << ran.string() << "'\n";
    fs::permissions(bin / "xdg-screensaver", fs::perms::owner_all);
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";

    auto freedesktop = [](const char* answer) {
        return StandIn{"org.freedesktop.ScreenSaver",
                       "/org/freedesktop/ScreenSaver",
                       "org.freedesktop.ScreenSaver",
                       "",
                       {{"SetActive", "b", "b", answer}}};
    };
    const StandIn accepts = freedesktop("ret = True"), declines = freedesktop("ret = False");
    const StandIn gnome{
        "org.gnome.ScreenSaver", "/org/gnome/ScreenSaver", "org.gnome.ScreenSaver", "gnome_screensaver", {}};
    struct Row {
        const char* name;
        const StandIn* freedesktop;
        bool gnome, program;
        bool ok;
        std::string service;
        bool gnomeAsked, programRun;
    } rows[] = {
        {"freedesktop service takes it", &accepts, true, true, true, "org.freedesktop.ScreenSaver", false, false},
        {"freedesktop service declines", &declines, true, true, true, "org.gnome.ScreenSaver", true, false},
        {"only GNOME's", nullptr, true, true, true, "org.gnome.ScreenSaver", true, false},
        {"no service: the program", nullptr, false, true, true, "xdg-screensaver", false, true},
        {"nothing at all", nullptr, false, false, false, "xdg-screensaver", false, false},
    };
    LinuxSystemServices services;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        fs::remove(ran);
        std::optional<Mock> freedesktopMock, gnomeMock;
        if (r.freedesktop) {
            ASSERT_TRUE(freedesktopMock.emplace(*r.freedesktop, dir / "freedesktop.log").Ready());
        }
        if (r.gnome) {
            ASSERT_TRUE(gnomeMock.emplace(gnome, dir / "gnome.log").Ready());
        }
        ::setenv("PATH", (r.program ? bin : empty).c_str(), 1);
        const std::optional<SystemResult> result =
            Await([&](QObject* context, auto done) { services.ActivateScreenSaver(context, done); });
        ::setenv("PATH", path.c_str(), 1);
        ASSERT_TRUE(result.has_value());
        EXPECT_EQ(result->ok, r.ok);
        EXPECT_EQ(result->service, r.service);
        EXPECT_EQ(result->reason.empty(), r.ok) << result->reason;
        EXPECT_TRUE(!freedesktopMock || freedesktopMock->Called("SetActive True"));
        EXPECT_TRUE(!gnomeMock || gnomeMock->Called("SetActive True") == r.gnomeAsked);
        EXPECT_EQ(ReadAll(ran), r.programRun ? "activate\n" : "");
    }
}

TEST(SystemServicesTest, DISABLED_PowerInChild)
{
    if (!testing_child::InChild())
        GTEST_SKIP() << "runs only in the child of PowerGoesToTheSessionManagerElseToLogind";
    ASSERT_TRUE(DbusmockInstalled()) << "python3-dbusmock is needed (scripts/deps.sh installs it)";
    const fs::path dir = std::getenv("KEX_SYSTEM_DIR");

    auto raise = [](const std::string& name, const std::string& text) {
        return "raise dbus.exceptions.DBusException('" + text + "', name='" + name + "')";
    };
    const std::string notRunning = raise("org.gnome.SessionManager.NotInRunning", "Not in the running phase");
    const std::string authRequired =
        raise("org.freedesktop.DBus.Error.InteractiveAuthorizationRequired", "Interactive authentication required.");
    const StandIn gnome{"org.gnome.SessionManager",
                        "/org/gnome/SessionManager",
                        "org.gnome.SessionManager",
                        "",
                        {{"Shutdown", "", "", ""}, {"Reboot", "", "", ""}}};
    const StandIn gnomeRefusing{gnome.name, gnome.path, gnome.interface, "", {{"Shutdown", "", "", notRunning}}};
    const StandIn kde{"org.kde.Shutdown",
                      "/Shutdown",
                      "org.kde.Shutdown",
                      "",
                      {{"logoutAndShutdown", "", "", ""}, {"logoutAndReboot", "", "", ""}}};
    auto lxqt = [](const char* can) {
        return StandIn{"org.lxqt.session",
                       "/LXQtSession",
                       "org.lxqt.session",
                       "",
                       {{"canPowerOff", "", "b", can},
                        {"canReboot", "", "b", can},
                        {"powerOff", "", "", ""},
                        {"reboot", "", "", ""}}};
    };
    const StandIn lxqtAble = lxqt("ret = True"), lxqtUnable = lxqt("ret = False");
    const StandIn logindGrants{
        "org.freedesktop.login1", "/org/freedesktop/login1", "org.freedesktop.login1.Manager", "logind", {}, true};
    const StandIn logindRefuses{logindGrants.name,
                                logindGrants.path,
                                logindGrants.interface,
                                "logind",
                                {{"PowerOff", "b", "", authRequired}, {"Reboot", "b", "", authRequired}},
                                true};

    const PowerAction off = PowerAction::PowerOff, reboot = PowerAction::Reboot;
    struct Row {
        const char* name;
        const StandIn *manager, *logind;
        PowerAction action;
        bool ok;
        std::string service;
        std::string managerCall, logindCall; // what each was asked; empty: nothing
        std::string reason;                  // a part of the reason given
    } rows[] = {
        {"GNOME shuts down", &gnome, &logindGrants, off, true, "org.gnome.SessionManager", "Shutdown", "", ""},
        {"GNOME restarts", &gnome, &logindGrants, reboot, true, "org.gnome.SessionManager", "Reboot", "", ""},
        {"KDE shuts down", &kde, &logindGrants, off, true, "org.kde.Shutdown", "logoutAndShutdown", "", ""},
        {"KDE restarts", &kde, &logindGrants, reboot, true, "org.kde.Shutdown", "logoutAndReboot", "", ""},
        {"LXQt shuts down", &lxqtAble, &logindGrants, off, true, "org.lxqt.session", "powerOff", "", ""},
        {"LXQt restarts", &lxqtAble, &logindGrants, reboot, true, "org.lxqt.session", "reboot", "", ""},
        // A session manager that refuses is not gone round: its programs were not asked.
        {"GNOME refuses", &gnomeRefusing, &logindGrants, off, false, "org.gnome.SessionManager", "Shutdown", "",
         "Not in the running phase"},
        {"LXQt may not", &lxqtUnable, &logindGrants, off, false, "org.lxqt.session", "canPowerOff", "", "declined"},
        {"logind shuts down", nullptr, &logindGrants, off, true, "org.freedesktop.login1", "", "PowerOff True", ""},
        {"logind restarts", nullptr, &logindGrants, reboot, true, "org.freedesktop.login1", "", "Reboot True", ""},
        {"logind refuses", nullptr, &logindRefuses, off, false, "org.freedesktop.login1", "", "PowerOff True",
         "Interactive authentication required."},
        {"logind refuses a restart", nullptr, &logindRefuses, reboot, false, "org.freedesktop.login1", "",
         "Reboot True", "Interactive authentication required."},
        {"nobody to ask", nullptr, nullptr, off, false, "", "", "", "systemd-logind"},
    };
    LinuxSystemServices services;
    std::optional<Mock> logind;
    const StandIn* logindRunning = nullptr;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        if (!logind || logindRunning != r.logind) {
            logind.reset();
            if (r.logind) {
                ASSERT_TRUE(logind.emplace(*r.logind, dir / "logind.log").Ready());
            }
            logindRunning = r.logind;
        }
        if (logind)
            logind->Mark();
        std::optional<Mock> manager;
        if (r.manager) {
            ASSERT_TRUE(manager.emplace(*r.manager, dir / "manager.log").Ready());
        }

        const std::optional<SystemResult> result =
            Await([&](QObject* context, auto done) { services.RequestPower(r.action, context, done); });
        ASSERT_TRUE(result.has_value());
        EXPECT_EQ(result->ok, r.ok);
        EXPECT_EQ(result->service, r.service);
        EXPECT_EQ(result->reason.empty(), r.ok) << result->reason;
        EXPECT_NE(result->reason.find(r.reason), std::string::npos) << result->reason;
        if (manager) {
            EXPECT_TRUE(manager->AwaitCall(r.managerCall)) << manager->Calls();
            for (const std::string other :
                 {"powerOff", "reboot", "Shutdown", "Reboot", "logoutAndShutdown", "logoutAndReboot"})
                EXPECT_TRUE(other == r.managerCall || !manager->Called(other)) << other;
        }
        EXPECT_TRUE(!logind || logind->Calls().empty() == r.logindCall.empty()) << logind->Calls();
        EXPECT_TRUE(r.logindCall.empty() || logind->Called(r.logindCall));
    }
}

void RunInChildWithPrivateBuses(const std::string& test)
{
    if (!testing_bus::DaemonInstalled())
        GTEST_SKIP() << "no dbus-daemon to run buses of the test's own";
    TempDir tmp;
    testing_bus::PrivateBus session(tmp.path() / "session"), system(tmp.path() / "system");
    ASSERT_TRUE(session.Running() && system.Running());
    const testing_child::ChildResult child =
        testing_child::RunTestInChild(test,
                                      {{"DBUS_SESSION_BUS_ADDRESS", session.Address()},
                                       {"DBUS_SYSTEM_BUS_ADDRESS", system.Address()},
                                       {"KEX_SYSTEM_DIR", tmp.path().string()},
                                       {"DISPLAY", ""}},
                                      std::chrono::seconds(180));
    EXPECT_TRUE(child.passed) << child.output;
}

TEST(SystemServicesTest, ScreenSaverAsksTheDesktopsServicesInTurn)
{
    RunInChildWithPrivateBuses("SystemServicesTest.DISABLED_ScreenSaverInChild");
}

TEST(SystemServicesTest, PowerGoesToTheSessionManagerElseToLogind)
{
    RunInChildWithPrivateBuses("SystemServicesTest.DISABLED_PowerInChild");
}

} // namespace
