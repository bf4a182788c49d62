// StreamSound on the fake DirectSound, against the decoder's own PCM of a file the
// build encodes from a generated signal.
#include <memory>

#include "decoder/file_input.h"
#include "mpeg_codec.h"
#include "sound_test_support.h"
#include "sounds/stream_sound.h"

namespace sonidrax::testing {
namespace {

constexpr uint32_t kMpegFrame = 4608;  // PCM bytes of one stereo Layer III frame
constexpr uint32_t kRing = 65536;

class StreamSoundTest : public SoundTest<StreamSound> {
protected:
    // The whole stream as the decoder alone gives it.
    void SetUp() override {
        SoundTest::SetUp();
        decoder::GetFileInputModule(&input_);
        mpeg::GetMpegCodecModule(&codec_);
        decoder::Decoder* d = nullptr;
        decoder::CreateDecoder(&d);
        decoder::RegisterInputModule(d, &input_);
        decoder::RegisterCodecModule(d, &codec_);
        decoder::SelectInput(d, SONIDRAX_MEDIA_DIR "/ten.mp3", decoder::kAutomaticModule);
        for (decoder::OpenInput(d); decoder::Decode(d, nullptr) == decoder::kSuccess;) {
            auto* pcm = reinterpret_cast<const uint8_t*>(d->outputBuffer.pcm);
            ref.insert(ref.end(), pcm, pcm + d->outputBuffer.samplesPerChannel * 4);
        }
        decoder::DestroyDecoder(d);
    }
    void Open(uint32_t ring, bool reversed = false, bool loop = false) {
        sound = std::make_unique<StreamSound>(context, reversed, StreamModules{&input_, &codec_});
        sound->SetLoop(loop);
        ASSERT_EQ(sound->OpenFile(SONIDRAX_MEDIA_DIR "/ten.mp3", ring), kOk);
        Finish(*sound);
        buffer = Fake(*sound);
    }
    // Whether `block` (forward order) is the reference's PCM from a frame before `at`
    // to eight after it, where a seek lands once the decoder has found its frames
    // again. Decoding after a seek starts without the frames before it: the first
    // three frames are not compared, the next ones may round a sample the other
    // way, and past the stream's end the block is silent.
    bool FoundNear(const uint8_t* block, uint32_t size, int64_t at) const {
        auto sample = [](const uint8_t* p, size_t i) { return static_cast<int16_t>(p[2 * i] | p[2 * i + 1] << 8); };
        for (int64_t k = std::max<int64_t>(0, at - kMpegFrame); k <= at + 8 * kMpegFrame; k += 4) {
            size_t i = 3 * kMpegFrame / 2;
            auto expected = [&] { return k + 2 * i + 1 < ref.size() ? sample(ref.data() + k, i) : 0; };
            while (i < size / 2 && std::abs(expected() - sample(block, i)) <= 1) ++i;
            if (i == size / 2) return true;
        }
        return false;
    }

    decoder::InputModule input_{};
    decoder::CodecModule codec_{};
    Bytes ref;
    FakeSoundBuffer* buffer = nullptr;
};

// Through many refills, forward once and looping, from the start and from a
// position the ring holds, the ring sounds exactly the decoder's PCM; a one-shot
// then goes silent and stops soon after its length.
TEST_F(StreamSoundTest, RingPlaysTheDecodedPcmInOrder) {
    for (int32_t start : {0, 40000}) {
        for (bool loop : {false, true}) {
            Open(kRing, false, loop);
            sound->Play();
            ASSERT_EQ(sound->SetPosition(start), kOk);
            Listener listener{*sound, *buffer, ref, 4, start};
            while (listener.heard < 5 * ref.size() / 2 && buffer->playing) {
                ASSERT_TRUE(listener.Hear(4000)) << start << loop;
                sound->Refill();
            }
            EXPECT_EQ(buffer->playing, loop);
            EXPECT_TRUE(loop || listener.heard <= sound->DataBytes() + kRing) << listener.heard;
        }
    }
}

// Positions outside the ring reload it from a seek, and a reversed stream fills
// each region with the PCM before the last one, frame by frame backwards.
TEST_F(StreamSoundTest, SeeksLandOnTheirPcmForwardAndBackwards) {
    Open(kRing);
    for (int32_t pos : {1000000, sound->MsToBytes(2500), 8, 1682080}) {
        ASSERT_EQ(sound->SetPosition(pos), kOk);
        EXPECT_EQ(sound->GetPosition(), static_cast<uint32_t>(pos));
        ASSERT_TRUE(FoundNear(buffer->Bytes(), kRing, pos)) << pos;
    }
    Open(kRing, true);
    sound->Play();
    for (int block = 0; block < 40; ++block) {
        buffer->Advance(sound->RefillBytes());
        sound->Refill();
        auto region = buffer->locks.back();
        Bytes pcm(buffer->Bytes() + region.offset, buffer->Bytes() + region.offset + region.bytes);
        sound->ReverseFrames(pcm.data(), static_cast<int32_t>(pcm.size()));
        ASSERT_TRUE(FoundNear(pcm.data(), region.bytes, sound->SourcePos())) << block;
    }
}

}  // namespace
}  // namespace sonidrax::testing
