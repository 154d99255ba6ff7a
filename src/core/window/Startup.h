// The window-free part of the bar's start-up: the command line, the buttons a screen
// allows, the bar's geometry, the caption and the gauge kind's older names.
#pragma once

#include <string>
#include <vector>

namespace kex {

struct TCommandLine {
    std::string IniSuffix;
    bool SyncMode = false;
};

// args without the program name. "/n" takes the network user name as suffix (empty
// when there is none, so the bar uses KX.INI); "/m" switches synchronised mode on and
// takes the second argument as suffix; anything else is the suffix itself.
TCommandLine ParseCommandLine(const std::vector<std::string>& args, const std::string& networkUser);

// "KX" + suffix + extension in AppDir.
std::string ConfigFileName(const std::string& appDir, const std::string& suffix, const std::string& extension = ".INI");

// The help file "Kexbar.HLP" in the first directory (each ending in "/") that holds
// it as a readable file; the first directory's when none does.
std::string FindHelpFile(const std::vector<std::string>& directories);

// The registered names of the two cross-instance messages.
std::string LoadMessageName(const std::string& suffix);       // "UKexbar" + suffix
std::string PageUpdateMessageName(const std::string& suffix); // "UKXForm" + suffix

// 0, 16 or 21: what a screen of this width allows.
int ScreenButtonsFor(int screenWidth);

// The bar's size and place. Widths and heights of the window are the outer ones (the
// frame included), as the settings and the small mode keep them.
struct TBarGeometryInput {
    int ButtonsPerPage = 16;
    int ScreenButtons = 16;
    int ScreenWidth = 1024;
    int ScreenHeight = 768;
    int CyMenu = 19;      // SM_CYMENU
    int CyMenuSize = 18;  // SM_CYMENUSIZE
    int BarTop = 0;
    bool OnTop = false;
};

struct TBarGeometry {
    int DefaultTop = 0;
    int PageWidth = 0;
    int BareHeight = 0;
    int FramedHeight = 0;
    int FramedWidth = 0;
    int BarTop = 0;          // after the top correction
    int WindowWidth = 0;     // after the screen-width cap
    int WindowHeight = 0;
    int NotebookWidth = 0;
    int HorzScrollRange = 0; // 0: no horizontal scroll bar
};

inline constexpr int kNotebookHeight = 37;
inline constexpr int kTabSetHeight = 18;
inline constexpr int kPanelWidth = 44;
inline constexpr int kPanelHeight = 19;

int DefaultTopFor(int screenHeight, int cyMenuSize);
TBarGeometry ComputeGeometry(const TBarGeometryInput& in);

// A rectangle on the desktop: a screen, or the bar with its frame.
struct TScreenRect {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    bool operator==(const TScreenRect&) const = default;
};

// Where the bar is shown, given its place and outer size and the screens (the primary
// first): where it stands when the screens show all of it; else moved the least way
// onto the screen it overlaps most (the primary when it overlaps none, the earlier one
// of two it overlaps alike), with its top-left corner on that screen when it is
// larger. No screens: where it stands.
TScreenRect PlaceOnScreens(const TScreenRect& bar, const std::vector<TScreenRect>& screens);

// Older gauge names: "C:..." becomes "CHardDrive"; "SysResource", "UserResource" and
// "GDIResource" become "SystemMemory1".
std::string NormaliseGaugeType(const std::string& gaugeType);

// CaptionPrefix + suffix + six blanks + date + six blanks + "Page p of n".
std::string CaptionText(const std::string& prefix, const std::string& suffix, const std::string& date, int page,
                        int pages);

} // namespace kex
