#include "layer3_huffman.h"

#include <algorithm>

#include "layer3_huffman_codes.h"

namespace sonidrax::mpeg {
namespace {

constexpr uint16_t kLink = 0x8000u;
constexpr unsigned kMaxSubBits = 6;
constexpr unsigned kMaxCodeLength = 19;

// Code table (index into huffmanCodeTable) and linbits of each table_select value;
// -1 marks the tables that code every pair as (0, 0) without reading bits.
constexpr int kPairCodeTable[32] = {-1, 0,  1,  2,  -1, 3,  4,  5,  6,  7,  8,  9,  10, 11, -1, 12,
                                    13, 13, 13, 13, 13, 13, 13, 13, 14, 14, 14, 14, 14, 14, 14, 14};
constexpr uint8_t kLinbits[32] = {0, 0, 0, 0, 0, 0, 0,  0,  0, 0, 0, 0, 0, 0, 0,  0,
                                  1, 2, 3, 4, 6, 8, 10, 13, 4, 5, 6, 7, 8, 9, 11, 13};
// Width of the first lookup level per code table.
constexpr uint8_t kFirstBits[kHuffmanCodeTableCount] = {3, 6, 6, 8, 7, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 6, 4};

struct Code {
    uint32_t bits;
    unsigned length;
    uint8_t value;
};

uint8_t symbolOf(const HuffmanCodeTable& table, unsigned index, bool quad) {
    if (quad) return static_cast<uint8_t>(index);
    return static_cast<uint8_t>(((index / table.size) << 4) | (index % table.size));
}

// Sum of 2^-length over all codes, in units of 2^-kMaxCodeLength: exactly one unit
// of 2^kMaxCodeLength for a complete code.
bool isComplete(const HuffmanCodeTable& table, unsigned count) {
    uint32_t sum = 0;
    for (unsigned i = 0; i < count; ++i) {
        const unsigned length = table.lengths[i];
        if (length == 0 || length > kMaxCodeLength) return false;
        sum += 1u << (kMaxCodeLength - length);
    }
    return sum == (1u << kMaxCodeLength);
}

// Fills one lookup level for the codes that share `prefix` (its first `consumed`
// bits) and recurses into sub-tables for the longer ones. Returns false on a
// clash, a gap or lack of room.
class LevelBuilder {
public:
    LevelBuilder(uint16_t* storage, unsigned capacity, unsigned& used, const Code* codes, unsigned count)
        : storage_(storage), capacity_(capacity), used_(used), codes_(codes), count_(count) {}

    bool fill(unsigned tableStart, unsigned levelStart, unsigned consumed, uint32_t prefix, unsigned width) {
        const unsigned size = 1u << width;
        bool filled[1u << 8] = {};
        for (unsigned i = 0; i < count_; ++i) {
            const Code& c = codes_[i];
            if (c.length <= consumed || (c.bits >> (c.length - consumed)) != prefix) continue;
            if (c.length > consumed + width) continue;
            const unsigned here = c.length - consumed;
            const uint32_t low = c.bits & ((1u << here) - 1u);
            const unsigned first = low << (width - here);
            for (unsigned k = first; k < first + (1u << (width - here)); ++k) {
                if (filled[k]) return false;
                filled[k] = true;
                storage_[levelStart + k] = static_cast<uint16_t>((here << 8) | c.value);
            }
        }
        for (unsigned k = 0; k < size; ++k) {
            if (filled[k]) continue;
            if (!link(tableStart, levelStart + k, consumed + width, (prefix << width) | k)) return false;
        }
        return true;
    }

private:
    bool link(unsigned tableStart, unsigned slot, unsigned consumed, uint32_t prefix) {
        unsigned longest = 0;
        for (unsigned i = 0; i < count_; ++i) {
            const Code& c = codes_[i];
            if (c.length > consumed && (c.bits >> (c.length - consumed)) == prefix)
                longest = std::max(longest, c.length);
        }
        if (longest == 0) return false;  // no code starts with this prefix
        const unsigned width = std::min(longest - consumed, kMaxSubBits);
        const unsigned start = used_;
        if (start + (1u << width) > capacity_ || start - tableStart > 0x7FFu) return false;
        used_ += 1u << width;
        storage_[slot] = static_cast<uint16_t>(kLink | (width << 11) | (start - tableStart));
        return fill(tableStart, start, consumed, prefix, width);
    }

    uint16_t* storage_;
    unsigned capacity_;
    unsigned& used_;
    const Code* codes_;
    unsigned count_;
};

}  // namespace

const Layer3HuffmanTables& Layer3HuffmanTables::instance() {
    static const Layer3HuffmanTables tables;
    return tables;
}

Layer3HuffmanTables::Layer3HuffmanTables() : storage_{} {
    HuffmanLookup built[kHuffmanCodeTableCount];
    for (unsigned t = 0; t < kHuffmanCodeTableCount; ++t) {
        if (!build(t, kFirstBits[t], built[t])) valid_ = false;
    }
    for (unsigned select = 0; select < 32; ++select) {
        if (kPairCodeTable[select] >= 0) pairs_[select] = built[kPairCodeTable[select]];
        pairs_[select].linbits = kLinbits[select];
    }
    quads_[0] = built[kCount1TableA];
    quads_[1] = built[kCount1TableB];
}

bool Layer3HuffmanTables::build(unsigned codeTable, unsigned firstBits, HuffmanLookup& out) {
    const HuffmanCodeTable& table = huffmanCodeTable(codeTable);
    const bool quad = codeTable == kCount1TableA || codeTable == kCount1TableB;
    const unsigned count = quad ? 16u : unsigned{table.size} * table.size;
    Code codes[256];
    for (unsigned i = 0; i < count; ++i) codes[i] = Code{table.codes[i], table.lengths[i], symbolOf(table, i, quad)};

    const unsigned start = used_;
    if (!isComplete(table, count) || start + (1u << firstBits) > kCapacity) return false;
    used_ += 1u << firstBits;
    out.entries = storage_ + start;
    out.firstBits = static_cast<uint8_t>(firstBits);
    LevelBuilder builder(storage_, kCapacity, used_, codes, count);
    return builder.fill(start, start, 0, 0, firstBits);
}

}  // namespace sonidrax::mpeg
