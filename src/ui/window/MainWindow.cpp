#include "ui/window/MainWindow.h"

#include <QAction>
#include <QMoveEvent>
#include <QCloseEvent>
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

#include <algorithm>

#include "core/bar/BarStore.h"
#include "core/launch/CommandLine.h"
#include "core/window/Startup.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/pages/ButtonFaces.h"
#include "ui/widgets/Pictures.h"
#include "ui/widgets/SpeedButton.h"
#include "ui/widgets/TabSet.h"
#include "platform/TPlatform.h"
#include "ui/widgets/EnhancedGauge.h"
#include "ui/widgets/Eyes.h"

namespace kex {

QString MenuCaption(const std::string& text) { return QString::fromStdString(text).replace('&', "&&"); }

MainWindow::MainWindow(TPlatform& platform, TDialogs& dialogs, std::vector<std::string> args, QWidget* parent)
    : QWidget(parent, Qt::Window), platform_(platform), dialogs_(dialogs), args_(std::move(args))
{
    setObjectName("Form1");
    BuildControls();
    BuildMenus();
    ReadCommandLine();
    BuildSubsystems();
    platform_.SetMessageHandler([this](const std::string& name, int wParam) {
        Guarded([&] { AppMessage(name, wParam); });
    });
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
    setWindowTitle("Start");
    QFont font;
    font.setFamilies({"Arial", "Liberation Sans", "DejaVu Sans"});
    font.setPixelSize(11);
    font.setBold(true);
    setFont(font);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0x00, 0x80, 0x80)); // the classic desktop background
    setPalette(pal);

    content_ = new QWidget(this);
    content_->setObjectName("Content");

    notebook_ = new QStackedWidget(content_);
    notebook_->setObjectName("Notebook1");
    notebook_->setGeometry(44, 0, 577, 37);
    auto* designPage = new QWidget;
    designPage->setObjectName("Default");
    notebook_->addWidget(designPage);

    keys_ = new QLineEdit(content_);
    keys_->setObjectName("Keys");
    keys_->setGeometry(180, 6, 33, 20);
    keys_->stackUnder(notebook_);

    BuildGaugePanel();

    helpButton_ = new QToolButton(content_);
    helpButton_->setObjectName("HelpButton");
    helpButton_->setGeometry(0, 18, 23, 19);
    helpButton_->setIcon(HelpGlyph());
    helpButton_->setFocusPolicy(Qt::NoFocus);
    connect(helpButton_, &QToolButton::clicked, this, [this] { Guarded([this] { ShowHelp(); }); });

    runButton_ = new QToolButton(content_);
    runButton_->setObjectName("RunButton");
    runButton_->setGeometry(22, 18, 23, 19);
    runButton_->setIcon(RunGlyph());
    runButton_->setFocusPolicy(Qt::NoFocus);
    runButton_->setContextMenuPolicy(Qt::CustomContextMenu);

    tabs_ = new TTabSet(content_);
    tabs_->setObjectName("TabSet1");
    tabs_->setGeometry(46, 34, 575, 18);

    pageName_ = new QLineEdit(content_);
    pageName_->setObjectName("PageName");
    pageName_->setGeometry(0, 36, 51, 19);
    pageName_->installEventFilter(this);
    pageName_->hide();

    scrollBar_ = new QScrollBar(Qt::Horizontal, this);
    scrollBar_->setObjectName("HorzScrollBar");
    scrollBar_->hide();
    connect(scrollBar_, &QScrollBar::valueChanged, this, [this](int v) { content_->move(-v, 0); });
    keys_->installEventFilter(this);

    BuildTimers();
}

