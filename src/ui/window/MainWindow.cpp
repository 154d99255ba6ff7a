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

#include "core/launch/CommandLine.h"
#include "core/window/Startup.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/widgets/Pictures.h"
#include "ui/widgets/SpeedButton.h"
#include "ui/widgets/TabSet.h"
#include "platform/TPlatform.h"
#include "ui/widgets/EnhancedGauge.h"
#include "ui/widgets/Eyes.h"

namespace kex {

QColor ColorFromValue(int value)
{
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

int ValueFromColor(const QColor& color) { return color.red() | (color.green() << 8) | (color.blue() << 16); }

QString MenuCaption(const std::string& text) { return QString::fromStdString(text).replace('&', "&&"); }

MainWindow::MainWindow(TPlatform& platform, TDialogs& dialogs, std::vector<std::string> args, QWidget* parent)
    : QWidget(parent, Qt::Window), platform_(platform), dialogs_(dialogs), args_(std::move(args))
{
    setObjectName("Form1");
    BuildControls();
    BuildMenus();
    configurator_ = MakeConfigurator();
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

    Content = new QWidget(this);
    Content->setObjectName("Content");

    Notebook1 = new QStackedWidget(Content);
    Notebook1->setObjectName("Notebook1");
    Notebook1->setGeometry(44, 0, 577, 37);
    auto* designPage = new QWidget;
    designPage->setObjectName("Default");
    Notebook1->addWidget(designPage);

    Keys = new QLineEdit(Content);
    Keys->setObjectName("Keys");
    Keys->setGeometry(180, 6, 33, 20);
    Keys->installEventFilter(this);
    Keys->stackUnder(Notebook1);

    BuildGaugePanel();

    HelpButton = new QToolButton(Content);
    HelpButton->setObjectName("HelpButton");
    HelpButton->setGeometry(0, 18, 23, 19);
    HelpButton->setIcon(HelpGlyph());
    HelpButton->setFocusPolicy(Qt::NoFocus);
    connect(HelpButton, &QToolButton::clicked, this, [this] { Guarded([this] { HelpButtonClick(); }); });

    RunButton = new QToolButton(Content);
    RunButton->setObjectName("RunButton");
    RunButton->setGeometry(22, 18, 23, 19);
    RunButton->setIcon(RunGlyph());
    RunButton->setFocusPolicy(Qt::NoFocus);
    RunButton->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(RunButton, &QToolButton::clicked, this, [this] { Guarded([this] { RunButtonClick(); }); });
    connect(RunButton, &QToolButton::customContextMenuRequested, this,
            [this](const QPoint& pos) {
                Guarded([&] {
                    if (HasVisibleItems(PopupMenu5))
                        dialogs_.Popup(PopupMenu5, RunButton->mapToGlobal(pos));
                });
            });

    TabSet1 = new TTabSet(Content);
    TabSet1->setObjectName("TabSet1");
    TabSet1->setGeometry(46, 34, 575, 18);
    connect(TabSet1, &TTabSet::Click, this, [this] { Guarded([this] { TabSet1Click(); }); });
    connect(TabSet1, &TTabSet::MouseDown, this, [this](Qt::MouseButton b, Qt::KeyboardModifiers, int x, int y) {
        Guarded([&] { TabSet1MouseDown(b, x, y); });
    });

    PageName = new QLineEdit(Content);
    PageName->setObjectName("PageName");
    PageName->setGeometry(0, 36, 51, 19);
    PageName->installEventFilter(this);
    PageName->hide();

    HorzScrollBar = new QScrollBar(Qt::Horizontal, this);
    HorzScrollBar->setObjectName("HorzScrollBar");
    HorzScrollBar->hide();
    connect(HorzScrollBar, &QScrollBar::valueChanged, this, [this](int v) { Content->move(-v, 0); });

    BuildTimers();
}

void MainWindow::BuildGaugePanel()
{
    Panel1 = new QFrame(Content);
    Panel1->setObjectName("Panel1");
    Panel1->setGeometry(0, 0, kPanelWidth, kPanelHeight);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setAutoFillBackground(true);
    Gauge1 = new TEnhancedGauge(Panel1);
    Gauge1->setObjectName("Gauge1");
    Gauge1->setGeometry(2, 1, 39, 15);
    Gauge1->SetBorderStyle(TBorderStyle::bsNone);
    Gauge1->SetForeColor(QColor(0, 0xFF, 0)); // lime
    Gauge1->SetBackColor(QColor(0x80, 0, 0)); // maroon
    Gauge1->SetAlignment(TAlignment::taCenter);
    QFont gaugeFont;
    gaugeFont.setFamilies({"Arial", "Liberation Sans", "DejaVu Sans"});
    gaugeFont.setPixelSize(12);
    Gauge1->setFont(gaugeFont);
    Eyes = new TEyes(Panel1, [this] { return platform_.CursorPos(); });
    Eyes->setObjectName("Eyes");
    Eyes->setGeometry(2, 1, 40, 16);
    Eyes->SetActive(false);
    Eyes->SetPupilColor(Qt::blue);
    Eyes->hide();
    for (TGraphicControl* control : std::initializer_list<TGraphicControl*>{Gauge1, Eyes})
        connect(control, &TGraphicControl::PopupRequested, this,
                [this](QMenu* menu, const QPoint& pos) { Guarded([&] { dialogs_.Popup(menu, pos); }); });
}

void MainWindow::BuildTimers()
{
    // The gauge's refresh every second (it also reaps programs that ended after their
    // watch was over), the launched-program watch, and the delay before the refresh
    // starts again.
    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, [this] {
        Guarded([this] {
            platform_.ReapChildren(); // programs that ended after their watch was over
            GasGage();
        });
    });
    Timer2 = new QTimer(this);
    Timer2->setObjectName("Timer2");
    Timer2->setInterval(100);
    connect(Timer2, &QTimer::timeout, this, [this] { Guarded([this] { AppActive32(); }); });
    Timer3 = new QTimer(this);
    Timer3->setObjectName("Timer3");
    Timer3->setInterval(100);
    connect(Timer3, &QTimer::timeout, this, [this] {
        Timer3->stop();
        Timer1->start();
    });
    Timer1->start();
    // The bar's place is stored once its moves have settled.
    saveLocationTimer_ = new QTimer(this);
    saveLocationTimer_->setSingleShot(true);
    saveLocationTimer_->setInterval(0);
    connect(saveLocationTimer_, &QTimer::timeout, this, [this] { Guarded([this] { LocationSettled(); }); });
}

void MainWindow::ConnectHandler(QAction* action, std::function<void(QAction*)> handler)
{
    if (!handler)
        return;
    connect(action, &QAction::triggered, this, [this, action, handler] { Guarded([&] { handler(action); }); });
}

QAction* MainWindow::AddItem(QMenu* menu, const QString& name, const QString& caption,
                         std::function<void(QAction*)> handler)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    if (!handler)
        unbuilt_.push_back(action);
    ConnectHandler(action, std::move(handler));
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
    for (QMenu* menu : {PopupMenu1, PopupMenu2, PopupMenu3, PopupMenu4, PopupMenu5})
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
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    AddItem(PopupMenu1, "MoveButton1", "&Move Button", [this](QAction*) { MoveButton(); });
    AddItem(PopupMenu1, "CopyButton1", "&Copy Button", [this](QAction*) { CopyButton(); });
    AddItem(PopupMenu1, "RemoveButton1", "&Remove Button", [this](QAction*) { RemoveButton(); });
    PopupMenu1->addSeparator();
    QMenu* configure = AddSubMenu(PopupMenu1, "ConfigureButton1", "&Configure Button");
    AddItem(configure, "ChangeIcon1", "Change &Icon");
    AddItem(configure, "ChangeName1", "Change &Description");
    AddItem(configure, "Parameter1", "Change &Parameter")->setEnabled(false);
    checkable(AddItem(configure, "ShrinkOnLaunch2", "&Shrink on Launch"));
    checkable(AddItem(configure, "SelectWorkingDirectory1", "Select &Working Directory"));
    checkable(AddItem(configure, "SelectFiles1", "Select &Files on Launch"));
    checkable(AddItem(configure, "SoundLaunch1", "Sound on &Launch"))->setEnabled(false);
    checkable(AddItem(configure, "SoundSelect1", "Sound on &Keyboard Select"));
    checkable(AddItem(PopupMenu1, "PasswordProtect1", "Password Protect"));

