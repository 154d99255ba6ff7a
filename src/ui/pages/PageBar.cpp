// The page bar: creating and loading the pages, selecting them, the page menu, the
// inline editor, adding, deleting, moving and counting pages, the
// 16/21 switch and the page rebuild. The button commands are in PageButtons.cpp.
#include "ui/pages/PageBar.h"

#include <QAction>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QStackedWidget>

#include <set>
#include <utility>

#include "core/bar/BarStore.h"
#include "core/config/Settings.h"
#include "core/pages/Grid.h"
#include "core/pages/PageShift.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/pages/ButtonFaces.h"
#include "ui/widgets/SpeedButton.h"
#include "ui/window/BarContext.h"
#include "ui/widgets/TabSet.h"
#include "ui/widgets/Colors.h"

namespace kex {

PageBar::PageBar(BarContext& context, ButtonFaces& faces, ModifyGate& gate, const PageBarWidgets& widgets,
                 QObject* parent)
    : QObject(parent), context_(context), store_(context.store), dialogs_(context.dialogs), faces_(faces), gate_(gate),
      w_(widgets), colors_(context.store, context.dialogs, *widgets.tabs)
{
    setObjectName("PageBar");
    // A page shown for the first time gets its buttons' pictures.
    connect(w_.notebook, &QStackedWidget::currentChanged, this, [this](int i) {
        MakeButtons(i);
        ShowFacesOfPage(i);
    });
    w_.editor->installEventFilter(this);
}

bool PageBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == w_.editor && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape || key == Qt::Key_F1) {
            context_.guard.Guarded([&] { EditorKey(key); });
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

DropGeometry PageBar::DropGrid() const
{
    return DropGeometry{w_.panel->width(), w_.scrollBar->value(), w_.tabs->TabIndex(), buttonsPerPage_};
}

void PageBar::ShowHelp()
{
    dialogs_.SetHelpFile(context_.HelpFile());
    dialogs_.ShowHelp(0);
}

// ------------------------------------------------------------------ creating and loading

int PageBar::PageCount() const { return w_.notebook->count(); }

TSpeedButton* PageBar::FindButton(int n) const
{
    if (n < 1 || n > PageCount() * buttonsPerPage_)
        return nullptr;
    // Whoever asks for a button gets it, made, with its face.
    const int page = PageOfButton(n, buttonsPerPage_);
    MakeButtons(page);
    if (!facesDue_.empty())
        ShowFacesOfPage(page);
    auto it = buttons_.find(n);
    return it == buttons_.end() ? nullptr : it->second;
}

void PageBar::MakeButtons(int i) const
{
    if (!unmade_.erase(i))
        return;
    QWidget* page = w_.notebook->widget(i);
    if (!page)
        return;
    auto* self = const_cast<PageBar*>(this);
    for (int n = FirstButtonOfPage(i, buttonsPerPage_); n <= (i + 1) * buttonsPerPage_; ++n) {
        auto* button = new TSpeedButton(n, page);
        button->setGeometry(ButtonLeft(SlotOfButton(n, buttonsPerPage_)), 0, kButtonSize, kButtonSize);
        button->setToolTip(hint_);
        connect(button, &QToolButton::clicked, self,
                [self, button] { self->context_.guard.Guarded([&] { self->ButtonClicked(button); }); });
        connect(button, &TSpeedButton::RightMouseDown, self, [self, button](Qt::MouseButton b, int x, int y) {
            self->context_.guard.Guarded([&] { self->ButtonRightMouseDown(button, b, x, y); });
        });
        button->show(); // also on a page that is shown already
        buttons_[n] = button;
    }
    // The loaded records' hints and shrink values; their pictures follow with the page's.
    if (auto due = facesDue_.find(i); due != facesDue_.end())
        for (const DueFace& f : due->second)
            if (TSpeedButton* b = buttons_[f.n]) {
                b->Shrink = f.shrink;
                b->setToolTip(QString::fromStdString(ButtonHint(f.program, f.description, f.parameters)));
            }
}

void PageBar::ShowFacesOfPage(int i) const
{
    auto due = facesDue_.find(i);
    if (due == facesDue_.end())
        return;
    const std::vector<DueFace> faces = std::move(due->second);
    facesDue_.erase(due);
    // As in a load: icons found missing are marked "Default" in one rewrite, when the
    // file is still the one loaded.
    faces_.BeginLoad();
    for (const DueFace& f : faces)
        if (auto b = buttons_.find(f.n); b != buttons_.end())
            faces_.Show(b->second, f.program, f.iconIndex, f.description, f.iconFile, f.parameters);
    const std::vector<int> iconDefaults = faces_.EndLoad();
    if (!iconDefaults.empty()) {
        auto* self = const_cast<PageBar*>(this);
        context_.guard.WriteReportedOnce([&] { self->loadedLayout_ = store_.Tidy({}, iconDefaults, loadedLayout_); });
    }
}

bool PageBar::Launchable(int n) const { return FindButton(n) && !store_.Record(n).Program.empty(); }

void PageBar::ClearPages()
{
    buttons_.clear();
    facesDue_.clear();
    unmade_.clear();
    while (w_.notebook->count() > 0) {
        QWidget* page = w_.notebook->widget(w_.notebook->count() - 1);
        w_.notebook->removeWidget(page);
        page->hide();
        page->deleteLater(); // a handler of one of its buttons may still be running
    }
    w_.tabs->SetTabs({});
}

void PageBar::CreatePages(int buttonsPerPage, const QString& hint)
{
    buttonsPerPage_ = buttonsPerPage;
    requestedButtons_ = buttonsPerPage;
    keySelection_ = 0;
    // The page count, bounded (a stored count out of range is reported once, not at
    // every rebuild); the old pages go (at start the design-time page).
    std::string notice;
    const int pages = store_.PageCount(&notice);
    context_.guard.NotifyOnce(notice);
    ClearPages();
    // Pages "Page" + i, each with its tab and its row of buttons (beyond the first
    // pages, the row is made when the page is first shown or asked for).
    hint_ = hint;
    QStringList tabs;
    for (int i = 0; i < pages; ++i) {
        auto* page = new QWidget;
        page->setObjectName(QString("Page%1").arg(i));
        page->setAutoFillBackground(true); // the selection edit lies behind the pages
        tabs << QString::fromStdString(DefaultPageName(i + 1));
        if (i >= kEagerPages) {
            unmade_.insert(i);
            w_.notebook->addWidget(page);
            continue;
        }
        for (int n = FirstButtonOfPage(i, buttonsPerPage); n <= (i + 1) * buttonsPerPage; ++n) {
            auto* button = new TSpeedButton(n, page);
            button->setGeometry(ButtonLeft(SlotOfButton(n, buttonsPerPage)), 0, kButtonSize, kButtonSize);
            button->setToolTip(hint);
            connect(button, &QToolButton::clicked, this,
                    [this, button] { context_.guard.Guarded([&] { ButtonClicked(button); }); });
            connect(button, &TSpeedButton::RightMouseDown, this, [this, button](Qt::MouseButton b, int x, int y) {
                context_.guard.Guarded([&] { ButtonRightMouseDown(button, b, x, y); });
            });
            buttons_[n] = button;
        }
        // Added with its buttons, so that they show also on a bar that is already shown.
        w_.notebook->addWidget(page);
    }
    w_.tabs->SetTabs(tabs);
    if (pages > 0) {
        w_.tabs->SetTabIndex(0);
        w_.notebook->setCurrentIndex(0);
    }
}

void PageBar::Load()
{
    // A reload (the reload message, also the sender's own) gives back the cursor it
    // found: a pending move or copy keeps its drag cursor, an idle bar the default
    // one. Within the start-up pass and a rebuild that is the hourglass, which their
    // end takes away.
    const int cursorBefore = context_.cursor.Shape();
    context_.cursor.Show(crHourGlass);
    faces_.BeginLoad();
    // Every record and tab caption from one read of the file. The pictures of the
    // shown page are made now, the others' when their page is first shown or one of
    // their buttons is asked for; hints and shrink values are set at once.
    const int last = PageCount() * buttonsPerPage_;
    const BarContents contents = store_.Contents(last);
    const int shown = w_.notebook->currentIndex();
    std::set<int> wasDue; // buttons that show a hint of their last load, not yet a picture
    for (const auto& [page, records] : facesDue_)
        for (const DueFace& due : records)
            wasDue.insert(due.n);
    facesDue_.clear();
    for (int n = 1; n <= last; ++n) {
        const ButtonRecord& r = contents.records[std::size_t(n - 1)];
        const int page = PageOfButton(n, buttonsPerPage_);
        if (unmade_.count(page)) { // made later with what the record says
            if (!r.Program.empty())
                facesDue_[page].push_back(
                    {n, r.Program, r.IconFile, r.Description, r.Parameters, r.IconIndex, r.ShrinkChoice()});
            continue;
        }
        const auto found = buttons_.find(n);
        TSpeedButton* button = found == buttons_.end() ? nullptr : found->second;
        if (!button)
            continue;
        if (r.Program.empty()) {
            if (button->HasGlyph() || wasDue.count(n)) // a button that was loaded before is blanked
                faces_.Blank(button);
            continue;
        }
        button->Shrink = r.ShrinkChoice();
        if (page == shown) {
            faces_.Show(button, r);
        } else {
            button->setToolTip(QString::fromStdString(ButtonHint(r.Program, r.Description, r.Parameters)));
            facesDue_[page].push_back(
                {n, r.Program, r.IconFile, r.Description, r.Parameters, r.IconIndex, r.ShrinkChoice()});
        }
    }
    for (std::size_t p = 0; p < contents.captions.size() && int(p) < w_.tabs->Count(); ++p)
        w_.tabs->SetTabCaption(int(p), QString::fromStdString(contents.captions[p]));
    // Records without a program lose their keys, and icons found missing are marked
    // "Default", in one rewrite.
    const std::vector<int> iconDefaults = faces_.EndLoad();
    // The layout noted is the one loaded (a change written meanwhile is not taken
    // for shown), after the bar's own tidying.
    loadedLayout_ = contents.layout;
    context_.guard.WriteReportedOnce(
        [&] { loadedLayout_ = store_.Tidy(contents.strays, iconDefaults, contents.layout); });
    // Pages made from an older count than the one loaded: no layout is noted as
    // shown, so that the next reload or freshness check rebuilds the pages.
    if (contents.pages != PageCount())
        loadedLayout_ = PageLayout();
    context_.cursor.Show(cursorBefore);
}

// ------------------------------------------------------------------ selecting, the page menu

void PageBar::SelectPage()
{
    // The caption names the selected page, and the notebook shows it.
    Q_EMIT CaptionChanged();
    const int p = w_.tabs->TabIndex() + 1;
    if (p >= 1 && p <= w_.notebook->count())
        w_.notebook->setCurrentIndex(p - 1);
    // The keyboard selection's button of the old page lets up.
    const int total = PageCount() * buttonsPerPage_;
    if (keySelection_ >= 1 && keySelection_ <= total)
        if (TSpeedButton* b = FindButton(keySelection_))
            b->SetDown(false);
    // Parked just before the page's first button; on the first page, at the last
    // button of the last page.
    keySelection_ = (p - 1) * buttonsPerPage_;
    if (keySelection_ == 0)
        keySelection_ = total;
    // The caption again, now that the selection moved.
    Q_EMIT CaptionChanged();
}

int PageBar::ShownPage() const { return w_.tabs->TabIndex(); }

void PageBar::ShowPage(int page)
{
    if (page < 0 || page >= w_.tabs->Count())
        return;
    w_.tabs->SetTabIndex(page);
    SelectPage();
}

void PageBar::ScrollTabsHome() { w_.tabs->SetFirstIndex(0); }

void PageBar::OpenPageMenu(const QPoint& screenPos)
{
    // The menu is for the pages the file has.
    if (EnsureCurrent())
        dialogs_.Popup(w_.pageMenu, screenPos);
}

void PageBar::TabMouseDown(Qt::MouseButton button, int x, int y)
{
    // Only a right click, and not while a name is typed or modifying is locked out.
    if (button != Qt::RightButton || EditorOpen() || !ModifyAllowed())
        return;
    // A click where no tab lies selects nothing and opens nothing.
    const int tab = w_.tabs->ItemAtPos(QPoint(x, y));
    if (tab < 0)
        return;
    if (tab != w_.tabs->TabIndex()) {
        w_.tabs->SetTabIndex(tab);
        SelectPage();
    }
    // What is pending at the press decides: the menu runs its command before it
    // returns, and a move started from it must wait for the next press.
    const bool pagePending = pendingPage_.has_value();
    const bool buttonPending = pendingButton_.has_value();
    if (!EnsureCurrent())
        return;
    if (pagePending)
        AddPage(); // a pending page move is dropped before this tab
    else if (!buttonPending)
        dialogs_.Popup(w_.pageMenu, w_.tabs->window()->mapToGlobal(QPoint(x + w_.panel->width(), y)));
}

// ------------------------------------------------------------------ the inline editor

void PageBar::OpenEditor(const QString& hint, const QString& text, EditorMode mode)
{
    editorMode_ = mode;
    w_.editor->setToolTip(hint);
    w_.editor->setText(text);
    w_.editor->show();
    w_.editor->raise();
    w_.editor->setFocus();
}

void PageBar::RenamePage()
{
    const int s = w_.tabs->TabIndex();
    if (s < 0)
        return;
    OpenEditor("Enter new name for Selected Page Tab", w_.tabs->Tabs().value(s), EditorMode::PageName);
    colors_.ShowRenaming(true);
}

void PageBar::EditPageCount()
{
    OpenEditor("Enter # of Total Pages you want", QString::number(PageCount()), EditorMode::PageCount);
}

void PageBar::OpenPrompt(Request request)
{
    CloseEditor();
    prompt_ = std::move(request);
    OpenEditor(prompt_.hint, prompt_.text, EditorMode::Prompt);
    w_.editor->setEchoMode(prompt_.masked ? QLineEdit::Password : QLineEdit::Normal);
}

bool PageBar::EditorOpen() const { return w_.editor->isVisible(); }

void PageBar::CloseEditor()
{
    w_.editor->clear();
    editorMode_ = EditorMode::None;
    prompt_ = Request();
    w_.editor->hide();
    w_.editor->setEchoMode(QLineEdit::Normal);
    colors_.ShowRenaming(false);
    Q_EMIT FocusKeysRequested();
}

void PageBar::EditorKey(int key)
{
    const std::string text = w_.editor->text().toStdString();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (EditorEntered(text))
            Q_EMIT FileChanged();
        CloseEditor();
    } else if (key == Qt::Key_Escape) {
        const auto cancelled = editorMode_ == EditorMode::Prompt ? prompt_.cancelled : nullptr;
        if (cancelled)
            cancelled();
        CloseEditor();
    } else if (key == Qt::Key_F1) {
        // Help ends the editor's mode; a later Enter only closes it. A prompt is given
        // up, so that its owner puts back what it changed (the caption).
        if (editorMode_ == EditorMode::Prompt && prompt_.cancelled)
            std::exchange(prompt_, Request()).cancelled();
        editorMode_ = EditorMode::None;
        ShowHelp();
        Q_EMIT FocusKeysRequested();
    }
}

