#pragma once
#include <cstdint>

namespace sonidrax::mpeg {

// The codec's one bit reader, for every layer: it reads 32-bit words that hold their
// stream bytes most significant first (the frame reader's buffer) and keeps up to 64
// unread bits in a register. Reads past the last word deliver zero bits instead of
// touching memory, so corrupt allocations or lengths can never reach outside the
// buffer; a caller that must notice the overrun compares position() with its budget.
class BitReader {
public:
    BitReader() = default;
    BitReader(const uint32_t* words, uint32_t wordCount, uint32_t bitPosition = 0) {
        words_ = words;
        wordCount_ = wordCount;
        seek(bitPosition);
    }

    // Absolute bit position from the start of the words.
    uint32_t position() const { return next_ * 32u - count_; }

    void seek(uint32_t bitPosition) {
        next_ = bitPosition / 32u;
        cache_ = 0;
        count_ = 0;
        refill();
        skip(bitPosition % 32u);
    }

    // Guarantees at least 33 bits in the cache.
    void refill() {
        while (count_ <= 32) {
            cache_ |= static_cast<uint64_t>(nextWord()) << (32 - count_);
            count_ += 32;
        }
    }

    // n from 1 to 32; the cache must hold n bits (call refill() first).
    uint32_t peek(unsigned n) const { return static_cast<uint32_t>(cache_ >> (64 - n)); }
    void skip(unsigned n) {
        cache_ <<= n;
        count_ -= n;
    }

    // The next n bits (0 to 32), most significant first.
    uint32_t get(unsigned n) {
        if (count_ < n) refill();
        // Shifted in two steps so that n = 0 gives 0 without a branch.
        const uint32_t value = static_cast<uint32_t>((cache_ >> 1) >> (63 - n));
        skip(n);
        return value;
    }

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
        skip(present);
        return bit;
    }

private:
    uint32_t nextWord() {
        const uint32_t index = next_++;
        return index < wordCount_ ? words_[index] : 0u;
    }

    const uint32_t* words_ = nullptr;
    uint32_t wordCount_ = 0;
    uint32_t next_ = 0;   // index of the next word to load into the cache
    uint64_t cache_ = 0;  // unread bits, left-aligned
    uint32_t count_ = 0;  // valid bits in the cache
};

}  // namespace sonidrax::mpeg
