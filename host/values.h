// The host's script values. A ScriptValue is two words: the type code and a payload.
// Integers, symbols and void live in the payload; floats, strings, lists, property
// lists, member references and objects live in reference-counted cells named by a
// serial number that is never reused, so a stale or forged value is detected, not
// followed.
//
// Ownership rules the plug-in relies on:
// - a value made by From*, NewList, NewPropList, GetAt or GetProp carries one
//   reference that the receiver owns and releases;
// - SetAt takes over the caller's reference to the element (the element now belongs
//   to the list, so the caller does not release it);
// - AddProp keeps references of its own to the key and the value (the caller still
//   releases its copies).
#pragma once

#include "frame/host_interfaces.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace sonidrax::host {

// An instance of the plug-in, as a script value (the `me` argument).
constexpr int32_t kValueObject = 12;

class ValueStore {
public:
    using FaultSink = std::function<void(const std::string&)>;

    ValueStore();
    ValueStore(const ValueStore&) = delete;
    ValueStore& operator=(const ValueStore&) = delete;

    // Protocol misuse (stale values, releases past zero) goes here as text.
    void SetFaultSink(FaultSink sink) { faultSink_ = std::move(sink); }

    static ScriptValue Integer(int32_t number);
    static ScriptValue SymbolValue(Symbol symbol);
    static ScriptValue Void();
    ScriptValue NewFloat(double number);
    ScriptValue NewString(std::string_view text);
    ScriptValue NewList();
    ScriptValue NewPropList();
    ScriptValue NewMemberRef(MemberRef reference);
    ScriptValue NewObject(uint32_t instanceId);

    // Symbols compare without regard to case, as script names do.
    Symbol Intern(std::string_view name);
    std::string SymbolName(Symbol symbol) const;
    bool FindSymbol(std::string_view name, Symbol* out) const;
    bool IsSymbol(Symbol symbol) const { return symbol >= 1 && static_cast<size_t>(symbol) <= symbolNames_.size(); }

    bool IsValid(const ScriptValue& value) const;
    // The type code, or 0 for a value that is not a live value of this store.
    int32_t TypeOf(const ScriptValue& value) const;

    Status Retain(const ScriptValue& value);
    // Drops one reference and leaves `value` void.
    Status Release(ScriptValue* value);

    Status ToInteger(const ScriptValue& value, int32_t* out) const;
    Status ToFloat(const ScriptValue& value, double* out) const;
    Status ToSymbol(const ScriptValue& value, Symbol* out) const;
    Status ToText(const ScriptValue& value, std::string* out) const;
    Status ToMemberRef(const ScriptValue& value, MemberRef* out) const;
    Status ToObject(const ScriptValue& value, uint32_t* instanceId) const;

    // Lists and property lists; positions count from 1.
    int32_t Count(const ScriptValue& list) const;
    Status GetAt(const ScriptValue& list, int32_t position, ScriptValue* out);
    Status SetAt(const ScriptValue& list, int32_t position, const ScriptValue& element);
    Status Append(const ScriptValue& list, const ScriptValue& element);
    Status AddProp(const ScriptValue& list, const ScriptValue& key, const ScriptValue& value);
    Status GetProp(const ScriptValue& list, const ScriptValue& key, ScriptValue* out);
    // The key at a position of a property list (a new reference).
    Status GetPropKeyAt(const ScriptValue& list, int32_t position, ScriptValue* out);

    // Deep equality, as a script's comparison sees it: 1 equals 1.0, texts compare exactly.
    bool Equal(const ScriptValue& a, const ScriptValue& b) const;

    size_t LiveCells() const { return cells_.size(); }
    uint32_t FaultCount() const { return faults_; }

private:
    enum class CellKind : uint8_t { Float, String, List, PropList, MemberRef, Object };
    struct Cell {
        CellKind kind;
        int32_t refs = 1;
        double number = 0.0;
        std::string text;
        std::vector<ScriptValue> keys;  // property lists only, parallel to items
        std::vector<ScriptValue> items;
        MemberRef member{};
        uint32_t object = 0;
    };

    ScriptValue NewCell(CellKind kind, int32_t typeCode, Cell cell);
    Cell* Find(const ScriptValue& value);
    const Cell* Find(const ScriptValue& value) const;
    bool Contains(const ScriptValue& haystack, const ScriptValue& needle, int depth) const;
    bool KeyMatches(const ScriptValue& a, const ScriptValue& b) const;
    void Fault(const std::string& text);

    std::unordered_map<uint32_t, Cell> cells_;
    uint32_t nextCell_ = 1;
    std::map<std::string, Symbol> symbols_;  // folded name -> symbol
    std::vector<std::string> symbolNames_;   // symbol - 1 -> name as first written
    FaultSink faultSink_;
    uint32_t faults_ = 0;
};

}  // namespace sonidrax::host
