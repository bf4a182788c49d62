#include "fake_host.h"

#include <cstdlib>
#include <map>
#include <stdexcept>
#include <type_traits>

namespace sonidrax::testing {

namespace {

std::map<const host::InstanceRecord*, FakeHost*>& Owners() {
    static std::map<const host::InstanceRecord*, FakeHost*> owners;
    return owners;
}

// No main window: the tests' DirectSound does not need one, and a display may be missing.
Status __stdcall NoWindows(HostWindow*, HINSTANCE* app, HWND* window) {
    if (app != nullptr) *app = GetModuleHandleA(nullptr);
    if (window != nullptr) *window = nullptr;
    return 0;
}

// The stand-in host's own operations with one of them replaced.
template <typename Ops, typename Fn>
Ops With(Ops ops, Fn Ops::*slot, std::type_identity_t<Fn> replacement) {
    ops.*slot = replacement;
    return ops;
}
const HostWindowOps kWindowOps = With(host::kWindowOps, &HostWindowOps::GetWindows, NoWindows);

}  // namespace

void* __stdcall FakeHost::Alloc(HostAllocator* self, uint32_t bytes) {
    FakeHost& h = *Owners()[host::FaceOf(self)->owner];
    if (h.failAllocationsAfter == 0) return nullptr;
    if (h.failAllocationsAfter > 0) --h.failAllocationsAfter;
    return host::kAllocatorOps.Alloc(self, bytes);
}

FakeHost::FakeHost() : messages(stand_.allMessages), record_(stand_.NewRecord("test")) {
    Owners()[record_] = this;
    record_->window.iface.ops = &kWindowOps;
    static const HostAllocatorOps ops = With(host::kAllocatorOps, &HostAllocatorOps::Alloc, Alloc);
    allocator_.iface.ops = &ops;
    allocator_.owner = record_;
    allocator_.name = "HostAllocator";
}

FakeHost::~FakeHost() {
    for (auto& [block, size] : record_->blocks) std::free(block);
    record_->blocks.clear();
    Owners().erase(record_);
}

void* FakeHost::NewInstance(uint32_t size) {
    void* instance = std::calloc(1, size);
    *static_cast<HostHeader*>(instance) =
        HostHeader{&host::kInstanceOps, reinterpret_cast<uintptr_t>(record_), &record_->callback.iface, allocator()};
    record_->self.refs = 1;
    return instance;
}

void FakeHost::DeleteInstance(void* instance) { std::free(instance); }

ScriptValue FakeHost::List(const std::vector<ScriptValue>& items) {
    ScriptValue list = stand_.values.NewList();
    for (const ScriptValue& item : items) {
        stand_.values.Retain(item);
        stand_.values.Append(list, item);
    }
    return list;
}

int32_t FakeHost::AsInteger(const ScriptValue& v) const {
    int32_t n = 0;
    if (TypeOf(v) != kValueInteger || stand_.values.ToInteger(v, &n) != 0) throw std::logic_error("not an integer");
    return n;
}

double FakeHost::AsFloat(const ScriptValue& v) const {
    double d = 0.0;
    if (TypeOf(v) != kValueFloat || stand_.values.ToFloat(v, &d) != 0) throw std::logic_error("not a float");
    return d;
}

std::string FakeHost::AsString(const ScriptValue& v) const {
    std::string text;
    if (stand_.values.ToText(v, &text) != 0) throw std::logic_error("not a string");
    return text;
}

std::string FakeHost::SymbolName(const ScriptValue& v) const {
    Symbol symbol = 0;
    if (stand_.values.ToSymbol(v, &symbol) != 0) throw std::logic_error("not a symbol");
    return stand_.values.SymbolName(symbol);
}

FakeList FakeHost::AsList(const ScriptValue& v) {
    if (TypeOf(v) != kValueList && TypeOf(v) != kValuePropList) throw std::logic_error("not a list");
    FakeList list;
    for (int32_t i = 1; i <= stand_.values.Count(v); ++i) {
        ScriptValue item = Void();
        stand_.values.GetAt(v, i, &item);
        list.items.push_back(item);
    }
    return list;
}

host::MemberDef& FakeHost::AddMember(int32_t castNumber, int32_t memberNumber) {
    for (host::MemberDef& member : stand_.members) {
        if (member.castNumber == castNumber && member.memberNumber == memberNumber) return member;
    }
    stand_.members.push_back({"", "sound", castNumber, memberNumber, {}});
    return stand_.members.back();
}

}  // namespace sonidrax::testing
