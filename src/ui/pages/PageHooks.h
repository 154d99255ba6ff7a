// The narrow faces through which a subsystem calls the subsystems made before it
// (see "How subsystems meet" in docs/architecture.md): the page bar's and
// protection's.
#pragma once

#include <QPoint>
#include <QString>

#include <functional>
#include <string>

#include "core/configure/DropTarget.h"

namespace kex {

class TSpeedButton;

// Where a launch comes from: the Run button (no button, only the lockout governs it)
// or a page button (clicked, replayed from the recent list or the keyboard, or given
// dropped files).
enum class LaunchSource { RunButton, Button };

// The screen cursor; it only shows what the bar is doing (a pending move is a value
// of the page bar, not a cursor).
enum TCursorCode : int { crDefault = 0, crHourGlass = -11, crDrag = -12, crMultiDrag = -16 };

// The inline editor below the tabs, lent to another subsystem as a one-line prompt
// (the password prompt shows "   Enter PASSWORD below" there with a masked field).
class InlinePrompt {
public:
    struct Request {
        QString hint;        // the editor's tooltip
        QString text;        // the text it opens with
        bool masked = false; // the text typed shows as dots
        // Return or Enter, with the text typed (also an empty one); the editor closes
        // after it.
        std::function<void(const std::string& text)> entered;
        // Escape; the editor closes after it.
        std::function<void()> cancelled;
    };
    // Opens the editor for the request (a prompt or name edit already open is
    // abandoned without its answer).
    virtual void OpenPrompt(Request request) = 0;
    // Whether the editor is open (for a page name, a page count or a prompt).
    virtual bool EditorOpen() const = 0;

protected:
    ~InlinePrompt() = default;
};

// Asked before the page menu or the button menu opens and before an empty button is
// filled by browsing or a drop. Without a gate everything is allowed.
class ModifyGate {
public:
    // False while modifying is locked out.
    virtual bool ModifyAllowed() = 0;
    // Whether button n is protected: its menu then offers no move, copy, remove or
    // configure.
    virtual bool ButtonProtected(int n) = 0;

protected:
    ~ModifyGate() = default;
};

// Asked before a page button's program starts (a Run-button launch belongs to no
// button: only `RunAllowed` governs it). Without a gate every launch goes ahead.
class LaunchGate {
public:
    // False holds the launch.
    virtual bool MayLaunch(int n) = 0;
    // A held launch, after the bar was brought into view (out of small mode, back
    // from the tray): the gate may prompt and later call `again`, which repeats the
    // launch as it was asked (a click, or a drop with its files).
    virtual void Held(int n, TSpeedButton* button, std::function<void()> again) = 0;
    // False while the Run button is turned off (modifying locked out).
    virtual bool RunAllowed() = 0;

protected:
    ~LaunchGate() = default;
};

// The launcher as the keyboard sees it: button n launches as a click would.
class ButtonLauncher {
public:
    virtual void ClickButton(int n) = 0;

protected:
    ~ButtonLauncher() = default;
};

// Whether button n stands on one of the bar's pages and its record has a program (the
// recent list's entries launch only such buttons).
class LaunchableButtons {
public:
    virtual bool Launchable(int n) const = 0;

protected:
    ~LaunchableButtons() = default;
};

// The page bar as the launcher sees it.
class LaunchPages {
public:
    // Whether a click may launch: no page name is typed and no move is pending.
    virtual bool ClicksLaunch() const = 0;
    // Whether a button or page move waits to be put down.
    virtual bool MovePending() const = 0;
    // The file still holds the pages the bar shows (else the bar reloads, says so and
    // answers false).
    virtual bool EnsureCurrent() = 0;
    virtual TSpeedButton* FindButton(int n) const = 0;
    // The bar's own change is noted, so that it is not taken for another's.
    virtual void NoteLayout() = 0;
    // Whether modifying is allowed now (an empty button is filled by browsing only
    // then).
    virtual bool ModifyAllowed() = 0;
    // The button the open button menu is for (0 while none is open): the menu's
    // commands act on it.
    virtual int MenuButton() const = 0;
    // Where the shown page's buttons lie in the window (for a drop).
    virtual DropGeometry DropGrid() const = 0;

protected:
    ~LaunchPages() = default;
};

// The page bar as the keyboard selection sees it: the pages, the selection S it keeps
// (parked again whenever a page is shown), the buttons, the editor, what is pending,
// and the menus the page bar owns.
class KeyPages {
public:
    virtual int PageCount() const = 0;
    virtual int ButtonsPerPage() const = 0;
    // The selected tab, from 0 (-1 without pages).
    virtual int ShownPage() const = 0;
    // Selects tab `page` and shows its page, as a click on the tab does: the old
    // selection lets up and S is parked before the page's first button.
    virtual void ShowPage(int page) = 0;
    // The tab strip scrolled so that the first tab is the first one shown.
    virtual void ScrollTabsHome() = 0;
    virtual int KeySelection() const = 0;
    virtual void SetKeySelection(int n) = 0;
    virtual TSpeedButton* FindButton(int n) const = 0;
    // Whether a page name is being typed in the editor.
    virtual bool RenamingPage() const = 0;
    virtual bool EditorOpen() const = 0;
    virtual bool ButtonMovePending() const = 0;
    virtual bool PageMovePending() const = 0;
    // The pending move or copy put down on button n (an empty one).
    virtual void PutButton(int n) = 0;
    // Button n's menu at a screen point (or the error box of an empty button).
    virtual void OpenButtonMenu(int n, const QPoint& screenPos) = 0;
    // The page menu at a screen point.
    virtual void OpenPageMenu(const QPoint& screenPos) = 0;
    // False while modifying is locked out.
    virtual bool ModifyAllowed() = 0;

protected:
    ~KeyPages() = default;
};

} // namespace kex
