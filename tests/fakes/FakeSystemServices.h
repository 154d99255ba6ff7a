// A SystemServices for tests: a settable drive and answers, a record of what was
// asked. Answers come later, from the event loop, as the real services' do.
#pragma once

#include <QPointer>
#include <QTimer>

#include <vector>

#include "platform/SystemServices.h"

namespace kex {

class FakeSystemServices : public SystemServices {
public:
    bool cdDrive = false;
    CdTrayOutcome cdOutcome; // what a press answers (with a drive)
    SystemResult screenSaverResult{true, "org.freedesktop.ScreenSaver", {}};
    SystemResult powerResult{true, "org.freedesktop.login1", {}};

    int cdPresses = 0;
    int screenSaverRequests = 0;
    std::vector<PowerAction> powerRequests;
    std::function<void()> duringPowerRequest; // runs inside each power request, before it answers

    bool CdTrayPresent() override { return cdDrive; }
    void ToggleCdTray(QObject* context, std::function<void(const CdTrayOutcome&)> done) override
    {
        ++cdPresses;
        Answer(context, std::move(done), cdDrive ? cdOutcome : CdTrayOutcome{});
    }
    void ActivateScreenSaver(QObject* context, std::function<void(const SystemResult&)> done) override
    {
        ++screenSaverRequests;
        Answer(context, std::move(done), screenSaverResult);
    }
    void RequestPower(PowerAction action, QObject* context, std::function<void(const SystemResult&)> done) override
    {
        powerRequests.push_back(action);
        if (duringPowerRequest)
            duringPowerRequest();
        Answer(context, std::move(done), powerResult);
    }

private:
    template <typename Result> void Answer(QObject* context, std::function<void(const Result&)> done, Result result)
    {
        QTimer::singleShot(0, &home_, [context = QPointer<QObject>(context), done = std::move(done), result] {
            if (context && done)
                done(result);
        });
    }

    QObject home_; // pending answers die with the fake
};

} // namespace kex
