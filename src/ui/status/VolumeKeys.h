// The volume keys' way into the gauge panel: the keyboard asks for one step of a
// mixer device, and the panel shows the new volume on its gauge.
#pragma once

#include "core/meters/SoundVolume.h"

namespace kex {

class VolumeKeys {
public:
    // One step of mixer `device` (kVolumeMaster, kVolumeWave or kVolumeLine) up or
    // down, shown on the gauge for about a second; at a limit, the limit's message
    // instead. An absent device does nothing.
    virtual void VolAdj(int device, VolumeDirection direction) = 0;

protected:
    ~VolumeKeys() = default;
};

} // namespace kex
