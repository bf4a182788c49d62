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
constexpr DWORD kMaxFrequency = 200000;

bool Same(REFIID a, const GUID& b) { return std::memcmp(&a, &b, sizeof b) == 0; }

std::vector<BYTE> CopyFormat(const WAVEFORMATEX* format) {
    if (format == nullptr) return {};
    size_t size = sizeof(WAVEFORMATEX) + (format->wFormatTag == WAVE_FORMAT_PCM ? 0 : format->cbSize);
    std::vector<BYTE> copy(size);
    std::memcpy(copy.data(), format, std::min(size, sizeof(WAVEFORMATEX) + size_t{format->cbSize}));
    if (format->wFormatTag == WAVE_FORMAT_PCM) reinterpret_cast<WAVEFORMATEX*>(copy.data())->cbSize = 0;
    return copy;
}

// The checks DirectSound makes on a PCM format.
bool ValidPcm(const WAVEFORMATEX& f) {
    if (f.wFormatTag != WAVE_FORMAT_PCM) return false;
    if (f.nChannels < 1 || f.nChannels > 2) return false;
    if (f.wBitsPerSample != 8 && f.wBitsPerSample != 16) return false;
    if (f.nSamplesPerSec < DSBFREQUENCY_MIN || f.nSamplesPerSec > kMaxFrequency) return false;
    if (f.nBlockAlign != f.nChannels * f.wBitsPerSample / 8) return false;
    return f.nAvgBytesPerSec == f.nSamplesPerSec * f.nBlockAlign;
}

const DS3DBUFFER kDefault3DBuffer = {.dwSize = sizeof(DS3DBUFFER),
                                     .vPosition = {},
                                     .vVelocity = {},
                                     .dwInsideConeAngle = DS3D_DEFAULTCONEANGLE,
                                     .dwOutsideConeAngle = DS3D_DEFAULTCONEANGLE,
                                     .vConeOrientation = {0.0f, 0.0f, 1.0f},
                                     .lConeOutsideVolume = DS3D_DEFAULTCONEOUTSIDEVOLUME,
                                     .flMinDistance = DS3D_DEFAULTMINDISTANCE,
                                     .flMaxDistance = DS3D_DEFAULTMAXDISTANCE,
                                     .dwMode = DS3DMODE_NORMAL};

const DS3DLISTENER kDefaultListener = {.dwSize = sizeof(DS3DLISTENER),
                                       .vPosition = {},
                                       .vVelocity = {},
                                       .vOrientFront = {0.0f, 0.0f, 1.0f},
                                       .vOrientTop = {0.0f, 1.0f, 0.0f},
                                       .flDistanceFactor = DS3D_DEFAULTDISTANCEFACTOR,
                                       .flRolloffFactor = DS3D_DEFAULTROLLOFFFACTOR,
                                       .flDopplerFactor = DS3D_DEFAULTDOPPLERFACTOR};

// The fake behind an interface pointer the plug-in holds, or null for a foreign one.
template <typename Fake, typename Interface>
Fake* FindIn(const std::vector<std::unique_ptr<Fake>>& list, Interface* wanted) {
    for (const auto& f : list) {
        if (static_cast<Interface*>(f.get()) == wanted) return f.get();
    }
    return nullptr;
}

// Volume, pan and frequency: a control the buffer was made without is unavailable.
template <typename T>
HRESULT ReadControl(HRESULT entered, bool available, T* out, T value) {
    if (entered != DS_OK) return entered;
    if (out == nullptr) return DSERR_INVALIDPARAM;
    if (!available) return DSERR_CONTROLUNAVAIL;
    *out = value;
    return DS_OK;
}

template <typename T>
HRESULT WriteControl(HRESULT entered, bool available, bool valid, T& target, T value) {
    if (entered != DS_OK) return entered;
    if (!available) return DSERR_CONTROLUNAVAIL;
    if (!valid) return DSERR_INVALIDPARAM;
    target = value;
    return DS_OK;
}

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

