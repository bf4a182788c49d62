// The sample format of a sound (rate, bits, channels) and the output format of
// the current device's primary buffer.
#include "control/control_arguments.h"
#include "engine/output_device.h"
#include "engine/sound_engine.h"
#include "control/control_handlers.h"
#include "sounds/sound_buffer.h"

namespace sonidrax {

namespace {

// The format of the sound named by the call, or null (a missing sound, or one
// that has no format of its own).
const WAVEFORMATEX* SoundFormat(ScriptCall& call) {
    const SoundBuffer* sound = SoundArgument(call);
    return sound != nullptr ? sound->Format() : nullptr;
}

struct PrimaryChange {
    uint16_t bits;
    uint32_t rate;
    uint16_t channels;
};

// A value outside its range is refused before anything happens, and lastError
// keeps what it held. DirectSound may still refuse a value inside the range (12
// bits, say); the primary buffer then keeps its format and the script is not told.
Status SetPrimaryFormat(ScriptCall& call, int32_t lowest, int32_t highest, PrimaryChange (*change)(int32_t)) {
    const int32_t value = call.integer(1, 0);
    if (value < lowest || value > highest) return kBadArgument;
    SoundXtra& xtra = XtraOf(call);
    Status status = kOk;
    // Without a device or a primary buffer there is no output format to change.
    if (xtra.currentDevice != nullptr && xtra.currentDevice->primary != nullptr) {
        const PrimaryChange parts = change(value);
        status = ChangePrimaryFormat(xtra, xtra.currentDevice->primary, parts.bits, parts.rate, parts.channels);
    }
    return call.finish(status, value);
}

}  // namespace

Status DsGetSampleRate(ScriptCall& call) {
    const WAVEFORMATEX* format = SoundFormat(call);
    return call.finish(kOk, format != nullptr ? static_cast<int32_t>(format->nSamplesPerSec) : 0);
}

// Unlike the other format getters this one leaves lastError as it was.
Status DsGetSampleSize(ScriptCall& call) {
    const WAVEFORMATEX* format = SoundFormat(call);
    call.returnInteger(format != nullptr ? format->wBitsPerSample : 0);
    return kOk;
}

Status DsGetChannelCount(ScriptCall& call) {
    const WAVEFORMATEX* format = SoundFormat(call);
    return call.finish(kOk, format != nullptr ? format->nChannels : 0);
}

Status DsSetSampleRate(ScriptCall& call) {
    return SetPrimaryFormat(call, 1, 44100, [](int32_t rate) {
        return PrimaryChange{0, static_cast<uint32_t>(rate), 0};
    });
}

Status DsSetSampleSize(ScriptCall& call) {
    return SetPrimaryFormat(call, 1, 16, [](int32_t bits) { return PrimaryChange{static_cast<uint16_t>(bits), 0, 0}; });
}

Status DsSetChannelCount(ScriptCall& call) {
    return SetPrimaryFormat(call, 1, 2, [](int32_t channels) {
        return PrimaryChange{0, 0, static_cast<uint16_t>(channels)};
    });
}

}  // namespace sonidrax
