// The file input module: opening, block reads, seeking, and the ID3 version 1 tag.
#include <gtest/gtest.h>

#include <cstring>

#include "decoder/file_input.h"
#include "support/decoder_fixture.h"
#include "support/temp_files.h"

namespace sonidrax::decoder::testing {
namespace {

// A 128-byte ID3 version 1 tag.
std::vector<std::uint8_t> Tag(const std::string& title, const std::string& artist, const std::string& album,
                              const std::string& year, const std::string& comment, std::uint8_t genre) {
    std::vector<std::uint8_t> tag(128, 0);
    std::memcpy(tag.data(), "TAG", 3);
    auto put = [&](std::size_t at, std::size_t length, const std::string& text) {
        std::memcpy(tag.data() + at, text.data(), std::min(length, text.size()));
    };
    put(3, 30, title);
    put(33, 30, artist);
    put(63, 30, album);
    put(93, 4, year);
    put(97, 30, comment);
    tag[127] = genre;
    return tag;
}

// Works in another folder for as long as it lives.
class WorkingFolder {
public:
    explicit WorkingFolder(const std::string& path) : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(path);
    }
    ~WorkingFolder() { std::filesystem::current_path(previous_); }

private:
    std::filesystem::path previous_;
};

class FileInputTest : public DecoderTest {
protected:
    void SetUp() override {
        DecoderTest::SetUp();
        ASSERT_EQ(GetFileInputModule(&module), kSuccess);
        ASSERT_EQ(RegisterInputModule(decoder, &module), 0);
        const CodecModule codec = MakeTestCodec({.blockBytes = 384, .maxOutputBytes = 384, .withStreamInfo = false});
        ASSERT_EQ(RegisterCodecModule(decoder, &codec), 0);
    }

    Status OpenFile(const std::string& name) {
        if (const Status s = SelectInput(decoder, folder.Path(name).c_str(), kAutomaticModule); s != kSuccess) return s;
        return OpenInput(decoder);
    }

    std::string Text(const char* property) {
        char text[64];
        const Status s = GetStringProperty(decoder->status.statusProperties, property, text, sizeof text);
        if (s == kSuccess) return text;
        return "status " + std::to_string(s);
    }

    std::int32_t Integer(const char* property) {
        std::int32_t value = 12345;
        const Status s = GetIntegerProperty(decoder->status.statusProperties, property, &value);
        return s == kSuccess ? value : s;
    }

    std::uint8_t FirstDecodedByte() {
        return Decode(decoder, nullptr) == kSuccess ? reinterpret_cast<const std::uint8_t*>(decoder->outputBuffer.pcm)[0]
                                                    : 0;
    }

