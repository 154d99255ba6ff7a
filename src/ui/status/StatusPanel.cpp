#include "ui/status/StatusPanel.h"

#include <QAction>

#include "core/bar/BarStore.h"
#include "ui/widgets/EnhancedGauge.h"
#include "ui/widgets/Eyes.h"
#include "ui/window/BarMenus.h"

namespace kex {

StatusPanel::StatusPanel(BarStore& store, BarMenus& menus, TEnhancedGauge& gauge, TEyes& eyes, QObject* parent)
    : QObject(parent), store_(store), menus_(menus), gauge_(gauge), eyes_(eyes)
{
    setObjectName("StatusPanel");
}

void StatusPanel::ShowSource(const std::string& gaugeType)
{
    gaugeType_ = gaugeType;
    if (QAction* item = menus_.GaugeSource(gaugeType_))
        item->setChecked(true);
    if (menus_.ShowEyes()->isChecked())
        ShowEyes();
}

void StatusPanel::UnCheck()
{
    for (QAction* item : menus_.GaugeSources())
        item->setChecked(false);
    eyes_.SetActive(false);
    eyes_.hide();
}

void StatusPanel::ShowEyes()
{
    gauge_.SetProgress(0);
    gauge_.hide();
    eyes_.show();
    eyes_.SetActive(true);
    eyes_.SetPopupMenu(gauge_.PopupMenu());
}

void StatusPanel::Eyes1Click()
{
    UnCheck();
    menus_.ShowEyes()->setChecked(true);
    gaugeType_ = "Eyes1"; // the stored gauge type
    // The eyes show what the menu says even when the choice cannot be stored.
    ShowEyes();
    store_.SaveGaugeType(gaugeType_);
}

} // namespace kex
