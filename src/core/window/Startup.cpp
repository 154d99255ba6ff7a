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

namespace {

// Edges in 64 bits, so that no stored place overflows them.
long long RightOf(const TScreenRect& r) { return static_cast<long long>(r.Left) + r.Width; }
long long BottomOf(const TScreenRect& r) { return static_cast<long long>(r.Top) + r.Height; }

long long Overlap(const TScreenRect& a, const TScreenRect& b)
{
    const long long w = std::min(RightOf(a), RightOf(b)) - std::max(a.Left, b.Left);
    const long long h = std::min(BottomOf(a), BottomOf(b)) - std::max(a.Top, b.Top);
    return w > 0 && h > 0 ? w * h : 0;
}

// Whether the screens together show every pixel of `bar`: the bar is cut along every
// screen edge that crosses it, and each piece must lie on some screen. Screens may
// overlap (mirrored ones) or leave gaps (screens of different sizes side by side).
bool Covered(const TScreenRect& bar, const std::vector<TScreenRect>& screens)
{
    std::vector<long long> xs = {bar.Left, RightOf(bar)};
    std::vector<long long> ys = {bar.Top, BottomOf(bar)};
    for (const TScreenRect& s : screens) {
        for (long long x : {static_cast<long long>(s.Left), RightOf(s)})
            if (x > bar.Left && x < RightOf(bar))
                xs.push_back(x);
        for (long long y : {static_cast<long long>(s.Top), BottomOf(s)})
            if (y > bar.Top && y < BottomOf(bar))
                ys.push_back(y);
    }
    std::sort(xs.begin(), xs.end());
    std::sort(ys.begin(), ys.end());
    for (std::size_t i = 0; i + 1 < xs.size(); ++i)
        for (std::size_t j = 0; j + 1 < ys.size(); ++j) {
            if (xs[i] == xs[i + 1] || ys[j] == ys[j + 1])
                continue;
            const bool shown = std::any_of(screens.begin(), screens.end(), [&](const TScreenRect& s) {
                return s.Left <= xs[i] && xs[i + 1] <= RightOf(s) && s.Top <= ys[j] && ys[j + 1] <= BottomOf(s);
            });
            if (!shown)
                return false;
        }
    return true;
}

// The least move of a span [start, start + size) into [low, low + room): its start at
// `low` when it does not fit.
int Clamp(int start, int size, int low, int room)
{
    if (size >= room || start < low)
        return low;
    return static_cast<int>(std::min(static_cast<long long>(start), static_cast<long long>(low) + room - size));
}

} // namespace

TScreenRect PlaceOnScreens(const TScreenRect& bar, const std::vector<TScreenRect>& screens)
{
    if (screens.empty() || Covered(bar, screens))
        return bar;
    const TScreenRect* best = &screens.front();
    long long most = Overlap(bar, *best);
    for (const TScreenRect& s : screens)
        if (const long long o = Overlap(bar, s); o > most) {
            best = &s;
            most = o;
        }
    TScreenRect placed = bar;
    placed.Left = Clamp(bar.Left, bar.Width, best->Left, best->Width);
    placed.Top = Clamp(bar.Top, bar.Height, best->Top, best->Height);
    return placed;
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
