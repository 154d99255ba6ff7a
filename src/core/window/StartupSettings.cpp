#include "core/window/StartupSettings.h"

#include "core/config/Settings.h"
#include "core/pages/PageShift.h"
#include "core/window/Startup.h"

namespace kex {

std::optional<bool> YesNo(std::string_view value)
{
    if (value == "Yes")
        return true;
    if (value == "No")
        return false;
    return std::nullopt;
}

namespace {

constexpr int kFirstStartTop = -50;

bool IsYes(const IniDocument& doc, const Setting& s) { return ReadSetting(doc, s) == "Yes"; }

// stored: as ReadButtonsPerPage bounds it (0, 16 or 21).
int ButtonsPerPageFor(int stored, bool firstStart, int screenButtons)
{
    if (firstStart && stored == 0)
        return screenButtons == 0 ? 16 : screenButtons;
    return stored == 21 ? 21 : 16;
}

ClockDisplay DisplayOf(const std::string& value)
{
    if (value == "Hour")
        return ClockDisplay::Hour;
    if (value == "HalfHour")
        return ClockDisplay::HalfHour;
    return ClockDisplay::Other;
}

} // namespace

StartupSettings ReadStartupSettings(const IniDocument& doc, const StartupMachine& machine, const std::string& fileName)
{
    using namespace settings;
    StartupSettings s;
    s.firstStart = ReadSettingInt(doc, Top) == kFirstStartTop;
    s.barTop = ReadSettingInt(doc, Top, machine.defaultTop);
    s.barLeft = ReadSettingInt(doc, Left);
    s.minimised = ReadSetting(doc, WindowState) == "Min";

    s.buttonsPerPage =
        ButtonsPerPageFor(ReadButtonsPerPage(doc, fileName, &s.notice), s.firstStart, machine.screenButtons);
    s.onTop = IsYes(doc, OnTop);
    s.staySmall = IsYes(doc, StaySmall);
    s.shrinkOnLaunch = IsYes(doc, Shrink);
    s.trayOnLaunch = IsYes(doc, Hide);
    s.animateTray = IsYes(doc, IconState);
    s.checkExit = IsYes(doc, CheckExit);
    s.showHints = YesNo(ReadSetting(doc, ShowHint));

    s.gaugeType = NormaliseGaugeType(ReadSetting(doc, GaugeType));
    s.graphLocked = IsYes(doc, LockedGraph);
    s.lockedLeft = ReadSettingInt(doc, ShrinkX);
    s.lockedTop = ReadSettingInt(doc, ShrinkY);

    s.twelveHour = ReadSetting(doc, TwelveHour) != "No";
    s.display = DisplayOf(ReadSetting(doc, Display));
    s.hourSound = YesNo(ReadSetting(doc, Sound));
    s.halfHourSound = YesNo(ReadSetting(doc, Sound2));
    s.hourSoundFile = ReadSetting(doc, SoundFile);
    s.halfHourSoundFile = ReadSetting(doc, SoundFile2);

    s.selectedTabColor = ReadSettingInt(doc, SelectedColor);
    s.unselectedTabColor = ReadSettingInt(doc, UnselectedColor);
    s.user = ReadSetting(doc, User);
    return s;
}

} // namespace kex
