// The password checks over one configuration's password file: the start-up check
// and the conversion of an older file, setting and clearing the master password
// that locks the bar against changes, the button check behind protecting,
// unprotecting and launching a button, and the one-shot launch permission. Every
// entry point answers what the window is to do; none shows anything itself.
//
// Write failures throw EIniWriteError ("Unable to write to <file>") for the window to
// show; the state stays what the files say (a master password that could not be
// stored does not lock the bar).
#pragma once

#include <optional>
#include <string>

#include "core/protect/PasswordStore.h"

namespace kex {

enum class LockState { Unlocked, Locked };

// What a password is asked for or checked against: the master password or a button's.
class PasswordKey {
public:
    static PasswordKey Main() { return PasswordKey(0); }
    static PasswordKey Button(int n) { return PasswordKey(n); } // n >= 1
    bool IsMain() const { return button_ == 0; }
    int ButtonNumber() const { return button_; }
    // "Main", or the button's record key "SpeedButton" + n.
    std::string RecordName() const;
    bool operator==(const PasswordKey&) const = default;

private:
    explicit PasswordKey(int button) : button_(button) {}
    int button_; // 0: the master password
};

// Help contexts of "Incorrect Password".
inline constexpr int kIncorrectMasterHelp = 40;
inline constexpr int kIncorrectButtonHelp = 47;

// What the window does after a check.
enum class Verdict {
    Nothing,           // nothing changed; the prompt (if open) closes
    AskPassword,       // open the prompt ("   Enter PASSWORD below") for Key()
    IncorrectPassword, // show "Incorrect Password" (warning, OK + Help, HelpContext)
    Locked,            // the master password is set: lock the menus
    Unlocked,          // the right master password: unlock the menus
    Protected,         // the typed password now protects the button
    Unprotected,       // the button's password is gone
    Launch,            // launch the button; after Enter: click it again, and the
                       // gate lets that one launch through
};

struct CheckResult {
    Verdict verdict = Verdict::Nothing;
    int helpContext = 0; // for IncorrectPassword
    int button = 0;      // for Launch, Protected, Unprotected
    bool operator==(const CheckResult&) const = default;
};

// What the start-up check did to the files.
enum class StartupAction {
    None,      // nothing written: "User" said current, or the file cannot be read
    Created,   // no password file: one made with no master password
    Converted, // an older-format file rewritten in the current format
    Completed, // a current file without master record got one, or "User" was written
};

struct StartupResult {
    LockState lock = LockState::Unlocked;
    StartupAction action = StartupAction::None;
    // "Unable to write to <file>" when the password file or "User" could not be
    // written (the next start tries again); the lock state is still right. A damaged
    // password file is reported here too, and left as it is.
    std::optional<std::string> error;
};

class PasswordChecks {
public:
    // The checks of configuration "KX" + suffix + ".INI" and its password file.
    PasswordChecks(PasswordStore store, std::string suffix);

    // Start-up: `user` is the configuration's "Location"/"User" (nothing when
    // absent). Only suffix + ":1" says the password file is current; any other value
    // (absent, the bare suffix, another configuration's suffix, a record name) asks
    // for the conversion, which converts only an older-format file. A password left
    // for an empty button of the bar (its pages of `buttonsPerPage` buttons) is
    // erased, as loading an empty button erases its record with its password: the
    // next program put there starts unprotected.
    StartupResult Start(const std::optional<std::string>& user, int buttonsPerPage);

    LockState Lock() const { return lock_; }
    bool Locked() const { return lock_ == LockState::Locked; }
    // The lock as the password file says now (another bar on the same configuration
    // may have set or lifted it); a file that cannot be read leaves it as it was.
    void RefreshLock();

    // "Lockout &Modify": the prompt opens for the master password.
    CheckResult LockoutModify();
    // The button menu opens for button n: answers whether the button is protected
    // (the protect mark), without a message.
    bool MenuOpened(int n);
    // "Password Protect" on the button menu of button n: flips the protect mark and
    // asks for the password (to protect with, or to unprotect).
    CheckResult PasswordProtect(int n);
    // The launch gate of button n: Launch when it is not protected or its password was
    // just given (that permission is used up here), else AskPassword.
    CheckResult LaunchGate(int n);
    // The launch a right password was given for is over, or will not happen (its
    // files were not chosen, its button changed): the permission goes with it, so
    // that no later launch comes through on it.
    void DropPermission() { permitted_.reset(); }
    // Enter in the prompt. An empty text checks nothing.
    CheckResult Enter(const std::string& typed);

    // The dispatcher: a check of `key` with `entered`; `typed` when it came from the
    // prompt (only then is a wrong password told).
    CheckResult CheckPassword(const PasswordKey& key, const std::string& entered, bool typed);

    const PasswordKey& Key() const { return key_; }
    // The check mark of "Password Protect".
    bool ProtectMark() const { return protectMark_; }

private:
    CheckResult PasswordMain(const std::string& entered, bool typed);
    CheckResult ButtonCheck(int n, const std::string& entered, bool typed);
    void WriteUser();
    void EraseLeftoverPasswords(const PasswordTable& records, int buttonsPerPage);

    PasswordStore store_;
    std::string suffix_;
    LockState lock_ = LockState::Unlocked;
    PasswordKey key_ = PasswordKey::Main();
    bool protectMark_ = false;
    std::optional<int> permitted_; // the button whose right password was just typed
};

} // namespace kex
