// Page management: selecting pages, the page menu, the inline editor, adding,
// deleting, moving and counting pages, the tab colours, and the page rebuild.
#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QStackedWidget>

#include "app/Dialogs.h"
#include "app/Settings.h"
#include "app/UKexbar.h"
#include "pages/PageShift.h"
#include "pages/Renumber.h"
#include "pages/SpeedButton.h"
#include "pages/TabSet.h"
#include "platform/TPlatform.h"

namespace kex {

namespace {
const QColor kRenameTabColor(255, 0, 0); // colour value 255 while a page name is edited
}

void TForm1::TabSet1Click()
{
    // 1. - 2.
    FormCaption();
    const int p = TabSet1->TabIndex() + 1;
    if (p >= 1 && p <= Notebook1->count())
        Notebook1->setCurrentIndex(p - 1);
    // 3.
    const int total = PageCount() * ButtonsPerPage;
    if (KeySelection >= 1 && KeySelection <= total)
        if (TSpeedButton* b = FindButton(KeySelection))
            b->SetDown(false);
    // 4. Parked just before the page's first button; on the first page, at the last
    // button of the last page.
    KeySelection = (p - 1) * ButtonsPerPage;
    if (KeySelection == 0)
        KeySelection = total;
    // 5.
    FormCaption();
}

void TForm1::TabSet1MouseDown(Qt::MouseButton button, int x, int y)
{
    // 1.
    if (button != Qt::RightButton || PageName->isVisible() || ModifyLocked())
        return;
    // 2. A click where no tab lies selects nothing and opens nothing.
    const int tab = TabSet1->ItemAtPos(QPoint(x, y));
    if (tab < 0)
        return;
    if (tab != TabSet1->TabIndex()) {
        TabSet1->SetTabIndex(tab);
        TabSet1Click();
    }
    // 3. - 4. The cursor as it was at the press decides: the menu runs its command
    // before it returns, and a move started from it must wait for the next press.
    const int cursor = ScreenCursor();
    if (!EnsureCurrent())
        return;
    if (cursor == crDefault) {
        const QPoint client(x + Panel1->width(), y);
        dialogs_.Popup(PopupMenu2, mapToGlobal(client));
    } else if (cursor == crMultiDrag) {
        // A pending page move is dropped before this tab.
        AddPage();
    }
}

void TForm1::TabName()
{
    const int s = TabSet1->TabIndex();
    if (s < 0)
        return;
    PageName->setToolTip("Enter new name for Selected Page Tab");
    PageName->setText(TabSet1->Tabs().value(s));
    EditMode = "Tab";
    TabSet1->SetSelectedColor(kRenameTabColor);
    PageName->show();
    PageName->raise();
    PageName->setFocus();
}

void TForm1::TabCount(QAction* sender)
{
    if (sender != MenuItem("TotalPages1"))
        return;
    PageName->setToolTip("Enter # of Total Pages you want");
    PageName->setText(QString::number(PageCount()));
    EditMode = "Page";
    PageName->show();
    PageName->raise();
    PageName->setFocus();
}

void TForm1::CloseEditor()
{
    PageName->clear();
    EditMode.clear();
    PageName->hide();
    PageName->setEchoMode(QLineEdit::Normal);
    TabSet1->SetSelectedColor(ColorFromValue(TabSelectedColor));
    Keys->setFocus();
}

void TForm1::PageNameKeyDown(int key)
{
    const std::string text = PageName->text().toStdString();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        const std::string mode = EditMode;
        // A page name or count typed for pages that changed meanwhile is not taken.
        if ((mode == "Tab" || mode == "Page") && !EnsureCurrent()) {
            CloseEditor();
            return;
        }
        // 1. A new name for the selected page.
        if (mode == "Tab" && !text.empty()) {
            const int p = TabSet1->TabIndex() + 1;
            WriteToIniS(std::string(settings::TabsSection), PageTabKey(p), text);
            TabSet1->SetTabCaption(p - 1, QString::fromStdString(text));
            NoteLayout();
        }
        // 2. The password prompt.
        if (mode == "Lockout")
            PasswordEntered(text);
        // 3. A button's description or parameters.
        if ((mode == "Button" || mode == "Parameter") && !text.empty())
            ButtonTextEntered(mode, text);
        // 4. The total page count, at least two. A page whose move is pending goes
        // back to its place first, so that the count typed is the count the bar gets.
        if (mode == "Page" && !text.empty()) {
            CloseEditor();
            ResolvePendingPageMove();
            BackupBeforeRebuild();
            WriteToIniI(std::string(settings::PageCount.section), std::string(settings::PageCount.key),
                        ParsePageCount(text));
            PageUpdate(true);
        }
        BroadcastLoad();
        CloseEditor();
    } else if (key == Qt::Key_Escape) {
        if (EditMode == "Lockout")
            RestoreCaptionAfterPrompt();
        CloseEditor();
    } else if (key == Qt::Key_F1) {
        EditMode.clear();
        dialogs_.SetHelpFile(HelpFileName());
        dialogs_.ShowHelp(0);
        Keys->setFocus();
    }
}

