// The protection's prompt, messages and menu states over the password checks.
#include "ui/protect/Protection.h"

#include <QAction>
#include <QLineEdit>
#include <QTimer>
#include <QWidget>

#include <stdexcept>

#include "ui/dialogs/Dialogs.h"

namespace kex {

namespace {
const QString kPromptCaption = "   Enter PASSWORD below";
const QString kPromptHint = "Enter Password";
} // namespace

void MaskForPassword(QLineEdit& editor)
{
    // The style's own mask character is a bullet on most desktops.
    editor.setStyleSheet("QLineEdit { lineedit-password-character: 42; }");
    editor.setEchoMode(QLineEdit::Password);
}

Protection::Protection(QWidget& window, TDialogs& dialogs, ProtectionMenus menus, ProtectionHooks hooks)
    : QObject(&window), window_(window), dialogs_(dialogs), menus_(std::move(menus)), hooks_(std::move(hooks))
{
    connect(menus_.lockoutModify, &QAction::triggered, this, [this] { Guarded([this] { LockoutModify1Click(); }); });
    connect(menus_.passwordProtect, &QAction::triggered, this,
            [this] { Guarded([this] { PasswordProtect1Click(); }); });
    for (QAction* item : {menus_.lockoutModify, menus_.passwordProtect}) {
        item->setVisible(true);
        item->setEnabled(true);
    }
    ShowState();
}

Protection::~Protection() = default;

void Protection::Guarded(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const std::exception& e) {
        dialogs_.MessageDlg(e.what(), TMsgDlgType::mtError, mbOK, 0);
    }
    ShowState();
}

void Protection::Start(const std::string& iniFile, const std::string& suffix, const std::string& user)
{
    iniFile_ = iniFile;
    checks_.emplace(PasswordStore::ForConfiguration(iniFile), suffix);
    const StartupResult started = checks_->Start(user);
    ShowState();
    if (started.error)
        throw std::runtime_error(*started.error);
}

void Protection::ShowState()
{
    // The lock's menu states, and the protect mark as the last check left it.
    const bool locked = ModifyLocked();
    menus_.lockoutModify->setChecked(locked);
    menus_.modifyMenu->setEnabled(!locked);
    menus_.passwordProtect->setChecked(checks_ && checks_->ProtectMark());
}

bool Protection::ModifyLocked() const { return checks_ && checks_->Locked(); }

bool Protection::RunAllowed()
{
    if (!ModifyLocked())
        return true;
    dialogs_.MessageDlg("The Run function has been turned off", TMsgDlgType::mtInformation, mbOK, 0);
    return false;
}

void Protection::ButtonMenuOpening(int n)
{
    menuButton_ = n;
    const bool isProtected = checks_ && checks_->MenuOpened(n);
    ShowState();
    for (QAction* item : menus_.protectedOff)
        item->setEnabled(!isProtected);
}

void Protection::ButtonMenuClosed()
{
    for (QAction* item : menus_.protectedOff)
        item->setEnabled(true);
}

bool Protection::LaunchGate(int n)
{
    if (!checks_)
        return true;
    const CheckResult gate = checks_->LaunchGate(n);
    ShowState();
    if (gate.verdict == Verdict::Launch)
        return true;
    // The prompt shows on the full bar.
    hooks_.bringBarBack();
    OpenPrompt();
    return false;
}

void Protection::LockoutModify1Click()
{
    if (!checks_)
        return;
    checks_->LockoutModify();
    OpenPrompt();
}

void Protection::PasswordProtect1Click()
{
    if (!checks_ || menuButton_ <= 0)
        return;
    checks_->PasswordProtect(menuButton_);
    OpenPrompt();
}

void Protection::OpenPrompt()
{
    // The caption of the bar is lent to the prompt (once, when a second prompt
    // replaces an open one).
    if (!prompting_)
        savedCaption_ = window_.windowTitle();
    prompting_ = true;
    window_.setWindowTitle(kPromptCaption);
    hooks_.openPrompt(kPromptHint);
}

void Protection::RestoreCaption()
{
    if (prompting_)
        window_.setWindowTitle(savedCaption_);
    prompting_ = false;
}

void Protection::PromptEscaped() { RestoreCaption(); }

void Protection::PromptEntered(const QString& text)
{
    // The prompt closes before anything is told or stored.
    RestoreCaption();
    hooks_.closePrompt();
    if (!checks_)
        return;
    Act(checks_->Enter(text.toStdString()));
}

void Protection::Act(const CheckResult& result)
{
    ShowState();
    switch (result.verdict) {
    case Verdict::IncorrectPassword:
        dialogs_.MessageDlg("Incorrect Password", TMsgDlgType::mtWarning, mbOK | mbHelp, result.helpContext);
        break;
    case Verdict::Launch: {
        // The right password at launch: the button is clicked again once the key
        // press has been handled, and the gate lets that click through.
        const int n = result.button;
        QTimer::singleShot(0, this, [this, n] { hooks_.clickButton(n); });
        break;
    }
    default:
        break;
    }
}

std::unique_ptr<PasswordTransaction> Protection::Transaction() const
{
    if (iniFile_.empty())
        return nullptr;
    return std::make_unique<PasswordFileTransaction>(PasswordStore::ForConfiguration(iniFile_));
}

} // namespace kex
