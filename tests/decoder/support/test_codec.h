// A small codec module for tests. Its stream is a sequence of blocks of
// `blockBytes` bytes, each delivered as one decoded block of 16-bit PCM: the bytes
// themselves. A block that begins with "ABRT" makes the codec give up through
// AbortDecode; one that begins with "MONO" is delivered as one channel at 22050 Hz.
// It publishes a bit rate of 128 kbit/s.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "decoder/decoder.h"

namespace sonidrax::decoder::testing {

struct TestCodecOptions {
    const char* label = "codec";  // prefixes its events
    Status probeResult = kSuccess;
    Status newResult = kSuccess;
    Status inputChangedResult = kSuccess;
    std::int32_t blockBytes = 4608;  // also the largest block it answers to a query
    std::uint32_t durationMs = 0;    // published by streamInfo
    bool withStreamInfo = true;
    bool withPositionOfOffset = false;  // twice the share of the input read
    bool withOffsetOfPosition = false;  // twice the position less a half
    bool withSeekDone = true;
};

// What the codecs did, in order, as "label:event" texts, and what they saw.
struct CodecRecord {
    std::vector<std::string> events;
    int unwoundLocals = 0;                  // destroyed while AbortDecode unwound the decode
    std::int32_t option1 = 0, option2 = 0;  // as last handed over
};

inline CodecRecord& Codecs() {
    static CodecRecord record;
    return record;
}

// A block for the test codec's stream: blockBytes bytes beginning with tag (may be
// empty), the rest filled with fill.
inline std::vector<std::uint8_t> Block(std::int32_t blockBytes, const std::string& tag = "", std::uint8_t fill = 0x11) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(blockBytes), fill);
    std::memcpy(bytes.data(), tag.data(), std::min(tag.size(), bytes.size()));
    return bytes;
}