bool PageBar::EditorEntered(const std::string& text)
{
    const EditorMode mode = editorMode_;
    // A page name or count typed for pages that changed meanwhile is not taken.
    if ((mode == EditorMode::PageName || mode == EditorMode::PageCount) && !EnsureCurrent())
        return false;
    if (mode == EditorMode::PageName && !text.empty()) {
        // A new name for the selected page.
        const int p = w_.tabs->TabIndex() + 1;
        store_.SavePageName(p, text);
        w_.tabs->SetTabCaption(p - 1, QString::fromStdString(text));
        NoteLayout();
    } else if (mode == EditorMode::Prompt && prompt_.entered) {
        const auto entered = prompt_.entered;
        entered(text);
    } else if (mode == EditorMode::PageCount && !text.empty()) {
        // The total page count, at least two. A page whose move is pending goes back
        // to its place first, so that the count typed is the count the bar gets.
        CloseEditor();
        ResolvePendingPageMove();
        store_.Backup();
        store_.SavePageCount(ParsePageCount(text));
        PageUpdate(true);
    }
    return true;
}

// ------------------------------------------------------------------ add, delete, move

void PageBar::AddPage()
{
    const int s = w_.tabs->TabIndex();
    const int c = PageCount();
    if (s < 0 || !EnsureCurrent())
        return;
    // A pending move is completed here with its name and buttons.
    const std::optional<PageMoveBuffer> moved = std::move(pendingPage_);
    pendingPage_.reset();
    const std::string name = moved ? moved->Name : NewPageName(s);
    // The hourglass while the pages change.
    context_.cursor.Show(crHourGlass);
    store_.Backup();
    // The pages from the selected one on move one place right, as one rewrite.
    try {
        store_.InsertPage(s, c, buttonsPerPage_, name, moved ? &*moved : nullptr);
    } catch (...) {
        pendingPage_ = moved; // not in the file: still pending
        throw;
    }
    PageUpdate(true);
    if (s < w_.tabs->Count()) {
        w_.tabs->SetTabIndex(s);
        SelectPage();
    }
    Q_EMIT FileChanged();
}

