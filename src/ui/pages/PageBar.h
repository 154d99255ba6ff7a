// PageBar: the bar's pages and buttons: the notebook and its tab strip, the page
// buttons, the page menu and the button menu's move, copy and remove, the inline
// editor below the tabs, the page rebuild, and the pending button and page moves.
#pragma once

#include <QObject>
#include <QPoint>
#include <QString>

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/config/Settings.h"
#include "core/pages/ButtonRecord.h"
#include "core/pages/PageShift.h"
#include "ui/pages/TabColors.h"
#include "ui/pages/PageHooks.h"

class QAction;
class QLineEdit;
class QMenu;
class QScrollBar;
class QStackedWidget;

namespace kex {

class BarStore;
class ButtonFaces;
struct BarContext;
class TDialogs;
class TSpeedButton;
class TTabSet;

// A button's record taken for a move or copy, waiting to be put down on an empty
// button.
struct PendingMove {
    int source = 0;      // the button it was taken from
    ButtonRecord record; // with a program
    bool isMove = false; // moved (the source is empty now), not copied
};

// The controls the page bar works on (the window builds and places them).
struct PageBarWidgets {
    QWidget* panel = nullptr;        // the gauge panel left of the notebook
    QScrollBar* scrollBar = nullptr; // the window's scroll bar (read only)
    QStackedWidget* notebook = nullptr;
    TTabSet* tabs = nullptr;
    QLineEdit* editor = nullptr; // the inline editor ("PageName")
    QMenu* buttonMenu = nullptr; // "PopupMenu1"
    QMenu* pageMenu = nullptr;   // "PopupMenu2"
    // The button menu's items that a protected button does not offer: move, copy,
    // remove and the configure sub-menu.
    std::vector<QAction*> unprotectedItems;
};

class PageBar : public QObject, public InlinePrompt, public LaunchPages, public LaunchableButtons, public KeyPages {
    Q_OBJECT
public:
    // gate: asked before the page menu or the button menu opens and before an empty
    // button is filled.
    PageBar(BarContext& context, ButtonFaces& faces, ModifyGate& gate, const PageBarWidgets& widgets, QObject* parent);

    // ---- the start-up pass
    // The pages "Page" + i with their buttons, the stored page count bounded; hint:
    // every button's tooltip until it is loaded.
    void CreatePages(int buttonsPerPage, const QString& hint);
    void ClearPages();
    // Every button's face and every tab's caption from the file.
    void Load();
    // The tab strip's colours (the page menu's two colour items).
    TabColors& Colors() { return colors_; }
    const TabColors& Colors() const { return colors_; }

    // ---- what the bar shows
    int PageCount() const override;
    int ButtonsPerPage() const override { return buttonsPerPage_; }
    // The count the 16/21 switch asks for (the count shown unless a switch runs).
    int RequestedButtons() const { return requestedButtons_; }
    TSpeedButton* FindButton(int n) const override;
    bool Launchable(int n) const override;
    const std::optional<PendingMove>& PendingButton() const { return pendingButton_; }
    // The page taken for a move, waiting for the tab before which it goes.
    const std::optional<PageMoveBuffer>& PendingPage() const { return pendingPage_; }
    // The keyboard selection's button number (the keyboard moves it).
    int KeySelection() const override { return keySelection_; }
    void SetKeySelection(int n) override { keySelection_ = n; }
    int ShownPage() const override;
    // Shows a page (from 0) as a click on its tab does; one the bar does not hold is
    // passed over.
    void ShowPage(int page) override;
    void ScrollTabsHome() override;
    bool RenamingPage() const override { return editorMode_ == EditorMode::PageName; }
    bool ButtonMovePending() const override { return pendingButton_.has_value(); }
    bool PageMovePending() const override { return pendingPage_.has_value(); }
    void OpenPageMenu(const QPoint& screenPos) override;

    // ---- page commands (the tab strip and the page menu)
    void SelectPage();
    void TabMouseDown(Qt::MouseButton button, int x, int y);
    void RenamePage();
    void EditPageCount();
    void AddPage();
    void DeletePage() { TakePage(false); }
    void MovePage() { TakePage(true); }
    void SwitchButtonsPerPage(int count);

    // ---- button commands (the button menu)
    void ButtonRightMouseDown(TSpeedButton* button, Qt::MouseButton mouse, int x, int y);
    void OpenButtonMenu(int n, const QPoint& screenPos) override;
    void PutButton(int n) override;
    // The button the open button menu is for (0 while none is open): the configure
    // items act on it.
    int MenuButton() const override { return menuButton_; }
    DropGeometry DropGrid() const override;
    void MoveButton() { TakeButton(true); }
    void CopyButton() { TakeButton(false); }
    void RemoveButton();
    // A button whose description changed (the button configuration): its face and
    // hint anew, and the recent list told.
    void DescriptionChanged(int n, const ButtonRecord& before, const ButtonRecord& after);

