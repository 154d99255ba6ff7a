#include "ui/window/BarMenus.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

#include <algorithm>
#include <optional>

#include "core/launch/CommandLine.h"
#include "core/pages/ButtonRecord.h"
#include "core/window/StartupSettings.h"

namespace kex {

QString MenuCaption(const std::string& text) { return QString::fromStdString(text).replace('&', "&&"); }

bool HasVisibleItems(const QMenu* menu)
{
    const QList<QAction*> items = menu->actions();
    return std::any_of(items.begin(), items.end(), [](QAction* a) { return a->isVisible() && !a->isSeparator(); });
}

BarMenus::BarMenus(QWidget& window, Guard guard) : guard_(std::move(guard))
{
    BuildButtonAndPageMenus(window);
    BuildGaugeMenu(window);

    exit_ = new QMenu(&window);
    exit_->setObjectName("PopupMenu4");
    AddItem(exit_, "ExitKexbar1", "&Exit Kexbar");
    exit_->addSeparator();
    AddItem(exit_, "ExitWin1", "Exit &Windows");
    AddItem(exit_, "RestartWin1", "&Restart Windows");

    run_ = new QMenu(&window);
    run_->setObjectName("PopupMenu5");
    AddItem(run_, "CDTray1", "Open/Close CD Tray");
    AddItem(run_, "ScreenSave1", "Activate Screen Saver");
    run_->addSeparator()->setObjectName("Pop5Bar");
}

QAction* BarMenus::AddItem(QMenu* menu, const QString& name, const QString& caption, bool checkable, bool checked)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    if (checkable) {
        action->setCheckable(true);
        action->setChecked(checked);
    }
    items_.push_back(action);
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
    AddItem(button_, "MoveButton1", "&Move Button");
    AddItem(button_, "CopyButton1", "&Copy Button");
    AddItem(button_, "RemoveButton1", "&Remove Button");
    button_->addSeparator();
    QMenu* configure = AddSubMenu(button_, "ConfigureButton1", "&Configure Button");
    AddItem(configure, "ChangeIcon1", "Change &Icon");
    AddItem(configure, "ChangeName1", "Change &Description");
    AddItem(configure, "Parameter1", "Change &Parameter")->setEnabled(false);
    AddItem(configure, "ShrinkOnLaunch2", "&Shrink on Launch", true);
    AddItem(configure, "SelectWorkingDirectory1", "Select &Working Directory", true);
    AddItem(configure, "SelectFiles1", "Select &Files on Launch", true);
    AddItem(configure, "SoundLaunch1", "Sound on &Launch", true)->setEnabled(false);
    AddItem(configure, "SoundSelect1", "Sound on &Keyboard Select", true);
    AddItem(button_, "PasswordProtect1", "Password Protect", true);

    page_ = new QMenu(&window);
    page_->setObjectName("PopupMenu2");
    AddItem(page_, "RenamePage1", "&Rename Page");
    AddItem(page_, "DeletePage1", "&Delete Page");
    AddItem(page_, "MovePage1", "&Move Page");
    AddItem(page_, "AddPage1", "&Add Page");
    page_->addSeparator();
    AddItem(page_, "UnselectedColor1", "Change Color of &Unselected Tabs")->setEnabled(false);
    AddItem(page_, "SelectedColor1", "Change Color of &Selected Tab")->setEnabled(false);
    AddItem(page_, "TotalPages1", "Change &Total Page Count");
    page_->addSeparator()->setObjectName("PButtonBar");
    AddItem(page_, "PButton16", "Show 16 Buttons per Page");
    AddItem(page_, "PButton21", "Show 21 Buttons per Page");
}

