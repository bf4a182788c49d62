// A sound read from a RIFF WAVE image with the multimedia file I/O functions: a
// file on disk, or a member's WAVE image in global memory.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include "sounds/sound_buffer.h"

namespace sonidrax {

class WaveFileSound : public SoundBuffer {
public:
    WaveFileSound(const SoundContext& context, bool reversed);
    ~WaveFileSound() override;

    // A disk file: read whole when `bufferBytes` is 0 or holds the data, else
    // streamed through a ring of `bufferBytes`, the file staying open.
    Status OpenFile(const char* path, uint32_t bufferBytes) override;
    // A global-memory WAVE image, always read whole: the memory is unlocked again
    // before the call returns, so nothing may be left to read from it later.
    Status OpenMemory(HGLOBAL handle, uint32_t bufferBytes) override;
    Status ReadData(uint8_t* dest, uint32_t count, uint32_t* bytesRead) override;
    Status CloseSource() override;
    Status SeekData(uint32_t bytePos) override;

private:
    HMMIO File() const { return static_cast<HMMIO>(Source()); }
    Status ReadHeader();
    Status FindData();
    Status OpenImage(uint32_t bufferBytes, bool diskFile);
    Status Fail(Status status);

    MMCKINFO dataChunk_{};  // its size counts the data bytes still to be read
    MMCKINFO riffChunk_{};
    uint32_t filePos_ = 0;     // data position the file itself is at
    uint32_t imageBytes_ = 0;  // size of the whole image, which no chunk may pass
};

}  // namespace sonidrax
