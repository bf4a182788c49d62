// Streaming through the ring: what a listener hears while a script keeps calling
// the refill, forward and reversed, looping and one-shot, with positions moved
// inside and outside the ring, and with a buffer that gets lost.
#include "sound_test_support.h"
#include "sounds/wave_file_sound.h"

namespace sonidrax::testing {
namespace {

constexpr uint32_t kFrames = 10000;  // 40000 bytes of 16-bit stereo
constexpr uint32_t kRing = 4096;

// A WAVE source whose reads come up empty from read `emptyFrom` on and fail from
// read `failFrom` on. After 1000 empty reads it gives in, so that a ring that
// keeps asking shows up as a count rather than as a hang.
struct FaultySource : WaveFileSound {
    using WaveFileSound::WaveFileSound;
    Status ReadData(uint8_t* dest, uint32_t count, uint32_t* bytesRead) override {
        *bytesRead = 0;
        if (++reads >= failFrom) return kSourceFailed;
        if (reads >= emptyFrom && reads < emptyFrom + 1000) return kOk;
        return WaveFileSound::ReadData(dest, count, bytesRead);
    }
    int reads = 0, emptyFrom = 1 << 30, failFrom = 1 << 30;
};

class SoundRingTest : public SoundTest<FaultySource> {
protected:
    void Open(bool reversed, bool loop, uint32_t ring = kRing, uint32_t frames = kFrames) {
        sound.reset();
        // Bytes behind the data that must never be heard.
        WaveShape shape{.data = Pattern(4, frames), .chunksAfterData = {{"LIST", Bytes(512, 0xAA)}}};
        data = shape.data;
        sound = std::make_unique<FaultySource>(context, reversed);
        ASSERT_EQ(sound->OpenFile(WriteWorkingFile("sound.wav", WaveImage(shape)).c_str(), ring), kOk);
        Finish(*sound);
        sound->SetLoop(loop);
        ASSERT_TRUE(sound->Streaming());
        buffer = Fake(*sound);
    }

    int64_t End() const { return static_cast<int64_t>(data.size()); }
    // The position a sound starts from in its direction.
    int64_t Start() const { return sound->Reversed() ? End() : 0; }

    // Plays from `from` and refills until `bytes` have been heard or the sound
    // stopped, leaving the count in `heard`; with `checkPositions`, the reported
    // position follows what was heard.
    ::testing::AssertionResult PlayFrom(int64_t from, uint64_t bytes, uint32_t step = 300,
                                        bool checkPositions = false) {
        Listener listener{*sound, *buffer, data, 4, from};
        for (heard = 0; heard < bytes && buffer->playing; heard = listener.heard) {
            auto result = listener.Hear(step);
            if (!result) return result;
            sound->Refill();
            sound->Refill();
            // A one-shot past its data stands wherever it stopped.
            if (!checkPositions || (!sound->GetLoop() && listener.heard > data.size())) continue;
            uint64_t played = listener.heard % data.size();
            uint64_t expected = sound->Reversed() ? (data.size() - played) % data.size() : played;
            // Where one lap meets the next, the loop stands at its end or its start.
            uint64_t pos = sound->GetPosition();
            if (expected == 0 && pos == data.size()) pos = 0;
            if (pos != expected) {
                return ::testing::AssertionFailure()
                       << "position " << pos << " after " << listener.heard << ", expected " << expected;
            }
        }
        return ::testing::AssertionSuccess();
    }

