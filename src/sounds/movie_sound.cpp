// Opening and closing a movie sound.
#include "sounds/movie_sound.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace sonidrax {

namespace {

constexpr uint32_t kLookOnlyLimit = 1024;  // sizes 1..1024 only look at the movie
constexpr uint32_t kLongestName = 255;     // what a length-prefixed name holds

bool LookOnly(uint32_t size) { return size >= 1 && size <= kLookOnlyLimit; }

}  // namespace

MovieSound::MovieSound(const SoundContext& context, bool reversed)
    : SoundBuffer(context, kMovieKind, reversed), movies_(context.movies), output_(context.directSound) {}

MovieSound::~MovieSound() { CloseSource(); }

Status MovieSound::OpenFile(const char* path, uint32_t bufferBytes) {
    if (movies_ == nullptr) return kUnsupportedFormat;
    if (SetFileName(path) != kOk) return kFileNotFound;
    media::Movie* movie = nullptr;
    Status status = OpenMovie(path, bufferBytes, &movie);
    if (status != kOk) return status;
    SetDataBytes(0);
    media::Track* track =
        movies_->IndexedTrackByCharacteristic(movie, 1, media::kCharacteristicSound, media::kTrackSearchFlags);
    if (track == nullptr) {
        movies_->DisposeMovie(movie);
        return kUnsupportedFormat;
    }
    SetSource(movie);
    KeepStreaming(true);
    status = TakeFormat(track);
    if (status != kOk) {
        CloseSource();
        return status;
    }
    DisableVisualTracks();
    SetDataFromDuration();
    if (!LookOnly(bufferBytes)) movies_->Preroll(movie, 0, media::kFixedOne);
    // A sound made reversed plays its whole data backwards, from the end.
    if (Reversed()) movies_->SetTime(movie, movies_->Duration(movie));
    return kOk;
}

// A name the movie file reference cannot hold whole is not looked for: cut
// short it could name another file.
Status MovieSound::OpenMovie(const char* path, uint32_t bufferBytes, media::Movie** movie) {
    const size_t length = std::strlen(path);
    if (length == 0 || length > kLongestName) return kFileNotFound;
    unsigned char name[kLongestName + 1] = {};
    name[0] = static_cast<unsigned char>(length);
    std::memcpy(name + 1, path, length);
    media::FileReference reference;
    int16_t fileNumber = 0;
    if (movies_->MakeFileReference(0, 0, name, &reference) != 0 ||
        movies_->OpenMovieFile(reference, &fileNumber, media::kReadPermission) != 0) {
        return kFileNotFound;
    }
    const int16_t flags = LookOnly(bufferBytes) ? media::kCreateForLooking : media::kCreateForPlaying;
    const int32_t created = movies_->NewMovieFromFile(movie, fileNumber, flags, output_);
    movies_->CloseMovieFile(fileNumber);
    return created == 0 && *movie != nullptr ? kOk : kUnsupportedFormat;
}

// The format the byte and time conversions read, from the sound description.
Status MovieSound::TakeFormat(media::Track* track) {
    media::SoundDescription description;
    movies_->GetSoundDescription(movies_->TrackMedia(track), 1, &description);
    const uint32_t rate = description.sampleRate >> 16;
    if (description.size == 0 || description.channels == 0 || description.sampleSize == 0 || rate == 0) {
        return kUnsupportedFormat;
    }
    WAVEFORMATEX* format = AllocateFormat(sizeof(WAVEFORMATEX));
    if (format == nullptr) return kOutOfMemory;
    *format = WAVEFORMATEX{};
    format->wFormatTag = WAVE_FORMAT_PCM;
    format->nChannels = description.channels;
    format->wBitsPerSample = description.sampleSize;
    format->nSamplesPerSec = rate;
    format->nBlockAlign = static_cast<WORD>(description.channels * description.sampleSize / 8);
    format->nAvgBytesPerSec = format->nBlockAlign * rate;
    return kOk;
}

void MovieSound::DisableVisualTracks() {
    for (int32_t index = 1;; ++index) {
        media::Track* visual = movies_->IndexedTrackByCharacteristic(Opened(), index, media::kCharacteristicVisual,
                                                                     media::kTrackSearchFlags);
        if (visual == nullptr) return;
        movies_->SetTrackEnabled(visual, false);
    }
}

// The whole movie in bytes of the format, through milliseconds as every other
// time conversion goes; the products are wide enough for long movies with fine
// time scales, and a length past 32 bits is held at the largest.
void MovieSound::SetDataFromDuration() {
    const int64_t duration = movies_->Duration(Opened());
    const int64_t scale = movies_->TimeScale(Opened());
    const int64_t ms = scale > 0 ? duration * 1000 / scale : 0;
    const WAVEFORMATEX* f = Format();
    const double bytes = std::trunc(static_cast<double>(f->wBitsPerSample) * static_cast<double>(f->nSamplesPerSec) *
                                    static_cast<double>(f->nChannels) * static_cast<double>(ms) * 0.000125);
    const double largest = std::numeric_limits<uint32_t>::max();
    const double held = bytes > largest ? largest : bytes;
    SetDataBytes(held > 0 ? static_cast<uint32_t>(held) : static_cast<uint32_t>(duration));
}

Status MovieSound::CreateBuffer(uint32_t, uint32_t* bytesRead) {
    if (bytesRead != nullptr) *bytesRead = 0;
    return kOk;
}

Status MovieSound::CloseSource() {
    if (Opened() != nullptr) movies_->DisposeMovie(Opened());
    SetSource(nullptr);
    return kOk;
}

}  // namespace sonidrax
