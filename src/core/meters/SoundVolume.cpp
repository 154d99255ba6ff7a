#include "core/meters/SoundVolume.h"

#include <algorithm>

namespace kex {

namespace {

constexpr int kFullLevel = 4233;
constexpr int kMinimumLevel = 67;
constexpr int kChannelStep = 0x400;

std::uint32_t StepChannels(std::uint32_t word, int delta)
{
    auto step = [delta](std::uint32_t channel) { return std::uint32_t(std::clamp(int(channel) + delta, 0, 0xFFFF)); };
    return step(word & 0xFFFF) | step(word >> 16) << 16;
}

} // namespace

int VolumeLevel(std::uint32_t word) { return int(word / 1000000u); }

VolumeStep StepVolume(std::uint32_t word, VolumeDirection direction)
{
    VolumeStep s;
    s.word = word;
    s.level = VolumeLevel(word);
    if (direction == VolumeDirection::Up) {
        if (s.level >= kFullLevel) {
            s.outcome = VolumeStep::Outcome::AtFull;
            s.message = "You are at full volume!";
            return s;
        }
        s.word = StepChannels(word, kChannelStep);
    } else {
        if (s.level <= kMinimumLevel) {
            s.outcome = VolumeStep::Outcome::AtMinimum;
            s.message = "You are at minimum volume.";
            return s;
        }
        s.word = StepChannels(word, -kChannelStep);
    }
    s.outcome = VolumeStep::Outcome::Changed;
    s.level = VolumeLevel(s.word);
    return s;
}

VolumeStep AdjustVolume(MixerService& mixer, int device, VolumeDirection direction)
{
    const std::optional<std::uint32_t> word = mixer.Volume(device);
    if (!word)
        return {};
    VolumeStep s = StepVolume(*word, direction);
    if (s.outcome == VolumeStep::Outcome::Changed && !mixer.SetVolume(device, s.word))
        return {};
    return s;
}

std::uint16_t ChannelToWord(long value, long min, long max)
{
    if (max <= min)
        return 0;
    const long long span = (long long)max - min;
    const long long v = std::clamp<long long>((long long)value - min, 0, span);
    return std::uint16_t((v * 0xFFFF * 2 + span) / (span * 2));
}

long ChannelFromWord(std::uint16_t value, long min, long max, long current)
{
    if (max <= min)
        return min;
    const long long span = (long long)max - min;
    long wanted = long(min + ((long long)value * span * 2 + 0xFFFF) / (0xFFFF * 2));
    const std::uint16_t shown = ChannelToWord(current, min, max);
    if (wanted == current && value != shown)
        wanted += value > shown ? 1 : -1;
    return std::clamp(wanted, min, max);
}

} // namespace kex
