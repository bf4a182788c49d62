// The DirectSound side of an instance: devices, primary buffers, the listener.
#pragma once

#include <dsound.h>

#include "engine/sound_xtra.h"
#include "sounds/sound_context.h"

namespace sonidrax {

// Opens the default device and its primary buffer and lists the devices.
// Answers -5 (after telling the author) when DirectSound cannot be created.
Status StartSoundEngine(SoundXtra& xtra);

// The current device's 3D listener, made on first request; null without a
// current device or primary buffer.
IDirectSound3DListener* GetListener(SoundXtra& xtra);

// What a sound made now needs of the instance: new sounds go to the current device.
SoundContext SoundContextOf(const SoundXtra& xtra);

// Deletes every sound and releases every device.
void StopSoundEngine(SoundXtra& xtra);

// Makes the device with this description current (the default device for an
// empty name), opening it on first use; null when there is none or it cannot
// be opened, and then nothing changes.
OutputDevice* SelectDevice(SoundXtra& xtra, const char* name, HWND window);

// Changes the parts of a primary buffer's format that are not 0.
Status ChangePrimaryFormat(SoundXtra& xtra, IDirectSoundBuffer* primary, uint16_t bits, uint32_t rate,
                           uint16_t channels);

}  // namespace sonidrax
