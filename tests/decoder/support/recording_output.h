// An output module for tests that keeps what it is given. It hands out a buffer of
// its own and a value (77) after each decode.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "decoder/decoder.h"

namespace sonidrax::decoder::testing {

struct RecordingOutputOptions {
    Status setFormatResult = kSuccess;
    std::int32_t writeResult = 0;  // 0: answers the byte count
    bool keepsNothing = false;     // writes and formats are not recorded (nor allocate)
};

struct RecordedOutput {
    RecordingOutputOptions options;
    std::vector<std::string> events;       // "open", "setFormat 2 44100 2 bits 7", "write 64 2 2 44100", ...
    std::vector<std::uint8_t> bytes;       // everything written
    alignas(8) std::int16_t buffer[4096];  // what getBuffer hands out
};

inline RecordedOutput& Recorded() {
    static RecordedOutput recorded;
    return recorded;
}

inline Status Note(const std::string& event) {
    if (!Recorded().options.keepsNothing) Recorded().events.push_back(event);
    return kSuccess;
}

// Forgets what was recorded before.
inline OutputModule MakeRecordingOutput(const RecordingOutputOptions& options = {}) {
    Recorded().options = options;
    Recorded().events.clear();
    Recorded().bytes.clear();
    OutputModule m{};
    m.version = kModuleVersion;
    m.probe = [](const char*) { return kSuccess; };
    m.newInstance = [](void** out, const char*, const ModuleRecord*, Decoder*) {
        *out = Recorded().buffer;
        return Note("new");
    };
    m.deleteInstance = [](void*) { return Note("delete"); };
    m.open = [](void*) { return Note("open"); };
    m.close = [](void*) { return Note("close"); };
    m.write = [](void*, const void* pcm, std::int32_t byteCount, std::int32_t bytesPerSample, std::int32_t channels,
                 std::int32_t sampleRate) {
        RecordedOutput& r = Recorded();
        if (r.options.keepsNothing) return byteCount;
        Note("write " + std::to_string(byteCount) + " " + std::to_string(bytesPerSample) + " " +
             std::to_string(channels) + " " + std::to_string(sampleRate));
        r.bytes.insert(r.bytes.end(), static_cast<const std::uint8_t*>(pcm),
                       static_cast<const std::uint8_t*>(pcm) + byteCount);
        return r.options.writeResult != 0 ? r.options.writeResult : byteCount;
    };
    m.setFormat = [](void*, const OutputFormat* format, std::uint32_t changedBits) {
        Note("setFormat " + std::to_string(format->bytesPerSample) + " " + std::to_string(format->sampleRate) + " " +
             std::to_string(format->channels) + " bits " + std::to_string(changedBits));
        return Recorded().options.setFormatResult;
    };
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
