// The gauge panel's sources: what one refresh of the panel shows for the source the
// user chose (a drive's free space, the memory load, the clock, the program timer or
// the eyes). A source only answers what to show; the panel paints it.
#pragma once

#include <QDateTime>

#include <memory>
#include <string>
#include <vector>

#include "core/meters/Disk.h"
#include "core/meters/Memory.h"
#include "core/meters/Readings.h"

namespace kex {

// The mouse hint of the gauge panel ("Mouse: LEFT=Shrink  RIGHT=Setup"), empty while
// general hints are off; the suffix is the same on a line of its own, added below a
// reading's or the date's hint.
struct PanelHints {
    std::string mouse;
    std::string Suffix() const { return mouse.empty() ? std::string() : "\n" + mouse; }
};

// What the panel shows after one refresh.
struct PanelShow {
    enum class Kind : std::uint8_t {
        Unchanged, // nothing to show (a volume that cannot be read): the panel stays as it is
        Gauge,     // the gauge shows `reading`, its hint `hint`
        Caption,   // the gauge hidden, the panel's text `caption`, its hint `hint`
        Eyes,      // the eyes instead of the gauge, the panel's hint `hint`
    };
    Kind kind = Kind::Unchanged;
    GaugeReading reading;
    std::string caption;
    std::string hint; // the hint suffix included
};

// What every source is told at a refresh.
struct RefreshMoment {
    QDateTime now;
    QDateTime programStart; // the program timer counts from here
    bool twelveHour = true;
    std::string shortDate; // today in the locale's short date form
    PanelHints hints;
};

class GaugeSource {
public:
    virtual ~GaugeSource() = default;
    virtual PanelShow Refresh(const RefreshMoment& moment) = 0;
};

// The clock's text and hint: "9:05 P" or "21:05", the date below.
PanelShow ClockShow(const RefreshMoment& moment);

// The meters behind the sources, and the source a gauge type names.
class GaugeSources {
public:
    // `groupSeparator`: the locale's thousands separator of the hints' figures. Reads
    // the mounted volumes (a hung one costs one short time-out).
    GaugeSources(VolumeService& volumes, MemoryService& memory, std::string groupSeparator);

    // The source of a gauge type: a drive ("CHardDrive": "Drive" found first at the
    // name's very end, the first character its letter), memory ("SystemMemory1" and
    // the older memory names), "ShowTime1", "ProgTime1", "Eyes1"; null for a name
    // that names none (the panel then stays as it is).
    std::unique_ptr<GaugeSource> For(const std::string& gaugeType);
    // The letters whose drive items are offered: the volumes with a known size.
    std::vector<char> CountDrives() { return drives_.CountDrives(); }

private:
    DriveMeter drives_;
    MemoryMeter memory_;
};

} // namespace kex
