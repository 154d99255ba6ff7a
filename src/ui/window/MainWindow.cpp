#include "ui/window/MainWindow.h"

#include <QAction>
#include <QMoveEvent>
#include <QCloseEvent>
#include <QDropEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

#include <algorithm>

#include "core/bar/BarStore.h"
#include "core/import/ProgramImport.h"
#include "core/launch/CommandLine.h"
#include "core/window/Startup.h"
#include "ui/autostart/AutostartItem.h"
#include "ui/configure/ButtonConfigurator.h"
#include "ui/configure/IconPicker.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/keys/KeyboardSelection.h"
#include "ui/pages/ButtonFaces.h"
#include "ui/recent/RecentList.h"
#include "ui/system/OnTop.h"
#include "ui/system/SystemActions.h"
#include "ui/window/BarControls.h"
#include "ui/window/BarMenus.h"
#include "ui/window/TaskbarEntry.h"
#include "ui/widgets/Pictures.h"
#include "ui/widgets/PlainToolTips.h"
#include "ui/widgets/SpeedButton.h"
#include "ui/widgets/TabSet.h"
#include "platform/ActivationService.h"
#include "platform/TPlatform.h"
#include "ui/protect/Protection.h"
#include "ui/widgets/EnhancedGauge.h"
#include "ui/widgets/Eyes.h"

