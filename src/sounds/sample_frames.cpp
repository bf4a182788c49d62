// Sample frames, in-place reversal, the backward step of a reversed source, and
// the conversion between data bytes and milliseconds.
#include <cmath>
#include <cstdint>
#include <utility>

#include "sounds/sound_buffer.h"

namespace sonidrax {

namespace {

int32_t TruncateToInt32(double value) {
    if (!(value == value)) return 0;  // NaN
    if (value >= 2147483647.0) return INT32_MAX;
    if (value <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(value);
}

}  // namespace

Status SoundBuffer::SetIs3D(bool on) {
    is3D_ = on;
    return kOk;
}

uint32_t SoundBuffer::FrameSize() const {
    if (format_ == nullptr) return 1;
    uint32_t size = 1;
    if (format_->wBitsPerSample == 16) size *= 2;
    if (format_->nChannels == 2) size *= 2;
    return size;
}

Status SoundBuffer::ReverseFrames(uint8_t* block, int32_t length) const {
    uint32_t frame = FrameSize();
    if (block == nullptr || length < 2 || static_cast<uint32_t>(length) < frame) return kOk;
    // Only whole frames change places; bytes of a partial frame at the end stay
    // where they are, so nothing outside the block is ever touched.
    uint32_t span = static_cast<uint32_t>(length) / frame * frame;
    uint8_t* front = block;
    uint8_t* back = block + span - frame;
    while (front < back) {
        for (uint32_t i = 0; i < frame; ++i) std::swap(front[i], back[i]);
        front += frame;
        back -= frame;
    }
    return kOk;
}

uint32_t SoundBuffer::SeekBack(uint32_t count) {
    uint32_t newPos = 0;
    if (count > sourcePos_) {
        count = sourcePos_;
    } else {
        newPos = sourcePos_ - count;
    }
    if (SeekData(newPos) != kOk) return 0;
    return count;
}

int32_t SoundBuffer::BytesToMs(int32_t bytes) const {
    if (format_ == nullptr) return 0;
    uint32_t divisor = uint32_t{format_->wBitsPerSample} * format_->nChannels * format_->nSamplesPerSec;
    if (divisor == 0) return 0;
    return TruncateToInt32(static_cast<double>(bytes) * 8000.0 / static_cast<double>(divisor));
}

int32_t SoundBuffer::MsToBytes(int32_t ms) const {
    if (format_ == nullptr) return 0;
    double bytes = static_cast<double>(format_->wBitsPerSample) * static_cast<double>(format_->nSamplesPerSec) *
                   static_cast<double>(format_->nChannels) * static_cast<double>(ms) * 0.000125;
    return TruncateToInt32(bytes);
}

}  // namespace sonidrax
