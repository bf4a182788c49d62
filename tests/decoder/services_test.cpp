// The services table modules call back, and the codec parameters.
#include <gtest/gtest.h>

#include "support/decoder_fixture.h"

namespace sonidrax::decoder::testing {
namespace {

class ServicesTest : public DecoderTest {
protected:
    void Open(const MemoryInputOptions& inputOptions = {}) {
        MemoryInputs::Put("mem:s", {10, 11, 12, 13, 14, 15, 16, 17, 18, 19});
        const InputModule input = MakeMemoryInput(inputOptions);
        const CodecModule codec = MakeTestCodec({.blockBytes = 4, .maxOutputBytes = 4});
        ASSERT_EQ(RegisterInputModule(decoder, &input), 0);
        ASSERT_EQ(RegisterCodecModule(decoder, &codec), 0);
        ASSERT_EQ(SelectInput(decoder, "mem:s", 0), kSuccess);
        ASSERT_EQ(OpenInput(decoder), kSuccess);
        CodecEvents().clear();
    }
};

TEST_F(ServicesTest, ReadsAreAllOrNothing) {
    Open();
    std::uint8_t bytes[8] = {};
    ASSERT_EQ(decoder->services.readInput(decoder, bytes, 4), kSuccess);
    EXPECT_EQ(bytes[0], 10);
    EXPECT_EQ(decoder->input.bytesConsumed, 4u);
    ASSERT_EQ(decoder->services.readInput(decoder, bytes, 4), kSuccess);
    EXPECT_EQ(bytes[3], 17);
    EXPECT_EQ(decoder->services.readInput(decoder, bytes, 4), kEndOfInput);  // 2 bytes left
    EXPECT_EQ(decoder->input.bytesConsumed, 8u);
    EXPECT_EQ(decoder->services.readInput(decoder, bytes, 0), kSuccess);
    EXPECT_EQ(decoder->services.readInput(decoder, bytes, -1), kInvalidParameters);
    EXPECT_EQ(decoder->services.readInput(decoder, nullptr, 4), kInvalidParameters);
}

TEST_F(ServicesTest, AnInputThatHandsOverPartOfABlockEndsTheInput) {
    Open();
    InputModule partial = MakeMemoryInput();
    partial.read = [](void*, void*, std::int32_t count) { return count / 2; };
    DestroyDecoder(decoder);
    ASSERT_EQ(CreateDecoder(&decoder), kSuccess);
    const CodecModule codec = MakeTestCodec({.blockBytes = 4, .maxOutputBytes = 4});
    ASSERT_EQ(RegisterInputModule(decoder, &partial), 0);
    ASSERT_EQ(RegisterCodecModule(decoder, &codec), 0);
    ASSERT_EQ(SelectInput(decoder, "mem:s", 0), kSuccess);
    ASSERT_EQ(OpenInput(decoder), kSuccess);
    std::uint8_t bytes[8];
    EXPECT_EQ(decoder->services.readInput(decoder, bytes, 8), kEndOfInput);
    EXPECT_EQ(decoder->input.bytesConsumed, 4u);
}

TEST_F(ServicesTest, ReadAndSeekNeedAnOpenInput) {
    std::uint8_t byte;
    EXPECT_EQ(decoder->services.readInput(decoder, &byte, 1), kInternalError);
    EXPECT_EQ(decoder->services.seekInput(decoder, 0), kInternalError);
    EXPECT_EQ(Details(), (std::vector<std::string>{"input not open", "input not open"}));
}

TEST_F(ServicesTest, SeekingRestartsTheByteCount) {
    Open();
    std::uint8_t bytes[4];
    ASSERT_EQ(decoder->services.readInput(decoder, bytes, 4), kSuccess);
    ASSERT_EQ(decoder->services.seekInput(decoder, 6), kSuccess);
    EXPECT_EQ(decoder->input.bytesConsumed, 6u);
    ASSERT_EQ(decoder->services.readInput(decoder, bytes, 4), kSuccess);
    EXPECT_EQ(bytes[0], 16);
    EXPECT_TRUE(CodecEvents().empty());  // the codec asked for it: no seekDone
}

TEST_F(ServicesTest, AFailedSeekKeepsTheByteCount) {
    Open({.seekable = false});
    std::uint8_t bytes[4];
    ASSERT_EQ(decoder->services.readInput(decoder, bytes, 4), kSuccess);
    EXPECT_EQ(decoder->services.seekInput(decoder, 0), kNotAvailable);
    EXPECT_EQ(decoder->input.bytesConsumed, 4u);
}

TEST_F(ServicesTest, ResettingReachesTheCodec) {
    EXPECT_EQ(decoder->services.resetCodec(decoder), kSuccess);  // no codec yet: nothing to do
    Open();
    EXPECT_EQ(decoder->services.resetCodec(decoder), kSuccess);
    EXPECT_EQ(CodecEvents(), (std::vector<std::string>{"codec:reset"}));
}

TEST_F(ServicesTest, StatusPropertyWritesMarkTheStatus) {
    const DecoderServices& s = decoder->services;
    ASSERT_EQ(s.setIntegerStatusProperty(decoder, "mpeg/layer", 3), kSuccess);
    EXPECT_EQ(decoder->status.changedBits, kStatusPropertiesChanged);
    decoder->status.changedBits = 0;
    ASSERT_EQ(s.setStringStatusProperty(decoder, "id3/title", "T"), kSuccess);
    EXPECT_EQ(decoder->status.changedBits, kStatusPropertiesChanged);
    decoder->status.changedBits = 0;
    ASSERT_EQ(s.deleteStatusProperty(decoder, "mpeg/layer"), kSuccess);
    EXPECT_EQ(decoder->status.changedBits, kStatusPropertiesChanged);
    decoder->status.changedBits = 0;
    // Refused writes change nothing.
    EXPECT_EQ(s.setIntegerStatusProperty(decoder, "id3/title", 1), kPropertyTypeMismatch);
    EXPECT_EQ(s.deleteStatusProperty(decoder, "mpeg/layer"), kNoSuchProperty);
    EXPECT_EQ(decoder->status.changedBits, 0u);

    std::int32_t value = 0;
    char text[8];
    EXPECT_EQ(s.getIntegerStatusProperty(decoder, "mpeg/layer", &value), kNoSuchProperty);
    ASSERT_EQ(s.getStringStatusProperty(decoder, "id3/title", text), kSuccess);
    EXPECT_STREQ(text, "T");
}

TEST_F(ServicesTest, DecoderPropertiesAreSeparateAndWatched) {
    const DecoderServices& s = decoder->services;
    int told = 0;
    PropertyWatcher* handle = nullptr;
    ASSERT_EQ(s.addDecoderPropertyWatcher(
                  decoder, "quality", &told, [](void* c, const char*, const void*) { ++*static_cast<int*>(c); },
                  &handle),
              kSuccess);
    ASSERT_EQ(s.setIntegerDecoderProperty(decoder, "quality", 5), kSuccess);
    ASSERT_EQ(s.setStringDecoderProperty(decoder, "device", "card"), kSuccess);
    EXPECT_EQ(told, 1);
    EXPECT_EQ(decoder->status.changedBits, 0u);
    std::int32_t value = 0;
    EXPECT_EQ(s.getIntegerStatusProperty(decoder, "quality", &value), kNoSuchProperty);
    ASSERT_EQ(s.getIntegerDecoderProperty(decoder, "quality", &value), kSuccess);
    EXPECT_EQ(value, 5);
    char text[8];
    ASSERT_EQ(s.getStringDecoderProperty(decoder, "device", text), kSuccess);
    EXPECT_STREQ(text, "card");
    ASSERT_EQ(s.deleteDecoderProperty(decoder, "quality"), kSuccess);
    EXPECT_EQ(told, 2);
    ASSERT_EQ(s.removeDecoderPropertyWatcher(decoder, handle), kSuccess);
    EXPECT_EQ(s.removeDecoderPropertyWatcher(decoder, handle), kNotAvailable);
}

TEST_F(ServicesTest, OptionsAreKeptAndHandedToTheCodec) {
    EXPECT_EQ(SetCodecOption1(decoder, 3), kSuccess);  // no codec yet: kept for later
    EXPECT_EQ(GetCodecOption1(decoder), 3);
    Open();
    // Opening handed the codec all three parameters.
    EXPECT_EQ(LastParameters().option1, 3);
    ASSERT_EQ(SetCodecOption2(decoder, 2), kSuccess);
    EXPECT_EQ(LastParameters().option2, 2);
    EXPECT_EQ(CodecEvents(), (std::vector<std::string>{"codec:setParameters 2"}));
    // The getters ask the codec first; the test codec answers twice its value.
    EXPECT_EQ(GetCodecOption2(decoder), 4);
    EXPECT_EQ(GetCodecOption1(decoder), 6);
    EXPECT_EQ(SetCodecOption1(nullptr, 1), kInvalidParameters);
    EXPECT_EQ(GetCodecOption1(nullptr), 0);
}

TEST_F(ServicesTest, BandGainsAreCopiedAndRemoved) {
    std::int8_t table[kBandGainCount];
    ASSERT_EQ(GetBandGains(decoder, table), kSuccess);
    for (std::int8_t g : table) EXPECT_EQ(g, 0);

    Open();
    std::int8_t gains[kBandGainCount];
    for (std::size_t i = 0; i < kBandGainCount; ++i) gains[i] = static_cast<std::int8_t>(i - 32);
    ASSERT_EQ(SetBandGains(decoder, gains), kSuccess);
    gains[0] = 99;  // the decoder keeps its own copy
    ASSERT_EQ(GetBandGains(decoder, table), kSuccess);
    EXPECT_EQ(table[0], -32);
    EXPECT_EQ(table[63], 31);
    ASSERT_EQ(LastParameters().bandGains.size(), kBandGainCount);
    EXPECT_EQ(LastParameters().bandGains[1], -31);

    ASSERT_EQ(SetBandGains(decoder, nullptr), kSuccess);
    EXPECT_TRUE(LastParameters().bandGains.empty());
    ASSERT_EQ(GetBandGains(decoder, table), kSuccess);
    EXPECT_EQ(table[0], 0);
    EXPECT_EQ(GetBandGains(decoder, nullptr), kInvalidParameters);
}

}  // namespace
}  // namespace sonidrax::decoder::testing
