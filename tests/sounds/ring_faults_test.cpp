// The ring against sources that misbehave: one that comes up empty after a rewind,
// and one whose reads fail.
#include <memory>

#include "sound_test_support.h"

namespace sonidrax::testing {
namespace {

// Serves a pattern from memory; from read `emptyFrom` on it delivers nothing and
// from read `failFrom` on it fails. After many empty reads it gives in and delivers
// again, so that a ring that keeps asking shows up as a count instead of a hang.
class ScriptedSource : public SoundBuffer {
public:
    ScriptedSource(SoundXtra* owner, bool reversed, Bytes data) : SoundBuffer(owner, kStreamKind, reversed), data_(data) {
        dataBytes = static_cast<uint32_t>(data_.size());
        format = static_cast<WAVEFORMATEX*>(AllocateHost(sizeof(WAVEFORMATEX)));
        *format = WAVEFORMATEX{WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};
    }
    Status ReadData(uint8_t* dest, uint32_t count, uint32_t* bytesRead) override {
        *bytesRead = 0;
        if (++reads >= failFrom) return kSourceFailed;
        if (reads >= emptyFrom && reads < emptyFrom + 1000) return kOk;
        uint32_t n = std::min<uint32_t>(count, dataBytes - at_);
        std::memcpy(dest, data_.data() + at_, n);
        if (reversed) ReverseFrames(dest, static_cast<int32_t>(n));
        at_ += n;
        if (!reversed) sourcePos += n;
        *bytesRead = n;
        return kOk;
    }
    Status SeekData(uint32_t pos) override {
        at_ = sourcePos = std::min(pos, dataBytes);
        return kOk;
    }
    Status CloseSource() override { return kOk; }

    int reads = 0;
    int emptyFrom = 1 << 30;
    int failFrom = 1 << 30;

private:
    Bytes data_;
    uint32_t at_ = 0;
};

class RingFaultsTest : public SoundTest {
protected:
    void Open(bool reversed) {
        sound = std::make_unique<ScriptedSource>(xtra, reversed, Pattern(4, 4000));
        uint32_t n = 0;
        ASSERT_EQ(sound->CreateBuffer(4096, &n), kOk);
        Finish(*sound);
        sound->SetLoop(true);
        buffer = Fake(*sound);
    }
    void TearDown() override {
        sound.reset();
        SoundTest::TearDown();
    }
    std::unique_ptr<ScriptedSource> sound;
    FakeSoundBuffer* buffer = nullptr;
};

// A looping source that stays empty after its rewind gets one rewind per fill,
// then silence and the end of the sound, in the refill and in a reload alike.
TEST_F(RingFaultsTest, EmptyLoopingSourceEndsInsteadOfLoopingForEver) {
    for (bool reload : {false, true}) {
        Open(false);
        sound->emptyFrom = sound->reads + 1;
        sound->Play();
        if (reload) {
            ASSERT_EQ(sound->SetPosition(12000), kOk);
        } else {
            buffer->SetPlayCursor(2048);
            sound->Refill();
        }
        EXPECT_LE(sound->reads - sound->emptyFrom, 1) << reload;
        EXPECT_TRUE(sound->endReached) << reload;
        EXPECT_EQ(buffer->Bytes()[reload ? 0 : 1000], 0) << "silence, not the previous lap";
        for (int i = 0; i < 16 && buffer->playing; ++i) {
            buffer->Advance(1024);
            sound->Refill();
        }
        EXPECT_FALSE(buffer->playing) << reload;
        sound.reset();
    }
}

TEST_F(RingFaultsTest, FailedReadDuringAReloadIsReported) {
    Open(false);
    sound->failFrom = sound->reads + 1;
    EXPECT_EQ(sound->SetPosition(12000), kSourceFailed);
    EXPECT_EQ(buffer->openLocks, 0);
}

// Only positions beyond the data are reduced: a looping ring exactly at its end,
// and a reversed one before it plays, stand at dataBytes.
TEST_F(RingFaultsTest, LoopingRingAtTheDataEndReportsTheDataEnd) {
    for (bool reversed : {false, true}) {
        Open(reversed);
        if (!reversed) ASSERT_EQ(sound->SetPosition(16000), kOk);
        EXPECT_EQ(sound->GetPosition(), 16000u) << reversed;
        sound.reset();
    }
}

}  // namespace
}  // namespace sonidrax::testing