void MainWindow::BuildGaugePanel()
{
    panel_ = new QFrame(content_);
    panel_->setObjectName("Panel1");
    panel_->setGeometry(0, 0, kPanelWidth, kPanelHeight);
    panel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel_->setAutoFillBackground(true);
    gauge_ = new TEnhancedGauge(panel_);
    gauge_->setObjectName("Gauge1");
    gauge_->setGeometry(2, 1, 39, 15);
    gauge_->SetBorderStyle(TBorderStyle::bsNone);
    gauge_->SetForeColor(QColor(0, 0xFF, 0)); // lime
    gauge_->SetBackColor(QColor(0x80, 0, 0)); // maroon
    gauge_->SetAlignment(TAlignment::taCenter);
    QFont gaugeFont;
    gaugeFont.setFamilies({"Arial", "Liberation Sans", "DejaVu Sans"});
    gaugeFont.setPixelSize(12);
    gauge_->setFont(gaugeFont);
    eyes_ = new TEyes(panel_, [this] { return platform_.CursorPos(); });
    eyes_->setObjectName("Eyes");
    eyes_->setGeometry(2, 1, 40, 16);
    eyes_->SetActive(false);
    eyes_->SetPupilColor(Qt::blue);
    eyes_->hide();
    for (TGraphicControl* control : std::initializer_list<TGraphicControl*>{gauge_, eyes_})
        connect(control, &TGraphicControl::PopupRequested, this,
                [this](QMenu* menu, const QPoint& pos) { Guarded([&] { dialogs_.Popup(menu, pos); }); });
}

void MainWindow::BuildTimers()
{
    // The gauge's refresh every second (it also reaps programs that ended after their
    // watch was over), and the delay before the refresh starts again.
    gaugeTimer_ = new QTimer(this);
    gaugeTimer_->setObjectName("Timer1");
    gaugeTimer_->setInterval(1000);
    connect(gaugeTimer_, &QTimer::timeout, this, [this] {
        Guarded([this] {
            platform_.ReapChildren(); // programs that ended after their watch was over
            GasGage();
        });
    });
    gaugeDelay_ = new QTimer(this);
    gaugeDelay_->setObjectName("Timer3");
    gaugeDelay_->setInterval(100);
    connect(gaugeDelay_, &QTimer::timeout, this, [this] {
        gaugeDelay_->stop();
        gaugeTimer_->start();
    });
    gaugeTimer_->start();
    // The bar's place is stored once its moves have settled.
    saveLocationTimer_ = new QTimer(this);
    saveLocationTimer_->setSingleShot(true);
    saveLocationTimer_->setInterval(0);
    connect(saveLocationTimer_, &QTimer::timeout, this, [this] { Guarded([this] { LocationSettled(); }); });
}

QAction* MainWindow::AddItem(QMenu* menu, const QString& name, const QString& caption, std::function<void()> handler)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    if (handler)
        connect(action, &QAction::triggered, this, [this, handler] { Guarded(handler); });
    else
        unbuilt_.push_back(action);
    return action;
}

QMenu* MainWindow::AddSubMenu(QMenu* menu, const QString& name, const QString& caption)
{
    QMenu* sub = menu->addMenu(caption);
    sub->setObjectName(name + "Menu");
    sub->menuAction()->setObjectName(name);
    return sub;
}

QAction* MainWindow::MenuItem(const QString& name) const
{
    for (QMenu* menu : {buttonMenu_, pageMenu_, gaugeMenu_, exitMenu_, runMenu_})
        if (QAction* a = menu->findChild<QAction*>(name))
            return a;
    return nullptr;
}

namespace {
QAction* checkable(QAction* a, bool checked = false)
{
    a->setCheckable(true);
    a->setChecked(checked);
    return a;
}
} // namespace

