// The plain records that the decoder, its modules and its clients share.
#pragma once

#include <cstddef>
#include <cstdint>

#include "decoder/status.h"

namespace sonidrax::decoder {

struct PropertyList;

// Playing time as hours, minutes, seconds and hundredths.
struct Timecode {
    std::int32_t hours;
    std::int32_t minutes;
    std::int32_t seconds;
    std::int32_t hundredths;
};

// DecoderStatus::changedBits, set by the codec (and by status property writes).
inline constexpr std::uint32_t kStatusPropertiesChanged = 1;
inline constexpr std::uint32_t kStatusTimingChanged = 2;  // duration, rate, bit rate, channels
inline constexpr std::uint32_t kStatusMimeTypeChanged = 4;

// The stream's position and timing. The codec keeps durationMs to mimeType up to
// date; the decoder keeps position and timecode.
struct DecoderStatus {
    float position;             // 0.0 to 1.0 of the stream
    std::uint32_t changedBits;  // cleared before each decode
    std::uint32_t durationMs;   // 0 when unknown
    std::int32_t sampleRate;
    std::int32_t bitrate;  // kbit/s
    std::int32_t channels;
    const char* mimeType;  // set by the codec; the text stays the codec's
    PropertyList* statusProperties;
    Timecode timecode;
};

// OutputBuffer::changedBits, set by Decode against the previous block's format.
inline constexpr std::uint32_t kBytesPerSampleChanged = 1;
inline constexpr std::uint32_t kChannelsChanged = 2;  // a change of channels also sets kSampleRateChanged
inline constexpr std::uint32_t kSampleRateChanged = 4;

// One decoded block: samplesPerChannel x bytesPerSample x channels bytes at pcm,
// signed 16-bit little-endian samples, channels interleaved.
struct OutputBuffer {
    std::uint32_t changedBits;
    std::int16_t* pcm;
    std::int32_t samplesPerChannel;
    std::int32_t bytesPerSample;  // always 2 when the codec is called
    std::int32_t channels;
    std::int32_t sampleRate;
    std::int32_t outputValue;  // from the output's getValue, else 0
};

// What an output's setFormat is told.
struct OutputFormat {
    std::int32_t bytesPerSample;
    std::int32_t sampleRate;
    std::int32_t channels;
};

// An output's control record. The decoder only passes it on; an output without a
// controls method gets the defaults written into fields[2] to fields[6].
struct OutputControlBlock {
    std::int32_t fields[7];
};

// Codec options; the codec defines their meaning.
inline constexpr std::int32_t kParameterOption1 = 1;
inline constexpr std::int32_t kParameterOption2 = 2;
inline constexpr std::int32_t kParameterBandGains = 4;
inline constexpr std::int32_t kAllParameters = 7;
inline constexpr std::size_t kBandGainCount = 64;  // 32 for the first channel, then 32 for the second

struct CodecParameters {
    std::int32_t option1;
    std::int32_t option2;
    std::int8_t* bandGains;  // kBandGainCount signed bytes, or null
};

// ModuleInfo, filled by a module's query. Its byte layout is fixed.
inline constexpr std::int32_t kQueryModule = 1;          // name and description of the module
inline constexpr std::int32_t kQueryDeviceCount = 2;     // number of devices into index
inline constexpr std::int32_t kQueryDevice = 4;          // device number `index`: name, description, flags
inline constexpr std::int32_t kQueryMaxOutput = 8;       // codecs: maxOutputBytes
inline constexpr std::int32_t kQueryCodecCaps = 16;      // codecs: capability bits into flags
inline constexpr std::int32_t kDeviceNameIsPattern = 1;  // ModuleInfo::flags of a device
inline constexpr std::size_t kModuleInfoTextSize = 255;

struct ModuleInfo {
    std::int32_t index;
    std::int32_t flags;
    char name[kModuleInfoTextSize];
    char description[kModuleInfoTextSize];
    std::int32_t maxOutputBytes;
};
static_assert(offsetof(ModuleInfo, name) == 8);
static_assert(offsetof(ModuleInfo, description) == 263);
static_assert(offsetof(ModuleInfo, maxOutputBytes) == 520);

// Called for every internal error and module failure report, when set.
using ErrorCallback = void (*)(void* userValue, std::int32_t moduleId, std::int32_t reserved, const char* category,
                               const char* detail);

}  // namespace sonidrax::decoder
