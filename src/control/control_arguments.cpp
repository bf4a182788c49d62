#include "control/control_arguments.h"

#include <cmath>

#include "engine/sound_table.h"
#include "sounds/sound_buffer.h"

namespace sonidrax {

SoundBuffer* SoundArgument(ScriptCall& call) { return FindSound(XtraOf(call), call.argument(1)); }

IDirectSound3DBuffer* Sound3DArgument(ScriptCall& call) {
    const SoundBuffer* sound = SoundArgument(call);
    return sound != nullptr ? sound->Buffer3D() : nullptr;
}

Status NumberArgument(const ScriptCall& call, int32_t position, double* out) {
    const ScriptValue* argument = call.argument(position);
    if (argument == nullptr) return kBadArgument;
    HostValues* values = call.instance().hostValues;
    double number = 0.0;
    const Status status = values->ops->ToFloat(values, argument, &number);
    if (status != kOk) return status;
    // DirectSound takes factors, distances and pitches as plain numbers; an infinity
    // or a NaN has no meaning there.
    if (!std::isfinite(number)) return kBadArgument;
    *out = number;
    return kOk;
}

}  // namespace sonidrax