void MainWindow::BuildButtonAndPageMenus()
{
    // The button menu.
    buttonMenu_ = new QMenu(this);
    buttonMenu_->setObjectName("PopupMenu1");
    AddItem(buttonMenu_, "MoveButton1", "&Move Button", [this] { pages_->MoveButton(); });
    AddItem(buttonMenu_, "CopyButton1", "&Copy Button", [this] { pages_->CopyButton(); });
    AddItem(buttonMenu_, "RemoveButton1", "&Remove Button", [this] { pages_->RemoveButton(); });
    buttonMenu_->addSeparator();
    QMenu* configure = AddSubMenu(buttonMenu_, "ConfigureButton1", "&Configure Button");
    AddItem(configure, "ChangeIcon1", "Change &Icon");
    AddItem(configure, "ChangeName1", "Change &Description");
    AddItem(configure, "Parameter1", "Change &Parameter")->setEnabled(false);
    checkable(AddItem(configure, "ShrinkOnLaunch2", "&Shrink on Launch"));
    checkable(AddItem(configure, "SelectWorkingDirectory1", "Select &Working Directory"));
    checkable(AddItem(configure, "SelectFiles1", "Select &Files on Launch"));
    checkable(AddItem(configure, "SoundLaunch1", "Sound on &Launch"))->setEnabled(false);
    checkable(AddItem(configure, "SoundSelect1", "Sound on &Keyboard Select"));
    checkable(AddItem(buttonMenu_, "PasswordProtect1", "Password Protect"));

    // The page menu.
    pageMenu_ = new QMenu(this);
    pageMenu_->setObjectName("PopupMenu2");
    AddItem(pageMenu_, "RenamePage1", "&Rename Page", [this] { pages_->RenamePage(); });
    AddItem(pageMenu_, "DeletePage1", "&Delete Page", [this] { pages_->DeletePage(); });
    AddItem(pageMenu_, "MovePage1", "&Move Page", [this] { pages_->MovePage(); });
    AddItem(pageMenu_, "AddPage1", "&Add Page", [this] { pages_->AddPage(); });
    pageMenu_->addSeparator();
    AddItem(pageMenu_, "UnselectedColor1", "Change Color of &Unselected Tabs",
            [this] { pages_->ChangeTabColor(false); })->setEnabled(false);
    AddItem(pageMenu_, "SelectedColor1", "Change Color of &Selected Tab",
            [this] { pages_->ChangeTabColor(true); })->setEnabled(false);
    AddItem(pageMenu_, "TotalPages1", "Change &Total Page Count", [this] { pages_->EditPageCount(); });
    pageMenu_->addSeparator()->setObjectName("PButtonBar");
    AddItem(pageMenu_, "PButton16", "Show 16 Buttons per Page", [this] { pages_->SwitchButtonsPerPage(16); });
    AddItem(pageMenu_, "PButton21", "Show 21 Buttons per Page", [this] { pages_->SwitchButtonsPerPage(21); });
}

