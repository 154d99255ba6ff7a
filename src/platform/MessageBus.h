// Cross-instance messages: a D-Bus session-bus signal carrying the message name and
// wParam. Every instance receives every message, the sender included; without a
// session bus a message is delivered inside the sending process only.
#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <string>

namespace kex {

class DBusMessageBus : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kPath = "/org/kexbar/Bar";
    static constexpr const char* kInterface = "org.kexbar.Bar";
    static constexpr const char* kSignal = "Message";

    DBusMessageBus();
    bool OnBus() const { return onBus_; }
    void Post(const std::string& name, int wParam);
    void SetHandler(std::function<void(const std::string&, int)> handler) { handler_ = std::move(handler); }

private Q_SLOTS:
    void Received(const QString& name, int wParam);

private:
    bool onBus_ = false;
    std::function<void(const std::string&, int)> handler_;
};

} // namespace kex
