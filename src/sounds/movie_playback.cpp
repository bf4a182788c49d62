// A movie sound's playback: every operation is the movie operation that does the
// same; what the script asked for is kept for the getters and the next Play.
#include <cmath>

#include "sounds/movie_sound.h"

namespace sonidrax {

// The movie runs at the pitch, backwards when the sound is reversed, and stands
// still while the sound is not playing.
void MovieSound::ApplyRate() {
    const double rate = Reversed() ? -AskedPitch() : AskedPitch();
    movies_->SetRate(Opened(), PlayRequested() ? media::ToFixed(rate) : 0);
}

Status MovieSound::Play() {
    if (Opened() == nullptr) return kOk;
    KeepPlaying(true);
    ApplyRate();
    return kOk;
}

Status MovieSound::Stop() {
    if (Opened() == nullptr) return kOk;
    movies_->Stop(Opened());
    KeepPlaying(false);
    return kOk;
}

bool MovieSound::IsPlaying() {
    if (Opened() == nullptr || !PlayRequested()) return false;
    return !movies_->IsDone(Opened());
}

Status MovieSound::Refill() {
    if (Opened() != nullptr) movies_->Task(Opened(), 0);
    return kOk;
}

Status MovieSound::SetPitch(double factor) {
    if (Opened() == nullptr) return kOk;
    KeepPitch(factor);
    ApplyRate();
    return kOk;
}

double MovieSound::GetPitch() { return AskedPitch(); }

Status MovieSound::Reverse() {
    KeepReversed(!Reversed());
    return SetPitch(AskedPitch());
}

Status MovieSound::SetLoop(bool loop) {
    SoundBuffer::SetLoop(loop);
    if (Opened() != nullptr) movies_->SetTimeBaseLoop(movies_->GetTimeBase(Opened()), loop);
    return kOk;
}

uint32_t MovieSound::GetPosition() {
    if (Opened() == nullptr) return 0;
    int32_t scale = 0;
    const int64_t time = movies_->GetTime(Opened(), &scale);
    const double ms = scale != 0 ? time * 1000.0 / scale : time * 1000.0;
    return static_cast<uint32_t>(MsToBytes(static_cast<int32_t>(std::trunc(ms))));
}

Status MovieSound::SetPosition(int32_t bytePos) {
    if (Opened() == nullptr) return kOk;
    const double time = BytesToMs(bytePos) * static_cast<double>(movies_->TimeScale(Opened())) * 0.001;
    movies_->SetTime(Opened(), static_cast<int64_t>(std::trunc(time)));
    return kOk;
}

// The track's level follows the attenuation on the scripts' level scale; the
// balance takes half the pan's level, so a full pan is a full balance.
Status MovieSound::SetVolume(int32_t hundredthsOfDb) {
    KeepVolume(hundredthsOfDb);
    if (Opened() == nullptr) return kOk;
    media::Track* track =
        movies_->IndexedTrackByCharacteristic(Opened(), 1, media::kCharacteristicSound, media::kTrackSearchFlags);
    if (track == nullptr) return kOk;
    movies_->SetTrackVolume(track, static_cast<int16_t>(DbToLevel(hundredthsOfDb) + 255));
    const int32_t balance = DbToLevel(AskedPan()) / 2;
    movies_->SetSoundBalance(movies_->GetMediaHandler(movies_->TrackMedia(track)), static_cast<int16_t>(balance));
    return kOk;
}

int32_t MovieSound::GetVolume() { return AskedVolume(); }

Status MovieSound::SetPan(int32_t pan) {
    KeepPan(pan);
    return SetVolume(AskedVolume());
}

int32_t MovieSound::GetPan() { return AskedPan(); }

}  // namespace sonidrax
