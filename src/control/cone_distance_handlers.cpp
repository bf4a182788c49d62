// A 3D sound's cone (outside volume, inside and outside angles) and its minimum
// and maximum distance. Like the other 3D calls these ignore a sound made without
// 3D, leave lastError alone and pass the instance's apply mode.
#include "control/control_arguments.h"
#include "control/control_handlers.h"
#include "sounds/sound_buffer.h"

namespace sonidrax {

namespace {

// Outside the cone a sound is attenuated by a level of 0 (not at all) to 255
// (-80 dB); the level scale has no meaning beyond that.
constexpr int32_t kHighestOutsideLevel = 255;

using DistanceGetter = HRESULT (STDMETHODCALLTYPE IDirectSound3DBuffer::*)(D3DVALUE*);
using DistanceSetter = HRESULT (STDMETHODCALLTYPE IDirectSound3DBuffer::*)(D3DVALUE, DWORD);

Status GetDistance(ScriptCall& call, DistanceGetter get) {
    IDirectSound3DBuffer* buffer3D = Sound3DArgument(call);
    if (buffer3D == nullptr) return kOk;
    D3DVALUE distance = 0.0f;
    if (FAILED((buffer3D->*get)(&distance))) return kOk;
    call.returnFloat(distance);
    return kOk;
}

Status SetDistance(ScriptCall& call, DistanceSetter set) {
    IDirectSound3DBuffer* buffer3D = Sound3DArgument(call);
    if (buffer3D == nullptr) return kOk;
    double distance = 0.0;
    const Status status = NumberArgument(call, 2, &distance);
    if (status != kOk) return status;
    (buffer3D->*set)(static_cast<D3DVALUE>(distance), XtraOf(call).applyMode);
    return kOk;
}

// Which of the two cone angles a getter answers.
Status GetAngle(ScriptCall& call, bool inside) {
    IDirectSound3DBuffer* buffer3D = Sound3DArgument(call);
    if (buffer3D == nullptr) return kOk;
    DWORD insideAngle = 0;
    DWORD outsideAngle = 0;
    if (FAILED(buffer3D->GetConeAngles(&insideAngle, &outsideAngle))) return kOk;
    call.returnInteger(static_cast<int32_t>(inside ? insideAngle : outsideAngle));
    return kOk;
}

}  // namespace

Status DsGetOutsideVolume(ScriptCall& call) {
    IDirectSound3DBuffer* buffer3D = Sound3DArgument(call);
    if (buffer3D == nullptr) return kOk;
    LONG attenuation = 0;
    if (FAILED(buffer3D->GetConeOutsideVolume(&attenuation))) return kOk;
    call.returnInteger(-DbToLevel(attenuation));
    return kOk;
}

// A level outside 0..255 is refused before the sound is looked at.
Status DsSetOutsideVolume(ScriptCall& call) {
    const int32_t level = call.integer(2, 0);
    if (level < 0 || level > kHighestOutsideLevel) return kBadArgument;
    IDirectSound3DBuffer* buffer3D = Sound3DArgument(call);
    if (buffer3D == nullptr) return kOk;
    buffer3D->SetConeOutsideVolume(-LevelToDb(level), XtraOf(call).applyMode);
    return kOk;
}

Status DsGetInsideAngle(ScriptCall& call) { return GetAngle(call, true); }
Status DsGetOutsideAngle(ScriptCall& call) { return GetAngle(call, false); }

// DirectSound refuses an inside angle wider than the outside one, or beyond 360
// degrees; the script is not told.
Status DsSetAngles(ScriptCall& call) {
    IDirectSound3DBuffer* buffer3D = Sound3DArgument(call);
    if (buffer3D == nullptr) return kOk;
    const int32_t inside = call.integer(2, 0);
    const int32_t outside = call.integer(3, 0);
    buffer3D->SetConeAngles(static_cast<DWORD>(inside), static_cast<DWORD>(outside), XtraOf(call).applyMode);
    return kOk;
}

Status DsGetMinDistance(ScriptCall& call) { return GetDistance(call, &IDirectSound3DBuffer::GetMinDistance); }
Status DsSetMinDistance(ScriptCall& call) { return SetDistance(call, &IDirectSound3DBuffer::SetMinDistance); }
Status DsGetMaxDistance(ScriptCall& call) { return GetDistance(call, &IDirectSound3DBuffer::GetMaxDistance); }
Status DsSetMaxDistance(ScriptCall& call) { return SetDistance(call, &IDirectSound3DBuffer::SetMaxDistance); }

}  // namespace sonidrax
