// TEnhancedGauge: a value between MinValue and MaxValue shown as an integer
// percentage, as text only, a horizontal or vertical bar, a pie or a needle dial, with
// the percentage text drawn by exclusive or so that it reads on both the filled and
// the empty part. Each frame is composed off screen.
#pragma once

#include <QColor>
#include <QImage>
#include <QString>

#include <optional>

#include "core/status/GaugeArithmetic.h"
#include "ui/widgets/GraphicControl.h"

namespace kex {

class TEnhancedGauge : public TGraphicControl {
    Q_OBJECT
public:
    // 100 x 100, range 0..100 at 0, a horizontal bar with a single border, black on
    // white, the text shown and left-justified.
    explicit TEnhancedGauge(QWidget* parent = nullptr);

    int MinValue() const { return range_.MinValue(); }
    int MaxValue() const { return range_.MaxValue(); }
    int Progress() const { return range_.Progress(); }
    int Percent() const { return range_.Percent(); }
    // Throw EInvalidOperation when the range would turn round; nothing changes then.
    void SetMinValue(int value);
    void SetMaxValue(int value);
    // Clamped into the range; repaints only when the integer percentage changes.
    void SetProgress(int value);

    TGaugeKind Kind() const { return kind_; }
    void SetKind(TGaugeKind kind);
    bool ShowText() const { return showText_; }
    void SetShowText(bool show);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle style);
    QColor ForeColor() const { return foreColor_; }
    void SetForeColor(const QColor& color);
    QColor BackColor() const { return backColor_; }
    void SetBackColor(const QColor& color);
    QString ProgressText() const { return progressText_; }
    void SetProgressText(const QString& text);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);
    // Around the pie and the dial; the parent's background colour until one is set.
    QColor Color() const;
    void SetColor(const QColor& color);

    // The frame as painted: an RGB32 image of the control's size.
    QImage Frame() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    template <typename T> void Change(T& field, const T& value);

    GaugeRange range_;
    TGaugeKind kind_ = TGaugeKind::gkHorizontalBar;
    bool showText_ = true;
    TBorderStyle borderStyle_ = TBorderStyle::bsSingle;
    QColor foreColor_ = Qt::black;
    QColor backColor_ = Qt::white;
    QString progressText_;
    TAlignment alignment_ = TAlignment::taLeftJustify;
    std::optional<QColor> color_;
};

} // namespace kex
