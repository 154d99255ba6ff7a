// The clock, the program timer and the chimes: the panel's texts, and when a chime
// is due and what it plays.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/window/StartupSettings.h"

namespace kex {

// The clock's text: "9:05 P", "12:15 A" in 12-hour form, "21:05" in 24-hour form.
// `hour` 0 to 23, `minute` 0 to 59.
std::string ClockText(int hour, int minute, bool twelveHour);

// The program timer's text "1:07:09" for the seconds since its start; a day or more
// shows what is left over after the whole days, and a start in the future (a clock
// set back) shows "0:00:00".
std::string ProgramTimerText(std::int64_t elapsedSeconds);

enum class ChimeKind : std::uint8_t { Hour, HalfHour };

// Finds the hour and half-hour crossings of the wall clock between one refresh and
// the next. A crossing chimes once, whether a refresh fell on its very second or
// came later (a busy machine, a suspended one: then the latest crossing chimes, once);
// the first refresh never chimes; a clock set back does not chime again what was
// chimed, unless it went back more than two hours (a new time zone, a clock put
// right), after which the chimes start afresh.
class ChimeDetector {
public:
    // `localSeconds`: the wall-clock time as seconds since an epoch in local time, so
    // that whole multiples of 1800 fall on the half hours. `display`: Hour chimes on
    // the hour, HalfHour also on the half hour, Other never.
    std::optional<ChimeKind> Tick(std::int64_t localSeconds, ClockDisplay display);

private:
    std::optional<std::int64_t> last_;   // the previous refresh
    std::optional<std::int64_t> chimed_; // the latest crossing that chimed
};

// What a chime plays: the hour's file on the hour when either chime sound is on, the
// half hour's file on the half hour when its sound is on; an empty file name sounds
// the warning beep instead. Nothing when no sound is on for this chime.
struct ChimeSound {
    std::string file;
    bool beep = false;
    bool operator==(const ChimeSound&) const = default;
};
std::optional<ChimeSound> ChimeSoundFor(ChimeKind kind, bool hourSoundOn, bool halfHourSoundOn,
                                        const std::string& hourSoundFile, const std::string& halfHourSoundFile);

} // namespace kex
