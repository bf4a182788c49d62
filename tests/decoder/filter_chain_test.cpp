// Filter chains: ids, placement, removal, listing, and calls passing through.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/decoder_fixture.h"

namespace sonidrax::decoder::testing {
namespace {

std::vector<std::string>& FilterEvents() {
    static std::vector<std::string> events;
    return events;
}

const char* NamePlain() { return "plain"; }
const char* NameInverting() { return "inverting"; }

// Inverts every byte read through it, so a test sees that reads pass the filter.
std::int32_t InvertingRead(InputFilterElement* e, void* buffer, std::int32_t count) {
    FilterEvents().push_back("read " + std::to_string(e->id));
    const std::int32_t got = e->next->filter.read(e->next, buffer, count);
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    for (std::int32_t i = 0; i < got; ++i) bytes[i] = static_cast<std::uint8_t>(~bytes[i]);
    return got;
}

Status CountingNew(void** instanceOut, std::int32_t id, Decoder*) {
    FilterEvents().push_back("new " + std::to_string(id));
    *instanceOut = reinterpret_cast<void*>(static_cast<std::intptr_t>(100 + id));
    return kSuccess;
}

Status CountingDelete(void* instance) {
    FilterEvents().push_back("delete " + std::to_string(reinterpret_cast<std::intptr_t>(instance)));
    return kSuccess;
}

Status FailingNew(void**, std::int32_t, Decoder*) { return -42; }

std::int32_t DoubledWrite(OutputFilterElement* e, const void* pcm, std::int32_t byteCount, std::int32_t bps,
                          std::int32_t channels, std::int32_t rate) {
    FilterEvents().push_back("write " + std::to_string(byteCount));
    e->next->filter.write(e->next, pcm, byteCount, bps, channels, rate);
    return e->next->filter.write(e->next, pcm, byteCount, bps, channels, rate);
}

InputFilter PlainInputFilter() {
    InputFilter f{};
    f.version = kModuleVersion;
    f.name = NamePlain;
    f.newInstance = CountingNew;
    f.deleteInstance = CountingDelete;
    return f;
}

InputFilter InvertingInputFilter() {
    InputFilter f = PlainInputFilter();
    f.name = NameInverting;
    f.read = InvertingRead;
    return f;
}

OutputFilter PlainOutputFilter() {
    OutputFilter f{};
    f.version = kModuleVersion;
    f.name = NamePlain;
    return f;
}

void CollectIds(void* client, const InputFilterElement* e) { static_cast<std::vector<int>*>(client)->push_back(e->id); }
void CollectOutputIds(void* client, const OutputFilterElement* e) {
    static_cast<std::vector<int>*>(client)->push_back(e->id);
}

class FilterChainTest : public DecoderTest {
protected:
    void SetUp() override {
        DecoderTest::SetUp();
        FilterEvents().clear();
    }
    std::vector<int> InputIds() {
        std::vector<int> ids;
        EXPECT_EQ(ListInputFilters(decoder, &ids, CollectIds), kSuccess);
        return ids;
    }
    std::vector<int> OutputIds() {
        std::vector<int> ids;
        EXPECT_EQ(ListOutputFilters(decoder, &ids, CollectOutputIds), kSuccess);
        return ids;
    }
};

TEST_F(FilterChainTest, AnEmptyChainListsNothing) {
    EXPECT_TRUE(InputIds().empty());
    EXPECT_TRUE(OutputIds().empty());
    EXPECT_EQ(RemoveInputFilter(decoder, nullptr, kFirstFilter), kNotAvailable);
    EXPECT_EQ(RemoveOutputFilter(decoder, nullptr, kLastFilter), kNotAvailable);
}

TEST_F(FilterChainTest, PlacementFollowsWhere) {
    const InputFilter f = PlainInputFilter();
    EXPECT_EQ(AddInputFilter(decoder, &f, 0), 1);   // last
    EXPECT_EQ(AddInputFilter(decoder, &f, -1), 2);  // first
    EXPECT_EQ(AddInputFilter(decoder, &f, 1), 3);   // below 2: last
    EXPECT_EQ(AddInputFilter(decoder, &f, 3), 4);   // before filter 3
    EXPECT_EQ(AddInputFilter(decoder, &f, 9), 5);   // no filter 9: last
    EXPECT_EQ(InputIds(), (std::vector<int>{2, 1, 4, 3, 5}));
    // Each filter's instance was created with its id.
    EXPECT_EQ(FilterEvents(), (std::vector<std::string>{"new 1", "new 2", "new 3", "new 4", "new 5"}));
}

TEST_F(FilterChainTest, NewIdsFillTheGaps) {
    const OutputFilter f = PlainOutputFilter();
    for (int i = 1; i <= 3; ++i) ASSERT_EQ(AddOutputFilter(decoder, &f, 0), i);
    EXPECT_EQ(RemoveOutputFilter(decoder, nullptr, 2), 1);  // chain 1, 3: the head is still 1
    EXPECT_EQ(OutputIds(), (std::vector<int>{1, 3}));
    EXPECT_EQ(AddOutputFilter(decoder, &f, 0), 2);
    EXPECT_EQ(AddOutputFilter(decoder, &f, 0), 4);
}

TEST_F(FilterChainTest, BadDescriptorsAreRefused) {
    OutputFilter f = PlainOutputFilter();
    EXPECT_EQ(AddOutputFilter(decoder, nullptr, 0), kInvalidParameters);
    EXPECT_EQ(AddOutputFilter(decoder, &f, -5), kInvalidParameters);
    EXPECT_EQ(AddOutputFilter(decoder, &f, -2), kInvalidParameters);
    f.name = nullptr;
    EXPECT_EQ(AddOutputFilter(decoder, &f, 0), kInvalidParameters);
    f = PlainOutputFilter();
    f.version = 0x00040400;
    EXPECT_EQ(AddOutputFilter(decoder, &f, 0), kVersionMismatch);
    EXPECT_TRUE(OutputIds().empty());
}

TEST_F(FilterChainTest, AFailingNewLeavesTheChainAsItWas) {
    InputFilter f = PlainInputFilter();
    ASSERT_EQ(AddInputFilter(decoder, &f, 0), 1);
    f.newInstance = FailingNew;
    EXPECT_EQ(AddInputFilter(decoder, &f, -1), -42);
    EXPECT_EQ(InputIds(), (std::vector<int>{1}));
    EXPECT_EQ(AddInputFilter(decoder, &f, -1) , -42);
    f.newInstance = nullptr;  // without new the filter is simply linked
    EXPECT_EQ(AddInputFilter(decoder, &f, -1), 2);
}

TEST_F(FilterChainTest, RemovalChoosesByNameFirstLastOrId) {
    const InputFilter plain = PlainInputFilter();
    const InputFilter inverting = InvertingInputFilter();
    ASSERT_EQ(AddInputFilter(decoder, &plain, 0), 1);
    ASSERT_EQ(AddInputFilter(decoder, &inverting, 0), 2);
    ASSERT_EQ(AddInputFilter(decoder, &plain, 0), 3);
    ASSERT_EQ(AddInputFilter(decoder, &plain, 0), 4);
    FilterEvents().clear();

    EXPECT_EQ(RemoveInputFilter(decoder, "inverting", kFilterByName), 1);
    EXPECT_EQ(RemoveInputFilter(decoder, "inverting", kFilterByName), kNotAvailable);
    EXPECT_EQ(RemoveInputFilter(decoder, nullptr, kLastFilter), 1);  // removes 4
    EXPECT_EQ(RemoveInputFilter(decoder, nullptr, -7), 3);           // below -2 counts as 1
    EXPECT_EQ(RemoveInputFilter(decoder, nullptr, 9), kNotAvailable);
    EXPECT_EQ(RemoveInputFilter(decoder, nullptr, kFirstFilter), 0);  // only the terminal is left
    EXPECT_EQ(RemoveInputFilter(decoder, nullptr, kFirstFilter), kNotAvailable);
    // Each removal deleted the filter's own instance.
    EXPECT_EQ(FilterEvents(), (std::vector<std::string>{"delete 102", "delete 104", "delete 101", "delete 103"}));
}

TEST_F(FilterChainTest, ReadsPassThroughTheFiltersInOrder) {
    const InputModule input = MakeMemoryInput();
    const CodecModule codec = MakeTestCodec({.blockBytes = 8, .maxOutputBytes = 8});
    ASSERT_EQ(RegisterInputModule(decoder, &input), 0);
    ASSERT_EQ(RegisterCodecModule(decoder, &codec), 0);
    const InputFilter inverting = InvertingInputFilter();
    const InputFilter plain = PlainInputFilter();  // every method passed on
    ASSERT_EQ(AddInputFilter(decoder, &inverting, 0), 1);
    ASSERT_EQ(AddInputFilter(decoder, &plain, 0), 2);
    ASSERT_EQ(AddInputFilter(decoder, &inverting, 0), 3);
    MemoryInputs::Put("mem:data", {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08});
    ASSERT_EQ(SelectInput(decoder, "mem:data", 0), kSuccess);
    ASSERT_EQ(OpenInput(decoder), kSuccess);
    EXPECT_EQ(decoder->input.size, 8u);  // size and caps passed on too
    EXPECT_EQ(decoder->input.caps, kInputSeekable);
    FilterEvents().clear();

    ASSERT_EQ(Decode(decoder, nullptr), kSuccess);
    EXPECT_EQ(FilterEvents(), (std::vector<std::string>{"read 1", "read 3"}));
    // Inverted twice: the bytes arrive unchanged.
    const auto* pcm = reinterpret_cast<const std::uint8_t*>(decoder->outputBuffer.pcm);
    EXPECT_EQ(std::vector<std::uint8_t>(pcm, pcm + 8), *MemoryInputs::Find("mem:data"));

    ASSERT_EQ(RemoveInputFilter(decoder, nullptr, 3), 1);
    ASSERT_EQ(SeekBytes(decoder, 0), kSuccess);
    ASSERT_EQ(Decode(decoder, nullptr), kSuccess);
    EXPECT_EQ(pcm[0], 0xFE);
    EXPECT_EQ(InputMessage(decoder, 1, 2, 3), 6);  // messages reach the module
}

TEST_F(FilterChainTest, WritesPassThroughOutputFilters) {
    const InputModule input = MakeMemoryInput();
    const CodecModule codec = MakeTestCodec({.blockBytes = 16, .maxOutputBytes = 16});
    const OutputModule output = MakeRecordingOutput();
    ASSERT_EQ(RegisterInputModule(decoder, &input), 0);
    ASSERT_EQ(RegisterCodecModule(decoder, &codec), 0);
    ASSERT_EQ(RegisterOutputModule(decoder, &output), 0);
    OutputFilter doubling = PlainOutputFilter();
    doubling.write = DoubledWrite;
    ASSERT_EQ(AddOutputFilter(decoder, &doubling, 0), 1);
    MemoryInputs::Put("mem:d", Block(16));
    ASSERT_EQ(SelectInput(decoder, "mem:d", 0), kSuccess);
    ASSERT_EQ(OpenInput(decoder), kSuccess);
    ASSERT_EQ(SelectOutput(decoder, "out", 0), kSuccess);
    ASSERT_EQ(OpenOutput(decoder), kSuccess);
    ASSERT_EQ(DecodeAndPlay(decoder), kSuccess);
    EXPECT_EQ(FilterEvents(), (std::vector<std::string>{"write 16"}));
    EXPECT_EQ(Recorded().writeSizes, (std::vector<std::int32_t>{16, 16}));
}

TEST_F(FilterChainTest, DestroyingTheDecoderDeletesTheFilters) {
    const InputFilter f = PlainInputFilter();
    ASSERT_EQ(AddInputFilter(decoder, &f, 0), 1);
    ASSERT_EQ(AddInputFilter(decoder, &f, 0), 2);
    FilterEvents().clear();
    ASSERT_EQ(DestroyDecoder(decoder), kSuccess);
    ASSERT_EQ(CreateDecoder(&decoder), kSuccess);  // for TearDown
    EXPECT_EQ(FilterEvents(), (std::vector<std::string>{"delete 101", "delete 102"}));
}

TEST_F(FilterChainTest, ListingNeedsACallback) {
    EXPECT_EQ(ListInputFilters(decoder, nullptr, nullptr), kInvalidParameters);
    EXPECT_EQ(ListOutputFilters(nullptr, nullptr, CollectOutputIds), kInvalidParameters);
}

}  // namespace
}  // namespace sonidrax::decoder::testing
