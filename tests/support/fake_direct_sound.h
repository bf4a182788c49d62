// A deterministic DirectSound for unit tests: real COM-shaped objects (IDirectSound,
// IDirectSoundBuffer, IDirectSound3DBuffer, IDirectSound3DListener) whose play
// cursor the test moves, whose locks wrap like the real ones, whose buffers can be
// lost, and whose every operation can be refused on demand. Operations the plug-in
// has no use for answer DSERR_UNSUPPORTED and are recorded as faults.
//
// All objects belong to one FakeDirectSoundSystem and live as long as it does, so
// a test can look at an object after the code under test released it. Reference
// counts are real: `LiveReferences()` tells whether anything leaked, and any call
// on an object whose references have all been released is recorded as a fault.
#pragma once

#include <dsound.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace sonidrax::testing {

class FakeDirectSoundSystem;
class FakeDirectSound;
class FakeSoundBuffer;
class FakeSound3DBuffer;
class FakeListener;

// One device as DirectSoundEnumerateA reports it.
struct FakeDeviceInfo {
    bool hasGuid = false;
    GUID guid{};
    std::string description;
    std::string module;
};

// A scripted refusal of one operation.
struct FakeRefusal {
    HRESULT result = E_FAIL;
    int skip = 0;    // calls that still succeed before the refusals start
    int times = -1;  // refusals left; -1 refuses for ever
};

class FakeDirectSoundSystem {
public:
    // The system becomes the one that the static entry points below serve.
    FakeDirectSoundSystem();
    ~FakeDirectSoundSystem();
    FakeDirectSoundSystem(const FakeDirectSoundSystem&) = delete;
    FakeDirectSoundSystem& operator=(const FakeDirectSoundSystem&) = delete;

    // Entry points shaped like DirectSoundCreate and DirectSoundEnumerateA, serving
    // the most recently constructed live system.
    static HRESULT WINAPI Create(const GUID* device, IDirectSound** out, IUnknown* outer);
    static HRESULT WINAPI Enumerate(LPDSENUMCALLBACKA callback, void* context);
    static FakeDirectSoundSystem* Current();

    // What enumeration reports, in order. By default DirectSound's primary driver
    // entry (no GUID) and one card.
    std::vector<FakeDeviceInfo> devices;
    static const GUID kCardGuid;

    // Refuses an operation, named "<Object>.<Operation>" with Object one of
    // System, DirectSound, Buffer, Buffer3D, Listener (e.g. "Buffer.Lock",
    // "System.Create", "Buffer3D.SetPosition").
    void Refuse(const std::string& operation, HRESULT result, int times = -1, int skip = 0);
    // Whether the operation is to be refused now; consumes one refusal.
    bool Refused(const std::string& operation, HRESULT* result);

    // Device behaviour switches.
    bool buffersInHardware = false;  // GetCaps reports DSBCAPS_LOCHARDWARE instead of LOCSOFTWARE

    // Everything made so far, in order of creation.
    std::vector<std::unique_ptr<FakeDirectSound>> directSounds;
    std::vector<std::unique_ptr<FakeSoundBuffer>> buffers;
    std::vector<std::unique_ptr<FakeSound3DBuffer>> buffers3D;
    std::vector<std::unique_ptr<FakeListener>> listeners;

    // The fake object behind an interface pointer, or null when it is not one of ours.
    FakeSoundBuffer* Find(IDirectSoundBuffer* buffer) const;
    FakeSound3DBuffer* Find(IDirectSound3DBuffer* buffer) const;
    FakeListener* Find(IDirectSound3DListener* listener) const;
    FakeDirectSound* Find(IDirectSound* directSound) const;
    // The secondary buffers made by CreateSoundBuffer or DuplicateSoundBuffer.
    std::vector<FakeSoundBuffer*> SecondaryBuffers() const;

    // References still held on any object of this system.
    int LiveReferences() const;
    // Misuse seen so far: calls after release, unmatched unlocks, buffer overruns...
    std::vector<std::string> faults;
    void Fault(const std::string& text) { faults.push_back(text); }
    // Every successful or refused call, in order, as "Object#n.Operation".
    std::vector<std::string> calls;
    void Record(const std::string& call) { calls.push_back(call); }

private:
    std::map<std::string, FakeRefusal> refusals_;
    FakeDirectSoundSystem* previous_;
};

