// The DirectSound side of an instance: devices, primary buffers, the listener.
#pragma once

#include <dsound.h>

#include "engine/sound_xtra.h"

namespace sonidrax {

// Opens the default device and its primary buffer and lists the devices.
// Answers -5 (after telling the author) when DirectSound cannot be created.
Status StartSoundEngine(SoundXtra& xtra);

// The current device's 3D listener, made on first request; null without a
// current device or primary buffer.
IDirectSound3DListener* GetListener(SoundXtra& xtra);

// Deletes every sound and releases every device.
void StopSoundEngine(SoundXtra& xtra);

}  // namespace sonidrax
