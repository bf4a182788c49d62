#pragma once
#include <cstdint>

namespace sonidrax::mpeg {

// The 32-bit frame header, unpacked. Bit 31 is the first bit in the stream.
struct FrameHeader {
    uint32_t version = 0;     // 0 MPEG-2, 1 MPEG-1, 2 MPEG-2.5, 3 reserved
    uint32_t layer = 0;       // as coded: 3 Layer I, 2 Layer II, 1 Layer III, 0 reserved
    uint32_t protection = 0;  // 0: a 16-bit CRC follows the header
    uint32_t bitrateIndex = 0;
    uint32_t samplingIndex = 0;
    uint32_t padding = 0;
    uint32_t privateBit = 0;
    uint32_t mode = 0;  // 0 stereo, 1 joint stereo, 2 dual channel, 3 single channel
    uint32_t modeExtension = 0;
    uint32_t copyright = 0;
    uint32_t original = 0;
    uint32_t emphasis = 0;
};

inline constexpr uint32_t kVersionMpeg2 = 0;
inline constexpr uint32_t kVersionMpeg1 = 1;
inline constexpr uint32_t kVersionMpeg25 = 2;
inline constexpr uint32_t kLayer1 = 3;
inline constexpr uint32_t kLayer2 = 2;
inline constexpr uint32_t kLayer3 = 1;
inline constexpr uint32_t kModeJointStereo = 1;
inline constexpr uint32_t kModeSingleChannel = 3;

inline constexpr uint32_t kSyncMask = 0xFFE00000u;

// What one header says about the stream, as the codec publishes it.
struct StreamParams {
    uint32_t level = 0;        // 1 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
    uint32_t layerNumber = 0;  // 1, 2 or 3
    uint32_t bitrate = 0;      // kbit/s
    uint32_t sampleRate = 0;   // Hz
    uint32_t mode = 0;

    bool operator==(const StreamParams&) const = default;
};

// What the codec knows before it has seen a frame of an input it could not analyse:
// a level and a mode no header carries, so that the first frame publishes both (level
// 0 is MPEG-2.5 and mode 0 is stereo, so zeros would hide them and leave no channels).
inline constexpr StreamParams kNothingKnownYet{.level = ~0u, .mode = ~0u};

FrameHeader unpackHeader(uint32_t word);
bool hasSync(uint32_t word);
bool isValidHeader(const FrameHeader& header);
// Bit rate in kbit/s and sampling frequency in Hz; 0 for the reserved indices.
uint32_t bitrateOf(const FrameHeader& header);
uint32_t sampleRateOf(const FrameHeader& header);
// Whole frame in bytes, header included. Only meaningful for a valid header.
uint32_t frameLength(const FrameHeader& header);
// Layer III side information in bytes, CRC not counted.
uint32_t sideInfoLength(const FrameHeader& header);
// PCM samples per channel of one frame at the full rate.
uint32_t samplesPerFrame(const FrameHeader& header);
StreamParams paramsOf(const FrameHeader& header);

inline bool isSingleChannel(const FrameHeader& header) { return header.mode == kModeSingleChannel; }

}  // namespace sonidrax::mpeg
