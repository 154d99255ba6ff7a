// The screen saver and the power requests over D-Bus: each is a list of services
// asked in turn, without blocking the window (every call is asynchronous). A service
// that is not there is passed over; what a present service answers decides.
#include "platform/LinuxSystemServices.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QPointer>
#include <QProcess>

#include <vector>

namespace kex {

namespace {

// Errors that say the service, its object or its method is not there: the next
// service is asked.
constexpr const char* kAbsentErrors[] = {
    "org.freedesktop.DBus.Error.ServiceUnknown", "org.freedesktop.DBus.Error.NameHasNoOwner",
    "org.freedesktop.DBus.Error.UnknownObject",  "org.freedesktop.DBus.Error.UnknownInterface",
    "org.freedesktop.DBus.Error.UnknownMethod",
};

// A reason shown to the user is cut to this many characters (an error text comes
// from another program).
constexpr qsizetype kReasonLimit = 300;

// logind waits for the user to answer the authorisation dialog before it replies.
constexpr int kAuthorisationTimeoutMs = 5 * 60 * 1000;

struct ServiceCall {
    QDBusConnection::BusType bus = QDBusConnection::SessionBus;
    QString who; // the service in the user's words
    QString service, path, interface, method;
    QVariantList args;
    QString guard;        // asked first (no arguments); must answer true
    bool noReply = false; // the service declares `method` without an answer: sent, not awaited
    bool interactive = false;
    bool autoStart = true;
    int timeoutMs = -1;
};

ServiceCall Call(QDBusConnection::BusType bus, const char* who, const char* service, const char* path,
                 const char* interface, const char* method, QVariantList args = {})
{
    ServiceCall call;
    call.bus = bus;
    call.who = QString::fromUtf8(who);
    call.service = QLatin1String(service);
    call.path = QLatin1String(path);
    call.interface = QLatin1String(interface);
    call.method = QLatin1String(method);
    call.args = std::move(args);
    return call;
}

enum class Answer { Accepted, Absent, Refused };

std::string Cut(const QString& text)
{
    const QString t = text.trimmed();
    return (t.size() > kReasonLimit ? t.left(kReasonLimit) + QStringLiteral("…") : t).toStdString();
}

Answer Classify(const ServiceCall& call, const QDBusMessage& reply, std::string& reason)
{
    if (reply.type() == QDBusMessage::ErrorMessage) {
        for (const char* absent : kAbsentErrors)
            if (reply.errorName() == QLatin1String(absent))
                return Answer::Absent;
        reason = Cut(reply.errorMessage().trimmed().isEmpty() ? reply.errorName() : reply.errorMessage());
        return Answer::Refused;
    }
    if (reply.type() != QDBusMessage::ReplyMessage) {
        reason = Cut(call.who + QStringLiteral(" did not answer"));
        return Answer::Refused;
    }
    const QVariantList args = reply.arguments();
    if (args.size() == 1 && args[0].typeId() == QMetaType::Bool && !args[0].toBool()) {
        reason = Cut(call.who + QStringLiteral(" declined"));
        return Answer::Refused;
    }
    return Answer::Accepted;
}

// Asks the services of `calls` in turn until one takes the request, then a program
// when one is given. With `stopOnRefusal`, a present service that refuses ends the
// request with its reason (the power requests: a session manager that refused is not
// gone round); otherwise the next one is asked (the screen saver).
class ServiceChain : public QObject {
public:
    struct Request {
        std::vector<ServiceCall> calls;
        bool stopOnRefusal = false;
        std::string nobody;   // the reason when no service is there
        QStringList fallback; // a program and its arguments, run when no service took it
    };

    ServiceChain(QObject* home, Request request, QObject* context, std::function<void(const SystemResult&)> done)
        : QObject(home), request_(std::move(request)), context_(context), done_(std::move(done))
    {
        // The first answer may be known at once (no bus): it still comes later.
        QMetaObject::invokeMethod(
            this, [this] { Try(0); }, Qt::QueuedConnection);
    }

private:
    void Try(std::size_t i)
    {
        if (i == request_.calls.size()) {
            if (!request_.fallback.isEmpty())
                Run();
            else
                Finish({false, {}, reason_.empty() ? request_.nobody : reason_});
            return;
        }
        const ServiceCall& call = request_.calls[i];
        QDBusConnection bus =
            call.bus == QDBusConnection::SessionBus ? QDBusConnection::sessionBus() : QDBusConnection::systemBus();
        if (!bus.isConnected()) {
            Try(i + 1);
            return;
        }
        if (call.guard.isEmpty()) {
            Issue(bus, i);
            return;
        }
        Send(bus, call, call.guard, {}, [this, i, bus](const QDBusMessage& reply) {
            std::string reason;
            const Answer answer = Classify(request_.calls[i], reply, reason);
            if (answer == Answer::Accepted)
                Issue(bus, i);
            else
                Answered(i, answer, reason);
        });
    }

    // Sends call i's method: awaits its answer, or only hands it to the bus when the
    // service declares no answer (such a call has a guard that showed it present).
    void Issue(const QDBusConnection& bus, std::size_t i)
    {
        const ServiceCall& call = request_.calls[i];
        if (call.noReply) {
            const bool sent = bus.send(Message(call, call.method, call.args));
            Answered(i, sent ? Answer::Accepted : Answer::Refused,
                     sent ? std::string() : Cut(call.who + QStringLiteral(" could not be reached")));
            return;
        }
        Send(bus, call, call.method, call.args, [this, i](const QDBusMessage& reply) {
            std::string reason;
            const Answer answer = Classify(request_.calls[i], reply, reason);
            Answered(i, answer, reason);
        });
    }

