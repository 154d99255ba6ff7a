// MainWindow: the bar's main window. It builds the controls and the menus, runs the
// start-up pass, owns the subsystem objects (the page bar, the launcher, and the seats
// of those still to come) and wires them to each other; the state of each subsystem
// is the subsystem's own.
#pragma once

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/window/Startup.h"
#include "core/window/StartupSettings.h"
#include "ui/launch/Launcher.h"
#include "ui/pages/PageBar.h"
#include "ui/pages/PageHooks.h"
#include "ui/status/SmallMode.h"
#include "ui/status/SmallModeWindow.h"
#include "ui/status/StatusPanel.h"
#include "ui/tray/TrayIcon95.h"
#include "ui/window/BarContext.h"
#include "ui/window/BarControls.h"
#include "ui/window/BarMenus.h"
#include "ui/window/WindowState.h"
#include "ui/widgets/Colors.h"

class QAction;
class QFrame;
class QLineEdit;
class QMenu;
class QScrollBar;
class QStackedWidget;
class QTimer;
class QToolButton;

namespace kex {

class ActivationService;
class BarStore;
class ButtonConfigurator;
class ButtonFaces;
class IconChoice;
class KeyboardSelection;
class Protection;
class RecentList;
class SystemActions;
class TDialogs;
class TEnhancedGauge;
class TEyes;
class TPlatform;
class TSpeedButton;
class TTabSet;
struct StartupMachine;

// The window is small mode's SmallModeWindow: small mode shapes, shows, hides and
// places it only through that face.
class MainWindow : public QWidget, private SmallModeWindow {
    Q_OBJECT
public:
    // args: the command-line arguments after the program name. activation: the
    // configuration's service on the session bus, whose requests the bar carries out
    // (none: the bar takes no requests). Runs the start-up pass.
    MainWindow(TPlatform& platform, TDialogs& dialogs, std::vector<std::string> args,
               ActivationService* activation = nullptr, QWidget* parent = nullptr);
    ~MainWindow() override;

    // A bar that starts small in the tray is not shown when the message loop starts;
    // only with a tray icon showing to bring it back.
    bool StartsHidden() const { return InTray(small_->State()); }
    const WindowState& State() const { return state_; }
    // A menu item by its designer name, for tests and help; the bar's code uses the
    // typed items of BarMenus.
    QAction* MenuItem(const QString& name) const { return menus_->Item(name); }
    int ScreenCursor() const { return cursor_.Shape(); }
    std::string IniFileName() const;
    // The help file: in AppDir, else beside the program, else in the data directory.
    std::string HelpFileName();
    // Runs a handler; an error that escapes it is shown in an error box and the bar
    // goes on.
    void Guarded(const std::function<void()>& handler);
    // A write the bar makes on its own (the start-up pass, a load, storing its place):
    // when it fails (a read-only configuration, an AppDir that cannot be written) the
    // error is shown once, not at every try, and the bar goes on, read-only.
    void WriteReportedOnce(const std::function<void()>& write);
    // The gauge panel: its sources and refresh.
    StatusPanel& Status() const { return *status_; }
    // Small mode: the full bar, the small bar, or hidden behind the tray icon.
    SmallMode& Small() const { return *small_; }

protected:
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;
    // Drags and drops anywhere on the bar go to the button configuration.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // ---- controls and menus
    void BuildControls();
    void BuildTimers();
    // The menus, their items connected to their handlers.
    void BuildMenus();
    // The subsystem objects, constructed in one place and connected to each other.
    void BuildSubsystems();

    // ---- the start-up pass and its appliers
    // Once, at the start: the machine, the settings, the start noted in the file,
    // protection's start-up check, then the appliers.
    void FormCreate();
    // A page rebuild on the standing bar: the settings read again and the appliers,
    // the bar kept where it stands; nothing is noted in the file, protection is not
    // started again.
    void RebuildPass();
    // What the start and a rebuild both run: the machine's screen, the menus, the
    // settings applied, the pages created and loaded, small mode.
    void ReadMachine();
    void ApplySettings();
    void ReadCommandLine();
    StartupMachine Machine() const;
    void PrepareMenus();
    void ApplyMenuSettings();
    void ApplyPlace();
    void ApplyShape();

    // ---- the main window's lifecycle
    void FormCaption();
    void SaveLocation();
    void LocationSettled();
    bool FormCloseQuery();
    void FormDestroy();
    void AppMessage(const BarMessage& message);
    void SetScreenCursor(int cursor) { cursor_.Show(cursor); }
    void NotifyOnce(const std::string& text) { guard_.NotifyOnce(text); }

    // ---- small mode's face
    bool Shown() const override { return isVisible(); }
    void ShowRaised() override;
    void Hide() override { hide(); }
    QPoint Position() const override { return pos(); }
    QPoint FrameOffset() const override { return geometry().topLeft() - frameGeometry().topLeft(); }
    void PlaceAt(QPoint frame, std::optional<QPoint> clientOffset) override;
    void SetSmallShape() override;
    void SetTaskbarEntry(bool entry) override;
    void TakeDrops() override { setAcceptDrops(true); }

    // ---- what the subsystems' signals ask of the window
    void BroadcastLoad();
    void ShowHelp();
    void FocusKeys();

    TPlatform& platform_;
    TDialogs& dialogs_;
    BarGuard guard_;
    BarCursor cursor_;
    std::vector<std::string> args_;
    WindowState state_;
    StartupSettings settings_;     // as read at the start, changed by the menus since
    bool rememberedOnTop_ = false; // the stored on-top state before stay-small put the bar on top
    bool destroyed_ = false;
    bool locationStored_ = true;
    std::optional<QString> lentCaption_; // the caption while the password prompt borrows it

    BarControls c_;
    QTimer* saveLocationTimer_ = nullptr;
    std::unique_ptr<BarMenus> menus_; // the five popup menus

    // ---- subsystems
    std::unique_ptr<BarStore> store_;
    std::unique_ptr<BarContext> context_;    // what every subsystem is given
    std::unique_ptr<IconChoice> iconChoice_; // the icon picker's use
    std::unique_ptr<ButtonFaces> faces_;
    PageBar* pages_ = nullptr;                   // owned as a child object
    Launcher* launcher_ = nullptr;               // owned as a child object
    Protection* protection_ = nullptr;           // owned as a child object
    StatusPanel* status_ = nullptr;              // owned as a child object
    TRWTrayIcon95* tray_ = nullptr;              // owned as a child object
    SmallMode* small_ = nullptr;                 // owned as a child object
    ButtonConfigurator* configurator_ = nullptr; // owned as a child object
    RecentList* recent_ = nullptr;               // owned as a child object
    KeyboardSelection* keyboard_ = nullptr;      // owned as a child object
    SystemActions* system_ = nullptr;            // owned as a child object
    ActivationService* activation_ = nullptr;    // requests of another kexbar; not owned
};

} // namespace kex
