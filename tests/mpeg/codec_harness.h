#pragma once
// A stand-in for the decoder library's Decoder that serves the codec from memory: its
// read, seek and status-property services, input size and bytes consumed. The codec is
// driven through its descriptor exactly as the library drives it.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "decoder/decoder.h"

namespace sonidrax::mpeg::testing {

class CodecHarness {
public:
    explicit CodecHarness(std::vector<uint8_t> bytes, bool seekable = true);
    ~CodecHarness();
    CodecHarness(const CodecHarness&) = delete;
    CodecHarness& operator=(const CodecHarness&) = delete;

    // new, setParameters (all), inputChanged, and streamInfo when seekable: what opening
    // an input does. Answers streamInfo's result (or 0).
    int32_t open(int32_t channelOption = 0, int32_t rateOption = 0, const int8_t* bandGains = nullptr);
    // One decode call into `pcm` (at least 4608 bytes); the status's changed bits are
    // cleared first, as the library does.
    int32_t decode(int16_t* pcm);
    // Decodes to the end, concatenating the PCM. Frames that fail with -700 are skipped.
    // Answers the last code (-514 at a normal end).
    int32_t decodeAll(std::vector<int16_t>& pcm, int32_t* aborted = nullptr);
    // The library's seek: position the input, tell the codec.
    int32_t seekBytes(uint32_t offset);

    decoder::CodecModule module{};
    void* instance = nullptr;
    decoder::Decoder decoder{};
    decoder::OutputBuffer& output() { return decoder.outputBuffer; }
    decoder::DecoderStatus& status() { return decoder.status; }
    std::map<std::string, int32_t> properties;
    int propertyWrites = 0;
    // Makes the next read fail with this code (once), to test resumption.
    int32_t failNextRead = 0;

private:
    static CodecHarness& of(decoder::Decoder* decoder);
    static int32_t read(decoder::Decoder* decoder, void* buffer, int32_t count);
    static int32_t seek(decoder::Decoder* decoder, uint32_t offset);
    static int32_t setInteger(decoder::Decoder* decoder, const char* name, int32_t value);

    std::vector<uint8_t> bytes_;
    size_t position_ = 0;
};

}  // namespace sonidrax::mpeg::testing
