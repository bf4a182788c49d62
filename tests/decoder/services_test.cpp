// The services table modules call back, the codec parameters, and the property lists
// behind the services (their watchers and bad arguments).
#include <gtest/gtest.h>

#include <string>

#include "decoder/property_list.h"
#include "support/decoder_fixture.h"

namespace sonidrax::decoder::testing {
namespace {

class ServicesTest : public DecoderTest {
protected:
    Status Read(std::int32_t count) { return decoder->services.readInput(decoder, bytes, count); }
    Status Seek(std::uint32_t offset) { return decoder->services.seekInput(decoder, offset); }
    std::uint8_t bytes[8] = {};
};

TEST_F(ServicesTest, ReadsAreAllOrNothingAndSeeksRestartTheCount) {
    EXPECT_EQ((std::vector<Status>{Read(1), Seek(0)}), (std::vector<Status>{kInternalError, kInternalError}));
    EXPECT_EQ(details, (std::vector<std::string>{"input not open", "input not open"}));
    OpenStream({10, 11, 12, 13, 14, 15, 16, 17, 18, 19}, {.blockBytes = 4});
    EXPECT_EQ((std::vector<Status>{Read(4), Seek(8), Read(4), Seek(4), Read(4), Read(0), Read(-1),
                                   decoder->services.readInput(decoder, nullptr, 4)}),
              (std::vector<Status>{kSuccess, kSuccess, kEndOfInput, kSuccess, kSuccess, kSuccess, kInvalidParameters,
                                   kInvalidParameters}));
    EXPECT_EQ(bytes[3], 17);
    EXPECT_EQ(decoder->input.bytesConsumed, 8u);
    EXPECT_TRUE(Codecs().events.empty());  // the codec asked for it: no seekDone
    // A failed seek leaves the count alone; a read of part of a block counts that part.
    InputModule partial = MakeMemoryInput();
    partial.read = [](void*, void*, std::int32_t count) { return count / 2; };
    ASSERT_EQ(RegisterInputModule(decoder, &partial), 1);
    ASSERT_EQ(SelectInput(decoder, "mem:s", 1), kSuccess);
    ASSERT_EQ(OpenInput(decoder), kSuccess);
    EXPECT_EQ((std::vector<Status>{Seek(4), Seek(100), Read(8)}),
              (std::vector<Status>{kSuccess, kNotAvailable, kEndOfInput}));
    EXPECT_EQ(decoder->input.bytesConsumed, 8u);
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
                                 marks(s.deleteStatusProperty(decoder, "mpeg/layer")),
                                 marks(s.setIntegerStatusProperty(decoder, "id3/title", 1)),
                                 marks(s.deleteStatusProperty(decoder, "mpeg/layer"))}),
              (std::vector<bool>{true, true, true, false, false}));
    char title[8], device[8];
    std::int32_t value = 0, told = 0;
    PropertyWatcher* handle = nullptr;
    const PropertyWatchCallback tell = [](void* c, const char*, const void*) { ++*static_cast<std::int32_t*>(c); };
    ASSERT_EQ(s.addDecoderPropertyWatcher(decoder, "quality", &told, tell, &handle), kSuccess);
    EXPECT_EQ(
        (std::vector<Status>{
            s.setIntegerStatusProperty(decoder, "id3/title", 1), s.setIntegerDecoderProperty(decoder, "quality", 5),
            s.setStringDecoderProperty(decoder, "device", "card"),
            s.getIntegerStatusProperty(decoder, "quality", &value),
            s.getIntegerDecoderProperty(decoder, "quality", &value),
            s.getStringDecoderProperty(decoder, "device", device),
            s.getStringStatusProperty(decoder, "id3/title", title), s.deleteDecoderProperty(decoder, "quality"),
            s.removeDecoderPropertyWatcher(decoder, handle), s.removeDecoderPropertyWatcher(decoder, handle)}),
        (std::vector<Status>{kPropertyTypeMismatch, kSuccess, kSuccess, kNoSuchProperty, kSuccess, kSuccess, kSuccess,
                             kSuccess, kSuccess, kNotAvailable}));
    EXPECT_EQ((std::vector<std::string>{std::to_string(value), device, title, std::to_string(told)}),
              (std::vector<std::string>{"5", "card", "T", "2"}));  // told of the value and of the deletion
    EXPECT_EQ(decoder->status.changedBits, 0u);
}

