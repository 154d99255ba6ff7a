// Button records of the main window: read, write and erase a record, and the move,
// copy, remove and put-down commands of the button menu.
#include <QAction>
#include <QMenu>

#include "ui/dialogs/Dialogs.h"
#include "ui/window/MainWindow.h"
#include "core/launch/CommandLine.h"
#include "core/pages/Grid.h"
#include "ui/widgets/SpeedButton.h"
#include "platform/TPlatform.h"

namespace kex {

void MainWindow::ReadButtonInfo(int n) { CurrentRecord = store_->Record(n); }

void MainWindow::EraseButtonInfo(int n) { store_->EraseRecord(n); }

void MainWindow::WriteMoveInfo() { store_->PutRecord(CurrentButton, PendingRecord); }

void MainWindow::MoveCompare() { PendingRecord = CurrentRecord; }

void MainWindow::MoveClear() { PendingRecord = ButtonRecord(); }

bool MainWindow::TakeButton()
{
    // A pending record keeps its source: a refused command must not take it.
    if (!PendingRecord.Program.empty() || !EnsureCurrent())
        return false;
    MoveSource = CurrentButton;
    ReadButtonInfo(MoveSource);
    if (CurrentRecord.Program.empty())
        return false;
    // From here on the record waits in memory under the drag cursor until it is put
    // down.
    SetScreenCursor(crDrag);
    MoveCompare();
    return true;
}

void MainWindow::MoveButton()
{
    if (!TakeButton())
        return;
    // The button shows empty; the record leaves the file.
    GlyphFromIcon(FindButton(MoveSource), "", 0, "", "", "");
    EraseButtonInfo(MoveSource);
    NoteLayout();
    // The other bars of this file reload.
    BroadcastLoad();
    MoveIsMove = true;
}

void MainWindow::CopyButton()
{
    if (TakeButton())
        BroadcastLoad();
}

void MainWindow::PutButton()
{
    // The button pointed at must be the button the file has at that place (a stale
    // bar reloads and the record stays pending).
    if (!EnsureCurrent())
        return;
    int n = CurrentButton;
    ReadButtonInfo(n);
    // Only onto an empty button, and only with a record pending.
    if (!CurrentRecord.Program.empty() || PendingRecord.Program.empty())
        return;
    WriteMoveInfo();
    NoteLayout();
    const ButtonRecord& p = PendingRecord;
    GlyphFromIcon(FindButton(n), p.Program, p.IconIndex, p.Description, p.IconFile, p.Parameters);
    if (MoveIsMove)
        RecentReplace(RecentEntryText(p.Description, p.Program, MoveSource), RecentEntryText(p.Description, p.Program, n));
    // Nothing is pending any more.
    MoveIsMove = false;
    MoveClear();
    BroadcastLoad();
    SetScreenCursor(crDefault);
}

void MainWindow::RemoveButton()
{
    // The button pointed at must be the button the file has at that place.
    if (!EnsureCurrent())
        return;
    int n = CurrentButton;
    ReadButtonInfo(n);
    if (!PendingRecord.Program.empty())
        return;
    // The button shows empty and leaves the recent list.
    GlyphFromIcon(FindButton(n), "", 0, "", "", "");
    RecentReplace(RecentEntryText(CurrentRecord.Description, CurrentRecord.Program, n), "");
    // Nothing is pending any more; the record goes from the file.
    MoveClear();
    EraseButtonInfo(n);
    NoteLayout();
    BroadcastLoad();
    SetScreenCursor(crDefault);
}

void MainWindow::ResolvePendingMoves()
{
    // A moved record lives only in memory while it waits to be put down. Before a
    // rebuild or the end of the program it goes back to where it came from, or, when
    // that button was filled meanwhile, onto the first empty button; a copy is simply
    // dropped (its source still holds it).
    if (!PendingRecord.Program.empty()) {
        if (MoveIsMove)
            store_->ReturnRecord(MoveSource, PendingRecord, ButtonsPerPage);
        MoveIsMove = false;
        MoveClear();
    }
    ResolvePendingPageMove();
    if (ScreenCursor() == crDrag || ScreenCursor() == crMultiDrag)
        SetScreenCursor(crDefault);
}

} // namespace kex
