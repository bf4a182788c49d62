#include "engine/engine_handlers.h"

namespace sonidrax {

// The last script error code; asking does not change it.
Status DsGetError(ScriptCall& call) {
    call.returnInteger(call.instance().lastError);
    return kOk;
}

}  // namespace sonidrax
