// The host's value store: reference counts as the plug-in relies on them, stale
// values detected instead of followed, and the conversions' answers.
#include "status.h"
#include "values.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sonidrax::host {
namespace {

class ValueStoreTest : public ::testing::Test {
protected:
    ValueStoreTest() {
        store.SetFaultSink([this](const std::string& text) { faults.push_back(text); });
    }
    ValueStore store;
    std::vector<std::string> faults;
};

TEST_F(ValueStoreTest, ListOwnershipFollowsTheRulesThePluginUses) {
    // SetAt takes the element over: releasing the list frees everything.
    ScriptValue list = store.NewList();
    for (int i = 1; i <= 3; ++i) {
        ASSERT_EQ(store.SetAt(list, i, store.NewFloat(i * 0.5)), kOk);
    }
    EXPECT_EQ(store.LiveCells(), 4u);
    // GetAt hands out a reference of its own, which survives the list.
    ScriptValue second = ValueStore::Void();
    ASSERT_EQ(store.GetAt(list, 2, &second), kOk);
    EXPECT_EQ(store.Release(&list), kOk);
    EXPECT_EQ(store.LiveCells(), 1u);
    double number = 0.0;
    EXPECT_EQ(store.ToFloat(second, &number), kOk);
    EXPECT_EQ(number, 1.0);
    EXPECT_EQ(store.Release(&second), kOk);
    EXPECT_EQ(store.LiveCells(), 0u);
    EXPECT_TRUE(faults.empty());
}

TEST_F(ValueStoreTest, StaleAndForgedValuesAreRefusedAndReported) {
    ScriptValue text = store.NewString("once");
    const ScriptValue copy = text;
    store.Release(&text);
    ScriptValue again = copy;
    EXPECT_EQ(store.Release(&again), kStatusBadValue);
    EXPECT_EQ(faults.size(), 1u);

    int32_t number = 0;
    EXPECT_EQ(store.ToInteger(copy, &number), kStatusBadValue);
    const ScriptValue forged{{kValueString, 0x12345}};
    EXPECT_EQ(store.TypeOf(forged), 0);
    const ScriptValue wrongKind{{kValueList, store.NewFloat(1.0).words[1]}};
    EXPECT_EQ(store.TypeOf(wrongKind), 0);  // a float's cell does not pass for a list
    EXPECT_EQ(store.Count(wrongKind), 0);
    const ScriptValue badVoid{{kValueVoid, 7}};
    EXPECT_FALSE(store.IsValid(badVoid));
}

TEST_F(ValueStoreTest, AListCannotHoldItself) {
    ScriptValue outer = store.NewList();
    ScriptValue inner = store.NewList();
    ASSERT_EQ(store.SetAt(outer, 1, inner), kOk);
    // A refused element stays with the caller.
    ScriptValue extra = outer;
    store.Retain(extra);
    EXPECT_EQ(store.SetAt(inner, 1, extra), kStatusBadValue);
    store.Release(&extra);
    EXPECT_EQ(store.SetAt(outer, 1, outer), kStatusBadValue);
    store.Release(&outer);
    EXPECT_EQ(store.LiveCells(), 0u);
}

TEST_F(ValueStoreTest, ConversionsAnswerTheirTypeOrRefuse) {
    int32_t integer = 0;
    double number = 0.0;
    Symbol symbol = 0;
    std::string text;
    ScriptValue half = store.NewFloat(2.5);
    EXPECT_EQ(store.ToInteger(half, &integer), kOk);
    EXPECT_EQ(integer, 3);  // rounded, as the authoring tool does
    ScriptValue huge = store.NewFloat(1e12);
    EXPECT_EQ(store.ToInteger(huge, &integer), kStatusOutOfRange);
    EXPECT_EQ(store.ToFloat(ValueStore::Integer(-4), &number), kOk);
    EXPECT_EQ(number, -4.0);
    ScriptValue string = store.NewString("5");
    EXPECT_EQ(store.ToInteger(string, &integer), kStatusWrongType);
    EXPECT_EQ(store.ToFloat(string, &number), kStatusWrongType);
    EXPECT_EQ(store.ToSymbol(string, &symbol), kStatusWrongType);
    EXPECT_EQ(store.ToText(ValueStore::Integer(5), &text), kStatusWrongType);
    MemberRef member{};
    EXPECT_EQ(store.ToMemberRef(string, &member), kStatusWrongType);
    ScriptValue reference = store.NewMemberRef({2, 7});
    EXPECT_EQ(store.ToMemberRef(reference, &member), kOk);
    EXPECT_EQ(member.castNumber, 2);
    EXPECT_EQ(member.memberNumber, 7);
    for (ScriptValue* value : {&half, &huge, &string, &reference}) {
        store.Release(value);
    }
    EXPECT_EQ(store.LiveCells(), 0u);
}

TEST_F(ValueStoreTest, SymbolsIgnoreCaseAndKeepTheirFirstSpelling) {
    const Symbol a = store.Intern("dsNormal");
    EXPECT_EQ(store.Intern("DSNORMAL"), a);
    EXPECT_NE(store.Intern("dsDisable"), a);
    EXPECT_EQ(store.SymbolName(a), "dsNormal");
    Symbol found = 0;
    EXPECT_TRUE(store.FindSymbol("dsnormal", &found));
    EXPECT_EQ(found, a);
    EXPECT_FALSE(store.FindSymbol("winWAVE", &found));
}

}  // namespace
}  // namespace sonidrax::host