    // The page menu.
    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName("PopupMenu2");
    AddItem(PopupMenu2, "RenamePage1", "&Rename Page", [this](QAction*) { TabName(); });
    AddItem(PopupMenu2, "DeletePage1", "&Delete Page", [this](QAction* a) { DeletePage(a); });
    AddItem(PopupMenu2, "MovePage1", "&Move Page", [this](QAction* a) { DeletePage(a); });
    AddItem(PopupMenu2, "AddPage1", "&Add Page", [this](QAction*) { AddPage(); });
    PopupMenu2->addSeparator();
    AddItem(PopupMenu2, "UnselectedColor1", "Change Color of &Unselected Tabs",
            [this](QAction* a) { ChangeColor1Click(a); })->setEnabled(false);
    AddItem(PopupMenu2, "SelectedColor1", "Change Color of &Selected Tab",
            [this](QAction* a) { ChangeColor1Click(a); })->setEnabled(false);
    AddItem(PopupMenu2, "TotalPages1", "Change &Total Page Count", [this](QAction* a) { TabCount(a); });
    PopupMenu2->addSeparator()->setObjectName("PButtonBar");
    AddItem(PopupMenu2, "PButton16", "Show 16 Buttons per Page", [this](QAction* a) { PButton16Click(a); });
    AddItem(PopupMenu2, "PButton21", "Show 21 Buttons per Page", [this](QAction* a) { PButton16Click(a); });
}

