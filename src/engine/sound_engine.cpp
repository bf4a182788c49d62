#include "engine/sound_engine.h"

#include <cstring>

#include "engine/direct_sound_api.h"
#include "engine/output_device.h"
#include "engine/sound_table.h"
#include "frame/messages.h"
#include "frame/script_call.h"
#include "frame/status.h"

namespace sonidrax {

namespace {

constexpr Status kNoDirectSound = -5;

// The primary buffer description without the 3D algorithm field that older
// DirectSound versions do not know (20 bytes in the 32-bit plug-in).
constexpr DWORD kLegacyDescriptionSize = sizeof(DSBUFFERDESC1);
constexpr DWORD kPrimaryFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D;

template <typename Interface>
void ReleaseInterface(Interface*& object) {
    if (object != nullptr) object->Release();
    object = nullptr;
}

OutputDevice* NewDeviceRecord(const SoundXtra& xtra) {
    auto* device = static_cast<OutputDevice*>(xtra.Allocate(sizeof(OutputDevice)));
    if (device != nullptr) *device = OutputDevice{};
    return device;
}

void AppendDevice(SoundXtra& xtra, OutputDevice* device) {
    OutputDevice** link = &xtra.deviceList;
    while (*link != nullptr) link = &(*link)->next;
    *link = device;
}

char* CopyText(const SoundXtra& xtra, const char* text) {
    const size_t size = std::strlen(text) + 1;
    auto* copy = static_cast<char*>(xtra.Allocate(static_cast<uint32_t>(size)));
    if (copy != nullptr) std::memcpy(copy, text, size);
    return copy;
}

void FreeDevice(const SoundXtra& xtra, OutputDevice* device) {
    xtra.Free(device->description);
    xtra.Free(device->module);
    ReleaseInterface(device->listener);
    ReleaseInterface(device->primary);
    ReleaseInterface(device->directSound);
    xtra.Free(device->guid);
    xtra.Free(device);
}

// Fills a device record from one enumeration entry; false (and nothing kept)
// when memory runs out.
bool DescribeDevice(const SoundXtra& xtra, OutputDevice* device, const GUID* guid, const char* description,
                    const char* module) {
    if (guid != nullptr) {
        device->guid = static_cast<GUID*>(xtra.Allocate(sizeof(GUID)));
        if (device->guid == nullptr) return false;
        *device->guid = *guid;
    }
    if (description != nullptr && (device->description = CopyText(xtra, description)) == nullptr) return false;
    if (module != nullptr && (device->module = CopyText(xtra, module)) == nullptr) return false;
    return true;
}

BOOL CALLBACK AddEnumeratedDevice(GUID* guid, const char* description, const char* module, void* context) {
    auto& xtra = *static_cast<SoundXtra*>(context);
    OutputDevice* device = NewDeviceRecord(xtra);
    if (device == nullptr) return FALSE;
    if (!DescribeDevice(xtra, device, guid, description, module)) {
        FreeDevice(xtra, device);
        return FALSE;
    }
    AppendDevice(xtra, device);
    return TRUE;
}

Status EnumerateDevices(SoundXtra& xtra) {
    HRESULT result = CurrentDirectSoundApi().enumerate(AddEnumeratedDevice, &xtra);
    return FAILED(result) ? kEnumerationFailed : kOk;
}

Status SetUpPrimaryBuffer(SoundXtra& xtra, OutputDevice& device, HWND window) {
    if (FAILED(device.directSound->SetCooperativeLevel(window, DSSCL_PRIORITY))) return kDeviceRefused;
    DSBUFFERDESC description = {};
    description.dwSize = kLegacyDescriptionSize;
    description.dwFlags = kPrimaryFlags;
    if (FAILED(device.directSound->CreateSoundBuffer(&description, &device.primary, nullptr))) {
        device.primary = nullptr;
        return kDeviceRefused;
    }
    ChangePrimaryFormat(xtra, device.primary, 16, 44100, 2);
    return kOk;
}

// Creates the DirectSound object of a record; false leaves the record without one.
bool OpenDevice(OutputDevice& device) {
    IDirectSound* directSound = nullptr;
    if (FAILED(CurrentDirectSoundApi().create(device.guid, &directSound, nullptr)) || directSound == nullptr) {
        return false;
    }
    device.directSound = directSound;
    return true;
}

OutputDevice* FindDevice(const SoundXtra& xtra, const char* name) {
    for (OutputDevice* device = xtra.deviceList; device != nullptr; device = device->next) {
        if (name[0] == '\0' ? device->description == nullptr
                            : device->description != nullptr && lstrcmpA(device->description, name) == 0) {
            return device;
        }
    }
    return nullptr;
}

}  // namespace

Status StartSoundEngine(SoundXtra& xtra) {
    xtra.applyMode = DS3D_IMMEDIATE;
    xtra.deviceList = nullptr;
    OutputDevice* device = NewDeviceRecord(xtra);
    if (device != nullptr && OpenDevice(*device)) {
        AppendDevice(xtra, device);
    } else {
        xtra.Free(device);
        device = nullptr;
    }
    xtra.currentDevice = device;
    if (device == nullptr) {
        ShowMessage(xtra, messages::kInitFailed);
        return kNoDirectSound;
    }
    SetUpPrimaryBuffer(xtra, *device, xtra.mainWindow);
    EnumerateDevices(xtra);
    return kOk;
}

void StopSoundEngine(SoundXtra& xtra) {
    DeleteAllSounds(xtra);
    while (OutputDevice* device = xtra.deviceList) {
        xtra.deviceList = device->next;
        FreeDevice(xtra, device);
    }
    xtra.currentDevice = nullptr;
}

IDirectSound3DListener* GetListener(SoundXtra& xtra) {
    OutputDevice* device = xtra.currentDevice;
    if (device == nullptr || device->primary == nullptr) return nullptr;
    if (device->listener == nullptr) {
        void* listener = nullptr;
        if (SUCCEEDED(device->primary->QueryInterface(IID_IDirectSound3DListener, &listener))) {
            device->listener = static_cast<IDirectSound3DListener*>(listener);
        }
    }
    return device->listener;
}

OutputDevice* SelectDevice(SoundXtra& xtra, const char* name, HWND window) {
    OutputDevice* device = FindDevice(xtra, name);
    if (device == nullptr) return nullptr;
    if (device->directSound == nullptr) {
        if (!OpenDevice(*device)) return nullptr;
        if (SetUpPrimaryBuffer(xtra, *device, window) != kOk) {
            ReleaseInterface(device->directSound);
            return nullptr;
        }
    }
    xtra.currentDevice = device;
    return device;
}

SoundContext SoundContextOf(const SoundXtra& xtra) {
    const OutputDevice* device = xtra.currentDevice;
    return SoundContext{xtra.allocator(), xtra.hostMessages, device != nullptr ? device->directSound : nullptr,
                        xtra.movieService};
}

Status ChangePrimaryFormat(SoundXtra& xtra, IDirectSoundBuffer* primary, uint16_t bits, uint32_t rate,
                           uint16_t channels) {
    DWORD size = 0;
    primary->GetFormat(nullptr, 0, &size);
    // The block is never smaller than the fields written below, whatever the driver says.
    if (size < sizeof(WAVEFORMATEX)) size = sizeof(WAVEFORMATEX);
    auto* format = static_cast<WAVEFORMATEX*>(xtra.Allocate(size));
    if (format == nullptr) return kOutOfMemory;
    std::memset(format, 0, size);
    // A format that cannot be read is not replaced by one built from nothing.
    if (SUCCEEDED(primary->GetFormat(format, size, nullptr))) {
        if (bits != 0) format->wBitsPerSample = bits;
        if (rate != 0) format->nSamplesPerSec = rate;
        if (channels != 0) format->nChannels = channels;
        format->nBlockAlign = static_cast<WORD>(format->nChannels * (format->wBitsPerSample / 8));
        format->nAvgBytesPerSec = format->nSamplesPerSec * format->nBlockAlign;
        primary->SetFormat(format);
    }
    xtra.Free(format);
    return kOk;
}

}  // namespace sonidrax
