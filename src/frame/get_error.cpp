#include "frame/handlers.h"

namespace sonidrax {

// The last script error code; asking does not change it.
Status DsGetError(ScriptCall& call) {
    call.returnInteger(call.xtra().lastError);
    return kOk;
}

}  // namespace sonidrax
