// The table of operations the decoder offers to its modules.
#include "decoder/codec_call.h"
#include "decoder/decoder_internals.h"

namespace sonidrax::decoder {
namespace {

// Reads are all or nothing: a codec that gets 0 has all count bytes.
Status ReadInput(Decoder* d, void* buffer, std::int32_t count) {
    if (d == nullptr || count < 0 || (buffer == nullptr && count > 0)) return kInvalidParameters;
    if (d->input.state != kOpen) return InternalError(d, "input not open");
    if (count == 0) return kSuccess;
    InputFilterElement* head = d->internals->inputChain;
    const std::int32_t got = head->filter.read(head, buffer, count);
    if (got < 0) return got;
    if (got == 0) return kEndOfInput;
    // An input that hands over part of a block breaks the contract; the codec
    // cannot use the part, so it counts as the end of the input.
    if (got != count) {
        d->input.bytesConsumed += static_cast<std::uint32_t>(got < count ? got : count);
        return kEndOfInput;
    }
    d->input.bytesConsumed += static_cast<std::uint32_t>(got);
    return kSuccess;
}

Status SeekInput(Decoder* d, std::uint32_t byteOffset) {
    if (d == nullptr) return kInvalidParameters;
    if (d->input.state != kOpen) return InternalError(d, "input not open");
    InputFilterElement* head = d->internals->inputChain;
    const Status s = head->filter.seek(head, byteOffset);
    if (s == kSuccess) d->input.bytesConsumed = byteOffset;
    return s;
}

Status ResetCodec(Decoder* d) {
    if (d == nullptr) return kInvalidParameters;
    const CodecModule* module = d->codec.module;
    void* instance = d->codec.instance;
    if (instance == nullptr || module == nullptr || module->reset == nullptr) return kSuccess;
    return GuardedCodecCall(d, [&] { return module->reset(instance); });
}

PropertyList* StatusList(Decoder* d) { return d == nullptr ? nullptr : d->status.statusProperties; }
PropertyList* DecoderList(Decoder* d) { return d == nullptr ? nullptr : d->internals->decoderProperties; }

// Status property writes mark the status properties as changed.
Status Marked(Decoder* d, Status s) {
    if (s == kSuccess) d->status.changedBits |= kStatusPropertiesChanged;
    return s;
}

Status SetIntegerStatus(Decoder* d, const char* name, std::int32_t value) {
    if (d == nullptr) return kInvalidParameters;
    return Marked(d, SetIntegerProperty(StatusList(d), name, value));
}
Status GetIntegerStatus(Decoder* d, const char* name, std::int32_t* valueOut) {
    return GetIntegerProperty(StatusList(d), name, valueOut);
}
Status SetStringStatus(Decoder* d, const char* name, const char* text) {
    if (d == nullptr) return kInvalidParameters;
    return Marked(d, SetStringProperty(StatusList(d), name, text));
}
Status GetStringStatus(Decoder* d, const char* name, char* textOut) {
    return GetStringProperty(StatusList(d), name, textOut);
}
Status DeleteStatus(Decoder* d, const char* name) {
    if (d == nullptr) return kInvalidParameters;
    return Marked(d, DeleteProperty(StatusList(d), name));
}

Status SetIntegerSetting(Decoder* d, const char* name, std::int32_t value) {
    return SetIntegerProperty(DecoderList(d), name, value);
}
Status GetIntegerSetting(Decoder* d, const char* name, std::int32_t* valueOut) {
    return GetIntegerProperty(DecoderList(d), name, valueOut);
}
Status SetStringSetting(Decoder* d, const char* name, const char* text) {
    return SetStringProperty(DecoderList(d), name, text);
}
Status GetStringSetting(Decoder* d, const char* name, char* textOut) {
    return GetStringProperty(DecoderList(d), name, textOut);
}
Status DeleteSetting(Decoder* d, const char* name) { return DeleteProperty(DecoderList(d), name); }
Status AddSettingWatcher(Decoder* d, const char* name, void* client, PropertyWatchCallback callback,
                         PropertyWatcher** handleOut) {
    return AddPropertyWatcher(DecoderList(d), name, client, callback, handleOut);
}
Status RemoveSettingWatcher(Decoder* d, PropertyWatcher* handle) {
    return RemovePropertyWatcher(DecoderList(d), handle);
}

}  // namespace

void InstallServices(Decoder* decoder) {
    decoder->services = DecoderServices{
        ReadInput,        SeekInput,        ResetCodec,    SetIntegerStatus,  GetIntegerStatus,
        SetStringStatus,  GetStringStatus,  DeleteStatus,  SetIntegerSetting, GetIntegerSetting,
        SetStringSetting, GetStringSetting, DeleteSetting, AddSettingWatcher, RemoveSettingWatcher,
    };
}

}  // namespace sonidrax::decoder
