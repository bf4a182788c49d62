// The host's value store where a script cannot reach it: stale and forged values
// detected instead of followed, lists that would hold themselves, and the
// conversions' refusals (ownership and symbols as scripts see them: scripts/values.sdx).
#include "status.h"
#include "values.h"

#include <gtest/gtest.h>

#include <string>

namespace sonidrax::host {
namespace {

// A value released twice is reported through a plug-in in probe/double_release.sdx.
TEST(ValueStoreTest, StaleAndForgedValuesAreRefusedAndReported) {
    ValueStore store;
    ScriptValue text = store.NewString("once");
    const ScriptValue copy = text;
    store.Release(&text);
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

TEST(ValueStoreTest, AListCannotHoldItself) {
    ValueStore store;
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

TEST(ValueStoreTest, ConversionsAnswerTheirTypeOrRefuse) {
    ValueStore store;
    int32_t integer = 0;
    double number = 0.0;
    Symbol symbol = 0;
    std::string text;
    ScriptValue half = store.NewFloat(2.5);
    EXPECT_EQ(store.ToInteger(half, &integer), kOk);
    EXPECT_EQ(integer, 3);  // rounded, as the authoring tool does
    ScriptValue huge = store.NewFloat(1e12);
    EXPECT_EQ(store.ToInteger(huge, &integer), kStatusOutOfRange);
    ScriptValue string = store.NewString("5");
    EXPECT_EQ(store.ToInteger(string, &integer), kStatusWrongType);
    EXPECT_EQ(store.ToFloat(string, &number), kStatusWrongType);
    EXPECT_EQ(store.ToSymbol(string, &symbol), kStatusWrongType);
    EXPECT_EQ(store.ToText(ValueStore::Integer(5), &text), kStatusWrongType);
    MemberRef member{};
    EXPECT_EQ(store.ToMemberRef(string, &member), kStatusWrongType);
    for (ScriptValue* value : {&half, &huge, &string}) {
        store.Release(value);
    }
    EXPECT_EQ(store.LiveCells(), 0u);
}

}  // namespace
}  // namespace sonidrax::host
