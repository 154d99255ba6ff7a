// Tooltips of a window shown as plain text: a hint made from a description such as
// "<b>bold</b>" shows those characters, never their markup.
#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

namespace kex {

// Watches the application's tooltip events for `window` and its children (it is an
// event filter of the application, owned by the window).
class PlainToolTips : public QObject {
public:
    explicit PlainToolTips(QWidget& window);
    ~PlainToolTips() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> window_;
};

} // namespace kex
