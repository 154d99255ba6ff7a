// MainWindow: the bar's main window, its start-up pass, its state and its handlers.
// Members are grouped by subsystem; each group's handlers are defined in that
// subsystem's folder.
#pragma once

#include <QDateTime>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <sys/types.h>

#include "core/bar/BarStore.h"
#include "core/config/NewIniFile.h"
#include "core/config/Settings.h"
#include "core/pages/ButtonRecord.h"
#include "core/pages/PageShift.h"

class QAction;
class QFrame;
class QLineEdit;
class QMenu;
class QScrollBar;
class QStackedWidget;
class QTimer;
class QToolButton;

namespace kex {

class ButtonConfigurator;
class TDialogs;
class TEnhancedGauge;
class TEyes;
class TPlatform;
class TSpeedButton;
class TTabSet;

// Where a launch comes from: the Run button (no button, only the lockout governs it),
// a replay from the recent list (whose program the watch does not wait for), or a
// page button.
enum class TLaunchSource { RunButton, RecentList, Button };

// The screen cursor, which the bar also uses as state.
enum TCursorCode : int { crDefault = 0, crHourGlass = -11, crDrag = -12, crMultiDrag = -16 };

// A Windows colour value 0x00BBGGRR and its QColor.
QColor ColorFromValue(int value);
int ValueFromColor(const QColor& color);

// A file name or description as a menu caption: "&" shows as itself, not as the
// mark of an accelerator.
QString MenuCaption(const std::string& text);
// Whether a menu offers anything: an item or a sub-menu that is shown.
bool HasVisibleItems(const QMenu* menu);

class MainWindow : public QWidget {
    Q_OBJECT
public:
    // args: the command-line arguments after the program name. Runs the start-up pass.
    MainWindow(TPlatform& platform, TDialogs& dialogs, std::vector<std::string> args, QWidget* parent = nullptr);
    ~MainWindow() override;

    // ---- ui/window/MainWindow.cpp: start-up and main window lifecycle
    void FormCreate();
    // A bar that starts small in the tray is not shown when the message loop starts;
    // only with a tray icon showing to bring it back.
    bool StartsHidden() const { return settings_.staySmall && settings_.trayOnLaunch && TrayIconShowing(); }
    void PIN();
    std::string NetUser();
    void FormCaption();
    void SaveLocation();
    void AppMin();
    void AppNorm();
    bool FormCloseQuery();
    void FormDestroy();
    void HelpButtonClick();
    void Exit1Click();
    void AppMessage(const std::string& name, int wParam);
    void ApplyShape();
    std::string IniFileName() const;
    // The help file: in AppDir, else beside the program, else in the data directory.
    std::string HelpFileName();
    void SetScreenCursor(int cursor);
    int ScreenCursor() const { return screenCursor_; }
    // Runs a handler; an error that escapes it is shown in an error box and the bar
    // goes on.
    void Guarded(const std::function<void()>& handler);
    // A write the bar makes on its own (the start-up pass, a load, storing its place):
    // when it fails (a read-only configuration, an AppDir that cannot be written) the
    // error is shown once, not at every try, and the bar goes on, read-only.
    void WriteReportedOnce(const std::function<void()>& write);
    QAction* MenuItem(const QString& name) const;

