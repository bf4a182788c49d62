#include "decoder/file_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include "decoder/decoder.h"
#include "decoder/stdio_file.h"
#include "decoder/text.h"
#include "decoder/wave_header.h"

namespace sonidrax::decoder {
namespace {

enum class FileFormat : std::int32_t { kRaw = 0, kWave = 1, kAiff = 2, kSun = 3 };

struct FileOutputInstance {
    char* name;
    const ModuleRecord* moduleRecord;
    Decoder* decoder;
    std::FILE* file;
    std::uint32_t bytesWritten;
    std::int32_t sampleRate;
    std::int32_t channels;
    FileFormat format;
    bool headerWritten;
    bool swapBytes;  // never set: samples go out little-endian as decoded
};

struct Prefix {
    const char* text;
    FileFormat format;
};

// AIFF and Sun files get no header of their own: they hold raw samples.
constexpr Prefix kPrefixes[] = {
    {"raw:", FileFormat::kRaw},
    {"wav:", FileFormat::kWave},
    {"aiff:", FileFormat::kAiff},
    {"sun:", FileFormat::kSun},
};
constexpr const char* kStandardOutputName = "-";
constexpr const char* kOpenFailure = "cannot open output file";

FileOutputInstance* Self(void* instance) { return static_cast<FileOutputInstance*>(instance); }

// The format the name asks for, and the file name after the prefix.
const char* ParseName(const char* name, FileFormat* format) {
    for (const Prefix& p : kPrefixes) {
        const std::size_t length = std::strlen(p.text);
        if (std::strncmp(name, p.text, length) == 0) {
            *format = p.format;
            return name + length;
        }
    }
    *format = FileFormat::kRaw;
    return name;
}

void WriteHeader(FileOutputInstance* self) {
    if (self->format != FileFormat::kWave) return;
    const auto header = MakeWaveHeader(self->bytesWritten, self->channels, self->sampleRate);
    std::fwrite(header.data(), header.size(), 1, self->file);
}

Status Probe(const char*) { return kSuccess; }

Status Query(ModuleInfo* info, std::int32_t flags) {
    if (info == nullptr) return kInvalidParameters;
    if ((flags & kQueryModule) != 0) {
        CopyIntoField(info->name, sizeof info->name, "Output To File");
        CopyIntoField(info->description, sizeof info->description, "Version 1.2");
    }
    if ((flags & kQueryDeviceCount) != 0) info->index = 3;
    if ((flags & kQueryDevice) != 0 && (flags & kQueryModule) == 0) {
        struct Device {
            const char* name;
            const char* description;
            std::int32_t flags;
        };
        static constexpr Device kDevices[] = {
            {"*, or raw:*", "file name (raw PCM format)", kDeviceNameIsPattern},
            {"wav:*", "file name (WAV format)", kDeviceNameIsPattern},
            {kStandardOutputName, "standard output", 0},
        };
        if (info->index < 0 || info->index > 2) return kInvalidParameters;
        const Device& d = kDevices[info->index];
        CopyIntoField(info->name, sizeof info->name, d.name);
        CopyIntoField(info->description, sizeof info->description, d.description);
        info->flags = d.flags;
    }
    return kSuccess;
}

Status New(void** instanceOut, const char* name, const ModuleRecord* record, Decoder* decoder) {
    if (instanceOut == nullptr || record == nullptr || name == nullptr || name[0] == '\0') {
        ReportError(decoder, record != nullptr ? record->id : 0, "internal error",
                    "null params or null/empty output name");
        return kInvalidParameters;
    }
    auto* self = new (std::nothrow) FileOutputInstance{};
    if (self == nullptr) return kOutOfMemory;
    self->name = CopyText(name);
    if (self->name == nullptr) {
        delete self;
        return kOutOfMemory;
    }
    self->moduleRecord = record;
    self->decoder = decoder;
    self->sampleRate = 44100;
    self->channels = 2;
    *instanceOut = self;
    return kSuccess;
}

Status Close(void* instance);

Status Delete(void* instance) {
    FileOutputInstance* self = Self(instance);
    if (self == nullptr) return kSuccess;
    if (self->file != nullptr) Close(self);
    FreeText(self->name);
    delete self;
    return kSuccess;
}

Status Open(void* instance) {
    FileOutputInstance* self = Self(instance);
    if (self == nullptr) return kInvalidParameters;
    if (self->file != nullptr) Close(self);
    self->bytesWritten = 0;
    self->headerWritten = false;
    self->sampleRate = 44100;
    self->channels = 2;
    const char* path = ParseName(self->name, &self->format);
    if (std::strcmp(path, kStandardOutputName) == 0) {
        UseBinaryMode(stdout);
        self->file = stdout;
        return kSuccess;
    }
    errno = 0;
    self->file = std::fopen(path, "wb");
    if (self->file != nullptr) return kSuccess;
    const int error = errno;
    const bool denied = error == EACCES;
    ReportError(self->decoder, self->moduleRecord->id, kOpenFailure,
                denied ? "permission denied" : SystemErrorText(error));
    return denied ? kPermissionDenied : kCannotOpenFile;
}

// Rewrites the header with the final sizes when the stream can go back to its
// start (a pipe keeps the header of the first write). A stream that fails to
// flush has lost samples, which is reported rather than hidden.
Status Close(void* instance) {
    FileOutputInstance* self = Self(instance);
    if (self == nullptr) return kInvalidParameters;
    if (self->file == nullptr) return kSuccess;
    if (self->format != FileFormat::kRaw && SeekFileTo(self->file, 0)) WriteHeader(self);
    const bool closed = std::fclose(self->file) == 0;
    self->file = nullptr;
    if (closed) return kSuccess;
    ReportError(self->decoder, self->moduleRecord->id, "cannot write output file", SystemErrorText(errno));
    return kCannotOpenFile;
}

std::int32_t Write(void* instance, const void* pcm, std::int32_t byteCount, std::int32_t, std::int32_t channels,
                   std::int32_t sampleRate) {
    FileOutputInstance* self = Self(instance);
    if (self == nullptr || self->file == nullptr || pcm == nullptr || byteCount <= 0) return 0;
    if (!self->headerWritten) {
        self->sampleRate = sampleRate;
        self->channels = channels;
        WriteHeader(self);
        self->headerWritten = true;
    }
    if (std::fwrite(pcm, static_cast<std::size_t>(byteCount), 1, self->file) != 1) return 0;
    self->bytesWritten += static_cast<std::uint32_t>(byteCount);
    return byteCount;
}

}  // namespace

Status GetFileOutputModule(OutputModule* descriptor) {
    if (descriptor == nullptr) return kInvalidParameters;
    *descriptor = OutputModule{kModuleVersion, Probe,   Query,   New,     Delete,  Open,    Close,
                               Write,          nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
    return kSuccess;
}

}  // namespace sonidrax::decoder
