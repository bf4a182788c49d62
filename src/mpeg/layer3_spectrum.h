#pragma once
#include <cstdint>

#include "layer3_bands.h"
#include "bit_reader.h"
#include "layer3_scale_factors.h"
#include "layer3_side_info.h"

namespace sonidrax::mpeg {

inline constexpr unsigned kGranuleValues = 576;

// Decodes the Huffman-coded values of one granule and channel and requantises them
// into `spectrum` (576 floats, short blocks already reordered). Reading stops at
// `endBit`, the end of the granule's part2_3_length: big values that run past it
// are dropped, and so is a count1 quadruple that ends past it. Leaves `bits` at
// `endBit`. Returns the spectral extent: every value at or above it is zero.
// `dirty` tells how far `spectrum` may hold values from before (all of it unless
// the caller knows better); those are cleared first.
unsigned decodeSpectrum(BitReader& bits, uint32_t endBit, const GranuleInfo& g, const ScaleFactors& sf,
                        const BandEdges& edges, float* spectrum, unsigned dirty = kGranuleValues);

// n^(4/3) as used by the requantisation, for any value the bit stream can code.
float powFourThirds(uint32_t n);

}  // namespace sonidrax::mpeg
