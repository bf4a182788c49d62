// The scripting interface of a SoundXtra instance: its operation table and Call.
#pragma once

#include <dsound.h>

#include "frame/interface_object.h"
#include "frame/method_table.h"

namespace sonidrax {

class SoundBuffer;
struct SoundXtra;

using HandlerSlotFn = Status(__stdcall*)(InterfaceObject* self, CallInfo* call);

// Slot order: the COM operations and Call, the internal operations the handlers
// share, then one slot per distinct handler in method-table order.
struct ScriptObjectOps {
    Status(__stdcall* queryInterface)(InterfaceObject* self, const GUID* iid, void** out);
    ULONG(__stdcall* addRef)(InterfaceObject* self);
    ULONG(__stdcall* release)(InterfaceObject* self);
    Status(__stdcall* call)(InterfaceObject* self, CallInfo* call);                                     // 3
    IDirectSound3DListener*(__stdcall* getListener)(InterfaceObject* self);                             // 4
    Status(__stdcall* returnVector)(InterfaceObject* self, CallInfo* call, float x, float y, float z);  // 5
    Status(__stdcall* readVectorArgument)(InterfaceObject* self, CallInfo* call, int32_t n, float* x, float* y,
                                          float* z);                                      // 6
    HandlerSlotFn openFileDialog;                                                         // 7
    HandlerSlotFn saveFileDialog;                                                         // 8
    HandlerSlotFn prefsDialog;                                                            // 9
    SoundBuffer*(__stdcall* findSound)(InterfaceObject* self, const ScriptValue* id);     // 10
    void(__stdcall* addSound)(InterfaceObject* self, SoundBuffer* sound);                 // 11
    Status(__stdcall* newSound)(InterfaceObject* self, CallInfo* call, int32_t reverse);  // 12
    HandlerSlotFn handlers[kHandlerCount - 1];                                            // 13 on
};

extern const ScriptObjectOps kScriptObjectOps;

Status CreateScriptInterface(void* instance, void** out);

inline SoundXtra& XtraOf(InterfaceObject* self) { return *static_cast<SoundXtra*>(self->outer); }

}  // namespace sonidrax
