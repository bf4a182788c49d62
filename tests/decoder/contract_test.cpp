// The record layouts that modules written elsewhere rely on.
#include <gtest/gtest.h>

#include <cstddef>

#include "decoder/decoder.h"
#include "decoder/file_input.h"
#include "decoder/file_output.h"

namespace sonidrax::decoder {
namespace {

TEST(Contracts, DescriptorsAreTablesOfWords) {
    // version word plus one pointer per entry (the version word is padded to a
    // pointer on 64-bit builds)
    EXPECT_EQ(sizeof(InputModule), 12 * sizeof(void*));
    EXPECT_EQ(sizeof(OutputModule), 14 * sizeof(void*));
    EXPECT_EQ(sizeof(CodecModule), 16 * sizeof(void*));
    EXPECT_EQ(sizeof(InputFilter), 11 * sizeof(void*));
    EXPECT_EQ(sizeof(OutputFilter), 13 * sizeof(void*));
    EXPECT_EQ(sizeof(DecoderServices), 15 * sizeof(void*));
}

TEST(Contracts, ModuleInfoLayoutIsFixed) {
    EXPECT_EQ(offsetof(ModuleInfo, index), 0u);
    EXPECT_EQ(offsetof(ModuleInfo, flags), 4u);
    EXPECT_EQ(offsetof(ModuleInfo, name), 8u);
    EXPECT_EQ(offsetof(ModuleInfo, description), 263u);
    EXPECT_EQ(offsetof(ModuleInfo, maxOutputBytes), 520u);
}

TEST(Contracts, VersionRuleIgnoresOnlyTheLowestByte) {
    EXPECT_TRUE(IsAcceptedVersion(0x00040300));
    EXPECT_TRUE(IsAcceptedVersion(0x000403FF));
    EXPECT_TRUE(IsAcceptedVersion(0xFF040300));
    EXPECT_FALSE(IsAcceptedVersion(0x00040400));
    EXPECT_FALSE(IsAcceptedVersion(0x00030300));
}

}  // namespace
}  // namespace sonidrax::decoder
