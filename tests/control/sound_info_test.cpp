// dsGetSoundInfo: the ID3 version 1 tag (title, artist, album) at the end of a
// sound's file, and the empty list when there is none to read.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "control_fixture.h"

namespace sonidrax {
namespace {

using testing::ControlTest;
using testing::WaveImage;
using testing::WaveShape;
using testing::WriteWaveFile;

// A 128-byte tag; each field is written as given, padded with `pad`.
std::vector<unsigned char> Tag(const std::string& title, const std::string& artist, const std::string& album,
                               unsigned char pad = 0) {
    std::vector<unsigned char> tag(128, pad);
    std::memcpy(tag.data(), "TAG", 3);
    auto put = [&](size_t offset, const std::string& text) {
        std::memcpy(tag.data() + offset, text.data(), std::min<size_t>(text.size(), 30));
    };
    put(3, title);
    put(33, artist);
    put(63, album);
    put(93, "2026");
    tag[127] = 12;  // genre
    return tag;
}

class SoundInfo : public ControlTest {
protected:
    // A WAVE file with bytes appended behind its RIFF data; the sound made from it.
    int32_t FileSound(const std::string& name, const std::vector<unsigned char>& tail,
                      const WaveShape& shape = {1, 8, 11025, 600}) {
        std::vector<unsigned char> image = WaveImage(shape);
        image.insert(image.end(), tail.begin(), tail.end());
        WriteWaveFile(name, image);
        if (Call("dsNewSound", {host.String(name), Int(0)}) != 0) return 0;
        return ResultInteger();
    }
};

TEST_F(SoundInfo, ATaggedFileAnswersTitleArtistAndAlbum) {
    const int32_t id = FileSound("info_tagged.wav", Tag("Chime", "The Bells", "Rings"));
    ASSERT_NE(id, 0);
    xtra().lastError = -9;
    ASSERT_EQ(Call("dsGetSoundInfo", {Int(id)}), 0);
    EXPECT_EQ(ResultStrings(), (std::vector<std::string>{"Chime", "The Bells", "Rings"}));
    EXPECT_EQ(LastError(), 0);
}

TEST_F(SoundInfo, FieldsEndAtTheirFirstZeroOrAfterThirtyBytesAndKeepTrailingBlanks) {
    const std::string full(30, 'T');
    const int32_t id = FileSound("info_fields.wav", Tag(full, "Artist  ", "", ' '));
    ASSERT_NE(id, 0);
    ASSERT_EQ(Call("dsGetSoundInfo", {Int(id)}), 0);
    const std::vector<std::string> fields = ResultStrings();
    ASSERT_EQ(fields.size(), 3u);
    EXPECT_EQ(fields[0], full);  // the artist's bytes right behind do not run into it
    EXPECT_EQ(fields[1], "Artist" + std::string(24, ' '));
    EXPECT_EQ(fields[2], std::string(30, ' '));
}

TEST_F(SoundInfo, AFileWithoutATagAnswersAnEmptyList) {
    const int32_t id = FileSound("info_plain.wav", {});
    ASSERT_NE(id, 0);
    xtra().lastError = -9;
    ASSERT_EQ(Call("dsGetSoundInfo", {Int(id)}), 0);
    EXPECT_TRUE(ResultIsEmptyList());
    EXPECT_EQ(LastError(), 0);

    // "TAG" anywhere but 128 bytes before the end is not a tag.
    std::vector<unsigned char> early = Tag("Early", "", "");
    early.push_back(0);
    const int32_t shifted = FileSound("info_shifted.wav", early);
    ASSERT_EQ(Call("dsGetSoundInfo", {Int(shifted)}), 0);
    EXPECT_TRUE(ResultIsEmptyList());
}

TEST_F(SoundInfo, AFileShorterThanATagAnswersAnEmptyList) {
    const int32_t id = FileSound("info_short.wav", {}, {1, 8, 11025, 60});
    ASSERT_NE(id, 0);
    ASSERT_EQ(Call("dsGetSoundInfo", {Int(id)}), 0);
    EXPECT_TRUE(ResultIsEmptyList());
    EXPECT_EQ(LastError(), 0);
}

TEST_F(SoundInfo, AFileThatIsGoneAnswersAnEmptyListAndMinus3) {
    const int32_t id = FileSound("info_gone.wav", Tag("Gone", "", ""));
    ASSERT_NE(id, 0);
    ASSERT_EQ(std::remove("info_gone.wav"), 0);
    EXPECT_EQ(Call("dsGetSoundInfo", {Int(id)}), static_cast<Status>(0x80040006));
    EXPECT_TRUE(ResultIsEmptyList());
    EXPECT_EQ(LastError(), -3);
    Call("dsGetError");
    EXPECT_EQ(ResultInteger(), -3);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(SoundInfo, AMemberSoundAndAnUnknownIdAnswerAnEmptyList) {
    const int32_t member = NewSound();
    xtra().lastError = -3;
    ASSERT_EQ(Call("dsGetSoundInfo", {Int(member)}), 0);
    EXPECT_TRUE(ResultIsEmptyList());
    EXPECT_EQ(LastError(), 0);
    ASSERT_EQ(Call("dsGetSoundInfo", {Int(member + 1)}), 0);
    EXPECT_TRUE(ResultIsEmptyList());
    EXPECT_EQ(host.messages, (std::vector<std::string>{"Invalid Sound ID\n"}));
}

TEST_F(SoundInfo, AStreamingSoundReadsTheTagWhileItsFileIsOpen) {
    const int32_t id = FileSound("info_stream.wav", Tag("Long", "Player", "Ring"), {2, 16, 22050, 40000});
    ASSERT_EQ(Call("dsNewSound", {host.String("info_stream.wav"), Int(4096)}), 0);
    const int32_t streaming = ResultInteger();
    ASSERT_TRUE(Sound(streaming)->Streaming());
    ASSERT_EQ(Call("dsGetSoundInfo", {Int(streaming)}), 0);
    EXPECT_EQ(ResultStrings(), (std::vector<std::string>{"Long", "Player", "Ring"}));
    EXPECT_NE(id, streaming);
}

}  // namespace
}  // namespace sonidrax
