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

    // What enumeration reports, in order. By default DirectSound's primary driver
    // entry (no GUID) and one card.
    std::vector<FakeDeviceInfo> devices;

    // Refuses an operation, named "<Object>.<Operation>" with Object one of
    // System, DirectSound, Buffer, Buffer3D, Listener (e.g. "Buffer.Lock",
    // "System.Create", "Buffer3D.SetPosition"), or "<Object>#<n>.<Operation>"
    // for one object only.
    void Refuse(const std::string& operation, HRESULT result, int times = -1);
    // Whether the operation is to be refused now; consumes one refusal.
    bool Refused(const std::string& operation, HRESULT* result);

    bool buffersInHardware = false;  // GetCaps reports DSBCAPS_LOCHARDWARE instead of LOCSOFTWARE

    // Everything made so far, in order of creation.
    std::vector<std::unique_ptr<FakeDirectSound>> directSounds;
    std::vector<std::unique_ptr<FakeSoundBuffer>> buffers;
    std::vector<std::unique_ptr<FakeSound3DBuffer>> buffers3D;
    std::vector<std::unique_ptr<FakeListener>> listeners;

    // The fake object behind an interface pointer, or null when it is not one of ours.
    FakeSoundBuffer* Find(IDirectSoundBuffer* buffer) const { return FindIn(buffers, buffer); }
    FakeSound3DBuffer* Find(IDirectSound3DBuffer* buffer) const { return FindIn(buffers3D, buffer); }
    FakeListener* Find(IDirectSound3DListener* listener) const { return FindIn(listeners, listener); }
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
    template <typename Fake, typename Interface>
    static Fake* FindIn(const std::vector<std::unique_ptr<Fake>>& list, Interface* wanted) {
        for (const auto& f : list) {
            if (static_cast<Interface*>(f.get()) == wanted) return f.get();
        }
        return nullptr;
    }

    std::map<std::string, std::pair<HRESULT, int>> refusals_;  // result, refusals left (-1: all)
    FakeDirectSoundSystem* previous_;
};

// What every object shares: its number in the order its kind was made, real
// references, and the entry of every operation, which records the call, flags a
// call on a released object and answers a scripted refusal.
template <typename Interface>
class FakeObject : public Interface {
public:
    FakeObject(FakeDirectSoundSystem& system, const char* kind, int number)
        : system(system), number(number), kind_(kind) {}

    ULONG STDMETHODCALLTYPE AddRef() override {
        if (Released()) system.Fault(Name("AddRef") + " after release");
        return static_cast<ULONG>(++refs);
    }
    ULONG STDMETHODCALLTYPE Release() override {
        if (refs <= 0) {
            system.Fault(Name("Release") + " after release");
            return 0;
        }
        system.Record(Name("Release"));
        return static_cast<ULONG>(--refs);
    }
    virtual bool Released() const { return refs <= 0; }

    FakeDirectSoundSystem& system;
    const int number;
    int refs = 1;

protected:
    std::string Name(const char* operation) const {
        return std::string(kind_) + "#" + std::to_string(number) + "." + operation;
    }
    HRESULT Enter(const char* operation) {
        std::string call = Name(operation);
        system.Record(call);
        if (Released()) system.Fault(call + " after release");
        HRESULT refusal = DS_OK;
        if (!system.Refused(call, &refusal)) system.Refused(std::string(kind_) + "." + operation, &refusal);
        return refusal;
    }
    HRESULT Unexpected(const char* operation) {
        system.Record(Name(operation));
        system.Fault(Name(operation) + " is not expected of the plug-in");
        return DSERR_UNSUPPORTED;
    }

private:
    const char* kind_;
};