    InputModule module{};
    TempFolder folder;
};

TEST_F(FileInputTest, TagFieldsAreTrimmedAndTheGenreIsSigned) {
    std::vector<std::uint8_t> audio(1000, 0x55);
    audio[0] = 0xAB;
    folder.Write("song.mp3", Concat({audio, Tag("Hello" + std::string(25, ' '), "Artist", std::string(30, ' '),
                                                "1999", "note  x  ", 0xFF)}));
    ASSERT_EQ(OpenFile("song.mp3"), kSuccess);
    EXPECT_EQ(Text("id3/title"), "Hello");
    EXPECT_EQ(Text("id3/artist"), "Artist");
    EXPECT_EQ(Text("id3/album"), "");
    EXPECT_EQ(Text("id3/year"), "1999");
    EXPECT_EQ(Text("id3/comment"), "note  x");
    EXPECT_EQ(Integer("id3/genre"), -1);
    // The tag is read, the file still starts from its first byte, and the size counts the tag.
    EXPECT_EQ(decoder->input.size, 1128u);
    EXPECT_EQ(FirstDecodedByte(), 0xAB);
}

TEST_F(FileInputTest, ATextStopsAtItsFirstNul) {
    auto tag = Tag("Title", "", "", "", "", 17);
    tag[3 + 2] = 0;  // "Ti\0le"
    folder.Write("a.mp3", Concat({std::vector<std::uint8_t>(200, 1), tag}));
    ASSERT_EQ(OpenFile("a.mp3"), kSuccess);
    EXPECT_EQ(Text("id3/title"), "Ti");
    EXPECT_EQ(Integer("id3/genre"), 17);
}

TEST_F(FileInputTest, OnlyNamesEndingInLowerCaseMp3AfterSomethingAreTagged) {
    const auto bytes = Concat({std::vector<std::uint8_t>(200, 1), Tag("T", "", "", "", "", 1)});
    // The names are given relative to the folder, as a bare ".mp3" must be.
    const WorkingFolder inFolder(folder.Path(""));
    for (const char* name : {"upper.MP3", ".mp3", "song.mp3.bak", "mp3"}) {
        folder.Write(name, bytes);
        ASSERT_EQ(SelectInput(decoder, name, kAutomaticModule), kSuccess);
        ASSERT_EQ(OpenInput(decoder), kSuccess) << name;
        EXPECT_EQ(Text("id3/title"), "status -900") << name;
        ASSERT_EQ(CloseInput(decoder), kSuccess);
    }
    folder.Write("a.mp3", bytes);
    ASSERT_EQ(SelectInput(decoder, "a.mp3", kAutomaticModule), kSuccess);
    ASSERT_EQ(OpenInput(decoder), kSuccess);
    EXPECT_EQ(Text("id3/title"), "T");
}

TEST_F(FileInputTest, TagPropertiesMarkTheStatus) {
    folder.Write("x.mp3", Concat({std::vector<std::uint8_t>(10, 1), Tag("T", "", "", "", "", 1)}));
    ASSERT_EQ(OpenFile("x.mp3"), kSuccess);
    EXPECT_NE(decoder->status.changedBits & kStatusPropertiesChanged, 0u);
}

TEST_F(FileInputTest, AMissingOrDamagedTagSetsNothing) {
    auto damaged = Tag("T", "", "", "", "", 1);
    damaged[0] = 'X';
    std::vector<std::uint8_t> audio(500, 0);
    audio[0] = 0x77;
    folder.Write("damaged.mp3", Concat({audio, damaged}));
    ASSERT_EQ(OpenFile("damaged.mp3"), kSuccess);
    PropertyEnumeration all{};
    ASSERT_EQ(ListProperties(decoder->status.statusProperties, &all), kSuccess);
    EXPECT_EQ(all.count, 0);
    EXPECT_EQ(FirstDecodedByte(), 0x77);
}

TEST_F(FileInputTest, AFileShorterThanATagIsReadFromTheStart) {
    std::vector<std::uint8_t> bytes(400, 0);
    std::memcpy(bytes.data(), "TAG", 3);
    bytes.resize(100);
    folder.Write("short.mp3", bytes);
    ASSERT_EQ(OpenFile("short.mp3"), kSuccess);
    EXPECT_EQ(Text("id3/title"), "status -900");
    std::uint8_t first[3];
    ASSERT_EQ(decoder->services.readInput(decoder, first, 3), kSuccess);
    EXPECT_EQ(std::memcmp(first, "TAG", 3), 0);
}

TEST_F(FileInputTest, BlocksAreDeliveredWholeUntilTheEnd) {
    folder.Write("thousand.bin", std::vector<std::uint8_t>(1000, 3));
    ASSERT_EQ(OpenFile("thousand.bin"), kSuccess);
    EXPECT_EQ(decoder->input.size, 1000u);
    EXPECT_EQ(decoder->input.caps, kInputSeekable);
    EXPECT_EQ(Decode(decoder, nullptr), kSuccess);
    EXPECT_EQ(Decode(decoder, nullptr), kSuccess);
    EXPECT_EQ(Decode(decoder, nullptr), kEndOfInput);
    EXPECT_EQ(decoder->input.bytesConsumed, 768u);

    // The module itself answers 0 for the short block.
    void* instance = decoder->input.instance;
    ASSERT_EQ(module.seek(instance, 768), kSuccess);
    std::uint8_t block[384];
    EXPECT_EQ(module.read(instance, block, 384), 0);
    ASSERT_EQ(module.seek(instance, 616), kSuccess);
    EXPECT_EQ(module.read(instance, block, 384), 384);
}

TEST_F(FileInputTest, SeekingMovesInTheFile) {
    std::vector<std::uint8_t> bytes(1536);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i / 384);
    folder.Write("four.bin", bytes);
    ASSERT_EQ(OpenFile("four.bin"), kSuccess);
    ASSERT_EQ(SeekBytes(decoder, 768), kSuccess);
    EXPECT_EQ(FirstDecodedByte(), 2);
    ASSERT_EQ(SeekPosition(decoder, 0.25f), kSuccess);
    EXPECT_EQ(FirstDecodedByte(), 1);
}

