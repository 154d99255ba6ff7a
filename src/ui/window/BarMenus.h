// BarMenus: the bar's five popup menus and their items. The designer names
// ("PopupMenu1", "MoveButton1", ...) stay the Qt object names of the menus and items,
// which tests and help use; the window connects the items it has handlers for, and an
// item nothing is connected to is hidden, so that it promises nothing.
#pragma once

#include <QString>

#include <functional>
#include <set>
#include <string>
#include <vector>

class QAction;
class QMenu;
class QWidget;

namespace kex {

struct ButtonRecord;
struct StartupSettings;

// A file name or description as a menu caption: "&" shows as itself, not as the
// mark of an accelerator.
QString MenuCaption(const std::string& text);
// Whether a menu offers anything: an item or a sub-menu that is shown.
bool HasVisibleItems(const QMenu* menu);

// The items of the system actions.
struct SystemMenuItems {
    QAction* cdTray = nullptr;         // "Open/Close CD Tray" ("PopupMenu5"); removed at start-up without a drive
    QAction* screenSaver = nullptr;    // "Activate Screen Saver" ("PopupMenu5")
    QAction* exitKexbar = nullptr;     // "&Exit Kexbar" ("PopupMenu4"): no action of its own
    QAction* exitWindows = nullptr;    // "Exit &Windows" ("PopupMenu4")
    QAction* restartWindows = nullptr; // "&Restart Windows" ("PopupMenu4")
    QAction* confirmExit = nullptr;    // "Show Exit &Options" ("&Modify Kexbar Menu")
    QAction* showHints = nullptr;      // "Show General &Hints" ("&Modify Kexbar Menu")
};

class BarMenus {
public:
    // Runs a handler; an error escaping it is shown and the bar goes on.
    using Guard = std::function<void(const std::function<void()>&)>;
    // Builds the five menus as children of the window.
    BarMenus(QWidget& window, Guard guard);

    QMenu* ButtonMenu() const { return button_; } // "PopupMenu1"
    QMenu* PageMenu() const { return page_; }     // "PopupMenu2"
    QMenu* GaugeMenu() const { return gauge_; }   // "PopupMenu3": the gauge and setup menu
    QMenu* ExitMenu() const { return exit_; }     // "PopupMenu4": the exit options
    QMenu* RunMenu() const { return run_; }       // "PopupMenu5": the recent entries follow its separator
    QAction* StayOnTop() const { return stayOnTop_; } // "Stay on &Top" ("StayonTop1")

    SystemMenuItems SystemItems() const;
    QAction* Autostart() const { return autostart_; } // "Autostart1": the session starts the bar

    // An item by its designer name (null when it is not offered).
    QAction* Item(const QString& name) const;
    bool Checked(const char* name) const;
    void Connect(const char* name, std::function<void()> handler);
    // Hides the items nothing is connected to, and the sub-menus that offer nothing.
    void HideUnconnected();

    // Items this system does not offer, captions of its own, and the items enabled
    // once the bar stands; a screen that allows only 16 buttons offers no switch.
    void Prepare(bool cdRom, bool sixteenOnly);
    void ApplyClockSettings(const StartupSettings& settings);

private:
    QAction* AddItem(QMenu* menu, const QString& name, const QString& caption, bool checkable = false,
                     bool checked = false);
    QMenu* AddSubMenu(QMenu* menu, const QString& name, const QString& caption);
    void BuildButtonAndPageMenus(QWidget& window);
    void BuildGaugeMenu(QWidget& window);

    Guard guard_;
    QMenu* button_ = nullptr;
    QMenu* page_ = nullptr;
    QMenu* gauge_ = nullptr;
    QMenu* exit_ = nullptr;
    QMenu* run_ = nullptr;
    QAction* stayOnTop_ = nullptr;
    QAction* autostart_ = nullptr;
    std::vector<QAction*> items_;
    std::set<QAction*> connected_;
};

} // namespace kex
