// One movie of the DirectSound movie service: a sound file read in place, heard
// through a secondary buffer used as a ring, with a clock of its own in frames of
// the file's sample rate that follows the play cursor.
//
// The ring holds at most half its length of sound ahead of the play cursor and
// silence behind that, so a script that stops giving the movie time hears
// silence after at most that half rather than old sound. A gap between two
// refills longer than the queued sound lasts (by the play cursor, or by the
// clock when the cursor may have gone round the ring unseen) counts everything
// queued as played and starts the ring over at the cursor: the movie's time
// never runs ahead of what was heard, and never behind it by more than a ring.
#pragma once

#include <dsound.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "media/audio_file.h"

namespace sonidrax::media {

class MoviePlayer {
public:
    // The file must have a rate the buffer can start at and at least one frame.
    MoviePlayer(std::unique_ptr<AudioFile> file, IDirectSound* output);
    ~MoviePlayer();
    MoviePlayer(const MoviePlayer&) = delete;
    MoviePlayer& operator=(const MoviePlayer&) = delete;

    // Whether the ring buffer could be made.
    bool Ready() const { return buffer_ != nullptr; }
    const TrackFormat& Format() const { return format_; }
    int64_t Frames() const { return frames_; }

    void Prime();
    // Rate as a factor of the file's own; 0 pauses, a negative rate plays backwards.
    void SetRate(double rate);
    bool Done();
    void Task();
    int64_t Time();
    void SetTime(int64_t frame);
    void SetLoop(bool loop);
    void SetVolume(int16_t volume);    // 0..255
    void SetBalance(int16_t balance);  // -127..127
    void SetMuted(bool muted);

private:
    uint32_t PlayCursorFrame() const;
    void Account();
    void Advance(int64_t frames);
    void Fill();
    uint32_t Produce(int16_t* out, uint32_t count);
    uint32_t ReadForward(int16_t* out, uint32_t count);
    uint32_t ReadBackward(int16_t* out, uint32_t count);
    void MixDown(const int16_t* in, uint32_t frames, int16_t* out) const;
    void Restart(bool play);
    void StartBuffer();
    void StopBuffer();
    void ApplyVolume();
    bool AtEnd() const;

    std::unique_ptr<AudioFile> file_;
    TrackFormat format_;
    int64_t frames_;
    IDirectSoundBuffer* buffer_ = nullptr;
    uint32_t outChannels_;
    uint32_t ringFrames_ = 0;
    uint32_t frequency_;

    int64_t time_ = 0;         // source frame under the play cursor
    int64_t writePos_ = 0;     // source frame the next sound written comes from
    uint32_t queued_ = 0;      // frames of sound written ahead of the cursor
    uint32_t lastCursor_ = 0;  // ring frame the cursor was at when last looked at
    uint32_t writeFrame_ = 0;  // ring frame the next sound goes to
    uint32_t lastTick_ = 0;
    int direction_ = 1;
    double rate_ = 0.0;
    bool running_ = false;
    bool loop_ = false;
    bool muted_ = false;
    int16_t volume_ = 255;
    std::vector<int16_t> scratch_;  // frames as the file has them
    std::vector<int16_t> ring_;     // what one fill writes
};

}  // namespace sonidrax::media
