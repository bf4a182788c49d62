// dsNewSound and dsReverseSound: a sound from a cast member's WAVE image or from
// a WAVE file, optionally placed in 3D, added to the sound table.
#include <algorithm>
#include <iterator>
#include <new>

#include "engine/member_media.h"
#include "engine/output_device.h"
#include "engine/sound_engine.h"
#include "engine/sound_table.h"
#include "engine/engine_handlers.h"
#include "frame/messages.h"
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
    status = ReadVectorArgument(call.instance(), call.info(), position + 1, &placement.position.x, &placement.position.y,
                                &placement.position.z);
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
void ResolvePath(ScriptCall& call, const TextBuffer& name, TextBuffer& path) {
    SoundXtra& xtra = XtraOf(call);
    if (xtra.inPlugin || xtra.hostPlayer == nullptr) {
        lstrcpynA(path, name, kTextSize);
        return;
    }
    std::fill(std::begin(path), std::end(path), '\0');
    xtra.hostPlayer->ops->ResolveFileName(xtra.hostPlayer, name, path, kTextSize);
    path[kTextSize - 1] = '\0';
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
    ResolvePath(call, name, path);
    const int32_t bufferBytes = call.integer(2, 0);
    if (call.argCount() == 4) {
        Status status = ReadPlacement(call, 3, placement);
        if (status != kOk) return status;
    }
    auto* sound = new (std::nothrow) WaveFileSound(SoundContextOf(XtraOf(call)), reverse);
    if (sound != nullptr) {
        if (placement.is3D) sound->SetIs3D(true);
        if (sound->OpenFile(path, static_cast<uint32_t>(bufferBytes)) == kOk) {
            opened = sound;
            return kOk;
        }
    }
    // Whatever the reader said, a file it cannot take is an unsupported format.
    delete sound;
    return kUnsupportedFormat;
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