void MainWindow::BuildMenus()
{
    BuildButtonAndPageMenus();

    // The gauge and setup menu.
    gaugeMenu_ = new QMenu(this);
    gaugeMenu_->setObjectName("PopupMenu3");
    QMenu* graph = AddSubMenu(gaugeMenu_, "GraphDisplayMenu1", "&Graph Display Menu");
    for (char letter = 'C'; letter <= 'Z'; ++letter) {
        QAction* drive = checkable(AddItem(graph, QString(QChar(letter)) + "HardDrive",
                                           QString("Graph %1: HardDrive").arg(QChar(letter))));
        drive->setData(int(letter)); // the tag: the letter's character code
        drive->setVisible(false);
    }
    checkable(AddItem(graph, "SystemMemory1", "Graph System Memory"));
    checkable(AddItem(graph, "UserResources1", "Graph User Resources"));
    checkable(AddItem(graph, "GDIResources1", "Graph GDI Resources"));
    checkable(AddItem(graph, "ProgTime1", "Show Program Timer"));
    checkable(AddItem(graph, "ShowTime1", "Show Time"));
    checkable(AddItem(graph, "Eyes1", "Show Eyes", [this] { Eyes1Click(); }));
    // A source shows in the menu once the bar can display it.
    for (const char* name : {"SystemMemory1", "ProgTime1", "ShowTime1"})
        graph->findChild<QAction*>(name)->setVisible(false);
    QMenu* clock = AddSubMenu(gaugeMenu_, "ClockOptions1", "&Clock Options Menu");
    checkable(AddItem(clock, "Clock1", "12 Hour &Clock"), true);
    checkable(AddItem(clock, "OnHalfHour1", "Show on the Hour && &Half Hour"));
    checkable(AddItem(clock, "OnHour1", "Show &Only on the Hour"), true);
    checkable(AddItem(clock, "TimeSound1", "Hour &Sound"), true);
    checkable(AddItem(clock, "TimeSound2", "H&alf Hour Sound"));
    QMenu* modify = AddSubMenu(gaugeMenu_, "ModifyMenu1", "&Modify Kexbar Menu");
    checkable(AddItem(modify, "StayonTop1", "Stay on &Top"));
    checkable(AddItem(modify, "StaySmall", "Stay &Small"));
    checkable(AddItem(modify, "ShrinkOnLaunch1", "Bar &Graph on Launch"), true);
    checkable(AddItem(modify, "HideGraph1", ""));
    checkable(AddItem(modify, "IconState1", ""));
    checkable(AddItem(modify, "ShowHint1", "Show General &Hints"));
    checkable(AddItem(modify, "ConfirmExit1", "Show Exit &Options"));
    AddItem(modify, "Exit1", "&Exit", [this] { close(); });
    checkable(AddItem(modify, "LockGraphLocation1", "Lock Graph &Location"));
    checkable(AddItem(gaugeMenu_, "LockoutModify1", "Lockout &Modify"))->setEnabled(false);
    gauge_->SetPopupMenu(gaugeMenu_);
    eyes_->SetPopupMenu(gaugeMenu_);

    // The exit options.
    exitMenu_ = new QMenu(this);
    exitMenu_->setObjectName("PopupMenu4");
    AddItem(exitMenu_, "ExitKexbar1", "&Exit Kexbar");
    exitMenu_->addSeparator();
    AddItem(exitMenu_, "ExitWin1", "Exit &Windows");
    AddItem(exitMenu_, "RestartWin1", "&Restart Windows");

    // The tray and run menu; the recent entries follow its separator.
    runMenu_ = new QMenu(this);
    runMenu_->setObjectName("PopupMenu5");
    AddItem(runMenu_, "CDTray1", "Open/Close CD Tray");
    AddItem(runMenu_, "ScreenSave1", "Activate Screen Saver");
    runMenu_->addSeparator()->setObjectName("Pop5Bar");

    // An item whose subsystem is not built yet has nothing behind it: it is hidden, so
    // that it promises nothing (a ticked "Password Protect" would stop every button
    // without a word). Each subsystem shows its own items when it arrives.
    for (QAction* item : unbuilt_)
        item->setVisible(false);
    for (QMenu* menu : {buttonMenu_, pageMenu_, gaugeMenu_, exitMenu_, runMenu_})
        for (QMenu* sub : menu->findChildren<QMenu*>())
            if (!HasVisibleItems(sub))
                sub->menuAction()->setVisible(false);
}

bool HasVisibleItems(const QMenu* menu)
{
    const QList<QAction*> items = menu->actions();
    return std::any_of(items.begin(), items.end(), [](QAction* a) { return a->isVisible() && !a->isSeparator(); });
}

// ------------------------------------------------------------------ subsystems

// The menus' lockout and password marks stand in for protection until it comes:
// "Lockout Modify" locks modifying and the Run button, "Password Protect" holds a
// button's launch and guards its menu. Both are hidden and unchecked.
class MainWindow::MenuGate : public ModifyGate, public LaunchGate {
public:
    explicit MenuGate(const MainWindow& window) : window_(window) {}
    bool ModifyAllowed() override { return !Checked("LockoutModify1"); }
    bool ButtonProtected(int) override { return Checked("PasswordProtect1"); }
    bool MayLaunch(int) override { return !Checked("PasswordProtect1"); }
    void Held(int, TSpeedButton*) override {}
    bool RunAllowed() override { return !Checked("LockoutModify1"); }

private:
    bool Checked(const char* name) const
    {
        QAction* item = window_.MenuItem(name);
        return item && item->isChecked();
    }
    const MainWindow& window_;
};

