#include "synthesis_path.h"

#include <cstdlib>
#include <cstring>

namespace sonidrax::mpeg {
namespace {

SynthesisPath fastestSupported() {
    if (synthesisPathSupported(SynthesisPath::kAvx2)) return SynthesisPath::kAvx2;
    if (synthesisPathSupported(SynthesisPath::kSse2)) return SynthesisPath::kSse2;
    return SynthesisPath::kPortable;
}

SynthesisPath fromEnvironment() {
    const char* name = std::getenv("SONIDRAX_SYNTHESIS");
    if (name == nullptr) return fastestSupported();
    for (const SynthesisPath path : kSynthesisPaths)
        if (std::strcmp(name, synthesisPathName(path)) == 0 && synthesisPathSupported(path)) return path;
    return fastestSupported();
}

SynthesisPath& chosen() {
    static SynthesisPath path = fromEnvironment();
    return path;
}

}  // namespace

const char* synthesisPathName(SynthesisPath path) {
    switch (path) {
        case SynthesisPath::kPortable:
            return "portable";
        case SynthesisPath::kSse2:
            return "sse2";
        case SynthesisPath::kAvx2:
            return "avx2";
    }
    return "portable";
}

bool synthesisPathSupported(SynthesisPath path) {
    switch (path) {
        case SynthesisPath::kPortable:
            return true;
#if defined(__SSE2__) && defined(__GNUC__)
        case SynthesisPath::kSse2:
            return true;
        case SynthesisPath::kAvx2: {
            static const bool available = __builtin_cpu_supports("avx2");
            return available;
        }
#endif
        default:
            return false;
    }
}

SynthesisPath synthesisPath() { return chosen(); }

bool selectSynthesisPath(SynthesisPath path) {
    if (!synthesisPathSupported(path)) return false;
    chosen() = path;
    return true;
}

}  // namespace sonidrax::mpeg
