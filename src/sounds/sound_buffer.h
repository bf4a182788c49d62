// A sound that a script holds: one DirectSound secondary buffer, its format and,
// for a sound longer than its buffer, the ring that streams it from its source.
// Subclasses supply the source (reading, seeking, closing); everything that only
// touches the DirectSound buffer lives here.
#pragma once

#include <dsound.h>

#include <cstdint>

#include "frame/status.h"
#include "sounds/sound_context.h"

namespace sonidrax {

// Which class made a sound.
enum SoundKind : uint16_t {
    kWaveFileKind = 1,
    kStreamKind = 4,
    kMovieKind = 5,
};

constexpr uint32_t kFileNameSize = 260;      // with the terminator
constexpr uint32_t kMaxRefillBytes = 65536;  // one refill step writes at most this much
// A 3D buffer has no pan control and no global focus.
constexpr DWORD kFlags3D = DSBCAPS_CTRL3D | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLVOLUME;
constexpr DWORD kFlagsPlain =
    DSBCAPS_GETCURRENTPOSITION2 | DSBCAPS_GLOBALFOCUS | DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN | DSBCAPS_CTRLFREQUENCY;

// Where the ring of a streaming sound stands.
struct RingState {
    uint32_t bufferStartPos;  // data position at buffer offset 0 in the ring's current lap
    uint32_t writeCursor;     // where the next refill writes; bufferBytes means "wrap first"
    bool endReached;          // a one-shot stream delivered all its data
};

class SoundBuffer {
public:
    SoundBuffer(const SoundContext& context, uint16_t kind, bool reversed);
    SoundBuffer(const SoundBuffer&) = delete;
    SoundBuffer& operator=(const SoundBuffer&) = delete;

    // The virtual operations, in slot order.
    virtual ~SoundBuffer();                                                       // 0
    virtual Status OpenFile(const char* path, uint32_t bufferBytes);              // 1
    virtual Status OpenMemory(HGLOBAL handle, uint32_t bufferBytes);              // 2
    virtual Status ReadData(uint8_t* dest, uint32_t count, uint32_t* bytesRead);  // 3
    virtual Status CreateBuffer(uint32_t bufferBytes, uint32_t* bytesRead);       // 4
    virtual Status CloseSource();                                                 // 5
    virtual Status Refill();                                                      // 6
    virtual Status SetPosition(int32_t bytePos);                                  // 7
    virtual uint32_t GetPosition();                                               // 8
    virtual Status Stop();                                                        // 9
    virtual bool IsPlaying();                                                     // 10
    virtual Status Reverse();                                                     // 11
    virtual Status SetPitch(double factor);                                       // 12
    virtual double GetPitch();                                                    // 13
    virtual Status SetVolume(int32_t hundredthsOfDb);                             // 14
    virtual int32_t GetVolume();                                                  // 15
    virtual Status SetPan(int32_t pan);                                           // 16
    virtual int32_t GetPan();                                                     // 17
    virtual Status SetLoop(bool loop);                                            // 18
    virtual bool GetLoop();                                                       // 19
    virtual Status Play();                                                        // 20
    virtual Status SeekData(uint32_t bytePos);                                    // 21

    // Chooses the buffer's 3D control; only before the source is opened.
    Status SetIs3D(bool on);

    // The set-up of a sound whose source opened: its buffer's capabilities,
    // whether it streams and by how much one refill step, and for a 3D sound its
    // 3D interface, placed at `position` with `applyMode`. A buffer that cannot
    // tell its capabilities is left as it is.
    void FinishOpening(const D3DVECTOR& position, DWORD applyMode);

    // A duplicate, made fresh, takes over the state of `source` to play the same
    // samples: everything but the id, the chain link, the DirectSound interfaces
    // and the source; it has a format block of its own, is not playing and never
    // streams. 0x80040002 when the format block cannot be had.
    Status CopyStateFrom(const SoundBuffer& source);
    // Then its own buffer on the same samples (and its own 3D interface);
    // 0x80040002 when DirectSound cannot make one.
    Status DuplicateBufferOf(const SoundBuffer& source);

