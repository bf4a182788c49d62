// HostRegistry and HostDictionary: where the registrar leaves the class's method table.
#include "host.h"
#include "status.h"

#include <cstring>

namespace sonidrax::host {
namespace {

constexpr size_t kMaxText = 1 << 20;

Status __stdcall RegistryQueryInterface(HostRegistry*, const GUID*, void** out) {
    if (out) {
        *out = nullptr;
    }
    return kStatusNoInterface;
}

ULONG __stdcall StaticAddRef(HostRegistry*) { return 1; }
ULONG __stdcall StaticRelease(HostRegistry*) { return 1; }

// The dictionary is handed out without a reference: the registry keeps it.
Status __stdcall GetClassDictionary(HostRegistry* self, uint32_t token, const GUID* classId, const GUID* interfaceId,
                                    HostDictionary** out) {
    Host* host = reinterpret_cast<RegistryRecord*>(self)->host;
    if (!classId || !interfaceId || !out) {
        return kStatusNullPointer;
    }
    *out = nullptr;
    if (token != host->registrationToken) {
        host->Fault("GetClassDictionary with a token the host did not hand to Register");
        return kStatusBadState;
    }
    *out = &host->GetDictionary(*classId, *interfaceId)->iface;
    return kOk;
}

Status __stdcall DictionaryQueryInterface(HostDictionary*, const GUID*, void** out) {
    if (out) {
        *out = nullptr;
    }
    return kStatusNoInterface;
}

ULONG __stdcall DictionaryAddRef(HostDictionary*) { return 1; }
ULONG __stdcall DictionaryRelease(HostDictionary*) { return 1; }

// Texts (type 9) are NUL-terminated; a size of 0 means "up to the NUL". Other types
// keep their bytes as given.
Status __stdcall Put(HostDictionary* self, int32_t valueType, const void* data, int32_t size, const char* key) {
    Dictionary* dictionary = reinterpret_cast<Dictionary*>(self);
    if (!data || !key) {
        return kStatusNullPointer;
    }
    if (size < 0) {
        return kStatusOutOfRange;
    }
    const auto* bytes = static_cast<const char*>(data);
    std::string value;
    if (valueType == kDictionaryValueText) {
        const size_t limit = size > 0 ? static_cast<size_t>(size) : kMaxText;
        value.assign(bytes, strnlen(bytes, limit));
    } else {
        value.assign(bytes, static_cast<size_t>(size));
    }
    dictionary->texts[std::string(key, strnlen(key, 256))] = std::move(value);
    return kOk;
}

}  // namespace

const HostRegistryOps kRegistryOps = {
    {RegistryQueryInterface, StaticAddRef, StaticRelease}, nullptr, nullptr, nullptr, nullptr, GetClassDictionary};

const HostDictionaryOps kDictionaryOps = {
    {DictionaryQueryInterface, DictionaryAddRef, DictionaryRelease}, nullptr, nullptr, nullptr, Put};

}  // namespace sonidrax::host
