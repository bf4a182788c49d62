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
    std::vector<Expr::Kind> kinds;
    for (const Expr& item : list.items) kinds.push_back(item.kind);
    using enum Expr::Kind;
    EXPECT_EQ(kinds, (std::vector{Integer, Float, Float, Integer, Integer, String, Symbol, Void, List, PropList}));
    EXPECT_EQ((std::vector{list.items[0].integer, list.items[3].integer, list.items[4].integer}),
              (std::vector{1, static_cast<int32_t>(0x80040BC9), -16}));
    EXPECT_EQ((std::vector{list.items[1].number, list.items[2].number}), (std::vector{-2.5, 1000.0}));
    EXPECT_EQ(list.items[5].text, "a\n\"bA\\");
    EXPECT_EQ(list.items[6].text, "dsNormal");
}

// Each bad line gives one error with its line; those a script shows are in
// scripts/error_syntax.sdx.
TEST(ScriptParserTest, EverySyntaxErrorIsReportedWithItsLine) {
    const std::string bad[] = {"print 0x100000000",
                               "print 1.2.3",
                               "wait 10 every 0 dsStream(x, s)",
                               "wait until 1 == 1",
                               "print [1, #a: 2]",
                               "print \"\\q\"",
                               "print 12abc",
                               "x = 1 2",
                               "@",
                               "answer dialog 1 typing \"a\" selecting \"b\"",
                               "answer dialog 1 waving",
                               "key 300 down",
                               "key 65 sideways"};
    std::string source = "ok = 1\n";
    for (const std::string& line : bad) source += line + "\n";
    const auto errors = Errors(source.c_str());
    ASSERT_EQ(errors.size(), std::size(bad));
    for (size_t i = 0; i < errors.size(); ++i) {
        EXPECT_EQ(errors[i].line, static_cast<int>(i) + 2) << bad[i];
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
