// The numbers behind the enhanced gauge: its value range with the setters' rules, the
// integer percentage, where each kind draws and what the text says. Rectangles are
// (Left, Top, Right, Bottom) with the right and bottom edges excluded.
#pragma once

#include <cstdint>
#include <string>

#include "core/InvalidOperation.h"

namespace kex {

enum class TGaugeKind : std::uint8_t { gkText, gkHorizontalBar, gkVerticalBar, gkPie, gkNeedle };
enum class TBorderStyle : std::uint8_t { bsNone, bsSingle };
enum class TAlignment : std::uint8_t { taLeftJustify, taRightJustify, taCenter };

struct GaugePoint {
    int X = 0, Y = 0;
    bool operator==(const GaugePoint&) const = default;
};

struct GaugeRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool operator==(const GaugeRect&) const = default;
    bool Empty() const { return Right <= Left || Bottom <= Top; }
};

// trunc((progress - minValue) * 100 / (maxValue - minValue)); 0 for an empty range.
int GaugePercent(int minValue, int maxValue, int progress);
// The share `percent` of a length, truncated: trunc(length * percent / 100).
int ScaleToLength(int length, int percent);

// MinValue <= Progress <= MaxValue always holds.
class GaugeRange {
public:
    int MinValue() const { return min_; }
    int MaxValue() const { return max_; }
    int Progress() const { return progress_; }
    int Percent() const { return GaugePercent(min_, max_, progress_); }

    // Each setter answers whether the gauge must repaint. A lower end above the upper
    // one (or the reverse) throws EInvalidOperation "Value must be between %d and %d"
    // and changes nothing; the value follows a range that moves past it.
    bool SetMinValue(int value);
    bool SetMaxValue(int value);
    // Clamped into the range; repaints only when the integer percentage changes.
    bool SetProgress(int value);

private:
    int min_ = 0;
    int max_ = 100;
    int progress_ = 0;
};

// Where one frame of a gauge of width x height draws at `percent`.
struct GaugeDrawing {
    GaugeRect R;                 // the drawing rectangle; a single border leaves a black margin of one pixel
    GaugeRect background;        // filled with BackColor (text and bars) or the control's Color (pie, needle)
    GaugeRect fill;              // bars: the ForeColor part (empty when none)
    GaugeRect ellipse;           // pie: the ellipse; needle: the bounds of the dial's ellipse
    GaugePoint radial1, radial2; // pie and needle: the sector runs counter-clockwise from radial1 to radial2
    bool sector = false;         // pie: the ForeColor sector is drawn (P > 0)
    GaugePoint baseFrom, baseTo; // needle: the dial's base line
    bool needle = false;         // needle: P > 0
    GaugePoint needleFrom, needleTo;
};
GaugeDrawing GaugeLayout(TGaugeKind kind, TBorderStyle border, int width, int height, int percent);

// An elliptic arc in sixteenths of a degree, 0 at three o'clock, counter-clockwise
// positive: the sector of `ellipse` from the direction of radial1 to that of radial2
// (both seen from the centre). Equal directions give the whole ellipse.
struct GaugeArc {
    int start16 = 0, span16 = 0;
    bool operator==(const GaugeArc&) const = default;
};
GaugeArc SectorArc(const GaugeRect& ellipse, GaugePoint radial1, GaugePoint radial2);

// The text: "45%" alone when progressText is empty, otherwise joined to the label by
// " : " on the side the alignment says.
std::string GaugeText(int percent, const std::string& progressText, TAlignment alignment);
// The text's top-left corner for a text of textWidth x textHeight.
GaugePoint GaugeTextOrigin(const GaugeRect& r, int controlWidth, int textWidth, int textHeight,
                           const std::string& progressText, TAlignment alignment);

} // namespace kex
