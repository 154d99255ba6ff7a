#include "core/launch/DesktopEntry.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kex {

namespace {

constexpr std::size_t kMaxDesktopFileBytes = 1 << 20;

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// The escapes of string values: \s \n \t \r \\; with `listSeparator`, "\;" stays
// escaped so that the list can be split afterwards. Any other backslash is kept.
std::string Unescape(std::string_view v, bool listSeparator = false)
{
    std::string out;
    out.reserve(v.size());
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (v[i] != '\\' || i + 1 == v.size()) {
            out += v[i];
            continue;
        }
        switch (char c = v[++i]) {
        case 's': out += ' '; break;
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case '\\': out += '\\'; break;
        case ';':
            if (listSeparator)
                out += "\\;";
            else
                out += ";";
            break;
        default: out += '\\'; out += c;
        }
    }
    return out;
}

// A list value: items separated by ";" ("\;" is a semicolon inside an item), the
// trailing separator optional, empty items dropped.
std::vector<std::string> SplitList(std::string_view v)
{
    const std::string text = Unescape(v, true);
    std::vector<std::string> items;
    std::string item;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == ';') {
            item += ';';
            ++i;
        } else if (text[i] == ';') {
            if (!item.empty())
                items.push_back(std::move(item));
            item.clear();
        } else {
            item += text[i];
        }
    }
    if (!item.empty())
        items.push_back(std::move(item));
    return items;
}

bool Boolean(std::string_view v) { return v == "true" || v == "1"; }

} // namespace

std::optional<DesktopEntry> ParseDesktopEntry(std::string_view text)
{
    DesktopEntry entry;
    bool found = false, inGroup = false;
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        std::string_view line = Trim(text.substr(0, nl));
        text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);

        if (line.empty() || line.front() == '#')
            continue;
        if (line.front() == '[') {
            // A group header; only the first "[Desktop Entry]" group counts.
            inGroup = !found && line == "[Desktop Entry]";
            found = found || inGroup;
            continue;
        }
        if (!inGroup)
            continue;
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos)
            continue;
        const std::string_view key = Trim(line.substr(0, eq));
        const std::string_view value = Trim(line.substr(eq + 1));

        if (key == "Type")
            entry.type = Unescape(value);
        else if (key == "Name")
            entry.name = Unescape(value);
        else if (key == "Comment")
            entry.comment = Unescape(value);
        else if (key == "Exec")
            entry.exec = Unescape(value);
        else if (key == "Icon")
            entry.icon = Unescape(value);
        else if (key == "Path")
            entry.path = Unescape(value);
        else if (key == "TryExec")
            entry.tryExec = Unescape(value);
        else if (key == "NoDisplay")
            entry.noDisplay = Boolean(value);
        else if (key == "Hidden")
            entry.hidden = Boolean(value);
        else if (key == "Terminal")
            entry.terminal = Boolean(value);
        else if (key == "Categories")
            entry.categories = SplitList(value);
        // Every other key, localized ones ("Name[de]") included, is not used here.
    }
    if (!found)
        return std::nullopt;
    return entry;
}

std::optional<DesktopEntry> ReadDesktopEntry(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    struct stat st {};
    std::string text;
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && std::uint64_t(st.st_size) <= kMaxDesktopFileBytes;
    if (ok) {
        text.resize(std::size_t(st.st_size));
        std::size_t have = 0;
        while (have < text.size()) {
            const ssize_t n = ::read(fd, text.data() + have, text.size() - have);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            have += std::size_t(n);
        }
        text.resize(have);
    }
    ::close(fd);
    if (!ok)
        return std::nullopt;
    return ParseDesktopEntry(text);
}

