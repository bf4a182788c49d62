#include "decoder/decoder.h"

#include <cstdio>
#include <cstdlib>

namespace sonidrax::decoder {

[[noreturn]] void AbortDecode(Decoder*) {
    std::fputs("sonidrax decoder: AbortDecode outside a codec call\n", stderr);
    std::abort();
}

}  // namespace sonidrax::decoder
