#pragma once

namespace sonidrax::mpeg {

// out[n] = sum over k of in[k] * cos(n * (2k + 1) * pi / 64), n = 0 to 31: the
// matrixing of the synthesis filterbank, by even/odd butterflies.
void dct32(const float* in, float* out);

}  // namespace sonidrax::mpeg
