// TEyes: two eyes side by side whose pupils follow the pointer anywhere on the screen.
// While active, the pointer is polled every 100 ms while it moves and every 500 ms
// while it and the window stay still (asking the display for the pointer wakes the
// bar several times); nothing is drawn while it stays still, and a move repaints only
// the pupils' old and new places. A watch of the pointer's motion, where the display
// has one, brings the fast poll back at the first motion.
#pragma once

#include <QColor>
#include <QPoint>

#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "core/status/EyesArithmetic.h"
#include "platform/TPlatform.h"
#include "ui/widgets/GraphicControl.h"

class QTimer;

namespace kex {

class TEyes : public TGraphicControl {
    Q_OBJECT
public:
    using TPointerSource = std::function<QPoint()>;
    // Makes a watch that calls the given function at the pointer's next motion (none:
    // no watch, the poll runs throughout).
    using TMotionWatchMaker = std::function<std::unique_ptr<PointerWatch>(std::function<void()>)>;
    // 100 x 100, active, white eyes with black pupils. pointer answers the pointer's
    // screen position (QCursor::pos when none is given).
    explicit TEyes(QWidget* parent = nullptr, TPointerSource pointer = nullptr,
                   const TMotionWatchMaker& watch = nullptr);
    ~TEyes() override;

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
    // Whether the poll runs at its resting pace (nothing moved at the last tick).
    bool Resting() const;
    static constexpr int kFollowInterval = 100, kRestInterval = 500; // ms

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Forgets the pupils and the pointer, so that the next tick draws them anew.
    void Invalidate();
    // The poll runs again (after a motion, a move of the window, a change).
    void Wake();
    void ChangeColor(QColor& field, const QColor& color);
    // The pupil ellipse's bounds around its centre.
    GaugeRect PupilBounds(const QPoint& centre) const;

    QTimer* timer_ = nullptr;
    bool active_ = true;
    TPointerSource pointer_;
    std::unique_ptr<PointerWatch> watch_;
    QObject* watchedWindow_ = nullptr;
    QColor eyeColor_ = Qt::white;
    QColor pupilColor_ = Qt::black;
    EyesLayout geometry_;
    std::optional<QPoint> lastPointer_, lastOrigin_;
    std::optional<std::array<QPoint, 2>> pupils_;
};

} // namespace kex
