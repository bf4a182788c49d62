#pragma once
#include <cstdint>

#include "frame_header.h"

namespace sonidrax::mpeg {

// What the first frame of a stream tells about the whole stream.
struct StreamStart {
    StreamParams params;
    uint32_t durationMs = 0;
    bool vbr = false;  // a "Xing", "Lame" or "VBRI" header gave the frame count
    bool hasSeekTable = false;
    uint8_t seekTable[100] = {};
};

// How many bytes of the stream's start the analysis looks at.
inline constexpr uint32_t kStreamStartBytes = 152;

// Analyses the first bytes of audio data (after any ID3v2 tag). `dataLength` is the
// number of bytes of audio data. Fails (false) when the bytes do not begin with a valid
// frame header; nothing is searched. Fields that would lie beyond `count` are ignored.
bool analyseStreamStart(uint32_t dataLength, const uint8_t* bytes, uint32_t count, StreamStart& out);

}  // namespace sonidrax::mpeg
