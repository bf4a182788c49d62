#include "media/movie_player.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace sonidrax::media {

namespace {

constexpr uint32_t kRingSeconds = 2;
constexpr uint32_t kMinRingFrames = 2048;
constexpr DWORD kBufferFlags =
    DSBCAPS_GETCURRENTPOSITION2 | DSBCAPS_GLOBALFOCUS | DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN | DSBCAPS_CTRLFREQUENCY;
// The clock's tick is coarse; a gap is judged by it only beyond this share of a second.
constexpr uint32_t kTickSlackDivisor = 50;

// The level law of the scripts' volume scale: 10 dB per halving of 256 - |level|.
int32_t LevelToAttenuation(int32_t level) {
    if (level >= 255) return 0;
    if (level <= 0) return DSBVOLUME_MIN;
    const double attenuation = 1000.0 * std::log2(4.0 * (level + 1)) - 10000.0;
    return std::clamp(static_cast<int32_t>(attenuation), DSBVOLUME_MIN, DSBVOLUME_MAX);
}

int32_t BalanceToPan(int32_t balance) {
    const int32_t side = std::min(std::abs(balance), 127);
    if (side == 0) return 0;
    const int32_t magnitude =
        side == 127 ? 10000 : static_cast<int32_t>(10000.0 - 1000.0 * std::log2(4.0 * (256 - 2 * side)));
    return balance < 0 ? -magnitude : magnitude;
}

void ReverseFrames(int16_t* samples, uint32_t frames, uint32_t channels) {
    for (uint32_t i = 0, j = frames; i + 1 < j; ++i, --j) {
        std::swap_ranges(samples + size_t{i} * channels, samples + size_t{i + 1} * channels,
                         samples + size_t{j - 1} * channels);
    }
}

}  // namespace

MoviePlayer::MoviePlayer(std::unique_ptr<AudioFile> file, IDirectSound* output)
    : file_(std::move(file)), format_(file_->format()), frames_(static_cast<int64_t>(format_.frames)),
      outChannels_(std::min<uint32_t>(format_.channels, 2)), frequency_(format_.sampleRate) {
    ringFrames_ = std::max(format_.sampleRate * kRingSeconds, kMinRingFrames);
    if (output == nullptr) return;
    WAVEFORMATEX pcm{};
    pcm.wFormatTag = WAVE_FORMAT_PCM;
    pcm.nChannels = static_cast<WORD>(outChannels_);
    pcm.nSamplesPerSec = format_.sampleRate;
    pcm.wBitsPerSample = 16;
    pcm.nBlockAlign = static_cast<WORD>(2 * outChannels_);
    pcm.nAvgBytesPerSec = pcm.nBlockAlign * pcm.nSamplesPerSec;
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = kBufferFlags;
    desc.dwBufferBytes = ringFrames_ * pcm.nBlockAlign;
    desc.lpwfxFormat = &pcm;
    if (FAILED(output->CreateSoundBuffer(&desc, &buffer_, nullptr))) buffer_ = nullptr;
}

MoviePlayer::~MoviePlayer() {
    if (buffer_ == nullptr) return;
    StopBuffer();
    buffer_->Release();
}

uint32_t MoviePlayer::PlayCursorFrame() const {
    DWORD play = 0;
    DWORD write = 0;
    if (FAILED(buffer_->GetCurrentPosition(&play, &write))) return lastCursor_;
    return (play / (2 * outChannels_)) % ringFrames_;
}

// Takes what the cursor passed since it was last looked at as played.
void MoviePlayer::Account() {
    if (buffer_ == nullptr || !running_) return;
    const uint32_t cursor = PlayCursorFrame();
    const uint32_t passed = (cursor + ringFrames_ - lastCursor_) % ringFrames_;
    const DWORD now = GetTickCount();
    const uint64_t byClock = uint64_t{now - lastTick_} * frequency_ / 1000;
    const bool gap = passed > queued_ || byClock > uint64_t{queued_} + frequency_ / kTickSlackDivisor;
    const uint32_t played = gap ? queued_ : passed;
    Advance(played);
    queued_ -= played;
    lastCursor_ = cursor;
    lastTick_ = now;
    if (gap) {
        writeFrame_ = cursor;
        writePos_ = time_;
    }
    if (AtEnd()) StopBuffer();
}

void MoviePlayer::Advance(int64_t frames) {
    time_ += direction_ * frames;
    if (loop_ && frames_ > 0) {
        time_ = ((time_ % frames_) + frames_) % frames_;
        return;
    }
    time_ = std::clamp<int64_t>(time_, 0, frames_);
}

bool MoviePlayer::AtEnd() const { return !loop_ && (direction_ > 0 ? time_ >= frames_ : time_ <= 0); }

// Tops the sound ahead of the cursor up to half the ring and silences the rest.
void MoviePlayer::Fill() {
    if (buffer_ == nullptr) return;
    const uint32_t frameBytes = 2 * outChannels_;
    const uint32_t room = ringFrames_ - queued_;
    const uint32_t wanted = ringFrames_ / 2 > queued_ ? ringFrames_ / 2 - queued_ : 0;
    void* part1 = nullptr;
    void* part2 = nullptr;
    DWORD bytes1 = 0;
    DWORD bytes2 = 0;
    HRESULT locked = buffer_->Lock(writeFrame_ * frameBytes, room * frameBytes, &part1, &bytes1, &part2, &bytes2, 0);
    if (locked == DSERR_BUFFERLOST) buffer_->Restore();
    if (FAILED(locked)) return;
    ring_.assign(size_t{room} * outChannels_, 0);
    const uint32_t produced = Produce(ring_.data(), wanted);
    const auto* bytes = reinterpret_cast<const uint8_t*>(ring_.data());
    std::memcpy(part1, bytes, bytes1);
    if (part2 != nullptr) std::memcpy(part2, bytes + bytes1, bytes2);
    buffer_->Unlock(part1, bytes1, part2, bytes2);
    queued_ += produced;
    writeFrame_ = (writeFrame_ + produced) % ringFrames_;
}

