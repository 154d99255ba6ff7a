// BarMenus: the bar's five popup menus and their items, each handed out as a typed
// member. The designer names ("PopupMenu1", "MoveButton1", ...) stay the Qt object
// names of the menus and items, which tests and help use; no code outside this class
// finds an item by its name. The window connects the items it has handlers for, and
// an item nothing is connected to is hidden, so that it promises nothing.
#pragma once

#include <QPointer>
#include <QString>

#include <array>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include <QAction>

#include "ui/widgets/MenuText.h"

class QMenu;
class QWidget;

namespace kex {

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

    // ---- the button menu; an item the bar does not offer is null
    QAction* MoveButton() const { return moveButton_; }               // "MoveButton1"
    QAction* CopyButton() const { return copyButton_; }               // "CopyButton1"
    QAction* RemoveButton() const { return removeButton_; }           // "RemoveButton1"
    QAction* ConfigureButton() const { return configureButton_; }     // the sub-menu "ConfigureButton1"
    QAction* ChangeIcon() const { return changeIcon_; }               // "ChangeIcon1"
    QAction* ChangeDescription() const { return changeDescription_; } // "ChangeName1"
    QAction* ChangeParameter() const { return changeParameter_; }     // "Parameter1"
    QAction* ButtonShrink() const { return buttonShrink_; }           // "ShrinkOnLaunch2"
    QAction* WorkingDirectory() const { return workingDirectory_; }   // "SelectWorkingDirectory1"
    QAction* SelectFiles() const { return selectFiles_; }             // "SelectFiles1"
    QAction* SoundOnLaunch() const { return soundOnLaunch_; }         // "SoundLaunch1"
    QAction* SoundOnSelect() const { return soundOnSelect_; }         // "SoundSelect1"
    QAction* PasswordProtect() const { return passwordProtect_; }     // "PasswordProtect1"

    // ---- the page menu
    QAction* RenamePage() const { return renamePage_; }           // "RenamePage1"
    QAction* DeletePage() const { return deletePage_; }           // "DeletePage1"
    QAction* MovePage() const { return movePage_; }               // "MovePage1"
    QAction* AddPage() const { return addPage_; }                 // "AddPage1"
    QAction* UnselectedColor() const { return unselectedColor_; } // "UnselectedColor1"
    QAction* SelectedColor() const { return selectedColor_; }     // "SelectedColor1"
    QAction* TotalPages() const { return totalPages_; }           // "TotalPages1"
    QAction* Buttons16() const { return buttons16_; }             // "PButton16"
    QAction* Buttons21() const { return buttons21_; }             // "PButton21"

    // ---- the gauge menu: its sources
    QAction* GraphDisplay() const { return graphDisplay_; } // the sub-menu "GraphDisplayMenu1"
    // The drive item of letter 'C' to 'Z' ("CHardDrive" ...; its data: the letter's code).
    QAction* DriveGraph(char letter) const;
    QAction* SystemMemory() const { return systemMemory_; } // "SystemMemory1"
    QAction* ProgramTimer() const { return programTimer_; } // "ProgTime1"
    QAction* ShowTime() const { return showTime_; }         // "ShowTime1"
    QAction* ShowEyes() const { return showEyes_; }         // "Eyes1"
    // The source item a stored gauge type names (its designer name), else null.
    QAction* GaugeSource(const std::string& gaugeType) const;
    // Every source item the bar offers: the drives, memory, time, timer and eyes.
    std::vector<QAction*> GaugeSources() const;

    // ---- the gauge menu: the clock
    QAction* ClockOptions() const { return clockOptions_; }   // the sub-menu "ClockOptions1"
    QAction* TwelveHourClock() const { return twelveHour_; }  // "Clock1"
    QAction* OnHalfHour() const { return onHalfHour_; }       // "OnHalfHour1"
    QAction* OnHour() const { return onHour_; }               // "OnHour1"
    QAction* HourSound() const { return hourSound_; }         // "TimeSound1"
    QAction* HalfHourSound() const { return halfHourSound_; } // "TimeSound2"

