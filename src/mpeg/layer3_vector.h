#pragma once
// Four floats processed together. GCC and Clang map the type onto SSE registers;
// loads and stores go through memcpy, which compiles to unaligned vector moves, so
// buffers need no more than float alignment.
#include <cstring>

namespace sonidrax::mpeg {

typedef float Float4 __attribute__((vector_size(16)));

inline Float4 load4(const float* p) {
    Float4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void store4(float* p, Float4 v) { std::memcpy(p, &v, sizeof v); }

// The four lanes in reverse order.
inline Float4 reverse4(Float4 v) {
#if defined(__clang__)
    return __builtin_shufflevector(v, v, 3, 2, 1, 0);
#else
    typedef int Int4 __attribute__((vector_size(16)));
    return __builtin_shuffle(v, Int4{3, 2, 1, 0});
#endif
}

}  // namespace sonidrax::mpeg
