#include "core/configure/DropTarget.h"

namespace kex {

int DropButton(const DropGeometry& grid, int x)
{
    const long offset = long(x) + grid.scrollOffset - grid.panelWidth;
    if (offset <= 0 || grid.buttonsPerPage <= 0 || grid.tabIndex < 0)
        return 0;
    const long column = offset / kDropColumnWidth + 1;
    if (column > grid.buttonsPerPage)
        return 0;
    return int(column) + grid.tabIndex * grid.buttonsPerPage;
}

bool IsShortcutName(std::string_view name)
{
    return name.ends_with("LNK") || name.ends_with("lnk") || name.ends_with(".desktop");
}

std::string ParametersFromEntry(const std::string& text) { return text == "*" ? std::string() : text; }

} // namespace kex
