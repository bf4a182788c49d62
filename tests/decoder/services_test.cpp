// The services table modules call back, and the codec parameters.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/decoder_fixture.h"

namespace sonidrax::decoder::testing {
namespace {

class ServicesTest : public DecoderTest {
protected:
    void Open(const MemoryInputOptions& input = {}) {
        OpenStream({10, 11, 12, 13, 14, 15, 16, 17, 18, 19}, {.blockBytes = 4}, input);
    }
    Status Read(std::int32_t count) { return decoder->services.readInput(decoder, bytes, count); }
    Status Seek(std::uint32_t offset) { return decoder->services.seekInput(decoder, offset); }
    std::uint8_t bytes[8] = {};
};

TEST_F(ServicesTest, ReadsAreAllOrNothingAndSeeksRestartTheCount) {
    EXPECT_EQ((std::vector<Status>{Read(1), Seek(0)}), (std::vector<Status>{kInternalError, kInternalError}));
    EXPECT_EQ(Details(), (std::vector<std::string>{"input not open", "input not open"}));
    Open();
    ASSERT_EQ(Read(4), kSuccess);
    EXPECT_EQ(bytes[0], 10);
    EXPECT_EQ((std::vector<Status>{Seek(8), Read(4), Seek(4), Read(4), Read(0), Read(-1),
                                   decoder->services.readInput(decoder, nullptr, 4)}),
              (std::vector<Status>{kSuccess, kEndOfInput, kSuccess, kSuccess, kSuccess, kInvalidParameters,
                                   kInvalidParameters}));
    EXPECT_EQ(bytes[3], 17);
    EXPECT_EQ(decoder->input.bytesConsumed, 8u);
    EXPECT_TRUE(CodecEvents().empty());  // the codec asked for it: no seekDone
}

TEST_F(ServicesTest, AFailedSeekOrAPartialReadKeepsTheByteCount) {
    Open({.seekable = false});
    ASSERT_EQ(Read(4), kSuccess);
    EXPECT_EQ(Seek(0), kNotAvailable);
    EXPECT_EQ(decoder->input.bytesConsumed, 4u);
    ASSERT_EQ(ReleaseInput(decoder), kSuccess);
    InputModule partial = MakeMemoryInput();
    partial.read = [](void*, void*, std::int32_t count) { return count / 2; };
    ASSERT_EQ(RegisterInputModule(decoder, &partial), 1);
    ASSERT_EQ(SelectInput(decoder, "mem:s", 1), kSuccess);
    ASSERT_EQ(OpenInput(decoder), kSuccess);
    EXPECT_EQ(Read(8), kEndOfInput);
    EXPECT_EQ(decoder->input.bytesConsumed, 4u);
}

TEST_F(ServicesTest, StatusPropertyWritesMarkTheStatusAndDecoderPropertiesAreSeparate) {
    const DecoderServices& s = decoder->services;
    const auto marks = [&](Status written) {
        const bool marked = written == kSuccess && decoder->status.changedBits == kStatusPropertiesChanged;
        decoder->status.changedBits = 0;
        return marked;
    };
    EXPECT_EQ((std::vector<bool>{marks(s.setIntegerStatusProperty(decoder, "mpeg/layer", 3)),
                                 marks(s.setStringStatusProperty(decoder, "id3/title", "T")),
                                 marks(s.deleteStatusProperty(decoder, "mpeg/layer"))}),
              std::vector<bool>(3, true));
    EXPECT_EQ(s.setIntegerStatusProperty(decoder, "id3/title", 1), kPropertyTypeMismatch);
    EXPECT_EQ(s.deleteStatusProperty(decoder, "mpeg/layer"), kNoSuchProperty);
    char title[8], device[8];
    int told = 0;
    PropertyWatcher* handle = nullptr;
    ASSERT_EQ(
        s.addDecoderPropertyWatcher(
            decoder, "quality", &told, [](void* c, const char*, const void*) { ++*static_cast<int*>(c); }, &handle),
        kSuccess);
    ASSERT_EQ(s.setIntegerDecoderProperty(decoder, "quality", 5), kSuccess);
    ASSERT_EQ(s.setStringDecoderProperty(decoder, "device", "card"), kSuccess);
    EXPECT_EQ(told, 1);
    EXPECT_EQ(decoder->status.changedBits, 0u);
    std::int32_t value = 0;
    EXPECT_EQ(s.getIntegerStatusProperty(decoder, "quality", &value), kNoSuchProperty);
    ASSERT_EQ(s.getIntegerDecoderProperty(decoder, "quality", &value), kSuccess);
    ASSERT_EQ(s.getStringDecoderProperty(decoder, "device", device), kSuccess);
    ASSERT_EQ(s.getStringStatusProperty(decoder, "id3/title", title), kSuccess);
    EXPECT_EQ((std::vector<std::string>{std::to_string(value), device, title}),
              (std::vector<std::string>{"5", "card", "T"}));
    ASSERT_EQ(s.deleteDecoderProperty(decoder, "quality"), kSuccess);
    EXPECT_EQ(told, 2);
    ASSERT_EQ(s.removeDecoderPropertyWatcher(decoder, handle), kSuccess);
    EXPECT_EQ(s.removeDecoderPropertyWatcher(decoder, handle), kNotAvailable);
}

TEST_F(ServicesTest, OptionsAndBandGainsAreKeptAndHandedToTheCodec) {
    EXPECT_EQ(decoder->services.resetCodec(decoder), kSuccess);  // no codec yet: nothing to do
    EXPECT_EQ(SetCodecOption1(decoder, 3), kSuccess);            // kept for later
    EXPECT_EQ(GetCodecOption1(decoder), 3);
    std::int8_t table[kBandGainCount];
    ASSERT_EQ(GetBandGains(decoder, table), kSuccess);
    EXPECT_EQ(std::count(table, table + kBandGainCount, 0), kBandGainCount);
    Open();
    EXPECT_EQ(Codecs().option1, 3);  // opening handed the codec all parameters
    ASSERT_EQ(SetCodecOption2(decoder, 2), kSuccess);
    EXPECT_EQ(Codecs().option2, 2);
    EXPECT_EQ(decoder->services.resetCodec(decoder), kSuccess);
    EXPECT_EQ(CodecEvents(), (std::vector<std::string>{"codec:setParameters 2", "codec:reset"}));
    // The getters ask the codec first; the test codec answers twice its value.
    EXPECT_EQ((std::vector<std::int32_t>{GetCodecOption2(decoder), GetCodecOption1(decoder), GetCodecOption1(nullptr)}),
              (std::vector<std::int32_t>{4, 6, 0}));
    EXPECT_EQ(SetCodecOption1(nullptr, 1), kInvalidParameters);

    std::int8_t gains[kBandGainCount];
    for (std::size_t i = 0; i < kBandGainCount; ++i) gains[i] = static_cast<std::int8_t>(i - 32);
    ASSERT_EQ(SetBandGains(decoder, gains), kSuccess);
    EXPECT_EQ(Codecs().bandGains, std::vector<std::int8_t>(gains, gains + kBandGainCount));
    gains[0] = 99;  // the decoder keeps its own copy
    ASSERT_EQ(GetBandGains(decoder, table), kSuccess);
    EXPECT_EQ((std::vector<int>{table[0], table[63]}), (std::vector<int>{-32, 31}));
    ASSERT_EQ(SetBandGains(decoder, nullptr), kSuccess);
    EXPECT_TRUE(Codecs().bandGains.empty());
    ASSERT_EQ(GetBandGains(decoder, table), kSuccess);
    EXPECT_EQ(table[0], 0);
    EXPECT_EQ(GetBandGains(decoder, nullptr), kInvalidParameters);
}

}  // namespace
}  // namespace sonidrax::decoder::testing
