// What a sound needs of the instance that made it: the host's allocator for its
// format block, the host's messages, the DirectSound object its buffer is made
// on, and the movie service a movie sound plays through. The instance outlives
// its sounds, so the sound keeps these by value.
#pragma once

#include <dsound.h>

#include "frame/host_interfaces.h"
#include "media/movie_service.h"

namespace sonidrax {

struct SoundContext {
    HostAllocator* allocator;
    HostMessages* messages;                 // null when the host has none
    IDirectSound* directSound;              // null without a device: no buffer can be made
    media::MovieService* movies = nullptr;  // what movie sounds play through; null without one
};

}  // namespace sonidrax
