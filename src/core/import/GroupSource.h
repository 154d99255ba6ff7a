// The program groups the bar is filled from on its first start: each group becomes
// pages of buttons named after it. A group source reads them from wherever the desktop
// keeps them (the application menu, see platform/AppMenu.h); tests give their own.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kex {

// One program of a group, whole: titles and commands may hold commas and quotes.
struct ProgramItem {
    std::string title;       // the button's description
    std::string commandLine; // in the bar's command-line form; empty: nothing to start
    std::string iconFile;    // an icon file's path or an icon theme name, as written; empty: none
    int iconIndex = 0;
    bool terminal = false; // the program runs in a terminal window

    bool operator==(const ProgramItem&) const = default;
};

struct ProgramGroup {
    std::string name;
    std::vector<ProgramItem> items; // in the order the group shows them

    bool operator==(const ProgramGroup&) const = default;
};

class GroupSource {
public:
    virtual ~GroupSource() = default;

    // Every group with its items; nothing when the groups cannot be read at all. An
    // empty list is a desktop without groups.
    virtual std::optional<std::vector<ProgramGroup>> ReadGroups() = 0;

    // The words that start argv in the user's terminal emulator (argv itself when the
    // desktop has none).
    virtual std::vector<std::string> InTerminal(const std::vector<std::string>& argv) = 0;
};

} // namespace kex
