// dsDuplicateSound (and dsDupSound): a second sound on the same sample memory
// with its own DirectSound buffer, cursor, volume, pan and frequency.
#include <new>

#include "engine/sound_engine.h"
#include "engine/sound_table.h"
#include "engine/engine_handlers.h"
#include "frame/messages.h"
#include "sounds/sound_buffer.h"

namespace sonidrax {

Status DsDuplicateSound(ScriptCall& call) {
    SoundXtra& xtra = XtraOf(call);
    SoundBuffer* source = FindSound(xtra, call.argument(1));
    if (source == nullptr) return call.finish(kOk);
    // A streaming sound's buffer holds only part of its data; a movie sound has
    // no buffer to duplicate, which the attempt below reports.
    if (source->Streaming() && source->Kind() != kMovieKind) return call.finish(kOk, 0);

    auto* copy = new (std::nothrow) SoundBuffer(SoundContextOf(xtra), source->Kind(), source->Reversed());
    if (copy == nullptr) return call.finish(kOutOfMemory);
    Status status = copy->CopyStateFrom(*source);
    if (status == kOk) {
        status = copy->DuplicateBufferOf(*source);
        if (status != kOk) call.show(messages::kDuplicateFailed);
    }
    if (status != kOk) {
        delete copy;
        return call.finish(status);
    }
    AddSound(xtra, copy);
    return call.finish(kOk, static_cast<int32_t>(copy->Id()));
}

}  // namespace sonidrax
