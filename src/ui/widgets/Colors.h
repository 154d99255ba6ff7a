// Windows colour values 0x00BBGGRR, as the configuration stores them, and QColor.
#pragma once

#include <QColor>

namespace kex {

inline QColor ColorFromValue(int value) { return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF); }

inline int ValueFromColor(const QColor& color) { return color.red() | (color.green() << 8) | (color.blue() << 16); }

} // namespace kex
