#include "media/direct_sound_movies.h"

#include <windows.h>

#include <cstring>
#include <limits>
#include <new>

#include "media/movie_player.h"
#include "media/process_startup.h"

namespace sonidrax::media {

// The objects a movie hands out are parts of it and live as long as it does.
struct Track {
    Movie* movie;
    bool enabled = true;
};
struct MediaRef {
    Movie* movie;
};
struct MediaHandler {
    Movie* movie;
};
struct TimeBase {
    Movie* movie;
};

struct Movie {
    Movie(std::unique_ptr<AudioFile> file, IDirectSound* output) : player(std::move(file), output) {}
    MoviePlayer player;
    Track track{this};
    MediaRef media{this};
    MediaHandler handler{this};
    TimeBase timeBase{this};
};

namespace {

// A 16.16 description holds rates below 65536 Hz only.
constexpr uint32_t kMaxDescribedRate = 0xFFFF;

HMODULE directSoundLibrary = nullptr;

// What the service needs of the system before any movie is made: DirectSound.
int32_t LoadDirectSound() {
    directSoundLibrary = LoadLibraryA("dsound.dll");
    if (directSoundLibrary == nullptr) return kLibraryMissing;
    if (GetProcAddress(directSoundLibrary, "DirectSoundCreate") != nullptr) return kNoErr;
    FreeLibrary(directSoundLibrary);
    directSoundLibrary = nullptr;
    return kEntryPointMissing;
}

void UnloadDirectSound() {
    if (directSoundLibrary != nullptr) FreeLibrary(directSoundLibrary);
    directSoundLibrary = nullptr;
}

// A sound the service can describe and play: a rate a 16.16 description holds,
// a duration its 32-bit time values hold.
bool Describable(const TrackFormat& format) {
    return format.channels > 0 && format.sampleBits > 0 && format.sampleRate > 0 &&
           format.sampleRate <= kMaxDescribedRate &&
           format.frames <= static_cast<uint64_t>(std::numeric_limits<int32_t>::max());
}

}  // namespace

int32_t DirectSoundMovies::Initialize() { return EnterProcessStartup(LoadDirectSound); }

void DirectSoundMovies::Terminate() { LeaveProcessStartup(UnloadDirectSound); }

int32_t DirectSoundMovies::EnterMovies() {
    ++clients_;
    return kNoErr;
}

void DirectSoundMovies::ExitMovies() {
    if (clients_ > 0) --clients_;
}

int32_t DirectSoundMovies::MakeFileReference(int16_t volume, int32_t directory, const unsigned char* name,
                                             FileReference* reference) {
    if (name == nullptr || name[0] == 0) return kBadName;
    *reference = FileReference{};
    reference->volume = volume;
    reference->directory = directory;
    std::memcpy(reference->name, name, size_t{name[0]} + 1);
    return kNoErr;
}

int32_t DirectSoundMovies::OpenMovieFile(const FileReference& reference, int16_t* fileNumber, int8_t) {
    char path[256] = {};
    std::memcpy(path, reference.name + 1, reference.name[0]);
    std::unique_ptr<ByteSource> source = openFileSource(path);
    if (source == nullptr) return kFileNotFound;
    *fileNumber = nextFileNumber_++;
    if (nextFileNumber_ <= 0) nextFileNumber_ = 1;
    files_[*fileNumber] = std::move(source);
    return kNoErr;
}

// A file of no frames makes a movie without a sound track.
int32_t DirectSoundMovies::NewMovieFromFile(Movie** movie, int16_t fileNumber, int16_t, IDirectSound* output) {
    *movie = nullptr;
    auto found = files_.find(fileNumber);
    if (found == files_.end() || found->second == nullptr) return kNoMovieFound;
    std::unique_ptr<AudioFile> file;
    if (AudioFile::open(std::move(found->second), file) != OpenResult::kOpened || file == nullptr) {
        return kNoMovieFound;
    }
    if (!Describable(file->format())) return kNoMovieFound;
    const bool silent = file->format().frames == 0;
    auto* made = new (std::nothrow) Movie(std::move(file), silent ? nullptr : output);
    if (made == nullptr) return kNoMovieFound;
    if (!silent && !made->player.Ready()) {
        delete made;
        return kNoMovieFound;
    }
    *movie = made;
    return kNoErr;
}

void DirectSoundMovies::CloseMovieFile(int16_t fileNumber) { files_.erase(fileNumber); }

void DirectSoundMovies::DisposeMovie(Movie* movie) { delete movie; }

Track* DirectSoundMovies::IndexedTrackByCharacteristic(Movie* movie, int32_t index, uint32_t characteristic, int32_t) {
    if (movie == nullptr || index != 1 || characteristic != kCharacteristicSound) return nullptr;
    if (movie->player.Frames() == 0 || !movie->track.enabled) return nullptr;
    return &movie->track;
}

MediaRef* DirectSoundMovies::TrackMedia(Track* track) { return track != nullptr ? &track->movie->media : nullptr; }

void DirectSoundMovies::GetSoundDescription(MediaRef* media, int32_t index, SoundDescription* description) {
    *description = SoundDescription{};
    if (media == nullptr || index != 1) return;
    const TrackFormat& format = media->movie->player.Format();
    description->size = sizeof *description;
    description->channels = format.channels;
    description->sampleSize = format.sampleBits;
    description->sampleRate = format.sampleRate << 16;
}

void DirectSoundMovies::SetTrackEnabled(Track* track, bool enabled) {
    if (track == nullptr) return;
    track->enabled = enabled;
    track->movie->player.SetMuted(!enabled);
}

void DirectSoundMovies::SetTrackVolume(Track* track, int16_t volume) {
    if (track != nullptr) track->movie->player.SetVolume(volume);
}

MediaHandler* DirectSoundMovies::GetMediaHandler(MediaRef* media) {
    return media != nullptr ? &media->movie->handler : nullptr;
}

void DirectSoundMovies::SetSoundBalance(MediaHandler* handler, int16_t balance) {
    if (handler != nullptr) handler->movie->player.SetBalance(balance);
}

int32_t DirectSoundMovies::Duration(Movie* movie) {
    return movie != nullptr ? static_cast<int32_t>(movie->player.Frames()) : 0;
}

int32_t DirectSoundMovies::TimeScale(Movie* movie) {
    return movie != nullptr ? static_cast<int32_t>(movie->player.Format().sampleRate) : 0;
}

void DirectSoundMovies::Preroll(Movie* movie, int32_t, Fixed) {
    if (movie != nullptr) movie->player.Prime();
}

void DirectSoundMovies::SetRate(Movie* movie, Fixed rate) {
    if (movie != nullptr) movie->player.SetRate(static_cast<double>(rate) / kFixedOne);
}

void DirectSoundMovies::Stop(Movie* movie) { SetRate(movie, 0); }

bool DirectSoundMovies::IsDone(Movie* movie) { return movie == nullptr || movie->player.Done(); }

void DirectSoundMovies::Task(Movie* movie, int32_t) {
    if (movie != nullptr) movie->player.Task();
}

int64_t DirectSoundMovies::GetTime(Movie* movie, int32_t* scale) {
    *scale = TimeScale(movie);
    return movie != nullptr ? movie->player.Time() : 0;
}

void DirectSoundMovies::SetTime(Movie* movie, int64_t time) {
    if (movie != nullptr) movie->player.SetTime(time);
}

TimeBase* DirectSoundMovies::GetTimeBase(Movie* movie) { return movie != nullptr ? &movie->timeBase : nullptr; }

void DirectSoundMovies::SetTimeBaseLoop(TimeBase* timeBase, bool loop) {
    if (timeBase != nullptr) timeBase->movie->player.SetLoop(loop);
}

DirectSoundMovies& SystemMovieService() {
    static DirectSoundMovies service;
    return service;
}

}  // namespace sonidrax::media
