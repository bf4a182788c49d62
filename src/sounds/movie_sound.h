// A sound that neither the WAVE reader nor the MPEG stream could open, played as
// a movie by the movie service: it has no DirectSound buffer of its own, so every
// playback operation becomes the movie operation that does the same. Scripts must
// call dsStream for it to make progress.
#pragma once

#include "media/movie_service.h"
#include "sounds/sound_buffer.h"

namespace sonidrax {

class MovieSound : public SoundBuffer {
public:
    MovieSound(const SoundContext& context, bool reversed);
    ~MovieSound() override;

    // A size of 1..1024 only looks at the movie: it is created for looking and
    // not prerolled. A sound track whose description does not tell a usable
    // format is refused like a file without sound.
    Status OpenFile(const char* path, uint32_t bufferBytes) override;
    Status CreateBuffer(uint32_t bufferBytes, uint32_t* bytesRead) override;
    Status CloseSource() override;
    Status Refill() override;
    Status SetPosition(int32_t bytePos) override;
    uint32_t GetPosition() override;
    Status Stop() override;
    bool IsPlaying() override;
    Status Reverse() override;
    Status SetPitch(double factor) override;
    double GetPitch() override;
    Status SetVolume(int32_t hundredthsOfDb) override;
    int32_t GetVolume() override;
    Status SetPan(int32_t pan) override;
    int32_t GetPan() override;
    Status SetLoop(bool loop) override;
    Status Play() override;

private:
    media::Movie* Opened() const { return static_cast<media::Movie*>(Source()); }
    Status OpenMovie(const char* path, uint32_t bufferBytes, media::Movie** movie);
    Status TakeFormat(media::Track* track);
    void DisableVisualTracks();
    void SetDataFromDuration();
    void ApplyRate();

    media::MovieService* movies_;
    IDirectSound* output_;
};

}  // namespace sonidrax
