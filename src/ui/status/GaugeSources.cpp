#include "ui/status/GaugeSources.h"

#include "core/meters/Clock.h"

namespace kex {

namespace {

PanelShow GaugeShow(const std::optional<GaugeReading>& reading, const PanelHints& hints)
{
    PanelShow show;
    if (!reading)
        return show;
    show.kind = PanelShow::Kind::Gauge;
    show.reading = *reading;
    show.hint = reading->hint + hints.Suffix();
    return show;
}

class DriveSource : public GaugeSource {
public:
    DriveSource(DriveMeter& meter, char letter) : meter_(meter), letter_(letter) {}
    PanelShow Refresh(const RefreshMoment& moment) override
    {
        return GaugeShow(meter_.HardDriveSpace(letter_), moment.hints);
    }

private:
    DriveMeter& meter_;
    char letter_;
};

class MemorySource : public GaugeSource {
public:
    explicit MemorySource(MemoryMeter& meter) : meter_(meter) {}
    PanelShow Refresh(const RefreshMoment& moment) override { return GaugeShow(meter_.SysResource(), moment.hints); }

private:
    MemoryMeter& meter_;
};

class ClockSource : public GaugeSource {
public:
    PanelShow Refresh(const RefreshMoment& moment) override { return ClockShow(moment); }
};

class ProgramTimerSource : public GaugeSource {
public:
    PanelShow Refresh(const RefreshMoment& moment) override
    {
        PanelShow show;
        show.kind = PanelShow::Kind::Caption;
        // No start yet counts from now.
        const QDateTime start = moment.programStart.isValid() ? moment.programStart : moment.now;
        show.caption = ProgramTimerText(start.secsTo(moment.now));
        show.hint = moment.hints.mouse;
        return show;
    }
};

class EyesSource : public GaugeSource {
public:
    PanelShow Refresh(const RefreshMoment& moment) override
    {
        PanelShow show;
        show.kind = PanelShow::Kind::Eyes;
        show.hint = moment.hints.mouse;
        return show;
    }
};

} // namespace

PanelShow ClockShow(const RefreshMoment& moment)
{
    PanelShow show;
    show.kind = PanelShow::Kind::Caption;
    const QTime time = moment.now.time();
    show.caption = ClockText(time.hour(), time.minute(), moment.twelveHour);
    show.hint = moment.shortDate + moment.hints.Suffix();
    return show;
}

GaugeSources::GaugeSources(VolumeService& volumes, MemoryService& memory, std::string groupSeparator)
    : drives_(volumes, groupSeparator), memory_(memory, groupSeparator)
{
}

std::unique_ptr<GaugeSource> GaugeSources::For(const std::string& gaugeType)
{
    const std::string drive = "Drive";
    const std::size_t at = gaugeType.find(drive);
    if (at != std::string::npos && at + drive.size() == gaugeType.size())
        return std::make_unique<DriveSource>(drives_, gaugeType[0]);
    if (gaugeType == "SystemMemory1" || gaugeType == "UserResource1" || gaugeType == "GDIResources1")
        return std::make_unique<MemorySource>(memory_);
    if (gaugeType == "Eyes1")
        return std::make_unique<EyesSource>();
    if (gaugeType == "ShowTime1")
        return std::make_unique<ClockSource>();
    if (gaugeType == "ProgTime1")
        return std::make_unique<ProgramTimerSource>();
    return nullptr;
}

} // namespace kex
