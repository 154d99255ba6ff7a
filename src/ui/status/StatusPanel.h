#pragma once

#include <QObject>

#include <string>

#include "ui/pages/PageHooks.h"

namespace kex {

class BarMenus;
class BarStore;
class TEnhancedGauge;
class TEyes;

// The gauge panel: which source the gauge shows (a drive, memory, the clock, the
// program timer, or the eyes instead of the gauge), the panel's refresh, and small
// mode. The readings of the sources and the shrinking of the bar come with their own
// parts; until then the panel shows the eyes or the gauge, and the bar always stays at
// full size.
class StatusPanel : public QObject, public SmallModeSwitch {
    Q_OBJECT
public:
    StatusPanel(BarStore& store, BarMenus& menus, TEnhancedGauge& gauge, TEyes& eyes, QObject* parent);

    // The source the start-up settings name ("Gauge"/"Type"): its item is checked, and
    // the eyes start when their item is.
    void ShowSource(const std::string& gaugeType);
    const std::string& GaugeType() const { return gaugeType_; }
    // The clearing of every source's check mark that each source item begins with;
    // the eyes stop and hide.
    void UnCheck();
    // "Show Eyes": the eyes replace the gauge, and the choice is stored.
    void Eyes1Click();

    // The panel's refresh every second.
    void GasGage() {}
    // Small mode: the bar shrunk to its gauge.
    void SmallSize() override {}
    bool SmallActive() const override { return smallActive_; }
    // The start-up pass shows the bar at full size.
    void FullSize() { smallActive_ = false; }

private:
    void ShowEyes();

    BarStore& store_;
    BarMenus& menus_;
    TEnhancedGauge& gauge_;
    TEyes& eyes_;
    std::string gaugeType_;
    bool smallActive_ = false;
};

} // namespace kex
