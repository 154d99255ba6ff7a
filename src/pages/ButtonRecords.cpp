// Button records of the main window: read, write and erase a record, and the move,
// copy, remove and put-down commands of the button menu.
#include <QAction>
#include <QMenu>

#include "app/Dialogs.h"
#include "app/Settings.h"
#include "pages/PageShift.h"
#include "app/UKexbar.h"
#include "launch/CommandLine.h"
#include "pages/Grid.h"
#include "pages/SpeedButton.h"
#include "platform/TPlatform.h"

namespace kex {

void TForm1::ReadButtonInfo(int n)
{
    TNewIniFile ini(IniFileName());
    IniDocument doc = ini.Document();
    RecordStore store(doc, Passwords());
    CurrentRecord = store.Read(n);
    HeldPassword = store.HeldPassword;
    // The probe of the page rebuild: a record with a program marks the run not blank.
    if (!CurrentRecord.Program.empty() && ini.ReadString("Button", "Blank", "") != "No")
        ini.WriteString("Button", "Blank", "No");
}

void TForm1::WriteButtonInfo(int n)
{
    TNewIniFile(IniFileName()).Modify([&](IniDocument& d) {
        RecordStore store(d, Passwords());
        store.HeldPassword = HeldPassword;
        store.Write(n, CurrentRecord);
    });
    HeldPassword.clear();
}

void TForm1::EraseButtonInfo(int n)
{
    TNewIniFile(IniFileName()).Modify([&](IniDocument& d) { RecordStore(d, Passwords()).Erase(n); });
}

void TForm1::WriteMoveInfo()
{
    TNewIniFile(IniFileName()).Modify(
        [&](IniDocument& d) { RecordStore(d).WriteMove(NumberFromName(CurrentButton), PendingRecord); });
}

void TForm1::MoveCompare() { PendingRecord = CurrentRecord; }

void TForm1::MoveClear() { PendingRecord = ButtonRecord(); }

void TForm1::MoveButton()
{
    // 1. A pending record keeps its source: a refused command must not take it.
    if (!PendingRecord.Program.empty() || !EnsureCurrent())
        return;
    MoveSource = NumberFromName(CurrentButton);
    ReadButtonInfo(MoveSource);
    if (CurrentRecord.Program.empty())
        return;
    // 2.
    SetScreenCursor(crDrag);
    GlyphFromIcon(FindButton(MoveSource), "", 0, "", "", "");
    // 3. From here on the record lives only in memory until it is put down.
    MoveCompare();
    EraseButtonInfo(MoveSource);
    NoteLayout();
    // 4.
    BroadcastLoad();
    MoveIsMove = 1;
}

void TForm1::CopyButton()
{
    if (!PendingRecord.Program.empty() || !EnsureCurrent())
        return;
    MoveSource = NumberFromName(CurrentButton);
    ReadButtonInfo(MoveSource);
    if (CurrentRecord.Program.empty())
        return;
    SetScreenCursor(crDrag);
    MoveCompare();
    BroadcastLoad();
}

void TForm1::PutButton()
{
    // 1. The button pointed at must be the button the file has at that place (a stale
    // bar reloads and the record stays pending).
    if (!EnsureCurrent())
        return;
    int n = NumberFromName(CurrentButton);
    ReadButtonInfo(n);
    // 2. Only onto an empty button, and only with a record pending.
    if (!CurrentRecord.Program.empty() || PendingRecord.Program.empty())
        return;
    WriteMoveInfo();
    NoteLayout();
    const ButtonRecord& p = PendingRecord;
    GlyphFromIcon(FindButton(n), p.Program, p.IconIndex, p.Description, p.IconFile, p.Parameters);
    if (MoveIsMove == 1)
        RecentReplace(RecentEntryText(p.Description, p.Program, MoveSource), RecentEntryText(p.Description, p.Program, n));
    // 3.
    MoveIsMove = 0;
    MoveClear();
    BroadcastLoad();
    SetScreenCursor(crDefault);
}

void TForm1::RemoveButton()
{
    // 1.
    if (!EnsureCurrent())
        return;
    int n = NumberFromName(CurrentButton);
    ReadButtonInfo(n);
    if (!PendingRecord.Program.empty())
        return;
    // 2.
    GlyphFromIcon(FindButton(n), "", 0, "", "", "");
    RecentReplace(RecentEntryText(CurrentRecord.Description, CurrentRecord.Program, n), "");
    // 3.
    MoveClear();
    EraseButtonInfo(n);
    NoteLayout();
    BroadcastLoad();
    SetScreenCursor(crDefault);
}

void TForm1::ResolvePendingMoves()
{
    // A moved record lives only in memory while it waits to be put down. Before a
    // rebuild or the end of the program it goes back to where it came from, or, when
    // that button was filled meanwhile, onto the first empty button; a copy is simply
    // dropped (its source still holds it).
    if (!PendingRecord.Program.empty()) {
        if (MoveIsMove == 1) {
            TNewIniFile(IniFileName()).Modify([&](IniDocument& d) {
                RecordStore store(d);
                // The pages the file gives the bar from now on (another instance may
                // have changed their count before this rebuild).
                const int pages = ReadPageCount(d, IniFileName());
                int target = MoveSource;
                if (target <= 0 || target > pages * ButtonsPerPage || !store.Read(target).Program.empty()) {
                    // The first empty button; when every button is taken, the first
                    // free number after them, and the bar grows to show its page.
                    target = 1;
                    while (!store.Read(target).Program.empty())
                        ++target;
                    if (target > pages * ButtonsPerPage)
                        d.WriteInteger(settings::PageCount.section, settings::PageCount.key,
                                       PageOfButton(target, ButtonsPerPage) + 1);
                }
                store.Erase(target); // keys left without a program are not mixed in
                store.WriteMove(target, PendingRecord);
                d.WriteString("Button", "Blank", "No");
            });
        }
        MoveIsMove = 0;
        MoveClear();
    }
    ResolvePendingPageMove();
    if (ScreenCursor() == crDrag || ScreenCursor() == crMultiDrag)
        SetScreenCursor(crDefault);
}

} // namespace kex
