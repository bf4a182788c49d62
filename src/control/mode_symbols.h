// The 3D processing modes as scripts name them: #dsNormal, #dsListenerRelative, #dsDisable.
#pragma once

#include <dsound.h>

#include "frame/script_instance.h"
#include "frame/status.h"

namespace sonidrax {

// The mode that a symbol names; 0x800407D8 for a symbol that names none, or the
// host's status when it cannot make the symbols to compare with.
Status ModeOfSymbol(const ScriptInstance& instance, Symbol symbol, DWORD* mode);

// The symbol of a mode, made from the very name that ModeOfSymbol compares with,
// so that the answer goes back into dsSet3DMode whatever the host makes of a
// leading "#". 0x800407D8 for a mode that has no name.
Status SymbolOfMode(const ScriptInstance& instance, DWORD mode, Symbol* symbol);

}  // namespace sonidrax
