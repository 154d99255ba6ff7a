// The desktop's application menu as the program groups of the first start's import.
// Read through libgnome-menu (the freedesktop menu: $XDG_MENU_PREFIX applications.menu
// with its merges, layouts and directory names; Flatpak and Snap exports come through
// XDG_DATA_DIRS): each top-level submenu is a group named by its localised name, the
// entries of nested submenus join their top-level group, and entries at the top of the
// menu join the group "Other". Where the menu cannot be loaded (no menu file), the
// visible desktop entries are grouped by their main category under "Accessories",
// "Development", "Games", "Graphics", "Internet", "Multimedia", "Office", "Settings",
// "System" and "Other". Entries that are NoDisplay, Hidden, not shown in this desktop
// (OnlyShowIn/NotShowIn against XDG_CURRENT_DESKTOP), whose TryExec or Exec program is
// not found are left out. Nothing can be read at all when there is neither a menu nor
// an applications directory.
#pragma once

#include "core/import/GroupSource.h"

namespace kex {

class AppMenuSource : public GroupSource {
public:
    // Each item: the entry's localised Name; its Exec without field codes in the bar's
    // command-line form (an empty file-forwarding list "@@u @@" dropped, so that a
    // Flatpak export is `flatpak run ... app-id`); its Icon as written; icon index 0;
    // its Terminal flag.
    std::optional<std::vector<ProgramGroup>> ReadGroups() override;
    // $TERMINAL, else the first installed of the known emulators (see kex::InTerminal),
    // its program resolved through PATH.
    std::vector<std::string> InTerminal(const std::vector<std::string>& argv) override;
};

} // namespace kex
