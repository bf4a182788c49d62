// HostValues and HostLists: the plug-in's only way to read and make script values.
#include "host.h"
#include "status.h"

#include <cstdio>
#include <cstring>

namespace sonidrax::host {
namespace {

// Texts from the plug-in are read up to this many bytes.
constexpr size_t kMaxText = 65536;

template <typename Iface>
Host* HostOf(Iface* self) {
    return FaceOf(self)->owner->host;
}

// A value the plug-in passes in must be one the host made and not yet released.
bool Alive(Host* host, const ScriptValue* value, const char* operation) {
    if (!value) {
        host->Fault(std::string(operation) + " got a null value pointer");
        return false;
    }
    if (host->values.IsValid(*value)) {
        return true;
    }
    char text[128];
    std::snprintf(text, sizeof text, "%s got a value that is not alive (%08X %08X)", operation,
                  static_cast<unsigned>(value->words[0]), static_cast<unsigned>(value->words[1]));
    host->Fault(text);
    return false;
}

std::string ReadText(const char* text) { return std::string(text, strnlen(text, kMaxText)); }

Status __stdcall StringToSymbol(HostValues* self, const char* text, Symbol* out) {
    if (!text || !out) {
        return kStatusNullPointer;
    }
    *out = HostOf(self)->values.Intern(ReadText(text));
    return kOk;
}

Status __stdcall GetType(HostValues* self, const ScriptValue* value, int32_t* type) {
    Host* host = HostOf(self);
    if (!type) {
        return kStatusNullPointer;
    }
    if (!Alive(host, value, "GetType")) {
        return kStatusBadValue;
    }
    *type = host->values.TypeOf(*value);
    return kOk;
}

Status __stdcall ReleaseValue(HostValues* self, ScriptValue* value) {
    Host* host = HostOf(self);
    if (!Alive(host, value, "ReleaseValue")) {
        return kStatusBadValue;
    }
    return host->values.Release(value);
}

Status __stdcall ToInteger(HostValues* self, const ScriptValue* value, int32_t* out) {
    Host* host = HostOf(self);
    return Alive(host, value, "ToInteger") ? host->values.ToInteger(*value, out) : kStatusBadValue;
}

Status __stdcall ToSymbol(HostValues* self, const ScriptValue* value, Symbol* out) {
    Host* host = HostOf(self);
    return Alive(host, value, "ToSymbol") ? host->values.ToSymbol(*value, out) : kStatusBadValue;
}

Status __stdcall ToFloat(HostValues* self, const ScriptValue* value, double* out) {
    Host* host = HostOf(self);
    return Alive(host, value, "ToFloat") ? host->values.ToFloat(*value, out) : kStatusBadValue;
}

Status __stdcall StringLength(HostValues* self, const ScriptValue* value, int32_t* out) {
    Host* host = HostOf(self);
    if (!out) {
        return kStatusNullPointer;
    }
    if (!Alive(host, value, "StringLength")) {
        return kStatusBadValue;
    }
    std::string text;
    const Status status = host->values.ToText(*value, &text);
    if (status == kOk) {
        *out = static_cast<int32_t>(text.size());
    }
    return status;
}

// Writes at most `size` bytes, always NUL-terminated; a text that does not fit is
// cut and answered with kStatusTooSmall. A value that is not a string gives "".
Status __stdcall ToString(HostValues* self, const ScriptValue* value, char* text, int32_t size) {
    Host* host = HostOf(self);
    if (!text) {
        return kStatusNullPointer;
    }
    if (size <= 0) {
        return kStatusTooSmall;
    }
    text[0] = '\0';
    if (!Alive(host, value, "ToString")) {
        return kStatusBadValue;
    }
    std::string content;
    const Status status = host->values.ToText(*value, &content);
    if (status != kOk) {
        return status;
    }
    const size_t room = static_cast<size_t>(size) - 1;
    const size_t length = content.size() < room ? content.size() : room;
    std::memcpy(text, content.data(), length);
    text[length] = '\0';
    return length < content.size() ? kStatusTooSmall : kOk;
}

Status __stdcall FromInteger(HostValues*, int32_t number, ScriptValue* out) {
    if (!out) {
        return kStatusNullPointer;
    }
    *out = ValueStore::Integer(number);
    return kOk;
}

Status __stdcall FromSymbol(HostValues* self, Symbol symbol, ScriptValue* out) {
    if (!out) {
        return kStatusNullPointer;
    }
    if (!HostOf(self)->values.IsSymbol(symbol)) {
        return kStatusBadValue;  // never handed out by StringToSymbol
    }
    *out = ValueStore::SymbolValue(symbol);
    return kOk;
}

Status __stdcall FromFloat(HostValues* self, double number, ScriptValue* out) {
    if (!out) {
        return kStatusNullPointer;
    }
    *out = HostOf(self)->values.NewFloat(number);
    return kOk;
}

Status __stdcall FromString(HostValues* self, const char* text, ScriptValue* out) {
    if (!text || !out) {
        return kStatusNullPointer;
    }
    *out = HostOf(self)->values.NewString(ReadText(text));
    return kOk;
}

// ---- lists

Status __stdcall NewList(HostLists* self, ScriptValue* out) {
    if (!out) {
        return kStatusNullPointer;
    }
    *out = HostOf(self)->values.NewList();
    return kOk;
}

int32_t __stdcall Count(HostLists* self, const ScriptValue* list) {
    Host* host = HostOf(self);
    return Alive(host, list, "Count") ? host->values.Count(*list) : 0;
}

Status __stdcall GetAt(HostLists* self, const ScriptValue* list, int32_t position, ScriptValue* out) {
    Host* host = HostOf(self);
    return Alive(host, list, "GetAt") ? host->values.GetAt(*list, position, out) : kStatusBadValue;
}

Status __stdcall SetAt(HostLists* self, ScriptValue* list, int32_t position, const ScriptValue* element) {
    Host* host = HostOf(self);
    if (!Alive(host, list, "SetAt") || !Alive(host, element, "SetAt")) {
        return kStatusBadValue;
    }
    return host->values.SetAt(*list, position, *element);
}

Status __stdcall NewPropList(HostLists* self, ScriptValue* out) {
    if (!out) {
        return kStatusNullPointer;
    }
    *out = HostOf(self)->values.NewPropList();
    return kOk;
}

Status __stdcall AddProp(HostLists* self, ScriptValue* list, const ScriptValue* key, const ScriptValue* value) {
    Host* host = HostOf(self);
    if (!Alive(host, list, "AddProp") || !Alive(host, key, "AddProp") || !Alive(host, value, "AddProp")) {
        return kStatusBadValue;
    }
    return host->values.AddProp(*list, *key, *value);
}

Status __stdcall GetProp(HostLists* self, const ScriptValue* list, const ScriptValue* key, ScriptValue* out) {
    Host* host = HostOf(self);
    if (!Alive(host, list, "GetProp") || !Alive(host, key, "GetProp")) {
        return kStatusBadValue;
    }
    return host->values.GetProp(*list, *key, out);
}

}  // namespace

const HostValuesOps kValuesOps = {{FaceQueryInterface<HostValues>, FaceAddRef<HostValues>, FaceRelease<HostValues>},
                                  StringToSymbol,
                                  nullptr,
                                  GetType,
                                  nullptr,
                                  ReleaseValue,
                                  ToInteger,
                                  ToSymbol,
                                  ToFloat,
                                  StringLength,
                                  ToString,
                                  nullptr,
                                  nullptr,
                                  nullptr,
                                  nullptr,
                                  FromInteger,
                                  FromSymbol,
                                  FromFloat,
                                  FromString};

const HostListsOps kListsOps = {{FaceQueryInterface<HostLists>, FaceAddRef<HostLists>, FaceRelease<HostLists>},
                                NewList,
                                nullptr,
                                Count,
                                GetAt,
                                SetAt,
                                NewPropList,
                                AddProp,
                                GetProp};

}  // namespace sonidrax::host
