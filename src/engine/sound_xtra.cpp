#include "engine/sound_xtra.h"

#include <cstring>
#include <new>

#include "decoder/file_input.h"
#include "engine/sound_engine.h"
#include "frame/status.h"
#include "mpeg/mpeg_codec.h"

namespace sonidrax {

namespace {

template <typename Service>
Service* QueryService(HostCallback* callback, const GUID& iid) {
    void* service = nullptr;
    // A host that lacks a service answers null; its status is not needed here.
    callback->ops->QueryInterface(callback, &iid, &service);
    return static_cast<Service*>(service);
}

template <typename Service>
void ReleaseService(Service*& service) {
    if (service != nullptr) service->ops->Release(service);
    service = nullptr;
}

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
    : header(filledHeader),
      hostAppInfo(QueryService<HostAppInfo>(filledHeader.callback, kIidHostAppInfo)),
      hostValues(QueryService<HostValues>(filledHeader.callback, kIidHostValues)),
      hostMessages(QueryService<HostMessages>(filledHeader.callback, kIidHostMessages)),
      hostLists(QueryService<HostLists>(filledHeader.callback, kIidHostLists)),
      hostWindow(QueryService<HostWindow>(filledHeader.callback, kIidHostWindow)),
      hostPlayer(QueryService<HostPlayer>(filledHeader.callback, kIidHostPlayer)),
      hostMedia(QueryService<HostMedia>(filledHeader.callback, kIidHostMedia)),
      hostMemberRefs(QueryService<HostMemberRefs>(filledHeader.callback, kIidHostMemberRefs)),
      mainWindow(nullptr),
      appInstance(nullptr),
      quickTimeReady(false),
      movieToolboxStarted(false),
      inPlugin(true),
      dialogsAllowed(false),
      lastError(0),
      sounds(nullptr),
      deviceList(nullptr),
      currentDevice(nullptr),
      applyMode(0),
      dialogTimer(0),
      fileInputModule{},
      codecModule{} {}

SoundXtra::~SoundXtra() {
    StopSoundEngine(*this);
    ReleaseService(hostAppInfo);
    ReleaseService(hostValues);
    ReleaseService(hostMessages);
    ReleaseService(hostLists);
    ReleaseService(hostWindow);
    ReleaseService(hostPlayer);
    ReleaseService(hostMedia);
    ReleaseService(hostMemberRefs);
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
    xtra->lastError = MapHostError(result);
    return result;
}

Status __stdcall SoundXtraDestroy(void* instance) {
    static_cast<SoundXtra*>(instance)->~SoundXtra();
    return 0;
}

}  // namespace sonidrax
