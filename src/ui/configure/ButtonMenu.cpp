// The button menu: the right-click route to it and its preparation.
#include <QAction>
#include <QLineEdit>
#include <QMenu>

#include "ui/dialogs/Dialogs.h"
#include "ui/window/MainWindow.h"
#include "core/launch/CommandLine.h"
#include "ui/protect/Protection.h"
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
    // Check marks and captions from the record.
    const ButtonRecord& r = CurrentRecord;
    MenuItem("SelectFiles1")->setChecked(!r.Select.empty());
    MenuItem("SelectWorkingDirectory1")->setChecked(!r.Working.empty());
    auto soundItem = [this](const char* name, const QString& caption, const std::string& file) {
        QAction* a = MenuItem(name);
        a->setChecked(!file.empty());
        a->setText(file.empty() ? caption : caption + " = " + MenuCaption(PathFileName(file)));
    };
    soundItem("SoundSelect1", "Sound on &Keyboard Select", r.SoundSelect);
    soundItem("SoundLaunch1", "Sound on &Launch", r.SoundLaunch);
    MenuItem("ShrinkOnLaunch2")->setChecked(r.Shrink == "Yes" || (r.Shrink.empty() && settings_.shrinkOnLaunch));
    // The menu only on a loaded button while modifying is not locked out; a protected button offers no move,
    // copy, remove or configure.
    if (!r.Program.empty() && !ModifyLocked()) {
        protection_->ButtonMenuOpening(CurrentButton);
        dialogs_.Popup(PopupMenu1, QPoint(x, y));
        protection_->ButtonMenuClosed();
    }
    // An empty button has no options.
    if (r.Program.empty())
        dialogs_.MessageDlg("Options can only be set on loaded buttons", TMsgDlgType::mtError, mbOK | mbHelp, 26);
}

} // namespace kex