class FakeDirectSound : public FakeObject<IDirectSound> {
public:
    FakeDirectSound(FakeDirectSoundSystem& system, int number, const FakeDeviceInfo& device)
        : FakeObject(system, "DirectSound", number), device(device) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return Unexpected("QueryInterface"); }
    HRESULT STDMETHODCALLTYPE CreateSoundBuffer(LPCDSBUFFERDESC, LPDIRECTSOUNDBUFFER*, IUnknown*) override;
    HRESULT STDMETHODCALLTYPE GetCaps(LPDSCAPS) override { return Unexpected("GetCaps"); }
    HRESULT STDMETHODCALLTYPE DuplicateSoundBuffer(LPDIRECTSOUNDBUFFER original, LPDIRECTSOUNDBUFFER* out) override;
    HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD level) override {
        if (HRESULT r = Enter("SetCooperativeLevel"); r != DS_OK) return r;
        if (level < DSSCL_NORMAL || level > DSSCL_WRITEPRIMARY) return DSERR_INVALIDPARAM;
        cooperativeWindow = window;
        cooperativeLevel = level;
        return DS_OK;
    }
    HRESULT STDMETHODCALLTYPE Compact() override { return Unexpected("Compact"); }
    HRESULT STDMETHODCALLTYPE GetSpeakerConfig(LPDWORD) override { return Unexpected("GetSpeakerConfig"); }
    HRESULT STDMETHODCALLTYPE SetSpeakerConfig(DWORD) override { return Unexpected("SetSpeakerConfig"); }
    HRESULT STDMETHODCALLTYPE Initialize(LPCGUID) override { return Unexpected("Initialize"); }

    FakeDeviceInfo device;
    DWORD cooperativeLevel = 0;
    HWND cooperativeWindow = nullptr;
    FakeSoundBuffer* primary = nullptr;  // made on the first primary-buffer request
    FakeListener* listener = nullptr;    // made on the first listener query of the primary
    std::vector<BYTE> lastFormat;        // the format of the last secondary buffer asked for, extra bytes included
};

