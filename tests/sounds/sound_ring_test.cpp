// Streaming through the ring: what a listener hears while a script keeps calling
// the refill, forward and reversed, looping and one-shot, with positions moved
// inside and outside the ring, and with a buffer that gets lost.
#include <memory>

#include "sound_test_support.h"
#include "sounds/wave_file_sound.h"

namespace sonidrax::testing {
namespace {

constexpr uint32_t kFrames = 10000;  // 40000 bytes of 16-bit stereo
constexpr uint32_t kRing = 4096;
constexpr uint32_t kStep = 300;  // bytes played between two refill calls

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

class SoundRingTest : public SoundTest {
protected:
    void Open(bool reversed, bool loop, uint32_t ring = kRing, uint32_t frames = kFrames) {
        WaveShape shape;
        shape.data = Pattern(4, frames);
        // Bytes behind the data that must never be heard.
        shape.chunksAfterData.push_back({"LIST", Bytes(512, 0xAA)});
        data = shape.data;
        file = std::make_unique<TempFile>(WaveImage(shape));
        sound = std::make_unique<FaultySource>(context, reversed);
        ASSERT_EQ(sound->OpenFile(file->path(), ring), kOk);
        Finish(*sound);
        sound->SetLoop(loop);
        ASSERT_TRUE(sound->Streaming());
        buffer = Fake(*sound);
        ASSERT_NE(buffer, nullptr);
    }

    // Plays and refills until `bytes` have been heard or the sound stopped.
    ::testing::AssertionResult PlayThrough(Listener& listener, uint64_t bytes) {
        while (listener.heard() < bytes && buffer->playing) {
            auto heard = listener.Hear(kStep);
            if (!heard) return heard;
            sound->Refill();
            sound->Refill();
        }
        return ::testing::AssertionSuccess();
    }

    void TearDown() override {
        sound.reset();
        SoundTest::TearDown();
    }

