// Positions, reversal and the refill of a sound that streams through a ring.
//
// The ring: buffer offset k holds data position start + k (start - k when
// reversed) for k below writeCursor, and the previous lap's position, one ring
// length earlier (later when reversed), from writeCursor on.
#include <algorithm>

#include "engine/sound_xtra.h"
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
    if (buffer == nullptr || FAILED(buffer->GetCurrentPosition(&play, &write))) return 0;
    return play;
}

// The data position that the play cursor stands on, in the sound's own direction;
// below 0 or above dataBytes once a one-shot stream has run past its data.
int64_t SoundBuffer::StreamingPosition(uint32_t play) const {
    bool previousLap = play >= writeCursor;
    if (reversed) {
        // A reversed ring walks below position 0 in its last lap.
        int64_t start = static_cast<int32_t>(bufferStartPos);
        return start - play + (previousLap ? bufferBytes : 0);
    }
    int64_t start = bufferStartPos;
    return start + play - (previousLap ? bufferBytes : 0);
}

uint32_t SoundBuffer::GetPosition() {
    uint32_t play = PlayCursor();
    int64_t pos = 0;
    if (!streaming) {
        pos = reversed ? static_cast<int64_t>(dataBytes) - play : play;
    } else {
        pos = StreamingPosition(play);
        // Past its end a loop starts again; its very end is still its end.
        bool outside = pos > dataBytes || pos < 0;
        if (outside && loop && dataBytes > 0) pos = (pos % dataBytes + dataBytes) % dataBytes;
    }
    return static_cast<uint32_t>(std::clamp<int64_t>(pos, 0, dataBytes));
}

// Whether the ring holds data position `pos`, and at which buffer offset.
bool SoundBuffer::RingHolds(uint32_t pos, uint32_t* cursor) const {
    int64_t p = pos;
    int64_t ring = bufferBytes;
    int64_t written = writeCursor;
    if (!reversed) {
        int64_t start = bufferStartPos;
        int64_t lo = start > 0 ? start + written - ring : 0;
        if (p < lo || p >= start + written) return false;
        *cursor = static_cast<uint32_t>(p >= start ? p - start : ring - start + p);
        return true;
    }
    int64_t start = static_cast<int32_t>(bufferStartPos);
    int64_t hi = start != 0 ? ring + start - written : 0;
    if (p <= start - written || p > hi) return false;
    *cursor = static_cast<uint32_t>(p <= start ? start - p : start + ring - p);
    return true;
}

Status SoundBuffer::SetPosition(int32_t bytePos) {
    if (bytePos < 0 || static_cast<uint32_t>(bytePos) > dataBytes) return kBadArgument;
    uint32_t pos = static_cast<uint32_t>(AlignToFrame(bytePos));
    if (buffer == nullptr) return kOk;
    if (!streaming) {
        uint32_t cursor = reversed ? dataBytes - pos : pos;
        // The end of the data is the start of the buffer's next lap.
        if (bufferBytes > 0 && cursor >= bufferBytes) cursor -= bufferBytes;
        buffer->SetCurrentPosition(cursor);
        return kOk;
    }
    uint32_t cursor = 0;
    // A one-shot that ran out filled its ring with silence, which a loop switched
    // on since must not play.
    bool silenceBehindData = endReached && loop;
    if (!silenceBehindData && RingHolds(pos, &cursor)) {
        buffer->SetCurrentPosition(cursor);
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
        uint32_t want = reversed ? SeekBack(count) : count;
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
        if (!loop || rewound || SeekData(0) != kOk) {
            FillSilence(dest, count);
            endReached = true;
            break;
        }
        rewound = true;
        if (reversed) sourcePos = dataBytes;
    }
    return result;
}

