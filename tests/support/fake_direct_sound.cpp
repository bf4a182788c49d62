#include "fake_direct_sound.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace sonidrax::testing {

namespace {

FakeDirectSoundSystem* current = nullptr;

constexpr BYTE kGuardByte = 0xEE;
constexpr BYTE kUnwrittenByte = 0xCD;  // what a new buffer holds: DirectSound promises nothing
constexpr DWORD kPrimaryBytes = 32768;

bool Same(REFIID a, const GUID& b) { return std::memcmp(&a, &b, sizeof b) == 0; }

std::vector<BYTE> CopyFormat(const WAVEFORMATEX* format) {
    if (format == nullptr) return {};
    size_t size = sizeof(WAVEFORMATEX) + (format->wFormatTag == WAVE_FORMAT_PCM ? 0 : format->cbSize);
    std::vector<BYTE> copy(reinterpret_cast<const BYTE*>(format), reinterpret_cast<const BYTE*>(format) + size);
    if (format->wFormatTag == WAVE_FORMAT_PCM) reinterpret_cast<WAVEFORMATEX*>(copy.data())->cbSize = 0;
    return copy;
}

// The checks DirectSound makes on a PCM format.
bool ValidPcm(const WAVEFORMATEX& f) {
    if (f.wFormatTag != WAVE_FORMAT_PCM) return false;
    if (f.nChannels < 1 || f.nChannels > 2) return false;
    if (f.wBitsPerSample != 8 && f.wBitsPerSample != 16) return false;
    if (f.nSamplesPerSec < DSBFREQUENCY_MIN || f.nSamplesPerSec > FakeSoundBuffer::kMaxFrequency) return false;
    if (f.nBlockAlign != f.nChannels * f.wBitsPerSample / 8) return false;
    return f.nAvgBytesPerSec == f.nSamplesPerSec * f.nBlockAlign;
}

const DS3DBUFFER kDefault3DBuffer = {sizeof(DS3DBUFFER),
                                     {},
                                     {},
                                     DS3D_DEFAULTCONEANGLE,
                                     DS3D_DEFAULTCONEANGLE,
                                     {0.0f, 0.0f, 1.0f},
                                     DS3D_DEFAULTCONEOUTSIDEVOLUME,
                                     DS3D_DEFAULTMINDISTANCE,
                                     DS3D_DEFAULTMAXDISTANCE,
                                     DS3DMODE_NORMAL};

const DS3DLISTENER kDefaultListener = {sizeof(DS3DLISTENER),
                                       {},
                                       {},
                                       {0.0f, 0.0f, 1.0f},
                                       {0.0f, 1.0f, 0.0f},
                                       DS3D_DEFAULTDISTANCEFACTOR,
                                       DS3D_DEFAULTROLLOFFFACTOR,
                                       DS3D_DEFAULTDOPPLERFACTOR};

// Objects are numbered from 1 in the order made, as the call records name them.
template <typename Fake, typename Owner, typename... Rest>
Fake* Add(std::vector<std::unique_ptr<Fake>>& list, Owner& owner, Rest&&... rest) {
    list.push_back(std::make_unique<Fake>(owner, static_cast<int>(list.size()) + 1, std::forward<Rest>(rest)...));
    return list.back().get();
}

// A buffer's 3D interface and a device's listener are made once, then shared.
template <typename Fake, typename Owner>
Fake* MadeOrShared(std::vector<std::unique_ptr<Fake>>& list, Fake*& slot, Owner& owner) {
    if (slot == nullptr) return slot = Add(list, owner);
    ++slot->refs;
    return slot;
}

// {5A1D2E3F-0000-4C00-8000-0000000000C1}
const GUID kCardGuid = {0x5A1D2E3F, 0x0000, 0x4C00, {0x80, 0, 0, 0, 0, 0, 0, 0xC1}};

}  // namespace

// ---------------------------------------------------------------------------
// The system

FakeDirectSoundSystem::FakeDirectSoundSystem() : previous_(current) {
    devices.push_back({false, GUID{}, "Primary Sound Driver", ""});
    devices.push_back({true, kCardGuid, "Fake Sound Card", "fakecard.drv"});
    current = this;
}

FakeDirectSoundSystem::~FakeDirectSoundSystem() { current = previous_; }

