// A sound decoded from an MPEG audio file while it plays: its own Decoder with the
// file input and the MPEG codec feeds the ring one decoded frame at a time.
#pragma once

#include <cstdint>

#include "decoder/decoder.h"
#include "decoder/modules.h"
#include "sounds/sound_buffer.h"

namespace sonidrax {

// The module descriptors every stream registers with its decoder; the instance
// fills them once when it is made.
struct StreamModules {
    const decoder::InputModule* fileInput = nullptr;
    const decoder::CodecModule* codec = nullptr;
};

constexpr uint32_t kDefaultStreamBufferBytes = 131072;

class StreamSound : public SoundBuffer {
public:
    StreamSound(const SoundContext& context, bool reversed, const StreamModules& modules);
    ~StreamSound() override;

    // bufferBytes 0 gives a ring of kDefaultStreamBufferBytes.
    Status OpenFile(const char* path, uint32_t bufferBytes) override;
    // A looping forward stream starts over inside the read; one whose rewind
    // yields nothing ends the read instead.
    Status ReadData(uint8_t* dest, uint32_t count, uint32_t* bytesRead) override;
    Status CloseSource() override;
    // Places the stream at the same share of itself as bytePos is of dataBytes; the
    // decoder then starts at the next frame it finds.
    Status SeekData(uint32_t bytePos) override;

    // The stream's decoder (null when closed), for a look at its status.
    decoder::Decoder* Stream() const { return static_cast<decoder::Decoder*>(Source()); }

private:
    Status OpenDecoder();
    Status FillFormat();
    uint32_t DurationBytes() const;
    uint32_t ExtrapolatedBytes(uint32_t primed) const;
    decoder::Status NextBlock();
    uint32_t TakeFromBlock(uint8_t* dest, uint32_t count);

    StreamModules modules_;
    uint32_t blockOffset_ = 0;  // bytes of the current decoded block already delivered
    uint32_t blockBytes_ = 0;   // size of the current decoded block; 0 when there is none
};

}  // namespace sonidrax