void MainWindow::BuildSubsystems()
{
    faces_ = std::make_unique<ButtonFaces>(*store_, platform_, dialogs_,
                                           [this](const std::function<void()>& write) { WriteReportedOnce(write); });
    faces_->SetFaceColor(palette().color(QPalette::Button));
    pages_ = new PageBar(*store_, dialogs_, *faces_, *this,
                         PageBarWidgets{notebook_, tabs_, pageName_, buttonMenu_, pageMenu_}, this);
    launcher_ = new Launcher(*store_, platform_, dialogs_, *this, *pages_, *faces_, this);
    pages_->SetLauncher(launcher_);
    menuGate_ = std::make_unique<MenuGate>(*this);
    pages_->SetModifyGate(menuGate_.get());
    launcher_->SetLaunchGate(menuGate_.get());

    connect(tabs_, &TTabSet::Click, this, [this] { Guarded([this] { pages_->SelectPage(); }); });
    connect(tabs_, &TTabSet::MouseDown, this, [this](Qt::MouseButton b, Qt::KeyboardModifiers, int x, int y) {
        Guarded([&] { pages_->TabMouseDown(b, x, y); });
    });
    connect(pages_, &PageBar::ButtonMenuAboutToShow, this,
            [this](int, const ButtonRecord& record) { PrepareButtonMenu(record); });
    connect(runButton_, &QToolButton::clicked, this, [this] { Guarded([this] { launcher_->RunButtonClick(); }); });
    connect(runButton_, &QToolButton::customContextMenuRequested, this, [this](const QPoint& pos) {
        Guarded([&] { launcher_->RunButtonRightClick(runButton_->mapToGlobal(pos)); });
    });
    connect(launcher_, &Launcher::RunMenuRequested, this, [this](const QPoint& pos) {
        if (HasVisibleItems(runMenu_))
            dialogs_.Popup(runMenu_, pos);
    });
}

void MainWindow::PrepareButtonMenu(const ButtonRecord& r)
{
    // Check marks and captions from the record.
    MenuItem("SelectFiles1")->setChecked(!r.Select.empty());
    MenuItem("SelectWorkingDirectory1")->setChecked(!r.Working.empty());
    auto soundItem = [this](const char* name, const QString& caption, const std::string& file) {
        QAction* a = MenuItem(name);
        a->setChecked(!file.empty());
        a->setText(file.empty() ? caption : caption + " = " + MenuCaption(PathFileName(file)));
    };
    soundItem("SoundSelect1", "Sound on &Keyboard Select", r.SoundSelect);
    soundItem("SoundLaunch1", "Sound on &Launch", r.SoundLaunch);
    MenuItem("ShrinkOnLaunch2")->setChecked(r.Shrink == "Yes" || (r.Shrink.empty() && settings_.shrinkOnLaunch));
}

void MainWindow::ShowHelp()
{
    dialogs_.SetHelpFile(HelpFileName());
    dialogs_.ShowHelp(0);
}

void MainWindow::FocusKeys() { keys_->setFocus(); }

QPoint MainWindow::PageMenuPoint(int x, int y) const { return mapToGlobal(QPoint(x + panel_->width(), y)); }

bool MainWindow::TrayOnLaunch() const { return MenuItem("HideGraph1")->isChecked(); }

bool MainWindow::StaySmall() const { return MenuItem("StaySmall")->isChecked(); }

void MainWindow::BringIntoView()
{
    if (state_.SmallActive)
        SmallSize();
    if (settings_.trayOnLaunch)
        show();
}

// ------------------------------------------------------------------ start-up pass

void MainWindow::ReadCommandLine()
{
    // The AppDir, the configuration's suffix, sync mode and the message names; with
    // them the one store of the configuration.
    state_.AppDir = platform_.AppDir();
    std::string user;
    if (!args_.empty() && (args_[0] == "/n" || args_[0] == "/N"))
        user = platform_.NetworkUserName();
    const TCommandLine cl = ParseCommandLine(args_, user);
    state_.IniSuffix = cl.IniSuffix;
    state_.SyncMode = cl.SyncMode;
    state_.LoadMsg = LoadMessageName(state_.IniSuffix);
    state_.PageUpdateMsg = PageUpdateMessageName(state_.IniSuffix);
    store_ = std::make_unique<BarStore>(IniFileName(), passwords_);
}

