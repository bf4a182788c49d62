// dsDuplicateSound (and dsDupSound): a second sound on the same sample memory
// with its own DirectSound buffer, cursor, volume, pan and frequency.
#include <cstring>
#include <new>

#include "engine/output_device.h"
#include "engine/sound_table.h"
#include "frame/handlers.h"
#include "frame/messages.h"
#include "sounds/sound_buffer.h"

namespace sonidrax {

namespace {

// The copy's own format block, extra bytes included.
Status CopyFormat(const SoundXtra& xtra, const SoundBuffer& source, SoundBuffer& copy) {
    if (source.format == nullptr) return kOk;
    const uint32_t size = sizeof(WAVEFORMATEX) + source.format->cbSize;
    auto* format = static_cast<WAVEFORMATEX*>(xtra.Allocate(size));
    if (format == nullptr) return kOutOfMemory;
    std::memcpy(format, source.format, size);
    copy.format = format;
    return kOk;
}

// The copy's buffer, and for a 3D sound its own 3D interface on that buffer, so
// that each sound releases only what it holds.
Status DuplicateBuffers(const SoundXtra& xtra, const SoundBuffer& source, SoundBuffer& copy) {
    const OutputDevice* device = xtra.currentDevice;
    if (device == nullptr || device->directSound == nullptr || source.buffer == nullptr) return kOutOfMemory;
    IDirectSoundBuffer* buffer = nullptr;
    if (FAILED(device->directSound->DuplicateSoundBuffer(source.buffer, &buffer)) || buffer == nullptr) {
        return kOutOfMemory;
    }
    copy.buffer = buffer;
    if (copy.is3D) {
        void* buffer3D = nullptr;
        if (SUCCEEDED(buffer->QueryInterface(IID_IDirectSound3DBuffer, &buffer3D))) {
            copy.buffer3D = static_cast<IDirectSound3DBuffer*>(buffer3D);
        }
    }
    return kOk;
}

}  // namespace

Status DsDuplicateSound(ScriptCall& call) {
    SoundXtra& xtra = call.xtra();
    SoundBuffer* source = FindSound(xtra, call.argument(1));
    if (source == nullptr) return call.finish(kOk);
    // A streaming sound's buffer holds only part of its data.
    if (source->streaming) return call.finish(kOk, 0);

    auto* copy = new (std::nothrow) SoundBuffer(&xtra, source->kind, source->reversed);
    if (copy == nullptr) return call.finish(kOutOfMemory);
    copy->CopyStateFrom(*source);
    // The copy's buffer is silent until the copy itself is played.
    copy->playing = false;
    Status status = CopyFormat(xtra, *source, *copy);
    if (status == kOk) {
        status = DuplicateBuffers(xtra, *source, *copy);
        if (status != kOk) call.show(messages::kDuplicateFailed);
    }
    if (status != kOk) {
        delete copy;
        return call.finish(status);
    }
    AddSound(xtra, copy);
    return call.finish(kOk, static_cast<int32_t>(copy->id));
}

}  // namespace sonidrax