class FakeDirectSound : public IDirectSound {
public:
    FakeDirectSound(FakeDirectSoundSystem& system, int number, const FakeDeviceInfo& device);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateSoundBuffer(LPCDSBUFFERDESC desc, LPDIRECTSOUNDBUFFER* out,
                                                IUnknown* outer) override;
    HRESULT STDMETHODCALLTYPE GetCaps(LPDSCAPS) override { return Unexpected("GetCaps"); }
    HRESULT STDMETHODCALLTYPE DuplicateSoundBuffer(LPDIRECTSOUNDBUFFER original, LPDIRECTSOUNDBUFFER* out) override;
    HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD level) override;
    HRESULT STDMETHODCALLTYPE Compact() override { return Unexpected("Compact"); }
    HRESULT STDMETHODCALLTYPE GetSpeakerConfig(LPDWORD) override { return Unexpected("GetSpeakerConfig"); }
    HRESULT STDMETHODCALLTYPE SetSpeakerConfig(DWORD) override { return Unexpected("SetSpeakerConfig"); }
    HRESULT STDMETHODCALLTYPE Initialize(LPCGUID) override { return Unexpected("Initialize"); }

    FakeDirectSoundSystem& system;
    const int number;
    FakeDeviceInfo device;
    int refs = 1;
    DWORD cooperativeLevel = 0;
    HWND cooperativeWindow = nullptr;
    FakeSoundBuffer* primary = nullptr;  // made on the first primary-buffer request
    FakeListener* listener = nullptr;    // made on the first listener query of the primary
    std::vector<FakeSoundBuffer*> secondaries;
    std::vector<BYTE> lastFormat;  // the format of the last secondary buffer asked for, extra bytes included

    bool Released() const { return refs <= 0; }

private:
    HRESULT Enter(const char* operation);
    HRESULT Unexpected(const char* operation);
};

