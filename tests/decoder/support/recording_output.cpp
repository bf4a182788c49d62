#include "support/recording_output.h"

namespace sonidrax::decoder::testing {
namespace {

RecordingOutputOptions& Options() {
    static RecordingOutputOptions options;
    return options;
}

int instanceTag = 0;

Status Note(const char* event) {
    Recorded().events.push_back(event);
    return kSuccess;
}
Status New(void** out, const char*, const ModuleRecord*, Decoder*) {
    *out = &instanceTag;
    return Note("new");
}
std::int32_t Write(void*, const void* pcm, std::int32_t byteCount, std::int32_t bytesPerSample, std::int32_t channels,
                   std::int32_t sampleRate) {
    if (Options().keepsNothing) return byteCount;
    RecordedOutput& r = Recorded();
    r.events.push_back("write " + std::to_string(byteCount) + " " + std::to_string(bytesPerSample) + " " +
                       std::to_string(channels) + " " + std::to_string(sampleRate));
    const auto* bytes = static_cast<const std::uint8_t*>(pcm);
    r.bytes.insert(r.bytes.end(), bytes, bytes + byteCount);
    r.writeSizes.push_back(byteCount);
    return Options().writeResult != 0 ? Options().writeResult : byteCount;
}
std::int16_t* GetBuffer(void*, std::int32_t byteCount) {
    Recorded().getBufferSizes.push_back(byteCount);
    return Recorded().buffer;
}
Status SetFormat(void*, const OutputFormat* format, std::uint32_t changedBits) {
    if (Options().keepsNothing) return kSuccess;
    Recorded().events.push_back("setFormat " + std::to_string(format->bytesPerSample) + " " +
                                std::to_string(format->sampleRate) + " " + std::to_string(format->channels) + " bits " +
                                std::to_string(changedBits));
    return Options().setFormatResult;
}
Status GetValue(void*, std::int32_t* valueOut) {
    *valueOut = 77;
    return kSuccess;
}
std::uint32_t Caps(void*) { return Options().withGetValue ? kOutputHasValue : 0; }

}  // namespace

RecordedOutput& Recorded() {
    static RecordedOutput recorded;
    return recorded;
}

OutputModule MakeRecordingOutput(const RecordingOutputOptions& options) {
    Options() = options;
    OutputModule m{};
    m.version = kModuleVersion;
    m.probe = [](const char*) { return kSuccess; };
    m.newInstance = New;
    m.deleteInstance = [](void*) { return Note("delete"); };
    m.open = [](void*) { return Note("open"); };
    m.close = [](void*) { return Note("close"); };
    m.write = Write;
    if (options.withGetBuffer) m.getBuffer = GetBuffer;
    m.setFormat = SetFormat;
    if (options.withGetValue) {
        m.getValue = GetValue;
        m.caps = Caps;
    }
    return m;
}

void ResetRecordingOutput() {
    RecordedOutput& r = Recorded();
    r.events.clear();
    r.bytes.clear();
    r.writeSizes.clear();
    r.getBufferSizes.clear();
    Options() = RecordingOutputOptions{};
}

}  // namespace sonidrax::decoder::testing
