// libcanberra and ALSA, loaded at the first sound or the first reading of the mixer;
// see LazyLibrary.h.
#include "platform/LazyLibrary.h"

#include <alsa/asoundlib.h>
#include <canberra.h>

#include <cerrno>

namespace {
constexpr const char* kCanberra = "libcanberra.so.0";
constexpr const char* kAlsa = "libasound.so.2";
} // namespace

KEX_LAZY(kCanberra, int, ca_context_create, (ca_context * *c), (c), CA_ERROR_NOTAVAILABLE)
KEX_LAZY(kCanberra, int, ca_context_change_props_full, (ca_context * c, ca_proplist* p), (c, p), CA_ERROR_NOTAVAILABLE)
KEX_LAZY(kCanberra, int, ca_context_play_full,
         (ca_context * c, uint32_t id, ca_proplist* p, ca_finish_callback_t cb, void* data), (c, id, p, cb, data),
         CA_ERROR_NOTAVAILABLE)
KEX_LAZY(kCanberra, int, ca_context_cancel, (ca_context * c, uint32_t id), (c, id), CA_ERROR_NOTAVAILABLE)
KEX_LAZY(kCanberra, int, ca_proplist_create, (ca_proplist * *p), (p), CA_ERROR_NOTAVAILABLE)
KEX_LAZY(kCanberra, int, ca_proplist_destroy, (ca_proplist * p), (p), CA_ERROR_NOTAVAILABLE)
KEX_LAZY(kCanberra, int, ca_proplist_sets, (ca_proplist * p, const char* key, const char* value), (p, key, value),
         CA_ERROR_NOTAVAILABLE)

KEX_LAZY(kAlsa, int, snd_lib_error_set_handler, (snd_lib_error_handler_t handler), (handler), -ENOENT)
// Without ALSA no mixer opens, so the rest is never reached with one.
KEX_LAZY(kAlsa, int, snd_mixer_open, (snd_mixer_t * *mixer, int mode), (mixer, mode), -ENOENT)
KEX_LAZY(kAlsa, int, snd_mixer_close, (snd_mixer_t * mixer), (mixer), -ENOENT)
KEX_LAZY(kAlsa, int, snd_mixer_attach, (snd_mixer_t * mixer, const char* name), (mixer, name), -ENOENT)
KEX_LAZY(kAlsa, int, snd_mixer_load, (snd_mixer_t * mixer), (mixer), -ENOENT)
KEX_LAZY(kAlsa, int, snd_mixer_handle_events, (snd_mixer_t * mixer), (mixer), -ENOENT)
KEX_LAZY(kAlsa, int, snd_mixer_selem_register,
         (snd_mixer_t * mixer, struct snd_mixer_selem_regopt* options, snd_mixer_class_t** classp),
         (mixer, options, classp), -ENOENT)
KEX_LAZY(kAlsa, snd_mixer_elem_t*, snd_mixer_find_selem, (snd_mixer_t * mixer, const snd_mixer_selem_id_t* id),
         (mixer, id), nullptr)
KEX_LAZY(kAlsa, size_t, snd_mixer_selem_id_sizeof, (void), (), size_t(64))
KEX_LAZY_VOID(kAlsa, snd_mixer_selem_id_set_index, (snd_mixer_selem_id_t * obj, unsigned int val), (obj, val))
KEX_LAZY_VOID(kAlsa, snd_mixer_selem_id_set_name, (snd_mixer_selem_id_t * obj, const char* val), (obj, val))
KEX_LAZY(kAlsa, int, snd_mixer_selem_has_playback_volume, (snd_mixer_elem_t * elem), (elem), 0)
KEX_LAZY(kAlsa, int, snd_mixer_selem_is_playback_mono, (snd_mixer_elem_t * elem), (elem), 1)
KEX_LAZY(kAlsa, int, snd_mixer_selem_get_playback_volume_range, (snd_mixer_elem_t * elem, long* min, long* max),
         (elem, min, max), -ENOENT)
KEX_LAZY(kAlsa, int, snd_mixer_selem_get_playback_volume,
         (snd_mixer_elem_t * elem, snd_mixer_selem_channel_id_t channel, long* value), (elem, channel, value), -ENOENT)
KEX_LAZY(kAlsa, int, snd_mixer_selem_set_playback_volume,
         (snd_mixer_elem_t * elem, snd_mixer_selem_channel_id_t channel, long value), (elem, channel, value), -ENOENT)
KEX_LAZY(kAlsa, int, snd_mixer_selem_set_playback_volume_all, (snd_mixer_elem_t * elem, long value), (elem, value),
         -ENOENT)