void PageBar::TakePage(bool move)
{
    const int s = w_.tabs->TabIndex();
    const int c = PageCount();
    if (s < 0)
        return;
    // Deleting or moving: never the only page.
    const std::string verb = move ? "Move" : "Delete";
    if (!CanDeletePage(c)) {
        dialogs_.MessageDlg("The only page of the bar cannot be " + std::string(move ? "moved" : "deleted") + ".",
                            MessageType::mtWarning, mbOK, 0);
        return;
    }
    // The user confirms the page by its name.
    const std::string pageName = w_.tabs->Tabs().value(s).toStdString();
    if (dialogs_.MessageDlg("Are you sure you want to " + verb + " the \"" + pageName + "\" Page?",
                            MessageType::mtWarning, mbYes | mbNo, 0)
        != ModalResult::mrYes)
        return;
    // The page asked about must still be the page at that place.
    if (!EnsureCurrent())
        return;
    // The page goes from the file as one rewrite, under the hourglass, after the backup.
    context_.cursor.Show(crHourGlass);
    store_.Backup();
    const PageMoveBuffer taken = store_.DeletePage(s, c, buttonsPerPage_, move);
    // The bar is rebuilt on the changed file.
    PageUpdate(true);
    // The move waits for the tab before which the page goes.
    if (move) {
        pendingPage_ = taken;
        ShowPendingCursor();
    }
    Q_EMIT FileChanged();
}

