#include "platform/ActivationService.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusReply>
#include <QFile>
#include <QFileInfo>

namespace kex {

// The object on the bus: its scriptable slots are the interface's methods. Each
// answers at once, with an error when the service refuses the request.
class ActivationAdaptor : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "io.github.kexbar.Kexbar")
public:
    explicit ActivationAdaptor(ActivationService* service) : QObject(service), service_(service) {}

public Q_SLOTS:
    Q_SCRIPTABLE void Activate(int n) { Answer({ActivationKind::Activate, n}); }
    Q_SCRIPTABLE void ShowPage(int p) { Answer({ActivationKind::ShowPage, p}); }
    Q_SCRIPTABLE void Toggle() { Answer({ActivationKind::Toggle, 0}); }
    Q_SCRIPTABLE void Show() { Answer({ActivationKind::Show, 0}); }

private:
    void Answer(const ActivationRequest& request)
    {
        const char* errorName = nullptr;
        const std::string refusal = service_->Take(request, &errorName);
        if (!refusal.empty() && calledFromDBus())
            sendErrorReply(QString::fromLatin1(errorName), QString::fromStdString(refusal));
    }

    ActivationService* service_;
};

namespace {

// The directory as the file system names it, so that every spelling of one
// directory (a trailing "/", "..", a symbolic link) gives one name.
std::string CanonicalDirectory(const std::string& dir)
{
    const QString canonical = QFileInfo(QFile::decodeName(QByteArray::fromStdString(dir))).canonicalFilePath();
    return canonical.isEmpty() ? dir : QFile::encodeName(canonical).toStdString();
}

QDBusMessage RequestCall(const QString& destination, const ActivationRequest& request)
{
    const char* method = "Show";
    switch (request.Kind) {
    case ActivationKind::Activate: method = "Activate"; break;
    case ActivationKind::ShowPage: method = "ShowPage"; break;
    case ActivationKind::Toggle: method = "Toggle"; break;
    case ActivationKind::Show: break;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(destination, QString::fromLatin1(kActivationPath),
                                       QString::fromLatin1(kActivationInterface), QString::fromLatin1(method));
    // Bars are not started by the bus: a name nobody holds means no bar runs.
    call.setAutoStartService(false);
    if (request.Kind == ActivationKind::Activate || request.Kind == ActivationKind::ShowPage)
        call << request.Number;
    return call;
}

// The unique name of the connection that answers `name` now; empty when none does.
QString NameOwner(const QDBusConnection& bus, const QString& name)
{
    const QDBusReply<QString> owner = bus.interface()->serviceOwner(name);
    return owner.isValid() ? owner.value() : QString();
}

} // namespace

ActivationService::ActivationService(const std::string& suffix, const std::string& appDir, QObject* parent)
    : QObject(parent), name_(QString::fromStdString(ActivationBusName(suffix, CanonicalDirectory(appDir)))),
      maxButton_(MaxActivationButton()), maxPage_(MaxActivationPage())
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    auto* adaptor = new ActivationAdaptor(this);
    if (!bus.registerObject(QString::fromLatin1(kActivationPath), adaptor, QDBusConnection::ExportScriptableSlots))
        return;
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply = bus.interface()->registerService(
        name_, QDBusConnectionInterface::QueueService, QDBusConnectionInterface::DontAllowReplacement);
    onBus_ = reply.isValid() && reply.value() != QDBusConnectionInterface::ServiceNotRegistered;
    if (!onBus_)
        bus.unregisterObject(QString::fromLatin1(kActivationPath));
}

ActivationService::~ActivationService()
{
    if (!onBus_)
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.interface()->unregisterService(name_);
    bus.unregisterObject(QString::fromLatin1(kActivationPath));
}

bool ActivationService::Serving() const
{
    if (!onBus_)
        return false;
    const QDBusConnection bus = QDBusConnection::sessionBus();
    return NameOwner(bus, name_) == bus.baseService();
}

ForwardResult ActivationService::HandToRunningBar(const ActivationRequest& request, int timeoutMs)
{
    if (!onBus_)
        return {ForwardOutcome::NoBar, {}};
    QDBusConnection bus = QDBusConnection::sessionBus();
    // The call goes to the answering bar's own connection, not to the name: if that
    // bar ends meanwhile the name may pass to this process, which must not wait for
    // its own answer. A bar that ended is replaced by the next in the queue.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const QString owner = NameOwner(bus, name_);
        if (owner.isEmpty() || owner == bus.baseService())
            return {ForwardOutcome::NoBar, {}};
        const QDBusMessage reply = bus.call(RequestCall(owner, request), QDBus::Block, timeoutMs);
        if (reply.type() == QDBusMessage::ReplyMessage)
            return {ForwardOutcome::Delivered, {}};
        const QDBusError error(reply);
        switch (error.type()) {
        case QDBusError::ServiceUnknown: continue;
        case QDBusError::NoReply:
        case QDBusError::Timeout:
        case QDBusError::TimedOut:
            // No answer, or the bar ended before it answered.
            if (NameOwner(bus, name_) != owner)
                continue;
            return {ForwardOutcome::NoAnswer, "the bar running on this configuration does not answer"};
        case QDBusError::Disconnected: return {ForwardOutcome::NoBar, {}};
        default: return {ForwardOutcome::Refused, error.message().toStdString()};
        }
    }
    return {ForwardOutcome::NoBar, {}};
}

void ActivationService::SetLimits(int buttons, int pages)
{
    maxButton_ = buttons;
    maxPage_ = pages;
}

std::string ActivationService::Request(const ActivationRequest& request) { return Take(request); }

void ActivationService::Open()
{
    open_ = true;
    for (const ActivationRequest& request : waiting_)
        Signal(request);
    waiting_.clear();
}

std::string ActivationService::Take(const ActivationRequest& request, const char** errorName)
{
    std::string refusal;
    if (request.Kind == ActivationKind::Activate && (request.Number < 1 || request.Number > maxButton_))
        refusal = "there is no button " + std::to_string(request.Number) + ": this bar holds buttons 1 to "
                  + std::to_string(maxButton_);
    else if (request.Kind == ActivationKind::ShowPage && (request.Number < 1 || request.Number > maxPage_))
        refusal = "there is no page " + std::to_string(request.Number) + ": this bar has pages 1 to "
                  + std::to_string(maxPage_);
    if (!refusal.empty()) {
        if (errorName)
            *errorName = kOutOfRangeError;
        return refusal;
    }
    if (open_) {
        Signal(request);
    } else if (waiting_.size() < kMaxWaiting) {
        waiting_.push_back(request);
    } else {
        if (errorName)
            *errorName = kBusyError;
        return "the bar is still starting and has too many requests waiting";
    }
    return {};
}

void ActivationService::Signal(const ActivationRequest& request)
{
    QMetaObject::invokeMethod(
        this,
        [this, request] {
            switch (request.Kind) {
            case ActivationKind::Activate: Q_EMIT ActivateRequested(request.Number); break;
            case ActivationKind::ShowPage: Q_EMIT ShowPageRequested(request.Number); break;
            case ActivationKind::Toggle: Q_EMIT ToggleRequested(); break;
            case ActivationKind::Show: Q_EMIT ShowRequested(); break;
            }
        },
        Qt::QueuedConnection);
}

} // namespace kex

#include "ActivationService.moc"