// ------------------------------------------------------------------ add, delete, move

void TForm1::AddPage()
{
    const int s = TabSet1->TabIndex();
    const int c = PageCount();
    if (s < 0 || !EnsureCurrent())
        return;
    // 1. - 2. A pending move is completed here with its name and buttons.
    const bool completing = ScreenCursor() == crMultiDrag && PageBuffer.Pending();
    const std::string name = completing ? MovedPageName : NewPageName(s);
    // 3.
    SetScreenCursor(crHourGlass);
    BackupBeforeRebuild();
    // 4. - 7. The pages from the selected one on move one place right, as one rewrite.
    TNewIniFile(IniFileName()).Modify([&](IniDocument& d) {
        RecordStore store(d, Passwords());
        InsertPageRecords(store, s, c, ButtonsPerPage, name, completing ? &PageBuffer : nullptr);
    });
    // 8. The page is in the file now: nothing is pending any more.
    PageBuffer.Clear();
    ListBox2.clear();
    MovedPageName.clear();
    PageUpdate(true);
    if (s < TabSet1->Count()) {
        TabSet1->SetTabIndex(s);
        TabSet1Click();
    }
    BroadcastLoad();
}

void TForm1::DeletePage(QAction* sender)
{
    const int s = TabSet1->TabIndex();
    const int c = PageCount();
    if (s < 0)
        return;
    // 1.
    const bool move = sender == MenuItem("MovePage1");
    const std::string verb = move ? "Move" : "Delete";
    if (!CanDeletePage(c)) {
        dialogs_.MessageDlg("The only page of the bar cannot be " + std::string(move ? "moved" : "deleted") + ".",
                            TMsgDlgType::mtWarning, mbOK, 0);
        return;
    }
    // 2.
    const std::string pageName = TabSet1->Tabs().value(s).toStdString();
    if (dialogs_.MessageDlg("Are you sure you want to " + verb + " the \"" + pageName + "\" Page?",
                            TMsgDlgType::mtWarning, mbYes | mbNo, 0) != TModalResult::mrYes)
        return;
    // The page asked about must still be the page at that place.
    if (!EnsureCurrent())
        return;
    // 3. - 6.
    SetScreenCursor(crHourGlass);
    BackupBeforeRebuild();
    PageMoveBuffer taken;
    TNewIniFile(IniFileName()).Modify([&](IniDocument& d) {
        RecordStore store(d, Passwords());
        taken = DeletePageRecords(store, s, c, ButtonsPerPage, move);
    });
    // 7.
    PageUpdate(true);
    // 8. The move waits for the tab before which the page goes.
    if (move) {
        PageBuffer = taken;
        ListBox2 = taken.Fields;
        MovedPageName = taken.Name;
        SetScreenCursor(crMultiDrag);
    }
    BroadcastLoad();
}

void TForm1::ResolvePendingPageMove()
{
    // A page taken for a move goes back to its old place before a rebuild or the end
    // of the program would lose it.
    if (!PageBuffer.Pending())
        return;
    TNewIniFile(IniFileName()).Modify([&](IniDocument& d) {
        RecordStore store(d, Passwords());
        RestorePage(store, PageBuffer, ReadPageCount(d, IniFileName()), ButtonsPerPage);
    });
    PageBuffer.Clear();
    ListBox2.clear();
    MovedPageName.clear();
}

// ------------------------------------------------------------------ rebuild

