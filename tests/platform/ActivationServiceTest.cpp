// The activation service on a session bus of the test's own: the requests a bar takes
// and refuses, the interface it shows against the documented one, a second `kexbar`
// that hands its request over and ends, and a `kexbar` that finds no bar and is one.
#include "platform/ActivationService.h"
#include "platform/TempDir.h"

#include "PrivateBus.h"
#include "SelfExec.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sys/wait.h>

using namespace kex;
namespace fs = std::filesystem;

namespace {

constexpr int kHangLimitMs = 30000; // bounds a hang only

using K = ActivationKind;

// Every request the service signals, in order.
struct Recorder {
    std::vector<ActivationRequest> got;
    explicit Recorder(ActivationService& service)
    {
        QObject::connect(&service, &ActivationService::ActivateRequested, [this](int n) {
            got.push_back({K::Activate, n});
        });
        QObject::connect(&service, &ActivationService::ShowPageRequested, [this](int p) {
            got.push_back({K::ShowPage, p});
        });
        QObject::connect(&service, &ActivationService::ToggleRequested, [this] { got.push_back({K::Toggle, 0}); });
        QObject::connect(&service, &ActivationService::ShowRequested, [this] { got.push_back({K::Show, 0}); });
    }
    // Lets the event loop deliver what was signalled; true when `count` have come.
    bool Await(std::size_t count)
    {
        return QTest::qWaitFor([&] { return got.size() >= count; }, kHangLimitMs);
    }
};

std::string Describe(const std::vector<ActivationRequest>& requests)
{
    std::string out;
    for (const ActivationRequest& r : requests)
        out += std::to_string(int(r.Kind)) + ":" + std::to_string(r.Number) + " ";
    return out;
}

// A call from another connection, answered while this thread's event loop runs (the
// service answers on it).
QDBusMessage CallAndWait(QDBusConnection& caller, const QString& name, const QString& method, QVariantList args = {},
                         const QString& interface = QString::fromLatin1(kActivationInterface))
{
    QDBusMessage call = QDBusMessage::createMethodCall(name, QString::fromLatin1(kActivationPath), interface, method);
    call.setArguments(args);
    QDBusPendingCallWatcher watcher(caller.asyncCall(call, kHangLimitMs));
    static_cast<void>(QTest::qWaitFor([&] { return watcher.isFinished(); }, kHangLimitMs));
    return watcher.reply();
}

// The methods of `interface` in introspection data, as "Name(direction type name, ...)".
std::vector<std::string> Methods(const QString& xml, const QString& interface)
{
    std::vector<std::string> methods;
    QXmlStreamReader reader(xml);
    bool inside = false;
    while (!reader.atEnd()) {
        reader.readNext();
        const auto attribute = [&](const char* name) {
            return reader.attributes().value(QString::fromLatin1(name)).toString().toStdString();
        };
        if (reader.isStartElement() && reader.name() == QLatin1String("interface"))
            inside = QString::fromStdString(attribute("name")) == interface;
        else if (inside && reader.isStartElement() && reader.name() == QLatin1String("method"))
            methods.push_back(attribute("name") + "(");
        else if (inside && reader.isStartElement() && reader.name() == QLatin1String("arg") && !methods.empty())
            methods.back() += attribute("direction") + " " + attribute("type") + " " + attribute("name") + ",";
        else if (reader.isEndElement() && reader.name() == QLatin1String("interface"))
            inside = false;
    }
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    return methods;
}

// Runs `kexbar args` against the test's bus and bar directory, without waiting.
pid_t StartKexbar(std::vector<std::string> args)
{
    args.insert(args.begin(), KEXBAR_EXE);
    return testing_bus::SpawnQuiet(std::move(args));
}

// Waits for a started `kexbar` to end while this thread's event loop runs; its exit
// status, or -1 when it did not end.
int AwaitExit(pid_t pid)
{
    int status = 0;
    const bool ended =
        pid > 0 && QTest::qWaitFor([&] { return ::waitpid(pid, &status, WNOHANG) == pid; }, kHangLimitMs);
    if (!ended) {
        testing_bus::Stop(pid);
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A bar directory holding KX<suffix>.INI (not a first start) and a session bus of the
// test's own; env is what a child test, and every kexbar it starts, runs with.
struct BarWorld {
    explicit BarWorld(const std::string& suffix)
    {
        std::ofstream(tmp.path() / ("KX" + suffix + ".INI")) << "[Location]\nTop=100\n";
    }
    testing_child::ChildResult Run(const std::string& test) const
    {
        return testing_child::RunTestInChild("ActivationServiceTest." + test, env);
    }

    TempDir tmp;
    testing_bus::PrivateBus bus{tmp.path() / "bus"};
    std::map<std::string, std::string> env = {{"DBUS_SESSION_BUS_ADDRESS", bus.Address()},
                                              {"KEXBAR_DIR", tmp.path().string()},
                                              {"HOME", tmp.path().string()},
                                              {"DISPLAY", ""},
                                              {"WAYLAND_DISPLAY", ""},
                                              {"QT_QPA_PLATFORM", "offscreen"},
                                              {"ASAN_OPTIONS", "detect_leaks=0"}};
};

TEST(ActivationServiceTest, DISABLED_ServesRequestsInChild)
{
    if (!testing_child::InChild())
        GTEST_SKIP() << "runs only in the child of ServiceTakesRefusesAndDescribesItsRequests";
    const std::string dir = std::getenv("KEXBAR_DIR");
    ActivationService service("desk", dir);
    ASSERT_TRUE(service.OnBus());
    EXPECT_TRUE(service.Serving());
    // Any spelling of the directory names the same bar.
    EXPECT_EQ(service.BusName().toStdString(),
              ActivationBusName("desk", QDir(QString::fromStdString(dir)).canonicalPath().toStdString()));
    Recorder recorder(service);
    QDBusConnection caller = QDBusConnection::connectToBus(QString::fromLatin1(std::getenv("DBUS_SESSION_BUS_ADDRESS")),
                                                           QStringLiteral("caller"));
    ASSERT_TRUE(caller.isConnected());
    const QString name = service.BusName();

    // Requests that come before the bar stands wait for it, after its own.
    EXPECT_EQ(CallAndWait(caller, name, "Activate", {5}).type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(service.Request({K::Show, 0}), "");
    QTest::qWait(50);
    EXPECT_TRUE(recorder.got.empty()) << Describe(recorder.got);
    service.Open();
    ASSERT_TRUE(recorder.Await(2));
    EXPECT_EQ(recorder.got, (std::vector<ActivationRequest>{{K::Activate, 5}, {K::Show, 0}}));

    struct Row {
        const char* method;
        QVariantList args;
        std::optional<ActivationRequest> signalled; // none: refused
        const char* error;                          // the refusal's error name, or its text
    } rows[] = {
        {"Activate", {3}, ActivationRequest{K::Activate, 3}, nullptr},
        {"ShowPage", {2}, ActivationRequest{K::ShowPage, 2}, nullptr},
        {"Toggle", {}, ActivationRequest{K::Toggle, 0}, nullptr},
        {"Show", {}, ActivationRequest{K::Show, 0}, nullptr},
        {"Activate", {21000}, ActivationRequest{K::Activate, 21000}, nullptr},
        {"Activate", {0}, std::nullopt, ActivationService::kOutOfRangeError},
        {"Activate", {-7}, std::nullopt, ActivationService::kOutOfRangeError},
        {"ShowPage", {1001}, std::nullopt, ActivationService::kOutOfRangeError},
        {"Activate", {QStringLiteral("3")}, std::nullopt, "org.freedesktop.DBus.Error.UnknownMethod"},
        {"Launch", {3}, std::nullopt, "org.freedesktop.DBus.Error.UnknownMethod"},
    };
    auto check = [&](const Row& r) {
        SCOPED_TRACE(std::string(r.method) + " " + r.args.value(0).toString().toStdString());
        recorder.got.clear();
        const QDBusMessage reply = CallAndWait(caller, name, r.method, r.args);
        if (r.signalled) {
            EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
            ASSERT_TRUE(recorder.Await(1));
            EXPECT_EQ(recorder.got, std::vector<ActivationRequest>{*r.signalled});
        } else {
            EXPECT_EQ(reply.type(), QDBusMessage::ErrorMessage);
            EXPECT_EQ(reply.errorName().toStdString(), r.error);
            QTest::qWait(50);
            EXPECT_TRUE(recorder.got.empty()) << Describe(recorder.got);
        }
    };
    for (const Row& r : rows)
        check(r);

    // A bar of 2 pages of 16 buttons refuses what it does not hold, and says so.
    service.SetLimits(32, 2);
    const Row limited[] = {
        {"Activate", {32}, ActivationRequest{K::Activate, 32}, nullptr},
        {"Activate", {33}, std::nullopt, ActivationService::kOutOfRangeError},
        {"ShowPage", {2}, ActivationRequest{K::ShowPage, 2}, nullptr},
        {"ShowPage", {3}, std::nullopt, ActivationService::kOutOfRangeError},
    };
    for (const Row& r : limited)
        check(r);
    EXPECT_EQ(CallAndWait(caller, name, "Activate", {33}).errorMessage().toStdString(),
              "there is no button 33: this bar holds buttons 1 to 32");
    EXPECT_NE(service.Request({K::ShowPage, 3}), "");

    // The interface as the bus shows it is the one documented for others.
    const QDBusMessage introspection =
        CallAndWait(caller, name, "Introspect", {}, QStringLiteral("org.freedesktop.DBus.Introspectable"));
    ASSERT_EQ(introspection.type(), QDBusMessage::ReplyMessage);
    QFile documented(QStringLiteral(KEX_SOURCE_DIR "/data/dbus/io.github.kexbar.Kexbar.xml"));
    ASSERT_TRUE(documented.open(QIODevice::ReadOnly));
    const QString interface = QString::fromLatin1(kActivationInterface);
    const std::vector<std::string> shown = Methods(introspection.arguments().value(0).toString(), interface);
    EXPECT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown, Methods(QString::fromUtf8(documented.readAll()), interface));

    // A second kexbar on the configuration hands its request over and ends; a malformed
    // or refused one ends with status 1 and reaches nothing.
    struct Second {
        std::vector<std::string> args;
        int status;
        std::optional<ActivationRequest> signalled;
    } seconds[] = {
        {{"desk", "--activate", "3"}, 0, ActivationRequest{K::Activate, 3}},
        {{"/m", "desk", "--toggle"}, 0, ActivationRequest{K::Toggle, 0}},
        {{"--page", "2", "desk"}, 0, ActivationRequest{K::ShowPage, 2}},
        {{"desk", "--page", "5"}, 1, std::nullopt},
        {{"desk", "--activate", "x"}, 1, std::nullopt},
    };
    for (const Second& s : seconds) {
        std::string shown;
        for (const std::string& a : s.args)
            shown += a + " ";
        SCOPED_TRACE(shown);
        recorder.got.clear();
        EXPECT_EQ(AwaitExit(StartKexbar(s.args)), s.status);
        if (s.signalled) {
            ASSERT_TRUE(recorder.Await(1));
            EXPECT_EQ(recorder.got, std::vector<ActivationRequest>{*s.signalled});
        } else {
            QTest::qWait(50);
            EXPECT_TRUE(recorder.got.empty()) << Describe(recorder.got);
        }
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("caller"));
}

TEST(ActivationServiceTest, ServiceTakesRefusesAndDescribesItsRequests)
{
    if (!testing_bus::DaemonInstalled())
        GTEST_SKIP() << "no dbus-daemon to run a session bus of the test's own";
    BarWorld world("desk");
    ASSERT_TRUE(world.bus.Running());
    // A spelling of the directory that is not its canonical one.
    world.env["KEXBAR_DIR"] = (world.tmp.path() / "." / "").string();
    const testing_child::ChildResult child = world.Run("DISABLED_ServesRequestsInChild");
    EXPECT_TRUE(child.passed) << child.output;
}

TEST(ActivationServiceTest, DISABLED_NoBarInChild)
{
    if (!testing_child::InChild())
        GTEST_SKIP() << "runs only in the child of WithoutABarKexbarIsTheBar";
    const std::string dir = std::getenv("KEXBAR_DIR");
    const bool busExpected = std::getenv("KEX_EXPECT_BUS") != nullptr;
    // With nobody on the name this process is the bar: the client side says so.
    {
        ActivationService service("alone", dir);
        EXPECT_EQ(service.OnBus(), busExpected);
        EXPECT_EQ(service.Serving(), busExpected);
        const ForwardResult sent = service.HandToRunningBar({K::Activate, 1});
        EXPECT_EQ(sent.Outcome, ForwardOutcome::NoBar) << sent.Message;
        // Its own request is still carried out once it opens.
        Recorder recorder(service);
        EXPECT_EQ(service.Request({K::Activate, 1}), "");
        service.Open();
        ASSERT_TRUE(recorder.Await(1));
        EXPECT_EQ(recorder.got, (std::vector<ActivationRequest>{{K::Activate, 1}}));
    }
    if (!busExpected)
        return;

    // kexbar with a request and no bar to take it starts the bar, which then answers
    // the configuration's name: a third kexbar hands its request to that bar.
    const QString name = QString::fromStdString(
        ActivationBusName("first", QDir(QString::fromStdString(dir)).canonicalPath().toStdString()));
    QDBusConnection session = QDBusConnection::sessionBus();
    ASSERT_FALSE(session.interface()->isServiceRegistered(name).value());
    const pid_t bar = StartKexbar({"first", "--show"});
    ASSERT_GT(bar, 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return session.interface()->isServiceRegistered(name).value(); }, kHangLimitMs));
    EXPECT_EQ(::waitpid(bar, nullptr, WNOHANG), 0) << "the bar ended";
    EXPECT_EQ(AwaitExit(StartKexbar({"first", "--toggle"})), 0);
    EXPECT_EQ(::waitpid(bar, nullptr, WNOHANG), 0) << "the bar ended on the request";
    testing_bus::Stop(bar);
}

TEST(ActivationServiceTest, WithoutABarKexbarIsTheBar)
{
    if (!testing_bus::DaemonInstalled())
        GTEST_SKIP() << "no dbus-daemon to run a session bus of the test's own";
    BarWorld world("first");
    ASSERT_TRUE(world.bus.Running());
    world.env["KEX_EXPECT_BUS"] = "1";
    const testing_child::ChildResult onBus = world.Run("DISABLED_NoBarInChild");
    EXPECT_TRUE(onBus.passed) << onBus.output;

    // No session bus at all: no service, and the request stays with this bar.
    world.env.erase("KEX_EXPECT_BUS");
    world.env["DBUS_SESSION_BUS_ADDRESS"] = "unix:path=" + (world.tmp.path() / "no-bus").string();
    const testing_child::ChildResult offBus = world.Run("DISABLED_NoBarInChild");
    EXPECT_TRUE(offBus.passed) << offBus.output;
}

} // namespace