class FakeSoundBuffer : public FakeObject<IDirectSoundBuffer> {
public:
    FakeSoundBuffer(FakeDirectSound& device, int number, DWORD flags, DWORD bytes, const WAVEFORMATEX* format,
                    std::shared_ptr<std::vector<BYTE>> sharedData);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetCaps(LPDSBCAPS caps) override;
    HRESULT STDMETHODCALLTYPE GetCurrentPosition(LPDWORD play, LPDWORD write) override {
        if (HRESULT r = Enter("GetCurrentPosition"); r != DS_OK) return r;
        if (play != nullptr) *play = playCursor;
        if (write != nullptr) *write = playCursor;
        return DS_OK;
    }
    HRESULT STDMETHODCALLTYPE GetFormat(LPWAVEFORMATEX format, DWORD size, LPDWORD written) override;
    HRESULT STDMETHODCALLTYPE GetVolume(LPLONG out) override {
        return ReadControl(Enter("GetVolume"), (flags & DSBCAPS_CTRLVOLUME) != 0, out, volume);
    }
    HRESULT STDMETHODCALLTYPE GetPan(LPLONG out) override {
        return ReadControl(Enter("GetPan"), (flags & DSBCAPS_CTRLPAN) != 0, out, pan);
    }
    HRESULT STDMETHODCALLTYPE GetFrequency(LPDWORD out) override {
        DWORD own = frequency != 0 ? frequency : (Format() != nullptr ? Format()->nSamplesPerSec : 0);
        return ReadControl(Enter("GetFrequency"), (flags & DSBCAPS_CTRLFREQUENCY) != 0, out, own);
    }
    HRESULT STDMETHODCALLTYPE GetStatus(LPDWORD out) override {
        if (HRESULT r = Enter("GetStatus"); r != DS_OK) return r;
        if (out == nullptr) return DSERR_INVALIDPARAM;
        *out = (playing ? DSBSTATUS_PLAYING : 0) | (playing && looping ? DSBSTATUS_LOOPING : 0) |
               (lost ? DSBSTATUS_BUFFERLOST : 0);
        return DS_OK;
    }
    HRESULT STDMETHODCALLTYPE Initialize(LPDIRECTSOUND, LPCDSBUFFERDESC) override { return Unexpected("Initialize"); }
    HRESULT STDMETHODCALLTYPE Lock(DWORD, DWORD, LPVOID*, LPDWORD, LPVOID*, LPDWORD, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Play(DWORD reserved1, DWORD, DWORD playFlagsGiven) override {
        if (HRESULT r = Enter("Play"); r != DS_OK) return r;
        if (reserved1 != 0) return DSERR_INVALIDPARAM;
        if (isPrimary() && (playFlagsGiven & DSBPLAY_LOOPING) == 0) return DSERR_INVALIDPARAM;
        if (lost) return DSERR_BUFFERLOST;
        playing = true;
        looping = (playFlagsGiven & DSBPLAY_LOOPING) != 0;
        playFlags.push_back(playFlagsGiven);
        return DS_OK;
    }
    HRESULT STDMETHODCALLTYPE SetCurrentPosition(DWORD position) override {
        if (HRESULT r = Enter("SetCurrentPosition"); r != DS_OK) return r;
        if (isPrimary()) return DSERR_INVALIDCALL;
        if (position >= bufferBytes) return DSERR_INVALIDPARAM;
        playCursor = position;
        positionsSet.push_back(position);
        return DS_OK;
    }
    HRESULT STDMETHODCALLTYPE SetFormat(LPCWAVEFORMATEX format) override;
    HRESULT STDMETHODCALLTYPE SetVolume(LONG value) override {
        bool valid = value >= DSBVOLUME_MIN && value <= DSBVOLUME_MAX;
        return WriteControl(Enter("SetVolume"), (flags & DSBCAPS_CTRLVOLUME) != 0, valid, volume, value);
    }
    HRESULT STDMETHODCALLTYPE SetPan(LONG value) override {
        bool valid = value >= DSBPAN_LEFT && value <= DSBPAN_RIGHT;
        return WriteControl(Enter("SetPan"), (flags & DSBCAPS_CTRLPAN) != 0, valid, pan, value);
    }
    HRESULT STDMETHODCALLTYPE SetFrequency(DWORD value) override {
        bool valid = value == DSBFREQUENCY_ORIGINAL || (value >= DSBFREQUENCY_MIN && value <= kMaxFrequency);
        bool available = !isPrimary() && (flags & DSBCAPS_CTRLFREQUENCY) != 0;
        return WriteControl(Enter("SetFrequency"), available, valid, frequency, value);
    }
    HRESULT STDMETHODCALLTYPE Stop() override {
        if (HRESULT r = Enter("Stop"); r != DS_OK) return r;
        playing = false;
        return DS_OK;
    }
    HRESULT STDMETHODCALLTYPE Unlock(LPVOID part1, DWORD bytes1, LPVOID part2, DWORD bytes2) override;
    HRESULT STDMETHODCALLTYPE Restore() override {
        if (HRESULT r = Enter("Restore"); r != DS_OK) return r;
        lost = false;
        return DS_OK;
    }

    // Test controls.
    void SetPlayCursor(DWORD position) { playCursor = position; }
    // Moves the play cursor as DirectSound would in `bytes` of playing time: a looping
    // buffer wraps, a one-shot buffer stops at its end.
    void Advance(DWORD bytes);

    // The sample memory (shared with duplicates), without the guard bytes around it.
    BYTE* Bytes() { return data_->data() + kGuard; }
    std::vector<BYTE> Contents() const { return {data_->begin() + kGuard, data_->begin() + kGuard + bufferBytes}; }

    struct LockRecord {
        DWORD offset, bytes;
    };

    FakeDirectSound& device;
    const DWORD flags;
    const DWORD bufferBytes;
    std::vector<BYTE> format;               // WAVEFORMATEX and its extra bytes; empty for a new primary buffer
    FakeSound3DBuffer* buffer3D = nullptr;  // made on the first 3D query
    bool isPrimary() const { return (flags & DSBCAPS_PRIMARYBUFFER) != 0; }
    bool isDuplicate = false;

    DWORD playCursor = 0;
    bool playing = false;
    bool looping = false;
    bool lost = false;  // set by a test; DirectSound lost the memory until a Restore
    LONG volume = 0;
    LONG pan = 0;
    DWORD frequency = 0;           // 0: the format's own rate
    std::vector<DWORD> playFlags;  // flags of every accepted Play
    std::vector<DWORD> positionsSet;
    std::vector<LockRecord> locks;

    // Referenced itself or through its 3D interface.
    bool Released() const override;
    const WAVEFORMATEX* Format() const {
        return format.empty() ? nullptr : reinterpret_cast<const WAVEFORMATEX*>(format.data());
    }
    // Checks the guard bytes around the sample memory; records a fault when touched.
    bool GuardsIntact();

    static constexpr size_t kGuard = 64;
    static constexpr DWORD kMaxFrequency = 200000;

private:
    // Volume, pan and frequency: a control the buffer was made without is unavailable.
    template <typename T>
    static HRESULT ReadControl(HRESULT entered, bool available, T* out, T value) {
        if (entered != DS_OK) return entered;
        if (out == nullptr) return DSERR_INVALIDPARAM;
        if (!available) return DSERR_CONTROLUNAVAIL;
        *out = value;
        return DS_OK;
    }

    template <typename T>
    static HRESULT WriteControl(HRESULT entered, bool available, bool valid, T& target, T value) {
        if (entered != DS_OK) return entered;
        if (!available) return DSERR_CONTROLUNAVAIL;
        if (!valid) return DSERR_INVALIDPARAM;
        target = value;
        return DS_OK;
    }
    friend class FakeDirectSound;  // a duplicate shares the sample memory
    HRESULT Enter(const char* operation);
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

class FakeSound3DBuffer : public FakeObject<IDirectSound3DBuffer>, public FakeDeferred<DS3DBUFFER> {
public:
    FakeSound3DBuffer(FakeSoundBuffer& buffer, int number);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return Unexpected("QueryInterface"); }
    HRESULT STDMETHODCALLTYPE GetAllParameters(LPDS3DBUFFER) override { return Unexpected("GetAllParameters"); }
    HRESULT STDMETHODCALLTYPE GetConeAngles(LPDWORD inside, LPDWORD outside) override {
        if (HRESULT r = Enter("GetConeAngles"); r != DS_OK) return r;
        if (inside != nullptr) *inside = current.dwInsideConeAngle;
        if (outside != nullptr) *outside = current.dwOutsideConeAngle;
        return DS_OK;
    }
    HRESULT STDMETHODCALLTYPE GetConeOrientation(LPD3DVECTOR out) override {
        return Get(Enter("GetConeOrientation"), out, current.vConeOrientation);
    }
    HRESULT STDMETHODCALLTYPE GetConeOutsideVolume(LPLONG out) override {
        return Get(Enter("GetConeOutsideVolume"), out, current.lConeOutsideVolume);
    }
    HRESULT STDMETHODCALLTYPE GetMaxDistance(LPD3DVALUE out) override {
        return Get(Enter("GetMaxDistance"), out, current.flMaxDistance);
    }
    HRESULT STDMETHODCALLTYPE GetMinDistance(LPD3DVALUE out) override {
        return Get(Enter("GetMinDistance"), out, current.flMinDistance);
    }
    HRESULT STDMETHODCALLTYPE GetMode(LPDWORD out) override { return Get(Enter("GetMode"), out, current.dwMode); }
    HRESULT STDMETHODCALLTYPE GetPosition(LPD3DVECTOR out) override {
        return Get(Enter("GetPosition"), out, current.vPosition);
    }
    HRESULT STDMETHODCALLTYPE GetVelocity(LPD3DVECTOR out) override {
        return Get(Enter("GetVelocity"), out, current.vVelocity);
    }
    HRESULT STDMETHODCALLTYPE SetAllParameters(LPCDS3DBUFFER, DWORD) override { return Unexpected("SetAllParameters"); }
    HRESULT STDMETHODCALLTYPE SetConeAngles(DWORD inside, DWORD outside, DWORD apply) override {
        bool valid = inside <= DS3D_MAXCONEANGLE && outside <= DS3D_MAXCONEANGLE;
        return Set(Enter("SetConeAngles"), apply, valid, [&](DS3DBUFFER& t) {
            t.dwInsideConeAngle = inside;
            t.dwOutsideConeAngle = outside;
        });
    }
    HRESULT STDMETHODCALLTYPE SetConeOrientation(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) override {
        return Set(Enter("SetConeOrientation"), apply, true, [&](DS3DBUFFER& t) { t.vConeOrientation = {x, y, z}; });
    }
    HRESULT STDMETHODCALLTYPE SetConeOutsideVolume(LONG volume, DWORD apply) override {
        bool valid = volume >= DSBVOLUME_MIN && volume <= DSBVOLUME_MAX;
        return Set(Enter("SetConeOutsideVolume"), apply, valid, [&](DS3DBUFFER& t) { t.lConeOutsideVolume = volume; });
    }
    HRESULT STDMETHODCALLTYPE SetMaxDistance(D3DVALUE distance, DWORD apply) override {
        return Set(Enter("SetMaxDistance"), apply, distance > 0.0f, [&](DS3DBUFFER& t) { t.flMaxDistance = distance; });
    }
    HRESULT STDMETHODCALLTYPE SetMinDistance(D3DVALUE distance, DWORD apply) override {
        return Set(Enter("SetMinDistance"), apply, distance > 0.0f, [&](DS3DBUFFER& t) { t.flMinDistance = distance; });
    }
    HRESULT STDMETHODCALLTYPE SetMode(DWORD mode, DWORD apply) override {
        return Set(Enter("SetMode"), apply, mode <= DS3DMODE_DISABLE, [&](DS3DBUFFER& t) { t.dwMode = mode; });
    }
    HRESULT STDMETHODCALLTYPE SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) override {
        return Set(Enter("SetPosition"), apply, true, [&](DS3DBUFFER& t) { t.vPosition = {x, y, z}; });
    }
    HRESULT STDMETHODCALLTYPE SetVelocity(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) override {
        return Set(Enter("SetVelocity"), apply, true, [&](DS3DBUFFER& t) { t.vVelocity = {x, y, z}; });
    }

