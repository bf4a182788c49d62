#include "engine/sound_xtra.h"

#include <cstring>
#include <new>

#include "decoder/file_input.h"
#include "engine/movie_services.h"
#include "engine/sound_engine.h"
#include "frame/status.h"
#include "mpeg_codec.h"

namespace sonidrax {

namespace {

// Asks the host what kind of application runs the movie; anything but "plugin"
// lets file names be resolved and dialogs be shown.
Status ReadApplicationKind(SoundXtra& xtra) {
    if (xtra.hostAppInfo == nullptr) return kOk;
    char kind[32] = {};
    Status status = xtra.hostAppInfo->ops->GetProperty(xtra.hostAppInfo, kAppPropertyKind, kind, sizeof kind);
    kind[sizeof kind - 1] = '\0';
    if (status == 0 && lstrcmpiA(kind, "plugin") != 0) {
        xtra.inPlugin = false;
        xtra.dialogsAllowed = true;
    }
    return status;
}

}  // namespace

SoundXtra::SoundXtra(const HostHeader& filledHeader)
    : ScriptInstance(filledHeader), mainWindow(nullptr), appInstance(nullptr), quickTimeReady(false),
      movieToolboxStarted(false), inPlugin(true), dialogsAllowed(false), sounds(nullptr), deviceList(nullptr),
      currentDevice(nullptr), applyMode(0), dialogTimer(0), fileInputModule{}, codecModule{}, movieService(nullptr) {}

// The host services are released after this, by the ScriptInstance part.
SoundXtra::~SoundXtra() {
    StopSoundEngine(*this);
    StopMovies(*this);
}

Status __stdcall SoundXtraCreate(void* instance) {
    // The host filled the header before calling us; keep it across construction.
    HostHeader header;
    std::memcpy(&header, instance, sizeof header);
    auto* xtra = new (instance) SoundXtra(header);

    Status result = ReadApplicationKind(*xtra);
    if (xtra->hostWindow != nullptr) {
        xtra->hostWindow->ops->GetWindows(xtra->hostWindow, &xtra->appInstance, &xtra->mainWindow);
    }
    Status engine = StartSoundEngine(*xtra);
    if (engine != kOk) result = engine;
    decoder::GetFileInputModule(&xtra->fileInputModule);
    mpeg::GetMpegCodecModule(&xtra->codecModule);
    // Without DirectSound there is nothing a movie could be heard on.
    if (xtra->currentDevice != nullptr) StartMovies(*xtra);
    xtra->lastError = MapHostError(result);
    return result;
}

Status __stdcall SoundXtraDestroy(void* instance) {
    static_cast<SoundXtra*>(instance)->~SoundXtra();
    return 0;
}

}  // namespace sonidrax
