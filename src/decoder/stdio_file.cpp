#include "decoder/stdio_file.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <cstring>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace sonidrax::decoder {
namespace {

#ifdef _WIN32
using FileStatus = struct _stati64;
int StatusOf(std::FILE* file, FileStatus* status) { return _fstati64(_fileno(file), status); }
int DescriptorOf(std::FILE* file) { return _fileno(file); }
#else
using FileStatus = struct stat;
int StatusOf(std::FILE* file, FileStatus* status) { return fstat(fileno(file), status); }
int DescriptorOf(std::FILE* file) { return fileno(file); }
#endif

}  // namespace

bool SeekFileTo(std::FILE* file, std::uint64_t offset) {
#ifdef _WIN32
    return _fseeki64(file, static_cast<__int64>(offset), SEEK_SET) == 0;
#else
    return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

bool SeekFileFromEnd(std::FILE* file, std::uint32_t back) {
#ifdef _WIN32
    return _fseeki64(file, -static_cast<__int64>(back), SEEK_END) == 0;
#else
    return fseeko(file, -static_cast<off_t>(back), SEEK_END) == 0;
#endif
}

std::uint32_t SizeOfOpenFile(std::FILE* file) {
    if (file == nullptr || DescriptorOf(file) < 1) return 0;
    FileStatus status{};
    if (StatusOf(file, &status) != 0 || status.st_size < 0) return 0;
    const auto size = static_cast<std::uint64_t>(status.st_size);
    return size > UINT32_MAX ? 0 : static_cast<std::uint32_t>(size);
}

bool IsDirectory(std::FILE* file) {
    FileStatus status{};
    if (file == nullptr || StatusOf(file, &status) != 0) return false;
    return (status.st_mode & S_IFMT) == S_IFDIR;
}

void UseBinaryMode(std::FILE* stream) {
#ifdef _WIN32
    _setmode(_fileno(stream), _O_BINARY);
#else
    (void)stream;
#endif
}

const char* SystemErrorText(int error) { return std::strerror(error); }

}  // namespace sonidrax::decoder
