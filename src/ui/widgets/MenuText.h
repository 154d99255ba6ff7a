// Menu helpers that any part of the bar uses: a text as a caption, and whether a menu
// offers anything.
#pragma once

#include <QString>

#include <string>

class QMenu;

namespace kex {

// A file name or description as a menu caption: "&" shows as itself, not as the
// mark of an accelerator.
QString MenuCaption(const std::string& text);
// Whether a menu offers anything: an item or a sub-menu that is shown.
bool HasVisibleItems(const QMenu* menu);

} // namespace kex
