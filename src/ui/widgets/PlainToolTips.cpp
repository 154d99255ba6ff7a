// The tooltip of a widget whose text Qt would take for rich text is shown as that text
// escaped: line breaks and runs of blanks stay as they are.
#include "ui/widgets/PlainToolTips.h"

#include <QCoreApplication>
#include <QHelpEvent>
#include <QTextDocument>
#include <QToolTip>
#include <QWidget>

namespace kex {

PlainToolTips::PlainToolTips(QWidget& window) : QObject(&window), window_(&window)
{
    QCoreApplication::instance()->installEventFilter(this);
}

PlainToolTips::~PlainToolTips()
{
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

bool PlainToolTips::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::ToolTip || !watched->isWidgetType() || !window_)
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget != window_ && !window_->isAncestorOf(widget))
        return false;
    const QString tip = widget->toolTip();
    // Text that Qt shows as it is needs nothing.
    if (tip.isEmpty() || !Qt::mightBeRichText(tip))
        return false;
    const auto* help = static_cast<QHelpEvent*>(event);
    QToolTip::showText(help->globalPos(), Qt::convertFromPlainText(tip, Qt::WhiteSpacePre), widget, QRect(),
                       widget->toolTipDuration());
    return true;
}

} // namespace kex
