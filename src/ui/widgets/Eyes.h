// TEyes: two eyes side by side whose pupils follow the pointer anywhere on the screen.
// While active, the pointer is polled every 100 ms; nothing is drawn while it stays
// still, and a move repaints only the pupils' old and new places.
#pragma once

#include <QColor>
#include <QPoint>

#include <array>
#include <functional>
#include <optional>

#include "core/status/EyesArithmetic.h"
#include "ui/widgets/GraphicControl.h"

class QTimer;

namespace kex {

class TEyes : public TGraphicControl {
    Q_OBJECT
public:
    using TPointerSource = std::function<QPoint()>;
    // 100 x 100, active, white eyes with black pupils. pointer answers the pointer's
    // screen position (QCursor::pos when none is given).
    explicit TEyes(QWidget* parent = nullptr, TPointerSource pointer = nullptr);

    bool Active() const;
    void SetActive(bool active);
    QColor EyeColor() const { return eyeColor_; }
    void SetEyeColor(const QColor& color);
    QColor PupilColor() const { return pupilColor_; }
    void SetPupilColor(const QColor& color);

    // Where the pupils are drawn, in client coordinates; none before the first tick
    // after a change.
    std::optional<std::array<QPoint, 2>> Pupils() const { return pupils_; }
    // One poll of the pointer (the tracking timer's tick).
    void Track();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Forgets the pupils and the pointer, so that the next tick draws them anew.
    void Invalidate();
    void ChangeColor(QColor& field, const QColor& color);
    // The pupil ellipse's bounds around its centre.
    TRect PupilBounds(const QPoint& centre) const;

    QTimer* timer_ = nullptr;
    TPointerSource pointer_;
    QColor eyeColor_ = Qt::white;
    QColor pupilColor_ = Qt::black;
    TEyesGeometry geometry_;
    std::optional<QPoint> lastPointer_, lastOrigin_;
    std::optional<std::array<QPoint, 2>> pupils_;
};

} // namespace kex
