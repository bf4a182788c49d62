// dsNewSound and dsReverseSound: a sound from a cast member's WAVE image, from a
// WAVE file or from an MPEG audio file, or as a movie when neither reader takes
// the file, optionally placed in 3D, added to the table.
#include <algorithm>
#include <cstring>
#include <new>

#include "engine/member_media.h"
#include "engine/movie_services.h"
#include "engine/output_device.h"
#include "engine/sound_engine.h"
#include "engine/sound_table.h"
#include "engine/engine_handlers.h"
#include "frame/messages.h"
#include "sounds/movie_sound.h"
#include "sounds/stream_sound.h"
#include "sounds/wave_file_sound.h"

namespace sonidrax {

namespace {

constexpr int32_t kNoDirectSoundError = -5;

// Where the new sound goes in 3D space, when the script asked for it.
struct Placement {
    bool is3D = false;
    D3DVECTOR position = {};
};

// Reads the optional position list at an argument position: anything but a
// list leaves the sound without 3D; a list must hold three numbers.
Status ReadPlacement(ScriptCall& call, int32_t position, Placement& placement) {
    int32_t type = 0;
    Status status = call.typeOf(position, &type);
    if (status != kOk || type != kValueList) return status;
    status = ReadVectorArgument(call.instance(), call.info(), position + 1, &placement.position.x,
                                &placement.position.y, &placement.position.z);
    placement.is3D = status == kOk;
    return status;
}

const char* FailureMessage(Status status) {
    if (status == kFileNotFound) return messages::kFileNotFound;
    if (status == kUnsupportedFormat) return messages::kUnsupportedFormat;
    return messages::kCannotParse;
}

Status Fail(ScriptCall& call, Status status) { return call.fail(status, FailureMessage(status)); }

// The member form: (me, member[, position]).
Status OpenMemberSound(ScriptCall& call, bool reverse, SoundBuffer*& opened, Placement& placement) {
    SoundXtra& xtra = XtraOf(call);
    MediaRequest request;
    Status status = FetchMemberMedia(xtra, *call.argument(1), request);
    if (status != kOk) return status;
    // The media goes back to the host on every path from here on.
    if (call.argCount() == 3) status = ReadPlacement(call, 2, placement);
    WaveFileSound* sound = nullptr;
    if (status == kOk) {
        sound = new (std::nothrow) WaveFileSound(SoundContextOf(xtra), reverse);
        if (sound == nullptr) status = kOutOfMemory;
    }
    if (sound != nullptr) {
        if (placement.is3D) sound->SetIs3D(true);
        status = sound->OpenMemory(reinterpret_cast<HGLOBAL>(request.mediaData), 0);
        if (status != kOk) call.show(messages::kBadMember);
    }
    ReleaseMemberMedia(xtra, request);
    if (status != kOk) {
        delete sound;
        return status;
    }
    opened = sound;
    return kOk;
}

// The path a script names: as given inside a browser, else as the host resolves it.
// A resolved path too long for a path is refused: cut short, it could name
// another file than the script meant.
bool ResolvePath(ScriptCall& call, const TextBuffer& name, TextBuffer& path) {
    SoundXtra& xtra = XtraOf(call);
    if (xtra.inPlugin || xtra.hostPlayer == nullptr) {
        lstrcpynA(path, name, kTextSize);
        return true;
    }
    char resolved[2 * kTextSize] = {};
    xtra.hostPlayer->ops->ResolveFileName(xtra.hostPlayer, name, resolved, sizeof resolved);
    resolved[sizeof resolved - 1] = '\0';
    if (std::strlen(resolved) >= kTextSize) return false;
    lstrcpynA(path, resolved, kTextSize);
    return true;
}

// A name whose last three characters are "mp3", in any case, is an MPEG stream,
// whatever stands before them; a shorter name is compared whole.
bool IsStreamName(const char* path) {
    size_t length = std::strlen(path);
    return lstrcmpiA(length > 3 ? path + length - 3 : path, "mp3") == 0;
}

SoundBuffer* MakeFileSound(SoundXtra& xtra, const char* path, bool reverse) {
    if (IsStreamName(path)) {
        return new (std::nothrow)
            StreamSound(SoundContextOf(xtra), reverse, StreamModules{&xtra.fileInputModule, &xtra.codecModule});
    }
    return new (std::nothrow) WaveFileSound(SoundContextOf(xtra), reverse);
}

// The fall-back for a file the chosen reader refused: a movie sound, never 3D,
// when the movie service runs or can be started now.
Status OpenMovieSound(SoundXtra& xtra, const char* path, uint32_t bufferBytes, bool reverse, SoundBuffer*& opened) {
    if (!xtra.quickTimeReady) return kUnsupportedFormat;
    auto* movie = new (std::nothrow) MovieSound(SoundContextOf(xtra), reverse);
    if (movie == nullptr) return kUnsupportedFormat;
    if (!EnsureMovieToolbox(xtra)) {
        delete movie;
        return kUnsupportedFormat;
    }
    Status status = movie->OpenFile(path, bufferBytes);
    if (status != kOk) {
        delete movie;
        return status;
    }
    opened = movie;
    return kOk;
}

// A name longer than a path may be would arrive cut short and could open
// another file than the script meant.
bool NameFits(const ScriptCall& call, int32_t position) {
    HostValues* values = call.instance().hostValues;
    int32_t length = 0;
    if (values->ops->StringLength(values, call.argument(position), &length) != kOk) return true;
    return length < kTextSize;
}

// The file form: (me, name[, buffer size[, position]]). Without a buffer size
// the whole data is loaded.
Status OpenFileSound(ScriptCall& call, bool reverse, SoundBuffer*& opened, Placement& placement) {
    if (!NameFits(call, 1)) return kUnsupportedFormat;
    TextBuffer name;
    TextBuffer path;
    call.text(1, name);
    if (!ResolvePath(call, name, path)) return kUnsupportedFormat;
    const int32_t bufferBytes = call.integer(2, 0);
    if (call.argCount() == 4) {
        Status status = ReadPlacement(call, 3, placement);
        if (status != kOk) return status;
    }
    SoundBuffer* sound = MakeFileSound(XtraOf(call), path, reverse);
    if (sound != nullptr) {
        if (placement.is3D) sound->SetIs3D(true);
        if (sound->OpenFile(path, static_cast<uint32_t>(bufferBytes)) == kOk) {
            opened = sound;
            return kOk;
        }
    }
    // Whatever the reader said, the movie service decides what the script hears
    // about a file the reader cannot take.
    delete sound;
    return OpenMovieSound(XtraOf(call), path, static_cast<uint32_t>(bufferBytes), reverse, opened);
}

}  // namespace

Status DsNewSound(ScriptCall& call, int32_t reverse) {
    SoundXtra& xtra = XtraOf(call);
    if (xtra.currentDevice == nullptr) {
        return call.fail(kNoDevice, messages::kNotInitialized, kNoDirectSoundError);
    }
    int32_t type = 0;
    Status status = call.typeOf(1, &type);
    if (status != kOk) return Fail(call, status);

    Placement placement;
    SoundBuffer* sound = nullptr;
    if (type == kValueString) {
        status = OpenFileSound(call, reverse != 0, sound, placement);
    } else if (type == kValueMemberRef) {
        status = OpenMemberSound(call, reverse != 0, sound, placement);
    } else {
        status = kBadSoundSource;
    }
    if (status != kOk) return Fail(call, status);

    sound->FinishOpening(placement.position, xtra.applyMode);
    // A 3D sound is heard relative to a listener, which the device has from now on.
    if (sound->Buffer3D() != nullptr) GetListener(xtra);
    AddSound(xtra, sound);
    return call.finish(kOk, static_cast<int32_t>(sound->Id()));
}

}  // namespace sonidrax
