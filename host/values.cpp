#include "values.h"

#include "status.h"

#include <cctype>
#include <cmath>

namespace sonidrax::host {
namespace {

// Lists nested deeper than this are refused, so no walk can run away.
constexpr int kMaxDepth = 64;

std::string Fold(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return folded;
}

bool IsCellType(int32_t type) {
    return type == kValueFloat || type == kValueString || type == kValueList || type == kValuePropList ||
           type == kValueMemberRef || type == kValueObject;
}

}  // namespace

ValueStore::ValueStore() = default;

ScriptValue ValueStore::Integer(int32_t number) {
    return ScriptValue{{static_cast<uint32_t>(kValueInteger), static_cast<uint32_t>(number)}};
}

ScriptValue ValueStore::SymbolValue(Symbol symbol) {
    return ScriptValue{{static_cast<uint32_t>(kValueSymbol), static_cast<uint32_t>(symbol)}};
}

ScriptValue ValueStore::Void() { return ScriptValue{{static_cast<uint32_t>(kValueVoid), 0}}; }

ScriptValue ValueStore::NewCell(CellKind kind, int32_t typeCode, Cell cell) {
    cell.kind = kind;
    cell.refs = 1;
    const uint32_t id = nextCell_++;
    cells_.emplace(id, std::move(cell));
    return ScriptValue{{static_cast<uint32_t>(typeCode), id}};
}

ScriptValue ValueStore::NewFloat(double number) {
    Cell cell{};
    cell.number = number;
    return NewCell(CellKind::Float, kValueFloat, std::move(cell));
}

ScriptValue ValueStore::NewString(std::string_view text) {
    Cell cell{};
    cell.text = std::string(text);
    return NewCell(CellKind::String, kValueString, std::move(cell));
}

ScriptValue ValueStore::NewList() { return NewCell(CellKind::List, kValueList, Cell{}); }

ScriptValue ValueStore::NewPropList() { return NewCell(CellKind::PropList, kValuePropList, Cell{}); }

ScriptValue ValueStore::NewMemberRef(MemberRef reference) {
    Cell cell{};
    cell.member = reference;
    return NewCell(CellKind::MemberRef, kValueMemberRef, std::move(cell));
}

ScriptValue ValueStore::NewObject(uint32_t instanceId) {
    Cell cell{};
    cell.object = instanceId;
    return NewCell(CellKind::Object, kValueObject, std::move(cell));
}

Symbol ValueStore::Intern(std::string_view name) {
    const std::string folded = Fold(name);
    auto found = symbols_.find(folded);
    if (found != symbols_.end()) {
        return found->second;
    }
    symbolNames_.emplace_back(name);
    const Symbol symbol = static_cast<Symbol>(symbolNames_.size());
    symbols_.emplace(folded, symbol);
    return symbol;
}

bool ValueStore::FindSymbol(std::string_view name, Symbol* out) const {
    auto found = symbols_.find(Fold(name));
    if (found == symbols_.end()) {
        return false;
    }
    *out = found->second;
    return true;
}

std::string ValueStore::SymbolName(Symbol symbol) const {
    if (!IsSymbol(symbol)) {
        std::string unknown = "?";
        unknown += std::to_string(symbol);
        return unknown;
    }
    return symbolNames_[static_cast<size_t>(symbol) - 1];
}

ValueStore::Cell* ValueStore::Find(const ScriptValue& value) {
    return const_cast<Cell*>(static_cast<const ValueStore*>(this)->Find(value));
}

const ValueStore::Cell* ValueStore::Find(const ScriptValue& value) const {
    const int32_t type = static_cast<int32_t>(value.words[0]);
    if (!IsCellType(type)) {
        return nullptr;
    }
    auto found = cells_.find(value.words[1]);
    if (found == cells_.end()) {
        return nullptr;
    }
    static constexpr struct {
        CellKind kind;
        int32_t type;
    } kKinds[] = {{CellKind::Float, kValueFloat},         {CellKind::String, kValueString},
                  {CellKind::List, kValueList},           {CellKind::PropList, kValuePropList},
                  {CellKind::MemberRef, kValueMemberRef}, {CellKind::Object, kValueObject}};
    for (const auto& k : kKinds) {
        if (k.kind == found->second.kind) {
            return k.type == type ? &found->second : nullptr;
        }
    }
    return nullptr;
}

bool ValueStore::IsValid(const ScriptValue& value) const { return TypeOf(value) != 0; }

int32_t ValueStore::TypeOf(const ScriptValue& value) const {
    const int32_t type = static_cast<int32_t>(value.words[0]);
    switch (type) {
        case kValueInteger:
        case kValueSymbol:
            return type;
        case kValueVoid:
            return value.words[1] == 0 ? type : 0;
        default:
            return Find(value) ? type : 0;
    }
}

void ValueStore::Fault(const std::string& text) {
    ++faults_;
    if (faultSink_) {
        faultSink_(text);
    }
}

Status ValueStore::Retain(const ScriptValue& value) {
    const int32_t type = TypeOf(value);
    if (type == 0) {
        Fault("a value that is not alive was retained");
        return kStatusBadValue;
    }
    if (Cell* cell = Find(value)) {
        ++cell->refs;
    }
    return kOk;
}

Status ValueStore::Release(ScriptValue* value) {
    if (!value) {
        return kStatusNullPointer;
    }
    const int32_t type = TypeOf(*value);
    if (type == 0) {
        Fault("a value that is not alive was released (released twice, or never made by the host)");
        return kStatusBadValue;
    }
    const uint32_t id = value->words[1];
    Cell* cell = Find(*value);
    *value = Void();
    if (!cell || --cell->refs > 0) {
        return kOk;
    }
    // Take the children out before the cell goes, then let each go in turn.
    std::vector<ScriptValue> children = std::move(cell->items);
    children.insert(children.end(), cell->keys.begin(), cell->keys.end());
    cells_.erase(id);
    for (ScriptValue& child : children) {
        Release(&child);
    }
    return kOk;
}

Status ValueStore::ToInteger(const ScriptValue& value, int32_t* out) const {
    if (!out) {
        return kStatusNullPointer;
    }
    switch (TypeOf(value)) {
        case kValueInteger:
            *out = static_cast<int32_t>(value.words[1]);
            return kOk;
        case kValueFloat: {
            const double number = Find(value)->number;
            if (!(number >= -2147483648.0 && number <= 2147483647.0)) {
                return kStatusOutOfRange;
            }
            *out = static_cast<int32_t>(std::lround(number));
            return kOk;
        }
        case 0:
            return kStatusBadValue;
        default:
            return kStatusWrongType;
    }
}

Status ValueStore::ToFloat(const ScriptValue& value, double* out) const {
    if (!out) {
        return kStatusNullPointer;
    }
    switch (TypeOf(value)) {
        case kValueInteger:
            *out = static_cast<int32_t>(value.words[1]);
            return kOk;
        case kValueFloat:
            *out = Find(value)->number;
            return kOk;
        case 0:
            return kStatusBadValue;
        default:
            return kStatusWrongType;
    }
}

Status ValueStore::ToSymbol(const ScriptValue& value, Symbol* out) const {
    if (!out) {
        return kStatusNullPointer;
    }
    switch (TypeOf(value)) {
        case kValueSymbol:
            *out = static_cast<Symbol>(value.words[1]);
            return kOk;
        case 0:
            return kStatusBadValue;
        default:
            return kStatusWrongType;
    }
}

Status ValueStore::ToText(const ScriptValue& value, std::string* out) const {
    if (!out) {
        return kStatusNullPointer;
    }
    switch (TypeOf(value)) {
        case kValueString:
            *out = Find(value)->text;
            return kOk;
        case 0:
            return kStatusBadValue;
        default:
            return kStatusWrongType;
    }
}

Status ValueStore::ToMemberRef(const ScriptValue& value, MemberRef* out) const {
    if (!out) {
        return kStatusNullPointer;
    }
    switch (TypeOf(value)) {
        case kValueMemberRef:
            *out = Find(value)->member;
            return kOk;
        case 0:
            return kStatusBadValue;
        default:
            return kStatusWrongType;
    }
}

Status ValueStore::ToObject(const ScriptValue& value, uint32_t* instanceId) const {
    if (!instanceId) {
        return kStatusNullPointer;
    }
    switch (TypeOf(value)) {
        case kValueObject:
            *instanceId = Find(value)->object;
            return kOk;
        case 0:
            return kStatusBadValue;
        default:
            return kStatusWrongType;
    }
}

int32_t ValueStore::Count(const ScriptValue& list) const {
    const Cell* cell = Find(list);
    if (!cell || (cell->kind != CellKind::List && cell->kind != CellKind::PropList)) {
        return 0;
    }
    return static_cast<int32_t>(cell->items.size());
}

Status ValueStore::GetAt(const ScriptValue& list, int32_t position, ScriptValue* out) {
    if (!out) {
        return kStatusNullPointer;
    }
    const Cell* cell = Find(list);
    if (!cell) {
        return IsValid(list) ? kStatusWrongType : kStatusBadValue;
    }
    if (cell->kind != CellKind::List && cell->kind != CellKind::PropList) {
        return kStatusWrongType;
    }
    if (position < 1 || static_cast<size_t>(position) > cell->items.size()) {
        return kStatusOutOfRange;
    }
    const ScriptValue element = cell->items[static_cast<size_t>(position) - 1];
    Retain(element);
    *out = element;
    return kOk;
}

bool ValueStore::Contains(const ScriptValue& haystack, const ScriptValue& needle, int depth) const {
    if (haystack.words[0] == needle.words[0] && haystack.words[1] == needle.words[1]) {
        return true;
    }
    const Cell* cell = Find(haystack);
    if (!cell || depth > kMaxDepth) {
        return depth > kMaxDepth;
    }
    for (const ScriptValue& item : cell->items) {
        if (Contains(item, needle, depth + 1)) {
            return true;
        }
    }
    return false;
}

Status ValueStore::SetAt(const ScriptValue& list, int32_t position, const ScriptValue& element) {
    Cell* cell = Find(list);
    if (!cell) {
        return IsValid(list) ? kStatusWrongType : kStatusBadValue;
    }
    if (cell->kind != CellKind::List) {
        return kStatusWrongType;
    }
    if (!IsValid(element)) {
        Fault("a value that is not alive was stored in a list");
        return kStatusBadValue;
    }
    if (Contains(element, list, 0)) {
        return kStatusBadValue;  // a list inside itself would never be freed
    }
    if (position < 1 || position > 1000000) {
        return kStatusOutOfRange;
    }
    const size_t index = static_cast<size_t>(position) - 1;
    if (index >= cell->items.size()) {
        cell->items.resize(index + 1, Void());
    }
    ScriptValue old = cell->items[index];
    cell->items[index] = element;
    Release(&old);
    return kOk;
}

Status ValueStore::Append(const ScriptValue& list, const ScriptValue& element) {
    return SetAt(list, Count(list) + 1, element);
}

bool ValueStore::KeyMatches(const ScriptValue& a, const ScriptValue& b) const {
    const int32_t type = TypeOf(a);
    if (type != TypeOf(b)) {
        return false;
    }
    switch (type) {
        case kValueInteger:
        case kValueSymbol:
        case kValueVoid:
            return a.words[1] == b.words[1];
        case kValueString:
            return Find(a)->text == Find(b)->text;
        case kValueFloat:
            return Find(a)->number == Find(b)->number;
        default:
            return a.words[1] == b.words[1];
    }
}

Status ValueStore::AddProp(const ScriptValue& list, const ScriptValue& key, const ScriptValue& value) {
    Cell* cell = Find(list);
    if (!cell) {
        return IsValid(list) ? kStatusWrongType : kStatusBadValue;
    }
    if (cell->kind != CellKind::PropList) {
        return kStatusWrongType;
    }
    if (!IsValid(key) || !IsValid(value)) {
        Fault("a value that is not alive was added to a property list");
        return kStatusBadValue;
    }
    if (Contains(value, list, 0) || Contains(key, list, 0)) {
        return kStatusBadValue;
    }
    Retain(key);
    Retain(value);
    cell = Find(list);
    cell->keys.push_back(key);
    cell->items.push_back(value);
    return kOk;
}

Status ValueStore::GetProp(const ScriptValue& list, const ScriptValue& key, ScriptValue* out) {
    if (!out) {
        return kStatusNullPointer;
    }
    const Cell* cell = Find(list);
    if (!cell) {
        return IsValid(list) ? kStatusWrongType : kStatusBadValue;
    }
    if (cell->kind != CellKind::PropList) {
        return kStatusWrongType;
    }
    if (!IsValid(key)) {
        return kStatusBadValue;
    }
    for (size_t i = 0; i < cell->keys.size(); ++i) {
        if (KeyMatches(cell->keys[i], key)) {
            const ScriptValue value = cell->items[i];
            Retain(value);
            *out = value;
            return kOk;
        }
    }
    return kStatusNotFound;
}

Status ValueStore::GetPropKeyAt(const ScriptValue& list, int32_t position, ScriptValue* out) {
    if (!out) {
        return kStatusNullPointer;
    }
    const Cell* cell = Find(list);
    if (!cell || cell->kind != CellKind::PropList) {
        return kStatusWrongType;
    }
    if (position < 1 || static_cast<size_t>(position) > cell->keys.size()) {
        return kStatusOutOfRange;
    }
    const ScriptValue key = cell->keys[static_cast<size_t>(position) - 1];
    Retain(key);
    *out = key;
    return kOk;
}

bool ValueStore::Equal(const ScriptValue& a, const ScriptValue& b) const {
    const int32_t ta = TypeOf(a);
    const int32_t tb = TypeOf(b);
    const bool numericA = ta == kValueInteger || ta == kValueFloat;
    const bool numericB = tb == kValueInteger || tb == kValueFloat;
    if (numericA && numericB) {
        double x = 0.0;
        double y = 0.0;
        ToFloat(a, &x);
        ToFloat(b, &y);
        return x == y;
    }
    if (ta != tb || ta == 0) {
        return false;
    }
    switch (ta) {
        case kValueSymbol:
        case kValueVoid:
            return a.words[1] == b.words[1];
        case kValueString:
            return Find(a)->text == Find(b)->text;
        case kValueMemberRef: {
            const MemberRef& x = Find(a)->member;
            const MemberRef& y = Find(b)->member;
            return x.castNumber == y.castNumber && x.memberNumber == y.memberNumber;
        }
        case kValueObject:
            return Find(a)->object == Find(b)->object;
        default:
            break;
    }
    const Cell* x = Find(a);
    const Cell* y = Find(b);
    if (x->items.size() != y->items.size() || x->keys.size() != y->keys.size()) {
        return false;
    }
    for (size_t i = 0; i < x->keys.size(); ++i) {
        if (!Equal(x->keys[i], y->keys[i])) {
            return false;
        }
    }
    for (size_t i = 0; i < x->items.size(); ++i) {
        if (!Equal(x->items[i], y->items[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace sonidrax::host
