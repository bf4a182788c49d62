// dsGetSoundInfo: the ID3 version 1 tag (title, artist, album) at the end of a
// sound's file, and the empty list when there is none to read.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "xtra_fixture.h"

namespace sonidrax {
namespace {

using testing::WaveShape;

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

class SoundInfo : public testing::XtraTest {
protected:
    // A WAVE file with bytes appended behind its RIFF data; the sound made from it.
    int32_t FileSound(const std::string& name, const std::vector<unsigned char>& tail,
                      const WaveShape& shape = {1, 8, 11025, 600}, int32_t bufferBytes = 0) {
        std::vector<unsigned char> image = testing::WaveImage(shape);
        image.insert(image.end(), tail.begin(), tail.end());
        testing::WriteWorkingFile(name, image);
        if (Call("dsNewSound", {host.String(name), Int(bufferBytes)}) != 0) return 0;
        return ResultInteger();
    }
    std::vector<std::string> InfoOf(int32_t id) {
        EXPECT_EQ(Call("dsGetSoundInfo", {Int(id)}), 0);
        return ResultStrings();
    }
};

TEST_F(SoundInfo, FieldsEndAtTheirFirstZeroOrAfterThirtyBytesAndKeepTrailingBlanks) {
    const std::string full(30, 'T');
    // The artist's bytes right behind a full title do not run into it.
    EXPECT_EQ(InfoOf(FileSound("info_fields.wav", Tag(full, "Artist  ", "", ' '))),
              (std::vector<std::string>{full, "Artist" + std::string(24, ' '), std::string(30, ' ')}));
    // A streaming sound reads the tag while its file is open.
    const int32_t streaming = FileSound("info_stream.wav", Tag("Long", "Player", "Ring"), {2, 16, 22050, 40000}, 4096);
    ASSERT_TRUE(Sound(streaming)->Streaming());
    EXPECT_EQ(InfoOf(streaming), (std::vector<std::string>{"Long", "Player", "Ring"}));
}

// "TAG" anywhere but 128 bytes before the end is not a tag; a file without one is
// in scripts/levels.sdx.
TEST_F(SoundInfo, FilesWithoutATagAnswerAnEmptyList) {
    std::vector<unsigned char> early = Tag("Early", "", "");
    early.push_back(0);
    for (int32_t id : {FileSound("info_shifted.wav", early), FileSound("info_short.wav", {}, {1, 8, 11025, 60})}) {
        ASSERT_EQ(Call("dsGetSoundInfo", {Int(id)}), 0);
        EXPECT_TRUE(ResultIsEmptyList()) << id;
    }
}

TEST_F(SoundInfo, AFileThatIsGoneAnswersAnEmptyListAndMinus3) {
    const int32_t id = FileSound("info_gone.wav", Tag("Gone", "", ""));
    ASSERT_NE(id, 0);
    ASSERT_EQ(std::remove("info_gone.wav"), 0);
    EXPECT_EQ(Call("dsGetSoundInfo", {Int(id)}), static_cast<Status>(0x80040006));
    EXPECT_TRUE(ResultIsEmptyList());
    EXPECT_EQ(LastError(), -3);
    EXPECT_TRUE(host.messages.empty());
}

}  // namespace
}  // namespace sonidrax
