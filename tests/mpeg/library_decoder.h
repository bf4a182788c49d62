#pragma once
// The MPEG codec inside a Decoder of the decoder library, reading bytes held in memory
// through the tests' in-memory input: the codec is driven exactly as the plug-in
// drives it. One at a time: each instance owns the in-memory inputs.
#include <cstdint>
#include <vector>

#include "decoder/decoder.h"
#include "memory_input.h"

namespace sonidrax::mpeg::testing {

class LibraryDecoder {
public:
    LibraryDecoder();
    ~LibraryDecoder();
    LibraryDecoder(const LibraryDecoder&) = delete;
    LibraryDecoder& operator=(const LibraryDecoder&) = delete;

    // Selects and opens the bytes (the codec options and band gains are set before).
    decoder::Status open(std::vector<uint8_t> bytes, const decoder::testing::MemoryInputOptions& input = {});
    // Decodes to the end, appending the PCM and skipping frames that fail (-700).
    // Answers the last status (-514 at a normal end).
    decoder::Status decodeAll(std::vector<int16_t>& pcm);
    // A status property's value, -1 when there is none.
    int32_t property(const char* name) const;

    const decoder::CodecModule& codec() const { return *d->codec.module; }
    void* instance() const { return d->codec.instance; }
    const decoder::DecoderStatus& status() const { return d->status; }
    const decoder::OutputBuffer& output() const { return d->outputBuffer; }

    decoder::Decoder* d = nullptr;
};

// One frame's decoding: its status and, when it decoded, its rate and each channel's samples.
struct DecodedFrame {
    explicit DecodedFrame(decoder::Status s) : status(s) {}
    decoder::Status status;
    int32_t sampleRate = 0;
    std::vector<int16_t> left, right;
};

// Decodes the bytes frame by frame with the given channel and rate options, down to
// the first status that is neither a frame nor a damaged frame (kept last).
std::vector<DecodedFrame> decodeFrames(const std::vector<uint8_t>& bytes, int32_t channelOption = 0,
                                       int32_t rateOption = 0, bool seekable = false);

// Whether the samples sound, checking that they are either loud (their energy above
// `loud`) or exact silence.
bool sounds(const std::vector<int16_t>& pcm, double loud = 1e6);

}  // namespace sonidrax::mpeg::testing
