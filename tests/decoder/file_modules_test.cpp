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
        const CodecModule codec = MakeTestCodec();
        ASSERT_EQ((std::vector<Status>{GetFileInputModule(&input), GetFileOutputModule(&output),
                                       RegisterInputModule(decoder, &input), RegisterOutputModule(decoder, &output),
                                       RegisterCodecModule(decoder, &codec)}),
                  std::vector<Status>(5, kSuccess));
    }

    Status OpenFile(const std::string& name) {
        if (const Status s = SelectInput(decoder, name.c_str(), kAutomaticModule); s != kSuccess) return s;
        return OpenInput(decoder);
    }

    // The tags read, newest first, as "name=value " without the names' "id3/".
    std::string Tags() {
        PropertyEnumeration all{};
        EXPECT_EQ(ListProperties(decoder->status.statusProperties, &all), kSuccess);
        std::string found;
        for (const PropertyEntry& e : std::vector<PropertyEntry>(all.entries, all.entries + all.count)) {
            const std::string value = e.type == kStringProperty ? e.value.text : std::to_string(e.value.integer);
            found += std::string(e.name).substr(4) + "=" + value + " ";
        }
        return found;
    }

    InputModule input{};
    OutputModule output{};
    TempFolder folder;
};

TEST_F(FileModulesTest, WholeTagsOfNamesEndingInLowerCaseMp3AreReadAndTrimmedAtBlanksOrNul) {
    std::vector<std::uint8_t> audio(1000, 0x55);
    audio[0] = 0xAB;
    const auto tagged =
        Concat({audio, Tag({"Hello" + std::string(25, ' '), "Artist", "Album", "1999", "note  x  "}, 0xFF)});
    auto damaged = tagged;
    damaged[1000] = 'X';
    const auto shortFile = Block(100, "\xABTAG", 0xAB);
    const struct {
        const char* name;
        std::vector<std::uint8_t> bytes;
        std::string tags;
    } files[] = {{"song.mp3", tagged, "genre=-1 comment=note  x year=1999 album=Album artist=Artist title=Hello "},
                 {"a.mp3", Concat({audio, Tag({std::string("Ti\0le", 5), "", std::string(30, ' ')}, 17)}),
                  "genre=17 comment= year= album= artist= title=Ti "},
                 {"upper.MP3", tagged, ""},
                 {".mp3", tagged, ""},
                 {"song.mp3.bak", tagged, ""},
                 {"damaged.mp3", damaged, ""},
                 {"short.mp3", shortFile, ""}};
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.Path(""));  // a bare ".mp3" must be relative
    for (const auto& f : files) {
        folder.Write(f.name, f.bytes);
        EXPECT_EQ(OpenFile(f.name), kSuccess) << f.name;
        EXPECT_EQ(Tags(), f.tags) << f.name;
        // The tag is read, the file still starts from its first byte, and the size counts the tag.
        EXPECT_EQ(decoder->input.size, f.bytes.size()) << f.name;
        std::uint8_t first = 0;
        EXPECT_EQ(decoder->services.readInput(decoder, &first, 1), kSuccess) << f.name;
        EXPECT_EQ(first, 0xAB) << f.name;
    }
    std::filesystem::current_path(previous);
}

TEST_F(FileModulesTest, BlocksAreDeliveredWholeAndSeekingMovesInTheFile) {
    std::vector<std::uint8_t> bytes(1000);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i / 100);
    folder.Write("thousand.bin", bytes);
    ASSERT_EQ(OpenFile(folder.Path("thousand.bin")), kSuccess);
    EXPECT_EQ(decoder->input.caps, kInputSeekable);
    // Through the decoder, then the module itself, which answers 0 for a short block.
    void* instance = decoder->input.instance;
    std::uint8_t block[384];
    EXPECT_EQ((std::vector<std::int32_t>{SeekBytes(decoder, 450), decoder->services.readInput(decoder, block, 1),
                                         block[0], input.seek(instance, 617), input.read(instance, block, 384),
                                         input.seek(instance, 616), input.read(instance, block, 384), block[0]}),
              (std::vector<std::int32_t>{kSuccess, kSuccess, 4, kSuccess, 0, kSuccess, 384, 6}));
    // Standard input cannot seek.
    ASSERT_EQ(SelectInput(decoder, "-", kAutomaticModule), kSuccess);
    ASSERT_EQ(input.open(decoder->input.instance), kSuccess);
    EXPECT_EQ(input.caps(decoder->input.instance) + input.size(decoder->input.instance), 0u);
    EXPECT_EQ(input.close(decoder->input.instance), kSuccess);
}

