// Files dropped on the bar: the button a drop falls on, the dropped names that are
// read as shortcuts, and the shrink value a dropped-on button starts with.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kex {

// The buttons of the shown page taken as columns of this width, the first starting at
// the right edge of the gauge panel.
inline constexpr int kDropColumnWidth = 36;

// Where the shown page's buttons lie for a drop.
struct DropGeometry {
    int panelWidth = 0;   // the gauge panel's width: the first column's left edge
    int scrollOffset = 0; // how far the bar's contents are scrolled to the left
    int tabIndex = 0;     // the shown page (from 0)
    int buttonsPerPage = 16;
};

// The number of the button under a drop at x (client coordinates of the window), 0 for
// none. The vertical position does not count. A drop on the panel (x + scroll offset
// not right of its edge) or right of the page's last column falls on no button. Column
// c covers [edge + (c - 1) * 36, edge + c * 36): the pixel on a boundary belongs to the
// column starting there, whose 37-pixel button is drawn over its neighbour's last
// pixel. The same columns serve 16 and 21 buttons, which lie on one row alike.
int DropButton(const DropGeometry& grid, int x);

// Whether a dropped file is read as a shortcut: its name ends in "LNK" or "lnk" (these
// two forms exactly; "x.Lnk" is a plain file), or in ".desktop".
bool IsShortcutName(std::string_view name);

// A parameter text typed into the editor: "*" stands for none.
std::string ParametersFromEntry(const std::string& text);

} // namespace kex