    // ---- the inline editor
    // What the editor is open for (F1 leaves it open for nothing: Return then only closes it).
    enum class EditorMode { None, PageName, PageCount, Prompt };
    EditorMode Editing() const { return editorMode_; }
    void EditorKey(int key);
    void CloseEditor();
    void OpenPrompt(Request request) override;
    bool EditorOpen() const override;

    // ---- the file and the bar
    // The rebuild; backupMade when the command that changed the pages already made the
    // backup before its change.
    void PageUpdate(bool backupMade = false);
    // The pages anew on the standing bar, after pending moves are settled: the window's
    // appliers run again (RebuildRequested), then PagesRebuilt.
    void Rebuild();
    // Brings the bar in line with the file: a rebuild when its pages changed, else a
    // load of the buttons and page names.
    void Reload();
    // Page and button commands act on the configuration as it is now: when another
    // bar or kexbar-config changed the pages or buttons since this bar loaded them,
    // the bar reloads first, tells the user, and the command is not carried out
    // (answers false).
    bool EnsureCurrent() override;
    void NoteLayout() override;
    bool ClicksLaunch() const override;
    bool MovePending() const override { return pendingButton_ || pendingPage_; }
    bool ModifyAllowed() override;
    // A moved record goes back and a taken page to its place (before a rebuild or the
    // end of the program would lose them).
    void ResolvePendingMoves();

protected:
    // The editor's own keys: Return, Enter, Escape and F1.
    bool eventFilter(QObject* watched, QEvent* event) override;

Q_SIGNALS:
    // A button's click that neither put down a pending move nor was refused: the
    // launcher starts its program.
    void LaunchRequested(int n);
    // The pages were cleared for a rebuild: the window applies the settings read again
    // and creates and loads the pages (synchronously, before PagesRebuilt).
    void RebuildRequested();
    // After every page rebuild.
    void PagesRebuilt();
    // The caption names the shown page: it is written anew.
    void CaptionChanged();
    // The bar changed the file's pages or buttons: the other bars of this file reload.
    void FileChanged();
    // The keyboard selection takes the focus back.
    void FocusKeysRequested();
    // Button `from` was moved onto button `to` (entries: the recent list's texts).
    void ButtonMoved(int from, int to, const QString& oldEntry, const QString& newEntry);
    void ButtonRemoved(int n, const QString& entry);
    void ButtonDescriptionChanged(int n, const QString& oldEntry, const QString& newEntry);
    // The button menu is about to open on button n with this record (its configure
    // items take their check marks from it).
    void ButtonMenuAboutToShow(int n, const ButtonRecord& record);

private:
    void ButtonClicked(TSpeedButton* button);
    // Takes the record of the button the menu is for (false when there is none to take).
    bool TakeButton(bool move);
    void TakePage(bool move);
    void ResolvePendingPageMove();
    void OpenEditor(const QString& hint, const QString& text, EditorMode mode);
    // Carries out what the editor holds; false when the pages changed meanwhile.
    bool EditorEntered(const std::string& text);
    void ShowPendingCursor();
    // Gives the buttons of page index i the faces their loaded records call for, when
    // they wait for them (a page's pictures are made when it is first shown or when
    // one of its buttons is asked for).
    void ShowFacesOfPage(int i) const;
    void ShowHelp();

    BarContext& context_;
    BarStore& store_;
    TDialogs& dialogs_;
    ButtonFaces& faces_;
    ModifyGate& gate_;
    PageBarWidgets w_;

    mutable std::map<int, TSpeedButton*> buttons_;
    // What a button's picture is made from, as loaded.
    struct DueFace {
        int n = 0;
        std::string program, iconFile, description, parameters;
        int iconIndex = 0;
        std::optional<bool> shrink; // the shrink value, for a button not made yet
    };
    // Makes the buttons of page index i when they are not made yet, with the hints and
    // shrink values of their loaded records.
    void MakeButtons(int i) const;
    // The buttons of the pages whose pictures are not made yet (page index → its
    // buttons with a program; hint, shrink value and blanking are done).
    mutable std::map<int, std::vector<DueFace>> facesDue_;
    // The pages (by index) whose buttons are not made yet; the first kEagerPages are
    // made with the pages, the others when first shown or asked for.
    mutable std::set<int> unmade_;
    QString hint_; // an empty button's hint
    static constexpr int kEagerPages = 10;
    int buttonsPerPage_ = 16;
    int requestedButtons_ = 16;
    int keySelection_ = 0;
    TabColors colors_;
    PageLayout loadedLayout_; // the layout of the file the bar shows
    int menuButton_ = 0;      // the button the open button menu is for
    std::optional<PendingMove> pendingButton_;
    std::optional<PageMoveBuffer> pendingPage_;
    EditorMode editorMode_ = EditorMode::None;
    Request prompt_; // the prompt open in the editor
};

} // namespace kex
