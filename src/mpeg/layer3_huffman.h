#pragma once
#include <cstdint>

#include "bit_reader.h"

namespace sonidrax::mpeg {

// Multi-level lookup tables for the Layer III Huffman codes, derived from the code
// tables of the standard on first use. An entry is either a leaf (bit 15 clear:
// bits 8-12 the code bits still to consume, bits 0-7 the value) or a link to a
// sub-table (bit 15 set: bits 11-14 its index width, bits 0-10 its offset).
struct HuffmanLookup {
    const uint16_t* entries = nullptr;  // none: the table codes every pair as (0, 0)
    uint8_t firstBits = 0;
    uint8_t linbits = 0;
};

class Layer3HuffmanTables {
public:
    static const Layer3HuffmanTables& instance();

    // Big-value table by `table_select` (0-31), count1 table by `count1table_select`.
    const HuffmanLookup& pairTable(unsigned tableSelect) const { return pairs_[tableSelect & 31]; }
    const HuffmanLookup& quadTable(unsigned select) const { return quads_[select & 1]; }

    // True when every code table formed a complete prefix code and fitted.
    bool valid() const { return valid_; }
    unsigned entryCount() const { return used_; }

    static constexpr unsigned kCapacity = 4608;  // 4504 entries are needed

private:
    Layer3HuffmanTables();
    bool build(unsigned codeTable, unsigned firstBits, HuffmanLookup& out);

    HuffmanLookup pairs_[32];
    HuffmanLookup quads_[2];
    uint16_t storage_[kCapacity];
    unsigned used_ = 0;
    bool valid_ = true;
};

// Decodes one symbol. The caller refills `bits` first (codes are at most 19 bits).
inline uint32_t decodeHuffman(BitReader& bits, const HuffmanLookup& table) {
    const uint16_t* base = table.entries;
    unsigned width = table.firstBits;
    uint32_t entry = base[bits.peek(width)];
    while (entry & 0x8000u) {
        bits.skip(width);
        width = (entry >> 11) & 15u;
        entry = base[(entry & 0x7FFu) + bits.peek(width)];
    }
    bits.skip((entry >> 8) & 31u);
    return entry & 0xFFu;
}

}  // namespace sonidrax::mpeg
