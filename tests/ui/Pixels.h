// Counting the pixels of one colour in a painted widget.
#pragma once

#include <QColor>
#include <QImage>
#include <QRect>

namespace kex {

// The pixels of `colour` inside `rect` of `image`.
inline int CountColour(const QImage& image, const QRect& rect, const QColor& colour)
{
    int count = 0;
    const QRect area = rect.intersected(image.rect());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += QColor(image.pixel(x, y)) == colour;
    return count;
}

} // namespace kex