Status SoundBuffer::ReloadRing(uint32_t pos) {
    if (playing) buffer->Stop();
    LockedParts lock;
    if (FAILED(buffer->Lock(0, bufferBytes, &lock.part[0], &lock.bytes[0], &lock.part[1], &lock.bytes[1], 0))) {
        return kLockFailed;
    }
    // A reversed ring holds the data that ends at pos, read backwards from there.
    Status seek = SeekData(0);
    if (seek == kOk && pos > 0) seek = SeekData(pos);
    if (seek != kOk) {
        buffer->Unlock(lock.part[0], 0, lock.part[1], 0);
        return seek;
    }
    endReached = false;
    Status read = FillFromSource(static_cast<uint8_t*>(lock.part[0]), lock.bytes[0]);
    buffer->Unlock(lock.part[0], lock.bytes[0], lock.part[1], 0);
    if (read != kOk) return kSourceFailed;

    bufferStartPos = pos;
    writeCursor = bufferBytes;
    buffer->SetCurrentPosition(0);
    if (playing) buffer->Play(0, 0, DSBPLAY_LOOPING);
    return kOk;
}

Status SoundBuffer::Refill() {
    if (!streaming || buffer == nullptr || refillBytes == 0 || bufferBytes == 0) return kOk;
    uint32_t play = PlayCursor();
    uint32_t w = writeCursor >= bufferBytes ? 0 : writeCursor;

    if (endReached) {
        int64_t pos = StreamingPosition(play);
        bool passed = reversed ? pos < 0 : pos > dataBytes;
        if (passed) {
            if (playing) Stop();
            return kOk;
        }
    }

    // Wait while the play cursor is inside the region to be written.
    uint64_t end = uint64_t{w} + refillBytes;
    bool inside = end <= bufferBytes ? (play >= w && play < end) : (play >= w || play < end - bufferBytes);
    if (inside) return kOk;

    LockedParts lock;
    HRESULT locked = buffer->Lock(w, refillBytes, &lock.part[0], &lock.bytes[0], &lock.part[1], &lock.bytes[1], 0);
    if (FAILED(locked)) {
        if (locked == DSERR_BUFFERLOST) buffer->Restore();
        ShowMessageFormatted(messages::kLockFailedFormat, locked);
        return kOk;
    }
    for (int i = 0; i < 2; ++i) {
        auto* part = static_cast<uint8_t*>(lock.part[i]);
        if (part == nullptr || lock.bytes[i] == 0) continue;
        if (endReached) {
            FillSilence(part, lock.bytes[i]);
        } else {
            FillFromSource(part, lock.bytes[i]);
        }
    }
    buffer->Unlock(lock.part[0], lock.bytes[0], lock.part[1], lock.bytes[1]);

    writeCursor += lock.bytes[0] + lock.bytes[1];
    if (writeCursor > bufferBytes) {
        writeCursor -= bufferBytes;
        NextLap();
    }
    return kOk;
}

// A looping ring's positions only matter modulo the data, so its lap start is
// kept within one data length; hours of looping must not run it out of range.
void SoundBuffer::NextLap() {
    if (!reversed) {
        bufferStartPos += bufferBytes;
        if (loop && dataBytes > 0 && bufferStartPos >= dataBytes + bufferBytes) bufferStartPos -= dataBytes;
        return;
    }
    bufferStartPos -= bufferBytes;
    if (loop && dataBytes > 0 && static_cast<int32_t>(bufferStartPos) < 0) bufferStartPos += dataBytes;
}

Status SoundBuffer::Reverse() {
    uint32_t pos = GetPosition();
    reversed = !reversed;
    if (streaming) {
        bufferStartPos = 0;
        writeCursor = 0;
        return SetPosition(static_cast<int32_t>(pos));
    }
    if (buffer == nullptr) return kOk;
    if (playing) buffer->Stop();
    LockedParts lock;
    if (FAILED(buffer->Lock(0, bufferBytes, &lock.part[0], &lock.bytes[0], &lock.part[1], &lock.bytes[1], 0))) {
        // The samples keep their order, so the direction does too.
        reversed = !reversed;
        if (playing) Play();
        return kLockFailed;
    }
    // Only the data turns round: a zero tail behind it stays behind it.
    uint32_t span = std::min<uint32_t>(lock.bytes[0], dataBytes);
    ReverseFrames(static_cast<uint8_t*>(lock.part[0]), static_cast<int32_t>(span));
    buffer->Unlock(lock.part[0], lock.bytes[0], lock.part[1], 0);

    uint32_t cursor = reversed ? dataBytes - std::min(pos, dataBytes) : pos;
    if (cursor >= bufferBytes) cursor -= bufferBytes;
    buffer->SetCurrentPosition(cursor);
    if (playing) Play();
    return kOk;
}

}  // namespace sonidrax
