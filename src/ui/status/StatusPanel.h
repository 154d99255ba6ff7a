#pragma once

#include <QObject>

#include <string>

namespace kex {

class BarMenus;
class BarStore;
class TEnhancedGauge;
class TEyes;

// The gauge panel: which source the gauge shows (a drive, memory, the clock, the
// program timer, or the eyes instead of the gauge) and the panel's refresh. The
// readings of the sources come with their own part; until then the panel shows the
// eyes or the gauge. Small mode is an object of its own (SmallMode).
class StatusPanel : public QObject {
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

private:
    void ShowEyes();

    BarStore& store_;
    BarMenus& menus_;
    TEnhancedGauge& gauge_;
    TEyes& eyes_;
    std::string gaugeType_;
};

} // namespace kex
