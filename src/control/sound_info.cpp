// dsGetSoundInfo: the title, artist and album of a sound's file, from the ID3
// version 1 tag at its end.
#include "control/control_arguments.h"
#include "control/id3v1_tag.h"
#include "frame/handlers.h"
#include "sounds/sound_buffer.h"

namespace sonidrax {

namespace {

void AppendString(SoundXtra& xtra, ScriptValue& list, int32_t position, const char* text) {
    ScriptValue value = {};
    xtra.hostValues->ops->FromString(xtra.hostValues, text, &value);
    xtra.hostLists->ops->SetAt(xtra.hostLists, &list, position, &value);
}

}  // namespace

// An empty list for a sound without a file (a member, a duplicate of one), a file
// without a tag, and a file that cannot be opened (-3).
Status DsGetSoundInfo(ScriptCall& call) {
    SoundXtra& xtra = call.xtra();
    ScriptValue& result = call.info().result;
    xtra.hostLists->ops->NewList(xtra.hostLists, &result);
    SoundBuffer* sound = SoundArgument(call);
    if (sound == nullptr || sound->fileName[0] == '\0') return call.finish(kOk);

    uint8_t block[kId3v1TagBytes] = {};
    bool found = false;
    const Status status = ReadFileTail(sound->fileName, block, &found);
    Id3v1Fields fields{};
    if (status == kOk && found && ParseId3v1Tag(block, &fields)) {
        AppendString(xtra, result, 1, fields.title);
        AppendString(xtra, result, 2, fields.artist);
        AppendString(xtra, result, 3, fields.album);
    }
    return call.finish(status);
}

}  // namespace sonidrax
