#include <QAction>
#include <QMenu>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

#include "ui/window/BarMenus.h"

namespace kex {
namespace {

BarMenus::Guard Plain()
{
    return [](const std::function<void()>& handler) { handler(); };
}

// Tests and help find the items by their designer names; the bar's code by the typed
// members. Both must name the same item.
TEST(BarMenusTest, EachTypedItemIsTheItemOfItsDesignerName)
{
    QWidget window;
    BarMenus menus(window, Plain());
    const std::pair<QAction* (BarMenus::*)() const, const char*> items[] = {
        {&BarMenus::MoveButton, "MoveButton1"},        {&BarMenus::CopyButton, "CopyButton1"},
        {&BarMenus::RemoveButton, "RemoveButton1"},    {&BarMenus::ConfigureButton, "ConfigureButton1"},
        {&BarMenus::ChangeIcon, "ChangeIcon1"},        {&BarMenus::ChangeDescription, "ChangeName1"},
        {&BarMenus::ChangeParameter, "Parameter1"},    {&BarMenus::ButtonShrink, "ShrinkOnLaunch2"},
        {&BarMenus::WorkingDirectory, "SelectWorkingDirectory1"},
        {&BarMenus::SelectFiles, "SelectFiles1"},      {&BarMenus::SoundOnLaunch, "SoundLaunch1"},
        {&BarMenus::SoundOnSelect, "SoundSelect1"},    {&BarMenus::PasswordProtect, "PasswordProtect1"},
        {&BarMenus::RenamePage, "RenamePage1"},        {&BarMenus::DeletePage, "DeletePage1"},
        {&BarMenus::MovePage, "MovePage1"},            {&BarMenus::AddPage, "AddPage1"},
        {&BarMenus::UnselectedColor, "UnselectedColor1"}, {&BarMenus::SelectedColor, "SelectedColor1"},
        {&BarMenus::TotalPages, "TotalPages1"},        {&BarMenus::Buttons16, "PButton16"},
        {&BarMenus::Buttons21, "PButton21"},           {&BarMenus::GraphDisplay, "GraphDisplayMenu1"},
        {&BarMenus::SystemMemory, "SystemMemory1"},    {&BarMenus::ProgramTimer, "ProgTime1"},
        {&BarMenus::ShowTime, "ShowTime1"},            {&BarMenus::ShowEyes, "Eyes1"},
        {&BarMenus::ClockOptions, "ClockOptions1"},    {&BarMenus::TwelveHourClock, "Clock1"},
        {&BarMenus::OnHalfHour, "OnHalfHour1"},        {&BarMenus::OnHour, "OnHour1"},
        {&BarMenus::HourSound, "TimeSound1"},          {&BarMenus::HalfHourSound, "TimeSound2"},
        {&BarMenus::ModifyMenu, "ModifyMenu1"},        {&BarMenus::StayOnTop, "StayonTop1"},
        {&BarMenus::StaySmall, "StaySmall"},           {&BarMenus::BarGraphOnLaunch, "ShrinkOnLaunch1"},
        {&BarMenus::TrayOnLaunch, "HideGraph1"},       {&BarMenus::AnimateTray, "IconState1"},
        {&BarMenus::ShowHints, "ShowHint1"},           {&BarMenus::ExitOptions, "ConfirmExit1"},
        {&BarMenus::ExitFromMenu, "Exit1"},            {&BarMenus::LockGraphLocation, "LockGraphLocation1"},
        {&BarMenus::LockoutModify, "LockoutModify1"},  {&BarMenus::ExitBar, "ExitKexbar1"},
        {&BarMenus::ExitSession, "ExitWin1"},          {&BarMenus::RestartMachine, "RestartWin1"},
        {&BarMenus::CdTray, "CDTray1"},                {&BarMenus::ScreenSaver, "ScreenSave1"},
        {&BarMenus::RecentAnchor, "Pop5Bar"},
    };
    for (const auto& [member, name] : items) {
        SCOPED_TRACE(name);
        QAction* item = (menus.*member)();
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item, menus.Item(name));
    }
    for (char letter = 'C'; letter <= 'Z'; ++letter)
        EXPECT_EQ(menus.DriveGraph(letter), menus.Item(QString(QChar(letter)) + "HardDrive")) << letter;
    for (char outside : {'A', 'B', '['})
        EXPECT_EQ(menus.DriveGraph(outside), nullptr) << outside;
}

// Items the bar does not offer are taken out of the menus; their typed members then
// answer null, never an item that is gone.
TEST(BarMenusTest, ItemsTakenOutAnswerNullAndAreNotSources)
{
    struct Case {
        bool cdRom, sixteenOnly;
    } cases[] = {{true, false}, {false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "cd " << c.cdRom << " sixteen " << c.sixteenOnly);
        QWidget window;
        BarMenus menus(window, Plain());
        menus.Prepare(c.cdRom, c.sixteenOnly);
        menus.Prepare(c.cdRom, c.sixteenOnly); // a rebuild prepares them again
        EXPECT_EQ(menus.CdTray() != nullptr, c.cdRom);
        EXPECT_EQ(menus.Buttons16() != nullptr, !c.sixteenOnly);
        EXPECT_EQ(menus.Buttons21() != nullptr, !c.sixteenOnly);
        EXPECT_EQ(menus.Item("UserResources1"), nullptr);
        EXPECT_EQ(menus.Item("GDIResources1"), nullptr);
        menus.Connect(menus.CdTray(), [] {}); // an item not offered connects nothing
        menus.HideUnconnected();
        const std::vector<QAction*> sources = menus.GaugeSources();
        EXPECT_EQ(sources.size(), size_t('Z' - 'C' + 1 + 4));
        for (QAction* source : sources)
            EXPECT_EQ(menus.GaugeSource(source->objectName().toStdString()), source);
        EXPECT_EQ(menus.GaugeSource("UserResources1"), nullptr);
        EXPECT_EQ(menus.GaugeSource("MoveButton1"), nullptr) << "not a source";
        EXPECT_EQ(menus.GaugeSource(""), nullptr);
    }
}

TEST(BarMenusTest, ConnectedItemsStayAndRunGuarded)
{
    QWidget window;
    int guarded = 0, ran = 0;
    BarMenus menus(window, [&](const std::function<void()>& handler) {
        ++guarded;
        handler();
    });
    menus.Connect(menus.AddPage(), [&] { ++ran; });
    menus.HideUnconnected();
    EXPECT_TRUE(menus.AddPage()->isVisible());
    EXPECT_FALSE(menus.DeletePage()->isVisible());
    EXPECT_FALSE(menus.ClockOptions()->isVisible()) << "a sub-menu with nothing connected goes";
    menus.AddPage()->trigger();
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(guarded, 1);
}

} // namespace
} // namespace kex