template <typename Object>
std::string Name(const char* kind, const Object& object, const char* operation) {
    return std::string(kind) + "#" + std::to_string(object.number) + "." + operation;
}

// The common entry of every operation: records the call, flags a call on a released
// object, and answers a scripted refusal.
template <typename Object>
HRESULT EnterOperation(FakeDirectSoundSystem& system, const char* kind, const Object& object, bool released,
                       const char* operation) {
    std::string call = Name(kind, object, operation);
    system.Record(call);
    if (released) system.Fault(call + " after release");
    HRESULT refusal = DS_OK;
    if (system.Refused(call, &refusal) || system.Refused(std::string(kind) + "." + operation, &refusal)) return refusal;
    return DS_OK;
}

// Reference counting shared by every object: a call on a released object is a fault.
template <typename Object>
ULONG AddRefOf(FakeDirectSoundSystem& system, const char* kind, Object& object, bool released) {
    if (released) system.Fault(Name(kind, object, "AddRef") + " after release");
    return static_cast<ULONG>(++object.refs);
}

// Answers the references left, or -1 for a release of an object already released.
template <typename Object>
int ReleaseOf(FakeDirectSoundSystem& system, const char* kind, Object& object) {
    if (object.refs <= 0) {
        system.Fault(Name(kind, object, "Release") + " after release");
        return -1;
    }
    system.Record(Name(kind, object, "Release"));
    return --object.refs;
}

template <typename Object>
HRESULT UnexpectedOperation(FakeDirectSoundSystem& system, const char* kind, const Object& object,
                            const char* operation) {
    system.Record(Name(kind, object, operation));
    system.Fault(Name(kind, object, operation) + " is not expected of the plug-in");
    return DSERR_UNSUPPORTED;
}

}  // namespace

// {5A1D2E3F-0000-4C00-8000-0000000000C1}
const GUID FakeDirectSoundSystem::kCardGuid = {0x5A1D2E3F, 0x0000, 0x4C00, {0x80, 0, 0, 0, 0, 0, 0, 0xC1}};

// ---------------------------------------------------------------------------
// The system

FakeDirectSoundSystem::FakeDirectSoundSystem() : previous_(current) {
    devices.push_back({false, GUID{}, "Primary Sound Driver", ""});
    devices.push_back({true, kCardGuid, "Fake Sound Card", "fakecard.drv"});
    current = this;
}

FakeDirectSoundSystem::~FakeDirectSoundSystem() { current = previous_; }

FakeDirectSoundSystem* FakeDirectSoundSystem::Current() { return current; }

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

void FakeDirectSoundSystem::Refuse(const std::string& operation, HRESULT result, int times, int skip) {
    refusals_[operation] = FakeRefusal{result, skip, times};
}

bool FakeDirectSoundSystem::Refused(const std::string& operation, HRESULT* result) {
    auto it = refusals_.find(operation);
    if (it == refusals_.end()) return false;
    FakeRefusal& r = it->second;
    if (r.skip > 0) {
        --r.skip;
        return false;
    }
    *result = r.result;
    if (r.times > 0 && --r.times == 0) refusals_.erase(it);
    return true;
}

