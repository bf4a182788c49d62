// One DirectSound output device as the engine keeps it. Records and their texts
// are allocated through the instance's host allocator.
#pragma once

#include <dsound.h>

namespace sonidrax {

struct OutputDevice {
    OutputDevice* next;
    IDirectSound* directSound;  // made on first selection
    IDirectSoundBuffer* primary;
    IDirectSound3DListener* listener;  // made on first request
    GUID* guid;                        // null for the default device and the primary driver entry
    char* description;                 // null only for the default device record
    char* module;
};

}  // namespace sonidrax
