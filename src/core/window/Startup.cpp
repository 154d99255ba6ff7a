#include "core/window/Startup.h"

#include <algorithm>
#include <cctype>

#include <sys/stat.h>
#include <unistd.h>

namespace kex {

namespace {
std::string LowerAscii(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}
} // namespace

TCommandLine ParseCommandLine(const std::vector<std::string>& args, const std::string& networkUser)
{
    TCommandLine cl;
    if (args.empty())
        return cl;
    cl.IniSuffix = args[0];
    std::string first = LowerAscii(args[0]);
    if (first == "/n")
        cl.IniSuffix = networkUser;
    if (first == "/m") {
        cl.SyncMode = true;
        cl.IniSuffix = args.size() > 1 ? args[1] : std::string();
    }
    return cl;
}

std::string ConfigFileName(const std::string& appDir, const std::string& suffix, const std::string& extension)
{
    return appDir + "KX" + suffix + extension;
}

std::string LoadMessageName(const std::string& suffix) { return "UKexbar" + suffix; }
std::string PageUpdateMessageName(const std::string& suffix) { return "UKXForm" + suffix; }

TMessageAction MessageAction(const TBarMessage& message, const std::string& suffix, const std::string& configuration)
{
    if (message.wParam != 1 || (!message.configuration.empty() && message.configuration != configuration))
        return TMessageAction::None;
    if (message.name == PageUpdateMessageName(suffix))
        return TMessageAction::Rebuild;
    if (message.name == LoadMessageName(suffix))
        return TMessageAction::Reload;
    return TMessageAction::None;
}

int ScreenButtonsFor(int screenWidth)
{
    int buttons = 0;
    if (screenWidth > 600)
        buttons = 16;
    if (screenWidth > 700)
        buttons = 21;
    return buttons;
}

int DefaultTopFor(int screenHeight, int cyMenuSize) { return screenHeight - cyMenuSize - 85; }

TBarGeometry ComputeGeometry(const TBarGeometryInput& in)
{
    TBarGeometry g;
    g.DefaultTop = DefaultTopFor(in.ScreenHeight, in.CyMenuSize);
    g.PageWidth = in.ButtonsPerPage * 40 - (in.ButtonsPerPage * 40) / 10;
    bool tooWide = in.ScreenButtons < in.ButtonsPerPage;
    g.BareHeight = tooWide ? kNotebookHeight + kTabSetHeight + 16 : kNotebookHeight + kTabSetHeight - 1;
    g.BarTop = in.BarTop;
    if (g.BarTop >= in.ScreenHeight - 50)
        g.BarTop = g.DefaultTop + 10;
    if (tooWide && g.BarTop >= g.DefaultTop - 10)
        g.BarTop = g.DefaultTop - 15;
    g.FramedHeight = in.CyMenu + g.BareHeight + 6;
    g.FramedWidth = g.PageWidth + 7;
    if (in.OnTop) {
        g.WindowWidth = kPanelWidth + g.PageWidth;
        g.NotebookWidth = g.PageWidth;
        g.WindowHeight = g.BareHeight;
    } else {
        g.WindowWidth = kPanelWidth + g.FramedWidth;
        g.NotebookWidth = g.FramedWidth;
        g.WindowHeight = g.FramedHeight;
    }
    if (in.ScreenWidth < g.WindowWidth - 10)
        g.WindowWidth = in.ScreenWidth;
    g.HorzScrollRange = tooWide ? g.NotebookWidth + kPanelWidth - 2 : 0;
    return g;
}

std::string NormaliseGaugeType(const std::string& gaugeType)
{
    if (gaugeType.size() >= 2 && gaugeType[1] == ':')
        return std::string(1, gaugeType[0]) + "HardDrive";
    if (gaugeType == "SysResource" || gaugeType == "UserResource" || gaugeType == "GDIResource")
        return "SystemMemory1";
    return gaugeType;
}

std::string CaptionText(const std::string& prefix, const std::string& suffix, const std::string& date, int page,
                        int pages)
{
    return prefix + suffix + "      " + date + "      " + "Page " + std::to_string(page) + " of " +
           std::to_string(pages);
}

std::string FindHelpFile(const std::vector<std::string>& directories)
{
    constexpr const char* kHelpName = "Kexbar.HLP";
    for (const std::string& dir : directories) {
        if (dir.empty())
            continue;
        const std::string path = dir + kHelpName;
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), R_OK) == 0)
            return path;
    }
    return (directories.empty() ? std::string() : directories.front()) + kHelpName;
}

} // namespace kex
