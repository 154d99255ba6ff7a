#include "ui/window/BarContext.h"

#include <exception>

#include "core/window/Startup.h"
#include "platform/TPlatform.h"
#include "ui/dialogs/Dialogs.h"

namespace kex {

void BarGuard::Guarded(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const std::exception& e) {
        dialogs_.MessageDlg(e.what(), TMsgDlgType::mtError, mbOK, 0);
    }
}

void BarGuard::WriteReportedOnce(const std::function<void()>& write)
{
    try {
        write();
    } catch (const std::exception& e) {
        if (writeError_ == e.what())
            return;
        writeError_ = e.what();
        dialogs_.MessageDlg(e.what(), TMsgDlgType::mtError, mbOK, 0);
    }
}

std::string BarContext::HelpFile() const
{
    return FindHelpFile({appDir, platform.ProgramDirectory(), platform.DataDirectory()});
}

} // namespace kex
