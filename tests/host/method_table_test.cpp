// Texts that are not a method table; how a real table is read shows in every
// script's transcript (scripts/frame_basics.out lists it with its indices).
#include "method_table.h"

#include <gtest/gtest.h>

namespace sonidrax::host {
namespace {

TEST(MethodTableTest, TextsThatAreNoMethodTableAreRefused) {
    MethodTable table;
    std::string error;
    const char* bad[] = {
        "",
        "xtra sonidrax\nnew object me",                   // no final line break
        "sonidrax\nnew object me\n",                      // no "xtra NAME"
        "xtra sonidrax\ndsPlay integer\n",                // neither global nor "object me"
        "xtra sonidrax\nnew object me\nnew object me\n",  // a name twice
        "xtra sonidrax\n\n",                              // an empty line
        "xtra sonidrax\nds-Play object me\n",             // not a name
    };
    for (const char* text : bad) {
        EXPECT_FALSE(ParseMethodTable(text, &table, &error)) << text;
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
}  // namespace sonidrax::host