    // ---- ui/pages/ and ui/configure/ButtonMenu.cpp: grid, records, page management
    void CreateButtons();
    void Load();
    void GlyphFromIcon(TSpeedButton* button, const std::string& program, int iconIndex,
                       const std::string& description, const std::string& iconFile, const std::string& parameters);
    // The icon picker: the chosen index of a file with several icons (0 when none).
    int PickIcon(const std::string& iconFile);
    TSpeedButton* FindButton(int n) const;
    int PageCount() const;
    void ReadButtonInfo(int n);
    void EraseButtonInfo(int n);
    void WriteMoveInfo();
    void MoveCompare();
    void MoveClear();
    // Takes the current button's record for a move or copy (false when there is none
    // to take).
    bool TakeButton();
    void MoveButton();
    void CopyButton();
    void RemoveButton();
    void PutButton();
    void SpeedRightMouseDown(TSpeedButton* button, Qt::MouseButton mouse, int x, int y);
    void SetButtonParams(int x, int y, TSpeedButton* button);
    void PButton16Click(QAction* sender);
    // The rebuild; backupMade when the command that changed the pages already made the
    // backup before its change.
    void PageUpdate(bool backupMade = false);
    void ResolvePendingMoves();
    void ResolvePendingPageMove();
    void TabSet1Click();
    void TabSet1MouseDown(Qt::MouseButton button, int x, int y);
    void TabName();
    void TabCount(QAction* sender);
    void DeletePage(QAction* sender);
    void AddPage();
    void ChangeColor1Click(QAction* sender);
    void GetCustomPalette();
    void PageNameKeyDown(int key);
    void CloseEditor();
    void BroadcastLoad();
    // Page and button commands act on the configuration as it is now: when another
    // bar or kexbar-config changed the pages or buttons since this bar loaded them,
    // the bar reloads first, tells the user, and the command is not carried out
    // (answers false).
    bool EnsureCurrent();
    // Brings the bar in line with the file: a rebuild when its pages changed, else a
    // load of the buttons and page names.
    void Reload();
    // The start-up pass again on the standing bar, after pending moves are settled.
    void Rebuild();
    // The layout of the file as this bar now shows it (after its own changes).
    void NoteLayout();

    // ---- ui/launch/LaunchEngine.cpp: the launch engine
    void ButtonClick(TSpeedButton* button);
    // description: the button's, for the recent list (empty for the Run button).
    void Launch(const std::string& programText, const std::string& parameters, const std::string& workingDirectory,
                const std::string& description);
    void RunButtonClick();
    void AppActive32();
    // Browses for the program of an empty button and stores it; answers the program.
    std::string BrowseForProgram(int n, std::string& parameters);

    // ---- seats of later subsystems in ui/status, ui/tray, ui/configure, ui/protect
    void SmallSize();
    void TrayActivate(bool active);
    // Whether a working tray icon stands in for the bar: the bar never hides itself
    // without one (a desktop without a tray keeps the bar in sight).
    bool TrayIconShowing() const;
    void OpenPasswordPrompt(TSpeedButton* button);
    void PasswordEntered(const std::string& text);
    void RestoreCaptionAfterPrompt();
    void ButtonTextEntered(const std::string& mode, const std::string& text);
    void RecentAdd(const std::string& entry);
    // The recent list's entry renaming (an empty new text removes the entry).
    void RecentReplace(const std::string& oldText, const std::string& newText);
    // Where button passwords travel with records; none until passwords are kept.
    PasswordCarrier* Passwords() { return nullptr; }
    void GasGage();
    // The gauge panel's sources (status/GaugeSources.cpp): "Show Eyes", and the
    // clearing of every source's check mark that each source item begins with.
    void Eyes1Click();
    void UnCheck();
    void ShowEyes();
    void CheckPassword(const std::string& name);
    bool ModifyLocked() const { return LockMarker != "NilK305"; }

    // ---- main window state
    std::string AppDir;
    std::string IniSuffix;
    bool SyncMode = false;
    int StartingUp = 1;
    bool Loading = false; // the buttons are being loaded: no icon questions
    std::string CaptionPrefix = "Zivar32 ";
    std::string LoadMsg, PageUpdateMsg; // registered message names
    int ButtonsPerPage = 16;
    int ScreenButtons = 0;
    int RequestedButtons = 16;
    int ScreenWidth = 0;
    int ScreenHeight = 0;
    int PageWidth = 0, FramedWidth = 0, BareHeight = 0, FramedHeight = 0;
    int DefaultTop = 0;
    int BarTop = 0, BarLeft = 0;
    int FullWidth = 0, FullHeight = 0;
    int HorzScrollRange = 0;
    bool SmallActive = false;
    std::string ShrinkNow = "Yes";
    std::string GaugeType;
    QDateTime StartTime;
    int CurrentButton = 0; // the button a menu or a put-down is for
    int TabSelectedColor = 12632256, TabUnselectedColor = 8421376;
    bool FirstStart = false;
    int KeySelection = 0; // the keyboard selection's button number
    std::string TrayHint;
    std::string ButtonHintText, GaugeMouseHint, GaugeHintSuffix, TrayHintTail;
    std::string PasswordKey = "Main";
    std::string EnteredPassword;
    std::string LockMarker = "NilK305";
    bool LaunchPermission = false; // the password gate let the launch through

