// dsGetSoundInfo: the title, artist and album of a sound's file, from the ID3
// version 1 tag at its end.
#include "control/control_arguments.h"
#include "control/file_tail.h"
#include "control/control_handlers.h"
#include "sounds/sound_buffer.h"

namespace sonidrax {

namespace {

void AppendString(ScriptInstance& instance, ScriptValue& list, int32_t position, const char* text) {
    ScriptValue value = {};
    instance.hostValues->ops->FromString(instance.hostValues, text, &value);
    instance.hostLists->ops->SetAt(instance.hostLists, &list, position, &value);
}

}  // namespace

// An empty list for a sound without a file (a member, a duplicate of one), a file
// without a tag, and a file that cannot be opened (-3).
Status DsGetSoundInfo(ScriptCall& call) {
    ScriptInstance& instance = call.instance();
    ScriptValue& result = call.info().result;
    instance.hostLists->ops->NewList(instance.hostLists, &result);
    SoundBuffer* sound = SoundArgument(call);
    if (sound == nullptr || sound->FileName()[0] == '\0') return call.finish(kOk);

    uint8_t block[decoder::kId3v1TagBytes] = {};
    bool found = false;
    const Status status = ReadFileTail(sound->FileName(), block, &found);
    decoder::Id3v1Tag tag{};
    if (status == kOk && found && decoder::ParseId3v1Tag(block, decoder::TrailingBlanks::kKeep, &tag)) {
        AppendString(instance, result, 1, tag.title);
        AppendString(instance, result, 2, tag.artist);
        AppendString(instance, result, 3, tag.album);
    }
    return call.finish(status);
}

}  // namespace sonidrax
