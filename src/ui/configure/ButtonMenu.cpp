// The button menu: the right-click route to it and its preparation.
#include <QAction>
#include <QLineEdit>
#include <QMenu>

#include "ui/configure/ButtonConfigurator.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/window/MainWindow.h"
#include "ui/widgets/SpeedButton.h"

namespace kex {

void MainWindow::SpeedRightMouseDown(TSpeedButton* button, Qt::MouseButton mouse, int x, int y)
{
    if (mouse != Qt::RightButton || PageName->isVisible())
        return;
    // The screen point of (X, Y) on the button.
    QPoint screen = button->mapToGlobal(QPoint(x, y));
    SetButtonParams(screen.x(), screen.y(), button);
}

void MainWindow::SetButtonParams(int x, int y, TSpeedButton* button)
{
    // A pending move or copy is put down here instead.
    CurrentButton = button->Number();
    if (ScreenCursor() != crDefault) {
        PutButton();
        return;
    }
    // The menu is for the button the file has at that place.
    if (!EnsureCurrent())
        return;
    MoveSource = button->Number();
    ReadButtonInfo(MoveSource);
    EnteredPassword.clear();
    CheckPassword(ButtonKey(CurrentButton));
    // The configure items show this button's settings.
    const ButtonRecord& r = CurrentRecord;
    configurator_->MenuAboutToShow(CurrentButton, r);
    // The menu only on a loaded button while modifying is not locked out; a protected button offers no move,
    // copy, remove or configure.
    if (!r.Program.empty() && !ModifyLocked()) {
        const bool protectedButton = MenuItem("PasswordProtect1")->isChecked();
        const char* guarded[] = {"MoveButton1", "CopyButton1", "RemoveButton1", "ConfigureButton1"};
        for (const char* name : guarded)
            MenuItem(name)->setEnabled(!protectedButton);
        dialogs_.Popup(PopupMenu1, QPoint(x, y));
        for (const char* name : guarded)
            MenuItem(name)->setEnabled(true);
    }
    // An empty button has no options.
    if (r.Program.empty())
        dialogs_.MessageDlg("Options can only be set on loaded buttons", TMsgDlgType::mtError, mbOK | mbHelp, 26);
}

} // namespace kex
