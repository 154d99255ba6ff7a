// Shortcut files: what a Windows shortcut (.lnk, the binary shell-link format) or a
// desktop launcher (.desktop) points to. Read by our own bounds-checked reader; nothing
// is ever written to a shortcut.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace kex {

struct DesktopEntry;

// The values of one shortcut. Strings are UTF-8; a Windows link's paths stay Windows
// paths ("C:\\...", "\\\\server\\share\\...") as the link holds them.
// A string ends at its first NUL (some writers count the terminator in its length).
struct ShellLinkData {
    std::string Target; // the object the shortcut points to
    std::string WorkingDir;
    std::string Description;
    std::string Arguments;
    std::string IconLocation;  // empty when the shortcut names no icon file
    int IconNumber = 0;        // icon index in IconLocation
    std::uint16_t HotKey = 0;  // low byte the key, high byte the modifiers, as stored
    std::uint32_t ShowCmd = 0; // the show command as stored (0 for a desktop entry)
    bool Terminal = false;     // a desktop entry's program runs in a terminal

    bool operator==(const ShellLinkData&) const = default;
};

// Parses the bytes of a .lnk file. Nothing, with the reason in `why`, when they are not
// a complete, well-formed shell link: every structure its flags announce must lie
// inside the bytes, and every size and offset must agree with its container.
// The target is the link info's path (the network share form first, else the local
// base path, each with the common path suffix); without link info the file-system
// items of the target ID list; failing both, the environment-variable block's target.
// ANSI strings are Windows-1252.
std::optional<ShellLinkData> ParseShellLink(std::span<const std::uint8_t> bytes, std::string* why = nullptr);

// A desktop entry as a shortcut: Target = the Exec program, Arguments = the rest of
// Exec without field codes, each argument in the bar's command-line form (quoted only
// when it holds a blank, quote or backslash), WorkingDir = Path, Description = Comment
// or else Name, IconLocation = Icon, Terminal = Terminal.
ShellLinkData ShellLinkFromDesktopEntry(const DesktopEntry& entry);

// Reads a shortcut file: a shell link when the bytes begin like one, otherwise a
// desktop entry. Nothing, with the reason in `why`, when the file cannot be read
// (missing, not a regular file, larger than 1 MiB) or is neither kind.
std::optional<ShellLinkData> ReadShortcutFile(const std::string& path, std::string* why = nullptr);

// The shortcut component: setting Path reads the shortcut. A file that cannot be read
// leaves the component unresolved with every value cleared (never the values of an
// earlier shortcut), and reports nothing; Error() says why.
class TShellLink {
public:
    const std::string& Path() const { return path_; }
    void SetPath(const std::string& fileName);
    // Setting Update (to any value) reads the current Path again; it reads true after.
    bool Update() const { return update_; }
    void SetUpdate(bool value);

    bool Resolved() const { return resolved_; }
    const std::string& Error() const { return error_; }

    const std::string& Target() const { return data_.Target; }
    const std::string& WorkingDir() const { return data_.WorkingDir; }
    const std::string& Description() const { return data_.Description; }
    const std::string& Arguments() const { return data_.Arguments; }
    const std::string& IconLocation() const { return data_.IconLocation; }
    std::uint16_t HotKey() const { return data_.HotKey; }
    std::uint32_t ShowCmd() const { return data_.ShowCmd; }
    int IconNumber() const { return data_.IconNumber; }
    bool Terminal() const { return data_.Terminal; }
    const ShellLinkData& Data() const { return data_; }

private:
    void Read();

    std::string path_;
    bool update_ = false;
    bool resolved_ = false;
    std::string error_;
    ShellLinkData data_;
};

} // namespace kex
