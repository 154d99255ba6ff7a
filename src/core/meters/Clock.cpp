#include "core/meters/Clock.h"

namespace kex {

namespace {

std::string TwoDigits(std::int64_t n) { return (n < 10 ? "0" : "") + std::to_string(n); }

// The largest multiple of `step` at or below `t`.
std::int64_t FloorTo(std::int64_t t, std::int64_t step)
{
    const std::int64_t q = t / step;
    return (q * step > t ? q - 1 : q) * step;
}

constexpr std::int64_t kHalfHour = 30 * 60;
constexpr std::int64_t kForgetAfterSetBack = 2 * 60 * 60;

} // namespace

std::string ClockText(int hour, int minute, bool twelveHour)
{
    std::string suffix;
    if (twelveHour) {
        suffix = hour < 12 ? " A" : " P";
        if (hour > 12)
            hour -= 12;
        if (hour == 0)
            hour = 12;
    }
    return std::to_string(hour) + ":" + TwoDigits(minute) + suffix;
}

std::string ProgramTimerText(std::int64_t elapsedSeconds)
{
    const std::int64_t s = elapsedSeconds < 0 ? 0 : elapsedSeconds % (24 * 60 * 60);
    return std::to_string(s / 3600) + ":" + TwoDigits(s / 60 % 60) + ":" + TwoDigits(s % 60);
}

std::optional<ChimeKind> ChimeDetector::Tick(std::int64_t localSeconds, ClockDisplay display)
{
    const std::optional<std::int64_t> last = last_;
    last_ = localSeconds;
    if (!last)
        return std::nullopt;
    if (localSeconds < *last - kForgetAfterSetBack)
        chimed_.reset();
    if (display == ClockDisplay::Other || localSeconds <= *last)
        return std::nullopt;
    const std::int64_t crossing = FloorTo(localSeconds, display == ClockDisplay::Hour ? 2 * kHalfHour : kHalfHour);
    if (crossing <= *last || (chimed_ && crossing <= *chimed_))
        return std::nullopt;
    chimed_ = crossing;
    return FloorTo(crossing, 2 * kHalfHour) == crossing ? ChimeKind::Hour : ChimeKind::HalfHour;
}

std::optional<ChimeSound> ChimeSoundFor(ChimeKind kind, bool hourSoundOn, bool halfHourSoundOn,
                                        const std::string& hourSoundFile, const std::string& halfHourSoundFile)
{
    if (kind == ChimeKind::Hour && (hourSoundOn || halfHourSoundOn))
        return ChimeSound{hourSoundFile, hourSoundFile.empty()};
    if (kind == ChimeKind::HalfHour && halfHourSoundOn)
        return ChimeSound{halfHourSoundFile, halfHourSoundFile.empty()};
    return std::nullopt;
}

} // namespace kex
