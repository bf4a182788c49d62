// The WAVE reader on real files and on global-memory images: chunk layouts it
// must accept, streaming that never reads past "data", reversed loads, and
// damaged images that must end in a status, never in a crash or an over-read.
#include <memory>
#include <random>
#include <string>

#include "sound_test_support.h"
#include "sounds/wave_file_sound.h"

namespace sonidrax::testing {
namespace {

class WaveFileSoundTest : public OneSoundTest<WaveFileSound> {
protected:
    Status OpenMemory(const Bytes& image, bool reversed = false) {
        GlobalImage memory(image);
        sound = std::make_unique<WaveFileSound>(context, reversed);
        Status status = sound->OpenMemory(memory.handle(), 0);
        EXPECT_TRUE(memory.Unlocked()) << "the image must be unlocked again";
        EXPECT_FALSE(sound->SourceOpen()) << "a memory image is never kept open";
        return status;
    }

    Status OpenFile(const Bytes& image, uint32_t bufferBytes, bool reversed = false) {
        file = std::make_unique<TempFile>(image);
        sound = std::make_unique<WaveFileSound>(context, reversed);
        Status status = sound->OpenFile(file->path(), bufferBytes);
        if (status == kOk) Finish(*sound);
        return status;
    }
};

WaveShape Mono16(uint32_t frames) {
    WaveShape shape;
    shape.channels = 1;
    shape.rate = 22050;
    shape.data = Pattern(2, frames);
    return shape;
}

TEST_F(WaveFileSoundTest, ChunksBetweenFormatAndDataAreSkippedAndAnEighteenByteFormatHasNoExtraBytes) {
    WaveShape shape = Mono16(500);
    shape.chunksBeforeData = {{"LIST", Bytes(37, 0xAA)}, {"fact", Bytes(4, 0xBB)}, {"junk", Bytes(1000, 0xCC)}};
    shape.fmtExtra = {0x34, 0x12};  // would be a count of 0x1234 if read as one
    ASSERT_EQ(OpenMemory(WaveImage(shape)), kOk);
    EXPECT_EQ(sound->Kind(), kWaveFileKind);
    EXPECT_EQ(sound->DataBytes(), 1000u);
    EXPECT_EQ(Fake(*sound)->Contents(), shape.data);
    EXPECT_EQ(sound->Format()->nChannels, 1);
    EXPECT_EQ(sound->Format()->nSamplesPerSec, 22050u);
    EXPECT_EQ(sound->Format()->cbSize, 0);
}

// Non-PCM passes the reader but not the buffer; its extra bytes go behind the format.
TEST_F(WaveFileSoundTest, NonPcmExtraBytesGoBehindTheFormat) {
    WaveShape shape = Mono16(100);
    shape.tag = 0x11;
    shape.fmtExtra = {4, 0, 9, 8, 7, 6};
    ASSERT_EQ(OpenMemory(WaveImage(shape)), kUnsupportedFormat);
    EXPECT_EQ(sound->Format(), nullptr);
    EXPECT_EQ(directSound.calls.back(), "DirectSound#1.CreateSoundBuffer") << "refused by the last step";
    const Bytes& given = directSound.directSounds[0]->lastFormat;
    ASSERT_EQ(given.size(), 22u);
    EXPECT_EQ(reinterpret_cast<const WAVEFORMATEX*>(given.data())->cbSize, 4);
    EXPECT_EQ(Bytes(given.begin() + 18, given.end()), (Bytes{9, 8, 7, 6}));

    // A count larger than the chunk has room for is not believed.
    shape.fmtExtra = {200, 0, 1, 2};
    ASSERT_EQ(OpenMemory(WaveImage(shape)), kUnsupportedFormat);
    EXPECT_EQ(directSound.directSounds[0]->lastFormat.size(), 22u) << "never got as far as DirectSound";
}

TEST_F(WaveFileSoundTest, BufferLargerThanTheDataHoldsExactlyTheData) {
    WaveShape shape = Mono16(300);
    ASSERT_EQ(OpenFile(WaveImage(shape), 1 << 20), kOk);
    EXPECT_EQ(sound->BufferBytes(), 600u);
    EXPECT_FALSE(sound->Streaming());
    EXPECT_FALSE(sound->SourceOpen()) << "read whole, so closed";
    EXPECT_STREQ(sound->FileName(), file->path());
    EXPECT_EQ(Fake(*sound)->Contents(), shape.data);
}

TEST_F(WaveFileSoundTest, MegabyteStreamedThroughA64KiBRingNeverReadsPastData) {
    WaveShape shape;
    shape.data = Pattern(4, 262144);
    shape.chunksAfterData.push_back({"LIST", Bytes(70000, 0xAA)});
    ASSERT_EQ(OpenFile(WaveImage(shape), 65536), kOk);
    EXPECT_TRUE(sound->Streaming());
    EXPECT_NE(sound->SourceOpen(), false);
    EXPECT_EQ(sound->BufferBytes(), 65536u);
    EXPECT_EQ(sound->RefillBytes(), 16384u);
    FakeSoundBuffer* fake = Fake(*sound);

    // Reading straight from near the end delivers only what "data" holds.
    ASSERT_EQ(sound->SeekData(static_cast<uint32_t>(shape.data.size()) - 10), kOk);
    Bytes tail(100, 0x55);
    uint32_t n = 0;
    ASSERT_EQ(sound->ReadData(tail.data(), 100, &n), kOk);
    EXPECT_EQ(n, 10u);
    EXPECT_TRUE(std::equal(tail.begin(), tail.begin() + 10, shape.data.end() - 10));
    EXPECT_EQ(tail[10], 0x55);
    ASSERT_EQ(sound->ReadData(tail.data(), 100, &n), kOk);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(sound->SeekData(static_cast<uint32_t>(shape.data.size()) + 2), kSourceFailed);

    // A position near the end, then a loop round: still nothing from behind "data".
    sound->SetLoop(true);
    sound->Play();
    ASSERT_EQ(sound->SetPosition(static_cast<int32_t>(shape.data.size()) - 1000), kOk);
    Listener looped(*sound, *fake, shape.data, 4, static_cast<int64_t>(shape.data.size()) - 1000);
    while (looped.heard() < 200000) {
        ASSERT_TRUE(looped.Hear(4000));
        sound->Refill();
    }
}

TEST_F(WaveFileSoundTest, ReversedWholeLoadFromMemoryAndFromFile) {
    WaveShape shape;
    shape.channels = 2;
    shape.bits = 8;
    shape.data = Pattern(2, 777);
    for (bool fromFile : {false, true}) {
        Status status = fromFile ? OpenFile(WaveImage(shape), 0, true) : OpenMemory(WaveImage(shape), true);
        ASSERT_EQ(status, kOk);
        Bytes held = Fake(*sound)->Contents();
        for (uint32_t k = 0; k < 777; ++k) {
            ASSERT_EQ(held[k * 2], shape.data[(776 - k) * 2]) << k;
            ASSERT_EQ(held[k * 2 + 1], shape.data[(776 - k) * 2 + 1]) << k;
        }
        sound.reset();
    }
}

TEST_F(WaveFileSoundTest, OddRingSizesKeepWholeFrames) {
    WaveShape shape;
    shape.data = Pattern(4, 20000);
    ASSERT_EQ(OpenFile(WaveImage(shape), 10007), kOk);
    EXPECT_EQ(sound->BufferBytes(), 10000u);  // whole frames in each quarter
    EXPECT_EQ(sound->RefillBytes() % 4, 0u);
    sound.reset();
    ASSERT_EQ(OpenFile(WaveImage(shape), 3), kOk);
    EXPECT_EQ(sound->BufferBytes(), 16u);
}

TEST_F(WaveFileSoundTest, FilesThatCannotBeOpened) {
    sound = std::make_unique<WaveFileSound>(context, false);
    EXPECT_EQ(sound->OpenFile(std::string(260, 'c').c_str(), 0), kBadArgument);
    EXPECT_EQ(sound->FileName()[0], '\0') << "a name that does not fit is not copied";
    std::string exact(259, 'b');
    EXPECT_EQ(sound->OpenFile(exact.c_str(), 0), kFileNotFound);
    EXPECT_EQ(std::string(sound->FileName()), exact);
    EXPECT_EQ(sound->OpenMemory(nullptr, 0), kUnsupportedFormat);
}

// The multimedia I/O functions read "name.ext+element" as an element of a
// compound file; a plain file whose name looks like that is still a plain file.
TEST_F(WaveFileSoundTest, NamesWithAPlusSignAreOrdinaryFiles) {
    TempFile plus(WaveImage(Mono16(100)), "take.two+mix.wav");
    sound = std::make_unique<WaveFileSound>(context, false);
    EXPECT_EQ(sound->OpenFile(plus.path(), 0), kOk);
    sound.reset();
}

TEST_F(WaveFileSoundTest, DataChunkLongerThanTheFileIsClamped) {
    WaveShape shape = Mono16(400);
    shape.claimedDataSize = 0x7FFFFFF0;
    ASSERT_EQ(OpenFile(WaveImage(shape), 0), kOk);
    EXPECT_EQ(sound->DataBytes(), 800u);
    EXPECT_EQ(Fake(*sound)->Contents(), shape.data);
    sound.reset();
    ASSERT_EQ(OpenMemory(WaveImage(shape)), kOk);
    EXPECT_GE(sound->DataBytes(), 800u);  // a memory block may be a little larger than asked
    EXPECT_LT(sound->DataBytes(), 800u + 64);
}

TEST_F(WaveFileSoundTest, FormatChunkLongerThanTheFileIsRefused) {
    Bytes image = WaveImage(Mono16(10));
    image[16] = 0xF0;  // "fmt " size low byte...
    image[19] = 0x7F;  // ...and high byte: far beyond the file
    EXPECT_EQ(OpenFile(image, 0), kUnsupportedFormat);
    EXPECT_EQ(sound->Format(), nullptr);
    EXPECT_FALSE(sound->SourceOpen());
}

// Truncations at every length and a few hundred random corruptions of a valid
// image, from memory and from disk: each ends in a status, nothing leaks, and a
// sound that opens holds only bytes of the image.
TEST_F(WaveFileSoundTest, DamagedImagesEndInAStatus) {
    WaveShape shape = Mono16(64);
    shape.chunksBeforeData = {{"LIST", Bytes(10, 0xAA)}};
    const Bytes valid = WaveImage(shape);
    int opened = 0;
    int refused = 0;
    auto attempt = [&](const Bytes& image, bool fromFile) {
        Status status = fromFile ? OpenFile(image, 64) : OpenMemory(image);
        if (status == kOk) {
            ++opened;
            EXPECT_LE(sound->DataBytes(), image.size());
            EXPECT_NE(sound->Buffer(), nullptr);
            if (sound->Streaming()) sound->Refill();
        } else {
            ++refused;
            EXPECT_TRUE(status == kUnsupportedFormat || status == kOutOfMemory) << std::hex << status;
            EXPECT_EQ(sound->Format(), nullptr);
        }
        sound.reset();
        ASSERT_EQ(host.LiveAllocations(), 0);
    };
    for (size_t length = 0; length < valid.size(); length += 3) {
        attempt(Bytes(valid.begin(), valid.begin() + length), length % 2 == 0);
    }
    std::mt19937 random(20261206);
    for (int i = 0; i < 300; ++i) {
        Bytes image = valid;
        int flips = 1 + static_cast<int>(random() % 4);
        for (int f = 0; f < flips; ++f) {
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