void MainWindow::FormCreate()
{
    // The machine.
    launcher_->RestartProgramTimer();
    QSize screen = platform_.ScreenSize();
    state_.ScreenWidth = screen.width();
    state_.ScreenHeight = screen.height();
    state_.ScreenButtons = ScreenButtonsFor(state_.ScreenWidth);
    state_.DefaultTop = DefaultTopFor(state_.ScreenHeight, platform_.SystemMetric(TSystemMetric::SM_CYMENUSIZE));
    state_.StartingUp = true;
    dialogs_.SetHelpFile(HelpFileName());
    GasGage();
    state_.CaptionPrefix = "Zivar32 ";
    PrepareMenus();
    FormCaption();

    // Every start-up setting from one read of the file; the start is noted in it (a
    // file that cannot be written leaves the bar read-only).
    settings_ = store_->ReadStartup(Machine());
    NotifyOnce(settings_.notice);
    WriteReportedOnce([&] { store_->NoteStart(settings_); });
    state_.GaugeType = settings_.gaugeType;
    state_.FirstStart = settings_.firstStart;
    state_.BarTop = settings_.barTop;
    state_.BarLeft = settings_.barLeft;
    if (rebuilding_) {
        // A rebuild keeps the bar where it stands (another bar on this file may have
        // stored its own place meanwhile).
        state_.BarTop = y();
        state_.BarLeft = x();
    }
    ApplyClockSettings();
    ApplyMenuSettings();

    pages_->CreatePages(settings_.buttonsPerPage, QString::fromStdString(state_.ButtonHintText));
    pages_->SetTabColors(settings_.selectedTabColor, settings_.unselectedTabColor);
    ApplyPlace();
    state_.StartingUp = false;
    pages_->Load();

    // A bar that stays small starts small; on top only when it does not start in the
    // tray or was on top before.
    if (settings_.staySmall) {
        if (!rememberedOnTop_ && !settings_.trayOnLaunch) {
            settings_.onTop = false;
            MenuItem("StayonTop1")->setChecked(false);
            state_.FullHeight = state_.FramedHeight;
        }
        launcher_->SetShrinkNow(false);
        SmallSize();
    }
    SetScreenCursor(crDefault);
    FormCaption();
    // A first start stores the bar's place once it stands, so that the next start is
    // not taken for a first one.
    locationStored_ = !state_.FirstStart;
    if (state_.FirstStart)
        saveLocationTimer_->start();
}

void MainWindow::RunStartupPass()
{
    rebuilding_ = true;
    try {
        FormCreate();
    } catch (...) {
        rebuilding_ = false;
        throw;
    }
    rebuilding_ = false;
}

StartupMachine MainWindow::Machine() const
{
    StartupMachine machine;
    machine.defaultTop = state_.DefaultTop;
    machine.screenButtons = state_.ScreenButtons;
    return machine;
}

void MainWindow::PrepareMenus()
{
    // Items this system does not offer, captions of its own, and the items enabled
    // once the bar stands.
    for (const char* gone : {"UserResources1", "GDIResources1"})
        if (QAction* a = MenuItem(gone))
            delete a;
    MenuItem("HideGraph1")->setText("Tray &Icon on Launch");
    MenuItem("IconState1")->setText("&Animate Tray Icon");
    if (!platform_.CdRomFound())
        if (QAction* a = MenuItem("CDTray1"))
            delete a;
    for (const char* name : {"Parameter1", "SoundLaunch1", "UnselectedColor1", "SelectedColor1", "LockoutModify1"})
        MenuItem(name)->setEnabled(true);
    // A screen that allows only 16 buttons offers no switch.
    if (state_.ScreenButtons == 16)
        for (const char* name : {"PButton16", "PButton21"})
            if (QAction* a = MenuItem(name))
                delete a;
}

