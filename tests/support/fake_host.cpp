#include "fake_host.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace sonidrax::testing {

namespace {

enum : uint32_t { kInt = 1, kSym = 2, kStr = 3, kVoid = 4, kFloat = 5, kList = 7, kProp = 8, kMember = 11 };

std::map<const void*, FakeHost*>& InstanceOwners() {
    static std::map<const void*, FakeHost*> owners;
    return owners;
}

bool SameGuid(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

struct FakeHostOps {
    using Service = FakeHost::Service;
    static FakeHost& H(const void* self) { return *static_cast<const Service*>(self)->host; }

    // The instance's own reference count.
    static Status __stdcall InstanceQI(HostInstance*, const GUID*, void** out) {
        *out = nullptr;
        return static_cast<Status>(0x80004002);
    }
    static ULONG __stdcall InstanceAddRef(HostInstance* self) { return ++InstanceOwners()[self]->instanceRefs_; }
    static ULONG __stdcall InstanceRelease(HostInstance* self) { return --InstanceOwners()[self]->instanceRefs_; }

    template <typename Self>
    static Status __stdcall ServiceQI(Self*, const GUID*, void** out) {
        *out = nullptr;
        return static_cast<Status>(0x80004002);
    }
    template <typename Self>
    static ULONG __stdcall ServiceAddRef(Self* self) {
        return ++H(self).serviceRefs_;
    }
    template <typename Self>
    static ULONG __stdcall ServiceRelease(Self* self) {
        return --H(self).serviceRefs_;
    }

    static void* __stdcall Alloc(HostAllocator* self, uint32_t n) {
        FakeHost& h = H(self);
        if (h.failAllocationsAfter == 0) return nullptr;
        if (h.failAllocationsAfter > 0) --h.failAllocationsAfter;
        void* block = std::calloc(1, n == 0 ? 1 : n);
        // Fill with a pattern so that code reading unwritten memory shows.
        std::memset(block, 0xCD, n);
        h.blocks_[block] = n;
        ++h.totalAllocations;
        return block;
    }
    static void __stdcall Free(HostAllocator* self, void* block) {
        FakeHost& h = H(self);
        if (h.blocks_.erase(block) != 1) throw std::logic_error("freeing a block the host never gave out");
        std::free(block);
    }

    static Status __stdcall CallbackQI(HostCallback* self, const GUID* iid, void** out) {
        FakeHost& h = H(self);
        std::string name;
        *out = h.ServiceFor(*iid, &name);
        if (*out == nullptr) return static_cast<Status>(0x80004002);
        h.queriedServices.push_back(name);
        ++h.serviceRefs_;
        return 0;
    }

    static Status __stdcall GetClassDictionary(HostRegistry* self, uint32_t, const GUID*, const GUID*,
                                               HostDictionary** out) {
        *out = reinterpret_cast<HostDictionary*>(&H(self).dictionary_);
        return 0;
    }
    static Status __stdcall Put(HostDictionary* self, int32_t type, const void* data, int32_t, const char* key) {
        FakeHost& h = H(self);
        h.storedType = type;
        h.storedKey = key;
        h.storedText = static_cast<const char*>(data);
        return 0;
    }

    static Status __stdcall GetProperty(HostAppInfo* self, int32_t, char* text, int32_t size) {
        FakeHost& h = H(self);
        if (h.appKindFails) return static_cast<Status>(0x80040001);
        std::snprintf(text, size, "%s", h.applicationKind.c_str());
        return 0;
    }

    // Values.
    static Status __stdcall StringToSymbol(HostValues* self, const char* text, Symbol* out) {
        *out = H(self).Intern(text);
        return 0;
    }
    static Status __stdcall GetType(HostValues* self, const ScriptValue* v, int32_t* type) {
        *type = H(self).TypeOf(*v);
        return 0;
    }
    static Status __stdcall ReleaseValue(HostValues*, ScriptValue*) { return 0; }
    static Status __stdcall ToInteger(HostValues* self, const ScriptValue* v, int32_t* out) {
        FakeHost& h = H(self);
        if (v->words[0] == kInt)
            *out = static_cast<int32_t>(v->words[1]);
        else if (v->words[0] == kFloat)
            *out = static_cast<int32_t>(h.floats_[v->words[1]]);
        else
            return static_cast<Status>(0x800407D8);
        return 0;
    }
    static Status __stdcall ToSymbol(HostValues*, const ScriptValue* v, Symbol* out) {
        if (v->words[0] != kSym) return static_cast<Status>(0x800407D8);
        *out = static_cast<Symbol>(v->words[1]);
        return 0;
    }
    static Status __stdcall ToFloat(HostValues* self, const ScriptValue* v, double* out) {
        FakeHost& h = H(self);
        if (v->words[0] == kInt)
            *out = static_cast<int32_t>(v->words[1]);
        else if (v->words[0] == kFloat)
            *out = h.floats_[v->words[1]];
        else
            return static_cast<Status>(0x800407D8);
        return 0;
    }
    static Status __stdcall StringLength(HostValues* self, const ScriptValue* v, int32_t* out) {
        if (v->words[0] != kStr) return static_cast<Status>(0x800407D8);
        *out = static_cast<int32_t>(H(self).strings_[v->words[1]].size());
        return 0;
    }
    static Status __stdcall ToString(HostValues* self, const ScriptValue* v, char* text, int32_t size) {
        if (v->words[0] != kStr) return static_cast<Status>(0x800407D8);
        std::snprintf(text, size, "%s", H(self).strings_[v->words[1]].c_str());
        return 0;
    }
    static Status __stdcall FromInteger(HostValues* self, int32_t n, ScriptValue* out) {
        *out = H(self).Integer(n);
        return 0;
    }
    static Status __stdcall FromSymbol(HostValues*, Symbol s, ScriptValue* out) {
        *out = ScriptValue{{kSym, static_cast<uint32_t>(s)}};
        return 0;
    }
    static Status __stdcall FromFloat(HostValues* self, double d, ScriptValue* out) {
        *out = H(self).Float(d);
        return 0;
    }
    static Status __stdcall FromString(HostValues* self, const char* text, ScriptValue* out) {
        *out = H(self).String(text);
        return 0;
    }

    // Lists.
    static Status __stdcall NewList(HostLists* self, ScriptValue* out) {
        *out = H(self).List({});
        return 0;
    }
    static FakeList* ListOf(FakeHost& h, const ScriptValue* v) {
        if (v->words[0] != kList && v->words[0] != kProp) return nullptr;
        return &h.lists_store_[v->words[1]];
    }
    static int32_t __stdcall Count(HostLists* self, const ScriptValue* list) {
        FakeList* l = ListOf(H(self), list);
        return l ? static_cast<int32_t>(l->items.size()) : 0;
    }
    static Status __stdcall GetAt(HostLists* self, const ScriptValue* list, int32_t pos, ScriptValue* out) {
        FakeList* l = ListOf(H(self), list);
        if (l == nullptr || pos < 1 || pos > static_cast<int32_t>(l->items.size()))
            return static_cast<Status>(0x800407D8);
        *out = l->items[pos - 1];
        return 0;
    }
    static Status __stdcall SetAt(HostLists* self, ScriptValue* list, int32_t pos, const ScriptValue* element) {
        FakeList* l = ListOf(H(self), list);
        if (l == nullptr || pos < 1) return static_cast<Status>(0x800407D8);
        if (static_cast<size_t>(pos) > l->items.size()) l->items.resize(pos, ScriptValue{{kVoid, 0}});
        l->items[pos - 1] = *element;
        return 0;
    }
    static Status __stdcall NewPropList(HostLists* self, ScriptValue* out) {
        FakeHost& h = H(self);
        *out = h.List({});
        h.lists_store_[out->words[1]].isPropList = true;
        out->words[0] = kProp;
        return 0;
    }
    static Status __stdcall AddProp(HostLists* self, ScriptValue* list, const ScriptValue* key,
                                    const ScriptValue* value) {
        FakeList* l = ListOf(H(self), list);
        if (l == nullptr) return static_cast<Status>(0x800407D8);
        l->keys.push_back(*key);
        l->items.push_back(*value);
        return 0;
    }
    static Status __stdcall GetProp(HostLists* self, const ScriptValue* list, const ScriptValue* key,
                                    ScriptValue* out) {
        FakeHost& h = H(self);
        FakeList* l = ListOf(h, list);
        if (l == nullptr) return static_cast<Status>(0x800407D8);
        for (size_t i = 0; i < l->keys.size(); ++i) {
            if (h.AsString(l->keys[i]) == h.AsString(*key)) {
                *out = l->items[i];
                return 0;
            }
        }
        return static_cast<Status>(0x80040BC1);
    }

    static Status __stdcall Show(HostMessages* self, const char* text) {
        H(self).messages.push_back(text);
        return 0;
    }
    static Status __stdcall ShowFormatted(HostMessages* self, const char* format, int32_t argument) {
        char text[512];
        std::snprintf(text, sizeof text, format, static_cast<unsigned long>(argument));
        H(self).messages.push_back(text);
        return 0;
    }

    // Members and their media.
    static Status __stdcall ToMemberRef(HostMemberRefs*, const ScriptValue* v, MemberRef* out) {
        if (v->words[0] != kMember) return static_cast<Status>(0x800407D8);
        out->castNumber = static_cast<int32_t>(v->words[1] >> 16);
        out->memberNumber = static_cast<int32_t>(v->words[1] & 0xFFFF);
        return 0;
    }
    static Status __stdcall GetActiveMovie(HostPlayer* self, HostMovie** out) {
        FakeHost& h = H(self);
        *out = nullptr;
        if (h.noActiveMovie) return static_cast<Status>(0x80040005);
        ++h.movieRefs_;
        *out = reinterpret_cast<HostMovie*>(&h.movie_);
        return 0;
    }
    static Status __stdcall ResolveFileName(HostPlayer* self, const char* name, char* path, int32_t size) {
        std::snprintf(path, size, "%s%s", H(self).resolvePrefix.c_str(), name);
        return 0;
    }
    static ULONG __stdcall MovieRelease(HostMovie* self) { return --H(self).movieRefs_; }
    static ULONG __stdcall MovieAddRef(HostMovie* self) { return ++H(self).movieRefs_; }
    static Status __stdcall GetMember(HostMovie* self, const MemberRef* reference, HostMember** out);
    static FakeHost::MemberService& M(const void* self) {
        return *static_cast<FakeHost::MemberService*>(const_cast<void*>(self));
    }
    static ULONG __stdcall MemberAddRef(HostMember* self) { return ++M(self).host->memberRefs_count_; }
    static ULONG __stdcall MemberRelease(HostMember* self) { return --M(self).host->memberRefs_count_; }
    static Status __stdcall MemberQI(HostMember*, const GUID*, void** out) {
        *out = nullptr;
        return static_cast<Status>(0x80004002);
    }
    static Status __stdcall GetMemberProp(HostMember* self, Symbol property, ScriptValue* out) {
        FakeHost& h = *M(self).host;
        if (property != h.Intern("type")) return static_cast<Status>(0x800407D8);
        *out = h.SymbolValue(M(self).member->type);
        return 0;
    }
    static Status __stdcall GetMedia(HostMember* self, MediaRequest* request) {
        FakeHost& h = *M(self).host;
        if (h.mediaFailure != 0) return h.mediaFailure;
        if (static_cast<Symbol>(request->labelSymbol) != h.Intern("sound") ||
            static_cast<Symbol>(request->formatSymbol) != h.Intern("winWAVE")) {
            return static_cast<Status>(0x800407D8);
        }
        const std::vector<unsigned char>& media = M(self).member->media;
        HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE, media.empty() ? 1 : media.size());
        if (handle == nullptr) return static_cast<Status>(0x80040002);
        if (!media.empty()) {
            std::memcpy(GlobalLock(handle), media.data(), media.size());
            GlobalUnlock(handle);
        }
        request->mediaData = reinterpret_cast<uintptr_t>(handle);
        ++h.liveMedia_;
        ++h.mediaHandedOut;
        return 0;
    }
    static Status __stdcall NewMediaRequest(HostMedia*, Symbol label, Symbol format, uintptr_t data, uint32_t options,
                                            uint32_t auxiliary, MediaRequest* out) {
        *out = MediaRequest{static_cast<uint32_t>(label), static_cast<uint32_t>(format), data, options, auxiliary};
        return 0;
    }
    static Status __stdcall ReleaseMedia(HostMedia* self, MediaRequest* request) {
        if (request->mediaData == 0) return static_cast<Status>(0x800407D8);
        GlobalFree(reinterpret_cast<HGLOBAL>(request->mediaData));
        request->mediaData = 0;
        --H(self).liveMedia_;
        return 0;
    }

    static Status __stdcall GetWindows(HostWindow*, HINSTANCE* app, HWND* window) {
        *app = GetModuleHandleA(nullptr);
        *window = nullptr;
        return 0;
    }
};

namespace {

template <typename Self>
struct Unknown {
    static constexpr auto qi = &FakeHostOps::ServiceQI<Self>;
    static constexpr auto addRef = &FakeHostOps::ServiceAddRef<Self>;
    static constexpr auto release = &FakeHostOps::ServiceRelease<Self>;
};

const HostInstanceOps kInstanceOps = {
    {FakeHostOps::InstanceQI, FakeHostOps::InstanceAddRef, FakeHostOps::InstanceRelease}};

const HostAllocatorOps kAllocatorOps = {
    {Unknown<HostAllocator>::qi, Unknown<HostAllocator>::addRef, Unknown<HostAllocator>::release},
    FakeHostOps::Alloc,
    FakeHostOps::Free};

const HostCallbackOps kCallbackOps = {
    {FakeHostOps::CallbackQI, Unknown<HostCallback>::addRef, Unknown<HostCallback>::release},
    nullptr,
    nullptr,
    nullptr,
    nullptr};

const HostRegistryOps kRegistryOps = {
    {Unknown<HostRegistry>::qi, Unknown<HostRegistry>::addRef, Unknown<HostRegistry>::release},
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    FakeHostOps::GetClassDictionary};

const HostDictionaryOps kDictionaryOps = {
    {Unknown<HostDictionary>::qi, Unknown<HostDictionary>::addRef, Unknown<HostDictionary>::release},
    nullptr,
    nullptr,
    nullptr,
    FakeHostOps::Put};

const HostAppInfoOps kAppInfoOps = {
    {Unknown<HostAppInfo>::qi, Unknown<HostAppInfo>::addRef, Unknown<HostAppInfo>::release}, FakeHostOps::GetProperty};

const HostValuesOps kValuesOps = {{Unknown<HostValues>::qi, Unknown<HostValues>::addRef, Unknown<HostValues>::release},
                                  FakeHostOps::StringToSymbol,
                                  nullptr,
                                  FakeHostOps::GetType,
                                  nullptr,
                                  FakeHostOps::ReleaseValue,
                                  FakeHostOps::ToInteger,
                                  FakeHostOps::ToSymbol,
                                  FakeHostOps::ToFloat,
                                  FakeHostOps::StringLength,
                                  FakeHostOps::ToString,
                                  nullptr,
                                  nullptr,
                                  nullptr,
                                  nullptr,
                                  FakeHostOps::FromInteger,
                                  FakeHostOps::FromSymbol,
                                  FakeHostOps::FromFloat,
                                  FakeHostOps::FromString};

const HostListsOps kListsOps = {{Unknown<HostLists>::qi, Unknown<HostLists>::addRef, Unknown<HostLists>::release},
                                FakeHostOps::NewList,
                                nullptr,
                                FakeHostOps::Count,
                                FakeHostOps::GetAt,
                                FakeHostOps::SetAt,
                                FakeHostOps::NewPropList,
                                FakeHostOps::AddProp,
                                FakeHostOps::GetProp};

const HostMessagesOps kMessagesOps = {
    {Unknown<HostMessages>::qi, Unknown<HostMessages>::addRef, Unknown<HostMessages>::release},
    FakeHostOps::Show,
    FakeHostOps::ShowFormatted};

const HostWindowOps kWindowOps = {{Unknown<HostWindow>::qi, Unknown<HostWindow>::addRef, Unknown<HostWindow>::release},
                                  nullptr,
                                  FakeHostOps::GetWindows,
                                  nullptr,
                                  nullptr,
                                  nullptr};

const HostPlayerOps kPlayerOps = {{Unknown<HostPlayer>::qi, Unknown<HostPlayer>::addRef, Unknown<HostPlayer>::release},
                                  nullptr,
                                  nullptr,
                                  nullptr,
                                  FakeHostOps::GetActiveMovie,
                                  nullptr,
                                  nullptr,
                                  FakeHostOps::ResolveFileName};
const HostMediaOps kMediaOps = {{Unknown<HostMedia>::qi, Unknown<HostMedia>::addRef, Unknown<HostMedia>::release},
                                nullptr,
                                nullptr,
                                FakeHostOps::NewMediaRequest,
                                FakeHostOps::ReleaseMedia};
const HostMemberRefsOps kMemberRefsOps = {
    {Unknown<HostMemberRefs>::qi, Unknown<HostMemberRefs>::addRef, Unknown<HostMemberRefs>::release},
    FakeHostOps::ToMemberRef};
const HostMovieOps kMovieOps = {{Unknown<HostMovie>::qi, FakeHostOps::MovieAddRef, FakeHostOps::MovieRelease},
                                nullptr,
                                nullptr,
                                nullptr,
                                nullptr,
                                nullptr,
                                nullptr,
                                nullptr,
                                nullptr,
                                nullptr,
                                nullptr,
                                nullptr,
                                nullptr,
                                nullptr,
                                nullptr,
                                FakeHostOps::GetMember};
const HostMemberOps kMemberOps = {{FakeHostOps::MemberQI, FakeHostOps::MemberAddRef, FakeHostOps::MemberRelease},
                                  FakeHostOps::GetMemberProp,
                                  nullptr,
                                  FakeHostOps::GetMedia};

}  // namespace

FakeHost::FakeHost()
    : allocator_{&kAllocatorOps, this}, callback_{&kCallbackOps, this}, instanceOps_{&kInstanceOps, this},
      appInfo_{&kAppInfoOps, this}, values_{&kValuesOps, this}, messages_{&kMessagesOps, this}, lists_{&kListsOps,
                                                                                                       this},
      window_{&kWindowOps, this}, player_{&kPlayerOps, this}, media_{&kMediaOps, this}, memberRefs_{&kMemberRefsOps,
                                                                                                    this},
      dictionary_{&kDictionaryOps, this}, registry_{&kRegistryOps, this}, movie_{&kMovieOps, this} {}

FakeHost::~FakeHost() {
    for (auto& [block, size] : blocks_) std::free(block);
}

void* FakeHost::ServiceFor(const GUID& iid, std::string* name) {
    struct Entry {
        const GUID* iid;
        const char* name;
        Service* service;
    };
    const Entry entries[] = {
        {&kIidHostAppInfo, "HostAppInfo", &appInfo_},    {&kIidHostValues, "HostValues", &values_},
        {&kIidHostMessages, "HostMessages", &messages_}, {&kIidHostLists, "HostLists", &lists_},
        {&kIidHostWindow, "HostWindow", &window_},       {&kIidHostPlayer, "HostPlayer", &player_},
        {&kIidHostMedia, "HostMedia", &media_},          {&kIidHostMemberRefs, "HostMemberRefs", &memberRefs_},
    };
    for (const Entry& e : entries) {
        if (SameGuid(*e.iid, iid)) {
            *name = e.name;
            return e.service;
        }
    }
    return nullptr;
}

void* FakeHost::NewInstance(uint32_t size) {
    void* instance = std::calloc(1, size);
    auto* header = static_cast<HostHeader*>(instance);
    header->instanceOps = &kInstanceOps;
    header->hostWord = 0;
    header->callback = reinterpret_cast<HostCallback*>(&callback_);
    header->allocator = allocator();
    InstanceOwners()[instance] = this;
    instanceRefs_ = 1;
    return instance;
}

void FakeHost::DeleteInstance(void* instance) {
    InstanceOwners().erase(instance);
    std::free(instance);
}

Status __stdcall FakeHostOps::GetMember(HostMovie* self, const MemberRef* reference, HostMember** out) {
    FakeHost& h = H(self);
    *out = nullptr;
    auto found = h.members_.find({reference->castNumber, reference->memberNumber});
    if (found == h.members_.end()) return static_cast<Status>(0x80040BC1);
    h.memberServices_.push_back(
        std::make_unique<FakeHost::MemberService>(FakeHost::MemberService{&kMemberOps, &h, &found->second}));
    ++h.memberRefs_count_;
    *out = reinterpret_cast<HostMember*>(h.memberServices_.back().get());
    return 0;
}

ScriptValue FakeHost::MemberValue(int32_t castNumber, int32_t memberNumber) {
    return ScriptValue{{kMember, static_cast<uint32_t>((castNumber << 16) | (memberNumber & 0xFFFF))}};
}

FakeHost::Member& FakeHost::AddMember(int32_t castNumber, int32_t memberNumber) {
    return members_[{castNumber, memberNumber}];
}

ScriptValue FakeHost::Integer(int32_t n) { return ScriptValue{{kInt, static_cast<uint32_t>(n)}}; }

ScriptValue FakeHost::Float(double d) {
    floats_.push_back(d);
    return ScriptValue{{kFloat, static_cast<uint32_t>(floats_.size() - 1)}};
}

ScriptValue FakeHost::String(const std::string& s) {
    strings_.push_back(s);
    return ScriptValue{{kStr, static_cast<uint32_t>(strings_.size() - 1)}};
}

Symbol FakeHost::Intern(const std::string& name) {
    for (size_t i = 0; i < symbols_.size(); ++i) {
        if (symbols_[i] == name) return static_cast<Symbol>(i + 1);
    }
    symbols_.push_back(name);
    return static_cast<Symbol>(symbols_.size());
}

ScriptValue FakeHost::SymbolValue(const std::string& name) {
    return ScriptValue{{kSym, static_cast<uint32_t>(Intern(name))}};
}

ScriptValue FakeHost::Void() { return ScriptValue{{kVoid, 0}}; }

ScriptValue FakeHost::List(const std::vector<ScriptValue>& items) {
    lists_store_.push_back(FakeList{items, {}, false});
    return ScriptValue{{kList, static_cast<uint32_t>(lists_store_.size() - 1)}};
}

int32_t FakeHost::TypeOf(const ScriptValue& v) const { return static_cast<int32_t>(v.words[0]); }

int32_t FakeHost::AsInteger(const ScriptValue& v) const {
    if (v.words[0] != kInt) throw std::logic_error("not an integer");
    return static_cast<int32_t>(v.words[1]);
}

double FakeHost::AsFloat(const ScriptValue& v) const {
    if (v.words[0] != kFloat) throw std::logic_error("not a float");
    return floats_[v.words[1]];
}

std::string FakeHost::AsString(const ScriptValue& v) const {
    if (v.words[0] != kStr) throw std::logic_error("not a string");
    return strings_[v.words[1]];
}

std::string FakeHost::SymbolName(const ScriptValue& v) const {
    if (v.words[0] != kSym || v.words[1] == 0 || v.words[1] > symbols_.size()) throw std::logic_error("not a symbol");
    return symbols_[v.words[1] - 1];
}

const FakeList& FakeHost::AsList(const ScriptValue& v) const {
    if (v.words[0] != kList && v.words[0] != kProp) throw std::logic_error("not a list");
    return lists_store_[v.words[1]];
}

FakeHost* FakeHost::Of(const void* service) { return static_cast<const Service*>(service)->host; }

}  // namespace sonidrax::testing