    // Sample frames, reversal and time.
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

    // The sound table's id and chain link.
    uint32_t Id() const { return id_; }
    void SetId(uint32_t id) { id_ = id; }
    SoundBuffer* Next() const { return next_; }
    void SetNext(SoundBuffer* next) { next_ = next; }

    // What the handlers and the creator read.
    uint16_t Kind() const { return kind_; }
    uint32_t DataBytes() const { return dataBytes_; }
    uint32_t BufferBytes() const { return bufferBytes_; }
    uint32_t RefillBytes() const { return refillBytes_; }
    bool Streaming() const { return streaming_; }
    bool InHardware() const { return inHardware_; }
    bool Is3D() const { return is3D_; }
    bool Reversed() const { return reversed_; }
    bool PlayRequested() const { return playing_; }  // by Play, until Stop; IsPlaying asks DirectSound
    // The last value asked for, whatever DirectSound made of it.
    double AskedPitch() const { return pitch_; }
    int32_t AskedVolume() const { return volume_; }
    int32_t AskedPan() const { return pan_; }
    const char* FileName() const { return fileName_; }  // empty for a source that is not a file
    const WAVEFORMATEX* Format() const { return format_; }
    IDirectSoundBuffer* Buffer() const { return buffer_; }
    IDirectSound3DBuffer* Buffer3D() const { return buffer3D_; }
    bool SourceOpen() const { return source_ != nullptr; }
    uint32_t SourcePos() const { return sourcePos_; }
    RingState Ring() const { return {bufferStartPos_, writeCursor_, endReached_}; }

protected:
    // The subclass's source: its handle, the path it came from, the length of its
    // data, and where its read pointer stands (kept by ReadData and SeekData).
    void* Source() const { return source_; }
    void SetSource(void* source) { source_ = source; }
    // A name that does not fit with its terminator is refused (0x800407D8), not
    // cut, since a cut name could open another file.
    Status SetFileName(const char* path);
    void SetDataBytes(uint32_t bytes) { dataBytes_ = bytes; }
    void SetSourcePos(uint32_t pos) { sourcePos_ = pos; }
    // What a sound that plays without a buffer of its own keeps of the script's
    // requests, for the getters and the next Play.
    void KeepPlaying(bool playing) { playing_ = playing; }
    void KeepReversed(bool reversed) { reversed_ = reversed; }
    void KeepStreaming(bool streaming) { streaming_ = streaming; }
    void KeepPitch(double pitch) { pitch_ = pitch; }
    void KeepVolume(int32_t volume) { volume_ = volume; }
    void KeepPan(int32_t pan) { pan_ = pan; }

    // The format block, through the host's allocator; the sound owns it. Null
    // when memory runs out.
    WAVEFORMATEX* AllocateFormat(uint32_t byteCount);
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

    uint32_t id_ = 0;
    uint16_t kind_;
    SoundBuffer* next_ = nullptr;
    uint32_t dataBytes_ = 0;
    uint32_t bufferBytes_ = 0;
    uint32_t refillBytes_ = 0;
    bool loop_ = false;
    bool playing_ = false;
    bool inHardware_ = false;
    bool streaming_ = false;
    bool is3D_ = false;
    bool reversed_;
    double pitch_ = 1.0;
    int32_t volume_ = 0;
    int32_t pan_ = 0;
    SoundContext context_;
    char fileName_[kFileNameSize] = {};
    uint32_t bufferStartPos_ = 0;
    uint32_t writeCursor_ = 0;
    uint32_t sourcePos_ = 0;
    bool endReached_ = false;
    IDirectSoundBuffer* buffer_ = nullptr;
    WAVEFORMATEX* format_ = nullptr;
    IDirectSound3DBuffer* buffer3D_ = nullptr;
    void* source_ = nullptr;
};

// Attenuation (hundredths of a decibel, -10000..0) to the script's level scale
// (-255..0) and back: 10 dB per halving of 256 - |level|.
int32_t DbToLevel(int32_t attenuation);
int32_t LevelToDb(int32_t level);

}  // namespace sonidrax
