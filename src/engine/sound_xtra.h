// The script instance: the host's header followed by the engine's state.
#pragma once

#include "decoder/modules.h"
#include "frame/host_interfaces.h"

namespace sonidrax {

class SoundBuffer;
struct OutputDevice;

struct SoundXtra {
    HostHeader header;

    // Host services, acquired at creation and released at destruction in this order.
    HostAppInfo* hostAppInfo;
    HostValues* hostValues;
    HostMessages* hostMessages;
    HostLists* hostLists;
    HostWindow* hostWindow;
    HostPlayer* hostPlayer;
    HostMedia* hostMedia;
    HostMemberRefs* hostMemberRefs;

    HWND mainWindow;
    HINSTANCE appInstance;
    bool quickTimeReady;
    bool movieToolboxStarted;
    bool inPlugin;        // file names are used as given, not resolved by the host
    bool dialogsAllowed;  // always the opposite of inPlugin
    int32_t lastError;

    SoundBuffer* sounds;  // first sound of the table's chain
    OutputDevice* deviceList;
    OutputDevice* currentDevice;
    uint32_t applyMode;  // DS3D_IMMEDIATE (0) or DS3D_DEFERRED (1)
    uint32_t dialogTimer;
    // What every streamed sound registers with its own decoder, filled once.
    decoder::InputModule fileInputModule;
    decoder::CodecModule codecModule;

    explicit SoundXtra(const HostHeader& filledHeader);
    ~SoundXtra();

    SoundXtra(const SoundXtra&) = delete;
    SoundXtra& operator=(const SoundXtra&) = delete;

    HostAllocator* allocator() const { return header.allocator; }
    void* Allocate(uint32_t byteCount) const { return header.allocator->ops->Alloc(header.allocator, byteCount); }
    void Free(void* block) const {
        if (block != nullptr) header.allocator->ops->Free(header.allocator, block);
    }
};

// The class table's create and destroy functions for the script-instance class.
Status __stdcall SoundXtraCreate(void* instance);
Status __stdcall SoundXtraDestroy(void* instance);

}  // namespace sonidrax
