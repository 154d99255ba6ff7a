#pragma once

#include <QDateTime>
#include <QObject>

#include <array>
#include <memory>
#include <string>

#include "core/meters/Clock.h"
#include "ui/status/GaugeSources.h"
#include "ui/status/VolumeKeys.h"

class QAction;
class QFrame;
class QLabel;
class QTimer;

namespace kex {

class BarMenus;
struct BarContext;
class TEnhancedGauge;
class TEyes;
struct StartupSettings;

// The gauge panel's controls: "Panel1" with the gauge and the eyes on it.
struct StatusWidgets {
    QFrame* panel = nullptr;
    TEnhancedGauge* gauge = nullptr;
    TEyes* eyes = nullptr;
};

// The gauge panel: which source it shows (a drive, memory, the clock, the program
// timer, or the eyes instead of the gauge), its refresh every second ("Timer1") with
// the chimes, the pause of the refresh after a chime or a volume step ("Timer3"), the
// clock's options. Small mode is an object of its own (SmallMode).
class StatusPanel : public QObject, public VolumeKeys {
    Q_OBJECT
public:
    // Offers the drive items of the volumes found now, the other sources and the
    // clock's options, and starts the refresh.
    StatusPanel(BarContext& context, BarMenus& menus, StatusWidgets widgets, QObject* parent);
    ~StatusPanel() override;

    // The clock's start-up settings: the 12-hour clock, when it chimes and with which
    // sounds (each item's check mark from them; what a value leaves alone stays).
    void ApplyClockSettings(const StartupSettings& settings);
    // The source the start-up settings name ("Gauge"/"Type"): its item is checked, the
    // eyes start when it is theirs; the clock and the timer hide the gauge.
    void ShowSource(const std::string& gaugeType);
    const std::string& GaugeType() const { return gaugeType_; }
    // The clearing of every source's check mark that each source item begins with;
    // the eyes stop and hide.
    void UnCheck();
    // "Show Eyes": the eyes replace the gauge, and the choice is stored.
    void ShowEyes();

    // The panel's refresh every second: the source shown anew, then the chimes.
    void RefreshGauge();
    // The gauge panel's mouse hint while general hints are on (empty: off).
    void SetMouseHint(const std::string& hint) { hints_.mouse = hint; }

    // The volume keys: one step, shown on the gauge.
    void VolAdj(int device, VolumeDirection direction) override;

public Q_SLOTS:
    // The program timer counts from `start` (the start, a launch, a program's end).
    void SetProgramStart(const QDateTime& start) { programStart_ = start; }
    // The hour's or the half hour's chime sound switched on or off (its item is the
    // button configuration's).
    void SetChimeSound(bool halfHour, bool on);

Q_SIGNALS:
    // Every tick of the refresh, before the panel is refreshed.
    void Ticked();

private:
    struct Items;
    // The clock's options as chosen: the start-up settings, then the items' clicks.
    // The items show them; as built: the 12-hour clock, only on the hour, its sound.
    struct ClockOptions {
        bool twelveHour = true;
        bool onHour = true;
        bool onHalfHour = false;
        bool hourSound = true;
        bool halfHourSound = false;
    };
    // The clock options' check marks, from the options.
    void ShowClockOptions();
    void ConnectItems();
    void CountDrives();
    QAction* SourceItem(const std::string& gaugeType) const;
    // A source item chosen: the check marks, the source, then the choice stored.
    void SelectSource(QAction* item, const std::string& gaugeType);
    void StartEyes();
    // A drive or the memory chosen: the gauge shows its first reading at once.
    void GaugeSourceClick(QAction* item, const std::string& gaugeType);
    // The clock or the program timer chosen: the gauge gives way to the panel's text.
    void CaptionSourceClick(QAction* item, const std::string& gaugeType);
    void ToggleTwelveHour(bool on);
    void ToggleHourChime(bool on);
    void ToggleHalfHourChime(bool on);
    void SetChimeDisplay(bool onHour, bool onHalfHour);

    RefreshMoment Moment() const;
    void Paint(const PanelShow& show);
    void CheckChime(const RefreshMoment& moment);
    // The volume level on the gauge for about a second.
    void SoundGraph(int level);

    BarContext& context_;
    TEnhancedGauge& gauge_;
    TEyes& eyes_;
    QFrame& panel_;
    QLabel* caption_ = nullptr; // Panel1's text: the clock or the timer
    std::unique_ptr<Items> items_;
    QTimer* refresh_ = nullptr; // "Timer1"
    QTimer* pause_ = nullptr;   // "Timer3"
    GaugeSources sources_;
    std::unique_ptr<GaugeSource> source_;
    std::string gaugeType_;
    ClockOptions clock_;
    PanelHints hints_;
    QDateTime programStart_;
    ChimeDetector chimes_;
};

} // namespace kex
