#include "sounds/sound_buffer.h"

#include <algorithm>
#include <cstring>

#include "engine/output_device.h"
#include "engine/sound_xtra.h"

namespace sonidrax {

SoundBuffer::SoundBuffer(SoundXtra* owner, uint16_t kind, bool reversed)
    : id(0), kind(kind), next(nullptr), dataBytes(0), bufferBytes(0), refillBytes(0), loop(false),
      playing(false), inHardware(false), streaming(false), is3D(false), reversed(reversed), pitch(1.0),
      volume(0), pan(0), owner(owner), fileName{}, bufferStartPos(0), writeCursor(0), sourcePos(0),
      endReached(false), buffer(nullptr), format(nullptr), buffer3D(nullptr), source(nullptr) {}

// The subclass has closed its source by now; what is left are the DirectSound
// interfaces and the format block.
SoundBuffer::~SoundBuffer() {
    if (buffer3D != nullptr) buffer3D->Release();
    buffer3D = nullptr;
    if (buffer != nullptr) buffer->Release();
    buffer = nullptr;
    FreeFormat();
}

void SoundBuffer::CopyStateFrom(const SoundBuffer& from) {
    kind = from.kind;
    dataBytes = from.dataBytes;
    bufferBytes = from.bufferBytes;
    refillBytes = from.refillBytes;
    loop = from.loop;
    playing = from.playing;
    inHardware = from.inHardware;
    streaming = false;
    is3D = from.is3D;
    reversed = from.reversed;
    pitch = from.pitch;
    volume = from.volume;
    pan = from.pan;
    owner = from.owner;
    std::memcpy(fileName, from.fileName, sizeof fileName);
    bufferStartPos = from.bufferStartPos;
    writeCursor = from.writeCursor;
    sourcePos = from.sourcePos;
    endReached = from.endReached;
}

// The source operations: a plain sound (a duplicate) has no source of its own.
Status SoundBuffer::OpenFile(const char*, uint32_t) { return kNotProvided; }
Status SoundBuffer::OpenMemory(HGLOBAL, uint32_t) { return kNotProvided; }
Status SoundBuffer::CloseSource() { return kNotProvided; }
Status SoundBuffer::SeekData(uint32_t) { return kNotProvided; }

Status SoundBuffer::ReadData(uint8_t*, uint32_t, uint32_t* bytesRead) {
    if (bytesRead != nullptr) *bytesRead = 0;
    return kNotProvided;
}

void* SoundBuffer::AllocateHost(uint32_t byteCount) const { return owner->Allocate(byteCount); }

void SoundBuffer::FreeFormat() {
    if (format != nullptr && owner != nullptr) owner->Free(format);
    format = nullptr;
}

void SoundBuffer::ShowMessageFormatted(const char* text, int32_t argument) const {
    if (owner == nullptr || owner->hostMessages == nullptr) return;
    owner->hostMessages->ops->ShowFormatted(owner->hostMessages, text, argument);
}

Status SoundBuffer::CreateBuffer(uint32_t size, uint32_t* bytesRead) {
    *bytesRead = 0;
    bufferBytes = size;
    bufferStartPos = 0;

    OutputDevice* device = owner != nullptr ? owner->currentDevice : nullptr;
    if (device == nullptr || device->directSound == nullptr || format == nullptr) {
        FreeFormat();
        return kUnsupportedFormat;
    }
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof(DSBUFFERDESC1);
    desc.dwFlags = is3D ? kFlags3D : kFlagsPlain;
    desc.dwBufferBytes = bufferBytes;
    desc.lpwfxFormat = format;
    if (FAILED(device->directSound->CreateSoundBuffer(&desc, &buffer, nullptr))) {
        buffer = nullptr;
        FreeFormat();
        return kUnsupportedFormat;
    }

    // A reversed sound longer than its ring starts at the end of its data, which
    // the ring then walks back from.
    bool reversedRing = reversed && dataBytes > bufferBytes;
    if (reversedRing) {
        Status seek = SeekData(dataBytes - bufferBytes);
        if (seek != kOk) {
            FreeFormat();
            return seek;
        }
    }

    void* part1 = nullptr;
    void* part2 = nullptr;
    DWORD bytes1 = 0;
    DWORD bytes2 = 0;
    HRESULT locked = buffer->Lock(0, bufferBytes, &part1, &bytes1, &part2, &bytes2, 0);
    if (FAILED(locked)) {
        FreeFormat();
        return locked;
    }
    uint32_t n = 0;
    Status read = ReadData(static_cast<uint8_t*>(part1), bytes1, &n);
    if (read != kOk) {
        buffer->Unlock(part1, 0, part2, 0);
        FreeFormat();
        return read;
    }
    n = std::min<uint32_t>(n, bytes1);
    std::memset(static_cast<uint8_t*>(part1) + n, 0, bytes1 - n);
    // The zeroed tail was written too: report the whole part so that it reaches
    // the device also where the buffer lives in hardware.
    buffer->Unlock(part1, bytes1, part2, 0);

    writeCursor = bufferBytes;
    if (reversedRing) bufferStartPos = dataBytes;
    buffer->SetCurrentPosition(0);
    *bytesRead = n;
    return kOk;
}

Status SoundBuffer::Play() {
    if (buffer == nullptr) return kOk;
    DWORD flags = (loop || streaming) ? DSBPLAY_LOOPING : 0;
    if (buffer->Play(0, 0, flags) == DSERR_BUFFERLOST) buffer->Restore();
    playing = true;
    return kOk;
}

Status SoundBuffer::Stop() {
    if (buffer != nullptr) buffer->Stop();
    playing = false;
    return kOk;
}

bool SoundBuffer::IsPlaying() {
    if (loop) return playing;
    if (buffer == nullptr) return false;
    DWORD status = 0;
    if (FAILED(buffer->GetStatus(&status))) return false;
    return (status & DSBSTATUS_PLAYING) != 0;
}

Status SoundBuffer::SetPitch(double factor) {
    if (factor < 0.0) return kBadArgument;
    pitch = factor;
    if (buffer == nullptr || format == nullptr) return kOk;
    double frequency = static_cast<double>(format->nSamplesPerSec) * factor;
    // Beyond what a DWORD holds DirectSound refuses it anyway; keep the conversion defined.
    DWORD value = frequency >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<DWORD>(frequency);
    buffer->SetFrequency(value);
    return kOk;
}

double SoundBuffer::GetPitch() {
    if (buffer == nullptr || format == nullptr || format->nSamplesPerSec == 0) return 0.0;
    DWORD frequency = 0;
    if (FAILED(buffer->GetFrequency(&frequency))) return 0.0;
    return static_cast<double>(frequency) / static_cast<double>(format->nSamplesPerSec);
}

Status SoundBuffer::SetVolume(int32_t hundredthsOfDb) {
    if (hundredthsOfDb > DSBVOLUME_MAX || hundredthsOfDb < DSBVOLUME_MIN) return kBadArgument;
    volume = hundredthsOfDb;
    if (buffer != nullptr) buffer->SetVolume(hundredthsOfDb);
    return kOk;
}

int32_t SoundBuffer::GetVolume() {
    LONG value = 0;
    if (buffer == nullptr || FAILED(buffer->GetVolume(&value))) return 0;
    return value;
}

Status SoundBuffer::SetPan(int32_t newPan) {
    pan = newPan;
    if (buffer != nullptr) buffer->SetPan(newPan);
    return kOk;
}

int32_t SoundBuffer::GetPan() {
    LONG value = 0;
    if (buffer == nullptr || FAILED(buffer->GetPan(&value))) return 0;
    return value;
}

Status SoundBuffer::SetLoop(bool on) {
    loop = on;
    return kOk;
}

bool SoundBuffer::GetLoop() { return loop; }

void SoundBuffer::FillSilence(uint8_t* dest, uint32_t count) const {
    if (format == nullptr || count == 0) return;
    uint8_t value = 0;
    if (format->wBitsPerSample == 8) {
        value = 0x80;
    } else if (format->wBitsPerSample != 16) {
        return;
    }
    std::memset(dest, value, count);
}

int32_t SoundBuffer::AlignToFrame(int32_t pos) const {
    if (format == nullptr) return pos;
    bool sixteen = format->wBitsPerSample == 16;
    bool stereo = format->nChannels == 2;
    if (sixteen && stereo) return pos & ~3;
    if (sixteen || stereo) return pos & ~1;
    return pos;
}

}  // namespace sonidrax
