#pragma once

namespace sonidrax::mpeg {

// The synthesis window D of the standard scaled by 32768, so that sums come out in
// 16-bit units: entry 32t + j weights output sample j's tap from the V block of age t
// (t = 0 to 15). The 512 values are stored twice in a row, so that 16 rows starting at
// any row from 0 to 16 can be read without wrapping.
inline constexpr int kSynthesisWindowSize = 1024;
const float* synthesisWindow();

// The standard's coefficients D[0] to D[256] in units of 2^-16 (every coefficient is a
// multiple of 2^-16); the rest of the window follows from the symmetry of its
// prototype filter.
extern const int kWindowHalf[257];
// D[i] in units of 2^-16, i = 0 to 511.
int windowCoefficient(int i);

}  // namespace sonidrax::mpeg
