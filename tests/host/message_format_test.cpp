// The plug-in's formatted messages: numeric conversions honoured, anything that
// would read memory written out instead.
#include "message_format.h"

#include <gtest/gtest.h>

namespace sonidrax::host {
namespace {

TEST(MessageFormatTest, NumericConversionsTakeTheOneArgument) {
    EXPECT_EQ(FormatHostMessage("Could not lock buffer - error %lx\n", static_cast<int32_t>(0x88780096)),
              "Could not lock buffer - error 88780096\n");
    EXPECT_EQ(FormatHostMessage("%d and %%", -5), "-5 and %");
    EXPECT_EQ(FormatHostMessage("[%08X]", 0xBEEF), "[0000BEEF]");
    EXPECT_EQ(FormatHostMessage("%u", -1), "4294967295");
}

TEST(MessageFormatTest, ConversionsThatWouldReadMemoryStayText) {
    EXPECT_EQ(FormatHostMessage("%s here", 1234), "%s here");
    EXPECT_EQ(FormatHostMessage("%n%p", 1), "%n%p");
    // Only the first conversion has an argument.
    EXPECT_EQ(FormatHostMessage("%d %d", 7), "7 %d");
    EXPECT_EQ(FormatHostMessage("ends with %", 7), "ends with %");
    EXPECT_EQ(FormatHostMessage("%999999d", 7).size(), 64u);  // widths are capped
}

}  // namespace
}  // namespace sonidrax::host
