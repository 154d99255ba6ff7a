// The enhanced gauge's arithmetic. Lengths and percentages are computed in 64-bit
// integers: the range may span the whole 32-bit scale, and a percentage of a length
// in floating point loses a pixel now and then (100 x 0.29 gives 28.999...).
#include "core/status/GaugeArithmetic.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kex {

int GaugePercent(int minValue, int maxValue, int progress)
{
    const std::int64_t span = std::int64_t(maxValue) - minValue;
    if (span == 0)
        return 0;
    return int((std::int64_t(progress) - minValue) * 100 / span);
}

int ScaleToLength(int length, int percent) { return int(std::int64_t(length) * percent / 100); }

namespace {

[[noreturn]] void RangeError(std::int64_t low, std::int64_t high)
{
    throw EInvalidOperation("Value must be between " + std::to_string(low) + " and " + std::to_string(high));
}

} // namespace

bool GaugeRange::SetMinValue(int value)
{
    if (value == min_)
        return false;
    if (value > max_)
        RangeError(-2147483647, std::int64_t(max_) - 1);
    min_ = value;
    if (progress_ < value)
        progress_ = value;
    return true;
}

bool GaugeRange::SetMaxValue(int value)
{
    if (value == max_)
        return false;
    if (value < min_)
        RangeError(std::int64_t(min_) + 1, 2147483647);
    max_ = value;
    if (progress_ > value)
        progress_ = value;
    return true;
}

bool GaugeRange::SetProgress(int value)
{
    const int before = Percent();
    if (value < min_)
        value = min_;
    if (value > max_)
        value = max_;
    if (value == progress_)
        return false;
    progress_ = value;
    return Percent() != before;
}

GaugeDrawing GaugeLayout(TGaugeKind kind, TBorderStyle border, int width, int height, int percent)
{
    GaugeDrawing l;
    const int inset = border == TBorderStyle::bsSingle ? 1 : 0;
    l.R = {inset, inset, width - inset, height - inset};
    l.background = l.R;
    const GaugeRect& r = l.R;
    const double pi = std::numbers::pi;
    switch (kind) {
    case TGaugeKind::gkText: break;
    case TGaugeKind::gkHorizontalBar:
    case TGaugeKind::gkVerticalBar: {
        // The lengths serve as the right and bottom coordinates of the fill, so with
        // a single border the bar ends one pixel short of a full-length offset.
        const int w = r.Right - r.Left + 1;
        const int h = r.Bottom - r.Top + 1;
        if (kind == TGaugeKind::gkHorizontalBar) {
            int f = std::min(ScaleToLength(w, percent), w);
            if (f > 0)
                l.fill = {r.Left, r.Top, f, h};
        } else {
            int f = ScaleToLength(h, percent);
            if (f >= h)
                f = h - 1; // a full bar leaves its top row empty
            if (f > 0)
                l.fill = {r.Left, h - f, w, h};
        }
        break;
    }
    case TGaugeKind::gkPie:
    case TGaugeKind::gkNeedle: {
        const int w = r.Right - r.Left + inset;
        const int h = r.Bottom - r.Top + inset;
        if (kind == TGaugeKind::gkPie) {
            l.ellipse = {r.Left, r.Top, w, h};
            if (percent > 0) {
                // From twelve o'clock clockwise: the sector runs counter-clockwise from
                // the value's radial to the upright one.
                l.sector = true;
                const int mx = w / 2, my = h / 2;
                const double a = (percent * 0.02 + 0.5) * pi;
                l.radial1 = {int(std::lround(mx * (1 - std::cos(a)))), int(std::lround(my * (1 - std::sin(a))))};
                l.radial2 = {mx, 0};
            }
        } else {
            // The upper half of an ellipse twice the height: a semicircular dial.
            const int x = r.Left, y = r.Top;
            l.ellipse = {x, y, w, 2 * h - 1};
            l.radial1 = {x + w, r.Bottom - 1};
            l.radial2 = {x, r.Bottom - 1};
            l.baseFrom = {x, r.Bottom};
            l.baseTo = {x + w, r.Bottom};
            if (percent > 0) {
                l.needle = true;
                const int mx = width / 2;
                const double a = percent * 0.01 * pi;
                l.needleFrom = {mx, r.Bottom - 1};
                l.needleTo = {int(std::lround(mx * (1 - std::cos(a)))),
                              int(std::lround((r.Bottom - 1) * (1 - std::sin(a))))};
            }
        }
        break;
    }
    }
    return l;
}

GaugeArc SectorArc(const GaugeRect& e, GaugePoint radial1, GaugePoint radial2)
{
    // The ellipse covers the pixels Left..Right-1 and Top..Bottom-1.
    const double cx = (e.Left + e.Right - 1) / 2.0, cy = (e.Top + e.Bottom - 1) / 2.0;
    const double rx = (e.Right - e.Left - 1) / 2.0, ry = (e.Bottom - e.Top - 1) / 2.0;
    // A direction's angle on the ellipse (x = rx cos t, y = -ry sin t); the screen's
    // y grows downward.
    auto angle16 = [&](GaugePoint p) {
        const double t = std::atan2(-(p.Y - cy) * rx, (p.X - cx) * ry);
        return int(std::lround(t * 180.0 / std::numbers::pi * 16));
    };
    const int full = 360 * 16;
    const int start = (angle16(radial1) + full) % full;
    int span = (angle16(radial2) - start) % full;
    if (span <= 0)
        span += full;
    return {start, span};
}

std::string GaugeText(int percent, const std::string& progressText, TAlignment alignment)
{
    const std::string p = std::to_string(percent) + "%";
    if (progressText.empty())
        return p;
    if (alignment == TAlignment::taLeftJustify)
        return p + " : " + progressText;
    return progressText + " : " + p;
}

GaugePoint GaugeTextOrigin(const GaugeRect& r, int controlWidth, int textWidth, int textHeight,
                           const std::string& progressText, TAlignment alignment)
{
    int x = (r.Right - r.Left + 1 - textWidth) / 2;
    if (!progressText.empty() && alignment == TAlignment::taLeftJustify)
        x = r.Left + 2;
    else if (!progressText.empty() && alignment == TAlignment::taRightJustify)
        x = controlWidth - (textWidth + 2);
    return {x, (r.Bottom - r.Top + 1 - textHeight) / 2};
}

} // namespace kex
