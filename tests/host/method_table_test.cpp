// Reading the registered method table: indices, instance and global methods, and
// texts that are not a method table.
#include "method_table.h"

#include <gtest/gtest.h>

namespace sonidrax::host {
namespace {

TEST(MethodTableTest, IndicesCountFromTheLineAfterTheName) {
    MethodTable table;
    std::string error;
    ASSERT_TRUE(
        ParseMethodTable("xtra sonidrax\nnew object me\nforget object me\ndsPlay object me, integer, *\n"
                         "*dsGetDate\n*dsKeyState integer\n",
                         &table, &error))
        << error;
    EXPECT_EQ(table.xtraName, "sonidrax");
    ASSERT_EQ(table.methods.size(), 5u);
    const MethodEntry* play = table.Find("DSPLAY");
    ASSERT_NE(play, nullptr);
    EXPECT_EQ(play->index, 2u);
    EXPECT_FALSE(play->global);
    EXPECT_EQ(play->params, "object me, integer, *");
    const MethodEntry* date = table.Find("dsGetDate");
    ASSERT_NE(date, nullptr);
    EXPECT_TRUE(date->global);
    EXPECT_EQ(date->params, "");
    EXPECT_EQ(date->line, "*dsGetDate");
    EXPECT_EQ(table.Find("dsKeyState")->index, 4u);
    EXPECT_EQ(table.Find("dsStop"), nullptr);
}

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
