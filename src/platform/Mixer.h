// The volume keys' mixer: the ALSA simple mixer of the "default" device, which
// PipeWire and PulseAudio systems route to their own mixer (the volume the desktop
// shows). Device 5 is "Master", 0 "PCM", 2 "Line"; a device whose element is missing
// is absent.
#pragma once

#include "core/meters/MeterServices.h"

#include <string>

struct _snd_mixer;
struct _snd_mixer_elem;

namespace kex {

class AlsaMixer : public MixerService {
public:
    explicit AlsaMixer(std::string card = "default");
    ~AlsaMixer() override;
    AlsaMixer(const AlsaMixer&) = delete;
    AlsaMixer& operator=(const AlsaMixer&) = delete;

    std::optional<std::uint32_t> Volume(int device) override;
    bool SetVolume(int device, std::uint32_t word) override;

private:
    // The playback element of a device, the mixer opened on first use (and again
    // after a failure); nullptr when absent.
    _snd_mixer_elem* Element(int device);
    void Close();

    std::string card_;
    _snd_mixer* mixer_ = nullptr;
};

} // namespace kex
