// Positions, reversal and the refill of a sound that streams through a ring.
//
// The ring: buffer offset k holds data position start + k (start - k when
// reversed) for k below writeCursor, and the previous lap's position, one ring
// length earlier (later when reversed), from writeCursor on.
#include <algorithm>

#include "frame/messages.h"
#include "sounds/sound_buffer.h"

namespace sonidrax {

namespace {

struct LockedParts {
    void* part[2] = {nullptr, nullptr};
    DWORD bytes[2] = {0, 0};
};

}  // namespace

uint32_t SoundBuffer::PlayCursor() {
    DWORD play = 0;
    DWORD write = 0;
    if (buffer_ == nullptr || FAILED(buffer_->GetCurrentPosition(&play, &write))) return 0;
    return play;
}

// The data position that the play cursor stands on, in the sound's own direction;
// below 0 or above dataBytes once a one-shot stream has run past its data.
int64_t SoundBuffer::StreamingPosition(uint32_t play) const {
    bool previousLap = play >= writeCursor_;
    if (reversed_) {
        // A reversed ring walks below position 0 in its last lap.
        int64_t start = static_cast<int32_t>(bufferStartPos_);
        return start - play + (previousLap ? bufferBytes_ : 0);
    }
    int64_t start = bufferStartPos_;
    return start + play - (previousLap ? bufferBytes_ : 0);
}

uint32_t SoundBuffer::GetPosition() {
    uint32_t play = PlayCursor();
    int64_t pos = 0;
    if (!streaming_) {
        pos = reversed_ ? static_cast<int64_t>(dataBytes_) - play : play;
    } else {
        pos = StreamingPosition(play);
        // Past its end a loop starts again; its very end is still its end.
        bool outside = pos > dataBytes_ || pos < 0;
        if (outside && loop_ && dataBytes_ > 0) pos = (pos % dataBytes_ + dataBytes_) % dataBytes_;
    }
    return static_cast<uint32_t>(std::clamp<int64_t>(pos, 0, dataBytes_));
}

// Whether the ring holds data position `pos`, and at which buffer offset.
bool SoundBuffer::RingHolds(uint32_t pos, uint32_t* cursor) const {
    int64_t p = pos;
    int64_t ring = bufferBytes_;
    int64_t written = writeCursor_;
    if (!reversed_) {
        int64_t start = bufferStartPos_;
        int64_t lo = start > 0 ? start + written - ring : 0;
        if (p < lo || p >= start + written) return false;
        *cursor = static_cast<uint32_t>(p >= start ? p - start : ring - start + p);
        return true;
    }
    int64_t start = static_cast<int32_t>(bufferStartPos_);
    int64_t hi = start != 0 ? ring + start - written : 0;
    if (p <= start - written || p > hi) return false;
    *cursor = static_cast<uint32_t>(p <= start ? start - p : start + ring - p);
    return true;
}

Status SoundBuffer::SetPosition(int32_t bytePos) {
    if (bytePos < 0 || static_cast<uint32_t>(bytePos) > dataBytes_) return kBadArgument;
    uint32_t pos = static_cast<uint32_t>(AlignToFrame(bytePos));
    if (buffer_ == nullptr) return kOk;
    if (!streaming_) {
        uint32_t cursor = reversed_ ? dataBytes_ - pos : pos;
        // The end of the data is the start of the buffer's next lap.
        if (bufferBytes_ > 0 && cursor >= bufferBytes_) cursor -= bufferBytes_;
        buffer_->SetCurrentPosition(cursor);
        return kOk;
    }
    uint32_t cursor = 0;
    // A one-shot that ran out filled its ring with silence, which a loop switched
    // on since must not play.
    bool silenceBehindData = endReached_ && loop_;
    if (!silenceBehindData && RingHolds(pos, &cursor)) {
        buffer_->SetCurrentPosition(cursor);
        return kOk;
    }
    return ReloadRing(pos);
}

// Fills `dest` from the source in the sound's direction. Past the data a looping
// sound starts over, once: a source that still comes up short after its rewind is
// empty or unreadable, and going round again would never end. What is not filled
// becomes silence and the end of the sound. Answers the first failed read's
// status, or 0.
Status SoundBuffer::FillFromSource(uint8_t* dest, uint32_t count) {
    Status result = kOk;
    bool rewound = false;
    while (count > 0) {
        uint32_t want = reversed_ ? SeekBack(count) : count;
        uint32_t got = 0;
        if (want > 0) {
            Status read = ReadData(dest, want, &got);
            if (read != kOk) {
                got = 0;
                if (result == kOk) result = read;
            }
        }
        got = std::min(got, count);
        dest += got;
        count -= got;
        if (count == 0) break;
        if (!loop_ || rewound || SeekData(0) != kOk) {
            FillSilence(dest, count);
            endReached_ = true;
            break;
        }
        rewound = true;
        if (reversed_) sourcePos_ = dataBytes_;
    }
    return result;
}

Status SoundBuffer::ReloadRing(uint32_t pos) {
    if (playing_) buffer_->Stop();
    LockedParts lock;
    if (FAILED(buffer_->Lock(0, bufferBytes_, &lock.part[0], &lock.bytes[0], &lock.part[1], &lock.bytes[1], 0))) {
        return kLockFailed;
    }
    // A reversed ring holds the data that ends at pos, read backwards from there.
    Status seek = SeekData(0);
    if (seek == kOk && pos > 0) seek = SeekData(pos);
    if (seek != kOk) {
        buffer_->Unlock(lock.part[0], 0, lock.part[1], 0);
        return seek;
    }
    endReached_ = false;
    Status read = FillFromSource(static_cast<uint8_t*>(lock.part[0]), lock.bytes[0]);
    buffer_->Unlock(lock.part[0], lock.bytes[0], lock.part[1], 0);
    if (read != kOk) return kSourceFailed;

    bufferStartPos_ = pos;
    writeCursor_ = bufferBytes_;
    buffer_->SetCurrentPosition(0);
    if (playing_) buffer_->Play(0, 0, DSBPLAY_LOOPING);
    return kOk;
}

Status SoundBuffer::Refill() {
    if (!streaming_ || buffer_ == nullptr || refillBytes_ == 0 || bufferBytes_ == 0) return kOk;
    uint32_t play = PlayCursor();
    uint32_t w = writeCursor_ >= bufferBytes_ ? 0 : writeCursor_;

    if (endReached_) {
        int64_t pos = StreamingPosition(play);
        bool passed = reversed_ ? pos < 0 : pos > dataBytes_;
        if (passed) {
            if (playing_) Stop();
            return kOk;
        }
    }

    // Wait while the play cursor is inside the region to be written.
    uint64_t end = uint64_t{w} + refillBytes_;
    bool inside = end <= bufferBytes_ ? (play >= w && play < end) : (play >= w || play < end - bufferBytes_);
    if (inside) return kOk;

    LockedParts lock;
    HRESULT locked = buffer_->Lock(w, refillBytes_, &lock.part[0], &lock.bytes[0], &lock.part[1], &lock.bytes[1], 0);
    if (FAILED(locked)) {
        if (locked == DSERR_BUFFERLOST) buffer_->Restore();
        ShowMessageFormatted(messages::kLockFailedFormat, locked);
        return kOk;
    }
    for (int i = 0; i < 2; ++i) {
        auto* part = static_cast<uint8_t*>(lock.part[i]);
        if (part == nullptr || lock.bytes[i] == 0) continue;
        if (endReached_) {
            FillSilence(part, lock.bytes[i]);
        } else {
            FillFromSource(part, lock.bytes[i]);
        }
    }
    buffer_->Unlock(lock.part[0], lock.bytes[0], lock.part[1], lock.bytes[1]);

    writeCursor_ += lock.bytes[0] + lock.bytes[1];
    if (writeCursor_ > bufferBytes_) {
        writeCursor_ -= bufferBytes_;
        NextLap();
    }
    return kOk;
}

// A looping ring's positions only matter modulo the data, so its lap start is
// kept within one data length; hours of looping must not run it out of range.
void SoundBuffer::NextLap() {
    if (!reversed_) {
        bufferStartPos_ += bufferBytes_;
        if (loop_ && dataBytes_ > 0 && bufferStartPos_ >= dataBytes_ + bufferBytes_) bufferStartPos_ -= dataBytes_;
        return;
    }
    bufferStartPos_ -= bufferBytes_;
    if (loop_ && dataBytes_ > 0 && static_cast<int32_t>(bufferStartPos_) < 0) bufferStartPos_ += dataBytes_;
}

Status SoundBuffer::Reverse() {
    uint32_t pos = GetPosition();
    reversed_ = !reversed_;
    if (streaming_) {
        bufferStartPos_ = 0;
        writeCursor_ = 0;
        return SetPosition(static_cast<int32_t>(pos));
    }
    if (buffer_ == nullptr) return kOk;
    if (playing_) buffer_->Stop();
    LockedParts lock;
    if (FAILED(buffer_->Lock(0, bufferBytes_, &lock.part[0], &lock.bytes[0], &lock.part[1], &lock.bytes[1], 0))) {
        // The samples keep their order, so the direction does too.
        reversed_ = !reversed_;
        if (playing_) Play();
        return kLockFailed;
    }
    // Only the data turns round: a zero tail behind it stays behind it.
    uint32_t span = std::min<uint32_t>(lock.bytes[0], dataBytes_);
    ReverseFrames(static_cast<uint8_t*>(lock.part[0]), static_cast<int32_t>(span));
    buffer_->Unlock(lock.part[0], lock.bytes[0], lock.part[1], 0);

    uint32_t cursor = reversed_ ? dataBytes_ - std::min(pos, dataBytes_) : pos;
    if (cursor >= bufferBytes_) cursor -= bufferBytes_;
    buffer_->SetCurrentPosition(cursor);
    if (playing_) Play();
    return kOk;
}

}  // namespace sonidrax