inline std::vector<std::uint8_t> Concat(std::initializer_list<std::vector<std::uint8_t>> parts) {
    std::vector<std::uint8_t> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

namespace test_codec {

inline std::vector<TestCodecOptions>& Slots() {
    static std::vector<TestCodecOptions> slots;
    return slots;
}

struct Instance {
    TestCodecOptions options;
    Decoder* decoder;
};

inline Instance* Self(void* instance) { return static_cast<Instance*>(instance); }

inline Status Log(void* instance, const std::string& event) {
    Codecs().events.push_back(std::string(Self(instance)->options.label) + ":" + event);
    return kSuccess;
}

// Counts its own destruction: proves the frames AbortDecode leaves are unwound.
struct UnwindWitness {
    ~UnwindWitness() { ++Codecs().unwoundLocals; }
};

// Probe gets neither instance nor record, so each codec made has a probe of its own.
template <int Slot>
Status Probe(const char*, const char*) {
    Codecs().events.push_back(std::string(Slots()[Slot].label) + ":probe");
    return Slots()[Slot].probeResult;
}
inline constexpr Status (*kProbes[])(const char*, const char*) = {Probe<0>, Probe<1>, Probe<2>, Probe<3>};

// Codecs are registered in the order they were made, so a codec's id is its slot.
inline Status New(void** out, const char*, const char*, const ModuleRecord* record, Decoder* decoder) {
    const TestCodecOptions& options = Slots().at(static_cast<std::size_t>(record->id));
    Codecs().events.push_back(std::string(options.label) + ":new");
    if (options.newResult != kSuccess) return options.newResult;
    *out = new Instance{options, decoder};
    return kSuccess;
}

inline void Publish(DecoderStatus* status, std::int32_t rate, std::int32_t channels) {
    if (status->sampleRate == rate && status->channels == channels && status->bitrate == 128) return;
    status->sampleRate = rate;
    status->channels = channels;
    status->bitrate = 128;
    status->changedBits |= kStatusTimingChanged;
}

inline Status Decode(void* instance, OutputBuffer* out, DecoderStatus* status) {
    Instance* self = Self(instance);
    Decoder* d = self->decoder;
    const Status read = d->services.readInput(d, out->pcm, self->options.blockBytes);
    if (read != kSuccess) return read;
    if (std::memcmp(out->pcm, "ABRT", 4) == 0) {
        UnwindWitness witness;
        std::string alsoUnwound(64, 'x');  // a local with a heap buffer to release
        AbortDecode(d);
    }
    const bool mono = std::memcmp(out->pcm, "MONO", 4) == 0;
    out->channels = mono ? 1 : 2;
    out->sampleRate = mono ? 22050 : 44100;
    out->samplesPerChannel = self->options.blockBytes / (2 * out->channels);
    Publish(status, out->sampleRate, out->channels);
    if (status->mimeType == nullptr) {
        status->mimeType = "audio/x-test";
        status->changedBits |= kStatusMimeTypeChanged;
    }
    return kSuccess;
}

inline Status StreamInfo(void* instance, DecoderStatus* status) {
    Log(instance, "streamInfo");
    status->durationMs = Self(instance)->options.durationMs;
    Publish(status, 44100, 2);
    return kSuccess;
}

inline float PositionOfOffset(void* instance, std::uint32_t offset) {
    return 2.0f * static_cast<float>(offset) / static_cast<float>(Self(instance)->decoder->input.size);
}

inline Status SetParameters(void* instance, const CodecParameters* p, std::int32_t mask) {
    Log(instance, "setParameters " + std::to_string(mask));
    CodecRecord& r = Codecs();
    if ((mask & kParameterOption1) != 0) r.option1 = p->option1;
    if ((mask & kParameterOption2) != 0) r.option2 = p->option2;
    return kSuccess;
}

// Reports its options doubled, so a test sees that the getter asked the codec.
inline Status GetParameters(void*, CodecParameters* p, std::int32_t mask) {
    if ((mask & kParameterOption1) != 0) p->option1 = Codecs().option1 * 2;
    if ((mask & kParameterOption2) != 0) p->option2 = Codecs().option2 * 2;
    return kSuccess;
}

}  // namespace test_codec

// At most four per test (ResetTestCodecs starts again).
inline CodecModule MakeTestCodec(const TestCodecOptions& options = {}) {
    using namespace test_codec;
    const std::size_t slot = Slots().size();
    if (slot >= std::size(kProbes)) std::abort();
    Slots().push_back(options);
    CodecModule m{};
    m.version = kModuleVersion;
    m.probe = kProbes[slot];
    m.newInstance = New;
    // The largest block is that of the codec made last: all codecs of a test share it.
    m.query = [](ModuleInfo* info, std::int32_t flags) {
        if ((flags & kQueryMaxOutput) != 0) info->maxOutputBytes = Slots().back().blockBytes;
        return kSuccess;
    };
    m.deleteInstance = [](void* instance) {
        Log(instance, "delete");
        delete Self(instance);
        return kSuccess;
    };
    m.decode = Decode;
    if (options.withStreamInfo) m.streamInfo = StreamInfo;
    if (options.withPositionOfOffset) m.positionOfOffset = PositionOfOffset;
    if (options.withOffsetOfPosition) m.offsetOfPosition = [](void*, float position) { return 2 * position - 0.5f; };
    m.inputChanged = [](void* instance, const char* mimeType, const char* name) {
        Log(instance, std::string("inputChanged ") + mimeType + " " + name);
        return Self(instance)->options.inputChangedResult;
    };
    m.inputClosed = [](void* instance) { return Log(instance, "inputClosed"); };
    if (options.withSeekDone) {
        m.seekDone = [](void* instance, std::uint32_t offset) {
            return Log(instance, "seekDone " + std::to_string(offset));
        };
    }
    m.reset = [](void* instance) { return Log(instance, "reset"); };
    m.setParameters = SetParameters;
    m.getParameters = GetParameters;
    return m;
}

inline void ResetTestCodecs() {
    test_codec::Slots().clear();
    Codecs() = CodecRecord{};
}

}  // namespace sonidrax::decoder::testing
