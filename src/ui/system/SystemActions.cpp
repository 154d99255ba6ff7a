#include "ui/system/SystemActions.h"

#include <QAction>
#include <QWidget>

#include "core/bar/BarStore.h"
#include "platform/SystemServices.h"
#include "platform/TPlatform.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/window/BarContext.h"

namespace kex {

SystemActions::SystemActions(BarContext& context, SystemMenuItems items, HintWidgets widgets, QObject* parent)
    : QObject(parent), context_(context), exitWindows_(items.exitWindows), restartWindows_(items.restartWindows),
      showHints_(items.showHints), confirmExit_(items.confirmExit), widgets_(widgets)
{
    setObjectName("SystemActions");
    auto guarded = [this](auto handler) { return [this, handler] { context_.guard.Guarded(handler); }; };
    auto guardedCheck = [this](void (SystemActions::*handler)(bool)) {
        return [this, handler](bool on) { context_.guard.Guarded([&] { (this->*handler)(on); }); };
    };
    connect(items.cdTray, &QAction::triggered, this, guarded([this] { ToggleCdTray(); }));
    connect(items.screenSaver, &QAction::triggered, this, guarded([this] { ActivateScreenSaver(); }));
    connect(items.exitWindows, &QAction::triggered, this, guarded([this] { RequestPower(PowerAction::PowerOff); }));
    connect(items.restartWindows, &QAction::triggered, this, guarded([this] { RequestPower(PowerAction::Reboot); }));
    // A checkable item has taken its new check mark when it is triggered.
    connect(items.showHints, &QAction::triggered, this, guardedCheck(&SystemActions::ToggleHints));
    connect(items.confirmExit, &QAction::triggered, this, guardedCheck(&SystemActions::ToggleExitOptions));
    for (QAction* item : {items.cdTray, items.screenSaver, items.exitKexbar, items.exitWindows, items.restartWindows,
                          items.showHints, items.confirmExit})
        item->setVisible(true);
    confirmExit_->setChecked(askBeforeExit_);
}

// ------------------------------------------------------------------ the CD tray, the screen saver

void SystemActions::ToggleCdTray()
{
    // Without a drive the item was removed at start-up (it may be gone by now); F8 asks the service, which does nothing
    // then. What the drive did is not shown, as for a drive that cannot be opened.
    context_.platform.System().ToggleCdTray(this, nullptr);
}

void SystemActions::ActivateScreenSaver() { context_.platform.System().ActivateScreenSaver(this, nullptr); }

// ------------------------------------------------------------------ shutting down, restarting

void SystemActions::RequestPower(PowerAction action)
{
    // One request at a time: the first one's answer decides.
    if (pendingPower_ || ending_)
        return;
    bool settled = true;
    Q_EMIT SettleRequested(settled);
    if (!settled)
        return;
    pendingPower_ = action;
    context_.platform.System().RequestPower(action, this, [this, action](const SystemResult& result) {
        context_.guard.Guarded([&] { PowerAnswered(action, result); });
    });
}

void SystemActions::PowerAnswered(PowerAction action, const SystemResult& result)
{
    pendingPower_.reset();
    if (result.ok) {
        ending_ = true;
        Q_EMIT CloseRequested();
        return;
    }
    // A refusal is said: the bar goes on, and the user knows the computer stays up.
    context_.dialogs.MessageDlg(PowerRefusalMessage(action, result.reason), MessageType::mtError, mbOK, 0);
}

bool SystemActions::HoldsClose(const QAction* chosen) const
{
    return chosen && !ending_ && (chosen == exitWindows_ || chosen == restartWindows_);
}

void SystemActions::ApplyExitSetting(bool ask)
{
    askBeforeExit_ = ask;
    confirmExit_->setChecked(ask);
}

void SystemActions::ToggleExitOptions(bool on)
{
    askBeforeExit_ = on;
    context_.store.SaveCheckExit(on);
}

// ------------------------------------------------------------------ the general hints

void SystemActions::ApplyHintSetting(std::optional<bool> on)
{
    if (!on)
        return;
    showHints_->setChecked(*on);
    SetHints(*on);
}

void SystemActions::ToggleHints(bool on)
{
    SetHints(on);
    context_.store.SaveShowHint(on);
}

void SystemActions::SetHints(bool on)
{
    hints_ = GeneralHints(on);
    widgets_.help->setToolTip(QString::fromStdString(hints_.help));
    widgets_.tabs->setToolTip(QString::fromStdString(hints_.tabs));
    widgets_.run->setToolTip(QString::fromStdString(hints_.run));
    Q_EMIT HintsChanged(hints_);
}

} // namespace kex
