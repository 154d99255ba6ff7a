#include "ui/widgets/Pictures.h"

#include <QApplication>
#include <QGuiApplication>
#include <QIconEngine>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>
#include <cctype>
#include <functional>
#include <string>

namespace kex {

namespace {

using TDraw = std::function<void(QPainter&)>;

// Renders a drawing given in a logical grid of `logical` units into an image of
// `pixels` x `pixels`; the drawing is scaled to fill it.
QImage RenderSquare(int pixels, qreal logical, const TDraw& draw)
{
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(pixels / logical, pixels / logical);
    draw(painter);
    return image;
}

// The screens' largest pixel ratio; 1 without a GUI application.
qreal ScreenRatio()
{
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    return ratio > 1.0 && ratio <= 8.0 ? ratio : 1.0;
}

// Renders a drawing of `size` logical pixels at the screen's pixel ratio.
QPixmap RenderGlyph(QSize size, const TDraw& draw)
{
    const qreal ratio = ScreenRatio();
    QImage image((QSizeF(size) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        draw(painter);
    }
    return QPixmap::fromImage(image);
}

// ---- the bar itself (window icon), 32 units

void DrawMainIcon(QPainter& p)
{
    // The bar body.
    QLinearGradient body(0, 7, 0, 25);
    body.setColorAt(0, QColor(0x3a, 0x5c, 0xb0));
    body.setColorAt(1, QColor(0x14, 0x26, 0x5c));
    p.setPen(QPen(QColor(0x0a, 0x14, 0x30), 1));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(1.5, 6.5, 29, 19), 2.5, 2.5);

    // The gauge panel on the left: lime on maroon.
    p.setPen(QPen(QColor(0x20, 0x20, 0x20), 1));
    p.setBrush(QColor(0x80, 0x00, 0x00));
    p.drawRect(QRectF(3.5, 8.5, 6, 15));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x00, 0xff, 0x00));
    p.drawRect(QRectF(4.5, 14.5, 4.5, 8.5));

    // Three launch buttons.
    const QColor colours[] = {QColor(0xe8, 0x40, 0x30), QColor(0xf5, 0xc0, 0x20), QColor(0x40, 0xb8, 0x40)};
    for (int i = 0; i < 3; ++i) {
        const QRectF r(11.5 + i * 6.5, 8.5, 5.5, 6.5);
        p.setPen(QPen(QColor(0xf0, 0xf0, 0xf0), 1));
        p.setBrush(colours[i]);
        p.drawRoundedRect(r, 1, 1);
    }

    // The tab strip below: one silver tab, two teal ones.
    auto tab = [&](qreal x, const QColor& fill) {
        const QPolygonF shape({QPointF(x, 17.5), QPointF(x + 1.5, 22.5), QPointF(x + 5, 22.5), QPointF(x + 6.5, 17.5)});
        p.setPen(QPen(QColor(0x10, 0x10, 0x10), 0.8));
        p.setBrush(fill);
        p.drawPolygon(shape);
    };
    tab(23.5, QColor(0x00, 0x80, 0x80));
    tab(18.0, QColor(0x00, 0x80, 0x80));
    tab(11.5, QColor(0xc0, 0xc0, 0xc0));
}

// ---- "ICON_2": a program window, 32 units