FakeSoundBuffer* FakeDirectSoundSystem::Find(IDirectSoundBuffer* buffer) const { return FindIn(buffers, buffer); }
FakeSound3DBuffer* FakeDirectSoundSystem::Find(IDirectSound3DBuffer* buffer) const { return FindIn(buffers3D, buffer); }
FakeListener* FakeDirectSoundSystem::Find(IDirectSound3DListener* listener) const {
    return FindIn(listeners, listener);
}
FakeDirectSound* FakeDirectSoundSystem::Find(IDirectSound* directSound) const {
    return FindIn(directSounds, directSound);
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

FakeDirectSound::FakeDirectSound(FakeDirectSoundSystem& system, int number, const FakeDeviceInfo& device)
    : system(system), number(number), device(device) {}

HRESULT FakeDirectSound::Enter(const char* operation) {
    return EnterOperation(system, "DirectSound", *this, Released(), operation);
}

HRESULT FakeDirectSound::Unexpected(const char* operation) {
    return UnexpectedOperation(system, "DirectSound", *this, operation);
}

HRESULT FakeDirectSound::QueryInterface(REFIID iid, void** out) {
    if (HRESULT r = Enter("QueryInterface"); r != DS_OK) return r;
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (!Same(iid, IID_IUnknown) && !Same(iid, IID_IDirectSound)) return E_NOINTERFACE;
    *out = static_cast<IDirectSound*>(this);
    AddRef();
    return DS_OK;
}

ULONG FakeDirectSound::AddRef() { return AddRefOf(system, "DirectSound", *this, Released()); }

ULONG FakeDirectSound::Release() { return std::max(ReleaseOf(system, "DirectSound", *this), 0); }

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
    secondaries.push_back(Add(system.buffers, *this, desc->dwFlags, desc->dwBufferBytes, format, nullptr));
    *out = secondaries.back();
    return DS_OK;
}

HRESULT FakeDirectSound::DuplicateSoundBuffer(LPDIRECTSOUNDBUFFER original, LPDIRECTSOUNDBUFFER* out) {
    if (out != nullptr) *out = nullptr;
    if (HRESULT r = Enter("DuplicateSoundBuffer"); r != DS_OK) return r;
    if (original == nullptr || out == nullptr) return DSERR_INVALIDPARAM;
    FakeSoundBuffer* source = system.Find(original);
    if (source == nullptr) {
        system.Fault(Name("DirectSound", *this, "DuplicateSoundBuffer") + " of a foreign buffer");
        return DSERR_INVALIDPARAM;
    }
    if (source->Released()) system.Fault(Name("DirectSound", *this, "DuplicateSoundBuffer") + " of a released buffer");
    if (source->isPrimary()) return DSERR_INVALIDCALL;

    // The duplicate shares the sample memory: it plays the same bytes with its own cursor.
    FakeSoundBuffer* made =
        Add(system.buffers, *this, source->flags, source->bufferBytes, source->Format(), source->SharedData());
    made->isDuplicate = true;
    made->volume = source->volume;
    made->pan = source->pan;
    made->frequency = source->frequency;
    secondaries.push_back(made);
    *out = made;
    return DS_OK;
}

HRESULT FakeDirectSound::SetCooperativeLevel(HWND window, DWORD level) {
    if (HRESULT r = Enter("SetCooperativeLevel"); r != DS_OK) return r;
    if (level < DSSCL_NORMAL || level > DSSCL_WRITEPRIMARY) return DSERR_INVALIDPARAM;
    cooperativeWindow = window;
    cooperativeLevel = level;
    return DS_OK;
}

// ---------------------------------------------------------------------------
// IDirectSoundBuffer

FakeSoundBuffer::FakeSoundBuffer(FakeDirectSound& device, int number, DWORD flags, DWORD bytes,
                                 const WAVEFORMATEX* format, std::shared_ptr<std::vector<BYTE>> sharedData)
    : device(device), number(number), flags(flags), bufferBytes(bytes), format(CopyFormat(format)),
      data_(std::move(sharedData)) {
    if (data_ == nullptr) {
        data_ = std::make_shared<std::vector<BYTE>>(bytes + 2 * kGuard, kUnwrittenByte);
        std::fill(data_->begin(), data_->begin() + kGuard, kGuardByte);
        std::fill(data_->end() - kGuard, data_->end(), kGuardByte);
    }
}

bool FakeSoundBuffer::Released() const { return refs <= 0 && (buffer3D == nullptr || buffer3D->refs <= 0); }

HRESULT FakeSoundBuffer::Enter(const char* operation) {
    HRESULT ok = EnterOperation(device.system, "Buffer", *this, Released(), operation);
    if (!Released() && device.Released()) {
        device.system.Fault(Name("Buffer", *this, operation) + " after its DirectSound was released");
    }
    return ok;
}

