#include "support/decoder_fixture.h"

namespace sonidrax::decoder::testing {
namespace {

void Collect(void* user, std::int32_t moduleId, std::int32_t, const char* category, const char* detail) {
    static_cast<std::vector<ErrorReport>*>(user)->push_back({moduleId, category, detail});
}

}  // namespace

void DecoderTest::SetUp() {
    MemoryInputs::Clear();
    ResetTestCodecs();
    ResetRecordingOutput();
    ASSERT_EQ(CreateDecoder(&decoder), kSuccess);
    ASSERT_EQ(SetErrorCallback(decoder, Collect, &reports), kSuccess);
}

void DecoderTest::TearDown() { EXPECT_EQ(DestroyDecoder(decoder), kSuccess); }

std::vector<std::string> DecoderTest::Details() const {
    std::vector<std::string> details;
    for (const auto& r : reports) details.push_back(r.detail);
    return details;
}

}  // namespace sonidrax::decoder::testing
