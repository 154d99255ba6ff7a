// The bar's drawn pictures: names, sizes, and that the tray frames really differ.
#include "ui/widgets/Pictures.h"

#include <gtest/gtest.h>

namespace {

int OpaquePixels(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) > 128;
    return count;
}

} // namespace

TEST(Pictures, BuiltinIconsAreDrawn32By32AndUnknownNamesGiveNone)
{
    for (const char* name : {"ICON_2", "RUN1", "RUN2", "RUN3", "run2"}) {
        const QImage image = kex::BuiltinIcon(name);
        EXPECT_EQ(image.size(), QSize(32, 32)) << name;
        EXPECT_GT(OpaquePixels(image), 150) << name;
        EXPECT_LT(OpaquePixels(image), 32 * 32) << name << ": a transparent surround";
    }
    EXPECT_TRUE(kex::BuiltinIcon("ICON_9").isNull());
    EXPECT_TRUE(kex::BuiltinIcon("").isNull());

    // Three distinct animation frames.
    const QImage frames[] = {kex::BuiltinIcon("RUN1"), kex::BuiltinIcon("RUN2"), kex::BuiltinIcon("RUN3")};
    EXPECT_NE(frames[0], frames[1]);
    EXPECT_NE(frames[1], frames[2]);
    EXPECT_NE(frames[0], frames[2]);
}

TEST(Pictures, GlyphsFitTheirButtonsAndCursorsPointWithTheArrowTip)
{
    for (const QPixmap& glyph : {kex::HelpGlyph(), kex::RunGlyph()}) {
        const QSizeF logical = glyph.deviceIndependentSize();
        EXPECT_LE(logical.width(), 19); // inside the 23 x 19 button's bevel
        EXPECT_LE(logical.height(), 15);
        EXPECT_GT(OpaquePixels(glyph.toImage()), 10);
    }
    for (const QCursor& cursor : {kex::MultiDragCursor(), kex::DragCursor()}) {
        EXPECT_EQ(cursor.shape(), Qt::BitmapCursor);
        EXPECT_EQ(cursor.pixmap().size(), QSize(32, 32));
        EXPECT_EQ(cursor.hotSpot(), QPoint(1, 1));
        EXPECT_GT(qAlpha(cursor.pixmap().toImage().pixel(1, 1)), 128) << "the tip is drawn at the hot spot";
    }
    EXPECT_NE(kex::MultiDragCursor().pixmap().toImage(), kex::DragCursor().pixmap().toImage());

    const QIcon icon = kex::MainIcon();
    EXPECT_FALSE(icon.isNull());
    EXPECT_EQ(icon.pixmap(16, 16).size(), QSize(16, 16));
    EXPECT_EQ(icon.pixmap(48, 48).size(), QSize(48, 48));
    // Painted at any size asked, not only the offered ones, and up to the largest.
    const QImage odd = icon.pixmap(40, 40).toImage();
    EXPECT_EQ(odd.size(), QSize(40, 40));
    EXPECT_GT(OpaquePixels(odd), 40 * 40 / 4);
    EXPECT_EQ(icon.pixmap(1024, 1024).size(), icon.availableSizes().last());
    // A disabled icon is the style's greyed picture, as for an icon made of pixmaps.
    EXPECT_NE(icon.pixmap(32, 32, QIcon::Disabled).toImage(), icon.pixmap(32, 32).toImage());
}
