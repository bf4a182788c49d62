// Filter chains: ids, placement, removal, listing, and calls passing through.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/decoder_fixture.h"

namespace sonidrax::decoder::testing {
namespace {

std::vector<std::string> filterEvents;

// A filter whose instance is 100 + its id; every method but new and delete passed on,
// or also read, which inverts every byte, so a test sees that reads pass the filter.
InputFilter MakeInputFilter(bool inverting) {
    InputFilter f{};
    f.version = kModuleVersion;
    f.name = [] { return "plain"; };
    f.newInstance = [](void** instanceOut, std::int32_t id, Decoder*) {
        *instanceOut = reinterpret_cast<void*>(static_cast<std::intptr_t>(100 + id));
        return kSuccess;
    };
    f.deleteInstance = [](void* instance) {
        filterEvents.push_back("delete " + std::to_string(reinterpret_cast<std::intptr_t>(instance)));
        return kSuccess;
    };
    if (!inverting) return f;
    f.name = [] { return "inverting"; };
    f.read = [](InputFilterElement* e, void* buffer, std::int32_t count) {
        filterEvents.push_back("read " + std::to_string(e->id));
        const std::int32_t got = e->next->filter.read(e->next, buffer, count);
        for (std::int32_t i = 0; i < got; ++i) static_cast<std::uint8_t*>(buffer)[i] ^= 0xFF;
        return got;
    };
    return f;
}

class FilterChainTest : public DecoderTest {
protected:
    // The ids of the input chain's filters, first to last.
    std::vector<int> InputIds() {
        std::vector<int> ids;
        const InputFilterVisitor note = [](void* c, const InputFilterElement* e) {
            static_cast<std::vector<int>*>(c)->push_back(e->id);
        };
        EXPECT_EQ(ListInputFilters(decoder, &ids, note), kSuccess);
        return ids;
    }
    const InputFilter plain = MakeInputFilter(false), inverting = MakeInputFilter(true);
};

TEST_F(FilterChainTest, PlacementFollowsWhereNewIdsFillTheGapsAndRemovalChoosesByNameFirstLastOrId) {
    filterEvents.clear();
    EXPECT_TRUE(InputIds().empty());
    EXPECT_EQ(RemoveInputFilter(decoder, nullptr, kFirstFilter), kNotAvailable);
    // last, first, below 2: last, before filter 3, no filter 9: last
    EXPECT_EQ((std::vector<Status>{AddInputFilter(decoder, &plain, 0), AddInputFilter(decoder, &plain, -1),
                                   AddInputFilter(decoder, &plain, 1), AddInputFilter(decoder, &plain, 3),
                                   AddInputFilter(decoder, &inverting, 9)}),
              (std::vector<Status>{1, 2, 3, 4, 5}));
    EXPECT_EQ(InputIds(), (std::vector<int>{2, 1, 4, 3, 5}));
    EXPECT_EQ(RemoveInputFilter(decoder, nullptr, 4), 2);  // answers the head's id
    EXPECT_EQ(AddInputFilter(decoder, &plain, -1), 4);
    EXPECT_EQ(AddInputFilter(decoder, &plain, 0), 6);
    EXPECT_EQ(InputIds(), (std::vector<int>{4, 2, 1, 3, 5, 6}));
    // below -2 counts as 1; with only the terminal element left the answer is 0
    EXPECT_EQ(
        (std::vector<Status>{
            RemoveInputFilter(decoder, "inverting", kFilterByName),
            RemoveInputFilter(decoder, "inverting", kFilterByName), RemoveInputFilter(decoder, nullptr, kFilterByName),
            RemoveInputFilter(decoder, nullptr, kLastFilter), RemoveInputFilter(decoder, nullptr, -7),
            RemoveInputFilter(decoder, nullptr, 9), RemoveInputFilter(decoder, nullptr, kFirstFilter)}),
        (std::vector<Status>{4, kNotAvailable, kNotAvailable, 4, 4, kNotAvailable, 2}));
    EXPECT_EQ(InputIds(), (std::vector<int>{2, 3}));
    // Destroying the decoder deletes every filter's instance.
    ASSERT_EQ(DestroyDecoder(decoder), kSuccess);
    ASSERT_EQ(CreateDecoder(&decoder), kSuccess);  // for TearDown
    EXPECT_EQ(filterEvents, (std::vector<std::string>{"delete 104", "delete 105", "delete 106", "delete 101",
                                                      "delete 104", "delete 102", "delete 103"}));
}

TEST_F(FilterChainTest, ReadsAndWritesPassThroughTheFiltersInOrderAndBadFiltersAreRefused) {
    for (const InputFilter* f : {&inverting, &plain, &inverting}) ASSERT_GT(AddInputFilter(decoder, f, 0), 0);
    OutputFilter doubling{};
    doubling.version = kModuleVersion;
    doubling.name = [] { return "doubling"; };
    doubling.write = [](OutputFilterElement* e, const void* pcm, std::int32_t count, std::int32_t bps,
                        std::int32_t channels, std::int32_t rate) {
        e->next->filter.write(e->next, pcm, count, bps, channels, rate);
        return e->next->filter.write(e->next, pcm, count, bps, channels, rate);
    };
    // Bad descriptors and failing news leave the chain as it was.
    OutputFilter old = doubling, unnamed = doubling, failing = doubling;
    old.version = 0x00040400;
    unnamed.name = nullptr;
    failing.newInstance = [](void**, std::int32_t, Decoder*) -> Status { return -42; };
    EXPECT_EQ((std::vector<Status>{AddOutputFilter(decoder, nullptr, 0), AddOutputFilter(decoder, &doubling, -5),
                                   AddOutputFilter(decoder, &doubling, -2), AddOutputFilter(decoder, &old, 0),
                                   AddOutputFilter(decoder, &unnamed, 0), AddOutputFilter(decoder, &failing, -1),
                                   AddOutputFilter(decoder, &doubling, 0), ListInputFilters(decoder, nullptr, nullptr),
                                   ListOutputFilters(nullptr, nullptr, [](void*, const OutputFilterElement*) {})}),
              (std::vector<Status>{kInvalidParameters, kInvalidParameters, kInvalidParameters, kVersionMismatch,
                                   kInvalidParameters, -42, 1, kInvalidParameters, kInvalidParameters}));
    const std::vector<std::uint8_t> data = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08};
    OpenStream(data, {.blockBytes = 8});
    EXPECT_EQ(decoder->input.size + decoder->input.caps, 8u + kInputSeekable);  // size and caps passed on too
    OpenRecorder();
    filterEvents.clear();
    ASSERT_EQ(DecodeAndPlay(decoder), kSuccess);
    EXPECT_EQ(filterEvents, (std::vector<std::string>{"read 1", "read 3"}));
    EXPECT_EQ(DecodedBytes(), data);  // inverted twice
    EXPECT_EQ(Recorded().bytes, Concat({data, data}));
    EXPECT_EQ(InputMessage(decoder, 1, 2, 3), 6);  // messages reach the module
}

}  // namespace
}  // namespace sonidrax::decoder::testing
