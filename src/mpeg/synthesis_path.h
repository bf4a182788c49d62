#pragma once

namespace sonidrax::mpeg {

// The ways the synthesis can run. Every path gives the same samples bit for bit: each
// sum is formed in the same order, with every product rounded before it is added (no
// fused multiply-adds), so a decoded stream never depends on the processor.
enum class SynthesisPath {
    kPortable,  // plain C++, for any processor
    kSse2,      // four sums at a time
    kAvx2,      // eight sums at a time, on processors with AVX2
};

inline constexpr SynthesisPath kSynthesisPaths[] = {SynthesisPath::kPortable, SynthesisPath::kSse2,
                                                    SynthesisPath::kAvx2};

// "portable", "sse2" or "avx2".
const char* synthesisPathName(SynthesisPath path);

// Whether this build has the path and this processor can run it.
bool synthesisPathSupported(SynthesisPath path);

// The path that synthesis channels made from now on take: the one chosen by
// selectSynthesisPath, else the one the environment variable SONIDRAX_SYNTHESIS names
// (when supported), else the fastest supported one.
SynthesisPath synthesisPath();

// Chooses the path for channels made from now on, so that tests and benchmarks can run
// each one. Answers false, and changes nothing, when the path is not supported.
bool selectSynthesisPath(SynthesisPath path);

}  // namespace sonidrax::mpeg
