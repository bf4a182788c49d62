#include "dct32.h"

#include "dct32_vector.h"

namespace sonidrax::mpeg {

using namespace matrixing;

#if defined(SONIDRAX_VECTOR_DCT)

void matrixV(const float* in, float* first, float* second) { matrixVInRegisters(in, first, second); }

#else

void matrixV(const float* in, float* first, float* second) { matrixVPortable(in, first, second); }

#endif

void matrixVPortable(const float* in, float* first, float* second) {
    float a[33];
    dct<32>(in, a);
    a[32] = 0.0f;
    for (int i = 0; i < 16; ++i) {
        first[i] = a[16 + i];
        first[16 + i] = -a[32 - i];
        second[i] = -a[16 - i];
        second[16 + i] = -a[i];
    }
}

}  // namespace sonidrax::mpeg
