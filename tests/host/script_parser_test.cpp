// The script language: statements and values as written, and every syntax error
// reported with its line without stopping at the first.
#include "script.h"

#include <gtest/gtest.h>

namespace sonidrax::host {
namespace {

Script Parse(const char* source) {
    Script script;
    std::vector<ScriptError> errors;
    EXPECT_TRUE(ParseScript(source, &script, &errors));
    for (const ScriptError& error : errors) {
        ADD_FAILURE() << "line " << error.line << ": " << error.text;
    }
    return script;
}

std::vector<ScriptError> Errors(const char* source) {
    Script script;
    std::vector<ScriptError> errors;
    EXPECT_FALSE(ParseScript(source, &script, &errors));
    return errors;
}

TEST(ScriptParserTest, ValuesParseToTheirKinds) {
    const Script script =
        Parse("v = [1, -2.5, 1e3, 0x80040BC9, -0x10, \"a\\n\\\"b\\x41\\\\\", #dsNormal, void, [], [:]]\n");
    ASSERT_EQ(script.statements.size(), 1u);
    const Expr& list = script.statements[0].exprs[0];
    ASSERT_EQ(list.kind, Expr::Kind::List);
    ASSERT_EQ(list.items.size(), 10u);
    EXPECT_EQ(list.items[0].integer, 1);
    EXPECT_EQ(list.items[1].kind, Expr::Kind::Float);
    EXPECT_EQ(list.items[1].number, -2.5);
    EXPECT_EQ(list.items[2].number, 1000.0);
    EXPECT_EQ(list.items[3].integer, static_cast<int32_t>(0x80040BC9));
    EXPECT_EQ(list.items[4].integer, -16);
    EXPECT_EQ(list.items[5].text, "a\n\"bA\\");
    EXPECT_EQ(list.items[6].kind, Expr::Kind::Symbol);
    EXPECT_EQ(list.items[6].text, "dsNormal");
    EXPECT_EQ(list.items[7].kind, Expr::Kind::Void);
    EXPECT_EQ(list.items[8].kind, Expr::Kind::List);
    EXPECT_EQ(list.items[9].kind, Expr::Kind::PropList);
}

TEST(ScriptParserTest, EverySyntaxErrorIsReportedWithItsLine) {
    const auto errors = Errors(
        "x = = 3\n"
        "ok = 1\n"
        "print [1, 2\n"
        "print \"open\n"
        "print 2147483648\n"
        "print 0x100000000\n"
        "print 1.2.3\n"
        "frobnicate\n"
        "wait 10 every 0 dsStream(x, s)\n"
        "wait until 1 == 1\n"
        "print [1, #a: 2]\n"
        "print \"\\q\"\n"
        "print 12abc\n"
        "x = 1 2\n"
        "@\n"
        "answer dialog 1 typing \"a\" selecting \"b\"\n"
        "answer dialog 1 waving\n"
        "key 300 down\n"
        "key 65 sideways\n");
    ASSERT_EQ(errors.size(), 18u);
    const int lines[] = {1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19};
    for (size_t i = 0; i < errors.size(); ++i) {
        EXPECT_EQ(errors[i].line, lines[i]) << errors[i].text;
        EXPECT_FALSE(errors[i].text.empty());
    }
}

TEST(ScriptParserTest, NestingIsBounded) {
    const std::string deep = "v = " + std::string(200000, '[') + "\n";
    const auto errors = Errors(deep.c_str());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].line, 1);
    Parse(("v = " + std::string(20, '[') + std::string(20, ']') + "\n").c_str());
}

}  // namespace
}  // namespace sonidrax::host
