// The mixer's volume as the volume word, through alsa-lib's simple mixer.
#include "platform/Mixer.h"

#include "core/meters/SoundVolume.h"
#include "platform/SoundPlayer.h"

#include <alsa/asoundlib.h>

#include <vector>

namespace kex {

namespace {

// The element names of the mixer devices, the nearest first.
std::vector<const char*> ElementNames(int device)
{
    switch (device) {
    case kVolumeMaster: return {"Master"};
    case kVolumeWave: return {"PCM", "Wave"};
    case kVolumeLine: return {"Line", "Line Out"};
    }
    return {};
}

} // namespace

AlsaMixer::AlsaMixer(std::string card) : card_(std::move(card)) {}

AlsaMixer::~AlsaMixer() { Close(); }

void AlsaMixer::Close()
{
    if (mixer_)
        snd_mixer_close(mixer_);
    mixer_ = nullptr;
}

snd_mixer_elem_t* AlsaMixer::Element(int device)
{
    if (mixer_ && snd_mixer_handle_events(mixer_) < 0)
        Close(); // the device went away: open it again
    if (!mixer_) {
        SilenceAlsaErrors();
        snd_mixer_t* mixer = nullptr;
        if (snd_mixer_open(&mixer, 0) < 0)
            return nullptr;
        if (snd_mixer_attach(mixer, card_.c_str()) < 0 || snd_mixer_selem_register(mixer, nullptr, nullptr) < 0
            || snd_mixer_load(mixer) < 0) {
            snd_mixer_close(mixer);
            return nullptr;
        }
        mixer_ = mixer;
    }
    for (const char* name : ElementNames(device)) {
        snd_mixer_selem_id_t* id = nullptr;
        snd_mixer_selem_id_alloca(&id);
        snd_mixer_selem_id_set_index(id, 0);
        snd_mixer_selem_id_set_name(id, name);
        snd_mixer_elem_t* elem = snd_mixer_find_selem(mixer_, id);
        if (elem && snd_mixer_selem_has_playback_volume(elem))
            return elem;
    }
    return nullptr;
}

std::optional<std::uint32_t> AlsaMixer::Volume(int device)
{
    snd_mixer_elem_t* elem = Element(device);
    long min = 0, max = 0, left = 0, right = 0;
    if (!elem || snd_mixer_selem_get_playback_volume_range(elem, &min, &max) < 0
        || snd_mixer_selem_get_playback_volume(elem, SND_MIXER_SCHN_FRONT_LEFT, &left) < 0)
        return std::nullopt;
    if (snd_mixer_selem_is_playback_mono(elem)
        || snd_mixer_selem_get_playback_volume(elem, SND_MIXER_SCHN_FRONT_RIGHT, &right) < 0)
        right = left;
    return std::uint32_t(ChannelToWord(left, min, max)) | std::uint32_t(ChannelToWord(right, min, max)) << 16;
}

bool AlsaMixer::SetVolume(int device, std::uint32_t word)
{
    snd_mixer_elem_t* elem = Element(device);
    long min = 0, max = 0, left = 0, right = 0;
    if (!elem || snd_mixer_selem_get_playback_volume_range(elem, &min, &max) < 0
        || snd_mixer_selem_get_playback_volume(elem, SND_MIXER_SCHN_FRONT_LEFT, &left) < 0)
        return false;
    const auto leftWord = std::uint16_t(word & 0xFFFF), rightWord = std::uint16_t(word >> 16);
    if (snd_mixer_selem_is_playback_mono(elem))
        return snd_mixer_selem_set_playback_volume_all(elem, ChannelFromWord(rightWord, min, max, left)) == 0;
    if (snd_mixer_selem_get_playback_volume(elem, SND_MIXER_SCHN_FRONT_RIGHT, &right) < 0)
        right = left;
    return snd_mixer_selem_set_playback_volume(elem, SND_MIXER_SCHN_FRONT_LEFT,
                                               ChannelFromWord(leftWord, min, max, left))
               == 0
           && snd_mixer_selem_set_playback_volume(elem, SND_MIXER_SCHN_FRONT_RIGHT,
                                                  ChannelFromWord(rightWord, min, max, right))
                  == 0;
}

} // namespace kex
