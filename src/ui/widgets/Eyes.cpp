// The eyes: geometry from the core, the pointer poll, painting.
#include "ui/widgets/Eyes.h"

#include <QCursor>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>

namespace kex {

TEyes::TEyes(QWidget* parent, TPointerSource pointer, const TMotionWatchMaker& watch)
    : TGraphicControl(parent), pointer_(pointer ? std::move(pointer) : TPointerSource([] { return QCursor::pos(); }))
{
    timer_ = new QTimer(this);
    timer_->setInterval(kFollowInterval);
    connect(timer_, &QTimer::timeout, this, &TEyes::Track);
    timer_->start();
    if (watch)
        watch_ = watch([this] { Wake(); });
    resize(100, 100);
    Invalidate();
}

TEyes::~TEyes() = default;

bool TEyes::Active() const { return active_; }

bool TEyes::Resting() const { return timer_->isActive() && timer_->interval() == kRestInterval; }

void TEyes::SetActive(bool active)
{
    if (active == active_)
        return;
    active_ = active;
    if (!active)
        timer_->stop();
    Invalidate(); // active again: the next tick draws the pupils
}

void TEyes::Wake()
{
    if (active_ && (!timer_->isActive() || timer_->interval() != kFollowInterval)) {
        timer_->setInterval(kFollowInterval);
        timer_->start();
    }
}

void TEyes::showEvent(QShowEvent* event)
{
    TGraphicControl::showEvent(event);
    // A window moved under a still pointer moves the pupils too.
    if (window() != watchedWindow_) {
        if (watchedWindow_)
            watchedWindow_->removeEventFilter(this);
        watchedWindow_ = window();
        watchedWindow_->installEventFilter(this);
    }
    Wake();
}

bool TEyes::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == watchedWindow_ && event->type() == QEvent::Move)
        Wake();
    return false;
}

void TEyes::SetEyeColor(const QColor& color) { ChangeColor(eyeColor_, color); }
void TEyes::SetPupilColor(const QColor& color) { ChangeColor(pupilColor_, color); }

void TEyes::ChangeColor(QColor& field, const QColor& color)
{
    if (color == field)
        return;
    field = color;
    Invalidate();
}

void TEyes::Invalidate()
{
    lastPointer_.reset();
    lastOrigin_.reset();
    pupils_.reset();
    geometry_ = EyesGeometry(width(), height());
    update();
    Wake();
}

void TEyes::resizeEvent(QResizeEvent* event)
{
    TGraphicControl::resizeEvent(event);
    const int h = EyesHeightFor(width(), height());
    if (h != height()) {
        resize(width(), h); // the eyes are never taller than wide
        return;
    }
    Invalidate();
}

GaugeRect TEyes::PupilBounds(const QPoint& centre) const
{
    const int r = geometry_.PupilRadius;
    return {centre.x() - r, centre.y() - r, centre.x() + r, centre.y() + r};
}

void TEyes::Track()
{
    // The window may have moved under a still pointer: the pupils are placed anew
    // when either changed.
    const QPoint pointer = pointer_();
    const QPoint origin = mapToGlobal(QPoint(0, 0));
    if (pointer == lastPointer_ && origin == lastOrigin_) {
        // Nothing moved since the last tick: the poll slows down until something
        // moves again; the watch, where there is one, wakes it at the next motion.
        if (timer_->interval() != kRestInterval) {
            timer_->setInterval(kRestInterval);
            if (watch_)
                watch_->Arm();
        }
        return;
    }
    lastPointer_ = pointer;
    lastOrigin_ = origin;
    if (timer_->interval() != kFollowInterval)
        timer_->setInterval(kFollowInterval);
    std::array<QPoint, 2> moved;
    for (int eye = 0; eye < 2; ++eye) {
        const GaugePoint p = PupilPosition(geometry_, eye, {origin.x(), origin.y()}, {pointer.x(), pointer.y()});
        moved[eye] = QPoint(p.X, p.Y) - origin;
    }
    if (pupils_ == moved)
        return;
    // Only the pupils' old and new places are painted again.
    for (int eye = 0; eye < 2; ++eye) {
        if (pupils_)
            update(ToQRect(PupilBounds((*pupils_)[eye])));
        update(ToQRect(PupilBounds(moved[eye])));
    }
    pupils_ = moved;
}

void TEyes::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setPen(QPen(eyeColor_, 1));
    p.setBrush(eyeColor_);
    for (const GaugeRect& e : geometry_.Eye)
        if (!e.Empty()) // a control two pixels wide has no room for its left eye
            p.drawEllipse(OutlineBounds(e));
    if (!pupils_)
        return;
    p.setPen(QPen(pupilColor_, 1));
    p.setBrush(pupilColor_);
    for (const QPoint& c : *pupils_)
        p.drawEllipse(OutlineBounds(PupilBounds(c)));
}

} // namespace kex
