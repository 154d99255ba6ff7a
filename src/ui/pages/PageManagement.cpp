// Page management: selecting pages, the page menu, the inline editor, adding,
// deleting, moving and counting pages, the tab colours, and the page rebuild.
#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QStackedWidget>

#include "ui/dialogs/Dialogs.h"
#include "ui/window/MainWindow.h"
#include "core/pages/PageShift.h"
#include "core/pages/Renumber.h"
#include "ui/protect/Protection.h"
#include "ui/widgets/SpeedButton.h"
#include "ui/widgets/TabSet.h"
#include "platform/TPlatform.h"

namespace kex {

namespace {
const QColor kRenameTabColor(255, 0, 0); // colour value 255 while a page name is edited
}

void MainWindow::TabSet1Click()
{
    // The caption names the selected page, and the notebook shows it.
    FormCaption();
    const int p = TabSet1->TabIndex() + 1;
    if (p >= 1 && p <= Notebook1->count())
        Notebook1->setCurrentIndex(p - 1);
    // The keyboard selection's button of the old page lets up.
    const int total = PageCount() * ButtonsPerPage;
    if (KeySelection >= 1 && KeySelection <= total)
        if (TSpeedButton* b = FindButton(KeySelection))
            b->SetDown(false);
    // Parked just before the page's first button; on the first page, at the last
    // button of the last page.
    KeySelection = (p - 1) * ButtonsPerPage;
    if (KeySelection == 0)
        KeySelection = total;
    // The caption again, now that the selection moved.
    FormCaption();
}

void MainWindow::TabSet1MouseDown(Qt::MouseButton button, int x, int y)
{
    // Only a right click, and not while a name is typed or modifying is locked out.
    if (button != Qt::RightButton || PageName->isVisible() || ModifyLocked())
        return;
    // A click where no tab lies selects nothing and opens nothing.
    const int tab = TabSet1->ItemAtPos(QPoint(x, y));
    if (tab < 0)
        return;
    if (tab != TabSet1->TabIndex()) {
        TabSet1->SetTabIndex(tab);
        TabSet1Click();
    }
    // The cursor as it was at the press decides: the menu runs its command
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

void MainWindow::TabName()
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

void MainWindow::TabCount(QAction* sender)
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

void MainWindow::CloseEditor()
{
    PageName->clear();
    EditMode.clear();
    PageName->hide();
    PageName->setEchoMode(QLineEdit::Normal);
    TabSet1->SetSelectedColor(ColorFromValue(TabSelectedColor));
    Keys->setFocus();
}

void MainWindow::PageNameKeyDown(int key)
{
    const std::string text = PageName->text().toStdString();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        const std::string mode = EditMode;
        // A page name or count typed for pages that changed meanwhile is not taken.
        if ((mode == "Tab" || mode == "Page") && !EnsureCurrent()) {
            CloseEditor();
            return;
        }
        // A new name for the selected page.
        if (mode == "Tab" && !text.empty()) {
            const int p = TabSet1->TabIndex() + 1;
            store_->SavePageName(p, text);
            TabSet1->SetTabCaption(p - 1, QString::fromStdString(text));
            NoteLayout();
        }
        // The password prompt.
        if (mode == "Lockout")
            protection_->PromptEntered(QString::fromStdString(text));
        // A button's description or parameters.
        if ((mode == "Button" || mode == "Parameter") && !text.empty())
            ButtonTextEntered(mode, text);
        // The total page count, at least two. A page whose move is pending goes
        // back to its place first, so that the count typed is the count the bar gets.
        if (mode == "Page" && !text.empty()) {
            CloseEditor();
            ResolvePendingPageMove();
            store_->Backup();
            store_->SavePageCount(ParsePageCount(text));
            PageUpdate(true);
        }
        BroadcastLoad();
        CloseEditor();
    } else if (key == Qt::Key_Escape) {
        if (EditMode == "Lockout")
            protection_->PromptEscaped();
        CloseEditor();
    } else if (key == Qt::Key_F1) {
        // Help ends a password prompt: the caption comes back.
        if (EditMode == "Lockout")
            protection_->PromptEscaped();
        EditMode.clear();
        dialogs_.SetHelpFile(HelpFileName());
        dialogs_.ShowHelp(0);
        Keys->setFocus();
    }
}

// ------------------------------------------------------------------ add, delete, move

void MainWindow::AddPage()
{
    const int s = TabSet1->TabIndex();
    const int c = PageCount();
    if (s < 0 || !EnsureCurrent())
        return;
    // A pending move is completed here with its name and buttons.
    const bool completing = ScreenCursor() == crMultiDrag && PageBuffer.Pending();
    const std::string name = completing ? MovedPageName : NewPageName(s);
    // The hourglass while the pages change.
    SetScreenCursor(crHourGlass);
    store_->Backup();
    // The pages from the selected one on move one place right, as one rewrite.
    store_->InsertPage(s, c, ButtonsPerPage, name, completing ? &PageBuffer : nullptr);
    // The page is in the file now: nothing is pending any more.
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

void MainWindow::DeletePage(QAction* sender)
{
    const int s = TabSet1->TabIndex();
    const int c = PageCount();
    if (s < 0)
        return;
    // Deleting or moving: never the only page.
    const bool move = sender == MenuItem("MovePage1");
    const std::string verb = move ? "Move" : "Delete";
    if (!CanDeletePage(c)) {
        dialogs_.MessageDlg("The only page of the bar cannot be " + std::string(move ? "moved" : "deleted") + ".",
                            TMsgDlgType::mtWarning, mbOK, 0);
        return;
    }
    // The user confirms the page by its name.
    const std::string pageName = TabSet1->Tabs().value(s).toStdString();
    if (dialogs_.MessageDlg("Are you sure you want to " + verb + " the \"" + pageName + "\" Page?",
                            TMsgDlgType::mtWarning, mbYes | mbNo, 0) != TModalResult::mrYes)
        return;
    // The page asked about must still be the page at that place.
    if (!EnsureCurrent())
        return;
    // The page goes from the file as one rewrite, under the hourglass, after the backup.
    SetScreenCursor(crHourGlass);
    store_->Backup();
    const PageMoveBuffer taken = store_->DeletePage(s, c, ButtonsPerPage, move);
    // The bar is rebuilt on the changed file.
    PageUpdate(true);
    // The move waits for the tab before which the page goes.
    if (move) {
        PageBuffer = taken;
        ListBox2 = taken.Fields;
        MovedPageName = taken.Name;
        SetScreenCursor(crMultiDrag);
    }
    BroadcastLoad();
}

void MainWindow::ResolvePendingPageMove()
{
    // A page taken for a move goes back to its old place before a rebuild or the end
    // of the program would lose it.
    if (!PageBuffer.Pending())
        return;
    store_->RestorePage(PageBuffer, ButtonsPerPage);
    PageBuffer.Clear();
    ListBox2.clear();
    MovedPageName.clear();
}

// ------------------------------------------------------------------ rebuild

void MainWindow::PButton16Click(QAction* sender)
{
    // The count asked for; nothing to do when it is the count the bar has.
    RequestedButtons = sender == MenuItem("PButton21") ? 21 : 16;
    if (RequestedButtons == ButtonsPerPage)
        return;
    // The switch may take long: the user confirms it.
    if (dialogs_.MessageDlg("This may take several minutes or much longer!    Proceed?", TMsgDlgType::mtWarning,
                            mbYes | mbNo | mbHelp, 39) != TModalResult::mrYes ||
        !EnsureCurrent()) {
        RequestedButtons = ButtonsPerPage;
        return;
    }
    // The new count is written by the renumbering, after the backup, so that the
    // backup holds the bar exactly as it was.
    SetScreenCursor(crHourGlass);
    KeySelection = 1;
    PageUpdate();
    BroadcastLoad();
}

void MainWindow::PageUpdate(bool backupMade)
{
    // A move that waits to be put down is settled first: the rebuild ends it.
    ResolvePendingMoves();
    // The backup, unless the command that changed the pages made it before its
    // change; then the renumbering (or the recent list cleared) as one rewrite.
    if (!backupMade)
        store_->Backup();
    store_->Renumber(ButtonsPerPage, RequestedButtons, TabSet1->Count());
    // The whole start-up pass again, against the file as it is now.
    Rebuild();
}

void MainWindow::Rebuild()
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

void MainWindow::NoteLayout() { loadedLayout_ = store_->Layout(); }

void MainWindow::Reload()
{
    const PageLayout now = store_->Layout();
    if (now.SamePages(loadedLayout_))
        Load();
    else
        Rebuild();
}

bool MainWindow::EnsureCurrent()
{
    if (store_->Layout() == loadedLayout_)
        return true;
    Reload();
    dialogs_.MessageDlg("The pages or buttons were changed by another bar or program. The bar has been reloaded: "
                        "nothing was changed, please choose again.",
                        TMsgDlgType::mtInformation, mbOK, 0);
    return false;
}

// ------------------------------------------------------------------ tab colours

void MainWindow::GetCustomPalette()
{
    const std::array<int, 16> colours = store_->CustomColors();
    for (std::size_t i = 0; i < colours.size(); ++i)
        CustomColors[i] = ColorFromValue(colours[i]);
}

void MainWindow::ChangeColor1Click(QAction* sender)
{
    // The dialog's custom colours from the file.
    GetCustomPalette();
    // The dialog, on the colour of the tab chosen.
    const bool selected = sender == MenuItem("SelectedColor1");
    const int current = selected ? TabSelectedColor : TabUnselectedColor;
    std::optional<QColor> chosen = dialogs_.ChooseColor(ColorFromValue(current), CustomColors, 32);
    if (!chosen)
        return;
    // The tab shows the colour; the colour and the custom colours are stored as one rewrite.
    const int value = ValueFromColor(*chosen);
    if (selected) {
        TabSelectedColor = value;
        TabSet1->SetSelectedColor(*chosen);
    } else {
        TabUnselectedColor = value;
        TabSet1->SetUnselectedColor(*chosen);
    }
    std::array<int, 16> custom{};
    for (std::size_t i = 0; i < custom.size(); ++i)
        custom[i] = ValueFromColor(CustomColors[i]);
    store_->SaveTabColor(selected, value, custom);
}

} // namespace kex
