#include "support/recording_output.h"

namespace sonidrax::decoder::testing {
namespace {

RecordingOutputOptions options;
int instanceTag = 0;

Status Note(const std::string& event) {
    if (!options.keepsNothing) Recorded().events.push_back(event);
    return kSuccess;
}

std::int32_t Write(void*, const void* pcm, std::int32_t byteCount, std::int32_t bytesPerSample, std::int32_t channels,
                   std::int32_t sampleRate) {
    if (options.keepsNothing) return byteCount;
    Note("write " + std::to_string(byteCount) + " " + std::to_string(bytesPerSample) + " " + std::to_string(channels) +
         " " + std::to_string(sampleRate));
    const auto* bytes = static_cast<const std::uint8_t*>(pcm);
    Recorded().bytes.insert(Recorded().bytes.end(), bytes, bytes + byteCount);
    return options.writeResult != 0 ? options.writeResult : byteCount;
}

Status SetFormat(void*, const OutputFormat* format, std::uint32_t changedBits) {
    Note("setFormat " + std::to_string(format->bytesPerSample) + " " + std::to_string(format->sampleRate) + " " +
         std::to_string(format->channels) + " bits " + std::to_string(changedBits));
    return options.setFormatResult;
}

}  // namespace

RecordedOutput& Recorded() {
    static RecordedOutput recorded;
    return recorded;
}

OutputModule MakeRecordingOutput(const RecordingOutputOptions& chosen) {
    options = chosen;
    Recorded().events.clear();
    Recorded().bytes.clear();
    OutputModule m{};
    m.version = kModuleVersion;
    m.probe = [](const char*) { return kSuccess; };
    m.newInstance = [](void** out, const char*, const ModuleRecord*, Decoder*) {
        *out = &instanceTag;
        return Note("new");
    };
    m.deleteInstance = [](void*) { return Note("delete"); };
    m.open = [](void*) { return Note("open"); };
    m.close = [](void*) { return Note("close"); };
    m.write = Write;
    m.setFormat = SetFormat;
    m.getBuffer = [](void*, std::int32_t byteCount) {
        Note("getBuffer " + std::to_string(byteCount));
        return Recorded().buffer;
    };
    m.getValue = [](void*, std::int32_t* valueOut) {
        *valueOut = 77;
        return kSuccess;
    };
    m.caps = [](void*) { return kOutputHasValue; };
    return m;
}

}  // namespace sonidrax::decoder::testing
