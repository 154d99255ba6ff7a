#include "platform/MessageBus.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QTimer>

namespace kex {

DBusMessageBus::DBusMessageBus()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected())
        onBus_ = bus.connect(QString(), kPath, kInterface, kSignal, this, SLOT(Received(QDBusMessage)));
}

void DBusMessageBus::Post(const BarMessage& message)
{
    if (onBus_ && QDBusConnection::sessionBus().send(Signal(message)))
        return;
    // No bus: the message still reaches this instance, later, as a posted message would.
    QTimer::singleShot(0, this, [this, message] { Deliver(message); });
}

// Any signal of that name reaches here: one that is not (name, wParam) or
// (name, wParam, configuration) is no message of ours.
void DBusMessageBus::Received(const QDBusMessage& signal)
{
    const QList<QVariant> args = signal.arguments();
    const auto is = [&](int i, QMetaType::Type type) { return args.size() > i && args[i].metaType().id() == type; };
    if (!is(0, QMetaType::QString) || !is(1, QMetaType::Int) || (args.size() > 2 && !is(2, QMetaType::QString)))
        return;
    BarMessage message{args[0].toString().toStdString(), args[1].toInt(), {}};
    if (args.size() > 2)
        message.configuration = args[2].toString().toStdString();
    Deliver(message);
}

void DBusMessageBus::Deliver(const BarMessage& message)
{
    if (handler_)
        handler_(message);
}

} // namespace kex
