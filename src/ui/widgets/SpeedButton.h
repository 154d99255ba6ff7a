// A page button: a flat 37 × 37 button with one glyph, a hint, a tag that carries the
// button's shrink choice, and a "down" state of which each page shows at most one.
#pragma once

#include <optional>

#include <QPixmap>
#include <QToolButton>

namespace kex {

class TSpeedButton : public QToolButton {
    Q_OBJECT
public:
    explicit TSpeedButton(int number, QWidget* parent = nullptr);

    int Number() const { return number_; }
    // The button's shrink choice as its record stores it (none: follow the bar's
    // setting).
    std::optional<bool> Shrink;

    bool Down() const { return down_; }
    // Pressing one button of a page releases the others.
    void SetDown(bool down);
    void SetGlyph(const QImage& glyph);
    bool HasGlyph() const { return hasGlyph_; }

Q_SIGNALS:
    void RightMouseDown(Qt::MouseButton button, int x, int y);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int number_;
    bool down_ = false;
    bool hasGlyph_ = false;
    // Painted by the button itself: a glyph drawn through its QIcon would leave new
    // entries in Qt's pixmap cache at every rebuild of the bar (each rebuild makes new
    // icons), and the cache's bookkeeping grows without bound.
    QPixmap glyph_;
};

} // namespace kex
