#include "value_text.h"

#include <cstdio>

namespace sonidrax::host {
namespace {

constexpr int kMaxDepth = 64;

void Append(const ValueStore& store, const ScriptValue& value, const InstanceNamer& namer, int depth,
            std::string* out) {
    if (depth > kMaxDepth) {
        *out += "...";
        return;
    }
    char buffer[64];
    switch (store.TypeOf(value)) {
        case kValueInteger:
            *out += std::to_string(static_cast<int32_t>(value.words[1]));
            return;
        case kValueSymbol:
            *out += '#';
            *out += store.SymbolName(static_cast<Symbol>(value.words[1]));
            return;
        case kValueVoid:
            *out += "<Void>";
            return;
        case kValueFloat: {
            double number = 0.0;
            store.ToFloat(value, &number);
            std::snprintf(buffer, sizeof buffer, "%.4f", number);
            *out += buffer;
            return;
        }
        case kValueString: {
            std::string text;
            store.ToText(value, &text);
            *out += QuoteText(text);
            return;
        }
        case kValueMemberRef: {
            MemberRef member{};
            store.ToMemberRef(value, &member);
            std::snprintf(buffer, sizeof buffer, "(member %d of castLib %d)", static_cast<int>(member.memberNumber),
                          static_cast<int>(member.castNumber));
            *out += buffer;
            return;
        }
        case kValueObject: {
            uint32_t id = 0;
            store.ToObject(value, &id);
            *out += "<instance " + (namer ? namer(id) : std::to_string(id)) + ">";
            return;
        }
        case kValueList:
        case kValuePropList:
            break;
        default:
            std::snprintf(buffer, sizeof buffer, "<bad value %08X %08X>", static_cast<unsigned>(value.words[0]),
                          static_cast<unsigned>(value.words[1]));
            *out += buffer;
            return;
    }
    const bool props = store.TypeOf(value) == kValuePropList;
    const int32_t count = store.Count(value);
    if (props && count == 0) {
        *out += "[:]";
        return;
    }
    // Reading through the store's own lookups keeps this free of reference changes.
    ValueStore& reader = const_cast<ValueStore&>(store);
    *out += "[";
    for (int32_t i = 1; i <= count; ++i) {
        if (i > 1) {
            *out += ", ";
        }
        ScriptValue element = ValueStore::Void();
        if (props) {
            ScriptValue key = ValueStore::Void();
            reader.GetPropKeyAt(value, i, &key);
            Append(store, key, namer, depth + 1, out);
            *out += ": ";
            reader.Release(&key);
        }
        reader.GetAt(value, i, &element);
        Append(store, element, namer, depth + 1, out);
        reader.Release(&element);
    }
    *out += "]";
}

}  // namespace

std::string FormatValue(const ValueStore& store, const ScriptValue& value, const InstanceNamer& namer) {
    std::string out;
    Append(store, value, namer, 0, &out);
    return out;
}

std::string QuoteText(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F) {
                    char hex[8];
                    std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
                    out += hex;
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

std::string FormatStatus(int32_t status) {
    if (status > -100000 && status < 100000) {
        return std::to_string(status);
    }
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(status));
    return buffer;
}

}  // namespace sonidrax::host
