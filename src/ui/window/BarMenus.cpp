#include "ui/window/BarMenus.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

#include <algorithm>
#include <optional>

#include "core/launch/CommandLine.h"
#include "core/pages/ButtonRecord.h"

namespace kex {

BarMenus::BarMenus(QWidget& window, Guard guard) : guard_(std::move(guard))
{
    BuildButtonAndPageMenus(window);
    BuildGaugeMenu(window);

    exit_ = new QMenu(&window);
    exit_->setObjectName("PopupMenu4");
    exitBar_ = AddItem(exit_, "ExitKexbar1", "&Exit Kexbar");
    exit_->addSeparator();
    exitSession_ = AddItem(exit_, "ExitWin1", "Exit &Windows");
    restartMachine_ = AddItem(exit_, "RestartWin1", "&Restart Windows");

    run_ = new QMenu(&window);
    run_->setObjectName("PopupMenu5");
    cdTray_ = AddItem(run_, "CDTray1", "Open/Close CD Tray");
    screenSaver_ = AddItem(run_, "ScreenSave1", "Activate Screen Saver");
    recentAnchor_ = run_->addSeparator();
    recentAnchor_->setObjectName("Pop5Bar");
}

QAction* BarMenus::AddItem(QMenu* menu, const QString& name, const QString& caption, bool checkable)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    action->setCheckable(checkable); // ticked or not by the subsystem that owns the option
    items_.emplace_back(action);
    return action;
}

QMenu* BarMenus::AddSubMenu(QMenu* menu, const QString& name, const QString& caption)
{
    QMenu* sub = menu->addMenu(caption);
    sub->setObjectName(name + "Menu");
    sub->menuAction()->setObjectName(name);
    return sub;
}

void BarMenus::BuildButtonAndPageMenus(QWidget& window)
{
    button_ = new QMenu(&window);
    button_->setObjectName("PopupMenu1");
    moveButton_ = AddItem(button_, "MoveButton1", "&Move Button");
    copyButton_ = AddItem(button_, "CopyButton1", "&Copy Button");
    removeButton_ = AddItem(button_, "RemoveButton1", "&Remove Button");
    button_->addSeparator();
    QMenu* configure = AddSubMenu(button_, "ConfigureButton1", "&Configure Button");
    configureButton_ = configure->menuAction();
    changeIcon_ = AddItem(configure, "ChangeIcon1", "Change &Icon");
    changeDescription_ = AddItem(configure, "ChangeName1", "Change &Description");
    changeParameter_ = AddItem(configure, "Parameter1", "Change &Parameter");
    changeParameter_->setEnabled(false);
    buttonShrink_ = AddItem(configure, "ShrinkOnLaunch2", "&Shrink on Launch", true);
    workingDirectory_ = AddItem(configure, "SelectWorkingDirectory1", "Select &Working Directory", true);
    selectFiles_ = AddItem(configure, "SelectFiles1", "Select &Files on Launch", true);
    soundOnLaunch_ = AddItem(configure, "SoundLaunch1", "Sound on &Launch", true);
    soundOnLaunch_->setEnabled(false);
    soundOnSelect_ = AddItem(configure, "SoundSelect1", "Sound on &Keyboard Select", true);
    passwordProtect_ = AddItem(button_, "PasswordProtect1", "Password Protect", true);

    page_ = new QMenu(&window);
    page_->setObjectName("PopupMenu2");
    renamePage_ = AddItem(page_, "RenamePage1", "&Rename Page");
    deletePage_ = AddItem(page_, "DeletePage1", "&Delete Page");
    movePage_ = AddItem(page_, "MovePage1", "&Move Page");
    addPage_ = AddItem(page_, "AddPage1", "&Add Page");
    page_->addSeparator();
    unselectedColor_ = AddItem(page_, "UnselectedColor1", "Change Color of &Unselected Tabs");
    unselectedColor_->setEnabled(false);
    selectedColor_ = AddItem(page_, "SelectedColor1", "Change Color of &Selected Tab");
    selectedColor_->setEnabled(false);
    totalPages_ = AddItem(page_, "TotalPages1", "Change &Total Page Count");
    page_->addSeparator()->setObjectName("PButtonBar");
    buttons16_ = AddItem(page_, "PButton16", "Show 16 Buttons per Page");
    buttons21_ = AddItem(page_, "PButton21", "Show 21 Buttons per Page");
}

