#include "ui/autostart/AutostartItem.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>

#include "core/autostart/Autostart.h"
#include "ui/window/BarContext.h"

namespace kex {

AutostartItem::AutostartItem(BarContext& context, QAction& item, QMenu& menu, std::vector<std::string> args,
                             QObject* parent)
    : QObject(parent), context_(context), item_(item), args_(std::move(args))
{
    setObjectName("AutostartItem");
    item_.setCheckable(true);
    item_.setVisible(true);
    Refresh();
    connect(&menu, &QMenu::aboutToShow, this, &AutostartItem::Refresh);
    connect(&item_, &QAction::triggered, this, [this](bool on) { context_.guard.Guarded([&] { Choose(on); }); });
}

std::string AutostartItem::FileName()
{
    return AutostartFileName(qEnvironmentVariable("XDG_CONFIG_HOME").toStdString(),
                             qEnvironmentVariable("HOME").toStdString());
}

void AutostartItem::Refresh() { item_.setChecked(AutostartEnabled(FileName())); }

void AutostartItem::Choose(bool on)
{
    // The check mark always ends as the file stands, also when it could not be changed.
    struct Settle {
        AutostartItem& self;
        ~Settle() { self.Refresh(); }
    } settle{*this};
    SetAutostart(FileName(), on,
                 AutostartEntry(QCoreApplication::applicationFilePath().toStdString(), args_, context_.appDir));
}

} // namespace kex
