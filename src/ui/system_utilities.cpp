// The keyboard, the clock and the application's place on screen, for scripts.
#include "ui/ui_handlers.h"

namespace sonidrax {

namespace {

constexpr int32_t kLowerA = 97;
constexpr int32_t kLowerZ = 122;
constexpr int32_t kLowerToUpper = 32;
constexpr SHORT kKeyDownBit = static_cast<SHORT>(0x8000);

}  // namespace

// [day, month, year] of the local date; lastError is left alone.
Status DsGetDate(ScriptCall& call) {
    const ScriptInstance& instance = call.instance();
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    ScriptValue& list = call.info().result;
    instance.hostLists->ops->NewList(instance.hostLists, &list);
    const int32_t parts[] = {now.wDay, now.wMonth, now.wYear};
    for (int32_t i = 0; i < 3; ++i) {
        ScriptValue part = {};
        instance.hostValues->ops->FromInteger(instance.hostValues, parts[i], &part);
        instance.hostLists->ops->SetAt(instance.hostLists, &list, i + 1, &part);
    }
    return kOk;
}

// Letters may be given in lower case; their virtual-key codes are the upper-case ones.
Status DsKeyState(ScriptCall& call) {
    int32_t key = call.integer(0, 1);
    if (key >= kLowerA && key <= kLowerZ) key -= kLowerToUpper;
    const bool down = (GetKeyState(key) & kKeyDownBit) != 0;
    return call.finish(kOk, down ? 1 : 0);
}

// The host is taken to be in front whenever it calls.
Status DsAppIsForeground(ScriptCall& call) { return call.finish(kOk, 1); }

}  // namespace sonidrax
