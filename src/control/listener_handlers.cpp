// The device's 3D listener (position, velocity, orientation, roll-off, Doppler and
// distance factor) and the switch between immediate and deferred 3D changes.
// Without a listener these calls do nothing; none of them touches lastError.
#include "control/control_arguments.h"
#include "engine/sound_engine.h"
#include "control/control_handlers.h"

namespace sonidrax {

namespace {

using VectorGetter = HRESULT (STDMETHODCALLTYPE IDirectSound3DListener::*)(D3DVECTOR*);
using VectorSetter = HRESULT (STDMETHODCALLTYPE IDirectSound3DListener::*)(D3DVALUE, D3DVALUE, D3DVALUE, DWORD);
using FactorGetter = HRESULT (STDMETHODCALLTYPE IDirectSound3DListener::*)(D3DVALUE*);
using FactorSetter = HRESULT (STDMETHODCALLTYPE IDirectSound3DListener::*)(D3DVALUE, DWORD);

// There is no sound id: the first argument after `me` is argument number 2.
constexpr int32_t kFirstVectorArgument = 2;
constexpr int32_t kSecondVectorArgument = 3;

Status GetVector(ScriptCall& call, VectorGetter get) {
    IDirectSound3DListener* listener = GetListener(XtraOf(call));
    if (listener == nullptr) return kOk;
    D3DVECTOR vector{};
    if (FAILED((listener->*get)(&vector))) return kOk;
    return ReturnVector(call.instance(), call.info(), vector.x, vector.y, vector.z);
}

Status SetVector(ScriptCall& call, VectorSetter set) {
    IDirectSound3DListener* listener = GetListener(XtraOf(call));
    if (listener == nullptr) return kOk;
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    const Status status = ReadVectorArgument(call.instance(), call.info(), kFirstVectorArgument, &x, &y, &z);
    if (status != kOk) return status;
    (listener->*set)(x, y, z, XtraOf(call).applyMode);
    return kOk;
}

Status GetFactor(ScriptCall& call, FactorGetter get) {
    IDirectSound3DListener* listener = GetListener(XtraOf(call));
    if (listener == nullptr) return kOk;
    D3DVALUE factor = 0.0f;
    if (FAILED((listener->*get)(&factor))) return kOk;
    call.returnFloat(factor);
    return kOk;
}

// The factor may come as an integer or a float.
Status SetFactor(ScriptCall& call, FactorSetter set) {
    IDirectSound3DListener* listener = GetListener(XtraOf(call));
    if (listener == nullptr) return kOk;
    double factor = 0.0;
    const Status status = NumberArgument(call, 1, &factor);
    if (status != kOk) return status;
    (listener->*set)(static_cast<D3DVALUE>(factor), XtraOf(call).applyMode);
    return kOk;
}

// Which of the two orientation vectors a getter answers.
Status GetOrientation(ScriptCall& call, bool front) {
    IDirectSound3DListener* listener = GetListener(XtraOf(call));
    if (listener == nullptr) return kOk;
    D3DVECTOR frontVector{};
    D3DVECTOR topVector{};
    if (FAILED(listener->GetOrientation(&frontVector, &topVector))) return kOk;
    const D3DVECTOR& v = front ? frontVector : topVector;
    return ReturnVector(call.instance(), call.info(), v.x, v.y, v.z);
}

}  // namespace

Status DsQueueSettings(ScriptCall& call) {
    XtraOf(call).applyMode = DS3D_DEFERRED;
    return kOk;
}

// Back to immediate changes first, so that later changes apply at once even when
// the commit fails or there is no listener to commit through.
Status DsCommitSettings(ScriptCall& call) {
    XtraOf(call).applyMode = DS3D_IMMEDIATE;
    if (IDirectSound3DListener* listener = GetListener(XtraOf(call))) listener->CommitDeferredSettings();
    return kOk;
}

Status DsGetListenerPosition(ScriptCall& call) { return GetVector(call, &IDirectSound3DListener::GetPosition); }
Status DsSetListenerPosition(ScriptCall& call) { return SetVector(call, &IDirectSound3DListener::SetPosition); }
Status DsGetListenerVelocity(ScriptCall& call) { return GetVector(call, &IDirectSound3DListener::GetVelocity); }
Status DsSetListenerVelocity(ScriptCall& call) { return SetVector(call, &IDirectSound3DListener::SetVelocity); }
Status DsGetListenerOrientationFront(ScriptCall& call) { return GetOrientation(call, true); }
Status DsGetListenerOrientationTop(ScriptCall& call) { return GetOrientation(call, false); }

// Both vectors are read before anything is set; the first that fails ends the call.
Status DsSetListenerOrientation(ScriptCall& call) {
    IDirectSound3DListener* listener = GetListener(XtraOf(call));
    if (listener == nullptr) return kOk;
    D3DVECTOR front{};
    D3DVECTOR top{};
    Status status =
        ReadVectorArgument(call.instance(), call.info(), kFirstVectorArgument, &front.x, &front.y, &front.z);
    if (status != kOk) return status;
    status = ReadVectorArgument(call.instance(), call.info(), kSecondVectorArgument, &top.x, &top.y, &top.z);
    if (status != kOk) return status;
    listener->SetOrientation(front.x, front.y, front.z, top.x, top.y, top.z, XtraOf(call).applyMode);
    return kOk;
}

Status DsGetRolloff(ScriptCall& call) { return GetFactor(call, &IDirectSound3DListener::GetRolloffFactor); }
Status DsSetRolloff(ScriptCall& call) { return SetFactor(call, &IDirectSound3DListener::SetRolloffFactor); }
Status DsGetDoppler(ScriptCall& call) { return GetFactor(call, &IDirectSound3DListener::GetDopplerFactor); }
Status DsSetDoppler(ScriptCall& call) { return SetFactor(call, &IDirectSound3DListener::SetDopplerFactor); }
Status DsGetDistanceFactor(ScriptCall& call) { return GetFactor(call, &IDirectSound3DListener::GetDistanceFactor); }
Status DsSetDistanceFactor(ScriptCall& call) { return SetFactor(call, &IDirectSound3DListener::SetDistanceFactor); }

}  // namespace sonidrax
