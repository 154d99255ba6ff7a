// Requests of another kexbar as the window carries them out, over a session bus of the
// test's own: a button launched as a click would (its password, the lockout), a page
// shown, the bar brought back, and what the bar does not hold refused.
#include "FormFixture.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>

#include "core/pages/ButtonRecord.h"
#include "core/protect/PasswordStore.h"
#include "platform/ActivationService.h"
#include "platform/PrivateBus.h"
#include "platform/SelfExec.h"

namespace kex {
namespace {

constexpr int kHangLimitMs = 30000; // bounds a hang only

using ActivationRequestsTest = FormTest;

TEST_F(ActivationRequestsTest, DISABLED_CarriedOutInChild)
{
    if (!testing_child::InChild())
        GTEST_SKIP() << "runs only in the child of RequestsReachTheWindow";
    // Two pages of 16: buttons 1 and 3 hold programs, 3 behind a password, 5 is empty.
    WriteIni("[Location]\nTop=100\nButtonCount=16\n[Pages]\nCount=2\n"
             "[Programs]\nSpeedButton1=/bin/one\nSpeedButton3=/bin/three\nSpeedButton20=/bin/twenty\n");
    PasswordStore(platform.appDir, "").Write(ButtonKey(3), "pw");
    ActivationService service("", platform.appDir);
    ASSERT_TRUE(service.OnBus());
    form = std::make_unique<MainWindow>(platform, dialogs, std::vector<std::string>{}, &service);
    MainWindow& f = *form;
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    int signalled = 0; // connected after the window: counted once the window has acted
    for (auto signal : {&ActivationService::ActivateRequested, &ActivationService::ShowPageRequested})
        QObject::connect(&service, signal, [&](int) { ++signalled; });
    for (auto signal : {&ActivationService::ToggleRequested, &ActivationService::ShowRequested})
        QObject::connect(&service, signal, [&] { ++signalled; });
    service.Open();
    QDBusConnection caller = QDBusConnection::connectToBus(QString::fromLatin1(std::getenv("DBUS_SESSION_BUS_ADDRESS")),
                                                           QStringLiteral("caller"));
    ASSERT_TRUE(caller.isConnected());

    enum class Before { Nothing, Minimise, Lockout };
    struct Row {
        const char* what;
        Before before;
        const char* method;
        int number;
        const char* error;               // the refusal's error name; none: taken
        const char* password;            // typed into the prompt the request opened
        std::vector<std::string> starts; // programs started by the request
        int page;                        // the page shown after it (from 1)
        bool browsed;                    // an empty button asked for its program
    } rows[] = {
        {"a button starts its program", Before::Nothing, "Activate", 1, nullptr, nullptr, {"/bin/one"}, 1, false},
        {"a page is shown", Before::Nothing, "ShowPage", 2, nullptr, nullptr, {}, 2, false},
        {"a button of another page", Before::Nothing, "Activate", 20, nullptr, nullptr, {"/bin/twenty"}, 2, false},
        {"a protected button asks first", Before::Minimise, "Activate", 3, nullptr, "pw", {"/bin/three"}, 2, false},
        {"a wrong password starts nothing", Before::Nothing, "Activate", 3, nullptr, "no", {}, 2, false},
        {"an empty button is browsed for", Before::Nothing, "Activate", 5, nullptr, nullptr, {}, 2, true},
        {"locked out, nothing is browsed", Before::Lockout, "Activate", 5, nullptr, nullptr, {}, 2, false},
        {"locked out, a program starts", Before::Nothing, "Activate", 1, nullptr, nullptr, {"/bin/one"}, 2, false},
        {"shown from minimised", Before::Minimise, "Show", 0, nullptr, nullptr, {}, 2, false},
        {"page 1 again", Before::Nothing, "ShowPage", 1, nullptr, nullptr, {}, 1, false},
        {"no button 33", Before::Nothing, "Activate", 33, ActivationService::kOutOfRangeError, nullptr, {}, 1, false},
        {"no page 3", Before::Nothing, "ShowPage", 3, ActivationService::kOutOfRangeError, nullptr, {}, 1, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        if (r.before == Before::Minimise) {
            f.setWindowState(f.windowState() | Qt::WindowMinimized);
            Pump();
        } else if (r.before == Before::Lockout) {
            Lockout(f, "lock");
            ASSERT_TRUE(Locked(f));
        }
        const std::size_t startedBefore = platform.started.size();
        const std::size_t browsedBefore = dialogs.openDialogs.size();
        const int signalledBefore = signalled;

        QDBusMessage call = QDBusMessage::createMethodCall(service.BusName(), QString::fromLatin1(kActivationPath),
                                                           QString::fromLatin1(kActivationInterface), r.method);
        if (std::string(r.method) != "Show")
            call.setArguments({r.number});
        QDBusPendingCallWatcher watcher(caller.asyncCall(call, kHangLimitMs));
        ASSERT_TRUE(QTest::qWaitFor([&] { return watcher.isFinished(); }, kHangLimitMs));
        const QDBusMessage reply = watcher.reply();
        if (r.error) {
            EXPECT_EQ(reply.errorName().toStdString(), r.error);
            Pump();
            EXPECT_EQ(signalled, signalledBefore);
        } else {
            ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
            ASSERT_TRUE(QTest::qWaitFor([&] { return signalled > signalledBefore; }, kHangLimitMs));
        }
        if (r.password) {
            // The prompt is in sight, the program waits for it.
            EXPECT_FALSE(f.windowState() & Qt::WindowMinimized);
            EXPECT_EQ(platform.started.size(), startedBefore);
            TypeAndEnter(f, r.password);
            Pump();
        }
        std::vector<std::string> starts;
        for (std::size_t i = startedBefore; i < platform.started.size(); ++i)
            starts.push_back(platform.started[i].argv.at(0));
        EXPECT_EQ(starts, r.starts);
        EXPECT_EQ(Child<TTabSet>(f, "TabSet1")->TabIndex() + 1, r.page);
        EXPECT_EQ(dialogs.openDialogs.size() > browsedBefore, r.browsed);
        if (std::string(r.method) == "Show") {
            EXPECT_FALSE(f.windowState() & Qt::WindowMinimized);
            EXPECT_TRUE(f.isVisible());
        }
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("caller"));
}

TEST_F(ActivationRequestsTest, RequestsReachTheWindow)
{
    if (!testing_bus::DaemonInstalled())
        GTEST_SKIP() << "no dbus-daemon to run a session bus of the test's own";
    testing_bus::PrivateBus bus(dir.filePath("bus").toStdString());
    ASSERT_TRUE(bus.Running());
    const testing_child::ChildResult child = testing_child::RunTestInChild(
        "ActivationRequestsTest.DISABLED_CarriedOutInChild", {{"DBUS_SESSION_BUS_ADDRESS", bus.Address()},
                                                              {"DISPLAY", ""},
                                                              {"WAYLAND_DISPLAY", ""},
                                                              {"QT_QPA_PLATFORM", "offscreen"}});
    EXPECT_TRUE(child.passed) << child.output;
}

} // namespace
} // namespace kex
