#pragma once
#include <cstdint>

#include "frame_header.h"

namespace sonidrax::mpeg {

// Layer I and II scale factors 2 * 2^(-i/3), i = 0 to 62, and 0.0 for index 63.
const float* scaleFactors();

// A Layer II quantisation class. Grouped classes (3, 5 and 9 levels) take one code for
// three samples and resolve it through `groupTable`: three requantised values per code,
// least significant digit first. Ungrouped codes requantise as (code - offset) * step.
struct QuantClass {
    uint32_t codeBits = 0;  // 0 for the empty class (allocation 0)
    const float* groupTable = nullptr;
    float step = 0.0f;
    float offset = 0.0f;
};

// The allocation record of a Layer II subband: `nbal` bits select one of its classes.
struct AllocationRecord {
    uint32_t nbal;
    const QuantClass* classes[16];
};

// The allocation table chosen for a Layer II frame.
struct Layer2Table {
    uint32_t sblimit;
    const AllocationRecord* const* records;  // one per subband below sblimit
};

const Layer2Table& chooseLayer2Table(const FrameHeader& header);

}  // namespace sonidrax::mpeg
