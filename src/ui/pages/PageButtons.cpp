// The page bar's buttons: a click (a pending move is put down, else the launcher
// takes it), the right-click route to the button menu, and the menu's move, copy and
// remove with the settling of a pending move.
#include <QAction>
#include <QMenu>

#include "core/bar/BarStore.h"
#include "core/launch/CommandLine.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/pages/ButtonFaces.h"
#include "ui/pages/PageBar.h"
#include "ui/widgets/SpeedButton.h"
#include "ui/window/BarContext.h"

namespace kex {

namespace {
QString EntryText(const ButtonRecord& r, int n)
{
    return QString::fromStdString(RecentEntryText(r.Description, r.Program, n));
}
} // namespace

void PageBar::ButtonClicked(TSpeedButton* button)
{
    // The click lets the button up again; the caption shows the page.
    button->SetDown(false);
    if (!button->Down())
        Q_EMIT CaptionChanged();
    // A pending move or copy is put down on this button; else the launcher takes the
    // click.
    if (pendingButton_)
        PutButton(button->Number());
    else
        Q_EMIT LaunchRequested(button->Number());
}

void PageBar::ButtonRightMouseDown(TSpeedButton* button, Qt::MouseButton mouse, int x, int y)
{
    if (mouse != Qt::RightButton || EditorOpen())
        return;
    // A pending move or copy is put down here instead.
    if (pendingButton_ || pendingPage_) {
        PutButton(button->Number());
        return;
    }
    OpenButtonMenu(button->Number(), button->mapToGlobal(QPoint(x, y)));
}

void PageBar::OpenButtonMenu(int n, const QPoint& screenPos)
{
    // The menu is for the button the file has at that place.
    if (!EnsureCurrent())
        return;
    const ButtonRecord record = store_.Record(n);
    Q_EMIT ButtonMenuAboutToShow(n, record);
    // An empty button has no options.
    if (record.Program.empty()) {
        dialogs_.MessageDlg("Options can only be set on loaded buttons", MessageType::mtError, mbOK | mbHelp, 26);
        return;
    }
    // The menu only while modifying is not locked out; a protected button offers no
    // move, copy, remove or configure.
    if (!ModifyAllowed())
        return;
    const bool protectedButton = gate_.ButtonProtected(n);
    for (QAction* a : w_.unprotectedItems)
        if (a)
            a->setEnabled(!protectedButton);
    menuButton_ = n;
    dialogs_.Popup(w_.buttonMenu, screenPos);
    menuButton_ = 0;
    for (QAction* a : w_.unprotectedItems)
        if (a)
            a->setEnabled(true);
}

bool PageBar::TakeButton(bool move)
{
    // A pending record keeps its source: a refused command must not take it.
    if (pendingButton_ || menuButton_ == 0 || !EnsureCurrent())
        return false;
    const int n = menuButton_;
    ButtonRecord record = store_.Record(n);
    if (record.Program.empty())
        return false;
    if (move) {
        // The button shows empty; the record leaves the file.
        store_.EraseRecord(n);
        faces_.Blank(FindButton(n));
        NoteLayout();
    }
    // From here on the record waits in memory under the drag cursor until it is put
    // down.
    pendingButton_ = PendingMove{n, std::move(record), move};
    ShowPendingCursor();
    // The other bars of this file reload.
    Q_EMIT FileChanged();
    return true;
}

void PageBar::PutButton(int n)
{
    // The button pointed at must be the button the file has at that place (a stale
    // bar reloads and the record stays pending).
    if (!EnsureCurrent())
        return;
    // Only onto an empty button, and only with a record pending.
    if (!pendingButton_ || !store_.Record(n).Program.empty())
        return;
    const PendingMove put = *pendingButton_;
    store_.PutRecord(n, put.record);
    NoteLayout();
    faces_.Show(FindButton(n), put.record);
    // Nothing is pending any more.
    pendingButton_.reset();
    if (put.isMove)
        Q_EMIT ButtonMoved(put.source, n, EntryText(put.record, put.source), EntryText(put.record, n));
    Q_EMIT FileChanged();
    ShowPendingCursor();
}

void PageBar::RemoveButton()
{
    // The button pointed at must be the button the file has at that place.
    if (menuButton_ == 0 || !EnsureCurrent() || pendingButton_)
        return;
    const int n = menuButton_;
    const ButtonRecord record = store_.Record(n);
    // The button shows empty and leaves the recent list; the record goes from the file.
    faces_.Blank(FindButton(n));
    store_.EraseRecord(n);
    NoteLayout();
    Q_EMIT ButtonRemoved(n, EntryText(record, n));
    Q_EMIT FileChanged();
    ShowPendingCursor();
}

void PageBar::DescriptionChanged(int n, const ButtonRecord& before, const ButtonRecord& after)
{
    faces_.Show(FindButton(n), after);
    Q_EMIT ButtonDescriptionChanged(n, EntryText(before, n), EntryText(after, n));
}

void PageBar::ResolvePendingMoves()
{
    // A moved record lives only in memory while it waits to be put down. Before a
    // rebuild or the end of the program it goes back to where it came from, or, when
    // that button was filled meanwhile, onto the first empty button; a copy is simply
    // dropped (its source still holds it).
    if (pendingButton_) {
        if (pendingButton_->isMove)
            store_.ReturnRecord(pendingButton_->source, pendingButton_->record, buttonsPerPage_);
        pendingButton_.reset();
    }
    ResolvePendingPageMove();
    if (context_.cursor.Shape() == crDrag || context_.cursor.Shape() == crMultiDrag)
        context_.cursor.Show(crDefault);
}

} // namespace kex