    uint64_t heard = 0;
    Bytes data;
    FakeSoundBuffer* buffer = nullptr;
};

class EachDirection : public SoundRingTest, public ::testing::WithParamInterface<bool> {};

INSTANTIATE_TEST_SUITE_P(Ring, EachDirection, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Reversed" : "Forward"; });

// Data longer than the ring, and hours of looping in minutes: a short sound round
// the ring many times over keeps reporting and sounding right, and its lap start
// stays in range.
TEST_P(EachDirection, LoopsStartOverAndReportPositionsModuloTheData) {
    for (uint32_t frames : {kFrames, 1250u}) {
        Open(GetParam(), true, kRing, frames);
        sound->Play();
        ASSERT_TRUE(PlayFrom(Start(), (frames == kFrames ? 3 : 60) * data.size(), 300, true)) << frames;
        EXPECT_TRUE(buffer->playing);
        EXPECT_LT(static_cast<int32_t>(sound->Ring().bufferStartPos), static_cast<int32_t>(2 * data.size() + kRing));
        EXPECT_GT(static_cast<int32_t>(sound->Ring().bufferStartPos), -static_cast<int32_t>(kRing));
    }
}

// A one-shot ring plays its data, then silence, then stops, from wherever it is
// placed. A position the ring holds only moves the cursor; one it does not hold
// reloads the ring, with silence behind the data near its end. Ahead of the cursor
// (a lower position when reversed) is held: behind it the refills have already
// written the next lap. Back at the start, after the end, it all plays again.
TEST_P(EachDirection, OneShotPlaysToItsEndFromWhereverItIsPlaced) {
    for (bool held : {true, false}) {
        Open(GetParam(), false);
        EXPECT_EQ(sound->RefillBytes(), kRing / 4);
        EXPECT_EQ(sound->GetPosition(), static_cast<uint32_t>(Start()));
        ASSERT_EQ(sound->Play(), kOk);
        EXPECT_EQ(buffer->playFlags.back(), DWORD{DSBPLAY_LOOPING});  // a ring always loops
        ASSERT_TRUE(PlayFrom(Start(), 6000, 300, true));
        size_t locks = buffer->locks.size();
        int32_t ahead = static_cast<int32_t>(sound->GetPosition()) + (GetParam() ? -1000 : 1000);
        int32_t pos = held ? ahead : static_cast<int32_t>(GetParam() ? 2000 : End() - 2000);
        ASSERT_EQ(sound->SetPosition(pos + 1), kOk);  // aligned to a frame
        EXPECT_EQ(buffer->locks.size(), locks + (held ? 0 : 1)) << held;
        EXPECT_TRUE(held || buffer->locks.back().bytes == sound->BufferBytes());
        EXPECT_TRUE(buffer->playing);
        EXPECT_EQ(sound->GetPosition(), static_cast<uint32_t>(pos));
        ASSERT_TRUE(PlayFrom(pos, 3 * data.size())) << held;
        EXPECT_LE(heard, (GetParam() ? pos : End() - pos) + kRing);
    }
    sound->Play();
    ASSERT_EQ(sound->SetPosition(static_cast<int32_t>(Start())), kOk);
    ASSERT_TRUE(PlayFrom(Start(), 3 * data.size(), 300, true));
    EXPECT_FALSE(sound->PlayRequested());
    // Stopped once the position passed the data, and not much later.
    EXPECT_GT(heard, data.size());
    EXPECT_LE(heard, data.size() + kRing);
}

// Refill regions are a quarter of the ring up to 64 KiB; a larger ring is no
// multiple of its refill region, so one refill in each lap wraps round the end.
TEST_F(SoundRingTest, RefillRegionWrapsAroundTheRingEnd) {
    constexpr uint32_t kLargeRing = 4 * 65536 + 4000;
    Open(false, false, kLargeRing, 150000);
    ASSERT_EQ(sound->RefillBytes(), 65536u);
    sound->Play();
    ASSERT_TRUE(PlayFrom(0, 3 * data.size(), 4000));
    bool wrapped = false;
    for (const auto& lock : buffer->locks) wrapped |= lock.offset + lock.bytes > sound->BufferBytes();
    EXPECT_TRUE(wrapped);
    EXPECT_GT(heard, data.size());
}

TEST_F(SoundRingTest, LostBufferIsRestoredAndTheNextRefillCarriesOn) {
    Open(false, false);
    sound->Play();
    buffer->SetPlayCursor(kRing / 2);
    buffer->lost = true;
    EXPECT_EQ(sound->Refill(), kOk);
    EXPECT_EQ(sound->Ring().writeCursor, kRing);  // still the full ring it was
    sound->Refill();
    EXPECT_EQ(sound->Ring().writeCursor, kRing / 4);
    EXPECT_EQ(host.messages, std::vector<std::string>{"Could not lock buffer - error 88780096\n"});
}

// A looping source still empty after its rewind gets one rewind per fill, then
// silence and the end of the sound, in a refill and in a reload alike; a read that
// fails in a reload is reported.
TEST_F(SoundRingTest, EmptyOrFailingSourceEndsTheSound) {
    for (int fault : {0, 1, 2}) {  // empty in a refill, empty in a reload, failing in a reload
        Open(false, true);
        (fault == 2 ? sound->failFrom : sound->emptyFrom) = sound->reads + 1;
        sound->Play();
        buffer->SetPlayCursor(2048);
        EXPECT_EQ(fault == 0 ? sound->Refill() : sound->SetPosition(30000), fault == 2 ? kSourceFailed : kOk);
        EXPECT_LE(sound->reads - sound->emptyFrom, 1) << fault;
        EXPECT_EQ(buffer->Bytes()[fault == 0 ? 1000 : 0], 0) << "silence, not the previous lap";
        for (int i = 0; i < 100 && buffer->playing; ++i, buffer->Advance(1024)) sound->Refill();
        EXPECT_FALSE(buffer->playing) << fault;
    }
}

// Only positions beyond the data are reduced, so a looping ring at its very end
// reports the end; a stream turned midway goes on backwards from the same position.
TEST_F(SoundRingTest, PositionsAndReversal) {
    Open(true, true);
    EXPECT_EQ(sound->GetPosition(), data.size());
    Open(false, true);
    ASSERT_EQ(sound->SetPosition(static_cast<int32_t>(End())), kOk);
    EXPECT_EQ(sound->GetPosition(), data.size());
    ASSERT_EQ(sound->SetPosition(0), kOk);
    sound->Play();
    ASSERT_TRUE(PlayFrom(0, 12000));
    uint32_t pos = sound->GetPosition();
    ASSERT_EQ(sound->Reverse(), kOk);
    EXPECT_EQ(sound->GetPosition(), pos);
    ASSERT_TRUE(PlayFrom(pos, 2 * data.size()));
}

}  // namespace
}  // namespace sonidrax::testing