void MainWindow::BuildMenus()
{
    BuildButtonAndPageMenus();

    // The gauge and setup menu.
    PopupMenu3 = new QMenu(this);
    PopupMenu3->setObjectName("PopupMenu3");
    QMenu* graph = AddSubMenu(PopupMenu3, "GraphDisplayMenu1", "&Graph Display Menu");
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
    checkable(AddItem(graph, "Eyes1", "Show Eyes", [this](QAction*) { Eyes1Click(); }));
    // A source shows in the menu once the bar can display it.
    for (const char* name : {"SystemMemory1", "ProgTime1", "ShowTime1"})
        graph->findChild<QAction*>(name)->setVisible(false);
    QMenu* clock = AddSubMenu(PopupMenu3, "ClockOptions1", "&Clock Options Menu");
    checkable(AddItem(clock, "Clock1", "12 Hour &Clock"), true);
    checkable(AddItem(clock, "OnHalfHour1", "Show on the Hour && &Half Hour"));
    checkable(AddItem(clock, "OnHour1", "Show &Only on the Hour"), true);
    checkable(AddItem(clock, "TimeSound1", "Hour &Sound"), true);
    checkable(AddItem(clock, "TimeSound2", "H&alf Hour Sound"));
    QMenu* modify = AddSubMenu(PopupMenu3, "ModifyMenu1", "&Modify Kexbar Menu");
    checkable(AddItem(modify, "StayonTop1", "Stay on &Top"));
    checkable(AddItem(modify, "StaySmall", "Stay &Small"));
    checkable(AddItem(modify, "ShrinkOnLaunch1", "Bar &Graph on Launch"), true);
    checkable(AddItem(modify, "HideGraph1", ""));
    checkable(AddItem(modify, "IconState1", ""));
    checkable(AddItem(modify, "ShowHint1", "Show General &Hints"));
    checkable(AddItem(modify, "ConfirmExit1", "Show Exit &Options"));
    AddItem(modify, "Exit1", "&Exit", [this](QAction*) { Exit1Click(); });
    checkable(AddItem(modify, "LockGraphLocation1", "Lock Graph &Location"));
    checkable(AddItem(PopupMenu3, "LockoutModify1", "Lockout &Modify"))->setEnabled(false);
    Gauge1->SetPopupMenu(PopupMenu3);
    Eyes->SetPopupMenu(PopupMenu3);

    // The exit options.
    PopupMenu4 = new QMenu(this);
    PopupMenu4->setObjectName("PopupMenu4");
    AddItem(PopupMenu4, "ExitKexbar1", "&Exit Kexbar");
    PopupMenu4->addSeparator();
    AddItem(PopupMenu4, "ExitWin1", "Exit &Windows");
    AddItem(PopupMenu4, "RestartWin1", "&Restart Windows");

    // The tray and run menu; the recent entries follow its separator.
    PopupMenu5 = new QMenu(this);
    PopupMenu5->setObjectName("PopupMenu5");
    AddItem(PopupMenu5, "CDTray1", "Open/Close CD Tray");
    AddItem(PopupMenu5, "ScreenSave1", "Activate Screen Saver");
    PopupMenu5->addSeparator()->setObjectName("Pop5Bar");

    // An item whose subsystem is not built yet has nothing behind it: it is hidden, so
    // that it promises nothing (a ticked "Password Protect" would stop every button
    // without a word). Each subsystem shows its own items when it arrives.
    for (QAction* item : unbuilt_)
        item->setVisible(false);
    for (QMenu* menu : {PopupMenu1, PopupMenu2, PopupMenu3, PopupMenu4, PopupMenu5})
        for (QMenu* sub : menu->findChildren<QMenu*>())
            if (!HasVisibleItems(sub))
                sub->menuAction()->setVisible(false);
}

