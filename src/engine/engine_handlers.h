// The handlers of the instance itself: making, duplicating and deleting sounds,
// the output devices, and the last error. Each reads its arguments and writes its
// result through a ScriptCall, and answers a status.
#pragma once

#include "frame/script_call.h"

namespace sonidrax {

Status DsNewSound(ScriptCall& call, int32_t reverse);
Status DsDuplicateSound(ScriptCall& call);
Status DsDeleteSound(ScriptCall& call);
Status DsDeleteAllSounds(ScriptCall& call);
Status DsGetDevices(ScriptCall& call);
Status DsSetDevice(ScriptCall& call);
Status DsGetError(ScriptCall& call);

}  // namespace sonidrax
