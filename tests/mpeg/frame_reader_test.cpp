#include <gtest/gtest.h>

#include "bit_writer.h"
#include "decoder/status.h"
#include "frame_reader.h"
#include "memory_source.h"

namespace sonidrax::mpeg::testing {

namespace {

// Layer I, 32 kbit/s at 48000 Hz, single channel: 32-byte frames. The body carries the
// frame's number in its first byte, so the tests can tell which frame came.
HeaderFields smallFrame() {
    HeaderFields f;
    f.layer = kLayer1;
    f.bitrateIndex = 1;
    f.samplingIndex = 1;
    f.mode = 3;
    return f;
}

void appendFrame(std::vector<uint8_t>& bytes, uint8_t number, HeaderFields f = smallFrame()) {
    const FrameHeader h = unpackHeader(headerWord(f));
    appendWord(bytes, headerWord(f));
    bytes.push_back(number);
    bytes.resize(bytes.size() + frameLength(h) - 5, 0);
}

// Delivers frames until the end; records the numbers of the frames and the -700s.
struct Delivery {
    std::vector<int> numbers;
    int failedConfirmations = 0;
    int32_t last = 0;
};

Delivery deliverAll(FrameReader& reader) {
    Delivery d;
    for (int guard = 0; guard < 1000; ++guard) {
        FrameHeader h;
        d.last = reader.nextFrame(h);
        if (d.last == decoder::kDecodeAborted) {
            ++d.failedConfirmations;
            continue;
        }
        if (d.last != decoder::kSuccess) break;
        d.numbers.push_back(static_cast<int>(reader.bits().get(8)));
    }
    return d;
}

TEST(FrameReader, AStreamEndingRightAfterItsFirstFrameDeliversThatFrame) {
    std::vector<uint8_t> bytes;
    appendFrame(bytes, 7);
    MemorySource input(bytes);
    FrameReader reader(input.source());
    const Delivery d = deliverAll(reader);
    EXPECT_EQ(d.numbers, std::vector<int>{7});
    EXPECT_EQ(d.last, decoder::kEndOfInput);
}

TEST(FrameReader, SearchRestartsFourBytesAfterARejectedHeader) {
    // FF FB FF FB has sync but bit-rate index 15. A search restarting one byte in would
    // see sync at byte 2, reject that too and restart inside the first real frame.
    std::vector<uint8_t> bytes = {0xFF, 0xFB, 0xFF, 0xFB};
    appendFrame(bytes, 1);
    appendFrame(bytes, 2);
    MemorySource input(bytes);
    FrameReader reader(input.source());
    const Delivery d = deliverAll(reader);
    EXPECT_EQ(d.numbers, (std::vector<int>{1, 2}));
}

TEST(FrameReader, GarbageBetweenFramesIsSkippedAndTheNextFrameIsConfirmedAgain) {
    std::vector<uint8_t> bytes;
    appendFrame(bytes, 1);
    appendFrame(bytes, 2);
    bytes.insert(bytes.end(), {0x00, 0x12, 0x34});
    // A lone valid-looking header whose successor is junk: dropped after its check.
    appendFrame(bytes, 99);
    bytes.insert(bytes.end(), {0x00, 0x00, 0x00, 0x00, 0x55});
    appendFrame(bytes, 3);
    appendFrame(bytes, 4);
    MemorySource input(bytes);
    FrameReader reader(input.source());
    const Delivery d = deliverAll(reader);
    EXPECT_EQ(d.numbers, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(d.failedConfirmations, 1);
    EXPECT_EQ(d.last, decoder::kEndOfInput);
}

TEST(FrameReader, FreeFormatStreamYieldsNoFrames) {
    HeaderFields f = smallFrame();
    f.bitrateIndex = 0;
    std::vector<uint8_t> bytes;
    for (int i = 0; i < 5; ++i) {
        appendWord(bytes, headerWord(f));
        bytes.resize(bytes.size() + 28, 0);
    }
    MemorySource input(bytes);
    FrameReader reader(input.source());
    const Delivery d = deliverAll(reader);
    EXPECT_TRUE(d.numbers.empty());
    EXPECT_EQ(d.last, decoder::kEndOfInput);
    EXPECT_EQ(input.position(), bytes.size());
}

TEST(FrameReader, AFailedReadIsResumedByTheNextCall) {
    std::vector<uint8_t> bytes;
    for (uint8_t n = 1; n <= 4; ++n) appendFrame(bytes, n);
    for (int failing = 1; failing <= 8; ++failing) {
        MemorySource input(bytes);
        input.failRead = failing;
        FrameReader reader(input.source());
        Delivery d = deliverAll(reader);
        if (d.last == input.failCode) {  // go on after the failure
            const Delivery rest = deliverAll(reader);
            d.numbers.insert(d.numbers.end(), rest.numbers.begin(), rest.numbers.end());
            d.last = rest.last;
        }
        EXPECT_EQ(d.last, decoder::kEndOfInput) << "failing read " << failing;
        // A failure during the sync search loses the bytes read so far; in a frame body
        // or a successor check nothing is lost.
        if (failing > 1) {
            EXPECT_EQ(d.numbers, (std::vector<int>{1, 2, 3, 4})) << "failing read " << failing;
        }
    }
}

TEST(FrameReader, TheBodyStartsAfterTheHeaderAndItsCrc) {
    for (uint32_t protection : {0u, 1u}) {
        HeaderFields f = smallFrame();
        f.protection = protection;
        std::vector<uint8_t> bytes;
        appendWord(bytes, headerWord(f));
        bytes.insert(bytes.end(), {0xAB, 0xCD, 0x42});
        bytes.resize(32, 0);
        MemorySource input(bytes);
        FrameReader reader(input.source());
        FrameHeader h;
        ASSERT_EQ(reader.nextFrame(h), decoder::kSuccess);
        EXPECT_EQ(reader.bits().get(8), protection ? 0xABu : 0x42u);
    }
}

// Layer III, MPEG-1 single channel, 32 kbit/s at 44100 Hz: 104-byte frames with
// 17 bytes of side information and 83 bytes of main data.
HeaderFields layer3Frame() {
    HeaderFields f;
    f.layer = kLayer3;
    f.bitrateIndex = 1;
    f.mode = 3;
    return f;
}
constexpr uint32_t kMainBytes = 104 - 4 - 17;

// Main data bytes numbered continuously over the whole stream (modulo 251, so the
// pattern does not line up with the ring).
std::vector<uint8_t> layer3Stream(int frames) {
    std::vector<uint8_t> bytes;
    uint32_t counter = 0;
    for (int i = 0; i < frames; ++i) {
        appendWord(bytes, headerWord(layer3Frame()));
        bytes.resize(bytes.size() + 17, 0);
        for (uint32_t k = 0; k < kMainBytes; ++k) bytes.push_back(static_cast<uint8_t>(counter++ % 251));
    }
    return bytes;
}

TEST(FrameReader, ReservoirServesMainDataAcrossTheRingsWrap) {
    const int frames = 120;  // about 10000 bytes of main data: the 4096-byte ring wraps twice
    MemorySource input(layer3Stream(frames));
    FrameReader reader(input.source());
    uint32_t frameStart = 0;  // index of this frame's first main-data byte
    for (int i = 0; i < frames; ++i, frameStart += kMainBytes) {
        FrameHeader h;
        ASSERT_EQ(reader.nextFrame(h), decoder::kSuccess) << i;
        const uint32_t reach = std::min<uint32_t>(frameStart, 300u);
        ASSERT_TRUE(reader.fetchMainData(reach, 8 * (reach + kMainBytes))) << i;
        BitReader bits = reader.bits();
        for (uint32_t k = 0; k < reach + kMainBytes; k += 37) {
            bits.seek(8 * k);
            ASSERT_EQ(bits.get(8), (frameStart - reach + k) % 251) << "frame " << i << " byte " << k;
        }
    }
    EXPECT_EQ(input.emptyReads, 0);
}

TEST(FrameReader, MainDataReachingBeforeTheFirstFrameIsNotAvailable) {
    MemorySource input(layer3Stream(3));
    FrameReader reader(input.source());
    FrameHeader h;
    ASSERT_EQ(reader.nextFrame(h), decoder::kSuccess);
    EXPECT_FALSE(reader.fetchMainData(1, 8));
    ASSERT_EQ(reader.nextFrame(h), decoder::kSuccess);
    EXPECT_TRUE(reader.fetchMainData(kMainBytes, 8));  // all of the first frame's bytes
    ASSERT_EQ(reader.nextFrame(h), decoder::kSuccess);
    EXPECT_FALSE(reader.fetchMainData(2 * kMainBytes + 1, 8));
    reader.reset();  // after a reset the reservoir is empty again
}

TEST(FrameReader, ResetForgetsConfirmationAndReservoir) {
    MemorySource input(layer3Stream(6));
    FrameReader reader(input.source());
    FrameHeader h;
    ASSERT_EQ(reader.nextFrame(h), decoder::kSuccess);
    ASSERT_TRUE(reader.fetchMainData(0, 8));
    ASSERT_EQ(reader.nextFrame(h), decoder::kSuccess);
    ASSERT_TRUE(reader.fetchMainData(10, 8));
    reader.reset();
    ASSERT_EQ(reader.nextFrame(h), decoder::kSuccess);
    EXPECT_FALSE(reader.fetchMainData(10, 8));
}

}  // namespace
}  // namespace sonidrax::mpeg::testing
