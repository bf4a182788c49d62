// The file input module (block reads, seeking, the ID3 version 1 tag) and the file
// output module (raw and WAVE files, prefixes), and their open failures.
#include <gtest/gtest.h>

#include <cstring>

#include "decoder/file_input.h"
#include "decoder/file_output.h"
#include "support/decoder_fixture.h"
#include "support/temp_files.h"

namespace sonidrax::decoder::testing {
namespace {

// A 128-byte ID3 version 1 tag.
std::vector<std::uint8_t> Tag(const std::vector<std::string>& fields, std::uint8_t genre) {
    std::vector<std::uint8_t> tag(128, 0);
    std::memcpy(tag.data(), "TAG", 3);
    const std::size_t offsets[] = {3, 33, 63, 93, 97}, lengths[] = {30, 30, 30, 4, 30};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        std::memcpy(tag.data() + offsets[i], fields[i].data(), std::min(lengths[i], fields[i].size()));
    }
    tag[127] = genre;
    return tag;
}

class FileModulesTest : public DecoderTest {
protected:
    void SetUp() override {
        DecoderTest::SetUp();
        ASSERT_EQ(GetFileInputModule(&input), kSuccess);
        ASSERT_EQ(GetFileOutputModule(&output), kSuccess);
        ASSERT_EQ(RegisterInputModule(decoder, &input), 0);
        ASSERT_EQ(RegisterOutputModule(decoder, &output), 0);
        const CodecModule codec = MakeTestCodec({.blockBytes = 384, .maxOutputBytes = 384, .withStreamInfo = false});
        ASSERT_EQ(RegisterCodecModule(decoder, &codec), 0);
    }

    Status OpenFile(const std::string& name) {
        if (const Status s = SelectInput(decoder, name.c_str(), kAutomaticModule); s != kSuccess) return s;
        return OpenInput(decoder);
    }

    std::string Property(const char* name) {
        char text[64];
        PropertyList* list = decoder->status.statusProperties;
        if (GetStringProperty(list, name, text, sizeof text) == kSuccess) return text;
        std::int32_t value = 0;
        const Status s = GetIntegerProperty(list, name, &value);
        return s == kSuccess ? std::to_string(value) : "status " + std::to_string(s);
    }

    int FirstDecodedByte() { return Decode(decoder, nullptr) == kSuccess ? DecodedBytes()[0] : -1; }

    // Writes the blocks through the module directly, as the decoder would.
    Status WriteFile(const std::string& name, const std::vector<std::vector<std::uint8_t>>& blocks,
                     std::int32_t channels = 2, std::int32_t rate = 44100) {
        if (const Status s = SelectOutput(decoder, name.c_str(), kAutomaticModule); s != kSuccess) return s;
        if (const Status s = OpenOutput(decoder); s != kSuccess) return s;
        for (const auto& block : blocks) {
            const auto size = static_cast<std::int32_t>(block.size());
            if (output.write(decoder->output.instance, block.data(), size, 2, channels, rate) != size) return -1;
        }
        return CloseOutput(decoder);
    }

