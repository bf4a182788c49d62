#include "decoder/file_input.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include "decoder/decoder.h"
#include "decoder/id3v1_tag.h"
#include "decoder/stdio_file.h"
#include "decoder/text.h"

namespace sonidrax::decoder {
namespace {

struct FileInputInstance {
    char* name;
    const ModuleRecord* moduleRecord;
    Decoder* decoder;
    std::FILE* file;
};

constexpr const char* kStandardInputName = "-";
constexpr const char* kOpenFailure = "cannot open input file";

FileInputInstance* Self(void* instance) { return static_cast<FileInputInstance*>(instance); }

bool IsStandardInput(const FileInputInstance* self) { return self->file == stdin; }

// Only names that end in the exact lower-case ".mp3" after at least one character
// carry a tag worth reading.
bool NamesMp3(const char* name) {
    const std::size_t length = std::strlen(name);
    return length > 4 && std::strcmp(name + length - 4, ".mp3") == 0;
}

Status ReportOpenFailure(const FileInputInstance* self, int error) {
    const char* detail = SystemErrorText(error);
    Status status = kCannotOpenFile;
    if (error == ENOENT) {
        detail = "file not found";
        status = kFileNotFound;
    } else if (error == EACCES) {
        detail = "permission denied";
        status = kPermissionDenied;
    }
    ReportError(self->decoder, self->moduleRecord->id, kOpenFailure, detail);
    return status;
}

Status Probe(const char*) { return kSuccess; }

Status Query(ModuleInfo* info, std::int32_t flags) {
    if (info == nullptr) return kInvalidParameters;
    if ((flags & kQueryModule) != 0) {
        CopyIntoField(info->name, sizeof info->name, "Input From File");
        CopyIntoField(info->description, sizeof info->description, "Version 1.2");
    }
    if ((flags & kQueryDeviceCount) != 0) info->index = 2;
    if ((flags & kQueryDevice) != 0 && (flags & kQueryModule) == 0) {
        if (info->index == 0) {
            CopyIntoField(info->name, sizeof info->name, "*");
            CopyIntoField(info->description, sizeof info->description, "any file name");
            info->flags = kDeviceNameIsPattern;
        } else if (info->index == 1) {
            CopyIntoField(info->name, sizeof info->name, kStandardInputName);
            CopyIntoField(info->description, sizeof info->description, "standard input");
            info->flags = 0;
        } else {
            return kInvalidParameters;
        }
    }
    return kSuccess;
}

Status New(void** instanceOut, const char* name, const ModuleRecord* record, Decoder* decoder) {
    if (instanceOut == nullptr || record == nullptr || name == nullptr || name[0] == '\0') {
        ReportError(decoder, record != nullptr ? record->id : 0, "internal error",
                    "null params or null/empty input name");
        return kInvalidParameters;
    }
    auto* self = new (std::nothrow) FileInputInstance{};
    if (self == nullptr) return kOutOfMemory;
    self->name = CopyText(name);
    if (self->name == nullptr) {
        delete self;
        return kOutOfMemory;
    }
    self->moduleRecord = record;
    self->decoder = decoder;
    *instanceOut = self;
    return kSuccess;
}

Status Close(void* instance);

Status Delete(void* instance) {
    FileInputInstance* self = Self(instance);
    if (self == nullptr) return kSuccess;
    Close(self);
    FreeText(self->name);
    delete self;
    return kSuccess;
}

Status Open(void* instance) {
    FileInputInstance* self = Self(instance);
    if (self == nullptr) return kInvalidParameters;
    Close(self);
    if (std::strcmp(self->name, kStandardInputName) == 0) {
        UseBinaryMode(stdin);
        self->file = stdin;
        return kSuccess;
    }
    errno = 0;
    self->file = std::fopen(self->name, "rb");
    if (self->file == nullptr) return ReportOpenFailure(self, errno);
    if (IsDirectory(self->file)) {
        std::fclose(self->file);
        self->file = nullptr;
        return ReportOpenFailure(self, EISDIR);
    }
    if (NamesMp3(self->name)) ReadId3v1Tag(self->decoder, self->file);
    return kSuccess;
}

Status Close(void* instance) {
    FileInputInstance* self = Self(instance);
    if (self == nullptr) return kInvalidParameters;
    if (self->file != nullptr && !IsStandardInput(self)) std::fclose(self->file);
    self->file = nullptr;
    return kSuccess;
}

// A block is delivered whole or not at all: a short block at the end of the file
// counts as the end of the input.
std::int32_t Read(void* instance, void* buffer, std::int32_t count) {
    FileInputInstance* self = Self(instance);
    if (self == nullptr || self->file == nullptr || buffer == nullptr || count <= 0) return 0;
    return std::fread(buffer, static_cast<std::size_t>(count), 1, self->file) == 1 ? count : 0;
}

Status Seek(void* instance, std::uint32_t byteOffset) {
    FileInputInstance* self = Self(instance);
    if (self == nullptr || self->file == nullptr) return kNotAvailable;
    return SeekFileTo(self->file, byteOffset) ? kSuccess : kNotAvailable;
}

std::uint32_t Caps(void* instance) {
    const FileInputInstance* self = Self(instance);
    if (self == nullptr || self->file == nullptr || IsStandardInput(self)) return 0;
    return kInputSeekable;
}

std::uint32_t Size(void* instance) {
    const FileInputInstance* self = Self(instance);
    return self == nullptr ? 0 : SizeOfOpenFile(self->file);
}

}  // namespace

Status GetFileInputModule(InputModule* descriptor) {
    if (descriptor == nullptr) return kInvalidParameters;
    *descriptor = InputModule{kModuleVersion, Probe, Query, New, Delete, Open, Close, Read, Seek, Caps, Size, nullptr};
    return kSuccess;
}

}  // namespace sonidrax::decoder
