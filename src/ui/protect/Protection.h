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
#include <vector>

#include "core/protect/PasswordChecks.h"

class QAction;
class QLineEdit;
class QWidget;

namespace kex {

class TDialogs;

// What the bar lends the protection: its inline editor for the prompt, and the moves
// a password can ask of the bar.
struct ProtectionHooks {
    // Opens the inline editor for a password (mode "Lockout"): empty, with `hint` as
    // its tool tip, masked (MaskForPassword), focused. The bar hands Enter to
    // Protection::PromptEntered and Escape to Protection::PromptEscaped, and closes
    // the editor (unmasked) after either.
    std::function<void(const QString& hint)> openPrompt;
    // Closes the editor now; the selection edit takes the focus.
    std::function<void()> closePrompt;
    // Brings the full bar back where a launch shrank or hid it.
    std::function<void()> bringBarBack;
    // Clicks button n as the user would.
    std::function<void(int n)> clickButton;
};

// The menu items the protection sets and answers.
struct ProtectionMenus {
    QAction* lockoutModify = nullptr;   // "Lockout &Modify" in the gauge panel's menu
    QAction* modifyMenu = nullptr;      // the "&Modify Kexbar Menu" sub-menu's item
    QAction* passwordProtect = nullptr; // "Password Protect" in the button menu
    // The button menu's items a protected button does not offer while its menu shows.
    std::vector<QAction*> protectedOff;
};

// Makes a line edit show "*" for each character (until its echo mode is set back).
void MaskForPassword(QLineEdit& editor);

class Protection : public QObject {
    Q_OBJECT
public:
    // window: whose caption the prompt borrows. Errors of the item handlers go to
    // `dialogs` as error boxes; the lock starts unlocked until Start.
    Protection(QWidget& window, TDialogs& dialogs, ProtectionMenus menus, ProtectionHooks hooks);
    ~Protection() override;

    // The start-up check of configuration `iniFile` ("KX" + suffix + ".INI") whose
    // "Location"/"User" reads `user`: converts an older password file, completes a
    // current one, sets the lock and its menus. Throws EIniWriteError-like
    // std::runtime_error ("Unable to write to <file>") when the password file or
    // "User" could not be written; the lock is set even then.
    void Start(const std::string& iniFile, const std::string& suffix, const std::string& user);

    // The lockout: no page menu, no button menu, no button filled, no Run button.
    bool ModifyLocked() const;
    // The Run button asks: answers false while locked, after telling the user.
    bool RunAllowed();
    // The button menu is about to show for button n: "Password Protect" shows whether
    // the button is protected, and a protected button's move, copy, remove and
    // configure items are off until ButtonMenuClosed.
    void ButtonMenuOpening(int n);
    void ButtonMenuClosed();
    // The launch gate of button n: true when it may start now. A protected button
    // brings the bar back and asks for its password instead; the right one clicks
    // the button again, and that click starts it.
    bool LaunchGate(int n);

    // "Lockout &Modify": the prompt asks for the master password.
    void LockoutModify1Click();
    // "Password Protect" on the menu of the button ButtonMenuOpening named.
    void PasswordProtect1Click();
    // Enter in the prompt with its text: the prompt closes; an empty text checks
    // nothing.
    void PromptEntered(const QString& text);
    // Escape in the prompt: nothing is checked or stored.
    void PromptEscaped();
    bool PromptOpen() const { return prompting_; }

    // A carrier for one change of the configuration: the passwords of button records
    // follow them to their new numbers in the same commit (nothing before Start).
    std::unique_ptr<PasswordTransaction> Transaction() const;

private:
    void OpenPrompt();
    void RestoreCaption();
    void Act(const CheckResult& result);
    void ShowState();
    // Runs an item's handler; an error that escapes it is shown.
    void Guarded(const std::function<void()>& handler);

    QWidget& window_;
    TDialogs& dialogs_;
    ProtectionMenus menus_;
    ProtectionHooks hooks_;
    std::optional<PasswordChecks> checks_;
    std::string iniFile_;
    int menuButton_ = 0; // the button whose menu shows
    bool prompting_ = false;
    QString savedCaption_;
};

} // namespace kex
