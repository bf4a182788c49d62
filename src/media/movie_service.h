// The movie operations a movie sound plays through, one per role, shaped after a
// movie toolbox's calls: start-up, file references and movie files, tracks found
// by their media characteristic, the sound description, rate, time, looping,
// track volume, sound balance. A movie sound knows only this interface, so any
// service that offers these roles (ours on DirectSound, or a system's movie
// toolbox) can stand behind it.
#pragma once

#include <dsound.h>

#include <cstdint>

namespace sonidrax::media {

// A 16.16 fixed-point number, as movie rates and sample rates are given.
using Fixed = int32_t;
constexpr Fixed kFixedOne = 0x10000;

// Media characteristics a track is found by.
constexpr uint32_t kCharacteristicSound = 0x65617273;   // "ears"
constexpr uint32_t kCharacteristicVisual = 0x65796573;  // "eyes"
constexpr int32_t kTrackSearchFlags = 6;                // enabled tracks only

// Creation flags: a movie that is only looked at, or one that is to be played.
constexpr int16_t kCreateForPlaying = 1;
constexpr int16_t kCreateForLooking = 2;

constexpr int8_t kReadPermission = 1;

// What a file reference names: a length-prefixed name in a volume and folder
// (both 0: the name is a whole path).
struct FileReference {
    int16_t volume = 0;
    int32_t directory = 0;
    unsigned char name[256] = {};
};

// The first sample description of a sound track. `size` 0 means the description
// handle came back empty.
struct SoundDescription {
    uint32_t size = 0;
    uint16_t channels = 0;
    uint16_t sampleSize = 0;  // bits per sample
    uint32_t sampleRate = 0;  // unsigned 16.16
};

// The service's objects, opaque to its users.
struct Movie;
struct Track;
struct MediaRef;
struct TimeBase;
struct MediaHandler;

class MovieService {
public:
    virtual ~MovieService() = default;

    // Start-up of the service for the process, counted: every successful
    // Initialize is matched by one Terminate. 0 on success.
    virtual int32_t Initialize() = 0;
    virtual void Terminate() = 0;
    // The movie services of one client, started on first need. 0 on success.
    virtual int32_t EnterMovies() = 0;
    virtual void ExitMovies() = 0;

    virtual int32_t MakeFileReference(int16_t volume, int32_t directory, const unsigned char* name,
                                      FileReference* reference) = 0;
    virtual int32_t OpenMovieFile(const FileReference& reference, int16_t* fileNumber, int8_t permission) = 0;
    // `output` is the DirectSound object the movie is heard on; a service that
    // has its own output may ignore it.
    virtual int32_t NewMovieFromFile(Movie** movie, int16_t fileNumber, int16_t flags, IDirectSound* output) = 0;
    virtual void CloseMovieFile(int16_t fileNumber) = 0;
    virtual void DisposeMovie(Movie* movie) = 0;

    // Index counts from 1; null when there is no such track.
    virtual Track* IndexedTrackByCharacteristic(Movie* movie, int32_t index, uint32_t characteristic,
                                                int32_t flags) = 0;
    virtual MediaRef* TrackMedia(Track* track) = 0;
    virtual void GetSoundDescription(MediaRef* media, int32_t index, SoundDescription* description) = 0;
    virtual void SetTrackEnabled(Track* track, bool enabled) = 0;
    virtual void SetTrackVolume(Track* track, int16_t volume) = 0;  // 0..255, 255 full
    virtual MediaHandler* GetMediaHandler(MediaRef* media) = 0;
    virtual void SetSoundBalance(MediaHandler* handler, int16_t balance) = 0;  // -127 left .. 127 right

    virtual int32_t Duration(Movie* movie) = 0;
    virtual int32_t TimeScale(Movie* movie) = 0;
    virtual void Preroll(Movie* movie, int32_t time, Fixed rate) = 0;
    // A non-zero rate plays (backwards when negative), 0 pauses.
    virtual void SetRate(Movie* movie, Fixed rate) = 0;
    virtual void Stop(Movie* movie) = 0;
    virtual bool IsDone(Movie* movie) = 0;
    // Gives the movie time to play; it makes progress only through this.
    virtual void Task(Movie* movie, int32_t milliseconds) = 0;
    virtual int64_t GetTime(Movie* movie, int32_t* scale) = 0;
    virtual void SetTime(Movie* movie, int64_t time) = 0;
    virtual TimeBase* GetTimeBase(Movie* movie) = 0;
    virtual void SetTimeBaseLoop(TimeBase* timeBase, bool loop) = 0;
};

// Converts a factor to 16.16, saturating at the ends of the range.
Fixed ToFixed(double value);

}  // namespace sonidrax::media
