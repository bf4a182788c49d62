#pragma once
#include <cstdint>

namespace sonidrax::mpeg {

// A fast reader over the frame buffer's words (bytes most significant first), for the
// tight loops of Layers I and II: up to 64 bits are kept in a register, and words past
// the end read as zeros, so corrupt allocations can never read outside the buffer.
class BitCursor {
 public:
  BitCursor(const uint32_t* words, uint32_t wordCount, uint32_t bitPosition)
      : words_(words), wordCount_(wordCount), next_(bitPosition / 32) {
    refill();
    const unsigned skip = bitPosition % 32;
    cache_ <<= skip;
    count_ -= skip;
  }

  // The next n bits, n from 1 to 32.
  uint32_t get(unsigned n) {
    if (count_ < n) refill();
    const uint32_t value = static_cast<uint32_t>(cache_ >> (64 - n));
    cache_ <<= n;
    count_ -= n;
    return value;
  }

 private:
  void refill() {
    while (count_ <= 32) {
      const uint32_t word = next_ < wordCount_ ? words_[next_] : 0;
      ++next_;
      cache_ |= static_cast<uint64_t>(word) << (32 - count_);
      count_ += 32;
    }
  }

  const uint32_t* words_;
  uint32_t wordCount_;
  uint32_t next_;
  uint64_t cache_ = 0;
  unsigned count_ = 0;
};

}  // namespace sonidrax::mpeg