namespace kex {

MainWindow::MainWindow(TPlatform& platform, TDialogs& dialogs, std::vector<std::string> args,
                       ActivationService* activation, QWidget* parent)
    : QWidget(parent, Qt::Window), platform_(platform), dialogs_(dialogs), guard_(dialogs), args_(std::move(args)),
      activation_(activation)
{
    setObjectName("Form1");
    // Hints are plain text: a description is never read as markup.
    new PlainToolTips(*this);
    BuildControls();
    BuildMenus();
    ReadCommandLine();
    BuildSubsystems();
    platform_.SetMessageHandler([this](const BarMessage& message) { Guarded([&] { AppMessage(message); }); });
    FormCreate();
}

MainWindow::~MainWindow()
{
    platform_.SetMessageHandler(nullptr);
    FormDestroy();
}

// ------------------------------------------------------------------ controls

void MainWindow::BuildControls()
{
    c_ = BuildBarControls(
        *this, [this] { return platform_.CursorPos(); },
        [this](std::function<void()> moved) { return platform_.WatchPointer(std::move(moved)); });
    connect(c_.helpButton, &QToolButton::clicked, this, [this] { Guarded([this] { ShowHelp(); }); });
    connect(c_.scrollBar, &QScrollBar::valueChanged, this, [this](int v) { c_.content->move(-v, 0); });
    c_.keys->installEventFilter(this);
    for (TGraphicControl* control : std::initializer_list<TGraphicControl*>{c_.gauge, c_.eyes})
        connect(control, &TGraphicControl::PopupRequested, this,
                [this](QMenu* menu, const QPoint& pos) { Guarded([&] { dialogs_.Popup(menu, pos); }); });
    BuildTimers();
}

void MainWindow::BuildTimers()
{
    // The bar's place is stored once its moves have settled.
    saveLocationTimer_ = new QTimer(this);
    saveLocationTimer_->setSingleShot(true);
    saveLocationTimer_->setInterval(0);
    connect(saveLocationTimer_, &QTimer::timeout, this, [this] { Guarded([this] { LocationSettled(); }); });
}

void MainWindow::BuildMenus()
{
    menus_ = std::make_unique<BarMenus>(*this, [this](const std::function<void()>& handler) { Guarded(handler); });
    const std::pair<QAction*, std::function<void()>> handlers[] = {
        {menus_->MoveButton(), [this] { pages_->MoveButton(); }},
        {menus_->CopyButton(), [this] { pages_->CopyButton(); }},
        {menus_->RemoveButton(), [this] { pages_->RemoveButton(); }},
        {menus_->RenamePage(), [this] { pages_->RenamePage(); }},
        {menus_->DeletePage(), [this] { pages_->DeletePage(); }},
        {menus_->MovePage(), [this] { pages_->MovePage(); }},
        {menus_->AddPage(), [this] { pages_->AddPage(); }},
        {menus_->UnselectedColor(), [this] { pages_->Colors().Change(false); }},
        {menus_->SelectedColor(), [this] { pages_->Colors().Change(true); }},
        {menus_->TotalPages(), [this] { pages_->EditPageCount(); }},
        {menus_->Buttons16(), [this] { pages_->SwitchButtonsPerPage(16); }},
        {menus_->Buttons21(), [this] { pages_->SwitchButtonsPerPage(21); }},
        {menus_->ShowEyes(), [this] { status_->ShowEyes(); }},
        {menus_->ExitFromMenu(), [this] { close(); }},
    };
    for (const auto& [item, handler] : handlers)
        menus_->Connect(item, handler);
    menus_->HideUnconnected();
    c_.gauge->SetPopupMenu(menus_->GaugeMenu());
    c_.eyes->SetPopupMenu(menus_->GaugeMenu());
}

// ------------------------------------------------------------------ subsystems

void MainWindow::BuildSubsystems()
{
    // Each subsystem is given the context, its widgets and menu items, and the faces
    // of those made before it; everything else is a signal connected here.
    context_ = std::make_unique<BarContext>(BarContext{*store_, platform_, dialogs_, guard_, cursor_, state_.AppDir});
    BarContext& context = *context_;
    status_ = new StatusPanel(context, *menus_, StatusWidgets{c_.panel, c_.gauge, c_.eyes}, this);
    iconChoice_ = std::make_unique<IconChoice>(context, this);
    faces_ = std::make_unique<ButtonFaces>(context, *iconChoice_, palette().color(QPalette::Button));

    // Protection: the gates of the page bar and the launcher; its prompt opens in the
    // page bar's editor and borrows the caption.
    protection_ = new Protection(
        context, ProtectionMenus{menus_->LockoutModify(), menus_->ModifyMenu(), menus_->PasswordProtect()}, this);
    StarPasswordCharacter(*c_.pageName);
    connect(protection_, &Protection::CaptionLent, this, [this](const QString& caption) {
        if (!lentCaption_) // once, when a second prompt replaces an open one
            lentCaption_ = windowTitle();
        setWindowTitle(caption);
    });
    connect(protection_, &Protection::CaptionReturned, this, [this] {
        if (lentCaption_)
            setWindowTitle(*lentCaption_);
        lentCaption_.reset();
    });

    // The page bar.
    pages_ = new PageBar(
        context, *faces_, *protection_,
        PageBarWidgets{c_.panel,
                       c_.scrollBar,
                       c_.notebook,
                       c_.tabs,
                       c_.pageName,
                       menus_->ButtonMenu(),
                       menus_->PageMenu(),
                       {menus_->MoveButton(), menus_->CopyButton(), menus_->RemoveButton(), menus_->ConfigureButton()}},
        this);
    connect(protection_, &Protection::PromptRequested, pages_, &PageBar::OpenPrompt);
    connect(menus_->PasswordProtect(), &QAction::triggered, protection_,
            [this] { protection_->ProtectButton(pages_->MenuButton()); });
    connect(pages_, &PageBar::CaptionChanged, this, [this] { FormCaption(); });
    connect(pages_, &PageBar::FileChanged, this, &MainWindow::BroadcastLoad);
    connect(pages_, &PageBar::FocusKeysRequested, this, &MainWindow::FocusKeys);
    connect(pages_, &PageBar::RebuildRequested, this, &MainWindow::RebuildPass);
    connect(c_.tabs, &TTabSet::Click, this, [this] { Guarded([this] { pages_->SelectPage(); }); });
    connect(c_.tabs, &TTabSet::MouseDown, this, [this](Qt::MouseButton b, Qt::KeyboardModifiers, int x, int y) {
        Guarded([&] { pages_->TabMouseDown(b, x, y); });
    });

    // The launcher.
    launcher_ = new Launcher(context, settings_, *pages_, *faces_, *protection_, this);
    connect(pages_, &PageBar::LaunchRequested, launcher_, &Launcher::ClickButton);
    connect(launcher_, &Launcher::FileChanged, this, &MainWindow::BroadcastLoad);
    connect(launcher_, &Launcher::FocusKeysRequested, this, &MainWindow::FocusKeys);
    connect(launcher_, &Launcher::ProgramTimerRestarted, status_, &StatusPanel::SetProgramStart);
    connect(c_.runButton, &QToolButton::clicked, this, [this] { Guarded([this] { launcher_->RunButtonClick(); }); });
    connect(c_.runButton, &QToolButton::customContextMenuRequested, this, [this](const QPoint& pos) {
        Guarded([&] { launcher_->RunButtonRightClick(c_.runButton->mapToGlobal(pos)); });
    });

    // The button configuration.
    // Files dropped anywhere on the window go to it (dragEnterEvent, dropEvent).
    configurator_ = new ButtonConfigurator(context, settings_, *menus_, *pages_, *pages_, *faces_, *iconChoice_, this);
    setAcceptDrops(true);
    connect(pages_, &PageBar::ButtonMenuAboutToShow, configurator_, &ButtonConfigurator::MenuAboutToShow);
    connect(configurator_, &ButtonConfigurator::LaunchWithFilesRequested, launcher_, &Launcher::LaunchWithFiles);
    connect(configurator_, &ButtonConfigurator::DescriptionChanged, pages_, &PageBar::DescriptionChanged);
    connect(configurator_, &ButtonConfigurator::FileChanged, this, &MainWindow::BroadcastLoad);
    connect(configurator_, &ButtonConfigurator::ChimeSoundChanged, status_, &StatusPanel::SetChimeSound);

    // The recent list after the Run menu's separator, told of launches and button
    // changes; it opens with "PopupMenu5" on the Run button's right click.
    recent_ = new RecentList(guard_, *pages_, menus_->RecentAnchor(), this);
    recent_->Open(IniFileName());
    connect(recent_, &RecentList::LaunchRequested, this,
            [this](int n) { Guarded([&] { launcher_->ClickButton(n); }); });
    connect(launcher_, &Launcher::ButtonLaunched, recent_, &RecentList::ButtonLaunched);
    connect(pages_, &PageBar::ButtonMoved, recent_, &RecentList::ButtonMoved);
    connect(pages_, &PageBar::ButtonRemoved, recent_, &RecentList::ButtonRemoved);
    connect(pages_, &PageBar::ButtonDescriptionChanged, recent_, &RecentList::DescriptionChanged);
    connect(pages_, &PageBar::PagesRebuilt, recent_, &RecentList::PagesRebuilt);
    connect(launcher_, &Launcher::RunMenuRequested, this, [this](const QPoint& pos) {
        // Another bar on this file may have launched meanwhile: the list is taken
        // from the file before the menu is known to be empty.
        recent_->RefreshFromFile();
        if (HasVisibleItems(menus_->RunMenu()))
            dialogs_.Popup(menus_->RunMenu(), pos);
    });

    // The tray icon and small mode: a launch shrinks the bar or hides it behind the
    // icon, the program's end brings it back; the icon's menu is the tray menu. The
    // options small mode owns are told to the window's typed settings, which the
    // launcher and the button configuration read.
    tray_ = new TRWTrayIcon95(this);
    tray_->SetIcon(MainIcon());
    tray_->SetDisabledIcon(MainIcon());
    tray_->SetAnimationInterval(125);
    tray_->SetAnimationIcons({"RUN3", "RUN2", "RUN1"});
    tray_->SetAnimationOptions(TRWTrayIconAnimationOptions::aoIconsInExe);
    tray_->SetHint("Kexbar");
    tray_->SetPopupMenu(menus_->RunMenu());
    tray_->SetAutoPopup(true);
    connect(menus_->RunMenu(), &QMenu::aboutToShow, recent_, &RecentList::RefreshFromFile);
    small_ = new SmallMode(
        context, static_cast<SmallModeWindow&>(*this), SmallModeWidgets{c_.panel, c_.gauge, c_.eyes, c_.scrollBar},
        SmallModeMenus{menus_->StaySmall(), menus_->BarGraphOnLaunch(), menus_->TrayOnLaunch(),
                       menus_->LockGraphLocation(), menus_->AnimateTray(), menus_->GaugeMenu(), menus_->RunMenu()},
        state_, *launcher_, *tray_, this);
    connect(launcher_, &Launcher::SmallModeRequested, small_, &SmallMode::Apply);
    connect(small_, &SmallMode::FullShapeRequested, this, [this] { ApplyShape(); });
    connect(small_, &SmallMode::PlaceHeld, saveLocationTimer_, qOverload<>(&QTimer::start));
    connect(small_, &SmallMode::OptionsChanged, this, [this](const SmallModeOptions& options) {
        settings_.shrinkOnLaunch = options.shrinkOnLaunch;
        settings_.trayOnLaunch = options.trayOnLaunch;
        settings_.staySmall = options.staySmall;
    });

    // The keyboard: the keys' own edit, the function keys routed to the other
    // subsystems, the caption's tail, the stay-on-top switch.
    keyboard_ = new KeyboardSelection(context, state_, *c_.keys, *pages_, *launcher_, *small_,
                                      KeyboardMenus{*menus_->GaugeMenu(), *menus_->StayOnTop()}, this);
    connect(keyboard_, &KeyboardSelection::SmallSizeRequested, small_, &SmallMode::SmallSize);
    connect(keyboard_, &KeyboardSelection::VolumeRequested, status_, &StatusPanel::VolAdj);
    connect(keyboard_, &KeyboardSelection::RunMenuRequested, launcher_, &Launcher::RunMenuRequested);
    connect(keyboard_, &KeyboardSelection::CaptionRequested, this, [this](const QString& tail) {
        FormCaption();
        if (!tail.isEmpty())
            setWindowTitle(windowTitle() + tail);
    });
    connect(keyboard_, &KeyboardSelection::ShapeSwitched, this, [this](const OnTopSwitch& shape) {
        settings_.onTop = shape.OnTop;
        rememberedOnTop_ = shape.OnTop;
        ApplyShape();
        setAcceptDrops(true);
    });
    connect(pages_, &PageBar::ButtonMenuAboutToShow, keyboard_, [this](int n) { keyboard_->MenuButton(n); });
    // The system actions: the CD tray, the screen saver, the exit options, the exit
    // question and the general hints; and the keeper of an on-top bar.
    system_ =
        new SystemActions(*context_, menus_->SystemItems(), HintWidgets{c_.helpButton, c_.tabs, c_.runButton}, this);
    connect(system_, &SystemActions::HintsChanged, this, [this](const GeneralHintTexts& hints) {
        state_.ButtonHintText = hints.button;
        state_.GaugeMouseHint = hints.gaugeMouse;
        state_.GaugeHintSuffix = hints.gaugeSuffix;
        state_.TrayHintTail = hints.trayTail;
        status_->SetMouseHint(hints.gaugeMouse);
    });
    connect(system_, &SystemActions::SettleRequested, this, [this](bool& settled) {
        settled = false;
        saveLocationTimer_->stop();
        Guarded([&] {
            pages_->ResolvePendingMoves();
            LocationSettled();
            settled = true;
        });
    });
    connect(system_, &SystemActions::CloseRequested, this, &QWidget::close);
    new TOnTop(*this);
    connect(keyboard_, &KeyboardSelection::CdTrayRequested, system_, &SystemActions::ToggleCdTray);
    connect(keyboard_, &KeyboardSelection::ScreenSaverRequested, system_, &SystemActions::ActivateScreenSaver);
    // Requests of another kexbar on this configuration (`--activate N`, `--page P`,
    // `--toggle`, `--show`), carried out as the user's own. Each was answered before it
    // comes here, checked against the limits of its moment: one beyond the bar as it
    // stands now is passed over.
    if (activation_) {
        const auto bringBack = [this] {
            if (small_->SmallActive())
                small_->SmallSize();
            if (windowState() & Qt::WindowMinimized)
                setWindowState(windowState() & ~Qt::WindowMinimized);
            show();
            raise();
            activateWindow();
        };
        connect(activation_, &ActivationService::ActivateRequested, this, [this, bringBack](int n) {
            Guarded([&] {
                if (n < 1 || n > pages_->PageCount() * pages_->ButtonsPerPage())
                    return;
                // Through the click's own way: the lockout, a password, small mode and
                // the launched-program watch as for a click. A password prompt or a
                // program browsed for needs the bar in sight.
                launcher_->ClickButton(n);
                if (pages_->EditorOpen())
                    bringBack();
            });
        });
        connect(activation_, &ActivationService::ShowPageRequested, this, [this, bringBack](int p) {
            Guarded([&] {
                if (p < 1 || p > pages_->PageCount())
                    return;
                bringBack();
                pages_->ShowPage(p - 1);
            });
        });
        connect(activation_, &ActivationService::ToggleRequested, this,
                [this] { Guarded([this] { small_->SmallSize(); }); });
        connect(activation_, &ActivationService::ShowRequested, this, [this, bringBack] { Guarded(bringBack); });
    }

    // The session starts this bar, with its suffix and mode, when the user asks.
    new AutostartItem(*context_, *menus_->Autostart(), *menus_->GaugeMenu(), args_, this);
}

void MainWindow::ShowHelp()
{
    dialogs_.SetHelpFile(HelpFileName());
    dialogs_.ShowHelp(0);
}

void MainWindow::FocusKeys() { c_.keys->setFocus(); }

// ------------------------------------------------------------------ start-up pass

void MainWindow::ReadCommandLine()
{
    // The AppDir, the configuration's suffix, sync mode and the message names; with
    // them the one store of the configuration.
    state_.AppDir = platform_.AppDir();
    std::string user;
    if (!args_.empty() && (args_[0] == "/n" || args_[0] == "/N"))
        user = platform_.NetworkUserName();
    const CommandLineRequests cl = ParseCommandLine(args_, user);
    state_.IniSuffix = cl.IniSuffix;
    state_.SyncMode = cl.SyncMode;
    state_.LoadMsg = LoadMessageName(state_.IniSuffix);
    state_.PageUpdateMsg = PageUpdateMessageName(state_.IniSuffix);
    state_.ConfigurationId = ConfigurationIdentity(IniFileName());
    // Each record change of the store carries the passwords along (protection's
    // carrier, from its start-up check on).
    store_ = std::make_unique<BarStore>(IniFileName(), [this]() -> std::unique_ptr<PasswordTransaction> {
        return protection_ ? protection_->Transaction() : nullptr;
    });
}

void MainWindow::FormCreate()
{
    launcher_->RestartProgramTimer();
    state_.StartingUp = true;
    dialogs_.SetHelpFile(HelpFileName());
    status_->RefreshGauge();
    state_.CaptionPrefix = "Zivar32 ";
    ReadMachine();

    // Every start-up setting from one read of the file; the start is noted in it (a
    // file that cannot be written leaves the bar read-only).
    settings_ = store_->ReadStartup(Machine());
    NotifyOnce(settings_.notice);
    WriteReportedOnce([&] { store_->NoteStart(settings_); });
    WriteReportedOnce(
        [&] { protection_->Start(IniFileName(), state_.IniSuffix, settings_.user, settings_.buttonsPerPage); });
    state_.FirstStart = settings_.firstStart;
    state_.BarTop = settings_.barTop;
    state_.BarLeft = settings_.barLeft;
    // A first start offers to fill the bar from the desktop's program groups, before
    // the pages are built from the file.
    if (settings_.firstStart) {
        FirstStartImport imported;
        WriteReportedOnce([&] {
            ImportPrompts prompts;
            prompts.askYes = [this] {
                return dialogs_.MessageDlg(kImportQuestion, MessageType::mtConfirmation, mbYes | mbNo | mbHelp,
                                           kImportHelpContext)
                       == ModalResult::mrYes;
            };
            prompts.busy = [this](bool busy) { SetScreenCursor(busy ? crHourGlass : crDefault); };
            imported = ImportOnFirstStart(*store_, settings_.buttonsPerPage, platform_.ProgramGroups(), prompts);
        });
        if (!imported.message.empty())
            dialogs_.ShowMessage(imported.message);
    }
    ApplySettings();
    // A first start stores the bar's place once it stands, so that the next start is
    // not taken for a first one.
    locationStored_ = !state_.FirstStart;
    if (state_.FirstStart)
        saveLocationTimer_->start();
}

void MainWindow::RebuildPass()
{
    state_.StartingUp = true;
    ReadMachine();
    settings_ = store_->ReadStartup(Machine());
    NotifyOnce(settings_.notice);
    // A rebuild keeps the bar where it stands (another bar on this file may have
    // stored its own place meanwhile).
    state_.BarTop = y();
    state_.BarLeft = x();
    ApplySettings();
}

void MainWindow::ReadMachine()
{
    QSize screen = platform_.ScreenSize();
    state_.ScreenWidth = screen.width();
    state_.ScreenHeight = screen.height();
    state_.ScreenButtons = ScreenButtonsFor(state_.ScreenWidth);
    state_.DefaultTop = DefaultTopFor(state_.ScreenHeight, platform_.SystemMetric(MetricId::SM_CYMENUSIZE));
    PrepareMenus();
    FormCaption();
}

void MainWindow::ApplySettings()
{
    status_->ApplyClockSettings(settings_);
    ApplyMenuSettings();

    pages_->CreatePages(settings_.buttonsPerPage, QString::fromStdString(state_.ButtonHintText));
    pages_->Colors().Set(settings_.selectedTabColor, settings_.unselectedTabColor);
    ApplyPlace();
    state_.StartingUp = false;
    pages_->Load();
    if (activation_)
        activation_->SetLimits(pages_->PageCount() * pages_->ButtonsPerPage(), pages_->PageCount());

    // A bar that stays small starts small; on top only when it does not start in the
    // tray or was on top before.
    if (settings_.staySmall) {
        if (!rememberedOnTop_ && !settings_.trayOnLaunch) {
            settings_.onTop = false;
            menus_->StayOnTop()->setChecked(false);
            state_.FullHeight = state_.FramedHeight;
        }
        small_->Apply(SmallModeCause::StartUp);
    }
    SetScreenCursor(crDefault);
    FormCaption();
}

StartupMachine MainWindow::Machine() const
{
    StartupMachine machine;
    machine.defaultTop = state_.DefaultTop;
    machine.screenButtons = state_.ScreenButtons;
    return machine;
}

void MainWindow::PrepareMenus() { menus_->Prepare(platform_.CdRomFound(), state_.ScreenButtons == 16); }

void MainWindow::ApplyMenuSettings()
{
    system_->ApplyHintSetting(settings_.showHints);
    status_->ShowSource(settings_.gaugeType);
    system_->ApplyExitSetting(settings_.checkExit);
    state_.TrayHint = "Kexbar32 " + state_.IniSuffix + state_.TrayHintTail;
    tray_->SetHint(QString::fromStdString(state_.TrayHint));
    small_->ApplySettings(settings_);
}

void MainWindow::ApplyPlace()
{
    // The shape, on top and framed, then the place and the window state. A rebuild
    // while small or hidden brings the full bar back first.
    if (small_->State() != SmallModeState::Full)
        small_->Apply(SmallModeCause::BringIntoView);
    rememberedOnTop_ = settings_.onTop;
    if (settings_.staySmall && !settings_.trayOnLaunch)
        settings_.onTop = true;
    ApplyShape();
    if (settings_.minimised)
        setWindowState(windowState() | Qt::WindowMinimized);
    else
        setWindowState(windowState() & ~Qt::WindowMinimized);
    setAcceptDrops(true);
    // A bar stored (partly) off the screens comes back whole onto the one it overlaps
    // most.
    std::vector<ScreenRect> screens;
    for (const QRect& r : platform_.ScreenGeometries())
        screens.push_back({r.x(), r.y(), r.width(), r.height()});
    const ScreenRect place =
        PlaceOnScreens({state_.BarLeft, state_.BarTop, state_.FullWidth, state_.FullHeight}, screens);
    state_.BarLeft = place.Left;
    state_.BarTop = place.Top;
    move(state_.BarLeft, state_.BarTop);
}

std::string MainWindow::IniFileName() const { return ConfigFileName(state_.AppDir, state_.IniSuffix); }

std::string MainWindow::HelpFileName() { return context_->HelpFile(); }

void MainWindow::ApplyShape()
{
    BarGeometryInput in;
    in.ButtonsPerPage = pages_->ButtonsPerPage();
    in.ScreenButtons = state_.ScreenButtons;
    in.ScreenWidth = state_.ScreenWidth;
    in.ScreenHeight = state_.ScreenHeight;
    in.CyMenu = platform_.SystemMetric(MetricId::SM_CYMENU);
    in.CyMenuSize = platform_.SystemMetric(MetricId::SM_CYMENUSIZE);
    in.BarTop = state_.BarTop;
    in.OnTop = settings_.onTop;
    BarGeometry g = ComputeGeometry(in);
    state_.PageWidth = g.PageWidth;
    state_.BareHeight = g.BareHeight;
    state_.FramedHeight = g.FramedHeight;
    state_.FramedWidth = g.FramedWidth;
    state_.BarTop = g.BarTop;
    state_.FullWidth = g.WindowWidth;
    state_.FullHeight = g.WindowHeight;
    state_.HorzScrollRange = g.HorzScrollRange;

    bool onTop = in.OnTop;
    state_.OnTop = onTop;
    menus_->StayOnTop()->setChecked(onTop);
    Qt::WindowFlags flags = Qt::Window;
    if (onTop)
        flags |= Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;
    else
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                 | Qt::WindowCloseButtonHint;
    if (windowFlags() != flags) {
        bool visible = isVisible();
        setWindowFlags(flags);
        if (visible)
            show();
    }
    // The outer size includes the frame that the window manager draws around a framed
    // bar (a caption of SM_CYMENU and a 3-pixel border).
    int frameW = onTop ? 0 : 6;
    int frameH = onTop ? 0 : in.CyMenu + 6;
    int clientW = state_.FullWidth - frameW;
    int clientH = state_.FullHeight - frameH;
    c_.notebook->resize(g.NotebookWidth, c_.notebook->height());
    c_.tabs->resize(g.NotebookWidth - 2, c_.tabs->height());
    c_.content->setGeometry(0, 0, std::max(clientW, kPanelWidth + g.NotebookWidth), clientH);
    if (state_.HorzScrollRange > 0) {
        c_.scrollBar->setGeometry(0, clientH - 16, clientW, 16);
        c_.scrollBar->setRange(0, std::max(0, c_.content->width() - clientW));
        c_.scrollBar->setPageStep(clientW);
        c_.scrollBar->show();
        c_.scrollBar->raise();
    } else {
        c_.scrollBar->setValue(0);
        c_.scrollBar->hide();
    }
    setFixedSize(clientW, clientH);
}

// ------------------------------------------------------------------ small mode's face

void MainWindow::ShowRaised()
{
    show();
    raise();
}

void MainWindow::PlaceAt(QPoint frame, std::optional<QPoint> clientOffset)
{
    // Through the native window: the widget's own idea of its frame may still be the
    // old shape's.
    QWindow* native = windowHandle();
    if (!native)
        move(frame);
    else if (clientOffset)
        native->setPosition(frame + *clientOffset);
    else
        native->setFramePosition(frame);
}

void MainWindow::SetSmallShape()
{
    const Qt::WindowFlags flags = Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool;
    if (windowFlags() != flags)
        setWindowFlags(flags);
    setFixedSize(kPanelWidth, kPanelHeight);
}

void MainWindow::SetTaskbarEntry(bool entry) { kex::SetTaskbarEntry(*this, entry); }

// ------------------------------------------------------------------ caption, location

void MainWindow::FormCaption()
{
    QString date = QLocale::system().toString(platform_.Now().date(), QLocale::ShortFormat);
    setWindowTitle(QString::fromStdString(CaptionText(state_.CaptionPrefix, state_.IniSuffix, date.toStdString(),
                                                      c_.tabs->TabIndex() + 1, c_.tabs->Count())));
}

void MainWindow::SaveLocation()
{
    state_.BarTop = y();
    state_.BarLeft = x();
    bool minimised = windowState() & Qt::WindowMinimized;
    store_->SaveLocation(state_.BarTop, state_.BarLeft, minimised);
}

void MainWindow::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    // While a window is being mapped it may pass through positions of the window
    // manager's making; the place is taken once the moves have settled.
    if (!state_.StartingUp && !destroyed_)
        saveLocationTimer_->start();
}