// Frames from the write position on in the movie's direction, round again when
// looping; fewer at the end or when the file stops yielding.
uint32_t MoviePlayer::Produce(int16_t* out, uint32_t count) {
    uint32_t done = 0;
    bool wrapped = false;
    while (done < count) {
        int16_t* at = out + size_t{done} * outChannels_;
        const uint32_t n = direction_ > 0 ? ReadForward(at, count - done) : ReadBackward(at, count - done);
        done += n;
        if (n > 0) {
            wrapped = false;
            continue;
        }
        if (!loop_ || wrapped) break;
        wrapped = true;
        writePos_ = direction_ > 0 ? 0 : frames_;
    }
    return done;
}

uint32_t MoviePlayer::ReadForward(int16_t* out, uint32_t count) {
    const auto n = static_cast<uint32_t>(std::min<int64_t>(count, frames_ - writePos_));
    if (n == 0) return 0;
    scratch_.resize(size_t{n} * format_.channels);
    const auto got = static_cast<uint32_t>(file_->readPcm16(static_cast<uint64_t>(writePos_), n, scratch_.data()));
    MixDown(scratch_.data(), got, out);
    writePos_ += got;
    return got;
}

uint32_t MoviePlayer::ReadBackward(int16_t* out, uint32_t count) {
    const auto n = static_cast<uint32_t>(std::min<int64_t>(count, writePos_));
    if (n == 0) return 0;
    const int64_t first = writePos_ - n;
    scratch_.resize(size_t{n} * format_.channels);
    if (file_->readPcm16(static_cast<uint64_t>(first), n, scratch_.data()) < n) return 0;
    MixDown(scratch_.data(), n, out);
    ReverseFrames(out, n, outChannels_);
    writePos_ = first;
    return n;
}

// More than two channels are heard as two: the even ones on the left, the odd
// ones on the right.
void MoviePlayer::MixDown(const int16_t* in, uint32_t frames, int16_t* out) const {
    const uint32_t channels = format_.channels;
    if (channels == outChannels_) {
        std::memcpy(out, in, size_t{frames} * channels * sizeof(int16_t));
        return;
    }
    for (uint32_t f = 0; f < frames; ++f) {
        int32_t sums[2] = {0, 0};
        for (uint32_t c = 0; c < channels; ++c) sums[c % 2] += in[size_t{f} * channels + c];
        out[2 * f] = static_cast<int16_t>(sums[0] / static_cast<int32_t>((channels + 1) / 2));
        out[2 * f + 1] = static_cast<int16_t>(sums[1] / static_cast<int32_t>(channels / 2));
    }
}

// Drops what is queued and fills the ring afresh from the movie's time on.
void MoviePlayer::Restart(bool play) {
    if (buffer_ == nullptr) return;
    StopBuffer();
    queued_ = 0;
    lastCursor_ = PlayCursorFrame();
    writeFrame_ = lastCursor_;
    writePos_ = time_;
    Fill();
    if (play && !AtEnd()) StartBuffer();
}

void MoviePlayer::StartBuffer() {
    if (buffer_->Play(0, 0, DSBPLAY_LOOPING) == DSERR_BUFFERLOST) buffer_->Restore();
    running_ = true;
    lastTick_ = GetTickCount();
    lastCursor_ = PlayCursorFrame();
}

void MoviePlayer::StopBuffer() {
    if (!running_) return;
    buffer_->Stop();
    running_ = false;
}

void MoviePlayer::Prime() { Fill(); }

void MoviePlayer::SetRate(double rate) {
    if (buffer_ == nullptr) return;
    Account();
    if (rate == 0.0) {
        StopBuffer();
        return;
    }
    const double frequency = std::round(format_.sampleRate * std::fabs(rate));
    frequency_ = static_cast<uint32_t>(std::clamp<double>(frequency, DSBFREQUENCY_MIN, DSBFREQUENCY_MAX));
    buffer_->SetFrequency(frequency_);
    const int direction = rate > 0.0 ? 1 : -1;
    if (direction != direction_) {
        direction_ = direction;
        Restart(true);
        return;
    }
    Fill();
    if (!running_ && !AtEnd()) StartBuffer();
}

bool MoviePlayer::Done() {
    Account();
    return AtEnd();
}

void MoviePlayer::Task() {
    Account();
    if (running_) Fill();
}

int64_t MoviePlayer::Time() {
    Account();
    return time_;
}

void MoviePlayer::SetTime(int64_t frame) {
    Account();
    time_ = std::clamp<int64_t>(frame, 0, frames_);
    Restart(running_);
}

void MoviePlayer::SetLoop(bool loop) {
    Account();
    if (loop == loop_) return;
    loop_ = loop;
    Restart(running_);
}

void MoviePlayer::SetVolume(int16_t volume) {
    volume_ = volume;
    ApplyVolume();
}

void MoviePlayer::SetMuted(bool muted) {
    muted_ = muted;
    ApplyVolume();
}

void MoviePlayer::ApplyVolume() {
    if (buffer_ != nullptr) buffer_->SetVolume(muted_ ? DSBVOLUME_MIN : LevelToAttenuation(volume_));
}

void MoviePlayer::SetBalance(int16_t balance) {
    if (buffer_ != nullptr) buffer_->SetPan(BalanceToPan(balance));
}

}  // namespace sonidrax::media
