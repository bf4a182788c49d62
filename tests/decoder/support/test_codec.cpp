#include "support/test_codec.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <deque>

namespace sonidrax::decoder::testing {
namespace {

std::deque<TestCodecOptions>& Slots() {
    static std::deque<TestCodecOptions> slots;
    return slots;
}

struct Instance {
    TestCodecOptions options;
    Decoder* decoder = nullptr;
    std::vector<std::uint8_t> block;
    std::int32_t option1 = 0;
    std::int32_t option2 = 0;
};

Instance* Self(void* instance) { return static_cast<Instance*>(instance); }

Status Log(const Instance* self, const std::string& event) {
    CodecEvents().push_back(self->options.label + ":" + event);
    return kSuccess;
}

// Counts its own destruction: proves the frames AbortDecode leaves are unwound.
struct UnwindWitness {
    ~UnwindWitness() { ++UnwoundLocals(); }
};

template <int Slot>
Status Probe(const char*, const char*) {
    CodecEvents().push_back(Slots()[Slot].label + ":probe");
    return Slots()[Slot].probeResult;
}

template <int Slot>
Status Query(ModuleInfo* info, std::int32_t flags) {
    if ((flags & kQueryMaxOutput) != 0) info->maxOutputBytes = Slots()[Slot].maxOutputBytes;
    if ((flags & kQueryModule) != 0) {
        std::strcpy(info->name, "Test Codec");
        std::strcpy(info->description, "blocks of PCM");
    }
    if ((flags & kQueryCodecCaps) != 0) info->flags = 1;
    return kSuccess;
}

template <int Slot>
Status New(void** out, const char*, const char*, const ModuleRecord*, Decoder* decoder) {
    const TestCodecOptions& options = Slots()[Slot];
    CodecEvents().push_back(options.label + ":new");
    if (options.newResult != kSuccess) return options.newResult;
    auto* self = new Instance;
    self->options = options;
    self->decoder = decoder;
    self->block.resize(static_cast<std::size_t>(options.blockBytes));
    *out = self;
    return kSuccess;
}

Status Delete(void* instance) {
    Log(Self(instance), "delete");
    delete Self(instance);
    return kSuccess;
}

void Publish(DecoderStatus* status, std::int32_t rate, std::int32_t channels, std::int32_t bitrate) {
    if (status->sampleRate != rate || status->channels != channels || status->bitrate != bitrate) {
        status->sampleRate = rate;
        status->channels = channels;
        status->bitrate = bitrate;
        status->changedBits |= kStatusTimingChanged;
    }
}

Status Decode(void* instance, OutputBuffer* out, DecoderStatus* status) {
    Instance* self = Self(instance);
    Decoder* d = self->decoder;
    const Status read = d->services.readInput(d, self->block.data(), self->options.blockBytes);
    if (read != kSuccess) return read;
    if (std::memcmp(self->block.data(), "ABRT", 4) == 0) {
        UnwindWitness witness;
        std::string alsoUnwound(64, 'x');  // a local with a heap buffer to release
        AbortDecode(d);
    }
    const bool mono = std::memcmp(self->block.data(), "MONO", 4) == 0;
    out->channels = mono ? 1 : 2;
    out->sampleRate = mono ? 22050 : 44100;
    out->samplesPerChannel = self->options.blockBytes / (2 * out->channels);
    std::memcpy(out->pcm, self->block.data(), self->block.size());
    Publish(status, out->sampleRate, out->channels, self->options.bitrate);
    if (status->mimeType == nullptr || std::strcmp(status->mimeType, "audio/x-test") != 0) {
        status->mimeType = "audio/x-test";
        status->changedBits |= kStatusMimeTypeChanged;
    }
    return kSuccess;
}

Status StreamInfo(void* instance, DecoderStatus* status) {
    Instance* self = Self(instance);
    Log(self, "streamInfo");
    status->durationMs = self->options.durationMs;
    Publish(status, 44100, 2, self->options.bitrate);
    Decoder* d = self->decoder;
    d->services.setIntegerStatusProperty(d, "test/blockBytes", self->options.blockBytes);
    return kSuccess;
}

float PositionOfOffset(void* instance, std::uint32_t offset) {
    Instance* self = Self(instance);
    Log(self, "positionOfOffset " + std::to_string(offset));
    const std::uint32_t size = self->decoder->input.size;
    return size == 0 ? 0.0f : 2.0f * static_cast<float>(offset) / static_cast<float>(size);
}

float OffsetOfPosition(void* instance, float position) {
    Instance* self = Self(instance);
    Log(self, "offsetOfPosition");
    return position * self->options.offsetOfPositionScale;
}

Status InputChanged(void* instance, const char* mimeType, const char* name) {
    Instance* self = Self(instance);
    Log(self, std::string("inputChanged ") + mimeType + " " + name);
    return self->options.inputChangedResult;
}

Status SetParameters(void* instance, const CodecParameters* p, std::int32_t mask) {
    Instance* self = Self(instance);
    Log(self, "setParameters " + std::to_string(mask));
    if ((mask & kParameterOption1) != 0) self->option1 = p->option1;
    if ((mask & kParameterOption2) != 0) self->option2 = p->option2;
    TestCodecParameters& last = LastParameters();
    last.option1 = self->option1;
    last.option2 = self->option2;
    if ((mask & kParameterBandGains) != 0) {
        last.bandGains.clear();
        if (p->bandGains != nullptr) last.bandGains.assign(p->bandGains, p->bandGains + kBandGainCount);
    }
    return kSuccess;
}

// Reports its options doubled, so a test sees that the getter asked the codec.
Status GetParameters(void* instance, CodecParameters* p, std::int32_t mask) {
    Instance* self = Self(instance);
    Log(self, "getParameters " + std::to_string(mask));
    if ((mask & kParameterOption1) != 0) p->option1 = self->option1 * 2;
    if ((mask & kParameterOption2) != 0) p->option2 = self->option2 * 2;
    return kSuccess;
}

struct SlotFunctions {
    Status (*probe)(const char*, const char*);
    Status (*query)(ModuleInfo*, std::int32_t);
    Status (*newInstance)(void**, const char*, const char*, const ModuleRecord*, Decoder*);
};

template <int Slot>
constexpr SlotFunctions FunctionsFor() {
    return {Probe<Slot>, Query<Slot>, New<Slot>};
}

constexpr SlotFunctions kSlots[] = {FunctionsFor<0>(), FunctionsFor<1>(), FunctionsFor<2>(), FunctionsFor<3>(),
                                    FunctionsFor<4>(), FunctionsFor<5>(), FunctionsFor<6>(), FunctionsFor<7>()};

}  // namespace

std::vector<std::string>& CodecEvents() {
    static std::vector<std::string> events;
    return events;
}

int& UnwoundLocals() {
    static int count = 0;
    return count;
}

TestCodecParameters& LastParameters() {
    static TestCodecParameters parameters;
    return parameters;
}

CodecModule MakeTestCodec(const TestCodecOptions& options) {
    const std::size_t slot = Slots().size();
    if (slot >= std::size(kSlots)) std::abort();
    Slots().push_back(options);
    CodecModule m{};
    m.version = kModuleVersion;
    m.probe = kSlots[slot].probe;
    m.query = kSlots[slot].query;
    m.newInstance = kSlots[slot].newInstance;
    m.deleteInstance = Delete;
    m.decode = Decode;
    if (options.withStreamInfo) m.streamInfo = StreamInfo;
    if (options.withPositionOfOffset) m.positionOfOffset = PositionOfOffset;
    if (options.withOffsetOfPosition) m.offsetOfPosition = OffsetOfPosition;
    m.inputChanged = InputChanged;
    m.inputClosed = [](void* instance) { return Log(Self(instance), "inputClosed"); };
    if (options.withSeekDone) {
        m.seekDone = [](void* instance, std::uint32_t offset) {
            return Log(Self(instance), "seekDone " + std::to_string(offset));
        };
    }
    m.reset = [](void* instance) { return Log(Self(instance), "reset"); };
    m.setParameters = SetParameters;
    m.getParameters = GetParameters;
    return m;
}

void ResetTestCodecs() {
    Slots().clear();
    CodecEvents().clear();
    UnwoundLocals() = 0;
    LastParameters() = TestCodecParameters{};
}

std::vector<std::uint8_t> Block(std::int32_t blockBytes, const std::string& tag, std::uint8_t fill) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(blockBytes), fill);
    std::memcpy(bytes.data(), tag.data(), std::min(tag.size(), bytes.size()));
    return bytes;
}

std::vector<std::uint8_t> Concat(std::initializer_list<std::vector<std::uint8_t>> parts) {
    std::vector<std::uint8_t> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

}  // namespace sonidrax::decoder::testing
