#include "control/mode_symbols.h"

namespace sonidrax {

namespace {

struct ModeName {
    const char* name;
    DWORD mode;
};

// In the order the setter compares them.
constexpr ModeName kModeNames[] = {
    {"dsDisable", DS3DMODE_DISABLE},
    {"dsListenerRelative", DS3DMODE_HEADRELATIVE},
    {"dsNormal", DS3DMODE_NORMAL},
};

}  // namespace

Status ModeOfSymbol(const ScriptInstance& instance, Symbol symbol, DWORD* mode) {
    HostValues* values = instance.hostValues;
    for (const ModeName& entry : kModeNames) {
        Symbol named = 0;
        const Status status = values->ops->StringToSymbol(values, entry.name, &named);
        if (status != kOk) return status;
        if (named == symbol) {
            *mode = entry.mode;
            return kOk;
        }
    }
    return kBadArgument;
}

Status SymbolOfMode(const ScriptInstance& instance, DWORD mode, Symbol* symbol) {
    for (const ModeName& entry : kModeNames) {
        if (entry.mode == mode)
            return instance.hostValues->ops->StringToSymbol(instance.hostValues, entry.name, symbol);
    }
    return kBadArgument;
}

}  // namespace sonidrax
