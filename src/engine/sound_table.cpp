#include "engine/sound_table.h"

#include "engine/engine_handlers.h"
#include "frame/messages.h"
#include "sounds/sound_buffer.h"

namespace sonidrax {

namespace {

// An id that names no sound is looked up as 1, as the host may leave the
// integer unwritten.
int32_t SoundIdOf(const SoundXtra& xtra, const ScriptValue* idValue) {
    int32_t id = 1;
    if (idValue != nullptr) xtra.hostValues->ops->ToInteger(xtra.hostValues, idValue, &id);
    return id;
}

}  // namespace

SoundBuffer* FindSound(SoundXtra& xtra, const ScriptValue* idValue) {
    const int32_t id = SoundIdOf(xtra, idValue);
    for (SoundBuffer* sound = xtra.sounds; sound != nullptr; sound = sound->Next()) {
        if (static_cast<int32_t>(sound->Id()) == id) return sound;
    }
    ShowMessage(xtra, messages::kInvalidSoundId);
    return nullptr;
}

// Ids strictly increase along the chain, so the last sound holds the highest.
void AddSound(SoundXtra& xtra, SoundBuffer* sound) {
    sound->SetNext(nullptr);
    if (xtra.sounds == nullptr) {
        sound->SetId(1);
        xtra.sounds = sound;
        return;
    }
    SoundBuffer* last = xtra.sounds;
    while (last->Next() != nullptr) last = last->Next();
    sound->SetId(last->Id() + 1);
    last->SetNext(sound);
}

void DeleteAllSounds(SoundXtra& xtra) {
    while (SoundBuffer* sound = xtra.sounds) {
        xtra.sounds = sound->Next();
        delete sound;
    }
}

// A playing sound is destroyed without being stopped first: releasing its
// buffer silences it. An unknown id is not an error here.
Status DsDeleteSound(ScriptCall& call) {
    SoundXtra& xtra = XtraOf(call);
    const int32_t id = SoundIdOf(xtra, call.argument(1));
    SoundBuffer* previous = nullptr;
    for (SoundBuffer* sound = xtra.sounds; sound != nullptr; previous = sound, sound = sound->Next()) {
        if (static_cast<int32_t>(sound->Id()) != id) continue;
        if (previous == nullptr) {
            xtra.sounds = sound->Next();
        } else {
            previous->SetNext(sound->Next());
        }
        delete sound;
        break;
    }
    return call.finish(kOk, 0);
}

Status DsDeleteAllSounds(ScriptCall& call) {
    DeleteAllSounds(XtraOf(call));
    return call.finish(kOk, 0);
}

}  // namespace sonidrax
