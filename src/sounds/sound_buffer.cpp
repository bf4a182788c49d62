#include "sounds/sound_buffer.h"

#include <algorithm>
#include <cstring>

namespace sonidrax {

SoundBuffer::SoundBuffer(const SoundContext& context, uint16_t kind, bool reversed)
    : kind_(kind), reversed_(reversed), context_(context) {}

// The subclass has closed its source by now; what is left are the DirectSound
// interfaces and the format block.
SoundBuffer::~SoundBuffer() {
    if (buffer3D_ != nullptr) buffer3D_->Release();
    buffer3D_ = nullptr;
    if (buffer_ != nullptr) buffer_->Release();
    buffer_ = nullptr;
    FreeFormat();
}

void SoundBuffer::FinishOpening(const D3DVECTOR& position, DWORD applyMode) {
    DSBCAPS caps = {};
    caps.dwSize = sizeof caps;
    if (buffer_ == nullptr || FAILED(buffer_->GetCaps(&caps))) return;
    inHardware_ = (caps.dwFlags & DSBCAPS_LOCHARDWARE) != 0;
    refillBytes_ = std::min(bufferBytes_ / 4, kMaxRefillBytes);
    streaming_ = bufferBytes_ < dataBytes_;
    if (!is3D_) return;
    void* buffer3D = nullptr;
    if (FAILED(buffer_->QueryInterface(IID_IDirectSound3DBuffer, &buffer3D))) return;
    buffer3D_ = static_cast<IDirectSound3DBuffer*>(buffer3D);
    buffer3D_->SetPosition(position.x, position.y, position.z, applyMode);
}

Status SoundBuffer::CopyStateFrom(const SoundBuffer& from) {
    kind_ = from.kind_;
    dataBytes_ = from.dataBytes_;
    bufferBytes_ = from.bufferBytes_;
    refillBytes_ = from.refillBytes_;
    loop_ = from.loop_;
    // The copy's buffer is silent until the copy itself is played.
    playing_ = false;
    inHardware_ = from.inHardware_;
    streaming_ = false;
    is3D_ = from.is3D_;
    reversed_ = from.reversed_;
    pitch_ = from.pitch_;
    volume_ = from.volume_;
    pan_ = from.pan_;
    std::memcpy(fileName_, from.fileName_, sizeof fileName_);
    bufferStartPos_ = from.bufferStartPos_;
    writeCursor_ = from.writeCursor_;
    sourcePos_ = from.sourcePos_;
    endReached_ = from.endReached_;
    if (from.format_ == nullptr) return kOk;
    const uint32_t size = sizeof(WAVEFORMATEX) + from.format_->cbSize;
    WAVEFORMATEX* format = AllocateFormat(size);
    if (format == nullptr) return kOutOfMemory;
    std::memcpy(format, from.format_, size);
    return kOk;
}

// Each sound releases only what it holds, so a 3D copy queries a 3D interface of
// its own on its own buffer.
Status SoundBuffer::DuplicateBufferOf(const SoundBuffer& from) {
    if (context_.directSound == nullptr || from.buffer_ == nullptr) return kOutOfMemory;
    IDirectSoundBuffer* copy = nullptr;
    if (FAILED(context_.directSound->DuplicateSoundBuffer(from.buffer_, &copy)) || copy == nullptr) {
        return kOutOfMemory;
    }
    buffer_ = copy;
    if (!is3D_) return kOk;
    void* buffer3D = nullptr;
    if (SUCCEEDED(copy->QueryInterface(IID_IDirectSound3DBuffer, &buffer3D))) {
        buffer3D_ = static_cast<IDirectSound3DBuffer*>(buffer3D);
    }
    return kOk;
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

Status SoundBuffer::SetFileName(const char* path) {
    const size_t length = strnlen(path, kFileNameSize);
    if (length >= kFileNameSize) return kBadArgument;
    std::memcpy(fileName_, path, length + 1);
    return kOk;
}

WAVEFORMATEX* SoundBuffer::AllocateFormat(uint32_t byteCount) {
    FreeFormat();
    HostAllocator* allocator = context_.allocator;
    format_ = static_cast<WAVEFORMATEX*>(allocator->ops->Alloc(allocator, byteCount));
    return format_;
}

void SoundBuffer::FreeFormat() {
    if (format_ != nullptr) context_.allocator->ops->Free(context_.allocator, format_);
    format_ = nullptr;
}

void SoundBuffer::ShowMessageFormatted(const char* text, int32_t argument) const {
    if (context_.messages == nullptr) return;
    context_.messages->ops->ShowFormatted(context_.messages, text, argument);
}

Status SoundBuffer::CreateBuffer(uint32_t size, uint32_t* bytesRead) {
    *bytesRead = 0;
    bufferBytes_ = size;
    bufferStartPos_ = 0;

    if (context_.directSound == nullptr || format_ == nullptr) {
        FreeFormat();
        return kUnsupportedFormat;
    }
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof(DSBUFFERDESC1);
    desc.dwFlags = is3D_ ? kFlags3D : kFlagsPlain;
    desc.dwBufferBytes = bufferBytes_;
    desc.lpwfxFormat = format_;
    if (FAILED(context_.directSound->CreateSoundBuffer(&desc, &buffer_, nullptr))) {
        buffer_ = nullptr;
        FreeFormat();
        return kUnsupportedFormat;
    }

    // A reversed sound longer than its ring starts at the end of its data, which
    // the ring then walks back from.
    bool reversedRing = reversed_ && dataBytes_ > bufferBytes_;
    if (reversedRing) {
        Status seek = SeekData(dataBytes_ - bufferBytes_);
        if (seek != kOk) {
            FreeFormat();
            return seek;
        }
    }

    void* part1 = nullptr;
    void* part2 = nullptr;
    DWORD bytes1 = 0;
    DWORD bytes2 = 0;
    HRESULT locked = buffer_->Lock(0, bufferBytes_, &part1, &bytes1, &part2, &bytes2, 0);
    if (FAILED(locked)) {
        FreeFormat();
        return locked;
    }
    uint32_t n = 0;
    Status read = ReadData(static_cast<uint8_t*>(part1), bytes1, &n);
    if (read != kOk) {
        buffer_->Unlock(part1, 0, part2, 0);
        FreeFormat();
        return read;
    }
    n = std::min<uint32_t>(n, bytes1);
    std::memset(static_cast<uint8_t*>(part1) + n, 0, bytes1 - n);
    // The zeroed tail was written too: report the whole part so that it reaches
    // the device also where the buffer lives in hardware.
    buffer_->Unlock(part1, bytes1, part2, 0);

    writeCursor_ = bufferBytes_;
    if (reversedRing) bufferStartPos_ = dataBytes_;
    buffer_->SetCurrentPosition(0);
    *bytesRead = n;
    return kOk;
}

Status SoundBuffer::Play() {
    if (buffer_ == nullptr) return kOk;
    DWORD flags = (loop_ || streaming_) ? DSBPLAY_LOOPING : 0;
    if (buffer_->Play(0, 0, flags) == DSERR_BUFFERLOST) buffer_->Restore();
    playing_ = true;
    return kOk;
}

Status SoundBuffer::Stop() {
    if (buffer_ != nullptr) buffer_->Stop();
    playing_ = false;
    return kOk;
}

bool SoundBuffer::IsPlaying() {
    if (loop_) return playing_;
    if (buffer_ == nullptr) return false;
    DWORD status = 0;
    if (FAILED(buffer_->GetStatus(&status))) return false;
    return (status & DSBSTATUS_PLAYING) != 0;
}

Status SoundBuffer::SetPitch(double factor) {
    if (factor < 0.0) return kBadArgument;
    pitch_ = factor;
    if (buffer_ == nullptr || format_ == nullptr) return kOk;
    double frequency = static_cast<double>(format_->nSamplesPerSec) * factor;
    // Beyond what a DWORD holds DirectSound refuses it anyway; keep the conversion defined.
    DWORD value = frequency >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<DWORD>(frequency);
    buffer_->SetFrequency(value);
    return kOk;
}

double SoundBuffer::GetPitch() {
    if (buffer_ == nullptr || format_ == nullptr || format_->nSamplesPerSec == 0) return 0.0;
    DWORD frequency = 0;
    if (FAILED(buffer_->GetFrequency(&frequency))) return 0.0;
    return static_cast<double>(frequency) / static_cast<double>(format_->nSamplesPerSec);
}

Status SoundBuffer::SetVolume(int32_t hundredthsOfDb) {
    if (hundredthsOfDb > DSBVOLUME_MAX || hundredthsOfDb < DSBVOLUME_MIN) return kBadArgument;
    volume_ = hundredthsOfDb;
    if (buffer_ != nullptr) buffer_->SetVolume(hundredthsOfDb);
    return kOk;
}

int32_t SoundBuffer::GetVolume() {
    LONG value = 0;
    if (buffer_ == nullptr || FAILED(buffer_->GetVolume(&value))) return 0;
    return value;
}

Status SoundBuffer::SetPan(int32_t newPan) {
    pan_ = newPan;
    if (buffer_ != nullptr) buffer_->SetPan(newPan);
    return kOk;
}

int32_t SoundBuffer::GetPan() {
    LONG value = 0;
    if (buffer_ == nullptr || FAILED(buffer_->GetPan(&value))) return 0;
    return value;
}

Status SoundBuffer::SetLoop(bool on) {
    loop_ = on;
    return kOk;
}

bool SoundBuffer::GetLoop() { return loop_; }

void SoundBuffer::FillSilence(uint8_t* dest, uint32_t count) const {
    if (format_ == nullptr || count == 0) return;
    uint8_t value = 0;
    if (format_->wBitsPerSample == 8) {
        value = 0x80;
    } else if (format_->wBitsPerSample != 16) {
        return;
    }
    std::memset(dest, value, count);
}

int32_t SoundBuffer::AlignToFrame(int32_t pos) const {
    if (format_ == nullptr) return pos;
    bool sixteen = format_->wBitsPerSample == 16;
    bool stereo = format_->nChannels == 2;
    if (sixteen && stereo) return pos & ~3;
    if (sixteen || stereo) return pos & ~1;
    return pos;
}

}  // namespace sonidrax
