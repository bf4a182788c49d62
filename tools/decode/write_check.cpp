#include "decode/write_check.h"

#include <cerrno>
#include <new>

namespace sonidrax::tools {
namespace {

using decoder::OutputFilterElement;
using decoder::Status;

const char* Name() { return "write check"; }

Status New(void** instanceOut, std::int32_t, decoder::Decoder*) {
    *instanceOut = new (std::nothrow) WriteCheck{};
    return *instanceOut != nullptr ? decoder::kSuccess : decoder::kOutOfMemory;
}

Status Delete(void* instance) {
    delete static_cast<WriteCheck*>(instance);
    return decoder::kSuccess;
}

std::int32_t Write(OutputFilterElement* e, const void* pcm, std::int32_t byteCount, std::int32_t bytesPerSample,
                   std::int32_t channels, std::int32_t sampleRate) {
    errno = 0;
    const std::int32_t written = e->next->filter.write(e->next, pcm, byteCount, bytesPerSample, channels, sampleRate);
    if (written != byteCount) {
        auto* check = static_cast<WriteCheck*>(e->instance);
        check->failed = true;
        check->error = errno;
    }
    return written;
}

struct Found {
    std::int32_t id;
    WriteCheck* check;
};

void FindById(void* client, const OutputFilterElement* e) {
    auto* found = static_cast<Found*>(client);
    if (e->id == found->id) found->check = static_cast<WriteCheck*>(e->instance);
}

}  // namespace

Status AddWriteCheck(decoder::Decoder* d, WriteCheck** checkOut) {
    decoder::OutputFilter filter{};
    filter.version = decoder::kModuleVersion;
    filter.name = Name;
    filter.newInstance = New;
    filter.deleteInstance = Delete;
    filter.write = Write;
    const Status id = decoder::AddOutputFilter(d, &filter, decoder::kLastFilter);
    if (id < 0) return id;
    Found found{id, nullptr};
    decoder::ListOutputFilters(d, &found, FindById);
    *checkOut = found.check;
    return found.check != nullptr ? decoder::kSuccess : decoder::kInternalError;
}

}  // namespace sonidrax::tools
