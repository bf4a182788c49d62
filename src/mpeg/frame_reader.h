#pragma once
#include <cstdint>

#include "bit_reader.h"
#include "frame_header.h"

namespace sonidrax::mpeg {

// Where the frame reader gets the stream's bytes. `read` delivers all `count` bytes
// and returns 0, or returns a negative code (kEndOfInput at the end of the stream) and
// delivers nothing usable. The codec connects it to its Decoder's read service.
struct ByteSource {
    void* context = nullptr;
    int32_t (*read)(void* context, uint8_t* buffer, uint32_t count) = nullptr;
};

// Turns a byte stream into whole MPEG audio frames: finds and confirms sync, reads the
// frame body and, for Layer III, keeps the bit reservoir. Then serves the frame's bits
// through a BitReader. All storage is inside the object; nothing is allocated.
class FrameReader {
public:
    static constexpr uint32_t kFrameBufferBytes = 2048;
    static constexpr uint32_t kFrameWords = kFrameBufferBytes / 4;
    static constexpr uint32_t kRingBytes = 4096;

    FrameReader() { reset(); }
    explicit FrameReader(ByteSource input) : input(input) { reset(); }

    void setInput(ByteSource source) { input = source; }

    // Forgets all history: the next frame is searched and confirmed afresh, and the bit
    // reservoir is empty.
    void reset();

    // Delivers the next complete frame: 0 with `header` filled and the frame's bits ready
    // to read, kDecodeAborted when the frame just read failed its successor check (call
    // again), or the input's negative code (kEndOfInput at the end). After a failed read
    // the next call goes on where this one stopped.
    int32_t nextFrame(FrameHeader& header);

    // Layer III: assembles this frame's main data, which begins `mainDataBegin` bytes
    // before the frame's own main data in the reservoir, into the frame buffer, and puts
    // the read position at its start. `bitCount` bits are wanted (at most 4 x 4095).
    // Returns false when the reservoir does not reach back that far (the frame is then
    // output as silence by the caller).
    bool fetchMainData(uint32_t mainDataBegin, uint32_t bitCount);

    // The frame's bits from where its data starts: after the header and any CRC, or at
    // the start of the main data that fetchMainData assembled.
    BitReader bits() const { return BitReader(frameWords, kFrameWords, dataStart); }
    // The frame buffer as 32-bit words holding the stream's bytes most significant first.
    const uint32_t* words() const { return frameWords; }

private:
    int32_t searchSync(FrameHeader& header);
    int32_t searchValidHeader(FrameHeader& header);
    int32_t readBody();
    int32_t readLayer3Body();
    int32_t confirmSuccessor();
    int32_t readInto(uint8_t* destination, uint32_t count);
    int32_t readWords(uint32_t count);
    void startReadingFrame();

    ByteSource input;
    uint32_t frameWords[kFrameWords] = {};
    uint32_t dataStart = 0;  // bit position in frameWords where the frame's data starts
    uint8_t ring[kRingBytes] = {};
    uint32_t frameMainStart = 0;
    uint32_t ringWrite = 0;
    uint32_t ringFill = 0;
    uint32_t ringRest = 0;  // main-data bytes still to read after a wrap (state 3)
    bool syncConfirmed = false;
    uint32_t state = 0;
    bool headerPending = false;
    FrameHeader pendingHeader;
    FrameHeader current;
};

}  // namespace sonidrax::mpeg
