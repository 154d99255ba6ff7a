#include "core/config/ConfigTool.h"

#include <charconv>
#include <optional>
#include <ostream>
#include <stdexcept>

namespace kex {

namespace {

constexpr const char* kToolName = "kexbar-config";

int ArgumentInt(const std::string& text)
{
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size())
        throw std::invalid_argument("Not an integer: " + text);
    return value;
}

std::vector<ConfigCommand> AllCommands()
{
    std::vector<ConfigCommand> all = IniCommands();
    for (ConfigCommand& c : PageCommands())
        all.push_back(std::move(c));
    return all;
}

void PrintUsage(std::ostream& os, const std::vector<ConfigCommand>& commands)
{
    os << "usage: " << kToolName << " FILE COMMAND ARGS...\n"
       << "Reads and changes a Kexbar configuration file with the bar's own rules.\n"
       << "commands:\n";
    for (const ConfigCommand& c : commands)
        os << "  " << c.name << (c.usage.empty() ? "" : " ") << c.usage << "\n";
    for (const ToolCommand& c : ShortcutCommands())
        os << "or: " << kToolName << " " << c.name << " " << c.usage << "\n";
}

bool IsHelp(const std::string& word) { return word == "--help" || word == "-h"; }

// The command of the tool's own table that argv names instead of a file, if any.
std::optional<ToolCommand> FileLessCommand(const std::vector<std::string>& argv)
{
    if (argv.size() >= 2)
        for (ToolCommand& c : ShortcutCommands())
            if (argv[1] == c.name)
                return std::move(c);
    return std::nullopt;
}

} // namespace

std::string ConfigurationFileOf(const std::vector<std::string>& argv)
{
    if (argv.size() < 3 || IsHelp(argv[1]) || FileLessCommand(argv))
        return {};
    return argv[1];
}

std::vector<ConfigCommand> IniCommands()
{
    std::vector<ConfigCommand> c;
    c.push_back({"get", "SECTION KEY [DEFAULT]", 2, 3,
                 [](TNewIniFile& ini, const std::vector<std::string>& a, std::ostream& out, std::ostream&) {
                     out << ini.ReadString(a[0], a[1], a.size() > 2 ? a[2] : std::string()) << "\n";
                     return kConfigOk;
                 }});
    c.push_back({"get-int", "SECTION KEY DEFAULT", 3, 3,
                 [](TNewIniFile& ini, const std::vector<std::string>& a, std::ostream& out, std::ostream&) {
                     out << ini.ReadInteger(a[0], a[1], ArgumentInt(a[2])) << "\n";
                     return kConfigOk;
                 }});
    c.push_back({"set", "SECTION KEY VALUE", 3, 3,
                 [](TNewIniFile& ini, const std::vector<std::string>& a, std::ostream&, std::ostream&) {
                     ini.WriteString(a[0], a[1], a[2]);
                     return kConfigOk;
                 }});
    c.push_back({"erase-key", "SECTION KEY", 2, 2,
                 [](TNewIniFile& ini, const std::vector<std::string>& a, std::ostream&, std::ostream&) {
                     ini.EraseKey(a[0], a[1]);
                     return kConfigOk;
                 }});
    c.push_back({"erase-section", "SECTION", 1, 1,
                 [](TNewIniFile& ini, const std::vector<std::string>& a, std::ostream&, std::ostream&) {
                     ini.EraseSection(a[0]);
                     return kConfigOk;
                 }});
    return c;
}

int RunConfigTool(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err, ConfigToolFiles* files)
{
    const std::vector<ConfigCommand> commands = AllCommands();
    if (argv.size() >= 2 && IsHelp(argv[1])) {
        PrintUsage(out, commands);
        return kConfigOk;
    }
    if (const std::optional<ToolCommand> c = FileLessCommand(argv)) {
        const std::vector<std::string> args(argv.begin() + 2, argv.end());
        if (args.size() >= c->minArgs && args.size() <= c->maxArgs)
            return c->run(args, out, err);
        err << kToolName << ": " << c->name << " takes " << c->usage << "\n";
        return kConfigUsage;
    }
    if (argv.size() < 3) {
        PrintUsage(err, commands);
        return kConfigUsage;
    }
    const std::string& file = argv[1];
    const std::string& name = argv[2];
    const ConfigCommand* command = nullptr;
    for (const ConfigCommand& c : commands)
        if (c.name == name)
            command = &c;
    if (!command) {
        err << kToolName << ": unknown command \"" << name << "\"\n";
        PrintUsage(err, commands);
        return kConfigUsage;
    }
    std::vector<std::string> args(argv.begin() + 3, argv.end());
    if (args.size() < command->minArgs || args.size() > command->maxArgs) {
        err << kToolName << ": " << command->name << " takes " << command->usage << "\n";
        PrintUsage(err, commands);
        return kConfigUsage;
    }
    try {
        TNewIniFile ini(file);
        if (files)
            files->before = ini.Snapshot(); // the command reads the same, read once
        const int rc = command->run(ini, args, out, err);
        if (files)
            files->after = ini.Snapshot();
        return rc;
    } catch (const EIniWriteError& e) {
        err << e.what() << "\n";
        return kConfigRefused;
    } catch (const std::invalid_argument& e) {
        err << kToolName << ": " << e.what() << "\n";
        return kConfigUsage;
    } catch (const std::exception& e) {
        // Any other failure of the operation itself (a file that cannot be read).
        err << e.what() << "\n";
        return kConfigRefused;
    }
}

} // namespace kex