    // ---- the gauge menu: the bar's settings
    QAction* ModifyMenu() const { return modifyMenu_; }             // the sub-menu "ModifyMenu1"
    QAction* StayOnTop() const { return stayOnTop_; }               // "StayonTop1"
    QAction* StaySmall() const { return staySmall_; }               // "StaySmall"
    QAction* BarGraphOnLaunch() const { return barGraphOnLaunch_; } // "ShrinkOnLaunch1"
    QAction* TrayOnLaunch() const { return trayOnLaunch_; }         // "HideGraph1"
    QAction* AnimateTray() const { return animateTray_; }           // "IconState1"
    QAction* ShowHints() const { return showHints_; }               // "ShowHint1"
    QAction* ExitOptions() const { return exitOptions_; }           // "ConfirmExit1"
    QAction* ExitFromMenu() const { return exitFromMenu_; }         // "Exit1"
    QAction* LockGraphLocation() const { return lockGraph_; }       // "LockGraphLocation1"
    QAction* LockoutModify() const { return lockoutModify_; }       // "LockoutModify1"

    // ---- the exit menu and the run menu
    QAction* ExitBar() const { return exitBar_; }               // "ExitKexbar1"
    QAction* ExitSession() const { return exitSession_; }       // "ExitWin1"
    QAction* RestartMachine() const { return restartMachine_; } // "RestartWin1"
    QAction* CdTray() const { return cdTray_; }                 // "CDTray1" (null without a CD drive)
    QAction* ScreenSaver() const { return screenSaver_; }       // "ScreenSave1"
    QAction* RecentAnchor() const { return recentAnchor_; }     // the separator "Pop5Bar"

    QAction* Autostart() const { return autostart_; } // "Autostart1": the session starts the bar
    SystemMenuItems SystemItems() const;

    // An item by its designer name, for tests and help only (null when it is not
    // offered); the bar's code uses the typed members.
    QAction* Item(const QString& name) const;

    // Runs the handler, guarded, when the item is triggered; the item counts as
    // connected (it is not hidden).
    void Connect(QAction* item, std::function<void()> handler);
    // Hides the items nothing is connected to, and the sub-menus that offer nothing.
    void HideUnconnected();

    // Items this system does not offer, captions of its own, and the items enabled
    // once the bar stands; a screen that allows only 16 buttons offers no switch.
    void Prepare(bool cdRom, bool sixteenOnly);

private:
    // An item; a checkable one starts unticked, its owner ticks it from its settings.
    QAction* AddItem(QMenu* menu, const QString& name, const QString& caption, bool checkable = false);
    QMenu* AddSubMenu(QMenu* menu, const QString& name, const QString& caption);
    void BuildButtonAndPageMenus(QWidget& window);
    void BuildGaugeMenu(QWidget& window);

    Guard guard_;
    QMenu* button_ = nullptr;
    QMenu* page_ = nullptr;
    QMenu* gauge_ = nullptr;
    QMenu* exit_ = nullptr;
    QMenu* run_ = nullptr;
    QPointer<QAction> autostart_;
    std::vector<QPointer<QAction>> items_;
    std::set<QAction*> connected_;

    // Items that go when the bar does not offer them are guarded pointers: null then.
    QPointer<QAction> moveButton_, copyButton_, removeButton_, configureButton_, changeIcon_, changeDescription_,
        changeParameter_, buttonShrink_, workingDirectory_, selectFiles_, soundOnLaunch_, soundOnSelect_,
        passwordProtect_;
    QPointer<QAction> renamePage_, deletePage_, movePage_, addPage_, unselectedColor_, selectedColor_, totalPages_,
        buttons16_, buttons21_;
    QPointer<QAction> graphDisplay_, systemMemory_, userResources_, gdiResources_, programTimer_, showTime_, showEyes_;
    std::array<QPointer<QAction>, 'Z' - 'C' + 1> drives_;
    QPointer<QAction> clockOptions_, twelveHour_, onHalfHour_, onHour_, hourSound_, halfHourSound_;
    QPointer<QAction> modifyMenu_, stayOnTop_, staySmall_, barGraphOnLaunch_, trayOnLaunch_, animateTray_, showHints_,
        exitOptions_, exitFromMenu_, lockGraph_, lockoutModify_;
    QPointer<QAction> exitBar_, exitSession_, restartMachine_, cdTray_, screenSaver_, recentAnchor_;
};

} // namespace kex