bool HasVisibleItems(const QMenu* menu)
{
    const QList<QAction*> items = menu->actions();
    return std::any_of(items.begin(), items.end(), [](QAction* a) { return a->isVisible() && !a->isSeparator(); });
}

// ------------------------------------------------------------------ start-up pass

void MainWindow::FormCreate()
{
    // The machine and the command line.
    StartTime = platform_.Now();
    QSize screen = platform_.ScreenSize();
    ScreenWidth = screen.width();
    ScreenHeight = screen.height();
    ScreenButtons = ScreenButtonsFor(ScreenWidth);
    DefaultTop = DefaultTopFor(ScreenHeight, platform_.SystemMetric(TSystemMetric::SM_CYMENUSIZE));
    StartingUp = 1;
    MoveIsMove = false;
    PasswordKey = "Main";
    AppDir = platform_.AppDir();
    dialogs_.SetHelpFile(HelpFileName());
    PIN();
    KeySelection = 0;
    GasGage();
    LoadMsg = LoadMessageName(IniSuffix);
    PageUpdateMsg = PageUpdateMessageName(IniSuffix);
    CaptionPrefix = "Zivar32 ";
    PrepareMenus();
    LaunchPermission = false;
    FormCaption();

    // Every start-up setting from one read of the file; the start is noted in it (a
    // file that cannot be written leaves the bar read-only).
    store_ = std::make_unique<BarStore>(IniFileName(), Passwords());
    settings_ = store_->ReadStartup(Machine());
    NotifyOnce(settings_.notice);
    WriteReportedOnce([&] { store_->NoteStart(settings_); });
    CheckPassword(settings_.user);
    GaugeType = settings_.gaugeType;
    ButtonsPerPage = settings_.buttonsPerPage;
    FirstStart = settings_.firstStart;
    BarTop = settings_.barTop;
    BarLeft = settings_.barLeft;
    if (rebuilding_) {
        // A rebuild keeps the bar where it stands (another bar on this file may have
        // stored its own place meanwhile).
        BarTop = y();
        BarLeft = x();
    }
    TabSelectedColor = settings_.selectedTabColor;
    TabUnselectedColor = settings_.unselectedTabColor;
    ApplyClockSettings();
    ApplyMenuSettings();

    CreateButtons();
    ApplyTabColors();
    ApplyPlace();
    Load();

    // A bar that stays small starts small; on top only when it does not start in the
    // tray or was on top before.
    if (settings_.staySmall) {
        if (!rememberedOnTop_ && !settings_.trayOnLaunch) {
            settings_.onTop = false;
            MenuItem("StayonTop1")->setChecked(false);
            FullHeight = FramedHeight;
        }
        ShrinkNow = "No";
        SmallSize();
    }
    SetScreenCursor(crDefault);
    FormCaption();
    // A first start stores the bar's place once it stands, so that the next start is
    // not taken for a first one.
    locationStored_ = !FirstStart;
    if (FirstStart)
        saveLocationTimer_->start();
}

