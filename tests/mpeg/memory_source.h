#pragma once
// An in-memory byte source for the frame reader, with read counting and one-shot
// failures, so tests can see how the reader consumes its input.
#include <cstdint>
#include <cstring>
#include <vector>

#include "decoder/status.h"
#include "frame_reader.h"

namespace sonidrax::mpeg::testing {

using decoder::kSuccess;

class MemorySource {
public:
    explicit MemorySource(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
    ByteSource source() { return ByteSource{this, read}; }

    size_t position() const { return position_; }
    int reads = 0;
    int emptyReads = 0;
    // The read with this number (counting from 1) fails with `failCode` and consumes nothing.
    int failRead = 0;
    int32_t failCode = -3;

private:
    static int32_t read(void* context, uint8_t* buffer, uint32_t count) {
        auto& self = *static_cast<MemorySource*>(context);
        ++self.reads;
        if (count == 0) ++self.emptyReads;
        if (self.reads == self.failRead) return self.failCode;
        if (self.bytes_.size() - self.position_ < count) {
            self.position_ = self.bytes_.size();
            return decoder::kEndOfInput;
        }
        std::memcpy(buffer, self.bytes_.data() + self.position_, count);
        self.position_ += count;
        return decoder::kSuccess;
    }

    std::vector<uint8_t> bytes_;
    size_t position_ = 0;
};

}  // namespace sonidrax::mpeg::testing
