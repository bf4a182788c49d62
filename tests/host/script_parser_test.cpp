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

TEST(ScriptParserTest, PropertyListsMembersAndCalls) {
    const Script script = Parse(
        "p = [#a: 1, \"b\": [2]]\n"
        "r = dsNewSound(x, member \"tone\", [1.0, 0.0, -2.5])\n"
        "q = member 3 of castLib 2\n"
        "dsPlay(x, r)\n");
    ASSERT_EQ(script.statements.size(), 4u);
    const Expr& props = script.statements[0].exprs[0];
    EXPECT_EQ(props.kind, Expr::Kind::PropList);
    EXPECT_EQ(props.keys.size(), 2u);
    EXPECT_EQ(props.keys[1].text, "b");
    const Expr& call = script.statements[1].exprs[0];
    EXPECT_EQ(call.kind, Expr::Kind::Call);
    EXPECT_EQ(call.text, "dsNewSound");
    ASSERT_EQ(call.items.size(), 3u);
    EXPECT_EQ(call.items[0].kind, Expr::Kind::Variable);
    EXPECT_TRUE(call.items[1].memberByName);
    const Expr& member = script.statements[2].exprs[0];
    EXPECT_EQ(member.integer, 3);
    EXPECT_EQ(member.castNumber, 2);
    EXPECT_EQ(script.statements[3].kind, Statement::Kind::Evaluate);
    EXPECT_EQ(script.statements[3].line, 4);
}

TEST(ScriptParserTest, StatementsCommentsAndEcho) {
    const Script script = Parse(
        "-- a comment\n"
        "\n"
        "app none   -- trailing comment\n"
        "app \"plugin\"\r\n"
        "member \"tone\" sound \"media/tone.wav\"\n"
        "echo text -- kept (with anything) \"as is\"\n"
        "expect message \"Invalid Sound ID\\n\"\n"
        "expect no messages\n"
        "expect status() != 0\n"
        "wait 500 every 50 dsStream(x, s)\n"
        "wait until dsIsPlaying(x, s) == 0 within 3000\n"
        "answer dialog 2 after 300\n"
        "answer dialog 1 typing \"tone.wav\"\n"
        "forget x\n"
        "methods\n"
        "answer dialog 1 in s selecting \"a.mp3\", \"b.wav\" choosing 901 1 ticking 903 reporting\n"
        "key 65 up\n");
    ASSERT_EQ(script.statements.size(), 15u);
    EXPECT_EQ(script.statements[0].kind, Statement::Kind::AppKind);
    EXPECT_TRUE(script.statements[0].noAppKind);
    EXPECT_EQ(script.statements[0].line, 3);
    EXPECT_EQ(script.statements[1].name, "plugin");
    EXPECT_EQ(script.statements[2].text, "sound");
    EXPECT_EQ(script.statements[2].exprs[0].text, "media/tone.wav");
    EXPECT_EQ(script.statements[3].text, "text -- kept (with anything) \"as is\"");
    EXPECT_EQ(script.statements[4].text, "Invalid Sound ID\n");
    EXPECT_EQ(script.statements[5].kind, Statement::Kind::ExpectNoMessage);
    EXPECT_EQ(script.statements[6].comparison, Comparison::NotEqual);
    EXPECT_EQ(script.statements[7].ms, 500);
    EXPECT_EQ(script.statements[7].everyMs, 50);
    ASSERT_TRUE(script.statements[7].every.has_value());
    EXPECT_EQ(script.statements[7].every->text, "dsStream");
    EXPECT_EQ(script.statements[8].kind, Statement::Kind::WaitUntil);
    EXPECT_EQ(script.statements[8].ms, 3000);
    EXPECT_EQ(script.statements[9].buttonId, 2);
    EXPECT_EQ(script.statements[9].ms, 300);
    EXPECT_FALSE(script.statements[9].typesText);
    EXPECT_TRUE(script.statements[10].typesText);
    EXPECT_EQ(script.statements[10].text, "tone.wav");
    EXPECT_EQ(script.statements[10].buttonId, 1);
    EXPECT_EQ(script.statements[11].name, "x");
    const Statement& answer = script.statements[13];
    EXPECT_EQ(answer.text, "\"a.mp3\" \"b.wav\"");
    EXPECT_EQ(answer.exprs[0].text, "s");
    EXPECT_EQ(answer.choices, (std::vector<std::pair<int32_t, int32_t>>{{901, 1}}));
    EXPECT_EQ(answer.ticks, std::vector<int32_t>{903});
    EXPECT_TRUE(answer.report && answer.typesText);
    EXPECT_EQ(script.statements[14].keyCode, 65);
    EXPECT_FALSE(script.statements[14].keyDown);
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