    Bytes data;
    std::unique_ptr<TempFile> file;
    std::unique_ptr<FaultySource> sound;
    FakeSoundBuffer* buffer = nullptr;
};

TEST_F(SoundRingTest, ForwardOneShotPlaysItsDataThenSilenceThenStops) {
    Open(false, false);
    EXPECT_EQ(sound->RefillBytes(), kRing / 4);
    ASSERT_EQ(sound->Play(), kOk);
    EXPECT_EQ(buffer->playFlags.back(), DWORD{DSBPLAY_LOOPING});  // a ring always loops
    Listener listener(*sound, *buffer, data, 4, 0);
    ASSERT_TRUE(PlayThrough(listener, 3 * data.size()));
    EXPECT_FALSE(buffer->playing);
    EXPECT_FALSE(sound->PlayRequested());
    EXPECT_TRUE(sound->Ring().endReached);
    // Stopped once the position passed the data, and not much later.
    EXPECT_GT(listener.heard(), data.size());
    EXPECT_LE(listener.heard(), data.size() + kRing);
}

TEST_F(SoundRingTest, ForwardLoopStartsOverAndReportsPositionModuloTheData) {
    Open(false, true);
    sound->Play();
    Listener listener(*sound, *buffer, data, 4, 0);
    while (listener.heard() < 5 * data.size() / 2) {
        ASSERT_TRUE(listener.Hear(kStep));
        sound->Refill();
        sound->Refill();
        ASSERT_EQ(sound->GetPosition(), listener.heard() % data.size());
    }
    EXPECT_TRUE(buffer->playing);
    EXPECT_FALSE(sound->Ring().endReached);
}

TEST_F(SoundRingTest, ReversedOneShotWalksFromTheEndToTheStartThenStops) {
    Open(true, false);
    EXPECT_EQ(sound->GetPosition(), data.size());
    sound->Play();
    Listener listener(*sound, *buffer, data, 4, static_cast<int64_t>(data.size()));
    while (buffer->playing && listener.heard() < 3 * data.size()) {
        ASSERT_TRUE(listener.Hear(kStep));
        sound->Refill();
        sound->Refill();
        if (listener.heard() <= data.size()) ASSERT_EQ(sound->GetPosition(), data.size() - listener.heard());
    }
    EXPECT_FALSE(buffer->playing);
    EXPECT_GT(listener.heard(), data.size());
    EXPECT_LE(listener.heard(), data.size() + kRing);
}

TEST_F(SoundRingTest, ReversedLoopWrapsToTheDataEnd) {
    Open(true, true);
    sound->Play();
    Listener listener(*sound, *buffer, data, 4, static_cast<int64_t>(data.size()));
    ASSERT_TRUE(PlayThrough(listener, 5 * data.size() / 2));
    EXPECT_TRUE(buffer->playing);
    uint64_t played = listener.heard() % data.size();
    EXPECT_EQ(sound->GetPosition(), (data.size() - played) % data.size());
}

TEST_F(SoundRingTest, RefillWaitsWhilePlayCursorIsInsideItsRegion) {
    Open(false, false);
    sound->Play();
    size_t locks = buffer->locks.size();
    // The first region to fill is the start of the ring, where the cursor is.
    buffer->SetPlayCursor(100);
    EXPECT_EQ(sound->Refill(), kOk);
    EXPECT_EQ(buffer->locks.size(), locks);
    buffer->SetPlayCursor(kRing / 4);
    sound->Refill();
    ASSERT_EQ(buffer->locks.size(), locks + 1);
    EXPECT_EQ(buffer->locks.back().offset, 0u);
    EXPECT_EQ(buffer->locks.back().bytes, kRing / 4);
    EXPECT_EQ(sound->Ring().writeCursor, kRing / 4);
}

TEST_F(SoundRingTest, RefillRegionWrapsAroundTheRingEnd) {
    Open(false, false, 4104, kFrames);  // a ring that quarters into 1026-byte regions
    EXPECT_EQ(sound->BufferBytes() % 16, 0u) << "the ring keeps whole frames in each quarter";
    sound->Play();
    Listener listener(*sound, *buffer, data, 4, 0);
    ASSERT_TRUE(PlayThrough(listener, 3 * data.size()));
    bool wrapped = false;
    for (const auto& lock : buffer->locks) wrapped |= lock.offset + lock.bytes > sound->BufferBytes();
    EXPECT_TRUE(wrapped || sound->BufferBytes() % sound->RefillBytes() == 0);
    EXPECT_FALSE(buffer->playing);
}

TEST_F(SoundRingTest, LostBufferIsRestoredAndTheNextRefillCarriesOn) {
    Open(false, false);
    sound->Play();
    buffer->SetPlayCursor(kRing / 2);
    buffer->Lose();
    uint32_t cursorBefore = sound->Ring().writeCursor;
    EXPECT_EQ(sound->Refill(), kOk);
    EXPECT_EQ(buffer->restores, 1);
    EXPECT_FALSE(buffer->lost);
    EXPECT_EQ(sound->Ring().writeCursor, cursorBefore);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], "Could not lock buffer - error 88780096\n");
    sound->Refill();
    EXPECT_EQ(sound->Ring().writeCursor, kRing / 4);
    EXPECT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(sound->SetVolume(0), kOk);  // the sound lives on
}

TEST_F(SoundRingTest, SetPositionInsideTheRingOnlyMovesTheCursor) {
    Open(false, false);
    sound->Play();
    Listener warmUp(*sound, *buffer, data, 4, 0);
    ASSERT_TRUE(PlayThrough(warmUp, 6000));
    size_t locks = buffer->locks.size();
    // Ahead of the cursor: behind it the refills have already written the next lap.
    int32_t pos = static_cast<int32_t>(sound->GetPosition()) + 1000;
    ASSERT_EQ(sound->SetPosition(pos), kOk);
    EXPECT_EQ(buffer->locks.size(), locks) << "no reload for a position the ring holds";
    EXPECT_EQ(sound->GetPosition(), static_cast<uint32_t>(pos));
    Listener listener(*sound, *buffer, data, 4, pos);
    ASSERT_TRUE(PlayThrough(listener, 3 * data.size()));
    EXPECT_FALSE(buffer->playing);
}

