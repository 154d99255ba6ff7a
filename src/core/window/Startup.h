// The window-free part of the bar's start-up: the command line, the buttons a screen
// allows, the bar's geometry, the caption and the gauge kind's older names.
#pragma once

#include "core/window/Activation.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kex {

struct CommandLineRequests {
    std::string IniSuffix;
    bool SyncMode = false;
    // A request for the bar running on this configuration (--activate N, --page P,
    // --toggle, --show), or for this bar once it stands when none runs.
    std::optional<ActivationRequest> Request;
    bool Help = false; // --help or -h
    std::string Error; // why the arguments cannot be used; empty when they can
};

// args without the program name. The words that are not options are the suffix
// forms: "/n" takes the network user name as suffix (empty when there is none, so the
// bar uses KX.INI); "/m" switches synchronised mode on and takes the next word as
// suffix; any other first word is the suffix itself; words after those are ignored.
// Options may stand before, between or after them; after "--" every word is taken as
// written. networkUser is asked only for "/n".
CommandLineRequests ParseCommandLine(const std::vector<std::string>& args,
                                     const std::function<std::string()>& networkUser);
CommandLineRequests ParseCommandLine(const std::vector<std::string>& args, const std::string& networkUser);

// The arguments that give the same suffix and mode without asking for the user name
// again: "/m" when synchronised, then "--" and the suffix. The request is not among
// them: the bar takes its own request through its activation service.
std::vector<std::string> WindowArguments(const CommandLineRequests& commandLine);

// What `kexbar --help` prints.
std::string CommandLineUsage();

// "KX" + suffix + extension in AppDir.
std::string ConfigFileName(const std::string& appDir, const std::string& suffix, const std::string& extension = ".INI");

// The help file "Kexbar.HLP" in the first directory (each ending in "/") that holds
// it as a readable file; the first directory's when none does.
std::string FindHelpFile(const std::vector<std::string>& directories);

// The registered names of the two cross-instance messages.
std::string LoadMessageName(const std::string& suffix);       // "UKexbar" + suffix
std::string PageUpdateMessageName(const std::string& suffix); // "UKXForm" + suffix

// A cross-instance message: its registered name, its wParam, and the configuration
// file it is about (ConfigurationIdentity of the file). The older form names no file:
// it is about every configuration of the name's suffix.
struct BarMessage {
    std::string name;
    int wParam = 0;
    std::string configuration{}; // initialised, so {name, wParam} is the older form in full
};

// What a bar on the configuration `configuration` (its identity) with this suffix
// does with a message: reload its buttons ("UKexbar" + suffix), rebuild its pages
// ("UKXForm" + suffix), each only with wParam 1 and only when the message is about
// its own file or about none; anything else is not for it.
enum class BarMessageAction { None, Reload, Rebuild };
BarMessageAction MessageAction(const BarMessage& message, const std::string& suffix, const std::string& configuration);

// 0, 16 or 21: what a screen of this width allows.
int ScreenButtonsFor(int screenWidth);

// The bar's size and place. Widths and heights of the window are the outer ones (the
// frame included), as the settings and the small mode keep them.
struct BarGeometryInput {
    int ButtonsPerPage = 16;
    int ScreenButtons = 16;
    int ScreenWidth = 1024;
    int ScreenHeight = 768;
    int CyMenu = 19;     // SM_CYMENU
    int CyMenuSize = 18; // SM_CYMENUSIZE
    int BarTop = 0;
    bool OnTop = false;
};

struct BarGeometry {
    int DefaultTop = 0;
    int PageWidth = 0;
    int BareHeight = 0;
    int FramedHeight = 0;
    int FramedWidth = 0;
    int BarTop = 0;      // after the top correction
    int WindowWidth = 0; // after the screen-width cap
    int WindowHeight = 0;
    int NotebookWidth = 0;
    int HorzScrollRange = 0; // 0: no horizontal scroll bar
};

inline constexpr int kNotebookHeight = 37;
inline constexpr int kTabSetHeight = 18;
inline constexpr int kPanelWidth = 44;
inline constexpr int kPanelHeight = 19;

int DefaultTopFor(int screenHeight, int cyMenuSize);
BarGeometry ComputeGeometry(const BarGeometryInput& in);

// A rectangle on the desktop: a screen, or the bar with its frame.
struct ScreenRect {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    bool operator==(const ScreenRect&) const = default;
};

// Where the bar is shown, given its place and outer size and the screens (the primary
// first): where it stands when the screens show all of it; else moved the least way
// onto the screen it overlaps most (the primary when it overlaps none, the earlier one
// of two it overlaps alike), with its top-left corner on that screen when it is
// larger. No screens: where it stands.
ScreenRect PlaceOnScreens(const ScreenRect& bar, const std::vector<ScreenRect>& screens);

// Older gauge names: "C:..." (or "c:...") becomes "CHardDrive"; "SysResource",
// "UserResource", "GDIResource" and the memory items "UserResource1",
// "UserResources1" and "GDIResources1" become "SystemMemory1".
std::string NormaliseGaugeType(const std::string& gaugeType);

// CaptionPrefix + suffix + six blanks + date + six blanks + "Page p of n".
std::string CaptionText(const std::string& prefix, const std::string& suffix, const std::string& date, int page,
                        int pages);

} // namespace kex