    InputModule input{};
    OutputModule output{};
    TempFolder folder;
};

TEST_F(FileModulesTest, TagFieldsAreTrimmedAtBlanksOrNulAndTheGenreIsSigned) {
    std::vector<std::uint8_t> audio(1000, 0x55);
    audio[0] = 0xAB;
    folder.Write("song.mp3",
                 Concat({audio, Tag({"Hello" + std::string(25, ' '), "Artist", "Album", "1999", "note  x  "}, 0xFF)}));
    folder.Write("a.mp3", Concat({audio, Tag({std::string("Ti\0le", 5), "", std::string(30, ' ')}, 17)}));
    ASSERT_EQ(OpenFile(folder.Path("song.mp3")), kSuccess);
    EXPECT_NE(decoder->status.changedBits & kStatusPropertiesChanged, 0u);
    const std::vector<std::string> expected = {"Hello", "Artist", "Album", "1999", "note  x", "-1"};
    const char* names[] = {"id3/title", "id3/artist", "id3/album", "id3/year", "id3/comment", "id3/genre"};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(Property(names[i]), expected[i]) << names[i];
    // The tag is read, the file still starts from its first byte, and the size counts the tag.
    EXPECT_EQ(decoder->input.size, 1128u);
    EXPECT_EQ(FirstDecodedByte(), 0xAB);
    ASSERT_EQ(OpenFile(folder.Path("a.mp3")), kSuccess);
    EXPECT_EQ(Property("id3/title"), "Ti");
    EXPECT_EQ(Property("id3/album"), "");
    EXPECT_EQ(Property("id3/genre"), "17");
}

TEST_F(FileModulesTest, OnlyWholeTagsOfNamesEndingInLowerCaseMp3AreRead) {
    const auto bytes = Concat({std::vector<std::uint8_t>(200, 1), Tag({"T"}, 1)});
    auto damaged = bytes;
    damaged[200] = 'X';
    std::vector<std::uint8_t> shortFile(100, 0);
    std::memcpy(shortFile.data(), "TAG", 3);
    const struct {
        const char* name;
        const std::vector<std::uint8_t>& bytes;
        std::uint8_t first;
    } files[] = {{"upper.MP3", bytes, 1}, {".mp3", bytes, 1},          {"song.mp3.bak", bytes, 1},
                 {"mp3", bytes, 1},       {"damaged.mp3", damaged, 1}, {"short.mp3", shortFile, 'T'}};
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.Path(""));  // a bare ".mp3" must be relative
    for (const auto& f : files) {
        folder.Write(f.name, f.bytes);
        EXPECT_EQ(OpenFile(f.name), kSuccess) << f.name;
        PropertyEnumeration all{};
        EXPECT_EQ(ListProperties(decoder->status.statusProperties, &all), kSuccess);
        EXPECT_EQ(all.count, 0) << f.name;
        std::uint8_t first = 0;  // read from the start
        EXPECT_EQ(decoder->services.readInput(decoder, &first, 1), kSuccess) << f.name;
        EXPECT_EQ(first, f.first) << f.name;
    }
    folder.Write("a.mp3", bytes);
    EXPECT_EQ(OpenFile("a.mp3"), kSuccess);
    std::filesystem::current_path(previous);
    EXPECT_EQ(Property("id3/title"), "T");
}

TEST_F(FileModulesTest, BlocksAreDeliveredWholeAndSeekingMovesInTheFile) {
    std::vector<std::uint8_t> bytes(1000);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i / 384);
    folder.Write("thousand.bin", bytes);
    ASSERT_EQ(OpenFile(folder.Path("thousand.bin")), kSuccess);
    EXPECT_EQ(decoder->input.size, 1000u);
    EXPECT_EQ(decoder->input.caps, kInputSeekable);
    EXPECT_EQ(FirstDecodedByte(), 0);
    EXPECT_EQ(FirstDecodedByte(), 1);
    EXPECT_EQ(Decode(decoder, nullptr), kEndOfInput);
    EXPECT_EQ(decoder->input.bytesConsumed, 768u);
    ASSERT_EQ(SeekBytes(decoder, 400), kSuccess);
    EXPECT_EQ(FirstDecodedByte(), 1);
    ASSERT_EQ(SeekPosition(decoder, 0.5f), kSuccess);
    EXPECT_EQ(decoder->input.bytesConsumed, 500u);
    EXPECT_EQ(FirstDecodedByte(), 1);
    // The module itself answers 0 for a short block.
    void* instance = decoder->input.instance;
    ASSERT_EQ(input.seek(instance, 617), kSuccess);
    std::uint8_t block[384];
    EXPECT_EQ(input.read(instance, block, 384), 0);
    ASSERT_EQ(input.seek(instance, 616), kSuccess);
    EXPECT_EQ(input.read(instance, block, 384), 384);
    // Standard input cannot seek.
    ASSERT_EQ(SelectInput(decoder, "-", kAutomaticModule), kSuccess);
    ASSERT_EQ(input.open(decoder->input.instance), kSuccess);
    EXPECT_EQ(input.caps(decoder->input.instance), 0u);
    EXPECT_EQ(input.size(decoder->input.instance), 0u);
    EXPECT_EQ(input.close(decoder->input.instance), kSuccess);
}