TEST_F(SoundRingTest, SetPositionOutsideTheRingReloadsAndKeepsPlaying) {
    Open(false, false);
    sound->Play();
    size_t locks = buffer->locks.size();
    ASSERT_EQ(sound->SetPosition(30001), kOk);  // aligned to 30000
    EXPECT_EQ(buffer->locks.size(), locks + 1);
    EXPECT_EQ(buffer->locks.back().bytes, sound->BufferBytes());
    EXPECT_TRUE(buffer->playing);
    EXPECT_EQ(buffer->playFlags.back(), DWORD{DSBPLAY_LOOPING});
    EXPECT_EQ(sound->GetPosition(), 30000u);
    Listener listener(*sound, *buffer, data, 4, 30000);
    ASSERT_TRUE(PlayThrough(listener, data.size()));
    EXPECT_FALSE(buffer->playing);
    // Back to the start, which the ring no longer holds.
    sound->Play();
    ASSERT_EQ(sound->SetPosition(0), kOk);
    EXPECT_FALSE(sound->Ring().endReached);
    Listener again(*sound, *buffer, data, 4, 0);
    ASSERT_TRUE(PlayThrough(again, 3 * data.size()));
    EXPECT_GT(again.heard(), data.size());
}

TEST_F(SoundRingTest, ReloadNearTheEndOfAOneShotFillsSilenceBehindTheData) {
    Open(false, false);
    ASSERT_EQ(sound->SetPosition(static_cast<int32_t>(data.size()) - 400), kOk);
    EXPECT_TRUE(sound->Ring().endReached);
    sound->Play();
    Listener listener(*sound, *buffer, data, 4, static_cast<int64_t>(data.size()) - 400);
    ASSERT_TRUE(PlayThrough(listener, 3 * data.size()));
    EXPECT_FALSE(buffer->playing);
    EXPECT_LE(listener.heard(), 400u + kRing);
}

TEST_F(SoundRingTest, ReversedSetPositionReloadsBackwardsFromThere) {
    Open(true, false);
    sound->Play();
    ASSERT_EQ(sound->SetPosition(2000), kOk);
    EXPECT_EQ(sound->GetPosition(), 2000u);
    Listener listener(*sound, *buffer, data, 4, 2000);
    ASSERT_TRUE(PlayThrough(listener, 3 * data.size()));
    EXPECT_FALSE(buffer->playing);
    EXPECT_LE(listener.heard(), 2000u + kRing);
}

TEST_F(SoundRingTest, ReversingAStreamMidwayTurnsAtTheSamePosition) {
    Open(false, true);
    sound->Play();
    Listener forward(*sound, *buffer, data, 4, 0);
    ASSERT_TRUE(PlayThrough(forward, 12000));
    uint32_t pos = sound->GetPosition();
    ASSERT_EQ(sound->Reverse(), kOk);
    EXPECT_TRUE(sound->Reversed());
    EXPECT_EQ(sound->GetPosition(), pos);
    Listener backward(*sound, *buffer, data, 4, pos);
    ASSERT_TRUE(PlayThrough(backward, 2 * data.size()));
}

