// The enhanced gauge's properties and painting.
#include "ui/widgets/EnhancedGauge.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <algorithm>
#include <cmath>

namespace kex {

namespace {

QPoint ToQPoint(GaugePoint p) { return QPoint(p.X, p.Y); }

// The sector of the ellipse just drawn in bounds, filled and outlined in the pen's
// colour: the same ellipse again, clipped to the wedge between the two radii, so that
// its curved edge covers exactly the ellipse's pixels (Qt's own pie follows a slightly
// different curve and leaves specks of the first fill at the rim).
void DrawSector(QPainter& p, const QRect& bounds, const GaugeArc& arc)
{
    const QPointF centre = QRectF(bounds).center();
    const double rx = bounds.width() / 2.0, ry = bounds.height() / 2.0;
    // The point at a direction on the ellipse grown by `scale` and `pad` pixels.
    auto along = [&](double degrees, double scale, double pad) {
        const double t = qDegreesToRadians(degrees);
        return centre + QPointF((scale * rx + pad) * std::cos(t), -(scale * ry + pad) * std::sin(t));
    };
    const double start = arc.start16 / 16.0, span = arc.span16 / 16.0;
    p.save();
    p.setBrush(p.pen().color());
    if (span < 360) {
        // A fan reaching well beyond the rim, in steps of at most 10 degrees.
        QPainterPath wedge(centre);
        const int steps = int(std::ceil(span / 10));
        for (int i = 0; i <= steps; ++i)
            wedge.lineTo(along(start + span * i / steps, 2, 2));
        wedge.closeSubpath();
        p.setClipPath(wedge);
    }
    p.drawEllipse(bounds);
    p.restore();
    if (span < 360) {
        p.drawLine(centre, along(start, 1, 0));
        p.drawLine(centre, along(start + span, 1, 0));
    }
}

} // namespace

TEnhancedGauge::TEnhancedGauge(QWidget* parent) : TGraphicControl(parent)
{
    resize(100, 100);
    // Every pixel is painted on each frame.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

template <typename T> void TEnhancedGauge::Change(T& field, const T& value)
{
    if (field == value)
        return;
    field = value;
    update();
}

void TEnhancedGauge::SetMinValue(int value)
{
    if (range_.SetMinValue(value))
        update();
}

void TEnhancedGauge::SetMaxValue(int value)
{
    if (range_.SetMaxValue(value))
        update();
}

void TEnhancedGauge::SetProgress(int value)
{
    if (range_.SetProgress(value))
        update();
}

void TEnhancedGauge::SetKind(TGaugeKind kind) { Change(kind_, kind); }
void TEnhancedGauge::SetShowText(bool show) { Change(showText_, show); }
void TEnhancedGauge::SetBorderStyle(TBorderStyle style) { Change(borderStyle_, style); }
void TEnhancedGauge::SetForeColor(const QColor& color) { Change(foreColor_, color); }
void TEnhancedGauge::SetBackColor(const QColor& color) { Change(backColor_, color); }
void TEnhancedGauge::SetProgressText(const QString& text) { Change(progressText_, text); }
void TEnhancedGauge::SetAlignment(TAlignment alignment) { Change(alignment_, alignment); }

QColor TEnhancedGauge::Color() const { return color_.value_or(palette().color(QPalette::Window)); }

void TEnhancedGauge::SetColor(const QColor& color)
{
    if (color_ == color)
        return;
    color_ = color;
    update();
}

QImage TEnhancedGauge::Frame() const
{
    const int w = width(), h = height();
    // Drawn in logical pixels at the screen's pixel ratio, so that the text stays sharp.
    const qreal ratio = std::clamp<qreal>(devicePixelRatioF(), 1.0, 8.0);
    const QSize pixels = (QSizeF(w, h) * ratio).toSize();
    QImage image(pixels, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    image.setDevicePixelRatio(ratio);
    // The frame starts black, and the kind is drawn on it: an exclusive or of the
    // overlay onto black is the overlay itself.
    image.fill(Qt::black);
    const int percent = Percent();
    const GaugeDrawing l = GaugeLayout(kind_, borderStyle_, w, h, percent);
    {
        QPainter p(&image);
        switch (kind_) {
        case TGaugeKind::gkText:
        case TGaugeKind::gkHorizontalBar:
        case TGaugeKind::gkVerticalBar:
            p.fillRect(ToQRect(l.background), backColor_);
            if (!l.fill.Empty())
                p.fillRect(ToQRect(l.fill), foreColor_);
            break;
        case TGaugeKind::gkPie:
        case TGaugeKind::gkNeedle: {
            p.fillRect(ToQRect(l.background), Color());
            p.setPen(QPen(foreColor_, 1));
            p.setBrush(backColor_);
            const QRect bounds = OutlineBounds(l.ellipse);
            if (kind_ == TGaugeKind::gkPie) {
                p.drawEllipse(bounds);
                if (l.sector)
                    DrawSector(p, bounds, SectorArc(l.ellipse, l.radial1, l.radial2));
            } else {
                const GaugeArc arc = SectorArc(l.ellipse, l.radial1, l.radial2);
                p.drawPie(bounds, arc.start16, arc.span16);
                p.drawLine(ToQPoint(l.baseFrom), ToQPoint(l.baseTo));
                if (l.needle)
                    p.drawLine(ToQPoint(l.needleFrom), ToQPoint(l.needleTo));
            }
            break;
        }
        }
    }
    if (!showText_)
        return image;

    // The text goes on a black layer in white and is combined by exclusive or, so that
    // each of its pixels shows the inverse of the colour beneath. Aliased glyphs keep
    // that exact: a blended edge would give colours of neither part.
    const std::string label = progressText_.toStdString();
    const QString text = QString::fromStdString(GaugeText(percent, label, alignment_));
    QFont textFont = font();
    textFont.setStyleStrategy(QFont::NoAntialias);
    const QFontMetrics metrics(textFont);
    const GaugePoint at = GaugeTextOrigin(l.R, w, metrics.horizontalAdvance(text), metrics.height(), label, alignment_);
    QImage layer(pixels, QImage::Format_RGB32);
    layer.setDevicePixelRatio(ratio);
    layer.fill(Qt::black);
    {
        QPainter p(&layer);
        p.setClipRect(ToQRect(l.R));
        p.setFont(textFont);
        p.setPen(Qt::white);
        p.drawText(QPoint(at.X, at.Y + metrics.ascent()), text);
    }
    QPainter p(&image);
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.drawImage(0, 0, layer);
    return image;
}

void TEnhancedGauge::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(0, 0, Frame());
}

} // namespace kex