std::vector<std::string> SplitExec(std::string_view exec)
{
    std::vector<std::string> argv;
    std::string arg;
    bool inArg = false; // an argument has begun
    bool keep = false;  // it holds something besides field codes (or is quoted)
    bool quoted = false;

    auto finish = [&] {
        if (inArg && keep)
            argv.push_back(arg);
        arg.clear();
        inArg = keep = false;
    };

    for (std::size_t i = 0; i < exec.size(); ++i) {
        const char c = exec[i];
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else if (c == '\\' && i + 1 < exec.size()
                       && (exec[i + 1] == '"' || exec[i + 1] == '`' || exec[i + 1] == '$' || exec[i + 1] == '\\')) {
                arg += exec[++i];
            } else if (c == '%' && i + 1 < exec.size()) {
                if (exec[++i] == '%')
                    arg += '%';
            } else {
                arg += c;
            }
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\n') {
            finish();
            continue;
        }
        inArg = true;
        if (c == '"') {
            quoted = true;
            keep = true; // "" is an empty argument of its own
        } else if (c == '\\' && i + 1 < exec.size()) {
            arg += exec[++i];
            keep = true;
        } else if (c == '%' && i + 1 < exec.size()) {
            if (exec[++i] == '%') {
                arg += '%';
                keep = true;
            }
            // any other field code expands to nothing here
        } else {
            arg += c;
            keep = true;
        }
    }
    finish();
    return argv;
}

std::vector<std::string> DesktopEntry::Argv() const { return SplitExec(exec); }

std::vector<std::string> DesktopEntry::OpenerArgv() const
{
    std::vector<std::string> argv = Argv();
    const std::size_t n = argv.size();
    if (n >= 2 && argv[n - 1] == "@@" && (argv[n - 2] == "@@" || argv[n - 2] == "@@u"))
        argv.pop_back();
    return argv;
}

namespace {

// The terminal emulators the bar knows, in the order it looks for them, each with the
// option that makes it run a program ("" when the program follows without one).
struct Emulator {
    const char* name;
    const char* option;
};
constexpr Emulator kKnownEmulators[] = {
    {"x-terminal-emulator", "-e"}, {"gnome-terminal", "--"}, {"konsole", "-e"}, {"xfce4-terminal", "-x"},
    {"mate-terminal", "-x"},       {"alacritty", "-e"},      {"kitty", ""},     {"xterm", "-e"},
};

const Emulator* KnownEmulator(const std::string& program)
{
    const std::string name = program.substr(program.rfind('/') + 1);
    for (const Emulator& e : kKnownEmulators)
        if (name == e.name)
            return &e;
    return nullptr;
}

} // namespace

std::vector<std::string> InTerminal(const std::vector<std::string>& argv, const std::string& terminalEnv,
                                    const std::function<bool(const std::string&)>& installed)
{
    if (argv.empty())
        return argv;
    std::string terminal = terminalEnv;
    if (terminal.empty())
        for (const Emulator& e : kKnownEmulators)
            if (installed(e.name)) {
                terminal = e.name;
                break;
            }
    if (terminal.empty())
        terminal = kKnownEmulators[0].name;
    std::vector<std::string> command = {terminal};
    const Emulator* known = KnownEmulator(terminal);
    if (const std::string option = known ? known->option : "-e"; !option.empty())
        command.push_back(option);
    command.insert(command.end(), argv.begin(), argv.end());
    return command;
}

std::vector<std::string> InTerminalResolved(const std::vector<std::string>& argv, const std::string& terminalEnv,
                                            const std::function<std::string(const std::string&)>& findInPath)
{
    std::vector<std::string> command =
        InTerminal(argv, terminalEnv, [&](const std::string& name) { return !findInPath(name).empty(); });
    if (!command.empty())
        if (const std::string emulator = findInPath(command[0]); !emulator.empty())
            command[0] = emulator;
    return command;
}

std::size_t TerminalWrapperWords(const std::vector<std::string>& words)
{
    if (words.empty())
        return 0;
    const Emulator* known = KnownEmulator(words[0]);
    if (!known)
        return 0;
    const std::size_t wrapper = *known->option ? 2 : 1;
    if (words.size() <= wrapper || (*known->option && words[1] != known->option))
        return 0;
    return wrapper;
}

} // namespace kex
