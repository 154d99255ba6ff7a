// Starting the bar with the user's desktop session: the session's autostart entry for
// the bar, where it lives, and writing and removing it.
#pragma once

#include <string>
#include <vector>

namespace kex {

// $XDG_CONFIG_HOME/autostart/kexbar.desktop; an empty or relative XDG_CONFIG_HOME is
// not used (the base directory rules), home + "/.config" is.
std::string AutostartFileName(const std::string& configHome, const std::string& home);

// One argument as an Exec line writes it: in double quotes when it holds a blank or
// another character the line reserves ('"', '`', '$' and '\' escaped inside), '%'
// doubled, and the value's own escapes (\\, \n, \t, \r) applied.
std::string ExecArgument(const std::string& arg);

// The entry that starts `program args...` with KEXBAR_DIR set to appDir (through
// env), so that the bar that starts with the session is this one: the same suffix and
// the same configuration directory.
std::string AutostartEntry(const std::string& program, const std::vector<std::string>& args, const std::string& appDir);

// Whether the session starts the bar: the file is a regular file holding a desktop
// entry that is not Hidden.
bool AutostartEnabled(const std::string& file);

// Writes the entry (making the autostart directory when missing) or removes the
// file. A symbolic link in the file's place is replaced or removed, never followed.
// Throws std::runtime_error naming the file when it cannot.
void SetAutostart(const std::string& file, bool on, const std::string& entryText);

} // namespace kex
