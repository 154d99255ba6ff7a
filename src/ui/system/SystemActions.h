// SystemActions: the commands that act on the machine or on the bar as a whole: the CD
// tray, the screen saver, shutting down and restarting from the exit options, the
// exit question's switch and the general hints. The machine's side is
// TPlatform::System(); nothing here waits for it.
#pragma once

#include <QObject>

#include <optional>

#include "core/system/GeneralHints.h"
#include "core/system/Power.h"
#include "ui/window/BarMenus.h"

class QAction;
class QWidget;

namespace kex {

struct BarContext;
struct SystemResult;

// The controls whose hints the general hints switch sets at once.
struct HintWidgets {
    QWidget* help = nullptr; // "HelpButton"
    QWidget* tabs = nullptr; // "TabSet1"
    QWidget* run = nullptr;  // "RunButton"
};

class SystemActions : public QObject {
    Q_OBJECT
public:
    // Connects and shows the items; "Show General &Hints" keeps the check mark the
    // start-up pass gives it, "Show Exit &Options" shows the exit question's setting.
    SystemActions(BarContext& context, SystemMenuItems items, HintWidgets widgets, QObject* parent);

    // The start-up pass: the stored "ShowHint" (on, off, or any other value, which
    // leaves the hints and the check mark as they are).
    void ApplyHintSetting(std::optional<bool> on);
    const GeneralHintTexts& Hints() const { return hints_; }
    // The start-up pass: the stored "CheckExit".
    void ApplyExitSetting(bool ask);
    // Whether closing the bar asks first and then offers the exit options.
    bool AsksBeforeExit() const { return askBeforeExit_; }

    // The close question showed the exit options and `chosen` was taken (null: none):
    // whether the bar stays open because a shutdown or restart chosen there waits for
    // the computer's answer. The bar closes when the computer agrees (CloseRequested)
    // and stays, with a message, when it refuses.
    bool HoldsClose(const QAction* chosen) const;
    // The computer agreed to shut down or restart: the bar ends without asking again.
    bool Ending() const { return ending_; }

public Q_SLOTS:
    // "Open/Close CD Tray" and F8: one press of the first optical drive's tray, carried
    // out off the window's thread. Nothing is shown, also without a drive.
    void ToggleCdTray();
    // "Activate Screen Saver" and F9.
    void ActivateScreenSaver();

Q_SIGNALS:
    // A shutdown or restart is about to be asked for: the bar settles its pending
    // moves and writes its place now (the computer may end it without a close), and
    // clears `settled` when that failed (the error shown); nothing is asked for then.
    void SettleRequested(bool& settled);
    // The computer agreed to shut down or restart: the bar closes.
    void CloseRequested();
    // The general hints were switched on or off. The page buttons take the button
    // hint when they are made again, the tray icon its tail at the next start.
    void HintsChanged(const GeneralHintTexts& hints);

private:
    void ToggleHints(bool on);
    void ToggleExitOptions(bool on);
    void RequestPower(PowerAction action);
    void PowerAnswered(PowerAction action, const SystemResult& result);
    void SetHints(bool on);

    BarContext& context_;
    QAction* exitWindows_;
    QAction* restartWindows_;
    QAction* showHints_;
    QAction* confirmExit_;
    bool askBeforeExit_ = false;
    HintWidgets widgets_;
    GeneralHintTexts hints_;
    std::optional<PowerAction> pendingPower_; // asked for, not answered yet
    bool ending_ = false;
};

} // namespace kex