StartupMachine MainWindow::Machine() const
{
    StartupMachine machine;
    machine.defaultTop = DefaultTop;
    machine.screenButtons = ScreenButtons;
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
    if (ScreenButtons == 16)
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
    if (QAction* gauge = MenuItem(QString::fromStdString(GaugeType)))
        gauge->setChecked(true);
    if (MenuItem("Eyes1")->isChecked())
        ShowEyes();
    MenuItem("ConfirmExit1")->setChecked(settings_.checkExit);
    TrayHint = "Kexbar32 " + IniSuffix + TrayHintTail;
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
    SmallActive = false;
    ShrinkNow = settings_.shrinkOnLaunch ? "Yes" : "No";
    rememberedOnTop_ = settings_.onTop;
    if (settings_.staySmall && !settings_.trayOnLaunch)
        settings_.onTop = true;
    ApplyShape();
    RequestedButtons = ButtonsPerPage;
    if (settings_.minimised)
        setWindowState(windowState() | Qt::WindowMinimized);
    else
        setWindowState(windowState() & ~Qt::WindowMinimized);
    setAcceptDrops(true);
    move(BarLeft, BarTop);
}

void MainWindow::PIN()
{
    std::vector<std::string> args = args_;
    std::string user;
    if (!args.empty() && (args[0] == "/n" || args[0] == "/N"))
        user = NetUser();
    TCommandLine cl = ParseCommandLine(args, user);
    IniSuffix = cl.IniSuffix;
    SyncMode = cl.SyncMode;
}

void MainWindow::NotifyOnce(const std::string& text)
{
    if (!text.empty() && notified_.insert(text).second)
        dialogs_.Notify(text);
}

std::string MainWindow::NetUser() { return platform_.NetworkUserName(); }

std::string MainWindow::IniFileName() const { return ConfigFileName(AppDir, IniSuffix); }

std::string MainWindow::HelpFileName()
{
    return FindHelpFile({AppDir, platform_.ProgramDirectory(), platform_.DataDirectory()});
}

void MainWindow::SetHints()
{
    // Hints name only what the bar does now: the keyboard, the gauge's mouse actions,
    // the tray and the recent list come with their subsystems, and their hints with them.
    ButtonHintText = "Mouse: LEFT=Load/Launch  RIGHT=Options";
    GaugeMouseHint.clear();
    GaugeHintSuffix.clear();
    TrayHintTail.clear();
    HelpButton->setToolTip("Mouse: LEFT=Help");
    TabSet1->setToolTip("Mouse: LEFT=Select Page  RIGHT=Page Options");
    RunButton->setToolTip("Mouse: LEFT=Run Any Application");
    Panel1->setToolTip(QString());
}

void MainWindow::ApplyTabColors()
{
    TabSet1->SetSelectedColor(ColorFromValue(TabSelectedColor));
    TabSet1->SetUnselectedColor(ColorFromValue(TabUnselectedColor));
}

