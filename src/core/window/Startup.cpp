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

namespace {

// A request option and its value: the next word, or what follows "=".
struct RequestOption {
    const char* name;
    ActivationKind kind;
    const char* what; // what its number names; null when it takes none
    int (*max)();
};

constexpr RequestOption kRequestOptions[] = {
    {"--activate", ActivationKind::Activate, "a button number", MaxActivationButton},
    {"--page", ActivationKind::ShowPage, "a page number", MaxActivationPage},
    {"--toggle", ActivationKind::Toggle, nullptr, nullptr},
    {"--show", ActivationKind::Show, nullptr, nullptr},
};

// A whole number of 1 to max written in decimal digits only; 0 otherwise.
int PositiveNumber(const std::string& text, int max)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    const int value = std::stoi(text);
    return value >= 1 && value <= max ? value : 0;
}

// Reads the option at args[i] (advancing i past its value) into cl; false with
// cl.Error set when it cannot be used.
bool ReadOption(const std::vector<std::string>& args, std::size_t& i, CommandLineRequests& cl)
{
    const std::string& word = args[i];
    const std::size_t equals = word.find('=');
    const std::string name = word.substr(0, equals);
    const RequestOption* option = nullptr;
    for (const RequestOption& o : kRequestOptions)
        if (name == o.name)
            option = &o;
    if (!option) {
        cl.Error = "unknown option \"" + name + "\"";
        return false;
    }
    if (cl.Request) {
        cl.Error = "give only one of --activate, --page, --toggle and --show";
        return false;
    }
    ActivationRequest request{option->kind, 0};
    if (!option->what) {
        if (equals != std::string::npos) {
            cl.Error = name + " takes no value";
            return false;
        }
    } else {
        const std::string range = " from 1 to " + std::to_string(option->max());
        std::string value;
        if (equals != std::string::npos) {
            value = word.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            cl.Error = name + " needs " + option->what + range;
            return false;
        }
        request.Number = PositiveNumber(value, option->max());
        if (request.Number == 0) {
            cl.Error = name + " needs " + option->what + range + ", not \"" + value + "\"";
            return false;
        }
    }
    cl.Request = request;
    return true;
}

} // namespace

CommandLineRequests ParseCommandLine(const std::vector<std::string>& args,
                                     const std::function<std::string()>& networkUser)
{
    CommandLineRequests cl;
    std::vector<std::string> words;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (arg == "--help" || arg == "-h")) {
            cl.Help = true;
        } else if (!optionsEnded && arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
            // The first fault is the one reported; the rest is still looked through
            // for --help.
            if (cl.Error.empty())
                ReadOption(args, i, cl);
        } else {
            words.push_back(arg);
        }
    }
    if (words.empty())
        return cl;
    cl.IniSuffix = words[0];
    const std::string first = LowerAscii(words[0]);
    if (first == "/n")
        cl.IniSuffix = networkUser ? networkUser() : std::string();
    if (first == "/m") {
        cl.SyncMode = true;
        cl.IniSuffix = words.size() > 1 ? words[1] : std::string();
    }
    return cl;
}

CommandLineRequests ParseCommandLine(const std::vector<std::string>& args, const std::string& networkUser)
{
    return ParseCommandLine(args, [&networkUser] { return networkUser; });
}

std::vector<std::string> WindowArguments(const CommandLineRequests& commandLine)
{
    std::vector<std::string> args;
    if (commandLine.SyncMode)
        args.push_back("/m");
    if (!commandLine.IniSuffix.empty()) {
        args.push_back("--");
        args.push_back(commandLine.IniSuffix);
    }
    return args;
}