HRESULT FakeSoundBuffer::Unexpected(const char* operation) {
    return UnexpectedOperation(device.system, "Buffer", *this, operation);
}

bool FakeSoundBuffer::GuardsIntact() {
    const std::vector<BYTE>& d = *data_;
    bool intact = std::all_of(d.begin(), d.begin() + kGuard, [](BYTE b) { return b == kGuardByte; }) &&
                  std::all_of(d.end() - kGuard, d.end(), [](BYTE b) { return b == kGuardByte; });
    if (!intact) device.system.Fault(Name("Buffer", *this, "memory") + " written outside the buffer");
    return intact;
}

void FakeSoundBuffer::Advance(DWORD bytes) {
    if (!playing || bufferBytes == 0) return;
    DWORD next = playCursor + bytes;
    if (looping) {
        playCursor = next % bufferBytes;
        return;
    }
    if (next >= bufferBytes) {
        playing = false;
        playCursor = 0;
        return;
    }
    playCursor = next;
}

HRESULT FakeSoundBuffer::QueryInterface(REFIID iid, void** out) {
    if (HRESULT r = Enter("QueryInterface"); r != DS_OK) return r;
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (Same(iid, IID_IUnknown) || Same(iid, IID_IDirectSoundBuffer)) {
        *out = static_cast<IDirectSoundBuffer*>(this);
        AddRef();
        return DS_OK;
    }
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
    return E_NOINTERFACE;
}

ULONG FakeSoundBuffer::AddRef() { return AddRefOf(device.system, "Buffer", *this, Released()); }

ULONG FakeSoundBuffer::Release() {
    if (ReleaseOf(device.system, "Buffer", *this) < 0) return 0;
    GuardsIntact();
    if (refs == 0 && !open_.empty()) {
        device.system.Fault(Name("Buffer", *this, "Release") + " while locked");
    }
    if (refs == 0 && Released()) playing = false;  // a released buffer falls silent
    return static_cast<ULONG>(refs);
}

HRESULT FakeSoundBuffer::GetCaps(LPDSBCAPS caps) {
    if (HRESULT r = Enter("GetCaps"); r != DS_OK) return r;
    if (caps == nullptr || caps->dwSize < sizeof(DSBCAPS)) return DSERR_INVALIDPARAM;
    caps->dwFlags = flags | (device.system.buffersInHardware ? DSBCAPS_LOCHARDWARE : DSBCAPS_LOCSOFTWARE);
    caps->dwBufferBytes = bufferBytes;
    caps->dwUnlockTransferRate = 0;
    caps->dwPlayCpuOverhead = 0;
    return DS_OK;
}