void PageBar::ResolvePendingPageMove()
{
    // A page taken for a move goes back to its old place before a rebuild or the end
    // of the program would lose it.
    if (!pendingPage_)
        return;
    store_.RestorePage(*pendingPage_, buttonsPerPage_);
    pendingPage_.reset();
}

void PageBar::ShowPendingCursor()
{
    context_.cursor.Show(pendingButton_ ? crDrag : pendingPage_ ? crMultiDrag : crDefault);
}

// ------------------------------------------------------------------ rebuild

void PageBar::SwitchButtonsPerPage(int count)
{
    // The count asked for; nothing to do when it is the count the bar has.
    requestedButtons_ = count;
    if (requestedButtons_ == buttonsPerPage_)
        return;
    // The switch may take long: the user confirms it.
    if (dialogs_.MessageDlg("This may take several minutes or much longer!    Proceed?", MessageType::mtWarning,
                            mbYes | mbNo | mbHelp, 39)
            != ModalResult::mrYes
        || !EnsureCurrent()) {
        requestedButtons_ = buttonsPerPage_;
        return;
    }
    // The new count is written by the renumbering, after the backup, so that the
    // backup holds the bar exactly as it was.
    context_.cursor.Show(crHourGlass);
    keySelection_ = 1;
    PageUpdate();
    Q_EMIT FileChanged();
}

