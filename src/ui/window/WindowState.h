// WindowState: the main window's own state, which some subsystems are given to read.
#pragma once

#include <string>

namespace kex {

// The window's own state: the command line, the screen, the bar's shape and place,
// the hints. Read-only outside the window.
struct WindowState {
    std::string AppDir;
    std::string IniSuffix;
    bool SyncMode = false;
    bool StartingUp = true;
    std::string CaptionPrefix = "Zivar32 ";
    std::string LoadMsg, PageUpdateMsg; // registered message names
    std::string ConfigurationId;        // the configuration's identity, which messages about it carry
    int ScreenButtons = 0;
    int ScreenWidth = 0;
    int ScreenHeight = 0;
    int PageWidth = 0, FramedWidth = 0, BareHeight = 0, FramedHeight = 0;
    int DefaultTop = 0;
    int BarTop = 0, BarLeft = 0;
    int FullWidth = 0, FullHeight = 0;
    int HorzScrollRange = 0;
    bool OnTop = false; // the borderless on-top shape, not the framed one
    bool FirstStart = false;
    std::string TrayHint;
    std::string ButtonHintText, GaugeMouseHint, GaugeHintSuffix, TrayHintTail;
};

} // namespace kex