TEST_F(FileModulesTest, OpenFailuresAreReportedWithTheirTexts) {
    EXPECT_EQ(OpenFile(folder.Path("missing.mp3")), kFileNotFound);
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back().category, "cannot open input file");
    EXPECT_EQ(reports.back().detail, "file not found");
    EXPECT_EQ(decoder->input.state, kClosed);
    std::filesystem::create_directories(folder.Path("folder.mp3"));
    // The C runtime of Windows says "permission denied" for a folder.
    const Status folderStatus = OpenFile(folder.Path("folder.mp3"));
    EXPECT_TRUE(folderStatus == kCannotOpenFile || folderStatus == kPermissionDenied) << folderStatus;
    EXPECT_EQ(reports.back().category, "cannot open input file");
    EXPECT_EQ(SelectInput(decoder, "", kAutomaticModule), kInvalidParameters);
    EXPECT_EQ(decoder->input.instance, nullptr);
    EXPECT_EQ(reports.back().category, "internal error");
    EXPECT_EQ(reports.back().detail, "null params or null/empty input name");
    EXPECT_EQ(SelectInput(decoder, nullptr, kAutomaticModule), kInvalidParameters);

    EXPECT_EQ(SelectOutput(decoder, "", kAutomaticModule), kInvalidParameters);
    EXPECT_EQ(reports.back().detail, "null params or null/empty output name");
    EXPECT_EQ(decoder->output.instance, nullptr);
    EXPECT_EQ(WriteFile(folder.Path("no/such/folder/out.wav"), {}), kCannotOpenFile);
    EXPECT_EQ(reports.back().category, "cannot open output file");
    EXPECT_FALSE(reports.back().detail.empty());
    EXPECT_EQ(decoder->output.state, kClosed);
    // "WAV:" is no prefix, so it stays part of a path that leads nowhere.
    EXPECT_EQ(WriteFile("WAV:" + folder.Path("upper.wav"), {}), kCannotOpenFile);
}

std::uint32_t Word(const std::vector<std::uint8_t>& b, std::size_t at, int bytes = 4) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | b[at + i];
    return value;
}

TEST_F(FileModulesTest, WaveFilesHaveTheRightSizesAndTheFirstBlocksFormat) {
    const struct {
        int blocks;
        std::int32_t channels, rate;
    } cases[] = {{2, 2, 44100}, {2, 1, 22050}, {0, 2, 44100}};
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        const auto block = Block(100 * c.channels, "", static_cast<std::uint8_t>(c.channels));
        const std::vector<std::vector<std::uint8_t>> blocks(c.blocks, block);
        ASSERT_EQ(WriteFile("wav:" + folder.Path("out.wav"), blocks, c.channels, c.rate), kSuccess);
        const auto file = folder.Read("out.wav");
        const std::uint32_t data = 100u * c.channels * c.blocks;
        ASSERT_EQ(file.size(), 44u + data);
        EXPECT_EQ(std::string(file.begin(), file.begin() + 4) + std::string(file.begin() + 8, file.begin() + 16) +
                      std::string(file.begin() + 36, file.begin() + 40),
                  "RIFFWAVEfmt data");
        const std::uint32_t fields[] = {Word(file, 4),     Word(file, 16),    Word(file, 20, 2),
                                        Word(file, 22, 2), Word(file, 24),    Word(file, 28),
                                        Word(file, 32, 2), Word(file, 34, 2), Word(file, 40)};
        const std::uint32_t ch = static_cast<std::uint32_t>(c.channels), rate = static_cast<std::uint32_t>(c.rate);
        const std::uint32_t expected[] = {data + 36, 16, 1, ch, rate, rate * ch * 2, ch * 2, 16, data};
        EXPECT_EQ(std::vector<std::uint32_t>(fields, fields + 9), std::vector<std::uint32_t>(expected, expected + 9));
        std::vector<std::uint8_t> samples;
        for (const auto& b : blocks) samples = Concat({samples, b});
        EXPECT_EQ(std::vector<std::uint8_t>(file.begin() + 44, file.end()), samples);
    }
}

TEST_F(FileModulesTest, OtherPrefixesWriteBareSamplesAndEmptyBlocksNothing) {
    const auto block = Block(64, "pcm", 0x7F);
    for (const std::string prefix : {"", "raw:", "aiff:", "sun:"}) {
        const std::string name = "bare" + std::to_string(prefix.size()) + ".pcm";
        ASSERT_EQ(WriteFile(prefix + folder.Path(name), {block, {}, block}), kSuccess) << prefix;
        EXPECT_EQ(folder.Read(name), Concat({block, block})) << prefix;
    }
    ASSERT_EQ(SelectOutput(decoder, folder.Path("e.pcm").c_str(), kAutomaticModule), kSuccess);
    ASSERT_EQ(OpenOutput(decoder), kSuccess);
    EXPECT_EQ(output.write(decoder->output.instance, nullptr, 4, 2, 2, 44100), 0);
    ASSERT_EQ(CloseOutput(decoder), kSuccess);
    EXPECT_TRUE(folder.Read("e.pcm").empty());
}

}  // namespace
}  // namespace sonidrax::decoder::testing
