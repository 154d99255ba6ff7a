// The protection's prompt, messages and menu states over the password checks.
#include "ui/protect/Protection.h"

#include <QAction>
#include <QLineEdit>
#include <QTimer>
#include <QWidget>

#include <stdexcept>

#include "ui/dialogs/Dialogs.h"
#include "ui/window/BarContext.h"

namespace kex {

namespace {
const QString kPromptCaption = "   Enter PASSWORD below";
const QString kPromptHint = "Enter Password";
} // namespace

void StarPasswordCharacter(QLineEdit& editor)
{
    // The style's own mask character is a bullet on most desktops.
    editor.setStyleSheet("QLineEdit { lineedit-password-character: 42; }");
}

Protection::Protection(BarContext& context, ProtectionMenus menus, QObject* parent)
    : QObject(parent), context_(context), dialogs_(context.dialogs), menus_(std::move(menus))
{
    setObjectName("Protection");
    connect(menus_.lockoutModify, &QAction::triggered, this, [this] { Guarded([this] { ToggleLockout(); }); });
    for (QAction* item : {menus_.lockoutModify, menus_.passwordProtect}) {
        item->setVisible(true);
        item->setEnabled(true);
    }
    ShowState();
}

Protection::~Protection() = default;

void Protection::Guarded(const std::function<void()>& handler)
{
    context_.guard.Guarded(handler);
    ShowState();
}

void Protection::Start(const std::string& iniFile, const std::string& suffix, const std::string& user,
                       int buttonsPerPage)
{
    iniFile_ = iniFile;
    checks_.emplace(PasswordStore::ForConfiguration(iniFile), suffix);
    const StartupResult started = checks_->Start(user, buttonsPerPage);
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

bool Protection::ModifyAllowed()
{
    if (checks_) {
        checks_->RefreshLock();
        ShowState();
    }
    return !ModifyLocked();
}

bool Protection::ButtonProtected(int n)
{
    const bool isProtected = checks_ && checks_->MenuOpened(n);
    ShowState();
    return isProtected;
}

bool Protection::MayLaunch(int n)
{
    if (!checks_)
        return true;
    const CheckResult gate = checks_->LaunchGate(n);
    ShowState();
    return gate.verdict == Verdict::Launch;
}

void Protection::Held(int, TSpeedButton*, std::function<void()> again)
{
    heldLaunch_ = std::move(again);
    OpenPrompt();
}

void Protection::ToggleLockout()
{
    if (!checks_)
        return;
    ForgetHeldLaunch();
    checks_->LockoutModify();
    OpenPrompt();
}

void Protection::ProtectButton(int n)
{
    Guarded([&] {
        if (!checks_ || n <= 0)
            return;
        ForgetHeldLaunch();
        checks_->PasswordProtect(n);
        OpenPrompt();
    });
}

void Protection::OpenPrompt()
{
    // The caption of the bar is lent to the prompt.
    prompting_ = true;
    Q_EMIT CaptionLent(kPromptCaption);
    InlinePrompt::Request request;
    request.hint = kPromptHint;
    request.masked = true;
    request.entered = [this](const std::string& text) { Guarded([&] { PromptEntered(text); }); };
    request.cancelled = [this] { PromptEscaped(); };
    Q_EMIT PromptRequested(request);
}

void Protection::RestoreCaption()
{
    if (prompting_)
        Q_EMIT CaptionReturned();
    prompting_ = false;
}

void Protection::ForgetHeldLaunch()
{
    heldLaunch_ = nullptr;
    if (checks_)
        checks_->DropPermission();
}

void Protection::PromptEscaped()
{
    ForgetHeldLaunch();
    RestoreCaption();
}

void Protection::PromptEntered(const std::string& text)
{
    RestoreCaption();
    if (!checks_)
        return;
    Act(checks_->Enter(text));
}

void Protection::Act(const CheckResult& result)
{
    ShowState();
    switch (result.verdict) {
    case Verdict::IncorrectPassword:
        dialogs_.MessageDlg("Incorrect Password", MessageType::mtWarning, mbOK | mbHelp, result.helpContext);
        break;
    case Verdict::Launch: {
        // The right password at launch: the launch is repeated once the prompt has
        // closed, and the gate lets that one through. Whatever became of it (its files
        // not chosen, its button changed meanwhile), the permission ends with it.
        std::function<void()> again = std::exchange(heldLaunch_, nullptr);
        if (!again) {
            checks_->DropPermission();
            break;
        }
        QTimer::singleShot(0, this, [this, again] {
            Guarded(again);
            if (checks_)
                checks_->DropPermission();
        });
        break;
    }
    default: break;
    }
}

std::unique_ptr<PasswordTransaction> Protection::Transaction() const
{
    if (iniFile_.empty())
        return nullptr;
    return std::make_unique<PasswordFileTransaction>(PasswordStore::ForConfiguration(iniFile_));
}

} // namespace kex