    // Button records
    ButtonRecord CurrentRecord;
    ButtonRecord PendingRecord;
    int MoveSource = 0;
    bool MoveIsMove = false; // the pending record is moved (not copied)

    // Page management
    std::string EditMode;
    std::string MovedPageName;
    PageMoveBuffer PageBuffer; // the page of a pending move (ListBox2 holds its fields)
    std::array<QColor, 16> CustomColors;

    // Launch state
    int CurrentButtonNumber = 0;
    TLaunchSource LaunchSource = TLaunchSource::RunButton;
    pid_t LaunchedPid = 0;

    // ---- controls
    QWidget* Content = nullptr; // everything but the horizontal scroll bar
    QFrame* Panel1 = nullptr;
    TEnhancedGauge* Gauge1 = nullptr;
    TEyes* Eyes = nullptr;
    QToolButton* HelpButton = nullptr;
    QToolButton* RunButton = nullptr;
    QStackedWidget* Notebook1 = nullptr;
    TTabSet* TabSet1 = nullptr;
    QLineEdit* Keys = nullptr;
    QLineEdit* PageName = nullptr;
    QScrollBar* HorzScrollBar = nullptr;
    std::vector<std::string> ListBox2; // the fields of a page whose move is pending
    QMenu* PopupMenu1 = nullptr;
    QMenu* PopupMenu2 = nullptr;
    QMenu* PopupMenu3 = nullptr;
    QMenu* PopupMenu4 = nullptr;
    QMenu* PopupMenu5 = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;
    QTimer* Timer3 = nullptr;

    TPlatform& Platform() { return platform_; }
    TDialogs& Dialogs() { return dialogs_; }

protected:
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void BuildGaugePanel();
    void BuildTimers();
    void BuildMenus();
    void BuildButtonAndPageMenus();
    QAction* AddItem(QMenu* menu, const QString& name, const QString& caption,
                     std::function<void(QAction*)> handler = nullptr);
    QMenu* AddSubMenu(QMenu* menu, const QString& name, const QString& caption);
    void ConnectHandler(QAction* action, std::function<void(QAction*)> handler);
    // The start-up pass in parts, each applying what the start-up settings say.
    StartupMachine Machine() const;
    void PrepareMenus();
    void ApplyMenuSettings();
    void ApplyClockSettings();
    void ApplyPlace();
    void SetHints();
    void ClearPages();
    void ApplyTabColors();
    void LocationSettled();
    // A notice about the configuration, shown once per text however often it is read.
    void NotifyOnce(const std::string& text);
    // The configure submenu, drops and the icon picker (ui/configure/Configure.cpp).
    ButtonConfigurator* MakeConfigurator();

    TPlatform& platform_;
    TDialogs& dialogs_;
    std::unique_ptr<BarStore> store_;
    StartupSettings settings_; // as read at the start, changed by the menus since
    bool rememberedOnTop_ = false; // the stored on-top state before stay-small put the bar on top
    std::vector<std::string> args_;
    int screenCursor_ = crDefault;
    bool destroyed_ = false;
    QTimer* saveLocationTimer_ = nullptr;
    bool locationStored_ = true;
    bool rebuilding_ = false; // the start-up pass runs again on a bar that stands
    PageLayout loadedLayout_;  // the layout of the file the bar shows
    std::string writeError_; // the last error of the bar's own writes shown
    std::map<int, TSpeedButton*> buttons_;
    std::set<int> iconDefaults_; // buttons found without an icon while loading
    std::vector<QAction*> unbuilt_; // menu items without a handler yet
    std::set<std::string> notified_;
    ButtonConfigurator* configurator_ = nullptr;
};

} // namespace kex
