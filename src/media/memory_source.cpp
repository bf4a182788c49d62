#include <cstring>

#include "media/audio_file.h"

namespace sonidrax::media {
namespace {

class MemorySource : public ByteSource {
public:
    MemorySource(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    size_t readAt(uint64_t offset, void* into, size_t size) override {
        if (offset >= size_) return 0;
        const size_t available = static_cast<size_t>(size_ - offset);
        const size_t count = size < available ? size : available;
        if (count > 0) std::memcpy(into, data_ + offset, count);
        return count;
    }

    uint64_t size() const override { return size_; }

private:
    const uint8_t* data_;
    size_t size_;
};

}  // namespace

std::unique_ptr<ByteSource> openMemorySource(const uint8_t* data, size_t size) {
    if (data == nullptr) size = 0;
    return std::make_unique<MemorySource>(data, size);
}

}  // namespace sonidrax::media