void TForm1::PButton16Click(QAction* sender)
{
    // 1.
    RequestedButtons = sender == MenuItem("PButton21") ? 21 : 16;
    if (RequestedButtons == ButtonsPerPage)
        return;
    // 2.
    if (dialogs_.MessageDlg("This may take several minutes or much longer!    Proceed?", TMsgDlgType::mtWarning,
                            mbYes | mbNo | mbHelp, 39) != TModalResult::mrYes ||
        !EnsureCurrent()) {
        RequestedButtons = ButtonsPerPage;
        return;
    }
    // 3. The new count is written by the renumbering, after the backup, so that the
    // backup holds the bar exactly as it was.
    SetScreenCursor(crHourGlass);
    KeySelection = 1;
    PageUpdate();
    BroadcastLoad();
}

void TForm1::BackupBeforeRebuild()
{
    const std::string ini = IniFileName();
    FileCopy(ini, BackupFileName(ini));
}

void TForm1::PageUpdate(bool backupMade)
{
    // A move that waits to be put down is settled first: the rebuild ends it.
    ResolvePendingMoves();
    // 1. The backup, unless the command that changed the pages made it before its
    // change; without a configuration file nothing is renumbered.
    if (!backupMade)
        BackupBeforeRebuild();
    // 2. - 4. Renumbering and the recent entries' button numbers, as one rewrite.
    const int tabs = TabSet1->Count();
    TNewIniFile(IniFileName()).Modify([&](IniDocument& d) {
        if (ButtonsPerPage != RequestedButtons)
            ChangeButtonsPerPage(d, Passwords(), ButtonsPerPage, RequestedButtons, tabs);
        else
            d.EraseSection(settings::MruSection);
    });
    // 5. The whole start-up pass again, against the file as it is now.
    Rebuild();
}

void TForm1::Rebuild()
{
    ResolvePendingMoves();
    ClearPages();
    rebuilding_ = true;
    try {
        FormCreate();
    } catch (...) {
        rebuilding_ = false;
        throw;
    }
    rebuilding_ = false;
}

void TForm1::NoteLayout() { loadedLayout_ = PageLayoutOf(TNewIniFile(IniFileName()).Document()); }

void TForm1::Reload()
{
    const PageLayout now = PageLayoutOf(TNewIniFile(IniFileName()).Document());
    if (now.SamePages(loadedLayout_))
        Load();
    else
        Rebuild();
}

bool TForm1::EnsureCurrent()
{
    if (PageLayoutOf(TNewIniFile(IniFileName()).Document()) == loadedLayout_)
        return true;
    Reload();
    dialogs_.MessageDlg("The pages or buttons were changed by another bar or program. The bar has been reloaded: "
                        "nothing was changed, please choose again.",
                        TMsgDlgType::mtInformation, mbOK, 0);
    return false;
}

// ------------------------------------------------------------------ tab colours

void TForm1::GetCustomPalette()
{
    const TNewIniFile ini(IniFileName()); // the document lives as long as its file object
    const IniDocument& doc = ini.Document();
    for (int i = 0; i < 16; ++i) {
        std::string value = doc.ReadString(settings::ColorsSection, CustomColorKey(i), settings::ColorDefault);
        CustomColors[std::size_t(i)] = ColorFromValue(ParseProfileInt("0x" + value, 0xFFFFFF));
    }
}

void TForm1::SaveCustomPalette()
{
    TNewIniFile(IniFileName()).Modify([&](IniDocument& d) {
        for (int i = 0; i < 16; ++i) {
            char value[16];
            std::snprintf(value, sizeof value, "%06x", unsigned(ValueFromColor(CustomColors[std::size_t(i)])));
            d.WriteString(settings::ColorsSection, CustomColorKey(i), value);
        }
    });
}

void TForm1::ChangeColor1Click(QAction* sender)
{
    // 1.
    GetCustomPalette();
    // 2.
    const bool selected = sender == MenuItem("SelectedColor1");
    const int current = selected ? TabSelectedColor : TabUnselectedColor;
    std::optional<QColor> chosen = dialogs_.ChooseColor(ColorFromValue(current), CustomColors, 32);
    if (!chosen)
        return;
    // 3.
    const int value = ValueFromColor(*chosen);
    if (selected) {
        TabSelectedColor = value;
        TabSet1->SetSelectedColor(*chosen);
        WriteToIniI("Tabs", "SelectedColor", value);
    } else {
        TabUnselectedColor = value;
        TabSet1->SetUnselectedColor(*chosen);
        WriteToIniI("Tabs", "UnselectedColor", value);
    }
    // 4.
    SaveCustomPalette();
}

} // namespace kex
