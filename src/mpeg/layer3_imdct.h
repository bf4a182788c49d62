#pragma once

namespace sonidrax::mpeg {

// Inverse modified DCTs of the Layer III hybrid filter bank, as ISO/IEC 11172-3
// defines them: out[i] = sum over k of in[k] cos(pi / 2n (2i + 1 + n/2)(2k + 1)).
// The long transform (18 in, 36 out) runs as an 18-point DCT-IV computed with a
// 9-point complex FFT; the short one (6 in, 12 out) as a 6-point DCT-IV.
void imdct36(const float* in, float* out);
void imdct12(const float* in, float* out);

// DCT-IV: out[k] = sum over n of in[n] cos(pi / N (n + 1/2)(k + 1/2)), N = 18.
void dct4x18(const float* in, float* out);

}  // namespace sonidrax::mpeg
