#pragma once
// The 18-point DCT-IV of the long Layer III transform, written once for plain
// floats and for four-lane vectors (four subbands at a time):
//   out[k] = sum over n of in[n] cos(pi / 18 (n + 1/2)(k + 1/2)).
// It runs as a 9-point complex FFT (3 × 3) between a pre- and a post-rotation:
// with c[m] = (in[2m] - i in[17 - 2m]) e^(i theta m) and theta = pi / 18,
//   Z[p] = e^(i theta (p + 1/4)) sum over m of c[m] e^(2 pi i m p / 9),
//   out[2p] = Re Z[p], out[17 - 2p] = Im Z[p].

#include "layer3_vector.h"

namespace sonidrax::mpeg {

struct Dct4Constants {
    float preCos[9], preSin[9];
    float postCos[9], postSin[9];
    float innerCos[3][3], innerSin[3][3];
    Dct4Constants();
};
extern const Dct4Constants kDct4Constants;

namespace dct4_detail {

inline constexpr float kHalfSqrt3 = 0.86602540378443864676f;

template <class V>
struct Point {
    V re;
    V im;
};

// 3-point DFT with the positive exponent: y[p] = sum x[m] e^(2 pi i m p / 3).
template <class V>
inline void dft3(Point<V>& a, Point<V>& b, Point<V>& c) {
    const V sumRe = b.re + c.re;
    const V sumIm = b.im + c.im;
    const V diffRe = (b.re - c.re) * kHalfSqrt3;
    const V diffIm = (b.im - c.im) * kHalfSqrt3;
    const V tRe = a.re - sumRe * 0.5f;
    const V tIm = a.im - sumIm * 0.5f;
    a.re += sumRe;
    a.im += sumIm;
    b = {tRe - diffIm, tIm + diffRe};
    c = {tRe + diffIm, tIm - diffRe};
}

template <class V>
inline Point<V> rotate(const Point<V>& z, float cosine, float sine) {
    return {z.re * cosine - z.im * sine, z.re * sine + z.im * cosine};
}

}  // namespace dct4_detail

template <class V>
inline void dct4x18(const V* in, V* out) {
    using dct4_detail::dft3;
    using dct4_detail::Point;
    using dct4_detail::rotate;
    const Dct4Constants& k = kDct4Constants;
    // x[m2][m1] holds m = 3 m1 + m2.
    Point<V> x[3][3];
#pragma GCC unroll 9
    for (int m = 0; m < 9; ++m) {
        const V a = in[2 * m];
        const V b = in[17 - 2 * m];
        x[m % 3][m / 3] = {a * k.preCos[m] + b * k.preSin[m], a * k.preSin[m] - b * k.preCos[m]};
    }
    // First stage over m1, giving x[m2][p1]; the inner twiddles; the second stage over
    // m2, which leaves the result for p = p1 + 3 p2 in x[p2][p1].
    dft3(x[0][0], x[0][1], x[0][2]);
    dft3(x[1][0], x[1][1], x[1][2]);
    dft3(x[2][0], x[2][1], x[2][2]);
    x[1][1] = rotate(x[1][1], k.innerCos[1][1], k.innerSin[1][1]);
    x[1][2] = rotate(x[1][2], k.innerCos[1][2], k.innerSin[1][2]);
    x[2][1] = rotate(x[2][1], k.innerCos[2][1], k.innerSin[2][1]);
    x[2][2] = rotate(x[2][2], k.innerCos[2][2], k.innerSin[2][2]);
    dft3(x[0][0], x[1][0], x[2][0]);
    dft3(x[0][1], x[1][1], x[2][1]);
    dft3(x[0][2], x[1][2], x[2][2]);
#pragma GCC unroll 9
    for (int p = 0; p < 9; ++p) {
        const Point<V> w = rotate(x[p / 3][p % 3], k.postCos[p], k.postSin[p]);
        out[2 * p] = w.re;
        out[17 - 2 * p] = w.im;
    }
}

}  // namespace sonidrax::mpeg
