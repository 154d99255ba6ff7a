// The installed application icon against the picture the bar paints for itself: the
// bar's window shows the SVG (the painted one where Qt has no SVG support) and its help
// window the painted one, so the two must be one picture at every size.
#include "ui/widgets/Pictures.h"

#include <QIcon>
#include <QImage>

#include <gtest/gtest.h>

namespace {

QImage Rendered(const QIcon& icon, int size)
{
    return icon.pixmap(QSize(size, size)).toImage().convertToFormat(QImage::Format_ARGB32);
}

// The share of pixels where a channel (alpha included) differs by more than `tolerance`.
double DifferingShare(const QImage& a, const QImage& b, int tolerance)
{
    int differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            differing += std::abs(qRed(p) - qRed(q)) > tolerance || std::abs(qGreen(p) - qGreen(q)) > tolerance
                         || std::abs(qBlue(p) - qBlue(q)) > tolerance || std::abs(qAlpha(p) - qAlpha(q)) > tolerance;
        }
    return double(differing) / (a.width() * a.height());
}

} // namespace

TEST(ApplicationIcon, TheSvgIsThePaintedIconAtEverySize)
{
    const QIcon svg(QStringLiteral(KEX_SOURCE_DIR "/data/icons/kexbar.svg"));
    ASSERT_FALSE(svg.pixmap(QSize(32, 32)).isNull()) << "Qt draws no SVG here: libqt6svg6 is missing";
    const QIcon painted = kex::MainIcon();
    for (int size : {16, 32, 48, 256}) {
        const QImage a = Rendered(svg, size), b = Rendered(painted, size);
        ASSERT_EQ(a.size(), QSize(size, size));
        ASSERT_EQ(b.size(), QSize(size, size));
        // Edges may be smoothed a little differently; no part of the picture may differ.
        EXPECT_LT(DifferingShare(a, b, 48), 0.02) << size << " px";
    }
}