    static QDBusMessage Message(const ServiceCall& call, const QString& method, const QVariantList& args)
    {
        QDBusMessage message = QDBusMessage::createMethodCall(call.service, call.path, call.interface, method);
        message.setArguments(args);
        message.setAutoStartService(call.autoStart);
        message.setInteractiveAuthorizationAllowed(call.interactive);
        return message;
    }

    void Send(const QDBusConnection& bus, const ServiceCall& call, const QString& method, const QVariantList& args,
              std::function<void(const QDBusMessage&)> then)
    {
        auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(Message(call, method, args), call.timeoutMs), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [watcher, then = std::move(then)] {
            watcher->deleteLater();
            then(watcher->reply());
        });
    }

    void Answered(std::size_t i, Answer answer, const std::string& reason)
    {
        const ServiceCall& call = request_.calls[i];
        if (answer == Answer::Accepted) {
            Finish({true, call.service.toStdString(), {}});
            return;
        }
        if (answer == Answer::Refused) {
            if (request_.stopOnRefusal) {
                Finish({false, call.service.toStdString(), reason});
                return;
            }
            reason_ = reason;
        }
        Try(i + 1);
    }

    void Run()
    {
        const QString program = request_.fallback.first();
        auto* process = new QProcess(this);
        process->setStandardInputFile(QProcess::nullDevice());
        process->setStandardOutputFile(QProcess::nullDevice());
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        connect(process, &QProcess::errorOccurred, this, [this, program](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart)
                Finish({false, program.toStdString(), Cut(program + QStringLiteral(" could not be started"))});
        });
        connect(process, &QProcess::finished, this, [this, program](int code, QProcess::ExitStatus status) {
            if (status == QProcess::NormalExit && code == 0)
                Finish({true, program.toStdString(), {}});
            else
                Finish({false, program.toStdString(),
                        Cut(program
                            + QStringLiteral(" ended with exit code %1")
                                  .arg(status == QProcess::NormalExit ? code : -1))});
        });
        // Started directly, found through PATH, never through a shell.
        process->start(program, request_.fallback.mid(1));
    }

    void Finish(const SystemResult& result)
    {
        if (finished_)
            return;
        finished_ = true;
        if (context_ && done_)
            done_(result);
        deleteLater();
    }

    Request request_;
    QPointer<QObject> context_;
    std::function<void(const SystemResult&)> done_;
    std::string reason_; // the last refusal of a service passed over
    bool finished_ = false;
};

} // namespace

LinuxSystemServices::LinuxSystemServices()
    : home_(std::make_unique<QObject>()), mailbox_(std::make_shared<Mailbox>()),
      cdBusy_(std::make_shared<std::atomic<bool>>(false))
{
    mailbox_->home = home_.get();
}

LinuxSystemServices::~LinuxSystemServices()
{
    {
        std::lock_guard lock(mailbox_->mutex);
        mailbox_->home = nullptr;
    }
    home_.reset(); // with it the running requests and the answers posted to it
}

void LinuxSystemServices::ActivateScreenSaver(QObject* context, std::function<void(const SystemResult&)> done)
{
    constexpr auto session = QDBusConnection::SessionBus;
    ServiceChain::Request request;
    request.calls = {
        Call(session, "the screen saver", "org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver",
             "org.freedesktop.ScreenSaver", "SetActive", {true}),
        Call(session, "GNOME's screen saver", "org.gnome.ScreenSaver", "/org/gnome/ScreenSaver",
             "org.gnome.ScreenSaver", "SetActive", {true}),
    };
    request.fallback = {QStringLiteral("xdg-screensaver"), QStringLiteral("activate")};
    new ServiceChain(home_.get(), std::move(request), context, std::move(done));
}

void LinuxSystemServices::RequestPower(PowerAction action, QObject* context,
                                       std::function<void(const SystemResult&)> done)
{
    constexpr auto session = QDBusConnection::SessionBus;
    const bool off = action == PowerAction::PowerOff;
    ServiceCall gnome = Call(session, "the GNOME session manager", "org.gnome.SessionManager",
                             "/org/gnome/SessionManager", "org.gnome.SessionManager", off ? "Shutdown" : "Reboot");
    ServiceCall kde = Call(session, "the KDE session manager", "org.kde.Shutdown", "/Shutdown", "org.kde.Shutdown",
                           off ? "logoutAndShutdown" : "logoutAndReboot");
    ServiceCall lxqt = Call(session, "the LXQt session manager", "org.lxqt.session", "/LXQtSession", "org.lxqt.session",
                            off ? "powerOff" : "reboot");
    lxqt.guard = off ? QStringLiteral("canPowerOff") : QStringLiteral("canReboot");
    lxqt.noReply = true;
    // A session manager is never started for the request: one that is not running
    // does not run this session.
    gnome.autoStart = kde.autoStart = lxqt.autoStart = false;
    ServiceCall logind =
        Call(QDBusConnection::SystemBus, "systemd-logind", "org.freedesktop.login1", "/org/freedesktop/login1",
             "org.freedesktop.login1.Manager", off ? "PowerOff" : "Reboot", {true});
    logind.interactive = true;
    logind.timeoutMs = kAuthorisationTimeoutMs;

    ServiceChain::Request request;
    request.calls = {gnome, kde, lxqt, logind};
    request.stopOnRefusal = true;
    request.nobody = "neither a session manager nor systemd-logind could be reached";
    new ServiceChain(home_.get(), std::move(request), context, std::move(done));
}

} // namespace kex