std::string CommandLineUsage()
{
    return "Usage: kexbar [SUFFIX | /n | /m [SUFFIX]] [REQUEST]\n"
           "A bar of program-launch buttons, kept in the configuration KX<SUFFIX>.INI.\n"
           "\n"
           "  SUFFIX          use the configuration KX<SUFFIX>.INI (KX.INI without one)\n"
           "  /n              use the login name as the suffix\n"
           "  /m [SUFFIX]     synchronised: every bar on SUFFIX reloads after a change\n"
           "\n"
           "A request goes to the bar running on the same configuration, and kexbar\n"
           "ends at once; when none runs, the bar starts and carries it out itself.\n"
           "  --activate N    launch button N (numbered from 1 across the pages), as a\n"
           "                  click on it would\n"
           "  --page P        show page P\n"
           "  --toggle        switch between the full bar and the small bar or tray\n"
           "  --show          bring the full bar into view\n"
           "  --help, -h      print this help and end\n"
           "\n"
           "Options may stand before or after the suffix; every word after \"--\" is\n"
           "taken as written (kexbar -- -h uses the configuration KX-h.INI). Exit\n"
           "status with a request: 0 when a running bar took it, 1 when the arguments\n"
           "are wrong or the running bar refused the request or did not answer.\n";
}

std::string ConfigFileName(const std::string& appDir, const std::string& suffix, const std::string& extension)
{
    return appDir + "KX" + suffix + extension;
}

std::string LoadMessageName(const std::string& suffix) { return "UKexbar" + suffix; }
std::string PageUpdateMessageName(const std::string& suffix) { return "UKXForm" + suffix; }

BarMessageAction MessageAction(const BarMessage& message, const std::string& suffix, const std::string& configuration)
{
    if (message.wParam != 1 || (!message.configuration.empty() && message.configuration != configuration))
        return BarMessageAction::None;
    if (message.name == PageUpdateMessageName(suffix))
        return BarMessageAction::Rebuild;
    if (message.name == LoadMessageName(suffix))
        return BarMessageAction::Reload;
    return BarMessageAction::None;
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

BarGeometry ComputeGeometry(const BarGeometryInput& in)
{
    BarGeometry g;
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
long long RightOf(const ScreenRect& r) { return static_cast<long long>(r.Left) + r.Width; }
long long BottomOf(const ScreenRect& r) { return static_cast<long long>(r.Top) + r.Height; }

long long Overlap(const ScreenRect& a, const ScreenRect& b)
{
    const long long w = std::min(RightOf(a), RightOf(b)) - std::max(a.Left, b.Left);
    const long long h = std::min(BottomOf(a), BottomOf(b)) - std::max(a.Top, b.Top);
    return w > 0 && h > 0 ? w * h : 0;
}

// Whether the screens together show every pixel of `bar`: the bar is cut along every
// screen edge that crosses it, and each piece must lie on some screen. Screens may
// overlap (mirrored ones) or leave gaps (screens of different sizes side by side).
bool Covered(const ScreenRect& bar, const std::vector<ScreenRect>& screens)
{
    std::vector<long long> xs = {bar.Left, RightOf(bar)};
    std::vector<long long> ys = {bar.Top, BottomOf(bar)};
    for (const ScreenRect& s : screens) {
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
            const bool shown = std::any_of(screens.begin(), screens.end(), [&](const ScreenRect& s) {
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

ScreenRect PlaceOnScreens(const ScreenRect& bar, const std::vector<ScreenRect>& screens)
{
    if (screens.empty() || Covered(bar, screens))
        return bar;
    const ScreenRect* best = &screens.front();
    long long most = Overlap(bar, *best);
    for (const ScreenRect& s : screens)
        if (const long long o = Overlap(bar, s); o > most) {
            best = &s;
            most = o;
        }
    ScreenRect placed = bar;
    placed.Left = Clamp(bar.Left, bar.Width, best->Left, best->Width);
    placed.Top = Clamp(bar.Top, bar.Height, best->Top, best->Height);
    return placed;
}

std::string NormaliseGaugeType(const std::string& gaugeType)
{
    if (gaugeType.size() >= 2 && gaugeType[1] == ':')
        return std::string(1, char(std::toupper(static_cast<unsigned char>(gaugeType[0])))) + "HardDrive";
    // The memory items of earlier versions, by the names they were stored under.
    for (const char* memory :
         {"SysResource", "UserResource", "GDIResource", "UserResource1", "UserResources1", "GDIResources1"})
        if (gaugeType == memory)
            return "SystemMemory1";
    return gaugeType;
}

std::string CaptionText(const std::string& prefix, const std::string& suffix, const std::string& date, int page,
                        int pages)
{
    return prefix + suffix + "      " + date + "      " + "Page " + std::to_string(page) + " of "
           + std::to_string(pages);
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