// Options set before a codec exists are handed over at open (seen with the MPEG codec).
TEST_F(ServicesTest, OptionsReachTheCodecAndTheGettersAskIt) {
    // Without a codec there is nothing to reset and the options are kept; with one the
    // getters ask it (the test codec answers twice its value).
    EXPECT_EQ(
        (std::vector<std::int32_t>{decoder->services.resetCodec(decoder), SetCodecOption1(decoder, 3),
                                   SetCodecOption1(nullptr, 1), GetCodecOption1(decoder), GetCodecOption1(nullptr)}),
        (std::vector<std::int32_t>{kSuccess, kSuccess, kInvalidParameters, 3, 0}));
    OpenStream(Block(8), {.blockBytes = 4});
    EXPECT_EQ((std::vector<std::int32_t>{SetCodecOption2(decoder, 2), decoder->services.resetCodec(decoder),
                                         GetCodecOption2(decoder), GetCodecOption1(decoder)}),
              (std::vector<std::int32_t>{kSuccess, kSuccess, 4, 6}));
    EXPECT_EQ(Codecs().events, (std::vector<std::string>{"codec:setParameters 2", "codec:reset"}));
    // The decoder keeps a copy of the gains, all 0 once they are taken away.
    std::int8_t gains[kBandGainCount] = {-32, 31}, table[kBandGainCount];
    ASSERT_EQ(SetBandGains(decoder, gains), kSuccess);
    gains[0] = 99;
    ASSERT_EQ(GetBandGains(decoder, table), kSuccess);
    EXPECT_EQ((std::vector<int>{table[0], table[1], table[63]}), (std::vector<int>{-32, 31, 0}));
    EXPECT_EQ((std::vector<Status>{SetBandGains(decoder, nullptr), GetBandGains(decoder, table),
                                   GetBandGains(decoder, nullptr)}),
              (std::vector<Status>{kSuccess, kSuccess, kInvalidParameters}));
    EXPECT_EQ(table[0], 0);
}

std::string told;

// The client is the watcher's label; integer values only, "-" for a deletion.
void Record(void* label, const char* name, const void* value) {
    told += std::string(static_cast<const char*>(label)) + " " + name + " " +
            (value == nullptr ? "-" : std::to_string(*static_cast<const std::int32_t*>(value))) + ", ";
}

TEST(PropertyList, WatchersAreToldNewestFirstUntilRemovedButNotOfClearingAndBadArgumentsAreRefused) {
    PropertyList* list = nullptr;
    ASSERT_EQ(CreatePropertyList(&list), kSuccess);
    char older[] = "older", newer[] = "newer", other[] = "other";
    PropertyWatcher *h1 = nullptr, *h2 = nullptr, *h3 = nullptr, *none = reinterpret_cast<PropertyWatcher*>(&told);
    told.clear();
    EXPECT_EQ(
        (std::vector<Status>{RemovePropertyWatcher(list, none), AddPropertyWatcher(list, "n", older, Record, &h1),
                             AddPropertyWatcher(list, "n", newer, Record, &h2),
                             AddPropertyWatcher(list, "m", other, Record, &h3), SetIntegerProperty(list, "n", 42),
                             DeleteProperty(list, "n"), DeleteProperty(list, "n"), RemovePropertyWatcher(list, none),
                             RemovePropertyWatcher(list, h2), SetIntegerProperty(list, "n", 7)}),
        (std::vector<Status>{kNotAvailable, kSuccess, kSuccess, kSuccess, kSuccess, kSuccess, kNoSuchProperty,
                             kNotAvailable, kSuccess, kSuccess}));
    ClearProperties(list);  // tells nobody, and the watchers outlive it
    std::int32_t value = 0;
    EXPECT_EQ(GetIntegerProperty(list, "n", &value), kNoSuchProperty);
    ASSERT_EQ(SetIntegerProperty(list, "n", 8), kSuccess);
    EXPECT_EQ(told, "newer n 42, older n 42, newer n -, older n -, older n 7, older n 8, ");
    // Bad arguments are refused.
    char text[10] = "untouched";
    ASSERT_EQ(SetStringProperty(list, "ten", "0123456789"), kSuccess);
    EXPECT_EQ((std::vector<Status>{SetIntegerProperty(nullptr, "a", 1), SetIntegerProperty(list, nullptr, 1),
                                   SetStringProperty(list, "a", nullptr), GetIntegerProperty(list, "a", nullptr),
                                   GetStringProperty(list, nullptr, text), DeleteProperty(nullptr, "a"),
                                   AddPropertyWatcher(list, "a", nullptr, nullptr, &h1),
                                   AddPropertyWatcher(list, "a", nullptr, Record, nullptr),
                                   RemovePropertyWatcher(list, nullptr), ListProperties(list, nullptr),
                                   CreatePropertyList(nullptr), GetStringProperty(list, "ten", text, sizeof text)}),
              std::vector<Status>(12, kInvalidParameters));
    EXPECT_STREQ(text, "untouched");  // no room for the text and its NUL
    ClearProperties(nullptr);
    EXPECT_EQ(DestroyPropertyList(list), kSuccess);
}

}  // namespace
}  // namespace sonidrax::decoder::testing
