// Keyboard selection: what a key pressed in the selection edit does to the bar. The
// arrow keys walk a selection over every button of every page, the page keys turn
// pages, Enter launches the selected button, Escape lets it go, Up and Down step a
// mixer's volume and the function keys reach the bar's commands. The handler is pure:
// it sees the bar as a snapshot and answers the ordered actions the window carries out.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/meters/SoundVolume.h"

namespace kex {

// The keys the selection knows; every other key is Other.
enum class SelectionKey {
    Other,
    Left,
    Right,
    Up,
    Down,
    PageUp,
    PageDown,
    Home,
    End,
    Enter,
    Escape,
    F1,
    F2,
    F3,
    F4,
    F5,
    F6,
    F7,
    F8,
    F9
};

struct KeyModifiers {
    bool Shift = false;
    bool Ctrl = false;
    bool Alt = false;
};

// One page button as the keyboard sees it.
struct KeyButton {
    bool Down = false; // shown pressed (selected)
    bool Empty = true; // holds no program
    std::string Hint;  // its hint as shown
};

// What, if anything, waits to be put down; Enter on a selection acts by it.
enum class KeyPending { None, ButtonMove, PageMove };

// The bar when the key arrives.
struct KeySnapshot {
    int ButtonsPerPage = 16;
    int Pages = 1;
    int Page = 0;               // the selected tab, from 0
    int Selection = 0;          // S: the selected button, or p * ButtonsPerPage while parked
                                // before page p's first button (the last button of the last
                                // page for page 0)
    bool SmallActive = false;   // shrunk to the gauge
    bool ShrinksToTray = false; // F3 from the full bar hides it in the tray instead
    bool EditorOpen = false;    // the editor below the tabs is open
    bool Renaming = false;      // a page name is being typed
    bool ModifyLocked = false;  // modifying is locked out (asked only for F6)
    KeyPending Pending = KeyPending::None;
    // Button n of the bar; nothing when the bar has no such button. Asked for the
    // selection as it stands and for a newly selected button.
    std::function<std::optional<KeyButton>(int n)> Button;
};

// One thing the window does, in the order of the plan.
struct KeyAction {
    enum class Kind {
        HelpContents,   // the help file's contents
        StayOnTop,      // the stay-on-top switch (TopButtonKey)
        SmallSize,      // small mode toggled, as a click on the gauge does
        GaugeMenu,      // "PopupMenu3" at the window's left and top
        ButtonMenu,     // the button menu of Button, at the window's left and top
        SelectionError, // an error box with Text (OK only)
        PageMenu,       // "PopupMenu2" at the window's left and top
        RunMenu,        // "PopupMenu5" at the window's left and top
        CdTray,         // open or close the CD tray
        ScreenSaver,    // start the screen saver
        Volume,         // one step of mixer Device in Direction
        Release,        // Button lets up
        ShowPage,       // Page is selected in the tab strip and shown
        TabsToStart,    // the tab strip scrolled so that the first tab shows first
        Select,         // Button pressed and made the button menu's target
        Launch,         // Button clicked, as the mouse would
        PutButton,      // the pending move or copy put down on Button
        Caption,        // the caption rebuilt for the page shown, then Text appended
        PlaySound,      // Button's selection sound, without waiting for it
    };
    Kind What = Kind::HelpContents;
    int Button = 0;
    int Page = 0;
    int Device = 0;
    VolumeDirection Direction = VolumeDirection::Up;
    std::string Text{};
    bool operator==(const KeyAction&) const = default;
};

// A key's answer: the actions in order, then S. Menus open without waiting for the
// choice (a choice may change the bar, and the rest of the plan is for the bar as it
// was seen); a button no longer there is passed over.
struct KeyPlan {
    std::vector<KeyAction> Actions;
    int Selection = 0; // S after the key; never 0 on a bar with buttons
};

inline constexpr std::string_view kNoKeyboardSelectionMessage =
    "A Button must be selected with the keyboard arrows, before this option will work";

KeyPlan HandleKey(const KeySnapshot& bar, SelectionKey key, KeyModifiers modifiers);

// The caption's tail for a selected button: seven blanks and its hint on one line,
// or "Empty" for a button without a program (or without a hint).
std::string SelectionCaption(const KeyButton& button);

} // namespace kex
