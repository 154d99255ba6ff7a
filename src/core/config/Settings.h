// The catalogue of the configuration file: every section and key the bar reads or
// writes, with its type and default. Readers take defaults from here, never from
// literals of their own.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/config/NewIniFile.h"

namespace kex {

enum class SettingType { Integer, Flag, String, Colour, Path };

struct Setting {
    std::string_view section;
    std::string_view key;
    SettingType type;
    std::string_view def; // the stored form of the default ("" for none)
    std::string_view meaning;

    int DefaultInt() const { return ParseProfileInt(def, 0); }
};

namespace settings {
// Section "Location"
inline constexpr Setting Top{"Location", "Top", SettingType::Integer, "-50",
                             "top of the full bar; -50 at start means first start (the default after that is "
                             "screen height - SM_CYMENUSIZE - 85)"};
inline constexpr Setting Left{"Location", "Left", SettingType::Integer, "0", "left of the full bar"};
inline constexpr Setting OnTop{"Location", "OnTop", SettingType::Flag, "No", "bar borderless and always on top"};
inline constexpr Setting StaySmall{"Location", "StaySmall", SettingType::Flag, "No",
                                   "start shrunk and stay small after launches"};
inline constexpr Setting Shrink{"Location", "Shrink", SettingType::Flag, "Yes",
                                "shrink the bar to the gauge on launch"};
inline constexpr Setting Hide{"Location", "Hide", SettingType::Flag, "No", "hide to the tray on launch"};
inline constexpr Setting IconState{"Location", "IconState", SettingType::Flag, "No", "animate the tray icon"};
inline constexpr Setting LockedGraph{"Location", "LockedGraph", SettingType::Flag, "No",
                                     "the gauge is always placed at ShrinkX, ShrinkY"};
inline constexpr Setting ShrinkX{"Location", "ShrinkX", SettingType::Integer, "0", "left of the gauge when locked"};
inline constexpr Setting ShrinkY{"Location", "ShrinkY", SettingType::Integer, "0", "top of the gauge when locked"};
inline constexpr Setting ButtonCount{"Location", "ButtonCount", SettingType::Integer, "0",
                                     "buttons per page, 16 or 21; 0 means 16 (or on a first start what the screen "
                                     "allows)"};
inline constexpr Setting CheckExit{"Location", "CheckExit", SettingType::Flag, "No", "ask before closing"};
inline constexpr Setting ShowHint{"Location", "ShowHint", SettingType::Flag, "Yes", "show the general hints"};
inline constexpr Setting User{"Location", "User", SettingType::String, "UpdateMe",
                              "password record that governs the modify lockout"};
inline constexpr Setting Run{"Location", "Run", SettingType::Flag, "", "written Yes at every start"};
// The password file's pending change is finished only when the configuration
// carries the stamp of the page operation that made it.
inline constexpr Setting PasswordCommit{"Location", "PasswordCommit", SettingType::String, "",
                                        "stamp of the last configuration change that moved button passwords"};
// Section "Window"
inline constexpr Setting WindowState{"Window", "State", SettingType::String, "Norm",
                                     "window state at the next start: Norm or Min"};
// Section "Gauge" (the default is the first letter of AppDir + "HardDrive")
inline constexpr Setting GaugeType{"Gauge", "Type", SettingType::String, "CHardDrive", "selected gauge kind"};
// Section "Time"
inline constexpr Setting TwelveHour{"Time", "12Hour", SettingType::Flag, "Yes", "12-hour clock"};
inline constexpr Setting Display{"Time", "Display", SettingType::String, "Hour",
                                 "Hour, HalfHour or No: when the time is shown and chimed"};
inline constexpr Setting Sound{"Time", "Sound", SettingType::Flag, "No", "play a sound on the hour"};
inline constexpr Setting SoundFile{"Time", "SoundFile", SettingType::Path, "", "sound file for the hour"};
inline constexpr Setting Sound2{"Time", "Sound2", SettingType::Flag, "No", "play a sound on the half hour"};
inline constexpr Setting SoundFile2{"Time", "SoundFile2", SettingType::Path, "", "sound file for the half hour"};
// Section "Tabs"
inline constexpr Setting SelectedColor{"Tabs", "SelectedColor", SettingType::Colour, "12632256",
                                       "colour of the selected tab"};
inline constexpr Setting UnselectedColor{"Tabs", "UnselectedColor", SettingType::Colour, "8421376",
                                         "colour of the other tabs"};
// Section "Pages"
inline constexpr Setting PageCount{"Pages", "Count", SettingType::Integer, "10", "number of pages"};
// Section "Button"
inline constexpr Setting Blank{"Button", "Blank", SettingType::Flag, "", "scratch flag of the page rebuild"};
// Section "MRU"
inline constexpr Setting MruCount{"MRU", "Count", SettingType::Integer, "0", "number of recent entries"};

// Keys built from a number or a letter.
inline constexpr std::string_view TabsSection = "Tabs";
inline constexpr std::string_view PageTabPrefix = "PageTab"; // + page number from 1, default "Page" + n
inline constexpr std::string_view ColorsSection = "Colors";
inline constexpr std::string_view ColorPrefix = "Color"; // + "A".."P", default "FFFFFF"
inline constexpr std::string_view ColorDefault = "FFFFFF";
inline constexpr std::string_view MruSection = "MRU"; // "1".."Count"
} // namespace settings

// Every fixed key of the catalogue, in catalogue order.
const std::vector<const Setting*>& Catalogue();

// "PageTab" + n and its default "Page" + n.
std::string PageTabKey(int page);
std::string DefaultPageName(int page);
// "Color" + letter for i = 0..15.
std::string CustomColorKey(int i);

// Reads through the catalogue's default (or a default given by the caller for keys
// whose default depends on the machine, such as "Top" or "Type").
std::string ReadSetting(const IniDocument& doc, const Setting& s);
std::string ReadSetting(const IniDocument& doc, const Setting& s, std::string_view def);
// What a configuration makes of the bar's pages and buttons: the stored page count
// and buttons per page as written, and a text that differs whenever they, a page name
// or a button's program differ. A bar shows the file as it is while its layout is the
// one it loaded.
struct PageLayout {
    std::string pageCount, buttonCount;
    std::string contents;
    bool operator==(const PageLayout&) const = default;
    // Whether the pages themselves differ (their count or their size), not only what
    // they hold.
    bool SamePages(const PageLayout& other) const
    {
        return pageCount == other.pageCount && buttonCount == other.buttonCount;
    }
};
PageLayout PageLayoutOf(const IniDocument& doc);

int ReadSettingInt(const IniDocument& doc, const Setting& s);
int ReadSettingInt(const IniDocument& doc, const Setting& s, int def);
void WriteSetting(TNewIniFile& ini, const Setting& s, std::string_view value);
void WriteSetting(TNewIniFile& ini, const Setting& s, int value);

// The ten sections of a button record (key "SpeedButton" + n in each), in record
// order.
namespace settings {
inline constexpr std::string_view ProgramsSection = "Programs";
inline constexpr std::string_view ParametersSection = "Parameters";
inline constexpr std::string_view IconsSection = "Icons"; // a path, or "Default" for the built-in icon
inline constexpr std::string_view IconSelectionSection = "IconSelection";
inline constexpr std::string_view NamesSection = "Names";
inline constexpr std::string_view ShrinkSection = "Shrink"; // "Yes", "No", or the global setting
inline constexpr std::string_view IconDefault = "Default";
} // namespace settings
inline constexpr std::array<std::string_view, 10> RecordSections = {settings::ProgramsSection,
                                                                    settings::ParametersSection,
                                                                    settings::IconsSection,
                                                                    settings::IconSelectionSection,
                                                                    settings::NamesSection,
                                                                    settings::ShrinkSection,
                                                                    "Select",
                                                                    "Working",
                                                                    "SoundSelect",
                                                                    "SoundLaunch"};

// Whether the bars on a file show something else once its text went from `before` to
// `after`: its page layout or any key of the ten record sections differs (a setting or
// the recent list alone does not).
bool ButtonsDiffer(const IniDocument& before, const IniDocument& after);

} // namespace kex
