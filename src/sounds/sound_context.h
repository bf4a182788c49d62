// What a sound needs of the instance that made it: the host's allocator for its
// format block, the host's messages, and the DirectSound object its buffer is
// made on. The instance outlives its sounds, so the sound keeps these by value.
#pragma once

#include <dsound.h>

#include "frame/host_interfaces.h"

namespace sonidrax {

struct SoundContext {
    HostAllocator* allocator;
    HostMessages* messages;     // null when the host has none
    IDirectSound* directSound;  // null without a device: no buffer can be made
};

}  // namespace sonidrax
