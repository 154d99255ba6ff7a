// The eyes' arithmetic.
#include "core/status/EyesArithmetic.h"

#include <cmath>
#include <numbers>

namespace kex {

EyesLayout EyesGeometry(int width, int height)
{
    EyesLayout g;
    g.PupilRadius = width > 10 && height > 10 ? (height + width) / 20 : 1;
    g.Margin = int(g.PupilRadius * 1.175);
    const int half = width / 2;
    g.Eye[0] = {0, 0, half - 1, height};
    g.Eye[1] = {half + 1, 0, width, height};
    g.CentreX[0] = width / 4;
    g.CentreX[1] = half + 1 + width / 4;
    g.CentreY = height * 0.5;
    g.Rx = (half - 1) * 0.5 - g.Margin;
    g.Ry = height * 0.5 - g.Margin;
    return g;
}

GaugePoint PupilPosition(const EyesLayout& g, int eye, GaugePoint origin, GaugePoint pointer)
{
    const double cx = origin.X + g.CentreX[eye];
    const double cy = origin.Y + g.CentreY;
    if (g.Rx <= 0 || g.Ry <= 0)
        return {int(cx), int(cy)};
    const double dx = pointer.X - cx, dy = pointer.Y - cy;
    double x = pointer.X, y = pointer.Y;
    if (dx != 0 && dy != 0) {
        double a = std::atan(dy / dx);
        if (dx < 0)
            a += std::numbers::pi;
        const double s = std::sin(a), c = std::cos(a);
        const double l = std::sqrt((g.Rx * s) * (g.Rx * s) + (g.Ry * c) * (g.Ry * c));
        const double d = std::sqrt(std::pow(g.Rx * g.Ry * s / l, 2) + std::pow(g.Rx * g.Ry * c / l, 2));
        if (std::sqrt(dx * dx + dy * dy) > d) {
            x = cx + d * c;
            y = cy + d * s;
        }
    } else {
        // Level with the centre or straight above or below it: each axis alone.
        auto sign = [](double v) { return double((v > 0) - (v < 0)); };
        if (std::abs(dx) >= g.Rx)
            x = cx + sign(dx) * g.Rx;
        if (std::abs(dy) >= g.Ry)
            y = cy + sign(dy) * g.Ry;
    }
    return {int(x), int(y)}; // truncated toward zero
}

} // namespace kex