HRESULT FakeSoundBuffer::GetCurrentPosition(LPDWORD play, LPDWORD write) {
    if (HRESULT r = Enter("GetCurrentPosition"); r != DS_OK) return r;
    if (play != nullptr) *play = playCursor;
    if (write != nullptr) *write = playCursor;
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

HRESULT FakeSoundBuffer::GetVolume(LPLONG out) {
    return ReadControl(Enter("GetVolume"), (flags & DSBCAPS_CTRLVOLUME) != 0, out, volume);
}

HRESULT FakeSoundBuffer::GetPan(LPLONG out) {
    return ReadControl(Enter("GetPan"), (flags & DSBCAPS_CTRLPAN) != 0, out, pan);
}

HRESULT FakeSoundBuffer::GetFrequency(LPDWORD out) {
    DWORD own = frequency != 0 ? frequency : (Format() != nullptr ? Format()->nSamplesPerSec : 0);
    return ReadControl(Enter("GetFrequency"), (flags & DSBCAPS_CTRLFREQUENCY) != 0, out, own);
}

HRESULT FakeSoundBuffer::GetStatus(LPDWORD out) {
    if (HRESULT r = Enter("GetStatus"); r != DS_OK) return r;
    if (out == nullptr) return DSERR_INVALIDPARAM;
    *out = (playing ? DSBSTATUS_PLAYING : 0) | (playing && looping ? DSBSTATUS_LOOPING : 0) |
           (lost ? DSBSTATUS_BUFFERLOST : 0);
    return DS_OK;
}

HRESULT FakeSoundBuffer::Lock(DWORD offset, DWORD bytes, LPVOID* part1, LPDWORD bytes1, LPVOID* part2, LPDWORD bytes2,
                              DWORD lockFlags) {
    if (part1 != nullptr) *part1 = nullptr;
    if (bytes1 != nullptr) *bytes1 = 0;
    if (part2 != nullptr) *part2 = nullptr;
    if (bytes2 != nullptr) *bytes2 = 0;
    if (HRESULT r = Enter("Lock"); r != DS_OK) return r;
    if (part1 == nullptr || bytes1 == nullptr) return DSERR_INVALIDPARAM;
    if (isPrimary() && device.cooperativeLevel != DSSCL_WRITEPRIMARY) return DSERR_PRIOLEVELNEEDED;
    if (lost) return DSERR_BUFFERLOST;
    if ((lockFlags & DSBLOCK_ENTIREBUFFER) != 0) {
        offset = 0;
        bytes = bufferBytes;
    } else if ((lockFlags & DSBLOCK_FROMWRITECURSOR) != 0) {
        offset = playCursor;
    }
    if (bytes == 0 || bytes > bufferBytes || offset >= bufferBytes) return DSERR_INVALIDPARAM;

    BYTE* base = data_->data() + kGuard;
    OpenLock lock{base + offset, std::min(bytes, bufferBytes - offset), nullptr, 0};
    if (lock.bytes1 < bytes && part2 != nullptr) {
        lock.part2 = base;
        lock.bytes2 = bytes - lock.bytes1;
    }
    open_.push_back(lock);
    ++openLocks;
    locks.push_back({offset, bytes});
    *part1 = lock.part1;
    *bytes1 = lock.bytes1;
    if (part2 != nullptr) *part2 = lock.part2;
    if (bytes2 != nullptr) *bytes2 = lock.bytes2;
    return DS_OK;
}

HRESULT FakeSoundBuffer::Unlock(LPVOID part1, DWORD written1, LPVOID part2, DWORD written2) {
    if (HRESULT r = Enter("Unlock"); r != DS_OK) return r;
    auto it = std::find_if(open_.begin(), open_.end(), [&](const OpenLock& l) { return l.part1 == part1; });
    if (it == open_.end()) {
        device.system.Fault(Name("Buffer", *this, "Unlock") + " of a region never locked");
        return DSERR_INVALIDPARAM;
    }
    bool beyond = written1 > it->bytes1 || written2 > it->bytes2 || (part2 != nullptr && part2 != it->part2);
    open_.erase(it);
    --openLocks;
    if (beyond) {
        device.system.Fault(Name("Buffer", *this, "Unlock") + " beyond the locked region");
        return DSERR_INVALIDPARAM;
    }
    unlocks.push_back({written1, written2});
    GuardsIntact();
    return DS_OK;
}

HRESULT FakeSoundBuffer::Play(DWORD reserved1, DWORD, DWORD playFlagsGiven) {
    if (HRESULT r = Enter("Play"); r != DS_OK) return r;
    if (reserved1 != 0) return DSERR_INVALIDPARAM;
    if (isPrimary() && (playFlagsGiven & DSBPLAY_LOOPING) == 0) return DSERR_INVALIDPARAM;
    if (lost) return DSERR_BUFFERLOST;
    playing = true;
    looping = (playFlagsGiven & DSBPLAY_LOOPING) != 0;
    playFlags.push_back(playFlagsGiven);
    return DS_OK;
}

HRESULT FakeSoundBuffer::SetCurrentPosition(DWORD position) {
    if (HRESULT r = Enter("SetCurrentPosition"); r != DS_OK) return r;
    if (isPrimary()) return DSERR_INVALIDCALL;
    if (position >= bufferBytes) return DSERR_INVALIDPARAM;
    playCursor = position;
    positionsSet.push_back(position);
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

HRESULT FakeSoundBuffer::SetVolume(LONG value) {
    bool valid = value >= DSBVOLUME_MIN && value <= DSBVOLUME_MAX;
    return WriteControl(Enter("SetVolume"), (flags & DSBCAPS_CTRLVOLUME) != 0, valid, volume, value);
}

HRESULT FakeSoundBuffer::SetPan(LONG value) {
    bool valid = value >= DSBPAN_LEFT && value <= DSBPAN_RIGHT;
    return WriteControl(Enter("SetPan"), (flags & DSBCAPS_CTRLPAN) != 0, valid, pan, value);
}

HRESULT FakeSoundBuffer::SetFrequency(DWORD value) {
    bool valid = value == DSBFREQUENCY_ORIGINAL || (value >= DSBFREQUENCY_MIN && value <= kMaxFrequency);
    bool available = !isPrimary() && (flags & DSBCAPS_CTRLFREQUENCY) != 0;
    return WriteControl(Enter("SetFrequency"), available, valid, frequency, value);
}

HRESULT FakeSoundBuffer::Stop() {
    if (HRESULT r = Enter("Stop"); r != DS_OK) return r;
    playing = false;
    return DS_OK;
}

HRESULT FakeSoundBuffer::Restore() {
    if (HRESULT r = Enter("Restore"); r != DS_OK) return r;
    lost = false;
    ++restores;
    return DS_OK;
}

// ---------------------------------------------------------------------------
// IDirectSound3DBuffer

FakeSound3DBuffer::FakeSound3DBuffer(FakeSoundBuffer& buffer, int number)
    : FakeDeferred(kDefault3DBuffer), buffer(buffer), number(number) {}

HRESULT FakeSound3DBuffer::Enter(const char* operation) {
    return EnterOperation(buffer.device.system, "Buffer3D", *this, refs <= 0, operation);
}

HRESULT FakeSound3DBuffer::Unexpected(const char* operation) {
    return UnexpectedOperation(buffer.device.system, "Buffer3D", *this, operation);
}

HRESULT FakeSound3DBuffer::QueryInterface(REFIID iid, void** out) {
    if (HRESULT r = Enter("QueryInterface"); r != DS_OK) return r;
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (Same(iid, IID_IUnknown) || Same(iid, IID_IDirectSound3DBuffer)) {
        *out = static_cast<IDirectSound3DBuffer*>(this);
        AddRef();
        return DS_OK;
    }
    if (Same(iid, IID_IDirectSoundBuffer)) {
        *out = static_cast<IDirectSoundBuffer*>(&buffer);
        ++buffer.refs;
        return DS_OK;
    }
    return E_NOINTERFACE;
}

ULONG FakeSound3DBuffer::AddRef() { return AddRefOf(buffer.device.system, "Buffer3D", *this, refs <= 0); }

ULONG FakeSound3DBuffer::Release() { return std::max(ReleaseOf(buffer.device.system, "Buffer3D", *this), 0); }

HRESULT FakeSound3DBuffer::GetConeAngles(LPDWORD inside, LPDWORD outside) {
    if (HRESULT r = Enter("GetConeAngles"); r != DS_OK) return r;
    if (inside != nullptr) *inside = current.dwInsideConeAngle;
    if (outside != nullptr) *outside = current.dwOutsideConeAngle;
    return DS_OK;
}

HRESULT FakeSound3DBuffer::GetConeOrientation(LPD3DVECTOR out) {
    return Get(Enter("GetConeOrientation"), out, current.vConeOrientation);
}
HRESULT FakeSound3DBuffer::GetConeOutsideVolume(LPLONG out) {
    return Get(Enter("GetConeOutsideVolume"), out, current.lConeOutsideVolume);
}
HRESULT FakeSound3DBuffer::GetMaxDistance(LPD3DVALUE out) {
    return Get(Enter("GetMaxDistance"), out, current.flMaxDistance);
}
HRESULT FakeSound3DBuffer::GetMinDistance(LPD3DVALUE out) {
    return Get(Enter("GetMinDistance"), out, current.flMinDistance);
}
HRESULT FakeSound3DBuffer::GetMode(LPDWORD out) { return Get(Enter("GetMode"), out, current.dwMode); }
HRESULT FakeSound3DBuffer::GetPosition(LPD3DVECTOR out) { return Get(Enter("GetPosition"), out, current.vPosition); }
HRESULT FakeSound3DBuffer::GetVelocity(LPD3DVECTOR out) { return Get(Enter("GetVelocity"), out, current.vVelocity); }

HRESULT FakeSound3DBuffer::SetConeAngles(DWORD inside, DWORD outside, DWORD apply) {
    bool valid = inside <= DS3D_MAXCONEANGLE && outside <= DS3D_MAXCONEANGLE;
    return Set(Enter("SetConeAngles"), apply, valid, [&](DS3DBUFFER& t) {
        t.dwInsideConeAngle = inside;
        t.dwOutsideConeAngle = outside;
    });
}

HRESULT FakeSound3DBuffer::SetConeOrientation(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) {
    return Set(Enter("SetConeOrientation"), apply, true, [&](DS3DBUFFER& t) { t.vConeOrientation = {x, y, z}; });
}

HRESULT FakeSound3DBuffer::SetConeOutsideVolume(LONG volume, DWORD apply) {
    bool valid = volume >= DSBVOLUME_MIN && volume <= DSBVOLUME_MAX;
    return Set(Enter("SetConeOutsideVolume"), apply, valid, [&](DS3DBUFFER& t) { t.lConeOutsideVolume = volume; });
}

HRESULT FakeSound3DBuffer::SetMaxDistance(D3DVALUE distance, DWORD apply) {
    return Set(Enter("SetMaxDistance"), apply, distance > 0.0f, [&](DS3DBUFFER& t) { t.flMaxDistance = distance; });
}

HRESULT FakeSound3DBuffer::SetMinDistance(D3DVALUE distance, DWORD apply) {
    return Set(Enter("SetMinDistance"), apply, distance > 0.0f, [&](DS3DBUFFER& t) { t.flMinDistance = distance; });
}

HRESULT FakeSound3DBuffer::SetMode(DWORD mode, DWORD apply) {
    return Set(Enter("SetMode"), apply, mode <= DS3DMODE_DISABLE, [&](DS3DBUFFER& t) { t.dwMode = mode; });
}

HRESULT FakeSound3DBuffer::SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) {
    return Set(Enter("SetPosition"), apply, true, [&](DS3DBUFFER& t) { t.vPosition = {x, y, z}; });
}

HRESULT FakeSound3DBuffer::SetVelocity(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) {
    return Set(Enter("SetVelocity"), apply, true, [&](DS3DBUFFER& t) { t.vVelocity = {x, y, z}; });
}

// ---------------------------------------------------------------------------
// IDirectSound3DListener

FakeListener::FakeListener(FakeDirectSound& device, int number)
    : FakeDeferred(kDefaultListener), device(device), number(number) {}

HRESULT FakeListener::Enter(const char* operation) {
    return EnterOperation(device.system, "Listener", *this, refs <= 0, operation);
}

HRESULT FakeListener::Unexpected(const char* operation) {
    return UnexpectedOperation(device.system, "Listener", *this, operation);
}

HRESULT FakeListener::QueryInterface(REFIID iid, void** out) {
    if (HRESULT r = Enter("QueryInterface"); r != DS_OK) return r;
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (Same(iid, IID_IUnknown) || Same(iid, IID_IDirectSound3DListener)) {
        *out = static_cast<IDirectSound3DListener*>(this);
        AddRef();
        return DS_OK;
    }
    return E_NOINTERFACE;
}

ULONG FakeListener::AddRef() { return AddRefOf(device.system, "Listener", *this, refs <= 0); }

ULONG FakeListener::Release() { return std::max(ReleaseOf(device.system, "Listener", *this), 0); }

HRESULT FakeListener::GetDistanceFactor(LPD3DVALUE out) {
    return Get(Enter("GetDistanceFactor"), out, current.flDistanceFactor);
}
HRESULT FakeListener::GetDopplerFactor(LPD3DVALUE out) {
    return Get(Enter("GetDopplerFactor"), out, current.flDopplerFactor);
}
HRESULT FakeListener::GetPosition(LPD3DVECTOR out) { return Get(Enter("GetPosition"), out, current.vPosition); }
HRESULT FakeListener::GetRolloffFactor(LPD3DVALUE out) {
    return Get(Enter("GetRolloffFactor"), out, current.flRolloffFactor);
}
HRESULT FakeListener::GetVelocity(LPD3DVECTOR out) { return Get(Enter("GetVelocity"), out, current.vVelocity); }

HRESULT FakeListener::GetOrientation(LPD3DVECTOR front, LPD3DVECTOR top) {
    if (HRESULT r = Enter("GetOrientation"); r != DS_OK) return r;
    if (front == nullptr || top == nullptr) return DSERR_INVALIDPARAM;
    *front = current.vOrientFront;
    *top = current.vOrientTop;
    return DS_OK;
}

HRESULT FakeListener::SetDistanceFactor(D3DVALUE factor, DWORD apply) {
    bool valid = factor >= DS3D_MINDISTANCEFACTOR && factor <= DS3D_MAXDISTANCEFACTOR && factor != 0.0f;
    return Set(Enter("SetDistanceFactor"), apply, valid, [&](DS3DLISTENER& t) { t.flDistanceFactor = factor; });
}

HRESULT FakeListener::SetDopplerFactor(D3DVALUE factor, DWORD apply) {
    bool valid = factor >= DS3D_MINDOPPLERFACTOR && factor <= DS3D_MAXDOPPLERFACTOR;
    return Set(Enter("SetDopplerFactor"), apply, valid, [&](DS3DLISTENER& t) { t.flDopplerFactor = factor; });
}

HRESULT FakeListener::SetOrientation(D3DVALUE xFront, D3DVALUE yFront, D3DVALUE zFront, D3DVALUE xTop, D3DVALUE yTop,
                                     D3DVALUE zTop, DWORD apply) {
    return Set(Enter("SetOrientation"), apply, true, [&](DS3DLISTENER& t) {
        t.vOrientFront = {xFront, yFront, zFront};
        t.vOrientTop = {xTop, yTop, zTop};
    });
}

HRESULT FakeListener::SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) {
    return Set(Enter("SetPosition"), apply, true, [&](DS3DLISTENER& t) { t.vPosition = {x, y, z}; });
}

HRESULT FakeListener::SetRolloffFactor(D3DVALUE factor, DWORD apply) {
    bool valid = factor >= DS3D_MINROLLOFFFACTOR && factor <= DS3D_MAXROLLOFFFACTOR;
    return Set(Enter("SetRolloffFactor"), apply, valid, [&](DS3DLISTENER& t) { t.flRolloffFactor = factor; });
}

HRESULT FakeListener::SetVelocity(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) {
    return Set(Enter("SetVelocity"), apply, true, [&](DS3DLISTENER& t) { t.vVelocity = {x, y, z}; });
}

HRESULT FakeListener::CommitDeferredSettings() {
    if (HRESULT r = Enter("CommitDeferredSettings"); r != DS_OK) return r;
    ++commits;
    Commit();
    for (FakeSoundBuffer* b : device.secondaries) {
        if (b->buffer3D != nullptr) b->buffer3D->Commit();
    }
    return DS_OK;
}

}  // namespace sonidrax::testing
