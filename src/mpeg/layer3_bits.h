#pragma once
#include <cstdint>

namespace sonidrax::mpeg {

// Bit source for Layer III main data: 32-bit words that hold their stream bytes most
// significant first. Reads past the last word deliver zero bits instead of touching
// memory, so corrupt lengths in the side information can never reach outside the
// buffer; the caller compares `position()` with its own budget to notice the overrun.
class Layer3Bits {
 public:
  Layer3Bits() = default;
  Layer3Bits(const uint32_t* words, uint32_t wordCount) { attach(words, wordCount); }

  void attach(const uint32_t* words, uint32_t wordCount) {
    words_ = words;
    wordCount_ = wordCount;
    seek(0);
  }

  // Absolute bit position from the start of the words.
  uint32_t position() const { return next_ * 32u - static_cast<uint32_t>(count_); }

  void seek(uint32_t bitPosition) {
    next_ = bitPosition / 32u;
    cache_ = 0;
    count_ = 0;
    refill();
    skip(static_cast<int>(bitPosition % 32u));
  }

  // Guarantees at least 33 bits in the cache.
  void refill() {
    while (count_ <= 32) {
      cache_ |= static_cast<uint64_t>(nextWord()) << (32 - count_);
      count_ += 32;
    }
  }

  // n from 1 to 32; the cache must hold n bits (call refill() first).
  uint32_t peek(int n) const { return static_cast<uint32_t>(cache_ >> (64 - n)); }
  void skip(int n) {
    cache_ <<= n;
    count_ -= n;
  }

  // The next n bits (0 to 32), most significant first.
  uint32_t get(int n) {
    if (n == 0) return 0;
    refill();
    const uint32_t value = peek(n);
    skip(n);
    return value;
  }

  uint32_t getBit() { return get(1); }

  // One bit from the cache without refilling: for the sign bits that follow a code
  // word read after refill(), which left enough bits for them.
  uint32_t getCachedBit() {
    const uint32_t bit = static_cast<uint32_t>(cache_ >> 63);
    skip(1);
    return bit;
  }

  // Like getCachedBit() when `present` is 1; reads nothing and gives 0 when it is 0.
  // Branch-free, for sign bits that only non-zero values carry.
  uint32_t getCachedBitIf(uint32_t present) {
    const uint32_t bit = static_cast<uint32_t>(cache_ >> 63) & present;
    skip(static_cast<int>(present));
    return bit;
  }

 private:
  uint32_t nextWord() {
    const uint32_t index = next_++;
    return index < wordCount_ ? words_[index] : 0u;
  }

  const uint32_t* words_ = nullptr;
  uint32_t wordCount_ = 0;
  uint32_t next_ = 0;  // index of the next word to load into the cache
  uint64_t cache_ = 0; // unread bits, left-aligned
  int count_ = 0;      // valid bits in the cache
};

}  // namespace sonidrax::mpeg