void MainWindow::ApplyClockSettings()
{
    if (!settings_.twelveHour)
        MenuItem("Clock1")->setChecked(false);
    MenuItem("OnHour1")->setChecked(settings_.display == ClockDisplay::Hour);
    if (settings_.display == ClockDisplay::HalfHour)
        MenuItem("OnHalfHour1")->setChecked(true);
    auto soundItem = [&](const char* name, const QString& caption, std::optional<bool> on, const std::string& file) {
        QAction* a = MenuItem(name);
        if (on == true) {
            a->setChecked(true);
            a->setText(caption + " = " + MenuCaption(PathFileName(file)));
        } else if (on == false) {
            a->setChecked(false);
        }
    };
    soundItem("TimeSound1", "Hour &Sound", settings_.hourSound, settings_.hourSoundFile);
    soundItem("TimeSound2", "H&alf Hour Sound", settings_.halfHourSound, settings_.halfHourSoundFile);
}

void MainWindow::ApplyMenuSettings()
{
    if (settings_.showHints == true)
        SetHints();
    if (settings_.showHints)
        MenuItem("ShowHint1")->setChecked(*settings_.showHints);
    if (QAction* gauge = MenuItem(QString::fromStdString(state_.GaugeType)))
        gauge->setChecked(true);
    if (MenuItem("Eyes1")->isChecked())
        ShowEyes();
    MenuItem("ConfirmExit1")->setChecked(settings_.checkExit);
    state_.TrayHint = "Kexbar32 " + state_.IniSuffix + state_.TrayHintTail;
    MenuItem("HideGraph1")->setChecked(settings_.trayOnLaunch);
    MenuItem("IconState1")->setChecked(settings_.animateTray);
    if (settings_.graphLocked)
        MenuItem("LockGraphLocation1")->setChecked(true);
    MenuItem("ShrinkOnLaunch1")->setChecked(settings_.shrinkOnLaunch);
    MenuItem("StaySmall")->setChecked(settings_.staySmall);
}

void MainWindow::ApplyPlace()
{
    // The shape, on top and framed, then the place and the window state.
    state_.SmallActive = false;
    launcher_->SetShrinkNow(settings_.shrinkOnLaunch);
    rememberedOnTop_ = settings_.onTop;
    if (settings_.staySmall && !settings_.trayOnLaunch)
        settings_.onTop = true;
    ApplyShape();
    if (settings_.minimised)
        setWindowState(windowState() | Qt::WindowMinimized);
    else
        setWindowState(windowState() & ~Qt::WindowMinimized);
    setAcceptDrops(true);
    move(state_.BarLeft, state_.BarTop);
}

void MainWindow::NotifyOnce(const std::string& text)
{
    if (!text.empty() && notified_.insert(text).second)
        dialogs_.Notify(text);
}

std::string MainWindow::IniFileName() const { return ConfigFileName(state_.AppDir, state_.IniSuffix); }

std::string MainWindow::HelpFileName()
{
    return FindHelpFile({state_.AppDir, platform_.ProgramDirectory(), platform_.DataDirectory()});
}

void MainWindow::SetHints()
{
    // Hints name only what the bar does now: the keyboard, the gauge's mouse actions,
    // the tray and the recent list come with their subsystems, and their hints with them.
    state_.ButtonHintText = "Mouse: LEFT=Load/Launch  RIGHT=Options";
    state_.GaugeMouseHint.clear();
    state_.GaugeHintSuffix.clear();
    state_.TrayHintTail.clear();
    helpButton_->setToolTip("Mouse: LEFT=Help");
    tabs_->setToolTip("Mouse: LEFT=Select Page  RIGHT=Page Options");
    runButton_->setToolTip("Mouse: LEFT=Run Any Application");
    panel_->setToolTip(QString());
}

