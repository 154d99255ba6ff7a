// Button passwords and the modify lockout as the bar shows them: the password prompt
// in the inline editor, "Incorrect Password", the menu states of the lock, the button
// menu's "Password Protect", the launch gate, and the carrier that moves passwords
// with their records. What is checked and stored is core's PasswordChecks.
#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/protect/PasswordChecks.h"
#include "ui/pages/PageHooks.h"

class QAction;
class QLineEdit;
class QWidget;

namespace kex {

class TDialogs;
struct BarContext;

// The menu items the protection sets and answers.
struct ProtectionMenus {
    QAction* lockoutModify = nullptr;   // "Lockout &Modify" in the gauge panel's menu
    QAction* modifyMenu = nullptr;      // the "&Modify Kexbar Menu" sub-menu's item
    QAction* passwordProtect = nullptr; // "Password Protect" in the button menu
};

// Makes a line edit show "*" for each character while it hides what is typed.
void StarPasswordCharacter(QLineEdit& editor);

// The gates of the page bar and the launcher: modifying while the bar is locked, the
// menu of a protected button, the launch of a protected button, the Run button.
class Protection : public QObject, public ModifyGate, public LaunchGate {
    Q_OBJECT
public:
    // Errors of the item handlers and the prompt are shown through the context's
    // guard; the lock starts unlocked until Start. The prompt opens in the page bar's
    // editor (PromptRequested) and borrows the bar's caption (CaptionLent).
    Protection(BarContext& context, ProtectionMenus menus, QObject* parent);
    ~Protection() override;

    // The start-up check of configuration `iniFile` ("KX" + suffix + ".INI") whose
    // "Location"/"User" reads `user`: converts an older password file, completes a
    // current one, erases the passwords left for empty buttons (of pages of
    // `buttonsPerPage`), sets the lock and its menus. Throws std::runtime_error with
    // the failed write's message ("Unable to write to <file>") when the password file
    // or "User" could not be written, or with what is wrong with a damaged password
    // file; the lock is set even then.
    void Start(const std::string& iniFile, const std::string& suffix, const std::string& user, int buttonsPerPage);

    // The lockout: no page menu, no button menu, no button filled, no Run button.
    bool ModifyLocked() const;
    // Asked before each change the lockout refuses: the lock is read from the
    // password file first, so that a lock set or lifted by another bar on the same
    // configuration holds at once.
    bool ModifyAllowed() override;
    bool RunAllowed() override { return ModifyAllowed(); }
    // The button menu is about to show for button n: "Password Protect" shows (and
    // the answer says) whether the button is protected.
    bool ButtonProtected(int n) override;
    // The launch gate of button n: true when it may start now (its password was just
    // given, or it has none; a given password serves that one launch).
    bool MayLaunch(int n) override;
    // A launch that the gate held, on the bar brought into view: the prompt asks for
    // the password; the right one repeats the launch, and the gate lets it through.
    void Held(int n, TSpeedButton* button, std::function<void()> again) override;

    // "Password Protect" on the menu of button n: the prompt asks for the button's
    // password (for a new protection, the master password first).
    void ProtectButton(int n);

    // A carrier for one change of the configuration: the passwords of button records
    // follow them to their new numbers in the same commit (nothing before Start).
    std::unique_ptr<PasswordTransaction> Transaction() const;

Q_SIGNALS:
    // The password prompt opens in the inline editor.
    void PromptRequested(const InlinePrompt::Request& request);
    // The bar's caption shows `caption` while the prompt is open; CaptionReturned gives
    // the bar its own caption back.
    void CaptionLent(const QString& caption);
    void CaptionReturned();

private:
    // "Lockout &Modify": the prompt asks for the master password.
    void ToggleLockout();
    // Enter in the prompt with its text (the prompt closes after it); an empty text
    // checks nothing.
    void PromptEntered(const std::string& text);
    // Escape in the prompt: nothing is checked or stored.
    void PromptEscaped();
    void OpenPrompt();
    // The prompt is for something else than a held launch: that launch, and a
    // permission it may have left, go.
    void ForgetHeldLaunch();
    void RestoreCaption();
    void Act(const CheckResult& result);
    void ShowState();
    // Runs an item's handler; an error that escapes it is shown.
    void Guarded(const std::function<void()>& handler);

    BarContext& context_;
    TDialogs& dialogs_;
    ProtectionMenus menus_;
    std::function<void()> heldLaunch_; // repeats the launch the prompt was opened for
    std::optional<PasswordChecks> checks_;
    std::string iniFile_;
    bool prompting_ = false; // the caption is lent to the prompt
};

} // namespace kex
