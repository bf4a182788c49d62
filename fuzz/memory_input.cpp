#include "memory_input.h"

#include <cstring>
#include <new>

namespace sonidrax::fuzz {
namespace {

using decoder::Status;

struct Source {
  const uint8_t* data = nullptr;
  size_t size = 0;
};
Source nextSource;

struct MemoryInput {
  Source source;
  size_t position = 0;
};

MemoryInput& self(void* instance) { return *static_cast<MemoryInput*>(instance); }

Status probe(const char*) { return decoder::kSuccess; }

Status newInstance(void** instanceOut, const char*, const decoder::ModuleRecord*, decoder::Decoder*) {
  auto* input = new (std::nothrow) MemoryInput;
  *instanceOut = input;
  if (input == nullptr) return decoder::kOutOfMemory;
  input->source = nextSource;
  return decoder::kSuccess;
}

Status deleteInstance(void* instance) {
  delete static_cast<MemoryInput*>(instance);
  return decoder::kSuccess;
}

Status open(void* instance) {
  self(instance).position = 0;
  return decoder::kSuccess;
}

Status close(void*) { return decoder::kSuccess; }

int32_t read(void* instance, void* buffer, int32_t count) {
  MemoryInput& input = self(instance);
  if (count <= 0 || input.source.size - input.position < static_cast<size_t>(count)) {
    input.position = input.source.size;
    return 0;
  }
  std::memcpy(buffer, input.source.data + input.position, static_cast<size_t>(count));
  input.position += static_cast<size_t>(count);
  return count;
}

Status seek(void* instance, uint32_t offset) {
  MemoryInput& input = self(instance);
  input.position = offset < input.source.size ? offset : input.source.size;
  return decoder::kSuccess;
}

uint32_t caps(void*) { return decoder::kInputSeekable; }

uint32_t size(void* instance) { return static_cast<uint32_t>(self(instance).source.size); }

}  // namespace

void setMemoryInputBytes(const uint8_t* data, size_t size) { nextSource = {data, size}; }

Status GetMemoryInputModule(decoder::InputModule* descriptor) {
  *descriptor = decoder::InputModule{};
  descriptor->version = decoder::kModuleVersion;
  descriptor->probe = probe;
  descriptor->newInstance = newInstance;
  descriptor->deleteInstance = deleteInstance;
  descriptor->open = open;
  descriptor->close = close;
  descriptor->read = read;
  descriptor->seek = seek;
  descriptor->caps = caps;
  descriptor->size = size;
  return decoder::kSuccess;
}

}  // namespace sonidrax::fuzz