void PageBar::PageUpdate(bool backupMade)
{
    // A move that waits to be put down is settled first: the rebuild ends it.
    ResolvePendingMoves();
    // The backup, unless the command that changed the pages made it before its
    // change; then the renumbering (or the recent list cleared) as one rewrite.
    if (!backupMade)
        store_.Backup();
    store_.Renumber(buttonsPerPage_, requestedButtons_, w_.tabs->Count());
    // The whole start-up pass again, against the file as it is now.
    Rebuild();
}

void PageBar::Rebuild()
{
    ResolvePendingMoves();
    ClearPages();
    Q_EMIT RebuildRequested();
    Q_EMIT PagesRebuilt();
}

void PageBar::NoteLayout() { loadedLayout_ = store_.Layout(); }

void PageBar::Reload()
{
    if (store_.Layout().SamePages(loadedLayout_))
        Load();
    else
        Rebuild();
}

bool PageBar::EnsureCurrent()
{
    if (store_.Layout() == loadedLayout_)
        return true;
    Reload();
    dialogs_.MessageDlg("The pages or buttons were changed by another bar or program. The bar has been reloaded: "
                        "nothing was changed, please choose again.",
                        MessageType::mtInformation, mbOK, 0);
    return false;
}

bool PageBar::ModifyAllowed() { return gate_.ModifyAllowed(); }

bool PageBar::ClicksLaunch() const { return editorMode_ != EditorMode::PageName && !MovePending(); }

} // namespace kex
