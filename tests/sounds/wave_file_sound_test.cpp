// The WAVE reader on real files and on global-memory images: chunk layouts it
// must accept, streaming that never reads past "data", reversed loads, and
// damaged images that must end in a status, never in a crash or an over-read.
#include <algorithm>
#include <memory>
#include <random>
#include <string>

#include "sound_test_support.h"
#include "sounds/wave_file_sound.h"

namespace sonidrax::testing {
namespace {

class WaveFileSoundTest : public SoundTest<WaveFileSound> {
protected:
    Status Open(const Bytes& image, bool fromFile, uint32_t bufferBytes = 0, bool reversed = false) {
        sound = std::make_unique<WaveFileSound>(context, reversed);
        if (!fromFile) return OpenImage(*sound, image);
        Status status = sound->OpenFile(WriteWorkingFile("sound.wav", image).c_str(), bufferBytes);
        if (status == kOk) Finish(*sound);
        return status;
    }
};

WaveShape Mono16(uint32_t frames) { return {.channels = 1, .data = Pattern(2, frames), .rate = 22050}; }

// Whatever stands between "fmt " and "data" is skipped, an 18-byte "fmt " has no
// extra bytes, and a reversed load holds the frames backwards; a buffer larger
// than the data holds exactly the data, and the file is closed. ("data" sizes
// beyond the image are in the damaged images below.)
TEST_F(WaveFileSoundTest, WholeLoadsHoldExactlyTheData) {
    WaveShape skipped = Mono16(500);
    skipped.chunksBeforeData = {{"LIST", Bytes(37, 0xAA)}, {"fact", Bytes(4, 0xBB)}, {"junk", Bytes(1000, 0xCC)}};
    skipped.fmtExtra = {0x34, 0x12};  // would be a count of 0x1234 if read as one
    WaveShape stereo8{.bits = 8, .data = Pattern(2, 777)};
    Bytes backwards;
    for (size_t k = stereo8.data.size(); k > 0; k -= 2)
        backwards.insert(backwards.end(), {stereo8.data[k - 2], stereo8.data[k - 1]});
    for (bool fromFile : {false, true}) {
        for (const auto& [shape, reversed] :
             std::vector<std::pair<WaveShape, bool>>{{skipped, false}, {stereo8, true}}) {
            ASSERT_EQ(Open(WaveImage(shape), fromFile, 1 << 20, reversed), kOk);
            EXPECT_EQ(Fake(*sound)->Contents(), reversed ? backwards : shape.data);
            EXPECT_EQ(sound->BufferBytes(), sound->DataBytes());
            EXPECT_FALSE(sound->Streaming() || sound->SourceOpen());
            EXPECT_EQ(sound->Format()->nChannels, shape.channels);
            EXPECT_EQ(sound->Format()->cbSize, 0);
        }
    }
    EXPECT_STREQ(sound->FileName(), "sound.wav");
}

// Non-PCM passes the reader but not the buffer; its extra bytes go behind the
// format, and a count larger than the chunk has room for is not believed.
TEST_F(WaveFileSoundTest, NonPcmExtraBytesGoBehindTheFormat) {
    WaveShape shape = Mono16(100);
    shape.tag = 0x11;
    shape.fmtExtra = {4, 0, 9, 8, 7, 6};
    ASSERT_EQ(Open(WaveImage(shape), false), kUnsupportedFormat);
    EXPECT_EQ(directSound.calls.back(), "DirectSound#1.CreateSoundBuffer") << "refused by the last step";
    const Bytes& given = directSound.directSounds[0]->lastFormat;
    ASSERT_EQ(given.size(), 22u);
    EXPECT_EQ(Bytes(given.begin() + 16, given.end()), (Bytes{4, 0, 9, 8, 7, 6}));
    shape.fmtExtra = {200, 0, 1, 2};
    ASSERT_EQ(Open(WaveImage(shape), false), kUnsupportedFormat);
    EXPECT_EQ(std::count(directSound.calls.begin(), directSound.calls.end(), "DirectSound#1.CreateSoundBuffer"), 1)
        << "never got as far as DirectSound";
}

TEST_F(WaveFileSoundTest, OddRingSizesKeepWholeFrames) {
    WaveShape shape{.data = Pattern(4, 20000)};
    ASSERT_EQ(Open(WaveImage(shape), true, 10007), kOk);
    EXPECT_EQ(sound->BufferBytes(), 10000u);  // whole frames in each quarter
    EXPECT_EQ(sound->RefillBytes() % 4, 0u);
    ASSERT_EQ(Open(WaveImage(shape), true, 3), kOk);
    EXPECT_EQ(sound->BufferBytes(), 16u);
}

// A name that does not fit is not copied; one that fits is kept though the file
// is missing. The multimedia I/O functions read "name.ext+element" as an element
// of a compound file; a plain file whose name looks like that is still a plain file.
TEST_F(WaveFileSoundTest, FileNames) {
    sound = std::make_unique<WaveFileSound>(context, false);
    EXPECT_EQ(sound->OpenFile(std::string(260, 'c').c_str(), 0), kBadArgument);
    EXPECT_EQ(sound->FileName()[0], '\0');
    std::string exact(259, 'b');
    EXPECT_EQ(sound->OpenFile(exact.c_str(), 0), kFileNotFound);
    EXPECT_EQ(std::string(sound->FileName()), exact);
    EXPECT_EQ(sound->OpenMemory(nullptr, 0), kUnsupportedFormat);
    EXPECT_EQ(sound->OpenFile(WriteWorkingFile("take.two+mix.wav", WaveImage(Mono16(100))).c_str(), 0), kOk);
}

// Truncations at every length, a "fmt " chunk far beyond the file, and a few
// hundred random corruptions of a valid image, from memory and from disk: each
// ends in a status, nothing leaks, and a sound that opens holds only bytes of the image.
TEST_F(WaveFileSoundTest, DamagedImagesEndInAStatus) {
    WaveShape shape = Mono16(64);
    shape.chunksBeforeData = {{"LIST", Bytes(10, 0xAA)}};
    const Bytes valid = WaveImage(shape);
    int opened = 0, refused = 0;
    auto attempt = [&](const Bytes& image, bool fromFile) {
        Status status = Open(image, fromFile, 64);
        if (status == kOk) {
            ++opened;
            EXPECT_LE(sound->DataBytes(), image.size());
            if (sound->Streaming()) sound->Refill();
        } else {
            ++refused;
            EXPECT_TRUE(status == kUnsupportedFormat || status == kOutOfMemory) << std::hex << status;
            EXPECT_EQ(sound->Format(), nullptr);
            EXPECT_FALSE(sound->SourceOpen());
        }
        sound.reset();
        ASSERT_EQ(host.LiveAllocations(), 0);
    };
    Bytes farFormat = valid;
    farFormat[16] = 0xF0;  // "fmt " size low byte...
    farFormat[19] = 0x7F;  // ...and high byte: far beyond the file
    attempt(farFormat, true);
    EXPECT_EQ(refused, 1);
    for (size_t length = 0; length < valid.size(); length += 3) {
        attempt(Bytes(valid.begin(), valid.begin() + length), length % 2 == 0);
    }
    std::mt19937 random(20261206);
    for (int i = 0; i < 300; ++i) {
        Bytes image = valid;
        for (int f = 0, flips = 1 + static_cast<int>(random() % 4); f < flips; ++f) {
            // Aim most damage at the headers, where it matters.
            size_t at = random() % 3 == 0 ? random() % image.size() : random() % 64;
            image[at] = static_cast<uint8_t>(random());
        }
        attempt(image, i % 3 == 0);
    }
    EXPECT_GT(opened, 0);
    EXPECT_GT(refused, 100);
}

}  // namespace
}  // namespace sonidrax::testing
