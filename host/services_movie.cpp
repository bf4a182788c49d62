// HostPlayer, HostMovie, HostMember, HostMedia and HostMemberRefs: the active
// movie, its cast members and their media, and file names relative to the movie.
#include "host.h"
#include "status.h"

#include <cstring>

namespace sonidrax::host {
namespace {

constexpr size_t kMaxText = 65536;

template <typename Iface>
InstanceRecord* OwnerOf(Iface* self) {
    return FaceOf(self)->owner;
}

MemberObject* MemberOf(HostMember* self) { return reinterpret_cast<MemberObject*>(self); }

bool SymbolIs(Host* host, Symbol symbol, const char* name) {
    Symbol known = 0;
    return host->values.FindSymbol(name, &known) && known == symbol;
}

// ---- player

Status __stdcall GetActiveMovie(HostPlayer* self, HostMovie** out) {
    InstanceRecord* owner = OwnerOf(self);
    if (!out) {
        return kStatusNullPointer;
    }
    *out = nullptr;
    if (!owner->host->movieActive) {
        return kStatusNotFound;
    }
    ++owner->movie.refs;
    *out = &owner->movie.iface;
    return kOk;
}

// Names relative to the movie resolve against the folder of the running script.
Status __stdcall ResolveFileName(HostPlayer* self, const char* name, char* path, int32_t size) {
    Host* host = OwnerOf(self)->host;
    if (!name || !path) {
        return kStatusNullPointer;
    }
    if (size <= 0) {
        return kStatusTooSmall;
    }
    const std::string given(name, strnlen(name, kMaxText));
    const std::string resolved = host->ResolveName(given);
    if (resolved.size() + 1 > static_cast<size_t>(size)) {
        path[0] = '\0';
        return kStatusTooSmall;
    }
    std::memcpy(path, resolved.c_str(), resolved.size() + 1);
    return kOk;
}

// ---- movie

ULONG __stdcall MovieRelease(HostMovie* self) { return FaceRelease(self); }

Status __stdcall CallHandler(HostMovie* self, Symbol handler, int32_t argCount, const ScriptValue* args,
                             ScriptValue* result) {
    Host* host = OwnerOf(self)->host;
    if (argCount < 0 || (argCount > 0 && !args)) {
        return kStatusNullPointer;
    }
    ++host->handlerCalls[host->values.SymbolName(handler)];
    if (result) {
        *result = ValueStore::Void();
    }
    return kOk;
}

Status __stdcall GetMember(HostMovie* self, const MemberRef* reference, HostMember** out) {
    InstanceRecord* owner = OwnerOf(self);
    Host* host = owner->host;
    if (!reference || !out) {
        return kStatusNullPointer;
    }
    *out = nullptr;
    const MemberDef* member = host->FindMember(*reference);
    if (!member) {
        return kStatusNoSuchMember;
    }
    auto* object = new MemberObject;
    object->iface.ops = &kMemberOps;
    object->owner = owner;
    object->member = static_cast<size_t>(member - host->members.data());
    ++owner->liveMembers;
    *out = &object->iface;
    return kOk;
}

// ---- member

Status __stdcall MemberQueryInterface(HostMember* self, const GUID* iid, void** out) {
    return CallbackQueryInterface(&MemberOf(self)->owner->callback.iface, iid, out);
}

ULONG __stdcall MemberAddRef(HostMember* self) { return static_cast<ULONG>(++MemberOf(self)->refs); }

ULONG __stdcall MemberRelease(HostMember* self) {
    MemberObject* object = MemberOf(self);
    const int32_t refs = --object->refs;
    if (refs == 0) {
        --object->owner->liveMembers;
        object->iface.ops = nullptr;  // a later call through a stale pointer fails at once
        delete object;
    }
    return static_cast<ULONG>(refs);
}

Status __stdcall GetMemberProp(HostMember* self, Symbol property, ScriptValue* out) {
    MemberObject* object = MemberOf(self);
    Host* host = object->owner->host;
    if (!out) {
        return kStatusNullPointer;
    }
    const MemberDef& member = host->members[object->member];
    if (SymbolIs(host, property, "type")) {
        *out = ValueStore::SymbolValue(host->values.Intern(member.kind));
    } else if (SymbolIs(host, property, "name")) {
        *out = host->values.NewString(member.name);
    } else if (SymbolIs(host, property, "number")) {
        *out = ValueStore::Integer(member.memberNumber);
    } else if (SymbolIs(host, property, "castLibNum")) {
        *out = ValueStore::Integer(member.castNumber);
    } else if (SymbolIs(host, property, "size")) {
        *out = ValueStore::Integer(static_cast<int32_t>(member.media.size()));
    } else {
        return kStatusNotFound;
    }
    return kOk;
}

// A sound member's media is its WAVE image, in movable global memory.
Status __stdcall GetMedia(HostMember* self, MediaRequest* request) {
    MemberObject* object = MemberOf(self);
    Host* host = object->owner->host;
    if (!request) {
        return kStatusNullPointer;
    }
    const MemberDef& member = host->members[object->member];
    if (member.kind != "sound") {
        return kStatusNotSound;
    }
    if (!SymbolIs(host, static_cast<Symbol>(request->labelSymbol), "sound") ||
        !SymbolIs(host, static_cast<Symbol>(request->formatSymbol), "winWAVE")) {
        return kStatusWrongType;
    }
    HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE, member.media.size());
    if (!handle) {
        return kStatusNoMemory;
    }
    void* bytes = GlobalLock(handle);
    if (!bytes) {
        GlobalFree(handle);
        return kStatusNoMemory;
    }
    if (!member.media.empty()) {
        std::memcpy(bytes, member.media.data(), member.media.size());
    }
    GlobalUnlock(handle);
    object->owner->liveMedia.insert(handle);
    request->mediaData = reinterpret_cast<uintptr_t>(handle);
    return kOk;
}

// ---- media requests

Status __stdcall NewMediaRequest(HostMedia*, Symbol label, Symbol format, uintptr_t mediaData, uint32_t options,
                                 uint32_t auxiliary, MediaRequest* out) {
    if (!out) {
        return kStatusNullPointer;
    }
    *out = MediaRequest{static_cast<uint32_t>(label), static_cast<uint32_t>(format), mediaData, options, auxiliary};
    return kOk;
}

Status __stdcall ReleaseMedia(HostMedia* self, MediaRequest* request) {
    InstanceRecord* owner = OwnerOf(self);
    Host* host = owner->host;
    if (!request) {
        return kStatusNullPointer;
    }
    if (request->mediaData == 0) {
        return kStatusBadValue;
    }
    HGLOBAL handle = reinterpret_cast<HGLOBAL>(request->mediaData);
    for (auto& record : host->records) {
        if (record->liveMedia.erase(handle)) {
            GlobalFree(handle);
            request->mediaData = 0;
            return kOk;
        }
    }
    host->Fault("ReleaseMedia of media the host never handed out (or released twice)");
    return kStatusBadValue;
}

// ---- member references

Status __stdcall ToMemberRef(HostMemberRefs* self, const ScriptValue* value, MemberRef* out) {
    Host* host = OwnerOf(self)->host;
    if (!value || !out) {
        return kStatusNullPointer;
    }
    if (!host->values.IsValid(*value)) {
        host->Fault("ToMemberRef got a value that is not alive");
        return kStatusBadValue;
    }
    return host->values.ToMemberRef(*value, out);
}

}  // namespace