HRESULT WINAPI FakeDirectSoundSystem::Create(const GUID* device, IDirectSound** out, IUnknown* outer) {
    FakeDirectSoundSystem* system = current;
    if (system == nullptr) return E_FAIL;
    system->Record("System.Create");
    if (out == nullptr) return DSERR_INVALIDPARAM;
    *out = nullptr;
    HRESULT refusal = DS_OK;
    if (system->Refused("System.Create", &refusal)) return refusal;
    if (outer != nullptr) return DSERR_NOAGGREGATION;

    FakeDeviceInfo info;  // the default device
    if (device != nullptr && !Same(*device, DSDEVID_DefaultPlayback) && !Same(*device, GUID_NULL)) {
        auto match = std::find_if(system->devices.begin(), system->devices.end(),
                                  [&](const FakeDeviceInfo& d) { return d.hasGuid && Same(*device, d.guid); });
        if (match == system->devices.end()) return DSERR_NODRIVER;
        info = *match;
    }
    *out = Add(system->directSounds, *system, info);
    return DS_OK;
}

HRESULT WINAPI FakeDirectSoundSystem::Enumerate(LPDSENUMCALLBACKA callback, void* context) {
    FakeDirectSoundSystem* system = current;
    if (system == nullptr) return E_FAIL;
    system->Record("System.Enumerate");
    HRESULT refusal = DS_OK;
    if (system->Refused("System.Enumerate", &refusal)) return refusal;
    if (callback == nullptr) return DSERR_INVALIDPARAM;
    // A copy, so that a callback that changes the list does not disturb the walk.
    std::vector<FakeDeviceInfo> list = system->devices;
    for (FakeDeviceInfo& d : list) {
        if (!callback(d.hasGuid ? &d.guid : nullptr, d.description.c_str(), d.module.c_str(), context)) break;
    }
    return DS_OK;
}

void FakeDirectSoundSystem::Refuse(const std::string& operation, HRESULT result, int times) {
    refusals_[operation] = {result, times};
}

bool FakeDirectSoundSystem::Refused(const std::string& operation, HRESULT* result) {
    auto it = refusals_.find(operation);
    if (it == refusals_.end()) return false;
    auto& [refusal, left] = it->second;
    *result = refusal;
    if (left > 0 && --left == 0) refusals_.erase(it);
    return true;
}

std::vector<FakeSoundBuffer*> FakeDirectSoundSystem::SecondaryBuffers() const {
    std::vector<FakeSoundBuffer*> list;
    for (const auto& b : buffers) {
        if (!b->isPrimary()) list.push_back(b.get());
    }
    return list;
}

int FakeDirectSoundSystem::LiveReferences() const {
    int total = 0;
    for (const auto& d : directSounds) total += std::max(d->refs, 0);
    for (const auto& b : buffers) total += std::max(b->refs, 0);
    for (const auto& b : buffers3D) total += std::max(b->refs, 0);
    for (const auto& l : listeners) total += std::max(l->refs, 0);
    return total;
}

// ---------------------------------------------------------------------------
// IDirectSound

HRESULT FakeDirectSound::CreateSoundBuffer(LPCDSBUFFERDESC desc, LPDIRECTSOUNDBUFFER* out, IUnknown* outer) {
    if (out != nullptr) *out = nullptr;
    if (HRESULT r = Enter("CreateSoundBuffer"); r != DS_OK) return r;
    if (desc == nullptr || out == nullptr) return DSERR_INVALIDPARAM;
    if (outer != nullptr) return DSERR_NOAGGREGATION;
    if (desc->dwSize != sizeof(DSBUFFERDESC1) && desc->dwSize != sizeof(DSBUFFERDESC)) return DSERR_INVALIDPARAM;

    if ((desc->dwFlags & DSBCAPS_PRIMARYBUFFER) != 0) {
        if (desc->dwBufferBytes != 0 || desc->lpwfxFormat != nullptr) return DSERR_INVALIDPARAM;
        if (primary == nullptr) {
            primary = Add(system.buffers, *this, desc->dwFlags, kPrimaryBytes, nullptr, nullptr);
            WAVEFORMATEX initial{WAVE_FORMAT_PCM, 2, 22050, 22050 * 2, 2, 8, 0};
            primary->format = CopyFormat(&initial);
        } else if (primary->Released()) {
            primary->refs = 1;
        } else {
            primary->AddRef();
        }
        *out = primary;
        return DS_OK;
    }

    const WAVEFORMATEX* format = desc->lpwfxFormat;
    if (format == nullptr) return DSERR_INVALIDPARAM;
    const BYTE* formatBytes = reinterpret_cast<const BYTE*>(format);
    lastFormat.assign(formatBytes, formatBytes + sizeof(WAVEFORMATEX) + format->cbSize);
    if (desc->dwBufferBytes < DSBSIZE_MIN || desc->dwBufferBytes > DSBSIZE_MAX) return DSERR_INVALIDPARAM;
    if (!ValidPcm(*format)) return DSERR_BADFORMAT;
    *out = Add(system.buffers, *this, desc->dwFlags, desc->dwBufferBytes, format, nullptr);
    return DS_OK;
}