TEST_F(SoundRingTest, ReversedSetPositionInsideTheRingOnlyMovesTheCursor) {
    Open(true, false);
    sound->Play();
    Listener warmUp(*sound, *buffer, data, 4, static_cast<int64_t>(data.size()));
    ASSERT_TRUE(PlayThrough(warmUp, 6000));
    size_t locks = buffer->locks.size();
    // Ahead of a reversed cursor lies a lower position.
    int32_t pos = static_cast<int32_t>(sound->GetPosition()) - 1000;
    ASSERT_EQ(sound->SetPosition(pos), kOk);
    EXPECT_EQ(buffer->locks.size(), locks);
    EXPECT_EQ(sound->GetPosition(), static_cast<uint32_t>(pos));
    Listener listener(*sound, *buffer, data, 4, pos);
    ASSERT_TRUE(PlayThrough(listener, 3 * data.size()));
    EXPECT_FALSE(buffer->playing);
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

// Only positions beyond the data are reduced: a looping ring exactly at its end,
// and a reversed one before it plays, stand at dataBytes.
TEST_F(SoundRingTest, LoopingRingAtTheDataEndReportsTheDataEnd) {
    Open(true, true);
    EXPECT_EQ(sound->GetPosition(), data.size());
    Open(false, true);
    ASSERT_EQ(sound->SetPosition(static_cast<int32_t>(data.size())), kOk);
    EXPECT_EQ(sound->GetPosition(), data.size());
}

// Hours of looping in minutes: a short sound round a ring many times over keeps
// reporting and sounding right in both directions.
TEST_F(SoundRingTest, LongLoopsKeepTheirPositions) {
    for (bool reversed : {false, true}) {
        Open(reversed, true, kRing, 1250);  // 5000 bytes of data in a 4096-byte ring
        sound->Play();
        int64_t start = reversed ? static_cast<int64_t>(data.size()) : 0;
        Listener listener(*sound, *buffer, data, 4, start);
        while (listener.heard() < 60 * data.size()) {
            ASSERT_TRUE(listener.Hear(kStep));
            sound->Refill();
            sound->Refill();
            uint64_t played = listener.heard() % data.size();
            uint32_t expected = reversed ? static_cast<uint32_t>((data.size() - played) % data.size())
                                         : static_cast<uint32_t>(played);
            // Where one lap meets the next, the loop stands at its end or its start.
            uint32_t pos = sound->GetPosition();
            if (expected == 0 && pos == data.size()) pos = 0;
            ASSERT_EQ(pos, expected) << reversed << " after " << listener.heard();
        }
        EXPECT_LT(static_cast<int32_t>(sound->Ring().bufferStartPos), static_cast<int32_t>(2 * data.size() + kRing));
        EXPECT_GT(static_cast<int32_t>(sound->Ring().bufferStartPos), -static_cast<int32_t>(kRing));
        sound.reset();
    }
}

TEST_F(SoundRingTest, PositionsAreFrameAligned) {
    Open(false, false);
    ASSERT_EQ(sound->SetPosition(1001), kOk);
    EXPECT_EQ(sound->GetPosition(), 1000u);
    EXPECT_EQ(sound->SetPosition(static_cast<int32_t>(data.size()) + 1), kBadArgument);
    EXPECT_EQ(sound->SetPosition(-4), kBadArgument);
    EXPECT_EQ(sound->SetPosition(static_cast<int32_t>(data.size())), kOk);
}

TEST_F(SoundRingTest, SeekBackStopsAtTheDataStart) {
    Open(true, false);
    ASSERT_EQ(sound->SeekData(1000), kOk);
    EXPECT_EQ(sound->SeekBack(4096), 1000u);
    EXPECT_EQ(sound->SourcePos(), 0u);
    ASSERT_EQ(sound->SeekData(8000), kOk);
    EXPECT_EQ(sound->SeekBack(4096), 4096u);
    EXPECT_EQ(sound->SourcePos(), 8000u - 4096u);
    // A sound without a source of its own cannot step back at all.
    struct Sourceless : SoundBuffer {
        using SoundBuffer::SoundBuffer;
        using SoundBuffer::SetSourcePos;
    } plain(context, kWaveFileKind, true);
    plain.SetSourcePos(1000);
    EXPECT_EQ(plain.SeekBack(10), 0u);
}

}  // namespace
}  // namespace sonidrax::testing
