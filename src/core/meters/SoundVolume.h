// The volume keys: a step of the mixer's volume word up or down, its level and the
// gauge range that shows it, and the scaling of one channel between the word and a
// mixer's own range.
#pragma once

#include <cstdint>
#include <string>

#include "core/meters/MeterServices.h"

namespace kex {

// The mixer devices of the volume keys: the master volume (the arrow keys alone),
// the wave output (with Shift) and the line (with Ctrl).
inline constexpr int kVolumeMaster = 5;
inline constexpr int kVolumeWave = 0;
inline constexpr int kVolumeLine = 2;

// The gauge's range while it shows the volume.
inline constexpr int kVolumeGaugeMin = 5;
inline constexpr int kVolumeGaugeMax = 4233;

// The level of a volume word, 0 to 4294: the word divided by 1,000,000, so that the
// right channel (the high half) governs it.
int VolumeLevel(std::uint32_t word);

enum class VolumeDirection : std::uint8_t { Up, Down };

struct VolumeStep {
    enum class Outcome : std::uint8_t { Changed, AtFull, AtMinimum, NoDevice };
    Outcome outcome = Outcome::NoDevice;
    std::uint32_t word = 0; // the word after the step (as read when nothing changed)
    int level = 0;          // VolumeLevel(word): the gauge's value
    // The information message of AtFull and AtMinimum, empty otherwise.
    std::string message;
    bool operator==(const VolumeStep&) const = default;
};

// One step from `word`: up while the level is below 4233, down while above 67, by
// 1024 on each channel, each channel kept within 0 to 65535 on its own (one never
// carries into or borrows from the other).
VolumeStep StepVolume(std::uint32_t word, VolumeDirection direction);

// A step of a mixer device: read, step, write. NoDevice when the device is absent or
// refuses the new volume.
VolumeStep AdjustVolume(MixerService& mixer, int device, VolumeDirection direction);

// One channel between a mixer's range [min, max] and 0 to 65535, rounded.
std::uint16_t ChannelToWord(long value, long min, long max);
// The mixer value for a channel of the word. A mixer with fewer steps than the word
// still moves: when the wanted value differs from what `current` shows but rounds to
// `current`, the next step in its direction is taken.
long ChannelFromWord(std::uint16_t value, long min, long max, long current);

} // namespace kex