TEST_F(FileModulesTest, OpenFailuresAreReportedWithTheirTexts) {
    EXPECT_EQ((std::vector<Status>{OpenFile(folder.Path("missing.mp3")), SelectInput(decoder, "", kAutomaticModule),
                                   SelectOutput(decoder, nullptr, kAutomaticModule),
                                   SelectOutput(decoder, folder.Path("no/such/folder/out.wav").c_str(), 0),
                                   OpenOutput(decoder), SelectOutput(decoder, ("WAV:" + folder.Path("o")).c_str(), 0),
                                   OpenOutput(decoder)}),  // "WAV:" is no prefix: a path that leads nowhere
              (std::vector<Status>{kFileNotFound, kInvalidParameters, kInvalidParameters, 0, kCannotOpenFile, 0,
                                   kCannotOpenFile}));
    EXPECT_EQ(decoder->input.state + decoder->output.state, kClosed);
    ASSERT_EQ(details.size(), 5u);
    EXPECT_EQ(
        (std::vector<std::string>{categories[0], details[0], categories[1], details[1], details[2], categories[3]}),
        (std::vector<std::string>{"cannot open input file", "file not found", "internal error",
                                  "null params or null/empty input name", "null params or null/empty output name",
                                  "cannot open output file"}));
}

std::uint32_t Word(const std::vector<std::uint8_t>& b, std::size_t at, int bytes = 4) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | b[at + i];
    return value;
}

// WAVE files take the first block's format; other prefixes write bare samples.
TEST_F(FileModulesTest, WaveFilesHaveTheRightSizesAndOtherFilesTheBareSamples) {
    const struct {
        const char* prefix;
        int blocks;
        std::uint32_t channels, rate;
    } cases[] = {{"wav:", 2, 2, 44100}, {"wav:", 2, 1, 22050}, {"wav:", 0, 2, 44100}, {"", 2, 2, 44100},
                 {"raw:", 1, 2, 44100}, {"aiff:", 2, 1, 8000}, {"sun:", 2, 2, 44100}};
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        const auto block = Block(100 * c.channels, "", static_cast<std::uint8_t>(c.channels));
        std::vector<std::vector<std::uint8_t>> blocks(c.blocks, block);
        blocks.insert(blocks.begin() + c.blocks / 2, std::vector<std::uint8_t>{});  // writes nothing
        // Through the module directly, as the decoder would.
        ASSERT_EQ(SelectOutput(decoder, (c.prefix + folder.Path("out")).c_str(), 0), kSuccess);
        ASSERT_EQ(OpenOutput(decoder), kSuccess);
        for (const auto& b : blocks) {
            const auto size = static_cast<std::int32_t>(b.size());
            EXPECT_EQ(output.write(decoder->output.instance, size ? b.data() : nullptr, size, 2, c.channels, c.rate),
                      size);
        }
        ASSERT_EQ(CloseOutput(decoder), kSuccess);
        const auto file = folder.Read("out");
        const std::uint32_t data = 100u * c.channels * c.blocks, header = c.prefix[0] == 'w' ? 44 : 0;
        ASSERT_EQ(file.size(), header + data);
        EXPECT_EQ(std::vector<std::uint8_t>(file.begin() + header, file.end()),
                  std::vector<std::uint8_t>(data, c.channels));
        if (header == 0) continue;
        EXPECT_EQ(std::string(file.begin(), file.begin() + 4) + std::string(file.begin() + 8, file.begin() + 16) +
                      std::string(file.begin() + 36, file.begin() + 40),
                  "RIFFWAVEfmt data");
        EXPECT_EQ((std::vector<std::uint32_t>{Word(file, 4), Word(file, 16), Word(file, 20, 2), Word(file, 22, 2),
                                              Word(file, 24), Word(file, 28), Word(file, 32, 2), Word(file, 34, 2),
                                              Word(file, 40)}),
                  (std::vector<std::uint32_t>{data + 36, 16, 1, c.channels, c.rate, c.rate * c.channels * 2,
                                              c.channels * 2, 16, data}));
    }
    ASSERT_EQ(SelectOutput(decoder, folder.Path("e.pcm").c_str(), kAutomaticModule), kSuccess);
    ASSERT_EQ(OpenOutput(decoder), kSuccess);
    EXPECT_EQ(output.write(decoder->output.instance, nullptr, 4, 2, 2, 44100), 0);
}

}  // namespace
}  // namespace sonidrax::decoder::testing