void DrawProgramIcon(QPainter& p)
{
    // Shadow, frame, title bar with its three boxes, client area with text lines.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 60));
    p.drawRect(QRectF(5, 7, 25, 22));

    p.setPen(QPen(QColor(0x30, 0x30, 0x30), 1));
    p.setBrush(QColor(0xc0, 0xc0, 0xc0));
    p.drawRect(QRectF(3.5, 5.5, 25, 21));

    QLinearGradient title(4, 0, 28, 0);
    title.setColorAt(0, QColor(0x00, 0x00, 0x80));
    title.setColorAt(1, QColor(0x10, 0x84, 0xd0));
    p.setPen(Qt::NoPen);
    p.setBrush(title);
    p.drawRect(QRectF(4.5, 6.5, 23, 4.5));
    p.setBrush(QColor(0xc0, 0xc0, 0xc0));
    for (int i = 0; i < 3; ++i)
        p.drawRect(QRectF(16.5 + i * 3.6, 7.3, 2.8, 2.8));

    p.setPen(QPen(QColor(0x80, 0x80, 0x80), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(5.5, 12.5, 21, 12));
    p.setPen(QPen(QColor(0x70, 0x70, 0x90), 1.2));
    const qreal lengths[] = {14, 10, 16, 7};
    for (int i = 0; i < 4; ++i)
        p.drawLine(QPointF(7.5, 15.5 + i * 2.5), QPointF(7.5 + lengths[i], 15.5 + i * 2.5));
}

// ---- the rocket of the tray frames and the run glyph
//
// Drawn pointing up in its own frame: nose at y = -11, nozzle at y = 5.

void DrawRocket(QPainter& p, qreal flame, int puffPhase)
{
    // Smoke puffs drifting away from the nozzle.
    if (puffPhase >= 0) {
        p.setPen(Qt::NoPen);
        for (int i = 0; i < 3; ++i) {
            const qreal t = (puffPhase + i * 3) % 9 / 9.0; // 0 .. 1 along the trail
            const qreal y = 9 + t * 11;
            const qreal x = (i % 2 ? 1.5 : -1.5) * (0.5 + t);
            p.setBrush(QColor(0xa0, 0xa0, 0xa8, int(200 - 120 * t)));
            p.drawEllipse(QPointF(x, y), 1.6 + 1.6 * t, 1.6 + 1.6 * t);
        }
    }

    // Flame: orange outside, yellow inside.
    if (flame > 0) {
        QPainterPath outer;
        outer.moveTo(-3, 5);
        outer.quadTo(-2.5, 5 + flame * 0.6, 0, 5 + flame);
        outer.quadTo(2.5, 5 + flame * 0.6, 3, 5);
        outer.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xff, 0x80, 0x10));
        p.drawPath(outer);
        QPainterPath inner;
        inner.moveTo(-1.6, 5);
        inner.quadTo(-1.2, 5 + flame * 0.45, 0, 5 + flame * 0.7);
        inner.quadTo(1.2, 5 + flame * 0.45, 1.6, 5);
        inner.closeSubpath();
        p.setBrush(QColor(0xff, 0xe8, 0x40));
        p.drawPath(inner);
    }

    const QColor outline(0x20, 0x20, 0x28);
    const QColor red(0xd8, 0x20, 0x20);

    // Fins.
    p.setPen(QPen(outline, 0.8));
    p.setBrush(red);
    p.drawPolygon(QPolygonF({QPointF(-3.5, -1), QPointF(-7, 4), QPointF(-7, 6.5), QPointF(-3.5, 4)}));
    p.drawPolygon(QPolygonF({QPointF(3.5, -1), QPointF(7, 4), QPointF(7, 6.5), QPointF(3.5, 4)}));

    // Body with its red nose.
    QPainterPath body;
    body.moveTo(0, -11);
    body.cubicTo(3.5, -8, 4, -3, 3.5, 5);
    body.lineTo(-3.5, 5);
    body.cubicTo(-4, -3, -3.5, -8, 0, -11);
    QLinearGradient shade(-4, 0, 4, 0);
    shade.setColorAt(0, QColor(0xff, 0xff, 0xff));
    shade.setColorAt(1, QColor(0xa8, 0xb0, 0xc0));
    p.setBrush(shade);
    p.drawPath(body);

    QPainterPath nose;
    nose.moveTo(0, -11);
    nose.cubicTo(2.2, -9.2, 3.0, -7.8, 3.3, -6);
    nose.lineTo(-3.3, -6);
    nose.cubicTo(-3.0, -7.8, -2.2, -9.2, 0, -11);
    p.setBrush(red);
    p.drawPath(nose);

    // Window.
    p.setBrush(QColor(0x30, 0x90, 0xf0));
    p.drawEllipse(QPointF(0, -2), 1.7, 1.7);

    // Centre fin.
    p.setBrush(red);
    p.drawRect(QRectF(-0.6, 1.5, 1.2, 5));
}

