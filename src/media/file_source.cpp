#include <cstdio>

#include "media/audio_file.h"

namespace sonidrax::media {
namespace {

// Sound files may pass 2 GiB, so every seek and tell is a 64-bit one, on Windows
// through the C runtime's own 64-bit calls.
bool seekTo(std::FILE* file, uint64_t offset) {
    if (offset > static_cast<uint64_t>(INT64_MAX)) return false;
#ifdef _WIN32
    return _fseeki64(file, static_cast<__int64>(offset), SEEK_SET) == 0;
#else
    return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

int64_t sizeOf(std::FILE* file) {
#ifdef _WIN32
    if (_fseeki64(file, 0, SEEK_END) != 0) return -1;
    return _ftelli64(file);
#else
    if (fseeko(file, 0, SEEK_END) != 0) return -1;
    return ftello(file);
#endif
}

class FileSource : public ByteSource {
public:
    FileSource(std::FILE* file, uint64_t size) : file_(file), size_(size) {}
    ~FileSource() override { std::fclose(file_); }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    size_t readAt(uint64_t offset, void* into, size_t size) override {
        if (size == 0 || offset >= size_) return 0;
        if (!seekTo(file_, offset)) return 0;
        const size_t read = std::fread(into, 1, size, file_);
        if (read < size) std::clearerr(file_);
        return read;
    }

    uint64_t size() const override { return size_; }

private:
    std::FILE* file_;
    uint64_t size_;
};

}  // namespace

std::unique_ptr<ByteSource> openFileSource(const char* path) {
    if (path == nullptr || path[0] == '\0') return nullptr;
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return nullptr;
    const int64_t size = sizeOf(file);
    if (size < 0) {
        std::fclose(file);
        return nullptr;
    }
    return std::make_unique<FileSource>(file, static_cast<uint64_t>(size));
}

}  // namespace sonidrax::media
