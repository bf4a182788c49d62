#pragma once
#include <cstdint>

namespace sonidrax::mpeg {

// One code table of the standard: size × size pairs (or the 16 count1 quadruples),
// each with its code word and length.
struct HuffmanCodeTable {
    uint8_t size;
    const uint16_t* codes;
    const uint8_t* lengths;
};

// The distinct code tables, in this order: 1, 2, 3, 5, 6, 7, 8, 9, 10, 11, 12, 13,
// 15, 16 (shared by 16-23), 24 (shared by 24-31), count1 A, count1 B.
inline constexpr unsigned kHuffmanCodeTableCount = 17;
inline constexpr unsigned kCount1TableA = 15;
inline constexpr unsigned kCount1TableB = 16;

const HuffmanCodeTable& huffmanCodeTable(unsigned index);

}  // namespace sonidrax::mpeg
