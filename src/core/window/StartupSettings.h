// The bar's start-up settings read from its configuration document into typed
// values: what the start-up pass and the page rebuild apply to the window. "Yes"/"No"
// and the other stored forms are read here and nowhere else.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/config/NewIniFile.h"

namespace kex {

// A stored flag: "Yes" or "No", anything else is neither.
std::optional<bool> YesNo(std::string_view value);

// What the machine gives the reader: defaults that depend on the screen and on the
// program's folder.
struct StartupMachine {
    int defaultTop = 0;     // the top of a bar that has no stored place
    int screenButtons = 16; // 0, 16 or 21: what the screen width allows
};

// When the clock shows the time and chimes.
enum class ClockDisplay { Hour, HalfHour, Other };

struct StartupSettings {
    // The place of the full bar. A first start is a stored top of -50 (or none).
    bool firstStart = false;
    int barTop = 0;
    int barLeft = 0;
    bool minimised = false; // "Window"/"State" = "Min"

    // The shape and behaviour of the bar.
    int buttonsPerPage = 16; // 16 or 21, as the stored count, the screen and a first start decide
    bool onTop = false;
    bool staySmall = false;
    bool shrinkOnLaunch = true;
    bool trayOnLaunch = false;
    bool animateTray = false;
    bool checkExit = false;
    // Hints on ("Yes"), off ("No") or left as built (anything else).
    std::optional<bool> showHints;

    // The gauge panel.
    std::string gaugeType; // older names already normalised
    bool graphLocked = false;
    int lockedLeft = 0, lockedTop = 0;

    // The clock: 12 hours unless "No"; each chime on ("Yes"), off ("No") or as built.
    bool twelveHour = true;
    ClockDisplay display = ClockDisplay::Hour;
    std::optional<bool> hourSound, halfHourSound;
    std::string hourSoundFile, halfHourSoundFile;

    // The tab colours (colour values 0x00BBGGRR).
    int selectedTabColor = 0;
    int unselectedTabColor = 0;

    // The password record that governs the modify lockout.
    std::string user;

    // The text that reports a stored buttons-per-page value out of range (empty when
    // there is none).
    std::string notice;
};

// Reads every start-up setting from one document (of the file fileName, as the notice
// names it), with the catalogue's defaults and the machine's. Buttons per page: a
// stored 16 or 21 stays; 0 (none) gives 16, or on a first start what the screen
// allows (16 on a screen too small for either); any other value is a damaged one,
// gives 16 and is reported in `notice`.
StartupSettings ReadStartupSettings(const IniDocument& doc, const StartupMachine& machine, const std::string& fileName);

} // namespace kex