void MainWindow::ApplyShape()
{
    TBarGeometryInput in;
    in.ButtonsPerPage = pages_->ButtonsPerPage();
    in.ScreenButtons = state_.ScreenButtons;
    in.ScreenWidth = state_.ScreenWidth;
    in.ScreenHeight = state_.ScreenHeight;
    in.CyMenu = platform_.SystemMetric(TSystemMetric::SM_CYMENU);
    in.CyMenuSize = platform_.SystemMetric(TSystemMetric::SM_CYMENUSIZE);
    in.BarTop = state_.BarTop;
    in.OnTop = settings_.onTop;
    TBarGeometry g = ComputeGeometry(in);
    state_.PageWidth = g.PageWidth;
    state_.BareHeight = g.BareHeight;
    state_.FramedHeight = g.FramedHeight;
    state_.FramedWidth = g.FramedWidth;
    state_.BarTop = g.BarTop;
    state_.FullWidth = g.WindowWidth;
    state_.FullHeight = g.WindowHeight;
    state_.HorzScrollRange = g.HorzScrollRange;

    bool onTop = in.OnTop;
    MenuItem("StayonTop1")->setChecked(onTop);
    Qt::WindowFlags flags = Qt::Window;
    if (onTop)
        flags |= Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;
    else
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
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
    notebook_->resize(g.NotebookWidth, notebook_->height());
    tabs_->resize(g.NotebookWidth - 2, tabs_->height());
    content_->setGeometry(0, 0, std::max(clientW, kPanelWidth + g.NotebookWidth), clientH);
    if (state_.HorzScrollRange > 0) {
        scrollBar_->setGeometry(0, clientH - 16, clientW, 16);
        scrollBar_->setRange(0, std::max(0, content_->width() - clientW));
        scrollBar_->setPageStep(clientW);
        scrollBar_->show();
        scrollBar_->raise();
    } else {
        scrollBar_->setValue(0);
        scrollBar_->hide();
    }
    setFixedSize(clientW, clientH);
}

// ------------------------------------------------------------------ caption, location

void MainWindow::FormCaption()
{
    QString date = QLocale::system().toString(platform_.Now().date(), QLocale::ShortFormat);
    setWindowTitle(QString::fromStdString(
        CaptionText(state_.CaptionPrefix, state_.IniSuffix, date.toStdString(), tabs_->TabIndex() + 1, tabs_->Count())));
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
    if (!state_.StartingUp && !state_.SmallActive && !destroyed_)
        saveLocationTimer_->start();
}

void MainWindow::LocationSettled()
{
    if (state_.StartingUp || state_.SmallActive || destroyed_)
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
    bool active = QGuiApplication::applicationState() == Qt::ApplicationActive || isActiveWindow();
    if (!active)
        return true;
    if (MenuItem("ConfirmExit1")->isChecked()) {
        if (dialogs_.MessageDlg("Are you sure you want to exit?", TMsgDlgType::mtConfirmation, mbYes | mbNo, 0) !=
            TModalResult::mrYes)
            return false;
        if (HasVisibleItems(exitMenu_))
            dialogs_.Popup(exitMenu_, QPoint(x() + 250, y()));
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

void MainWindow::AppMessage(const std::string& name, int wParam)
{
    if (wParam != 1 || destroyed_)
        return;
    if (name == state_.PageUpdateMsg)
        pages_->PageUpdate();
    else if (name == state_.LoadMsg)
        pages_->Reload();
}

void MainWindow::BroadcastLoad()
{
    if (state_.SyncMode)
        platform_.BroadcastMessage(state_.LoadMsg, 1);
}

void MainWindow::SetScreenCursor(int cursor)
{
    if (cursor == screenCursor_)
        return;
    if (screenCursor_ != crDefault)
        QGuiApplication::restoreOverrideCursor();
    screenCursor_ = cursor;
    switch (cursor) {
    case crHourGlass:
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        break;
    case crDrag:
        QGuiApplication::setOverrideCursor(DragCursor());
        break;
    case crMultiDrag:
        QGuiApplication::setOverrideCursor(MultiDragCursor());
        break;
    default:
        break;
    }
}

void MainWindow::Guarded(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const std::exception& e) {
        dialogs_.MessageDlg(e.what(), TMsgDlgType::mtError, mbOK, 0);
    }
}

void MainWindow::WriteReportedOnce(const std::function<void()>& write)
{
    try {
        write();
    } catch (const std::exception& e) {
        if (writeError_ == e.what())
            return;
        writeError_ = e.what();
        dialogs_.MessageDlg(e.what(), TMsgDlgType::mtError, mbOK, 0);
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == pageName_ && event->type() == QEvent::KeyPress) {
        int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape || key == Qt::Key_F1) {
            Guarded([&] { pages_->EditorKey(key); });
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace kex
