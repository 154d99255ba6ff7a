// The desktop's own launcher files (".desktop", freedesktop.org Desktop Entry format):
// the keys of the group "[Desktop Entry]" that the bar uses, and the splitting of an
// Exec line into the program and its arguments.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kex {

// The values of one desktop entry. String values are unescaped (\s \n \t \r \\);
// localized variants ("Name[de]") are ignored in favour of the plain key; a key given
// twice takes its last value. Absent keys stay empty or false.
struct DesktopEntry {
    std::string type; // "Application", "Link", "Directory", ...
    std::string name;
    std::string comment;
    std::string exec; // the Exec line as written (after unescaping); see SplitExec
    std::string icon; // an absolute path or an icon theme name
    std::string path; // working directory
    std::string tryExec;
    bool noDisplay = false;
    bool hidden = false;   // "deleted": the entry must be treated as absent
    bool terminal = false; // the program runs in a terminal
    std::vector<std::string> categories;

    // The program and its arguments from Exec, field codes removed.
    std::vector<std::string> Argv() const;
    // The command that opens a document when the document's path is added at its
    // end: Argv(), and when the file list of a file-forwarding wrapper ("@@ %F @@",
    // as Flatpak writes it) became empty, without its closing "@@", so that the
    // document added falls inside the list.
    std::vector<std::string> OpenerArgv() const;
};

// The command that runs argv inside a terminal emulator: $TERMINAL (given as
// `terminalEnv`) when set, else the first of x-terminal-emulator and the known
// emulators that `installed` finds, each with the option that runs a program
// ("--" for gnome-terminal, "-x" for xfce4-terminal and mate-terminal, none for
// kitty, "-e" for the others). When none is found, x-terminal-emulator all the same
// (the name the user's terminal goes by where one is installed later): a program that
// needs a terminal never runs without one. Empty argv stays empty.
std::vector<std::string> InTerminal(const std::vector<std::string>& argv, const std::string& terminalEnv,
                                    const std::function<bool(const std::string&)>& installed);
// InTerminal with the emulator's program resolved: `findInPath` answers a name's full
// path (empty when it is not found, and the name is kept as it is).
std::vector<std::string> InTerminalResolved(const std::vector<std::string>& argv, const std::string& terminalEnv,
                                            const std::function<std::string(const std::string&)>& findInPath);

// How many of the words are a known terminal emulator and its option for running a
// program ("x-terminal-emulator -e", "gnome-terminal --", "kitty"), when a program
// follows them; 0 for any other command.
std::size_t TerminalWrapperWords(const std::vector<std::string>& words);

// Parses a desktop file's text. Nothing when the text has no "[Desktop Entry]" group.
// Lines are separated by LF or CR LF; "#" starts a comment line; blanks around "="
// are ignored; lines that are not "key=value" are skipped.
std::optional<DesktopEntry> ParseDesktopEntry(std::string_view text);

// Reads and parses a desktop file; nothing when it cannot be read, is larger than
// 1 MiB, or has no "[Desktop Entry]" group.
std::optional<DesktopEntry> ReadDesktopEntry(const std::string& path);

// Splits an Exec value into argv by the quoting rules of desktop entries: arguments
// are separated by blanks; an argument in double quotes keeps its blanks, and inside
// it a backslash escapes '"', '`', '$' and '\'; outside quotes a backslash escapes the
// next character. Field codes (%f %F %u %U %i %c %k and the deprecated %d %D %n %N %v
// %m) are removed, an argument that consisted only of field codes is dropped, and "%%"
// becomes "%". An unterminated quote ends at the end of the line.
std::vector<std::string> SplitExec(std::string_view exec);

} // namespace kex
