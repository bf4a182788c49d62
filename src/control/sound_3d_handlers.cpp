// A sound's place in 3D space: processing mode, position, velocity and cone
// orientation. A sound made without 3D ignores these calls. None of them touches
// lastError: argument errors go back to the host as the call's status. Setters pass
// the instance's apply mode, so that queued changes wait for dsCommitSettings.
#include "control/control_arguments.h"
#include "control/mode_symbols.h"
#include "control/control_handlers.h"

namespace sonidrax {

namespace {

using VectorGetter = HRESULT (STDMETHODCALLTYPE IDirectSound3DBuffer::*)(D3DVECTOR*);
using VectorSetter = HRESULT (STDMETHODCALLTYPE IDirectSound3DBuffer::*)(D3DVALUE, D3DVALUE, D3DVALUE, DWORD);

// The vector is argument number 3: after `me` and the sound id.
constexpr int32_t kVectorArgument = 3;

Status GetVector(ScriptCall& call, VectorGetter get) {
    IDirectSound3DBuffer* buffer3D = Sound3DArgument(call);
    if (buffer3D == nullptr) return kOk;
    D3DVECTOR vector{};
    if (FAILED((buffer3D->*get)(&vector))) return kOk;
    return ReturnVector(call.instance(), call.info(), vector.x, vector.y, vector.z);
}

Status SetVector(ScriptCall& call, VectorSetter set) {
    IDirectSound3DBuffer* buffer3D = Sound3DArgument(call);
    if (buffer3D == nullptr) return kOk;
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    const Status status = ReadVectorArgument(call.instance(), call.info(), kVectorArgument, &x, &y, &z);
    if (status != kOk) return status;
    (buffer3D->*set)(x, y, z, XtraOf(call).applyMode);
    return kOk;
}

}  // namespace

Status DsGet3DMode(ScriptCall& call) {
    IDirectSound3DBuffer* buffer3D = Sound3DArgument(call);
    if (buffer3D == nullptr) return kOk;
    DWORD mode = 0;
    if (FAILED(buffer3D->GetMode(&mode))) return kOk;
    Symbol symbol = 0;
    if (SymbolOfMode(call.instance(), mode, &symbol) != kOk) return kOk;
    call.returnSymbol(symbol);
    return kOk;
}

Status DsSet3DMode(ScriptCall& call) {
    IDirectSound3DBuffer* buffer3D = Sound3DArgument(call);
    if (buffer3D == nullptr) return kOk;
    const ScriptValue* argument = call.argument(2);
    if (argument == nullptr) return kBadArgument;
    HostValues* values = call.instance().hostValues;
    Symbol symbol = 0;
    Status status = values->ops->ToSymbol(values, argument, &symbol);
    if (status != kOk) return status;
    DWORD mode = DS3DMODE_NORMAL;
    status = ModeOfSymbol(call.instance(), symbol, &mode);
    if (status != kOk) return status;
    buffer3D->SetMode(mode, XtraOf(call).applyMode);
    return kOk;
}

Status DsGet3DPosition(ScriptCall& call) { return GetVector(call, &IDirectSound3DBuffer::GetPosition); }
Status DsSet3DPosition(ScriptCall& call) { return SetVector(call, &IDirectSound3DBuffer::SetPosition); }
Status DsGetVelocity(ScriptCall& call) { return GetVector(call, &IDirectSound3DBuffer::GetVelocity); }
Status DsSetVelocity(ScriptCall& call) { return SetVector(call, &IDirectSound3DBuffer::SetVelocity); }
Status DsGetOrientation(ScriptCall& call) { return GetVector(call, &IDirectSound3DBuffer::GetConeOrientation); }
Status DsSetOrientation(ScriptCall& call) { return SetVector(call, &IDirectSound3DBuffer::SetConeOrientation); }

}  // namespace sonidrax
