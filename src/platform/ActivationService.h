// The bar's activation service on the session bus: the object through which a second
// `kexbar --activate N` (--page, --toggle, --show) hands its request to the bar that
// runs on the same configuration, and the client side that hands it over. Each
// configuration (suffix and directory) has a name of its own (ActivationBusName); the
// interface is described in data/dbus/io.github.kexbar.Kexbar.xml.
#pragma once

#include "core/window/Activation.h"

#include <QObject>
#include <QString>

#include <string>
#include <vector>

namespace kex {

class ActivationAdaptor;

enum class ForwardOutcome {
    Delivered, // a running bar took the request
    NoBar,     // no bar answers for this configuration (or no session bus): start one
    Refused,   // the running bar refused the request (message says why)
    NoAnswer,  // a bar holds the name but did not answer in time
};

struct ForwardResult {
    ForwardOutcome Outcome = ForwardOutcome::NoBar;
    std::string Message;
};

class ActivationService : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultTimeoutMs = 3000;
    static constexpr const char* kOutOfRangeError = "io.github.kexbar.Kexbar.Error.OutOfRange";
    static constexpr const char* kBusyError = "io.github.kexbar.Kexbar.Error.Busy";
    // Requests taken before the bar opens the service wait, at most this many.
    static constexpr std::size_t kMaxWaiting = 32;

    // Puts the object on the session bus and asks for the configuration's name, in
    // the queue behind a bar that holds it already (this one answers once that bar
    // ends). appDir: the configuration's directory, made canonical here. Without a
    // session bus the service is not on the bus; local requests still work.
    ActivationService(const std::string& suffix, const std::string& appDir, QObject* parent = nullptr);
    ~ActivationService() override;

    bool OnBus() const { return onBus_; }
    const QString& BusName() const { return name_; }
    // Whether this process is the one that answers the name now.
    bool Serving() const;

    // The client side: hands the request to the bar that answers the name, waiting at
    // most timeoutMs for its answer. NoBar when none does, this process included.
    ForwardResult HandToRunningBar(const ActivationRequest& request, int timeoutMs = kDefaultTimeoutMs);

    // The buttons and pages the bar holds; requests beyond them are refused. Until
    // set, the largest bar's (MaxActivationButton, MaxActivationPage).
    void SetLimits(int buttons, int pages);

    // A request of this bar's own (from its command line), taken as one from the bus
    // would be; empty when taken, else why it was refused.
    std::string Request(const ActivationRequest& request);

    // From now on the requests are signalled, those that waited first, in the order
    // they came. Each signal comes from the event loop after the caller has had its
    // answer, so a handler may open a dialog without holding the caller up.
    void Open();

Q_SIGNALS:
    void ActivateRequested(int n);
    void ShowPageRequested(int p);
    void ToggleRequested();
    void ShowRequested();

private:
    friend class ActivationAdaptor;
    // Checks the request against the limits and takes it: empty, or why not (with
    // the D-Bus error name in errorName).
    std::string Take(const ActivationRequest& request, const char** errorName = nullptr);
    void Signal(const ActivationRequest& request);

    QString name_;
    bool onBus_ = false;
    int maxButton_;
    int maxPage_;
    bool open_ = false;
    std::vector<ActivationRequest> waiting_;
};

} // namespace kex
