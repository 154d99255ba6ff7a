// The bar's own pictures, drawn in code: the window icon, the built-in icon
// resources ("ICON_2", the tray frames "RUN1".."RUN3"), the glyphs of the help and
// run buttons and the two cursors that mark a pending move.
#pragma once

#include <QCursor>
#include <QIcon>
#include <QImage>
#include <QPixmap>

#include <string_view>

namespace kex {

// The window icon of the bar, painted at the size asked (16 to 256 pixels offered).
QIcon MainIcon();

// A built-in icon resource by name, 32 x 32: "ICON_2" (the default program icon)
// and the tray animation frames "RUN1", "RUN2", "RUN3". Names are matched without
// regard to case; an unknown name gives a null image.
QImage BuiltinIcon(std::string_view name);

// Glyphs of the 23 x 19 help and run buttons (drawn at the screen's pixel ratio).
QPixmap HelpGlyph();
QPixmap RunGlyph();

// A page button's glyph for an icon: the icon at the top-left of a picture one pixel
// taller, filled with the button face colour.
QImage IconGlyph(const QImage& icon, const QColor& face);

// The cursor of a pending page move (a stack of pages with an arrow) and of a
// pending button move or copy (an arrow with one page).
QCursor MultiDragCursor();
QCursor DragCursor();

} // namespace kex
