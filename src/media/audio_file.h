#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// Sound files that neither the WAVE reader nor the MPEG stream plays: AIFF and
// AIFF-C, Sun/NeXT AU, and WAVE encodings that a DirectSound buffer refuses. Each is
// read in place and converted to 16-bit PCM on request, so a long file never has to
// be held in memory. Portable: the parsers build and are fuzzed natively.
namespace sonidrax::media {

// Where a file's bytes come from: a file on disk, or memory in tests and fuzzing.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads up to `size` bytes at `offset`; answers how many were read (fewer at the
    // end of the source or on a read failure).
    virtual size_t readAt(uint64_t offset, void* into, size_t size) = 0;
    virtual uint64_t size() const = 0;
};

// Null when the file cannot be opened for reading.
std::unique_ptr<ByteSource> openFileSource(const char* path);
// Reads `size` bytes at `data`, which must outlive the source.
std::unique_ptr<ByteSource> openMemorySource(const uint8_t* data, size_t size);

enum class OpenResult {
    kOpened,
    kNotAudio,  // not a container this reader knows, or an encoding it cannot convert
    kCorrupt,   // a known container whose header or chunks are inconsistent
};

enum class Container { kAiff, kAiffC, kAu, kWave };

struct TrackFormat {
    Container container;
    uint16_t channels;  // 1..8
    // Bits per sample as the file describes its samples (8, 16, 24, 32, or 16 for
    // mu-law and A-law; 32 or 64 for floats; AIFF and WAVE may give any of 1..32).
    uint16_t sampleBits;
    uint32_t sampleRate;  // whole frames per second, rounded
    uint64_t frames;      // sample frames in the file (a truncated data chunk counts what is there)
};

class AudioFile {
public:
    virtual ~AudioFile() = default;

    // Recognises the container from its first bytes, reads the header and places the
    // sound data, which must lie inside the source.
    static OpenResult open(std::unique_ptr<ByteSource> source, std::unique_ptr<AudioFile>& file);

    virtual const TrackFormat& format() const = 0;

    // Converts `count` frames from frame `first` to interleaved 16-bit PCM in `out`
    // (count x channels samples); answers the frames written: fewer at the end of the
    // data or when the source fails to read.
    virtual size_t readPcm16(uint64_t first, size_t count, int16_t* out) = 0;
};

}  // namespace sonidrax::media