// Tray frame `phase` (0, 1, 2 in the order the animation shows them: RUN3, RUN2,
// RUN1), 32 units: the rocket climbs to the upper right, its flame flickering.
void DrawRunFrame(QPainter& p, int phase)
{
    // A few stars sliding down-left behind the rocket.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xff, 0xd0, 0x40));
    const QPointF stars[] = {QPointF(5, 6), QPointF(25, 28), QPointF(28, 9)};
    for (const QPointF& s : stars) {
        const QPointF at = s - QPointF(phase * 2.0, -phase * 2.0);
        const qreal r = 0.9;
        p.drawPolygon(
            QPolygonF({at + QPointF(0, -2 * r), at + QPointF(0.5 * r, -0.5 * r), at + QPointF(2 * r, 0),
                       at + QPointF(0.5 * r, 0.5 * r), at + QPointF(0, 2 * r), at + QPointF(-0.5 * r, 0.5 * r),
                       at + QPointF(-2 * r, 0), at + QPointF(-0.5 * r, -0.5 * r)}));
    }

    const qreal flames[] = {5, 9, 7};
    const qreal lift = phase * 0.8;
    p.save();
    p.translate(15.5 + lift, 16.5 - lift);
    p.rotate(45);
    p.scale(1.05, 1.05);
    DrawRocket(p, flames[phase], phase * 3);
    p.restore();
}

// ---- glyphs

constexpr QSize kGlyphSize(15, 15);

void DrawHelpGlyph(QPainter& p)
{
    // A bold blue question mark.
    QPainterPath mark;
    mark.moveTo(4.6, 4.4);
    mark.cubicTo(4.6, 2.2, 6.0, 1.3, 7.5, 1.3);
    mark.cubicTo(9.2, 1.3, 10.4, 2.4, 10.4, 3.9);
    mark.cubicTo(10.4, 5.6, 8.9, 6.0, 8.0, 6.9);
    mark.cubicTo(7.5, 7.4, 7.5, 7.9, 7.5, 8.6);
    QPen pen(QColor(0x00, 0x00, 0xa0), 2.1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawPath(mark);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x00, 0x00, 0xa0));
    p.drawEllipse(QPointF(7.5, 11.2), 1.25, 1.25);
}

