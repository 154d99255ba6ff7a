#include "ui/window/BarContext.h"

#include <QGuiApplication>

#include <exception>

#include "core/window/Startup.h"
#include "platform/TPlatform.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/pages/PageHooks.h"
#include "ui/widgets/Pictures.h"

namespace kex {

void BarGuard::Guarded(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const std::exception& e) {
        dialogs_.MessageDlg(e.what(), MessageType::mtError, mbOK, 0);
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
        dialogs_.MessageDlg(e.what(), MessageType::mtError, mbOK, 0);
    }
}

void BarGuard::NotifyOnce(const std::string& text)
{
    if (!text.empty() && notified_.insert(text).second)
        dialogs_.Notify(text);
}

BarCursor::~BarCursor() { Show(crDefault); }

void BarCursor::Show(int cursor)
{
    if (cursor == shape_)
        return;
    if (shape_ != crDefault)
        QGuiApplication::restoreOverrideCursor();
    shape_ = cursor;
    switch (cursor) {
    case crHourGlass: QGuiApplication::setOverrideCursor(Qt::WaitCursor); break;
    case crDrag: QGuiApplication::setOverrideCursor(DragCursor()); break;
    case crMultiDrag: QGuiApplication::setOverrideCursor(MultiDragCursor()); break;
    default: break;
    }
}

std::string BarContext::HelpFile() const
{
    return FindHelpFile({appDir, platform.ProgramDirectory(), platform.DataDirectory()});
}

} // namespace kex
