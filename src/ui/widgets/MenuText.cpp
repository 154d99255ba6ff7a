#include "ui/widgets/MenuText.h"

#include <QAction>
#include <QMenu>

#include <algorithm>

namespace kex {

QString MenuCaption(const std::string& text) { return QString::fromStdString(text).replace('&', "&&"); }

bool HasVisibleItems(const QMenu* menu)
{
    const QList<QAction*> items = menu->actions();
    return std::any_of(items.begin(), items.end(), [](QAction* a) { return a->isVisible() && !a->isSeparator(); });
}

} // namespace kex