void BarMenus::BuildGaugeMenu(QWidget& window)
{
    gauge_ = new QMenu(&window);
    gauge_->setObjectName("PopupMenu3");
    QMenu* graph = AddSubMenu(gauge_, "GraphDisplayMenu1", "&Graph Display Menu");
    graphDisplay_ = graph->menuAction();
    for (char letter = 'C'; letter <= 'Z'; ++letter) {
        QAction* drive = AddItem(graph, QString(QChar(letter)) + "HardDrive",
                                 QString("Graph %1: HardDrive").arg(QChar(letter)), true);
        drive->setData(int(letter)); // the tag: the letter's character code
        drive->setVisible(false);
        drives_[letter - 'C'] = drive;
    }
    systemMemory_ = AddItem(graph, "SystemMemory1", "Graph System Memory", true);
    userResources_ = AddItem(graph, "UserResources1", "Graph User Resources", true);
    gdiResources_ = AddItem(graph, "GDIResources1", "Graph GDI Resources", true);
    programTimer_ = AddItem(graph, "ProgTime1", "Show Program Timer", true);
    showTime_ = AddItem(graph, "ShowTime1", "Show Time", true);
    showEyes_ = AddItem(graph, "Eyes1", "Show Eyes", true);
    // A source shows in the menu once the bar can display it.
    for (QAction* item : {systemMemory_.data(), programTimer_.data(), showTime_.data()})
        item->setVisible(false);
    QMenu* clock = AddSubMenu(gauge_, "ClockOptions1", "&Clock Options Menu");
    clockOptions_ = clock->menuAction();
    twelveHour_ = AddItem(clock, "Clock1", "12 Hour &Clock", true);
    onHalfHour_ = AddItem(clock, "OnHalfHour1", "Show on the Hour && &Half Hour", true);
    onHour_ = AddItem(clock, "OnHour1", "Show &Only on the Hour", true);
    hourSound_ = AddItem(clock, "TimeSound1", "Hour &Sound", true);
    halfHourSound_ = AddItem(clock, "TimeSound2", "H&alf Hour Sound", true);
    QMenu* modify = AddSubMenu(gauge_, "ModifyMenu1", "&Modify Kexbar Menu");
    modifyMenu_ = modify->menuAction();
    stayOnTop_ = AddItem(modify, "StayonTop1", "Stay on &Top", true);
    staySmall_ = AddItem(modify, "StaySmall", "Stay &Small", true);
    barGraphOnLaunch_ = AddItem(modify, "ShrinkOnLaunch1", "Bar &Graph on Launch", true);
    trayOnLaunch_ = AddItem(modify, "HideGraph1", "", true);
    animateTray_ = AddItem(modify, "IconState1", "", true);
    showHints_ = AddItem(modify, "ShowHint1", "Show General &Hints", true);
    exitOptions_ = AddItem(modify, "ConfirmExit1", "Show Exit &Options", true);
    exitFromMenu_ = AddItem(modify, "Exit1", "&Exit");
    lockGraph_ = AddItem(modify, "LockGraphLocation1", "Lock Graph &Location", true);
    autostart_ = AddItem(modify, "Autostart1", "Start &with the Session", true);
    lockoutModify_ = AddItem(gauge_, "LockoutModify1", "Lockout &Modify", true);
    lockoutModify_->setEnabled(false);
}

QAction* BarMenus::DriveGraph(char letter) const
{
    return letter >= 'C' && letter <= 'Z' ? drives_[letter - 'C'].data() : nullptr;
}

QAction* BarMenus::GaugeSource(const std::string& gaugeType) const
{
    for (QAction* item : GaugeSources())
        if (item->objectName().toStdString() == gaugeType)
            return item;
    return nullptr;
}

std::vector<QAction*> BarMenus::GaugeSources() const
{
    std::vector<QAction*> sources;
    for (const QPointer<QAction>& drive : drives_)
        if (drive)
            sources.push_back(drive);
    for (QAction* item : {systemMemory_.data(), showTime_.data(), programTimer_.data(), showEyes_.data()})
        if (item)
            sources.push_back(item);
    return sources;
}

QAction* BarMenus::Item(const QString& name) const
{
    for (QMenu* menu : {button_, page_, gauge_, exit_, run_})
        if (QAction* a = menu->findChild<QAction*>(name))
            return a;
    return nullptr;
}

SystemMenuItems BarMenus::SystemItems() const
{
    return {cdTray_, screenSaver_, exitBar_, exitSession_, restartMachine_, exitOptions_, showHints_};
}

void BarMenus::Connect(QAction* item, std::function<void()> handler)
{
    if (!item)
        return;
    connected_.insert(item);
    QObject::connect(item, &QAction::triggered, item, [this, handler = std::move(handler)] { guard_(handler); });
}

void BarMenus::HideUnconnected()
{
    // An item whose subsystem is not built yet has nothing behind it: it is hidden, so
    // that it promises nothing (a ticked "Password Protect" would stop every button
    // without a word). Each subsystem shows its own items when it arrives.
    for (QAction* item : items_)
        if (item && !connected_.count(item))
            item->setVisible(false);
    for (QMenu* menu : {button_, page_, gauge_, exit_, run_})
        for (QMenu* sub : menu->findChildren<QMenu*>())
            if (!HasVisibleItems(sub))
                sub->menuAction()->setVisible(false);
}

void BarMenus::Prepare(bool cdRom, bool sixteenOnly)
{
    delete userResources_.data();
    delete gdiResources_.data();
    trayOnLaunch_->setText("Tray &Icon on Launch");
    animateTray_->setText("&Animate Tray Icon");
    if (!cdRom)
        delete cdTray_.data();
    for (QAction* item : {changeParameter_.data(), soundOnLaunch_.data(), unselectedColor_.data(),
                          selectedColor_.data(), lockoutModify_.data()})
        item->setEnabled(true);
    if (sixteenOnly) {
        delete buttons16_.data();
        delete buttons21_.data();
    }
}

} // namespace kex
