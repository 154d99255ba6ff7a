#include "platform/MessageBus.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QTimer>

namespace kex {

DBusMessageBus::DBusMessageBus()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected())
        onBus_ = bus.connect(QString(), kPath, kInterface, kSignal, this, SLOT(Received(QString, int)));
}

void DBusMessageBus::Post(const std::string& name, int wParam)
{
    if (onBus_) {
        QDBusMessage signal = QDBusMessage::createSignal(kPath, kInterface, kSignal);
        signal << QString::fromStdString(name) << wParam;
        if (QDBusConnection::sessionBus().send(signal))
            return;
    }
    // No bus: the message still reaches this instance, later, as a posted message would.
    QTimer::singleShot(0, this, [this, name, wParam] { Received(QString::fromStdString(name), wParam); });
}

void DBusMessageBus::Received(const QString& name, int wParam)
{
    if (handler_)
        handler_(name.toStdString(), wParam);
}

} // namespace kex