TEST_F(FileInputTest, OpenFailuresAreReportedWithTheirTexts) {
    EXPECT_EQ(OpenFile("missing.mp3"), kFileNotFound);
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back().category, "cannot open input file");
    EXPECT_EQ(reports.back().detail, "file not found");
    EXPECT_EQ(reports.back().moduleId, 0);
    EXPECT_EQ(decoder->input.state, kClosed);

    std::filesystem::create_directories(folder.Path("folder.mp3"));
    // The C runtime of Windows says "permission denied" for a folder.
    const Status folderStatus = OpenFile("folder.mp3");
    EXPECT_TRUE(folderStatus == kCannotOpenFile || folderStatus == kPermissionDenied) << folderStatus;
    EXPECT_EQ(reports.back().category, "cannot open input file");
    EXPECT_FALSE(reports.back().detail.empty());
}

TEST_F(FileInputTest, AnEmptyNameIsRefusedByNew) {
    EXPECT_EQ(SelectInput(decoder, "", kAutomaticModule), kInvalidParameters);
    EXPECT_EQ(decoder->input.instance, nullptr);
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back().category, "internal error");
    EXPECT_EQ(reports.back().detail, "null params or null/empty input name");
    EXPECT_EQ(SelectInput(decoder, nullptr, kAutomaticModule), kInvalidParameters);
}

TEST_F(FileInputTest, StandardInputCannotSeek) {
    ASSERT_EQ(SelectInput(decoder, "-", kAutomaticModule), kSuccess);
    ASSERT_EQ(module.open(decoder->input.instance), kSuccess);
    EXPECT_EQ(module.caps(decoder->input.instance), 0u);
    EXPECT_EQ(module.size(decoder->input.instance), 0u);
    EXPECT_EQ(module.close(decoder->input.instance), kSuccess);
}

TEST_F(FileInputTest, QueryNamesTheModuleAndItsDevices) {
    ModuleInfo info{};
    ASSERT_EQ(QueryInputModule(decoder, 0, &info, kQueryModule | kQueryDeviceCount), kSuccess);
    EXPECT_STREQ(info.name, "Input From File");
    EXPECT_STREQ(info.description, "Version 1.2");
    EXPECT_EQ(info.index, 2);
    info = ModuleInfo{};
    ASSERT_EQ(QueryInputModule(decoder, 0, &info, kQueryDevice), kSuccess);
    EXPECT_STREQ(info.name, "*");
    EXPECT_STREQ(info.description, "any file name");
    EXPECT_EQ(info.flags, 1);
    info.index = 1;
    ASSERT_EQ(QueryInputModule(decoder, 0, &info, kQueryDevice), kSuccess);
    EXPECT_STREQ(info.name, "-");
    EXPECT_STREQ(info.description, "standard input");
    EXPECT_EQ(info.flags, 0);
    info.index = 2;
    EXPECT_EQ(QueryInputModule(decoder, 0, &info, kQueryDevice), kInvalidParameters);
    // With flag 1 the device part is not answered.
    info = ModuleInfo{};
    info.index = 5;
    EXPECT_EQ(QueryInputModule(decoder, 0, &info, kQueryModule | kQueryDevice), kSuccess);
    EXPECT_STREQ(info.name, "Input From File");
}

}  // namespace
}  // namespace sonidrax::decoder::testing
