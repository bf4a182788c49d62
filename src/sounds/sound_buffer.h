// A sound that a script holds: one DirectSound secondary buffer, its format and,
// for a sound longer than its buffer, the ring that streams it from its source.
// Subclasses supply the source (reading, seeking, closing); everything that only
// touches the DirectSound buffer lives here.
#pragma once

#include <dsound.h>

#include <cstdint>

#include "frame/status.h"

namespace sonidrax {

struct SoundXtra;

// Which class made a sound.
enum SoundKind : uint16_t {
    kWaveFileKind = 1,
    kStreamKind = 4,
    kMovieKind = 5,
};

constexpr uint32_t kFileNameSize = 260;         // with the terminator
constexpr uint32_t kMaxRefillBytes = 65536;     // one refill step writes at most this much
constexpr DWORD kFlags3D = 0xB0;                // CTRL3D | CTRLFREQUENCY | CTRLVOLUME
constexpr DWORD kFlagsPlain = 0x180E0;          // GETCURRENTPOSITION2 | GLOBALFOCUS | CTRLVOLUME | CTRLPAN | CTRLFREQUENCY

class SoundBuffer {
public:
    SoundBuffer(SoundXtra* owner, uint16_t kind, bool reversed);
    SoundBuffer(const SoundBuffer&) = delete;
    SoundBuffer& operator=(const SoundBuffer&) = delete;

    // The virtual operations, in slot order.
    virtual ~SoundBuffer();                                                  // 0
    virtual Status OpenFile(const char* path, uint32_t bufferBytes);         // 1
    virtual Status OpenMemory(HGLOBAL handle, uint32_t bufferBytes);         // 2
    virtual Status ReadData(uint8_t* dest, uint32_t count, uint32_t* bytesRead);  // 3
    virtual Status CreateBuffer(uint32_t bufferBytes, uint32_t* bytesRead);  // 4
    virtual Status CloseSource();                                            // 5
    virtual Status Refill();                                                 // 6
    virtual Status SetPosition(int32_t bytePos);                             // 7
    virtual uint32_t GetPosition();                                          // 8
    virtual Status Stop();                                                   // 9
    virtual bool IsPlaying();                                                // 10
    virtual Status Reverse();                                                // 11
    virtual Status SetPitch(double factor);                                  // 12
    virtual double GetPitch();                                               // 13
    virtual Status SetVolume(int32_t hundredthsOfDb);                        // 14
    virtual int32_t GetVolume();                                             // 15
    virtual Status SetPan(int32_t pan);                                      // 16
    virtual int32_t GetPan();                                                // 17
    virtual Status SetLoop(bool loop);                                       // 18
    virtual bool GetLoop();                                                  // 19
    virtual Status Play();                                                   // 20
    virtual Status SeekData(uint32_t bytePos);                               // 21

    // Sample frames, reversal and time.
    Status SetIs3D(bool on);
    // Bytes of one sample frame: 1, 2 or 4; 1 without a format.
    uint32_t FrameSize() const;
    // Reverses the order of the frames of a block in place; always 0. A length that
    // is not whole frames leaves its odd tail bytes where they are.
    Status ReverseFrames(uint8_t* block, int32_t length) const;
    // Moves a reversed source back by up to `count` bytes before the read position;
    // answers how many bytes are to be read now (0 when the seek failed).
    uint32_t SeekBack(uint32_t count);
    int32_t BytesToMs(int32_t bytes) const;
    int32_t MsToBytes(int32_t ms) const;

    // Takes over the state of `source` for a duplicate that plays the same samples
    // through its own buffer: everything but the id, the chain link, the format, the
    // DirectSound interfaces and the source; the copy never streams.
    void CopyStateFrom(const SoundBuffer& source);

    uint32_t id;
    uint16_t kind;
    SoundBuffer* next;
    uint32_t dataBytes;
    uint32_t bufferBytes;
    uint32_t refillBytes;
    bool loop;
    bool playing;
    bool inHardware;
    bool streaming;
    bool is3D;
    bool reversed;
    double pitch;
    int32_t volume;
    int32_t pan;
    SoundXtra* owner;
    char fileName[kFileNameSize];
    uint32_t bufferStartPos;  // data position at buffer offset 0 in the ring's current lap
    uint32_t writeCursor;     // where the next refill writes; bufferBytes means "wrap first"
    uint32_t sourcePos;       // data position of the source's read pointer
    bool endReached;          // a one-shot stream delivered all its data
    IDirectSoundBuffer* buffer;
    WAVEFORMATEX* format;  // through the host allocator
    IDirectSound3DBuffer* buffer3D;
    void* source;

protected:
    // The allocator and messages of the owning instance.
    void* AllocateHost(uint32_t byteCount) const;
    void FreeFormat();
    void ShowMessageFormatted(const char* format, int32_t argument) const;
    // Frame alignment of a position: 16-bit stereo to 4, 16-bit mono and 8-bit stereo to 2.
    int32_t AlignToFrame(int32_t pos) const;
    // Fills a region with the silence of the format (nothing for an unknown sample size).
    void FillSilence(uint8_t* dest, uint32_t count) const;

private:
    Status FillFromSource(uint8_t* dest, uint32_t count);
    Status ReloadRing(uint32_t pos);
    uint32_t PlayCursor();
    int64_t StreamingPosition(uint32_t play) const;
    bool RingHolds(uint32_t pos, uint32_t* cursor) const;
    void NextLap();
};

// Attenuation (hundredths of a decibel, -10000..0) to the script's level scale
// (-255..0) and back: 10 dB per halving of 256 - |level|.
int32_t DbToLevel(int32_t attenuation);
int32_t LevelToDb(int32_t level);

}  // namespace sonidrax
