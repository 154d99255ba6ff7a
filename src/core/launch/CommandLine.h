// Command lines of launched programs: quoting of paths, splitting a command line into
// argv by shell word rules (without a shell), the parts of a stored program path,
// the recent-list entry text and the shrink decision of a launch.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kex {

// A path made safe for a command line. A path that holds nothing the splitter treats
// specially (blank, tab, line break, ' " or \) comes back unchanged; any other path
// comes back in single quotes (a ' inside written as '\''), so that
// SplitCommandLine gives the path back exactly as one word. Empty stays empty.
// Not idempotent: a quoted path passed again is quoted again (a real path may hold
// quote characters).
std::string ShortPathOf(std::string_view path);

// A command line whose words SplitCommandLine gives back exactly: each word through
// ShortPathOf (an empty word as ''), joined by blanks.
std::string JoinCommandLine(const std::vector<std::string>& words);

// The words of a command line, by shell word rules without a shell:
// - blanks, tabs and line breaks separate words;
// - '...' is taken literally;
// - "..." is literal except for the escapes \" \\ \$ \` (a backslash before any other
//   character stays a backslash); a backslash before a line break removes both;
// - outside quotes a backslash takes the next character literally (a backslash at
//   the very end stays a backslash; a backslash before a line break removes both);
// - nothing is expanded: $HOME, ~, * and ? stay as written;
// - "" or '' make an empty word;
// - an unterminated quote takes the rest of the line into the word, as if the quote
//   were closed at the end.
std::vector<std::string> SplitCommandLine(std::string_view line);

// The program of a stored program text: its first word as the splitter reads it
// (quotes removed, a trailing blank ignored). Empty when the text holds no word.
std::string ProgramOf(std::string_view programText);

// Everything of the program up to and including its last "/"; empty when it has none.
std::string DirectoryPart(std::string_view programText);
// Everything of the program after its last "/".
std::string FileNamePart(std::string_view programText);
// Everything of a path as stored (not a command line) after its last "/".
std::string PathFileName(std::string_view path);
// The name without its extension: cut at the last "." of the file-name part. A name
// without "." stays whole, and so does a name whose only "." leads it (".profile").
// A directory in front of the name is kept.
std::string NameWithoutExtension(std::string_view fileName);

// The name a button's program goes by in its hint and its recent entry: the file name,
// without extension, of the program it starts for the user, which for a terminal
// emulator's command line ("x-terminal-emulator -e /usr/bin/vim") is the program
// inside, never the terminal.
std::string ProgramLabel(std::string_view programText);

// The recent-list entry of a launch: the description, or when it is empty the
// program's label (ProgramLabel), then "  |" and the button number. A label
// too long for a stored value is cut (at a UTF-8 character boundary) so that the
// whole entry, its number included, fits one.
std::string RecentEntryText(std::string_view description, std::string_view programText, int buttonNumber);
// The button number after the last "  |" of an entry text; 0 when there is none
// (no "  |", no digits, other characters after the digits, or out of range).
int NumberFromRecentEntry(std::string_view text);

// Whether a launch shrinks the bar: the button's "Shrink" value decides when it is
// "Yes" or "No"; any other value follows the global setting ("Yes" shrinks).
bool ShouldShrink(std::string_view shrinkNow, std::string_view shrinkSetting);

// The parameters for files chosen at a launch: " " + path for each file in order,
// each path through ShortPathOf so that blanks survive the splitting.
std::string FilesParameterList(const std::vector<std::string>& files);

// Why a file name cannot be stored in the configuration, or nothing when it can: a
// stored value is one line, so a name holding a line break (LF or CR) would come
// back as another name.
std::optional<std::string> UnstorableName(std::string_view name);
// The message for a file chosen or dropped that is not there (a name changed on the
// way, or a file removed meanwhile).
std::string FileNotFoundText(std::string_view name);

// What a button stores to open a file: the program (the words of the command that opens
// it, `opener`, in command-line form) and the document (the file in command-line form),
// which is empty when the file opens itself, being the program.
struct FileOpening {
    std::string program;
    std::string document;
};
FileOpening OpeningOf(const std::vector<std::string>& opener, std::string_view file);

} // namespace kex
