#pragma once

namespace sonidrax::mpeg {

// The short inverse modified DCT of the Layer III hybrid filter bank, as ISO/IEC
// 11172-3 defines it: out[i] = sum over k of in[k] cos(pi / 2n (2i + 1 + n/2)(2k + 1)),
// 6 in and 12 out, as a 6-point DCT-IV. (The long one runs inside the hybrid filter,
// as an 18-point DCT-IV computed with a 9-point complex FFT.)
void imdct12(const float* in, float* out);

}  // namespace sonidrax::mpeg
