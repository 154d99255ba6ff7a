// The gauge's range rules, its drawing geometry, and the eyes' pupils.
#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>

#include "core/status/EyesArithmetic.h"
#include "core/status/GaugeArithmetic.h"

namespace kex {
namespace {

enum class Op { Min, Max, Progress };

TEST(GaugeRange, SettersClampRepaintOnlyOnPercentChangesAndRejectReversedRanges)
{
    struct Step {
        Op op;
        int value;
        bool repaint;
        int min, max, progress, percent;
        std::optional<std::string> error;
    };
    // One gauge walked through the cases in order; each step sees the ones before.
    const Step steps[] = {
        {Op::Progress, 45, true, 0, 100, 45, 45, {}},
        {Op::Progress, 45, false, 0, 100, 45, 45, {}},
        {Op::Progress, 150, true, 0, 100, 100, 100, {}},
        {Op::Progress, -5, true, 0, 100, 0, 0, {}},
        {Op::Max, 100, false, 0, 100, 0, 0, {}},
        {Op::Min, 200, false, 0, 100, 0, 0, "Value must be between -2147483647 and 99"},
        {Op::Max, 1000, true, 0, 1000, 0, 0, {}},
        {Op::Progress, 451, true, 0, 1000, 451, 45, {}},
        {Op::Progress, 459, false, 0, 1000, 459, 45, {}}, // stored, but still 45 %
        {Op::Progress, 460, true, 0, 1000, 460, 46, {}},
        {Op::Max, 300, true, 0, 300, 300, 100, {}}, // the value follows the range down
        {Op::Min, 300, true, 300, 300, 300, 0, {}}, // an empty range is 0 %
        {Op::Progress, 7, false, 300, 300, 300, 0, {}},
        {Op::Min, 5, true, 5, 300, 300, 100, {}},
        {Op::Max, 3, false, 5, 300, 300, 100, "Value must be between 6 and 2147483647"},
        {Op::Min, 310, false, 5, 300, 300, 100, "Value must be between -2147483647 and 299"},
        {Op::Min, INT_MIN, true, INT_MIN, 300, 300, 100, {}},
        {Op::Max, INT_MAX, true, INT_MIN, INT_MAX, 300, 50, {}}, // the whole scale, no overflow
        {Op::Progress, INT_MAX, true, INT_MIN, INT_MAX, INT_MAX, 100, {}},
        {Op::Progress, INT_MIN, true, INT_MIN, INT_MAX, INT_MIN, 0, {}},
        {Op::Max, INT_MIN, true, INT_MIN, INT_MIN, INT_MIN, 0, {}},
        // MaxValue - 1 of the lowest integer is still written out right.
        {Op::Min, 0, false, INT_MIN, INT_MIN, INT_MIN, 0, "Value must be between -2147483647 and -2147483649"},
    };
    GaugeRange g;
    int i = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE("step " + std::to_string(i++));
        bool repaint = false;
        std::optional<std::string> error;
        try {
            repaint = s.op == Op::Min   ? g.SetMinValue(s.value)
                      : s.op == Op::Max ? g.SetMaxValue(s.value)
                                        : g.SetProgress(s.value);
        } catch (const EInvalidOperation& e) {
            error = e.what();
        }
        EXPECT_EQ(error, s.error);
        EXPECT_EQ(repaint, s.repaint);
        EXPECT_EQ(g.MinValue(), s.min);
        EXPECT_EQ(g.MaxValue(), s.max);
        EXPECT_EQ(g.Progress(), s.progress);
        EXPECT_EQ(g.Percent(), s.percent);
    }
}

TEST(GaugeLayout, BarsPieAndNeedleFollowTheDrawingRules)
{
    using K = TGaugeKind;
    using B = TBorderStyle;
    // The main window's gauge: 39 x 15, no border.
    GaugeDrawing h = GaugeLayout(K::gkHorizontalBar, B::bsNone, 39, 15, 45);
    EXPECT_EQ(h.R, (GaugeRect{0, 0, 39, 15}));
    EXPECT_EQ(h.fill, (GaugeRect{0, 0, 18, 16})); // 45 % of 40
    EXPECT_TRUE(GaugeLayout(K::gkHorizontalBar, B::bsNone, 39, 15, 0).fill.Empty());
    // A single border: the lengths are right and bottom coordinates, so the bar starts
    // at 1 and ends at its length.
    GaugeDrawing hb = GaugeLayout(K::gkHorizontalBar, B::bsSingle, 100, 100, 45);
    EXPECT_EQ(hb.R, (GaugeRect{1, 1, 99, 99}));
    EXPECT_EQ(hb.fill, (GaugeRect{1, 1, 44, 99}));
    EXPECT_EQ(GaugeLayout(K::gkHorizontalBar, B::bsSingle, 100, 100, 100).fill, (GaugeRect{1, 1, 99, 99}));
    // 100 x 0.29 in floating point is 28.999...: the length is computed exactly.
    EXPECT_EQ(GaugeLayout(K::gkHorizontalBar, B::bsNone, 99, 10, 29).fill, (GaugeRect{0, 0, 29, 11}));
    // A full vertical bar leaves its top row.
    EXPECT_EQ(GaugeLayout(K::gkVerticalBar, B::bsNone, 39, 15, 100).fill, (GaugeRect{0, 1, 40, 16}));
    EXPECT_EQ(GaugeLayout(K::gkVerticalBar, B::bsSingle, 100, 100, 45).fill, (GaugeRect{1, 55, 99, 99}));
    EXPECT_TRUE(GaugeLayout(K::gkVerticalBar, B::bsNone, 39, 15, 0).fill.Empty());

    // The pie starts at twelve o'clock and grows clockwise.
    EXPECT_FALSE(GaugeLayout(K::gkPie, B::bsNone, 39, 15, 0).sector);
    struct PieCase {
        int percent;
        int start, span; // degrees, counter-clockwise from three o'clock
    } pies[] = {{25, 0, 90}, {50, 270, 180}, {75, 180, 270}, {100, 90, 360}};
    for (const PieCase& c : pies) {
        SCOPED_TRACE(c.percent);
        GaugeDrawing p = GaugeLayout(K::gkPie, B::bsSingle, 101, 101, c.percent);
        EXPECT_EQ(p.ellipse, (GaugeRect{1, 1, 100, 100}));
        ASSERT_TRUE(p.sector);
        GaugeArc arc = SectorArc(p.ellipse, p.radial1, p.radial2);
        EXPECT_NEAR(arc.start16 / 16.0, c.start, 1.0);
        EXPECT_NEAR(arc.span16 / 16.0, c.span, 1.0);
    }

    // The needle's dial is the upper half of an ellipse twice its height.
    GaugeDrawing n0 = GaugeLayout(K::gkNeedle, B::bsNone, 39, 15, 0);
    EXPECT_EQ(n0.ellipse, (GaugeRect{0, 0, 39, 29}));
    EXPECT_EQ(SectorArc(n0.ellipse, n0.radial1, n0.radial2), (GaugeArc{0, 180 * 16}));
    EXPECT_FALSE(n0.needle);
    struct NeedleCase {
        int percent;
        GaugePoint tip;
    } needles[] = {{1, {0, 14}}, {50, {19, 0}}, {100, {38, 14}}};
    for (const NeedleCase& c : needles) {
        SCOPED_TRACE(c.percent);
        GaugeDrawing n = GaugeLayout(K::gkNeedle, B::bsNone, 39, 15, c.percent);
        ASSERT_TRUE(n.needle);
        EXPECT_EQ(n.needleFrom, (GaugePoint{19, 14}));
        EXPECT_EQ(n.needleTo, c.tip);
    }
}

TEST(GaugeText, WordingAndPlacePerAlignment)
{
    using A = TAlignment;
    const GaugeRect R{1, 1, 99, 19};
    struct Case {
        std::string label;
        A alignment;
        std::string text;
        int x;
    } cases[] = {
        {"C", A::taCenter, "C : 45%", (99 - 30) / 2},  {"C", A::taLeftJustify, "45% : C", 3},
        {"C", A::taRightJustify, "C : 45%", 100 - 32}, {"", A::taLeftJustify, "45%", (99 - 30) / 2},
        {"", A::taRightJustify, "45%", (99 - 30) / 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(GaugeText(45, c.label, c.alignment), c.text);
        EXPECT_EQ(GaugeTextOrigin(R, 100, 30, 12, c.label, c.alignment), (GaugePoint{c.x, (19 - 12) / 2}));
    }
    // A text wider than the gauge starts left of it, truncated toward zero.
    EXPECT_EQ(GaugeTextOrigin({0, 0, 39, 15}, 39, 45, 14, "", A::taCenter), (GaugePoint{-2, 1}));
}

TEST(Eyes, GeometryOfTheBarsEyesAndSmallSizes)
{
    EyesLayout g = EyesGeometry(40, 16);
    EXPECT_EQ(g.PupilRadius, 2);
    EXPECT_EQ(g.Margin, 2);
    EXPECT_EQ(g.Eye[0], (GaugeRect{0, 0, 19, 16}));
    EXPECT_EQ(g.Eye[1], (GaugeRect{21, 0, 40, 16}));
    EXPECT_EQ(g.CentreX[0], 10);
    EXPECT_EQ(g.CentreX[1], 31);
    EXPECT_EQ(g.CentreY, 8);
    EXPECT_EQ(g.Rx, 7.5);
    EXPECT_EQ(g.Ry, 6);
    EXPECT_EQ(EyesGeometry(10, 40).PupilRadius, 1);
    EXPECT_EQ(EyesGeometry(40, 10).PupilRadius, 1);
    EXPECT_EQ(EyesHeightFor(40, 60), 40);
    EXPECT_EQ(EyesHeightFor(40, 16), 16);
}

TEST(Eyes, PupilsFollowThePointerWithinTheirEllipses)
{
    const EyesLayout g = EyesGeometry(40, 16);
    const GaugePoint origin{100, 50}; // left centre (110, 58), right centre (131, 58)
    struct Case {
        const char* what;
        int eye;
        GaugePoint pointer, pupil;
    } cases[] = {
        {"level and far right", 0, {900, 58}, {117, 58}}, // cx + rx = 117.5
        {"level and far left", 1, {0, 58}, {123, 58}},    // 131 - 7.5
        {"straight above", 0, {110, 0}, {110, 52}},
        {"straight below, inside", 0, {110, 61}, {110, 61}},
        {"inside the ellipse", 1, {133, 60}, {133, 60}},
        {"on the centre", 0, {110, 58}, {110, 58}},
        {"far to the lower right", 0, {1110, 1058}, {114, 62}}, // 45 degrees: d = 6.63 along the diagonal
        {"far to the upper left", 1, {31, -42}, {126, 53}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(PupilPosition(g, c.eye, origin, c.pointer), c.pupil);
    }
}

TEST(Eyes, TooSmallForPupilsToMoveTheyRestAtTheCentres)
{
    // 4 x 4: the movement ellipse's width is negative; 2 x 2 and 0 x 0 even more so.
    for (int size : {4, 2, 0}) {
        SCOPED_TRACE(size);
        const EyesLayout g = EyesGeometry(size, size);
        for (int eye : {0, 1})
            for (GaugePoint pointer : {GaugePoint{500, 3}, GaugePoint{-7, -9}, GaugePoint{0, 0}})
                EXPECT_EQ(PupilPosition(g, eye, {0, 0}, pointer), (GaugePoint{g.CentreX[eye], int(g.CentreY)}));
    }
}

} // namespace
} // namespace kex