void MainWindow::LocationSettled()
{
    if (destroyed_ || !small_->PlaceToStore(state_.StartingUp))
        return;
    // Not a move: the bar stands where it was placed (and its place is stored).
    if (x() == state_.BarLeft && y() == state_.BarTop && locationStored_)
        return;
    WriteReportedOnce([this] {
        SaveLocation();
        locationStored_ = true;
    });
}

void MainWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || state_.StartingUp || destroyed_)
        return;
    auto* change = static_cast<QWindowStateChangeEvent*>(event);
    bool wasMin = change->oldState() & Qt::WindowMinimized;
    bool isMin = windowState() & Qt::WindowMinimized;
    if (isMin != wasMin)
        Guarded([&] { store_->SaveWindowState(isMin); });
}

// ------------------------------------------------------------------ close, help, messages

bool MainWindow::FormCloseQuery()
{
    // The computer agreed to shut down or restart: the bar ends without a question.
    if (system_->Ending())
        return true;
    bool active = QGuiApplication::applicationState() == Qt::ApplicationActive || isActiveWindow();
    if (!active)
        return true;
    if (system_->AsksBeforeExit()) {
        if (dialogs_.MessageDlg("Are you sure you want to exit?", MessageType::mtConfirmation, mbYes | mbNo, 0)
            != ModalResult::mrYes)
            return false;
        const QAction* chosen = nullptr;
        if (HasVisibleItems(menus_->ExitMenu()))
            chosen = dialogs_.Popup(menus_->ExitMenu(), QPoint(x() + 250, y()));
        // A shutdown or restart chosen there: the bar closes once the computer agrees.
        if (system_->HoldsClose(chosen))
            return false;
    }
    return true;
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    bool close = true;
    Guarded([&] { close = FormCloseQuery(); });
    if (close)
        event->accept();
    else
        event->ignore();
}