void DrawRunGlyph(QPainter& p)
{
    // The tray rocket reduced to what reads at this size: a white body along the
    // diagonal with a red nose, two red fins and a flame behind the tail.
    const QColor outline(0x20, 0x20, 0x28);
    const QColor red(0xd0, 0x18, 0x18);
    const QPointF tail(5.6, 9.4);
    const QPointF tip(12.8, 2.2);
    const QPointF a(0.7071, -0.7071); // towards the nose
    const QPointF n(0.7071, 0.7071);  // across the body

    QPainterPath flame;
    flame.moveTo(tail - 0.6 * a + 1.7 * n);
    flame.lineTo(tail - 5.4 * a);
    flame.lineTo(tail - 0.6 * a - 1.7 * n);
    flame.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xff, 0x80, 0x10));
    p.drawPath(flame);
    p.setBrush(QColor(0xff, 0xe0, 0x30));
    p.drawEllipse(tail - 2.0 * a, 1.0, 1.0);

    p.setPen(QPen(outline, 0.8));
    p.setBrush(red);
    for (qreal side : {1.0, -1.0})
        p.drawPolygon(QPolygonF({tail + 2.6 * a, tail - 0.4 * a, tail + side * 4.3 * n - 1.2 * a}));

    p.setPen(QPen(outline, 4.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(tail, tip);
    p.setPen(QPen(Qt::white, 2.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(tail, tip);
    p.setPen(QPen(red, 2.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(tip - 1.6 * a, tip);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x30, 0x80, 0xe0));
    p.drawEllipse(tail + 4.6 * a, 0.9, 0.9);
}

// ---- cursors, 32 x 32

void DrawArrow(QPainter& p)
{
    // Aliased painting: integer coordinates are pixels, so the tip is pixel (1, 1).
    const QPolygon arrow(
        {QPoint(1, 1), QPoint(1, 17), QPoint(5, 13), QPoint(8, 19), QPoint(10, 18), QPoint(7, 12), QPoint(12, 12)});
    p.setPen(QPen(Qt::black, 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::white);
    p.drawPolygon(arrow);
}

void DrawPage(QPainter& p, QPoint at)
{
    const QRect page(at, QSize(10, 12));
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawRect(page);
    p.setPen(QPen(QColor(0x60, 0x60, 0x60), 1));
    for (int i = 0; i < 3; ++i)
        p.drawLine(page.topLeft() + QPoint(2, 3 + i * 3), page.topLeft() + QPoint(8 - (i == 2 ? 2 : 0), 3 + i * 3));
}

QCursor MakeCursor(const TDraw& draw)
{
    QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        // Crisp edges: a cursor is seen at its real size.
        painter.setRenderHint(QPainter::Antialiasing, false);
        draw(painter);
    }
    return QCursor(QPixmap::fromImage(image), 1, 1);
}

} // namespace

namespace {

// An icon painted at whatever size is asked, when it is asked: nothing is kept, so
// an icon that offers sizes up to 256 pixels costs no memory while it is not drawn.
// A disabled or selected picture is the style's variant of the normal one, as Qt
// makes it for an icon of pixmaps.
class PaintedIconEngine : public QIconEngine {
public:
    explicit PaintedIconEngine(TDraw draw) : draw_(std::move(draw)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        painter->drawPixmap(rect, pixmap(rect.size() * painter->device()->devicePixelRatio(), mode, state));
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        const QSize side = actualSize(size, mode, state);
        if (side.isEmpty())
            return {};
        QPixmap normal = QPixmap::fromImage(RenderSquare(side.width(), 32, draw_));
        if (mode == QIcon::Normal || mode == QIcon::Active || !qApp)
            return normal;
        QStyleOption option;
        option.palette = QApplication::palette();
        const QPixmap styled = QApplication::style()->generatedIconPixmap(mode, normal, &option);
        return styled.isNull() ? normal : styled;
    }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        const int side = std::clamp(std::min(size.width(), size.height()), 0, kLargest);
        return {side, side};
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        QList<QSize> sizes;
        for (int side : {16, 22, 24, 32, 48, 64, 128, kLargest})
            sizes.append(QSize(side, side));
        return sizes;
    }
    QIconEngine* clone() const override { return new PaintedIconEngine(draw_); }
    QString key() const override { return QStringLiteral("KexPainted"); }

private:
    static constexpr int kLargest = 256;
    TDraw draw_;
};

} // namespace

QIcon MainIcon() { return QIcon(new PaintedIconEngine(DrawMainIcon)); }

// A 32 × 32 built-in icon drawn at the screen's pixel ratio.
QImage RenderIcon(const TDraw& draw)
{
    const qreal ratio = ScreenRatio();
    QImage image = RenderSquare(qRound(32 * ratio), 32, draw);
    image.setDevicePixelRatio(ratio);
    return image;
}

QImage BuiltinIcon(std::string_view name)
{
    std::string upper(name);
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    if (upper == "ICON_2")
        return RenderIcon(DrawProgramIcon);
    if (upper == "RUN3")
        return RenderIcon([](QPainter& p) { DrawRunFrame(p, 0); });
    if (upper == "RUN2")
        return RenderIcon([](QPainter& p) { DrawRunFrame(p, 1); });
    if (upper == "RUN1")
        return RenderIcon([](QPainter& p) { DrawRunFrame(p, 2); });
    return {};
}

QPixmap HelpGlyph() { return RenderGlyph(kGlyphSize, DrawHelpGlyph); }

QPixmap RunGlyph() { return RenderGlyph(kGlyphSize, DrawRunGlyph); }

QCursor MultiDragCursor()
{
    return MakeCursor([](QPainter& p) {
        DrawPage(p, QPoint(18, 12));
        DrawPage(p, QPoint(15, 15));
        DrawPage(p, QPoint(12, 18));
        DrawArrow(p);
    });
}

QCursor DragCursor()
{
    return MakeCursor([](QPainter& p) {
        DrawPage(p, QPoint(12, 18));
        DrawArrow(p);
    });
}

QImage IconGlyph(const QImage& icon, const QColor& face)
{
    // One logical row more than the icon, at the icon's pixel ratio.
    const qreal ratio = icon.devicePixelRatio();
    QImage glyph(icon.width(), icon.height() + qRound(ratio), QImage::Format_ARGB32_Premultiplied);
    glyph.setDevicePixelRatio(ratio);
    glyph.fill(face);
    QPainter p(&glyph);
    p.drawImage(0, 0, icon);
    return glyph;
}

} // namespace kex
