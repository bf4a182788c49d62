// The movie service of our own: sound files that the AIFF, AU and WAVE readers
// understand, played through DirectSound. A movie has one sound track (none when
// the file holds no frames) and no visual track; its time scale is the file's
// sample rate and its duration the file's frame count.
#pragma once

#include <cstdint>
#include <map>
#include <memory>

#include "media/audio_file.h"
#include "media/movie_service.h"

namespace sonidrax::media {

// Results in the movie toolbox's own terms.
constexpr int32_t kNoErr = 0;
constexpr int32_t kBadName = -37;
constexpr int32_t kFileNotFound = -43;
constexpr int32_t kNoMovieFound = -2048;
constexpr int32_t kLibraryMissing = -2093;
constexpr int32_t kEntryPointMissing = -2094;

class DirectSoundMovies : public MovieService {
public:
    int32_t Initialize() override;
    void Terminate() override;
    int32_t EnterMovies() override;
    void ExitMovies() override;

    int32_t MakeFileReference(int16_t volume, int32_t directory, const unsigned char* name,
                              FileReference* reference) override;
    int32_t OpenMovieFile(const FileReference& reference, int16_t* fileNumber, int8_t permission) override;
    int32_t NewMovieFromFile(Movie** movie, int16_t fileNumber, int16_t flags, IDirectSound* output) override;
    void CloseMovieFile(int16_t fileNumber) override;
    void DisposeMovie(Movie* movie) override;

    Track* IndexedTrackByCharacteristic(Movie* movie, int32_t index, uint32_t characteristic, int32_t flags) override;
    MediaRef* TrackMedia(Track* track) override;
    void GetSoundDescription(MediaRef* media, int32_t index, SoundDescription* description) override;
    void SetTrackEnabled(Track* track, bool enabled) override;
    void SetTrackVolume(Track* track, int16_t volume) override;
    MediaHandler* GetMediaHandler(MediaRef* media) override;
    void SetSoundBalance(MediaHandler* handler, int16_t balance) override;

    int32_t Duration(Movie* movie) override;
    int32_t TimeScale(Movie* movie) override;
    void Preroll(Movie* movie, int32_t time, Fixed rate) override;
    void SetRate(Movie* movie, Fixed rate) override;
    void Stop(Movie* movie) override;
    bool IsDone(Movie* movie) override;
    void Task(Movie* movie, int32_t milliseconds) override;
    int64_t GetTime(Movie* movie, int32_t* scale) override;
    void SetTime(Movie* movie, int64_t time) override;
    TimeBase* GetTimeBase(Movie* movie) override;
    void SetTimeBaseLoop(TimeBase* timeBase, bool loop) override;

private:
    std::map<int16_t, std::unique_ptr<ByteSource>> files_;
    int16_t nextFileNumber_ = 1;
    int32_t clients_ = 0;
};

// The service the plug-in uses when nothing else was put in its place.
DirectSoundMovies& SystemMovieService();

}  // namespace sonidrax::media
