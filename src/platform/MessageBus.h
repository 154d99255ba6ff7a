// Cross-instance messages: a D-Bus session-bus signal carrying the message name, its
// wParam and the configuration file it is about. Every instance receives every
// message, the sender included; without a session bus a message is delivered inside
// the sending process only.
#pragma once

#include <QDBusMessage>
#include <QObject>
#include <QString>

#include <functional>
#include <string>

#include "core/window/Startup.h"

namespace kex {

// The signal org.kexbar.Bar.Message(name, wParam, configuration). Its older form
// (name, wParam) is still taken, as a message about no file in particular; listeners
// of the older form take the first two arguments of the newer one.
class DBusMessageBus : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kPath = "/org/kexbar/Bar";
    static constexpr const char* kInterface = "org.kexbar.Bar";
    static constexpr const char* kSignal = "Message";

    DBusMessageBus();
    bool OnBus() const { return onBus_; }
    void Post(const BarMessage& message);
    void SetHandler(std::function<void(const BarMessage&)> handler) { handler_ = std::move(handler); }

    // The signal that carries a message (kexbar-config sends it too, without a bus
    // object of its own).
    static QDBusMessage Signal(const BarMessage& message)
    {
        QDBusMessage signal = QDBusMessage::createSignal(kPath, kInterface, kSignal);
        signal << QString::fromStdString(message.name) << message.wParam
               << QString::fromStdString(message.configuration);
        return signal;
    }

private Q_SLOTS:
    void Received(const QDBusMessage& message);

private:
    void Deliver(const BarMessage& message);

    bool onBus_ = false;
    std::function<void(const BarMessage&)> handler_;
};

} // namespace kex