const HostPlayerOps kPlayerOps = {{FaceQueryInterface<HostPlayer>, FaceAddRef<HostPlayer>, FaceRelease<HostPlayer>},
                                  nullptr,
                                  nullptr,
                                  nullptr,
                                  GetActiveMovie,
                                  nullptr,
                                  nullptr,
                                  ResolveFileName};

const HostMovieOps kMovieOps = {{FaceQueryInterface<HostMovie>, FaceAddRef<HostMovie>, MovieRelease},
                                nullptr,
                                nullptr,
                                nullptr,
                                nullptr,
                                nullptr,
                                CallHandler,
                                nullptr,
                                nullptr,
                                nullptr,
                                nullptr,
                                nullptr,
                                nullptr,
                                nullptr,
                                nullptr,
                                GetMember};

const HostMemberOps kMemberOps = {
    {MemberQueryInterface, MemberAddRef, MemberRelease}, GetMemberProp, nullptr, GetMedia};

const HostMediaOps kMediaOps = {{FaceQueryInterface<HostMedia>, FaceAddRef<HostMedia>, FaceRelease<HostMedia>},
                                nullptr,
                                nullptr,
                                NewMediaRequest,
                                ReleaseMedia};

const HostMemberRefsOps kMemberRefsOps = {
    {FaceQueryInterface<HostMemberRefs>, FaceAddRef<HostMemberRefs>, FaceRelease<HostMemberRefs>}, ToMemberRef};

}  // namespace sonidrax::host
