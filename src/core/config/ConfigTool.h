// kexbar-config: reads and changes a configuration file with the bar's own rules
// and lock. Commands are table entries so that each subsystem adds its own.
#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "core/config/NewIniFile.h"

namespace kex {

// Exit codes of the tool.
inline constexpr int kConfigOk = 0;
inline constexpr int kConfigUsage = 1;   // wrong arguments, or a value that cannot be used
inline constexpr int kConfigRefused = 2; // a write was refused ("Unable to write to %s")

struct ConfigCommand {
    std::string name;
    std::string usage; // arguments after the command name, e.g. "SECTION KEY [DEFAULT]"
    std::size_t minArgs = 0;
    std::size_t maxArgs = 0;
    // Runs the command on the file; writes its answer to out and messages to err.
    std::function<int(TNewIniFile& ini, const std::vector<std::string>& args, std::ostream& out, std::ostream& err)>
        run;
};

// A command that works on no configuration file: "kexbar-config NAME ARGS...".
struct ToolCommand {
    std::string name;
    std::string usage;
    std::size_t minArgs = 0;
    std::size_t maxArgs = 0;
    std::function<int(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)> run;
};

// read-link (core/launch/LinkCommand.cpp).
std::vector<ToolCommand> ShortcutCommands();

// get, get-int, set, erase-key, erase-section.
std::vector<ConfigCommand> IniCommands();
// Page and button commands (show, buttons-per-page, pages and buttons, import-menu).
std::vector<ConfigCommand> PageCommands();
// import-menu (core/import/ImportCommand.cpp).
ConfigCommand ImportMenuCommand();

// The configuration file a command line works on: argv[1] of "FILE COMMAND ARGS...";
// empty for "--help" and the commands that work on no configuration file (read-link),
// and when no command follows.
std::string ConfigurationFileOf(const std::vector<std::string>& argv);

// The configuration's text as a command found it and as it left it: the very same
// document when the file was not written meanwhile (a command that changed nothing),
// so that telling the bars costs nothing then.
struct ConfigToolFiles {
    std::shared_ptr<const IniDocument> before, after;
};

// The whole tool: argv as given to main. Usage problems answer kConfigUsage, refused
// writes kConfigRefused with the error text on err. With `files`, a command on a
// configuration file leaves there the text it found and the text it left.
int RunConfigTool(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err,
                  ConfigToolFiles* files = nullptr);

} // namespace kex
