#include <cstring>
#include <new>

#include "decoder/codec_call.h"
#include "decoder/decoder_internals.h"
#include "decoder/text.h"

namespace sonidrax::decoder {
namespace {

// A required method and the text that reports its absence.
struct Requirement {
    bool present;
    const char* detail;
};

Status CheckRequired(const Decoder* decoder, std::initializer_list<Requirement> requirements) {
    for (const Requirement& r : requirements) {
        if (!r.present) return InternalError(decoder, r.detail);
    }
    return kSuccess;
}

template <class Descriptor>
Status AddRecord(RegistryRecord<Descriptor>*& head, std::int32_t& count, const Descriptor& descriptor) {
    auto* record = new (std::nothrow) RegistryRecord<Descriptor>{};
    if (record == nullptr) return kOutOfMemory;
    record->head.id = head == nullptr ? 0 : head->head.id + 1;
    record->module = descriptor;
    record->previous = head;
    head = record;
    ++count;
    return record->head.id;
}

template <class Descriptor>
const RegistryRecord<Descriptor>* FindRecord(const RegistryRecord<Descriptor>* head, std::int32_t moduleId) {
    for (; head != nullptr; head = head->previous) {
        if (head->head.id == moduleId) return head;
    }
    return nullptr;
}

template <class Descriptor>
void FreeRecords(RegistryRecord<Descriptor>*& head) {
    while (head != nullptr) {
        RegistryRecord<Descriptor>* record = head;
        head = record->previous;
        delete record;
    }
}

// The answers for a module that has no query method.
Status DefaultQuery(ModuleInfo* info, std::int32_t flags) {
    if ((flags & kQueryModule) != 0) {
        CopyIntoField(info->name, sizeof info->name, "unknown module name");
        info->description[0] = '\0';
    }
    if ((flags & kQueryDeviceCount) != 0) info->index = 1;
    if ((flags & kQueryDevice) != 0 && (flags & kQueryModule) == 0) {
        if (info->index != 0) return kInvalidParameters;
        CopyIntoField(info->name, sizeof info->name, "unknown device name");
        info->description[0] = '\0';
        info->flags = kDeviceNameIsPattern;
    }
    return kSuccess;
}

template <class Descriptor>
Status QueryRecord(const RegistryRecord<Descriptor>* head, std::int32_t moduleId, ModuleInfo* info,
                   std::int32_t flags) {
    if (info == nullptr) return kInvalidParameters;
    const RegistryRecord<Descriptor>* record = FindRecord(head, moduleId);
    if (record == nullptr) return kNoSuchModule;
    if (record->module.query == nullptr) return DefaultQuery(info, flags);
    return record->module.query(info, flags);
}

}  // namespace

Status RegisterInputModule(Decoder* decoder, const InputModule* descriptor) {
    if (decoder == nullptr || descriptor == nullptr) return kInvalidParameters;
    if (!IsAcceptedVersion(descriptor->version)) return kVersionMismatch;
    const Status check =
        CheckRequired(decoder, {
                                   {descriptor->newInstance != nullptr, "null 'new' method in module"},
                                   {descriptor->deleteInstance != nullptr, "null 'delete' method in module"},
                                   {descriptor->open != nullptr, "null 'open' method in module"},
                                   {descriptor->close != nullptr, "null 'close' method in module"},
                                   {descriptor->read != nullptr, "null 'read' method in module"},
                               });
    if (check != kSuccess) return check;
    return AddRecord(decoder->internals->inputModules, decoder->moduleCounts[kInputKind], *descriptor);
}

Status RegisterOutputModule(Decoder* decoder, const OutputModule* descriptor) {
    if (decoder == nullptr || descriptor == nullptr) return kInvalidParameters;
    if (!IsAcceptedVersion(descriptor->version)) return kVersionMismatch;
    const Status check =
        CheckRequired(decoder, {
                                   {descriptor->newInstance != nullptr, "null 'new' method in module"},
                                   {descriptor->deleteInstance != nullptr, "null 'delete' method in module"},
                                   {descriptor->open != nullptr, "null 'open' method in module"},
                                   {descriptor->close != nullptr, "null 'close' method in module"},
                                   {descriptor->write != nullptr, "null 'write' method in module"},
                               });
    if (check != kSuccess) return check;
    return AddRecord(decoder->internals->outputModules, decoder->moduleCounts[kOutputKind], *descriptor);
}

Status RegisterCodecModule(Decoder* decoder, const CodecModule* descriptor) {
    if (decoder == nullptr || descriptor == nullptr) return kInvalidParameters;
    if (!IsAcceptedVersion(descriptor->version)) return kVersionMismatch;
    const Status check =
        CheckRequired(decoder, {
                                   {descriptor->query != nullptr, "null 'query' method"},
                                   {descriptor->probe != nullptr, "null 'probe' method in module"},
                                   {descriptor->newInstance != nullptr, "null 'new' method in module"},
                                   {descriptor->deleteInstance != nullptr, "null 'delete' method in module"},
                                   {descriptor->decode != nullptr, "null 'decode' method in module"},
                               });
    if (check != kSuccess) return check;
    return AddRecord(decoder->internals->codecModules, decoder->moduleCounts[kCodecKind], *descriptor);
}

Status QueryInputModule(Decoder* decoder, std::int32_t moduleId, ModuleInfo* info, std::int32_t flags) {
    if (decoder == nullptr) return kInvalidParameters;
    return QueryRecord(decoder->internals->inputModules, moduleId, info, flags);
}

Status QueryOutputModule(Decoder* decoder, std::int32_t moduleId, ModuleInfo* info, std::int32_t flags) {
    if (decoder == nullptr) return kInvalidParameters;
    return QueryRecord(decoder->internals->outputModules, moduleId, info, flags);
}

Status QueryCodecModule(Decoder* decoder, std::int32_t moduleId, ModuleInfo* info, std::int32_t flags) {
    if (decoder == nullptr || info == nullptr) return kInvalidParameters;
    const CodecModuleRecord* record = FindCodecModule(decoder, moduleId);
    if (record == nullptr) return kNoSuchModule;
    return GuardedCodecCall(decoder, [&] { return record->module.query(info, flags); });
}

const InputModuleRecord* FindInputModule(const Decoder* decoder, std::int32_t moduleId) {
    return FindRecord<InputModule>(decoder->internals->inputModules, moduleId);
}

const OutputModuleRecord* FindOutputModule(const Decoder* decoder, std::int32_t moduleId) {
    return FindRecord<OutputModule>(decoder->internals->outputModules, moduleId);
}

const CodecModuleRecord* FindCodecModule(const Decoder* decoder, std::int32_t moduleId) {
    return FindRecord<CodecModule>(decoder->internals->codecModules, moduleId);
}

const CodecModuleRecord* CodecRecordOf(const Decoder* decoder, const CodecModule* module) {
    for (const CodecModuleRecord* r = decoder->internals->codecModules; r != nullptr; r = r->previous) {
        if (&r->module == module) return r;
    }
    return nullptr;
}

void FreeRegistries(Decoder* decoder) {
    FreeRecords(decoder->internals->inputModules);
    FreeRecords(decoder->internals->outputModules);
    FreeRecords(decoder->internals->codecModules);
}

}  // namespace sonidrax::decoder