void BarMenus::BuildGaugeMenu(QWidget& window)
{
    gauge_ = new QMenu(&window);
    gauge_->setObjectName("PopupMenu3");
    QMenu* graph = AddSubMenu(gauge_, "GraphDisplayMenu1", "&Graph Display Menu");
    for (char letter = 'C'; letter <= 'Z'; ++letter) {
        QAction* drive =
            AddItem(graph, QString(QChar(letter)) + "HardDrive", QString("Graph %1: HardDrive").arg(QChar(letter)), true);
        drive->setData(int(letter)); // the tag: the letter's character code
        drive->setVisible(false);
    }
    AddItem(graph, "SystemMemory1", "Graph System Memory", true);
    AddItem(graph, "UserResources1", "Graph User Resources", true);
    AddItem(graph, "GDIResources1", "Graph GDI Resources", true);
    AddItem(graph, "ProgTime1", "Show Program Timer", true);
    AddItem(graph, "ShowTime1", "Show Time", true);
    AddItem(graph, "Eyes1", "Show Eyes", true);
    // A source shows in the menu once the bar can display it.
    for (const char* name : {"SystemMemory1", "ProgTime1", "ShowTime1"})
        graph->findChild<QAction*>(name)->setVisible(false);
    QMenu* clock = AddSubMenu(gauge_, "ClockOptions1", "&Clock Options Menu");
    AddItem(clock, "Clock1", "12 Hour &Clock", true, true);
    AddItem(clock, "OnHalfHour1", "Show on the Hour && &Half Hour", true);
    AddItem(clock, "OnHour1", "Show &Only on the Hour", true, true);
    AddItem(clock, "TimeSound1", "Hour &Sound", true, true);
    AddItem(clock, "TimeSound2", "H&alf Hour Sound", true);
    QMenu* modify = AddSubMenu(gauge_, "ModifyMenu1", "&Modify Kexbar Menu");
    stayOnTop_ = AddItem(modify, "StayonTop1", "Stay on &Top", true);
    AddItem(modify, "StaySmall", "Stay &Small", true);
    AddItem(modify, "ShrinkOnLaunch1", "Bar &Graph on Launch", true, true);
    AddItem(modify, "HideGraph1", "", true);
    AddItem(modify, "IconState1", "", true);
    AddItem(modify, "ShowHint1", "Show General &Hints", true);
    AddItem(modify, "ConfirmExit1", "Show Exit &Options", true);
    AddItem(modify, "Exit1", "&Exit");
    AddItem(modify, "LockGraphLocation1", "Lock Graph &Location", true);
    autostart_ = AddItem(modify, "Autostart1", "Start &with the Session", true);
    AddItem(gauge_, "LockoutModify1", "Lockout &Modify", true)->setEnabled(false);
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
    return {Item("CDTray1"),      Item("ScreenSave1"),  Item("ExitKexbar1"), Item("ExitWin1"),
            Item("RestartWin1"), Item("ConfirmExit1"), Item("ShowHint1")};
}

bool BarMenus::Checked(const char* name) const
{
    QAction* item = Item(name);
    return item && item->isChecked();
}

void BarMenus::Connect(const char* name, std::function<void()> handler)
{
    QAction* item = Item(name);
    connected_.insert(item);
    QObject::connect(item, &QAction::triggered, item, [this, handler = std::move(handler)] { guard_(handler); });
}

void BarMenus::HideUnconnected()
{
    // An item whose subsystem is not built yet has nothing behind it: it is hidden, so
    // that it promises nothing (a ticked "Password Protect" would stop every button
    // without a word). Each subsystem shows its own items when it arrives.
    for (QAction* item : items_)
        if (!connected_.count(item))
            item->setVisible(false);
    for (QMenu* menu : {button_, page_, gauge_, exit_, run_})
        for (QMenu* sub : menu->findChildren<QMenu*>())
            if (!HasVisibleItems(sub))
                sub->menuAction()->setVisible(false);
}

void BarMenus::Prepare(bool cdRom, bool sixteenOnly)
{
    for (const char* gone : {"UserResources1", "GDIResources1"})
        if (QAction* a = Item(gone))
            delete a;
    Item("HideGraph1")->setText("Tray &Icon on Launch");
    Item("IconState1")->setText("&Animate Tray Icon");
    if (!cdRom)
        if (QAction* a = Item("CDTray1"))
            delete a;
    for (const char* name : {"Parameter1", "SoundLaunch1", "UnselectedColor1", "SelectedColor1", "LockoutModify1"})
        Item(name)->setEnabled(true);
    if (sixteenOnly)
        for (const char* name : {"PButton16", "PButton21"})
            if (QAction* a = Item(name))
                delete a;
}

void BarMenus::ApplyClockSettings(const StartupSettings& settings)
{
    if (!settings.twelveHour)
        Item("Clock1")->setChecked(false);
    Item("OnHour1")->setChecked(settings.display == ClockDisplay::Hour);
    if (settings.display == ClockDisplay::HalfHour)
        Item("OnHalfHour1")->setChecked(true);
    auto soundItem = [&](const char* name, const QString& caption, std::optional<bool> on, const std::string& file) {
        QAction* a = Item(name);
        if (on == true) {
            a->setChecked(true);
            a->setText(caption + " = " + MenuCaption(PathFileName(file)));
        } else if (on == false) {
            a->setChecked(false);
        }
    };
    soundItem("TimeSound1", "Hour &Sound", settings.hourSound, settings.hourSoundFile);
    soundItem("TimeSound2", "H&alf Hour Sound", settings.halfHourSound, settings.halfHourSoundFile);
}

} // namespace kex
