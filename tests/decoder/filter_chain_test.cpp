// Filter chains: ids, placement, removal, listing, and calls passing through.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/decoder_fixture.h"

namespace sonidrax::decoder::testing {
namespace {

std::vector<std::string>& FilterEvents() {
    static std::vector<std::string> events;
    return events;
}

// Inverts every byte read through it, so a test sees that reads pass the filter.
std::int32_t InvertingRead(InputFilterElement* e, void* buffer, std::int32_t count) {
    FilterEvents().push_back("read " + std::to_string(e->id));
    const std::int32_t got = e->next->filter.read(e->next, buffer, count);
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    for (std::int32_t i = 0; i < got; ++i) bytes[i] = static_cast<std::uint8_t>(~bytes[i]);
    return got;
}

// A filter whose instance is 100 + its id; every method but new and delete passed on.
InputFilter PlainInputFilter() {
    InputFilter f{};
    f.version = kModuleVersion;
    f.name = [] { return "plain"; };
    f.newInstance = [](void** instanceOut, std::int32_t id, Decoder*) {
        FilterEvents().push_back("new " + std::to_string(id));
        *instanceOut = reinterpret_cast<void*>(static_cast<std::intptr_t>(100 + id));
        return kSuccess;
    };
    f.deleteInstance = [](void* instance) {
        FilterEvents().push_back("delete " + std::to_string(reinterpret_cast<std::intptr_t>(instance)));
        return kSuccess;
    };
    return f;
}

InputFilter InvertingInputFilter() {
    InputFilter f = PlainInputFilter();
    f.name = [] { return "inverting"; };
    f.read = InvertingRead;
    return f;
}

class FilterChainTest : public DecoderTest {
protected:
    void SetUp() override {
        DecoderTest::SetUp();
        FilterEvents().clear();
    }
    // The ids of the chain's filters, first to last.
    template <class Element>
    std::vector<int> Ids(Status (*list)(Decoder*, void*, void (*)(void*, const Element*))) {
        std::vector<int> ids;
        EXPECT_EQ(
            list(decoder, &ids, [](void* c, const Element* e) { static_cast<std::vector<int>*>(c)->push_back(e->id); }),
            kSuccess);
        return ids;
    }
    std::vector<int> InputIds() { return Ids<InputFilterElement>(ListInputFilters); }
    std::vector<int> OutputIds() { return Ids<OutputFilterElement>(ListOutputFilters); }
};

TEST_F(FilterChainTest, PlacementFollowsWhereAndNewIdsFillTheGaps) {
    EXPECT_TRUE(InputIds().empty());
    EXPECT_EQ(RemoveInputFilter(decoder, nullptr, kFirstFilter), kNotAvailable);
    const InputFilter f = PlainInputFilter();
    EXPECT_EQ(AddInputFilter(decoder, &f, 0), 1);   // last
    EXPECT_EQ(AddInputFilter(decoder, &f, -1), 2);  // first
    EXPECT_EQ(AddInputFilter(decoder, &f, 1), 3);   // below 2: last
    EXPECT_EQ(AddInputFilter(decoder, &f, 3), 4);   // before filter 3
    EXPECT_EQ(AddInputFilter(decoder, &f, 9), 5);   // no filter 9: last
    EXPECT_EQ(InputIds(), (std::vector<int>{2, 1, 4, 3, 5}));
    EXPECT_EQ(FilterEvents(), (std::vector<std::string>{"new 1", "new 2", "new 3", "new 4", "new 5"}));
    EXPECT_EQ(RemoveInputFilter(decoder, nullptr, 4), 2);  // answers the head's id
    EXPECT_EQ(InputIds(), (std::vector<int>{2, 1, 3, 5}));
    EXPECT_EQ(AddInputFilter(decoder, &f, -1), 4);
    EXPECT_EQ(AddInputFilter(decoder, &f, 0), 6);
    EXPECT_EQ(InputIds(), (std::vector<int>{4, 2, 1, 3, 5, 6}));
    // Destroying the decoder deletes every filter's instance.
    FilterEvents().clear();
    ASSERT_EQ(DestroyDecoder(decoder), kSuccess);
    ASSERT_EQ(CreateDecoder(&decoder), kSuccess);  // for TearDown
    EXPECT_EQ(FilterEvents(), (std::vector<std::string>{"delete 104", "delete 102", "delete 101", "delete 103",
                                                        "delete 105", "delete 106"}));
}

TEST_F(FilterChainTest, BadDescriptorsAndFailingNewsLeaveTheChainAsItWas) {
    OutputFilter f{};
    f.version = kModuleVersion;
    f.name = [] { return "plain"; };
    EXPECT_EQ(AddOutputFilter(decoder, nullptr, 0), kInvalidParameters);
    EXPECT_EQ(AddOutputFilter(decoder, &f, -5), kInvalidParameters);
    EXPECT_EQ(AddOutputFilter(decoder, &f, -2), kInvalidParameters);
    f.version = 0x00040400;
    EXPECT_EQ(AddOutputFilter(decoder, &f, 0), kVersionMismatch);
    f.version = kModuleVersion;
    ASSERT_EQ(AddOutputFilter(decoder, &f, 0), 1);
    f.name = nullptr;
    EXPECT_EQ(AddOutputFilter(decoder, &f, 0), kInvalidParameters);
    f.newInstance = [](void**, std::int32_t, Decoder*) -> Status { return -42; };
    f.name = [] { return "failing"; };
    EXPECT_EQ(AddOutputFilter(decoder, &f, -1), -42);
    EXPECT_EQ(OutputIds(), (std::vector<int>{1}));
    EXPECT_EQ(RemoveOutputFilter(decoder, nullptr, kLastFilter), 0);
    EXPECT_EQ(RemoveOutputFilter(decoder, nullptr, kLastFilter), kNotAvailable);
    EXPECT_EQ(ListInputFilters(decoder, nullptr, nullptr), kInvalidParameters);
    EXPECT_EQ(ListOutputFilters(nullptr, nullptr, [](void*, const OutputFilterElement*) {}), kInvalidParameters);
}

TEST_F(FilterChainTest, RemovalChoosesByNameFirstLastOrId) {
    const InputFilter plain = PlainInputFilter();
    const InputFilter inverting = InvertingInputFilter();
    for (const InputFilter* f : {&plain, &inverting, &plain, &plain}) ASSERT_GT(AddInputFilter(decoder, f, 0), 0);
    FilterEvents().clear();
    EXPECT_EQ(RemoveInputFilter(decoder, "inverting", kFilterByName), 1);
    EXPECT_EQ(RemoveInputFilter(decoder, "inverting", kFilterByName), kNotAvailable);
    EXPECT_EQ(RemoveInputFilter(decoder, nullptr, kFilterByName), kNotAvailable);
    EXPECT_EQ(RemoveInputFilter(decoder, nullptr, kLastFilter), 1);  // removes 4
    EXPECT_EQ(RemoveInputFilter(decoder, nullptr, -7), 3);           // below -2 counts as 1
    EXPECT_EQ(RemoveInputFilter(decoder, nullptr, 9), kNotAvailable);
    EXPECT_EQ(RemoveInputFilter(decoder, nullptr, kFirstFilter), 0);  // only the terminal is left
    EXPECT_EQ(FilterEvents(), (std::vector<std::string>{"delete 102", "delete 104", "delete 101", "delete 103"}));
}

TEST_F(FilterChainTest, ReadsAndWritesPassThroughTheFiltersInOrder) {
    const InputFilter inverting = InvertingInputFilter();
    const InputFilter plain = PlainInputFilter();
    for (const InputFilter* f : {&inverting, &plain, &inverting}) ASSERT_GT(AddInputFilter(decoder, f, 0), 0);
    OutputFilter doubling{};
    doubling.version = kModuleVersion;
    doubling.name = [] { return "doubling"; };
    doubling.write = [](OutputFilterElement* e, const void* pcm, std::int32_t count, std::int32_t bps,
                        std::int32_t channels, std::int32_t rate) {
        FilterEvents().push_back("write " + std::to_string(count));
        e->next->filter.write(e->next, pcm, count, bps, channels, rate);
        return e->next->filter.write(e->next, pcm, count, bps, channels, rate);
    };
    ASSERT_EQ(AddOutputFilter(decoder, &doubling, 0), 1);
    const std::vector<std::uint8_t> data = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08};
    OpenStream(data, {.blockBytes = 8, .maxOutputBytes = 8});
    EXPECT_EQ(decoder->input.size, 8u);  // size and caps passed on too
    EXPECT_EQ(decoder->input.caps, kInputSeekable);
    OpenRecorder();
    FilterEvents().clear();
    ASSERT_EQ(DecodeAndPlay(decoder), kSuccess);
    EXPECT_EQ(FilterEvents(), (std::vector<std::string>{"read 1", "read 3", "write 8"}));
    EXPECT_EQ(DecodedBytes(), data);  // inverted twice
    EXPECT_EQ(Recorded().writeSizes, (std::vector<std::int32_t>{8, 8}));

    ASSERT_EQ(RemoveInputFilter(decoder, nullptr, 3), 1);
    ASSERT_EQ(SeekBytes(decoder, 0), kSuccess);
    ASSERT_EQ(Decode(decoder, nullptr), kSuccess);
    EXPECT_EQ(DecodedBytes()[0], 0xFE);
    EXPECT_EQ(InputMessage(decoder, 1, 2, 3), 6);  // messages reach the module
}

}  // namespace
}  // namespace sonidrax::decoder::testing
