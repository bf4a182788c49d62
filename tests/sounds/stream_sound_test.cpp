// StreamSound on the fake DirectSound, against the decoder's own PCM of files the
// build encodes from a generated signal.
#include <memory>

#include "decoder/file_input.h"
#include "mpeg/mpeg_codec.h"
#include "sound_test_support.h"
#include "sounds/stream_sound.h"

namespace sonidrax::testing {
namespace {

const std::string kMedia = SONIDRAX_MEDIA_DIR;
constexpr uint32_t kMpegFrame = 4608;  // PCM bytes of one stereo Layer III frame
constexpr uint32_t kRing = 65536;

class StreamSoundTest : public SoundTest {
protected:
    void SetUp() override {
        SoundTest::SetUp();
        decoder::GetFileInputModule(&input_);
        mpeg::GetMpegCodecModule(&codec_);
    }
    void TearDown() override {
        sound.reset();
        SoundTest::TearDown();
    }
    void Open(const std::string& name, uint32_t ring, bool reversed = false, bool loop = false) {
        sound = std::make_unique<StreamSound>(xtra, reversed, StreamModules{&input_, &codec_});
        sound->SetLoop(loop);
        ASSERT_EQ(sound->OpenFile((kMedia + "/" + name).c_str(), ring), kOk);
        Finish(*sound);
        buffer = Fake(*sound);
    }
    // The whole stream as the decoder alone gives it.
    Bytes Reference(const std::string& name) {
        decoder::Decoder* d = nullptr;
        decoder::CreateDecoder(&d);
        decoder::RegisterInputModule(d, &input_);
        decoder::RegisterCodecModule(d, &codec_);
        decoder::SelectInput(d, (kMedia + "/" + name).c_str(), decoder::kAutomaticModule);
        decoder::OpenInput(d);
        Bytes pcm;
        while (decoder::Decode(d, nullptr) == decoder::kSuccess) {
            auto* p = reinterpret_cast<const uint8_t*>(d->outputBuffer.pcm);
            pcm.insert(pcm.end(), p, p + d->outputBuffer.samplesPerChannel * 4);
        }
        decoder::DestroyDecoder(d);
        return pcm;
    }
    // Whether `block` (in forward order) is the reference's PCM from a little before
    // `at` to a few frames after it, where a seek may land once the decoder has found
    // its frames again. Decoding after a seek starts without the frames before it:
    // the block's first frames are not compared, the next ones may round a sample
    // the other way, and past the stream's end it is silent.
    static bool FoundNear(const Bytes& ref, const uint8_t* block, uint32_t size, int64_t at) {
        const uint32_t skip = 3 * kMpegFrame;
        auto sample = [](const uint8_t* p, size_t i) { return static_cast<int16_t>(p[2 * i] | p[2 * i + 1] << 8); };
        for (int64_t k = std::max<int64_t>(0, at - kMpegFrame); k <= at + 8 * kMpegFrame; k += 4) {
            size_t i = skip / 2;
            for (; i < size / 2; ++i) {
                int expected = k + 2 * i + 1 < ref.size() ? sample(ref.data() + k, i) : 0;
                if (std::abs(expected - sample(block, i)) > 1) break;
            }
            if (i == size / 2) return true;
        }
        return false;
    }
    ::testing::AssertionResult Play(Listener& listener, uint64_t bytes) {
        while (listener.heard() < bytes && buffer->playing) {
            auto heard = listener.Hear(4000);
            if (!heard) return heard;
            sound->Refill();
        }
        return ::testing::AssertionSuccess();
    }

    decoder::InputModule input_{};
    decoder::CodecModule codec_{};
    std::unique_ptr<StreamSound> sound;
    FakeSoundBuffer* buffer = nullptr;
};

TEST_F(StreamSoundTest, FormatLengthAndRingFollowTheStream) {
    Open("mono22.mp3", 0);
    EXPECT_EQ(sound->bufferBytes, 131072u);
    EXPECT_EQ(sound->format->nBlockAlign, 2);
    EXPECT_EQ(sound->format->nAvgBytesPerSec, 44100u);
    Open("ten.mp3", kRing);
    EXPECT_EQ(sound->format->nBlockAlign, 4);
    EXPECT_EQ(sound->format->nAvgBytesPerSec, 176400u);
    EXPECT_EQ(sound->dataBytes, 1764000u);
    ASSERT_EQ(sound->SeekData(176400), kOk);
    const decoder::Timecode& at = static_cast<decoder::Decoder*>(sound->source)->status.timecode;
    EXPECT_NEAR(at.seconds * 100 + at.hundredths, 100, 1);
}

// Played through many refills, forward once and looping, the ring sounds exactly
// the decoder's PCM; a one-shot then goes silent and stops past its length.
TEST_F(StreamSoundTest, RingPlaysTheDecodedPcmInOrder) {
    const Bytes ref = Reference("ten.mp3");
    for (bool loop : {false, true}) {
        Open("ten.mp3", kRing, false, loop);
        sound->Play();
        Listener listener(*sound, *buffer, ref, 4, 0);
        ASSERT_TRUE(Play(listener, 5 * ref.size() / 2)) << loop;
        EXPECT_EQ(buffer->playing, loop);
        if (!loop) {
            EXPECT_LE(listener.heard(), sound->dataBytes + kRing);
        }
        EXPECT_GT(buffer->locks.size(), 100u);
    }
}

// A reversed stream fills each region with the PCM just before the last one,
// frame by frame backwards.
TEST_F(StreamSoundTest, ReversedStreamDeliversBlocksBackwards) {
    const Bytes ref = Reference("ten.mp3");
    Open("ten.mp3", kRing, true);
    sound->Play();
    for (int block = 0; block < 40; ++block) {
        buffer->Advance(sound->refillBytes);
        size_t locks = buffer->locks.size();
        sound->Refill();
        ASSERT_EQ(buffer->locks.size(), locks + 1);
        auto region = buffer->locks.back();
        Bytes pcm(buffer->Bytes() + region.offset, buffer->Bytes() + region.offset + region.bytes);
        sound->ReverseFrames(pcm.data(), static_cast<int32_t>(pcm.size()));
        ASSERT_TRUE(FoundNear(ref, pcm.data(), region.bytes, sound->sourcePos)) << block;
    }
}

// Positions the ring holds are heard exactly from there; others reload the ring
// from a seek, which lands on the frame of that position.
TEST_F(StreamSoundTest, PositionsResumeAtTheirPcm) {
    const Bytes ref = Reference("ten.mp3");
    Open("ten.mp3", kRing);
    sound->Play();
    ASSERT_EQ(sound->SetPosition(40000), kOk);
    Listener inside(*sound, *buffer, ref, 4, 40000);
    ASSERT_TRUE(Play(inside, 300000));
    for (int32_t pos : {1000000, sound->MsToBytes(2500), 8, 1682080}) {
        ASSERT_EQ(sound->SetPosition(pos), kOk);
        EXPECT_EQ(sound->GetPosition(), static_cast<uint32_t>(pos));
        ASSERT_TRUE(FoundNear(ref, buffer->Bytes(), kRing, pos)) << pos;
    }
}

}  // namespace
}  // namespace sonidrax::testing