HRESULT FakeDirectSound::DuplicateSoundBuffer(LPDIRECTSOUNDBUFFER original, LPDIRECTSOUNDBUFFER* out) {
    if (out != nullptr) *out = nullptr;
    if (HRESULT r = Enter("DuplicateSoundBuffer"); r != DS_OK) return r;
    if (original == nullptr || out == nullptr) return DSERR_INVALIDPARAM;
    FakeSoundBuffer* source = system.Find(original);
    if (source == nullptr) {
        system.Fault(Name("DuplicateSoundBuffer") + " of a foreign buffer");
        return DSERR_INVALIDPARAM;
    }
    if (source->Released()) system.Fault(Name("DuplicateSoundBuffer") + " of a released buffer");
    if (source->isPrimary()) return DSERR_INVALIDCALL;

    // The duplicate shares the sample memory: it plays the same bytes with its own cursor.
    FakeSoundBuffer* made =
        Add(system.buffers, *this, source->flags, source->bufferBytes, source->Format(), source->data_);
    made->isDuplicate = true;
    made->volume = source->volume;
    made->pan = source->pan;
    made->frequency = source->frequency;
    *out = made;
    return DS_OK;
}

// ---------------------------------------------------------------------------
// IDirectSoundBuffer

FakeSoundBuffer::FakeSoundBuffer(FakeDirectSound& device, int number, DWORD flags, DWORD bytes,
                                 const WAVEFORMATEX* format, std::shared_ptr<std::vector<BYTE>> sharedData)
    : FakeObject(device.system, "Buffer", number), device(device), flags(flags), bufferBytes(bytes),
      format(CopyFormat(format)), data_(std::move(sharedData)) {
    if (data_ == nullptr) {
        data_ = std::make_shared<std::vector<BYTE>>(bytes + 2 * kGuard, kUnwrittenByte);
        std::fill(data_->begin(), data_->begin() + kGuard, kGuardByte);
        std::fill(data_->end() - kGuard, data_->end(), kGuardByte);
    }
}

bool FakeSoundBuffer::Released() const { return refs <= 0 && (buffer3D == nullptr || buffer3D->refs <= 0); }

HRESULT FakeSoundBuffer::Enter(const char* operation) {
    HRESULT ok = FakeObject::Enter(operation);
    if (!Released() && device.Released()) system.Fault(Name(operation) + " after its DirectSound was released");
    return ok;
}

bool FakeSoundBuffer::GuardsIntact() {
    const std::vector<BYTE>& d = *data_;
    bool intact = std::all_of(d.begin(), d.begin() + kGuard, [](BYTE b) { return b == kGuardByte; }) &&
                  std::all_of(d.end() - kGuard, d.end(), [](BYTE b) { return b == kGuardByte; });
    if (!intact) system.Fault(Name("memory") + " written outside the buffer");
    return intact;
}

void FakeSoundBuffer::Advance(DWORD bytes) {
    if (!playing || bufferBytes == 0) return;
    DWORD next = playCursor + bytes;
    playing = looping || next < bufferBytes;
    playCursor = looping ? next % bufferBytes : (playing ? next : 0);
}

HRESULT FakeSoundBuffer::QueryInterface(REFIID iid, void** out) {
    if (HRESULT r = Enter("QueryInterface"); r != DS_OK) return r;
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (Same(iid, IID_IDirectSound3DBuffer)) {
        if (isPrimary() || (flags & DSBCAPS_CTRL3D) == 0) return E_NOINTERFACE;
        *out = static_cast<IDirectSound3DBuffer*>(MadeOrShared(device.system.buffers3D, buffer3D, *this));
        return DS_OK;
    }
    if (Same(iid, IID_IDirectSound3DListener)) {
        if (!isPrimary() || (flags & DSBCAPS_CTRL3D) == 0) return E_NOINTERFACE;
        *out = static_cast<IDirectSound3DListener*>(MadeOrShared(device.system.listeners, device.listener, device));
        return DS_OK;
    }
    return Unexpected("QueryInterface");
}

ULONG FakeSoundBuffer::Release() {
    bool already = refs <= 0;
    FakeObject::Release();
    if (already) return 0;
    GuardsIntact();
    if (refs == 0 && !open_.empty()) system.Fault(Name("Release") + " while locked");
    if (refs == 0 && Released()) playing = false;  // a released buffer falls silent
    return static_cast<ULONG>(refs);
}