void MainWindow::FormDestroy()
{
    if (destroyed_)
        return;
    Guarded([this] { pages_->ResolvePendingMoves(); });
    destroyed_ = true;
    SetScreenCursor(crDefault);
}

void MainWindow::AppMessage(const BarMessage& message)
{
    if (destroyed_)
        return;
    switch (MessageAction(message, state_.IniSuffix, state_.ConfigurationId)) {
    case BarMessageAction::Rebuild: pages_->PageUpdate(); break;
    case BarMessageAction::Reload: pages_->Reload(); break;
    case BarMessageAction::None: break;
    }
}

void MainWindow::BroadcastLoad()
{
    if (state_.SyncMode)
        platform_.BroadcastMessage({state_.LoadMsg, 1, state_.ConfigurationId});
}

void MainWindow::Guarded(const std::function<void()>& handler) { guard_.Guarded(handler); }

void MainWindow::WriteReportedOnce(const std::function<void()>& write) { guard_.WriteReportedOnce(write); }

bool MainWindow::eventFilter(QObject* watched, QEvent* event) { return QWidget::eventFilter(watched, event); }

bool MainWindow::event(QEvent* event)
{
    // A change of shape may give the window a new native window: drops are taken
    // again on it.
    if (event->type() == QEvent::WinIdChange || event->type() == QEvent::Show)
        setAcceptDrops(true);
    return QWidget::event(event);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) { configurator_->TakeDrag(*event); }

void MainWindow::dragMoveEvent(QDragMoveEvent* event) { configurator_->TakeDrag(*event); }

void MainWindow::dropEvent(QDropEvent* event) { configurator_->TakeDrag(*event); }

} // namespace kex
