#include "frame_reader.h"

#include <algorithm>
#include <cstring>

#include "decoder/status.h"

namespace sonidrax::mpeg {

using decoder::kDecodeAborted;
using decoder::kEndOfInput;
using decoder::kSuccess;

namespace {

enum State : uint32_t {
    kBetweenFrames = 0,
    kHeaderKnown = 1,
    kSideInfoRead = 2,
    kMainDataWrapped = 3,
    kUnconfirmed = 4,
};

uint32_t bigEndian(const uint8_t* b) {
    return (uint32_t{b[0]} << 24) | (uint32_t{b[1]} << 16) | (uint32_t{b[2]} << 8) | b[3];
}

}  // namespace

void FrameReader::reset() {
    dataStart = 0;
    frameMainStart = 0;
    ringWrite = 0;
    ringFill = 0;
    ringRest = 0;
    syncConfirmed = false;
    state = kBetweenFrames;
    headerPending = false;
}

int32_t FrameReader::readInto(uint8_t* destination, uint32_t count) {
    if (count == 0) return kSuccess;
    if (input.read == nullptr) return kEndOfInput;
    return input.read(input.context, destination, count);
}

// Reads `count` bytes to the start of the frame buffer and turns them into words that
// hold their bytes most significant first, so bit reading is a shift and a mask.
int32_t FrameReader::readWords(uint32_t count) {
    count = std::min(count, kFrameBufferBytes);
    auto* bytes = reinterpret_cast<uint8_t*>(frameWords);
    const int32_t status = readInto(bytes, count);
    if (status != kSuccess) return status;
    const uint32_t words = (count + 3) / 4;
    for (uint32_t i = 0; i < words; ++i) frameWords[i] = bigEndian(bytes + 4 * i);
    return kSuccess;
}

void FrameReader::startReadingFrame() {
    constexpr uint32_t kCrcBits = 16;  // the CRC is not checked
    dataStart = current.protection == 0 ? kCrcBits : 0;
}

int32_t FrameReader::searchSync(FrameHeader& header) {
    uint8_t bytes[4];
    int32_t status = readInto(bytes, 4);
    if (status != kSuccess) {
        syncConfirmed = false;
        return status;
    }
    uint32_t word = bigEndian(bytes);
    while (!hasSync(word)) {
        syncConfirmed = false;
        uint8_t next;
        status = readInto(&next, 1);
        if (status != kSuccess) return status;
        word = (word << 8) | next;
    }
    header = unpackHeader(word);
    return kSuccess;
}

int32_t FrameReader::searchValidHeader(FrameHeader& header) {
    for (;;) {
        const int32_t status = searchSync(header);
        if (status != kSuccess) return status;
        if (isValidHeader(header)) return kSuccess;
        // A rejected header is skipped whole: the search starts with the 4 bytes after it.
        syncConfirmed = false;
    }
}

int32_t FrameReader::readBody() {
    const uint32_t length = frameLength(current);
    if (current.layer != kLayer3) {
        const int32_t status = readWords(length > 4 ? length - 4 : 0);
        if (status != kSuccess) return status;
        startReadingFrame();
        return kSuccess;
    }
    return readLayer3Body();
}

int32_t FrameReader::readLayer3Body() {
    const uint32_t length = frameLength(current);
    const uint32_t sideBytes = sideInfoLength(current) + (current.protection == 0 ? 2 : 0);
    const uint32_t mainBytes = length > 4 + sideBytes ? length - 4 - sideBytes : 0;
    int32_t status;
    if (state == kHeaderKnown) {
        status = readWords(sideBytes);
        if (status != kSuccess) return status;
        state = kSideInfoRead;
    }
    if (state == kSideInfoRead) {
        frameMainStart = ringWrite;
        if (ringWrite + mainBytes <= kRingBytes) {
            status = readInto(ring + ringWrite, mainBytes);
            if (status != kSuccess) return status;
            ringWrite = (ringWrite + mainBytes) % kRingBytes;
            startReadingFrame();
            return kSuccess;
        }
        const uint32_t first = kRingBytes - ringWrite;
        status = readInto(ring + ringWrite, first);
        if (status != kSuccess) return status;
        ringRest = mainBytes - first;
        state = kMainDataWrapped;
    }
    status = readInto(ring, ringRest);
    if (status != kSuccess) return status;
    ringWrite = ringRest;
    startReadingFrame();
    return kSuccess;
}

int32_t FrameReader::confirmSuccessor() {
    uint8_t bytes[4];
    const int32_t status = readInto(bytes, 4);
    if (status == kEndOfInput) {
        state = kBetweenFrames;  // the frame stands and the stream ends with it
        return kSuccess;
    }
    if (status != kSuccess) {
        headerPending = false;
        return status;  // stay unconfirmed: the next call tries again
    }
    state = kBetweenFrames;
    const uint32_t word = bigEndian(bytes);
    const FrameHeader next = unpackHeader(word);
    if (!hasSync(word) || !isValidHeader(next)) return kDecodeAborted;
    pendingHeader = next;
    headerPending = true;
    syncConfirmed = true;
    return kSuccess;
}

int32_t FrameReader::nextFrame(FrameHeader& header) {
    if (state == kBetweenFrames) {
        if (headerPending) {
            current = pendingHeader;
            headerPending = false;
        } else {
            const int32_t status = searchValidHeader(current);
            if (status != kSuccess) return status;
        }
        state = kHeaderKnown;
    }
    if (state >= kHeaderKnown && state <= kMainDataWrapped) {
        const int32_t status = readBody();
        if (status != kSuccess) return status;
        if (syncConfirmed) {
            state = kBetweenFrames;
            header = current;
            return kSuccess;
        }
        state = kUnconfirmed;
    }
    const int32_t status = confirmSuccessor();
    if (status == kSuccess) header = current;
    return status;
}

bool FrameReader::fetchMainData(uint32_t mainDataBegin, uint32_t bitCount) {
    dataStart = 0;
    const uint32_t own = (ringWrite + kRingBytes - frameMainStart) % kRingBytes;
    ringFill += own;
    if (mainDataBegin + own > ringFill) return false;
    ringFill = std::min(ringFill, kRingBytes);
    if (bitCount == 0) return true;
    const uint32_t words = std::min((bitCount + 31) / 32, kFrameWords);
    uint32_t position = (frameMainStart + kRingBytes - (mainDataBegin % kRingBytes)) % kRingBytes;
    for (uint32_t i = 0; i < words; ++i) {
        if (position + 4 <= kRingBytes) {
            frameWords[i] = bigEndian(ring + position);
        } else {
            const uint8_t b[4] = {ring[position], ring[(position + 1) % kRingBytes], ring[(position + 2) % kRingBytes],
                                  ring[(position + 3) % kRingBytes]};
            frameWords[i] = bigEndian(b);
        }
        position = (position + 4) % kRingBytes;
    }
    return true;
}

}  // namespace sonidrax::mpeg
