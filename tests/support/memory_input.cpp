#include "memory_input.h"

#include <cstdlib>
#include <cstring>
#include <deque>

namespace sonidrax::decoder::testing {
namespace {

std::map<std::string, std::vector<std::uint8_t>>& Store() {
    static std::map<std::string, std::vector<std::uint8_t>> store;
    return store;
}

struct Instance {
    std::string name;
    MemoryInputOptions options;
    const std::vector<std::uint8_t>* bytes = nullptr;
    std::size_t position = 0;
    bool open = false;
};

// Descriptors are plain function tables, so each distinct option set gets a slot
// that the module's functions read; tests make few of them.
std::deque<MemoryInputOptions>& OptionSlots() {
    static std::deque<MemoryInputOptions> slots;
    return slots;
}

Instance* Self(void* instance) { return static_cast<Instance*>(instance); }

template <int Slot>
Status New(void** out, const char* name, const ModuleRecord*, Decoder*) {
    *out = new Instance{name, OptionSlots()[Slot]};
    return kSuccess;
}

Status Open(void* instance) {
    Instance* self = Self(instance);
    if (self->options.openResult != kSuccess) return self->options.openResult;
    self->bytes = MemoryInputs::Find(self->name);
    if (self->bytes == nullptr) return kFileNotFound;
    self->position = 0;
    self->open = true;
    return kSuccess;
}

std::int32_t Read(void* instance, void* buffer, std::int32_t count) {
    Instance* self = Self(instance);
    if (!self->open || count <= 0) return 0;
    const std::size_t want = static_cast<std::size_t>(count);
    if (self->bytes->size() - self->position < want) {
        self->position = self->bytes->size();
        return 0;
    }
    std::memcpy(buffer, self->bytes->data() + self->position, want);
    self->position += want;
    return count;
}

Status Seek(void* instance, std::uint32_t offset) {
    Instance* self = Self(instance);
    if (!self->options.seekable || offset > self->bytes->size()) return kNotAvailable;
    self->position = offset;
    return kSuccess;
}

using NewFunction = Status (*)(void**, const char*, const ModuleRecord*, Decoder*);
constexpr NewFunction kNewBySlot[] = {New<0>, New<1>, New<2>, New<3>, New<4>, New<5>, New<6>, New<7>};

}  // namespace

void MemoryInputs::Put(const std::string& name, std::vector<std::uint8_t> bytes) { Store()[name] = std::move(bytes); }

void MemoryInputs::Clear() {
    Store().clear();
    OptionSlots().clear();
}

const std::vector<std::uint8_t>* MemoryInputs::Find(const std::string& name) {
    auto it = Store().find(name);
    return it == Store().end() ? nullptr : &it->second;
}

InputModule MakeMemoryInput(const MemoryInputOptions& options) {
    const std::size_t slot = OptionSlots().size();
    if (slot >= std::size(kNewBySlot)) std::abort();
    OptionSlots().push_back(options);
    InputModule m{};
    m.version = kModuleVersion;
    if (options.withProbe && options.acceptsEveryName) m.probe = [](const char*) { return kSuccess; };
    if (options.withProbe && !options.acceptsEveryName)
        m.probe = [](const char* name) { return std::strncmp(name, "mem:", 4) == 0 ? kSuccess : kNotAvailable; };
    m.newInstance = kNewBySlot[slot];
    m.deleteInstance = [](void* instance) {
        delete Self(instance);
        return kSuccess;
    };
    m.open = Open;
    m.close = [](void* instance) {
        Self(instance)->open = false;
        return kSuccess;
    };
    m.read = Read;
    m.seek = Seek;
    m.caps = [](void* instance) -> std::uint32_t { return Self(instance)->options.seekable ? kInputSeekable : 0; };
    m.size = [](void* instance) -> std::uint32_t {
        const Instance* self = Self(instance);
        return self->options.reportsSize && self->bytes != nullptr ? static_cast<std::uint32_t>(self->bytes->size())
                                                                   : 0;
    };
    m.message = [](void*, std::intptr_t a, std::intptr_t b, std::intptr_t c) { return static_cast<Status>(a + b + c); };
    return m;
}

MemoryInputOptions& OptionsOf(void* instance) { return Self(instance)->options; }

}  // namespace sonidrax::decoder::testing