class FakeSoundBuffer : public IDirectSoundBuffer {
public:
    FakeSoundBuffer(FakeDirectSound& device, int number, DWORD flags, DWORD bytes, const WAVEFORMATEX* format,
                    std::shared_ptr<std::vector<BYTE>> sharedData);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetCaps(LPDSBCAPS caps) override;
    HRESULT STDMETHODCALLTYPE GetCurrentPosition(LPDWORD play, LPDWORD write) override;
    HRESULT STDMETHODCALLTYPE GetFormat(LPWAVEFORMATEX format, DWORD size, LPDWORD written) override;
    HRESULT STDMETHODCALLTYPE GetVolume(LPLONG volume) override;
    HRESULT STDMETHODCALLTYPE GetPan(LPLONG pan) override;
    HRESULT STDMETHODCALLTYPE GetFrequency(LPDWORD frequency) override;
    HRESULT STDMETHODCALLTYPE GetStatus(LPDWORD status) override;
    HRESULT STDMETHODCALLTYPE Initialize(LPDIRECTSOUND, LPCDSBUFFERDESC) override { return Unexpected("Initialize"); }
    HRESULT STDMETHODCALLTYPE Lock(DWORD offset, DWORD bytes, LPVOID* part1, LPDWORD bytes1, LPVOID* part2,
                                   LPDWORD bytes2, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Play(DWORD reserved1, DWORD priority, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE SetCurrentPosition(DWORD position) override;
    HRESULT STDMETHODCALLTYPE SetFormat(LPCWAVEFORMATEX format) override;
    HRESULT STDMETHODCALLTYPE SetVolume(LONG volume) override;
    HRESULT STDMETHODCALLTYPE SetPan(LONG pan) override;
    HRESULT STDMETHODCALLTYPE SetFrequency(DWORD frequency) override;
    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE Unlock(LPVOID part1, DWORD bytes1, LPVOID part2, DWORD bytes2) override;
    HRESULT STDMETHODCALLTYPE Restore() override;

    // Test controls.
    void SetPlayCursor(DWORD position) { playCursor = position; }
    // Moves the play cursor as DirectSound would in `bytes` of playing time: a looping
    // buffer wraps, a one-shot buffer stops at its end.
    void Advance(DWORD bytes);
    void Lose() { lost = true; }

    // The sample memory (shared with duplicates), without the guard bytes around it.
    BYTE* Bytes() { return data_->data() + kGuard; }
    std::vector<BYTE> Contents() const { return {Bytes(), Bytes() + bufferBytes}; }
    const BYTE* Bytes() const { return data_->data() + kGuard; }
    std::shared_ptr<std::vector<BYTE>> SharedData() const { return data_; }

    struct LockRecord {
        DWORD offset, bytes;
    };
    struct UnlockRecord {
        DWORD bytes1, bytes2;
    };

    FakeDirectSound& device;
    const int number;
    const DWORD flags;
    const DWORD bufferBytes;
    std::vector<BYTE> format;  // WAVEFORMATEX and its extra bytes; empty for a new primary buffer
    int refs = 1;
    FakeSound3DBuffer* buffer3D = nullptr;  // made on the first 3D query
    bool isPrimary() const { return (flags & DSBCAPS_PRIMARYBUFFER) != 0; }
    bool isDuplicate = false;

    DWORD playCursor = 0;
    bool playing = false;
    bool looping = false;
    bool lost = false;
    LONG volume = 0;
    LONG pan = 0;
    DWORD frequency = 0;  // 0: the format's own rate
    int restores = 0;
    int openLocks = 0;
    std::vector<DWORD> playFlags;  // flags of every accepted Play
    std::vector<DWORD> positionsSet;
    std::vector<LockRecord> locks;
    std::vector<UnlockRecord> unlocks;

    bool Released() const;
    const WAVEFORMATEX* Format() const {
        return format.empty() ? nullptr : reinterpret_cast<const WAVEFORMATEX*>(format.data());
    }
    // Checks the guard bytes around the sample memory; records a fault when touched.
    bool GuardsIntact();

    static constexpr size_t kGuard = 64;

private:
    HRESULT Enter(const char* operation);
    HRESULT Unexpected(const char* operation);
    std::shared_ptr<std::vector<BYTE>> data_;
    struct OpenLock {
        BYTE* part1;
        DWORD bytes1;
        BYTE* part2;
        DWORD bytes2;
    };
    std::vector<OpenLock> open_;
};

// The parameters of one 3D object, in force and pending (deferred) until a commit.
template <typename Params>
struct FakeDeferred {
    explicit FakeDeferred(const Params& initial) : current(initial), pending(initial) {}
    Params current;  // what the getters answer
    Params pending;
    bool hasPending = false;
    Params& Target(DWORD apply) {
        if (apply != DS3D_DEFERRED) return current;
        if (!hasPending) pending = current;
        hasPending = true;
        return pending;
    }
    void Commit() {
        if (hasPending) current = pending;
        hasPending = false;
    }
    // The shared tail of every getter and setter, once the call was entered.
    template <typename T>
    static HRESULT Get(HRESULT entered, T* out, const T& value) {
        if (entered != DS_OK) return entered;
        if (out == nullptr) return DSERR_INVALIDPARAM;
        *out = value;
        return DS_OK;
    }
    template <typename Change>
    HRESULT Set(HRESULT entered, DWORD apply, bool valid, Change change) {
        if (entered != DS_OK) return entered;
        if ((apply != DS3D_IMMEDIATE && apply != DS3D_DEFERRED) || !valid) return DSERR_INVALIDPARAM;
        change(Target(apply));
        return DS_OK;
    }
};

class FakeSound3DBuffer : public IDirectSound3DBuffer, public FakeDeferred<DS3DBUFFER> {
public:
    FakeSound3DBuffer(FakeSoundBuffer& buffer, int number);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetAllParameters(LPDS3DBUFFER) override { return Unexpected("GetAllParameters"); }
    HRESULT STDMETHODCALLTYPE GetConeAngles(LPDWORD inside, LPDWORD outside) override;
    HRESULT STDMETHODCALLTYPE GetConeOrientation(LPD3DVECTOR orientation) override;
    HRESULT STDMETHODCALLTYPE GetConeOutsideVolume(LPLONG volume) override;
    HRESULT STDMETHODCALLTYPE GetMaxDistance(LPD3DVALUE distance) override;
    HRESULT STDMETHODCALLTYPE GetMinDistance(LPD3DVALUE distance) override;
    HRESULT STDMETHODCALLTYPE GetMode(LPDWORD mode) override;
    HRESULT STDMETHODCALLTYPE GetPosition(LPD3DVECTOR position) override;
    HRESULT STDMETHODCALLTYPE GetVelocity(LPD3DVECTOR velocity) override;
    HRESULT STDMETHODCALLTYPE SetAllParameters(LPCDS3DBUFFER, DWORD) override { return Unexpected("SetAllParameters"); }
    HRESULT STDMETHODCALLTYPE SetConeAngles(DWORD inside, DWORD outside, DWORD apply) override;
    HRESULT STDMETHODCALLTYPE SetConeOrientation(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) override;
    HRESULT STDMETHODCALLTYPE SetConeOutsideVolume(LONG volume, DWORD apply) override;
    HRESULT STDMETHODCALLTYPE SetMaxDistance(D3DVALUE distance, DWORD apply) override;
    HRESULT STDMETHODCALLTYPE SetMinDistance(D3DVALUE distance, DWORD apply) override;
    HRESULT STDMETHODCALLTYPE SetMode(DWORD mode, DWORD apply) override;
    HRESULT STDMETHODCALLTYPE SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) override;
    HRESULT STDMETHODCALLTYPE SetVelocity(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) override;

    FakeSoundBuffer& buffer;
    const int number;
    int refs = 1;

private:
    HRESULT Enter(const char* operation);
    HRESULT Unexpected(const char* operation);
    // The shapes of every getter and setter: refusal, checks, then the value.
};

class FakeListener : public IDirectSound3DListener, public FakeDeferred<DS3DLISTENER> {
public:
    FakeListener(FakeDirectSound& device, int number);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetAllParameters(LPDS3DLISTENER) override { return Unexpected("GetAllParameters"); }
    HRESULT STDMETHODCALLTYPE GetDistanceFactor(LPD3DVALUE factor) override;
    HRESULT STDMETHODCALLTYPE GetDopplerFactor(LPD3DVALUE factor) override;
    HRESULT STDMETHODCALLTYPE GetOrientation(LPD3DVECTOR front, LPD3DVECTOR top) override;
    HRESULT STDMETHODCALLTYPE GetPosition(LPD3DVECTOR position) override;
    HRESULT STDMETHODCALLTYPE GetRolloffFactor(LPD3DVALUE factor) override;
    HRESULT STDMETHODCALLTYPE GetVelocity(LPD3DVECTOR velocity) override;
    HRESULT STDMETHODCALLTYPE SetAllParameters(LPCDS3DLISTENER, DWORD) override {
        return Unexpected("SetAllParameters");
    }
    HRESULT STDMETHODCALLTYPE SetDistanceFactor(D3DVALUE factor, DWORD apply) override;
    HRESULT STDMETHODCALLTYPE SetDopplerFactor(D3DVALUE factor, DWORD apply) override;
    HRESULT STDMETHODCALLTYPE SetOrientation(D3DVALUE xFront, D3DVALUE yFront, D3DVALUE zFront, D3DVALUE xTop,
                                             D3DVALUE yTop, D3DVALUE zTop, DWORD apply) override;
    HRESULT STDMETHODCALLTYPE SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) override;
    HRESULT STDMETHODCALLTYPE SetRolloffFactor(D3DVALUE factor, DWORD apply) override;
    HRESULT STDMETHODCALLTYPE SetVelocity(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) override;
    HRESULT STDMETHODCALLTYPE CommitDeferredSettings() override;

    FakeDirectSound& device;
    const int number;
    int refs = 1;
    int commits = 0;

private:
    HRESULT Enter(const char* operation);
    HRESULT Unexpected(const char* operation);
};

}  // namespace sonidrax::testing