HRESULT FakeSoundBuffer::GetCaps(LPDSBCAPS caps) {
    if (HRESULT r = Enter("GetCaps"); r != DS_OK) return r;
    if (caps == nullptr || caps->dwSize < sizeof(DSBCAPS)) return DSERR_INVALIDPARAM;
    DWORD location = system.buffersInHardware ? DSBCAPS_LOCHARDWARE : DSBCAPS_LOCSOFTWARE;
    *caps = DSBCAPS{caps->dwSize, flags | location, bufferBytes, 0, 0};
    return DS_OK;
}

HRESULT FakeSoundBuffer::GetFormat(LPWAVEFORMATEX out, DWORD size, LPDWORD written) {
    if (HRESULT r = Enter("GetFormat"); r != DS_OK) return r;
    if (out == nullptr) {
        if (written == nullptr) return DSERR_INVALIDPARAM;
        *written = static_cast<DWORD>(format.size());
        return DS_OK;
    }
    if (size < format.size()) return DSERR_INVALIDPARAM;
    std::memcpy(out, format.data(), format.size());
    if (written != nullptr) *written = static_cast<DWORD>(format.size());
    return DS_OK;
}

HRESULT FakeSoundBuffer::Lock(DWORD offset, DWORD bytes, LPVOID* part1, LPDWORD bytes1, LPVOID* part2, LPDWORD bytes2,
                              DWORD lockFlags) {
    // The plug-in always takes both parts, as a ring's lock may wrap.
    if (part1 == nullptr || bytes1 == nullptr || part2 == nullptr || bytes2 == nullptr) return Unexpected("Lock");
    *part1 = *part2 = nullptr;
    *bytes1 = *bytes2 = 0;
    if (HRESULT r = Enter("Lock"); r != DS_OK) return r;
    if (isPrimary() && device.cooperativeLevel != DSSCL_WRITEPRIMARY) return DSERR_PRIOLEVELNEEDED;
    if (lost) return DSERR_BUFFERLOST;
    if (lockFlags != 0) return Unexpected("Lock with flags");
    if (bytes == 0 || bytes > bufferBytes || offset >= bufferBytes) return DSERR_INVALIDPARAM;

    BYTE* base = data_->data() + kGuard;
    DWORD first = std::min(bytes, bufferBytes - offset);
    OpenLock lock{base + offset, first, first < bytes ? base : nullptr, bytes - first};
    open_.push_back(lock);
    locks.push_back({offset, bytes});
    *part1 = lock.part1;
    *bytes1 = lock.bytes1;
    *part2 = lock.part2;
    *bytes2 = lock.bytes2;
    return DS_OK;
}

HRESULT FakeSoundBuffer::Unlock(LPVOID part1, DWORD written1, LPVOID part2, DWORD written2) {
    if (HRESULT r = Enter("Unlock"); r != DS_OK) return r;
    auto it = std::find_if(open_.begin(), open_.end(), [&](const OpenLock& l) { return l.part1 == part1; });
    if (it == open_.end()) {
        system.Fault(Name("Unlock") + " of a region never locked");
        return DSERR_INVALIDPARAM;
    }
    bool beyond = written1 > it->bytes1 || written2 > it->bytes2 || (part2 != nullptr && part2 != it->part2);
    open_.erase(it);
    if (beyond) {
        system.Fault(Name("Unlock") + " beyond the locked region");
        return DSERR_INVALIDPARAM;
    }
    GuardsIntact();
    return DS_OK;
}

HRESULT FakeSoundBuffer::SetFormat(LPCWAVEFORMATEX given) {
    if (HRESULT r = Enter("SetFormat"); r != DS_OK) return r;
    if (!isPrimary()) return DSERR_INVALIDCALL;
    if (given == nullptr) return DSERR_INVALIDPARAM;
    if (device.cooperativeLevel < DSSCL_PRIORITY) return DSERR_PRIOLEVELNEEDED;
    if (!ValidPcm(*given)) return DSERR_INVALIDPARAM;
    format = CopyFormat(given);
    return DS_OK;
}

// ---------------------------------------------------------------------------
// IDirectSound3DBuffer

FakeSound3DBuffer::FakeSound3DBuffer(FakeSoundBuffer& buffer, int number)
    : FakeObject(buffer.system, "Buffer3D", number), FakeDeferred(kDefault3DBuffer), buffer(buffer) {}

// ---------------------------------------------------------------------------
// IDirectSound3DListener

FakeListener::FakeListener(FakeDirectSound& device, int number)
    : FakeObject(device.system, "Listener", number), FakeDeferred(kDefaultListener), device(device) {}

}  // namespace sonidrax::testing
