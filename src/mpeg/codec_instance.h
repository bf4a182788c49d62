#pragma once
#include <cstdint>

#include "decoder/decoder.h"
#include "frame_header.h"
#include "frame_reader.h"
#include "layer3_decoder.h"
#include "subband_feed.h"
#include "synthesis.h"

namespace sonidrax::mpeg {

inline constexpr char kMpegMimeType[] = "audio/mpeg";

// One decoded stream's codec state; everything a frame needs lives here, so nothing is
// allocated per frame.
struct MpegCodecInstance {
    decoder::Decoder* decoder = nullptr;
    int32_t channelOption = 0;
    int32_t rateOption = 0;
    SynthesisChannel leftSynthesis;
    const char* mimeType = kMpegMimeType;
    SynthesisChannel rightSynthesis;
    FrameReader reader;
    FrameHeader frame;
    Layer3Decoder layer3;  // the hybrid filter bank's overlap between frames
    bool vbr = false;
    StreamParams params = kNothingKnownYet;
    uint32_t bitrateAverage = 0;  // in 1/1024 kbit/s
    bool hasSeekTable = false;
    uint8_t seekTable[100] = {};
    uint32_t dataLength = 0;
    uint32_t dataStart = 0;
    uint32_t samplesSinceSeek = 0;
    uint32_t seekPosition = 0;
};

// The Layer III decoder's part of a frame, and of a reset.
int32_t decodeLayer3Frame(MpegCodecInstance& codec, const OutputChannels& out);
void resetLayer3State(MpegCodecInstance& codec);

// Clears all decoding history: synthesis memory, Layer III state, frame reader.
void resetInstance(MpegCodecInstance& codec);

decoder::Status decodeFrame(MpegCodecInstance& codec, decoder::OutputBuffer* output, decoder::DecoderStatus* status);
decoder::Status analyseStream(MpegCodecInstance& codec, decoder::DecoderStatus* status);
float positionOfOffset(const MpegCodecInstance& codec, uint32_t byteOffset);
float offsetOfPosition(const MpegCodecInstance& codec, float position);

}  // namespace sonidrax::mpeg