    FakeSoundBuffer& buffer;
};

class FakeListener : public FakeObject<IDirectSound3DListener>, public FakeDeferred<DS3DLISTENER> {
public:
    FakeListener(FakeDirectSound& device, int number);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return Unexpected("QueryInterface"); }
    HRESULT STDMETHODCALLTYPE GetAllParameters(LPDS3DLISTENER) override { return Unexpected("GetAllParameters"); }
    HRESULT STDMETHODCALLTYPE GetDistanceFactor(LPD3DVALUE out) override {
        return Get(Enter("GetDistanceFactor"), out, current.flDistanceFactor);
    }
    HRESULT STDMETHODCALLTYPE GetDopplerFactor(LPD3DVALUE out) override {
        return Get(Enter("GetDopplerFactor"), out, current.flDopplerFactor);
    }
    HRESULT STDMETHODCALLTYPE GetOrientation(LPD3DVECTOR front, LPD3DVECTOR top) override {
        if (HRESULT r = Enter("GetOrientation"); r != DS_OK) return r;
        if (front == nullptr || top == nullptr) return DSERR_INVALIDPARAM;
        *front = current.vOrientFront;
        *top = current.vOrientTop;
        return DS_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPosition(LPD3DVECTOR out) override {
        return Get(Enter("GetPosition"), out, current.vPosition);
    }
    HRESULT STDMETHODCALLTYPE GetRolloffFactor(LPD3DVALUE out) override {
        return Get(Enter("GetRolloffFactor"), out, current.flRolloffFactor);
    }
    HRESULT STDMETHODCALLTYPE GetVelocity(LPD3DVECTOR out) override {
        return Get(Enter("GetVelocity"), out, current.vVelocity);
    }
    HRESULT STDMETHODCALLTYPE SetAllParameters(LPCDS3DLISTENER, DWORD) override {
        return Unexpected("SetAllParameters");
    }
    HRESULT STDMETHODCALLTYPE SetDistanceFactor(D3DVALUE factor, DWORD apply) override {
        bool valid = factor >= DS3D_MINDISTANCEFACTOR && factor <= DS3D_MAXDISTANCEFACTOR && factor != 0.0f;
        return Set(Enter("SetDistanceFactor"), apply, valid, [&](DS3DLISTENER& t) { t.flDistanceFactor = factor; });
    }
    HRESULT STDMETHODCALLTYPE SetDopplerFactor(D3DVALUE factor, DWORD apply) override {
        bool valid = factor >= DS3D_MINDOPPLERFACTOR && factor <= DS3D_MAXDOPPLERFACTOR;
        return Set(Enter("SetDopplerFactor"), apply, valid, [&](DS3DLISTENER& t) { t.flDopplerFactor = factor; });
    }
    HRESULT STDMETHODCALLTYPE SetOrientation(D3DVALUE xFront, D3DVALUE yFront, D3DVALUE zFront, D3DVALUE xTop,
                                             D3DVALUE yTop, D3DVALUE zTop, DWORD apply) override {
        return Set(Enter("SetOrientation"), apply, true, [&](DS3DLISTENER& t) {
            t.vOrientFront = {xFront, yFront, zFront};
            t.vOrientTop = {xTop, yTop, zTop};
        });
    }
    HRESULT STDMETHODCALLTYPE SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) override {
        return Set(Enter("SetPosition"), apply, true, [&](DS3DLISTENER& t) { t.vPosition = {x, y, z}; });
    }
    HRESULT STDMETHODCALLTYPE SetRolloffFactor(D3DVALUE factor, DWORD apply) override {
        bool valid = factor >= DS3D_MINROLLOFFFACTOR && factor <= DS3D_MAXROLLOFFFACTOR;
        return Set(Enter("SetRolloffFactor"), apply, valid, [&](DS3DLISTENER& t) { t.flRolloffFactor = factor; });
    }
    HRESULT STDMETHODCALLTYPE SetVelocity(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) override {
        return Set(Enter("SetVelocity"), apply, true, [&](DS3DLISTENER& t) { t.vVelocity = {x, y, z}; });
    }
    HRESULT STDMETHODCALLTYPE CommitDeferredSettings() override {
        if (HRESULT r = Enter("CommitDeferredSettings"); r != DS_OK) return r;
        Commit();
        for (const auto& b : system.buffers3D) {
            if (&b->buffer.device == &device) b->Commit();
        }
        return DS_OK;
    }

    FakeDirectSound& device;
};

}  // namespace sonidrax::testing