void MainWindow::ApplyShape()
{
    TBarGeometryInput in;
    in.ButtonsPerPage = ButtonsPerPage;
    in.ScreenButtons = ScreenButtons;
    in.ScreenWidth = ScreenWidth;
    in.ScreenHeight = ScreenHeight;
    in.CyMenu = platform_.SystemMetric(TSystemMetric::SM_CYMENU);
    in.CyMenuSize = platform_.SystemMetric(TSystemMetric::SM_CYMENUSIZE);
    in.BarTop = BarTop;
    in.OnTop = settings_.onTop;
    TBarGeometry g = ComputeGeometry(in);
    PageWidth = g.PageWidth;
    BareHeight = g.BareHeight;
    FramedHeight = g.FramedHeight;
    FramedWidth = g.FramedWidth;
    BarTop = g.BarTop;
    FullWidth = g.WindowWidth;
    FullHeight = g.WindowHeight;
    HorzScrollRange = g.HorzScrollRange;

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
    int clientW = FullWidth - frameW;
    int clientH = FullHeight - frameH;
    Notebook1->resize(g.NotebookWidth, Notebook1->height());
    TabSet1->resize(g.NotebookWidth - 2, TabSet1->height());
    Content->setGeometry(0, 0, std::max(clientW, kPanelWidth + g.NotebookWidth), clientH);
    if (HorzScrollRange > 0) {
        HorzScrollBar->setGeometry(0, clientH - 16, clientW, 16);
        HorzScrollBar->setRange(0, std::max(0, Content->width() - clientW));
        HorzScrollBar->setPageStep(clientW);
        HorzScrollBar->show();
        HorzScrollBar->raise();
    } else {
        HorzScrollBar->setValue(0);
        HorzScrollBar->hide();
    }
    setFixedSize(clientW, clientH);
}

// ------------------------------------------------------------------ caption, location

void MainWindow::FormCaption()
{
    QString date = QLocale::system().toString(platform_.Now().date(), QLocale::ShortFormat);
    setWindowTitle(QString::fromStdString(
        CaptionText(CaptionPrefix, IniSuffix, date.toStdString(), TabSet1->TabIndex() + 1, TabSet1->Count())));
}

void MainWindow::SaveLocation()
{
    BarTop = y();
    BarLeft = x();
    bool minimised = windowState() & Qt::WindowMinimized;
    store_->SaveLocation(BarTop, BarLeft, minimised);
}

void MainWindow::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    // While a window is being mapped it may pass through positions of the window
    // manager's making; the place is taken once the moves have settled.
    if (StartingUp == 0 && !SmallActive && !destroyed_)
        saveLocationTimer_->start();
}

void MainWindow::LocationSettled()
{
    if (StartingUp != 0 || SmallActive || destroyed_)
        return;
    // Not a move: the bar stands where it was placed (and its place is stored).
    if (x() == BarLeft && y() == BarTop && locationStored_)
        return;
    WriteReportedOnce([this] {
        SaveLocation();
        locationStored_ = true;
    });
}

void MainWindow::AppMin() { store_->SaveWindowState(true); }
void MainWindow::AppNorm() { store_->SaveWindowState(false); }

void MainWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || StartingUp != 0 || destroyed_)
        return;
    auto* change = static_cast<QWindowStateChangeEvent*>(event);
    bool wasMin = change->oldState() & Qt::WindowMinimized;
    bool isMin = windowState() & Qt::WindowMinimized;
    if (isMin && !wasMin)
        Guarded([this] { AppMin(); });
    else if (wasMin && !isMin)
        Guarded([this] { AppNorm(); });
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
        if (HasVisibleItems(PopupMenu4))
            dialogs_.Popup(PopupMenu4, QPoint(x() + 250, y()));
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
    Guarded([this] { ResolvePendingMoves(); });
    destroyed_ = true;
    SetScreenCursor(crDefault);
}

void MainWindow::HelpButtonClick()
{
    dialogs_.SetHelpFile(HelpFileName());
    dialogs_.ShowHelp(0);
}

void MainWindow::Exit1Click() { close(); }

void MainWindow::AppMessage(const std::string& name, int wParam)
{
    if (wParam != 1 || destroyed_)
        return;
    if (name == PageUpdateMsg)
        PageUpdate();
    else if (name == LoadMsg)
        Reload();
}

void MainWindow::BroadcastLoad()
{
    if (SyncMode)
        platform_.BroadcastMessage(LoadMsg, 1);
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
    if (watched == PageName && event->type() == QEvent::KeyPress) {
        int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape || key == Qt::Key_F1) {
            Guarded([&] { PageNameKeyDown(key); });
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace kex
