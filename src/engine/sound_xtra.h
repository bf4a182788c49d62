// The script instance: the host's header and services followed by the engine's state.
#pragma once

#include <windows.h>

#include "decoder/modules.h"
#include "frame/script_call.h"
#include "frame/script_instance.h"
#include "media/movie_service.h"

namespace sonidrax {

class SoundBuffer;
struct OutputDevice;

struct SoundXtra : ScriptInstance {
    HWND mainWindow;
    HINSTANCE appInstance;
    bool quickTimeReady;       // the movie service started with the instance and may be tried
    bool movieToolboxStarted;  // its movie services run (started on first need)
    bool inPlugin;             // file names are used as given, not resolved by the host
    bool dialogsAllowed;       // always the opposite of inPlugin

    SoundBuffer* sounds;  // first sound of the table's chain
    OutputDevice* deviceList;
    OutputDevice* currentDevice;
    uint32_t applyMode;    // DS3D_IMMEDIATE (0) or DS3D_DEFERRED (1)
    uint32_t dialogTimer;  // the movie timer of an open dialog, 0 when none
    // What every streamed sound registers with its own decoder, filled once.
    decoder::InputModule fileInputModule;
    decoder::CodecModule codecModule;
    media::MovieService* movieService;  // the one started with the instance, null when none

    explicit SoundXtra(const HostHeader& filledHeader);
    ~SoundXtra();
};

// The instance a handler's call was made on: every script call reaches the
// handlers through a SoundXtra's script interface.
inline SoundXtra& XtraOf(const ScriptCall& call) { return static_cast<SoundXtra&>(call.instance()); }

// The class table's create and destroy functions for the script-instance class.
Status __stdcall SoundXtraCreate(void* instance);
Status __stdcall SoundXtraDestroy(void* instance);

}  // namespace sonidrax
