#include "ui/pages/TabColors.h"

#include <array>
#include <optional>

#include "core/bar/BarStore.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/widgets/Colors.h"
#include "ui/widgets/TabSet.h"

namespace kex {

namespace {
const QColor kRenameTabColor(255, 0, 0); // colour value 255 while a page name is edited
}

void TabColors::Set(int selected, int unselected)
{
    selected_ = selected;
    unselected_ = unselected;
    tabs_.SetSelectedColor(ColorFromValue(selected));
    tabs_.SetUnselectedColor(ColorFromValue(unselected));
}

void TabColors::ShowRenaming(bool renaming)
{
    tabs_.SetSelectedColor(renaming ? kRenameTabColor : ColorFromValue(selected_));
}

void TabColors::Change(bool selected)
{
    // The dialog's custom colours from the file.
    const std::array<int, 16> stored = store_.CustomColors();
    std::array<QColor, 16> customColors;
    for (std::size_t i = 0; i < stored.size(); ++i)
        customColors[i] = ColorFromValue(stored[i]);
    // The dialog, on the colour of the tab chosen.
    std::optional<QColor> chosen =
        dialogs_.ChooseColor(ColorFromValue(selected ? selected_ : unselected_), customColors, 32);
    if (!chosen)
        return;
    // The tab shows the colour; the colour and the custom colours are stored as one rewrite.
    const int value = ValueFromColor(*chosen);
    if (selected) {
        selected_ = value;
        tabs_.SetSelectedColor(*chosen);
    } else {
        unselected_ = value;
        tabs_.SetUnselectedColor(*chosen);
    }
    std::array<int, 16> custom{};
    for (std::size_t i = 0; i < custom.size(); ++i)
        custom[i] = ValueFromColor(customColors[i]);
    store_.SaveTabColor(selected, value, custom);
}

} // namespace kex
