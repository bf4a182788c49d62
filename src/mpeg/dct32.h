#pragma once

namespace sonidrax::mpeg {

// The synthesis filterbank's 64-value V vector, V[i] = sum over k of
// in[k] * cos((16 + i) * (2k + 1) * pi / 64): V[0..31] to `first` and V[32..63] to
// `second`. It is a 32-point DCT-II unfolded by its symmetries.
void matrixV(const float* in, float* first, float* second);
// The same in plain C++, the same operations in the same order, so the same values.
void matrixVPortable(const float* in, float* first, float* second);

}  // namespace sonidrax::mpeg
