// TSpinButton: a pair of arrow buttons, one above the other, that step a value up or
// down. A half clicks at once when pressed and, held with the pointer over it, again
// after 400 ms and then every 100 ms. From the keyboard, Up and Down click their half
// and Space clicks the focused one.
#pragma once

#include <QPixmap>
#include <QPointer>
#include <QWidget>

class QTimer;

namespace kex {

// One half of the spin button: a flat button that repeats its click while held.
class TTimerSpeedButton : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRepeatDelayMs = 400;
    static constexpr int kRepeatIntervalMs = 100;

    explicit TTimerSpeedButton(QWidget* parent = nullptr);

    QPixmap Glyph() const { return glyph_; }
    void SetGlyph(const QPixmap& glyph);
    // Pressed with the pointer over it (the look of a pressed button).
    bool Down() const { return pressed_ && over_; }
    // Whether the focus rectangle is drawn on this half.
    void SetFocused(bool focused);
    bool Focused() const { return focused_; }
    // The focus rectangle: the button inset by 3 pixels, shifted by 1 while down.
    QRect FocusRect() const;

Q_SIGNALS:
    void Click();
    // A mouse press, before the first click (the spin button moves the focus).
    void Pressed();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void Repeat();

    QTimer* repeat_;
    QPixmap glyph_;
    bool pressed_ = false;
    bool over_ = false;
    bool focused_ = false;
};

class TSpinButton : public QWidget {
    Q_OBJECT
public:
    enum class Half { Up, Down };

    // 20 x 25 with the drawn arrow glyphs.
    explicit TSpinButton(QWidget* parent = nullptr);

    QPixmap UpGlyph() const;
    void SetUpGlyph(const QPixmap& glyph);
    QPixmap DownGlyph() const;
    void SetDownGlyph(const QPixmap& glyph);
    // The control that takes the focus when a half is pressed with the mouse (the spin
    // button itself when none is set or it cannot take it).
    QWidget* FocusControl() const { return focusControl_; }
    void SetFocusControl(QWidget* control) { focusControl_ = control; }

    Half FocusedHalf() const { return focusedHalf_; }
    TTimerSpeedButton* UpButton() const { return up_; }
    TTimerSpeedButton* DownButton() const { return down_; }

    QSize sizeHint() const override { return {20, 25}; }

Q_SIGNALS:
    void OnUpClick();
    void OnDownClick();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void SetFocusedHalf(Half half);
    void TakeFocus();
    void ShowFocus();

    TTimerSpeedButton* up_;
    TTimerSpeedButton* down_;
    Half focusedHalf_ = Half::Up;
    QPointer<QWidget> focusControl_;
};

} // namespace kex
