// Decodes every conformance stream through the codec and compares it with its
// reference decoding: RMS and maximum error in LSB over the overlap, with the
// stream's own comparison rule, and the exact decoded length.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "library_decoder.h"
#include "stream_bits.h"
#include "synthesis_path.h"

namespace sonidrax::mpeg::testing {
namespace {

struct Stream {
    const char* name;
    int channels;  // for the comparison (a stream mixing mono and stereo frames: 1)
    long decodedPerChannel;
    long offset = 0;     // leading decoded sample frames skipped in the comparison
    bool judged = true;  // false: a reference from another decoder, figures reported only
};

const Stream kStreams[] = {{"l1-fl1", 2, 18816},
                           {"l1-fl2", 2, 18816},
                           {"l1-fl3", 2, 18816},
                           {"l1-fl4", 1, 18816},
                           {"l1-fl5", 2, 18816},
                           {"l1-fl6", 2, 18816},
                           {"l1-fl8", 2, 18816},
                           {"l2-fl10", 2, 56448},
                           {"l2-fl11", 2, 56448},
                           {"l2-fl12", 2, 56448},
                           {"l2-fl13", 1, 56448},
                           {"l2-fl14", 2, 18432},
                           {"l2-fl16", 2, 72576},
                           {"l2-test32", 2, 72576},
                           {"l3-compl", 1, 248832},
                           {"l3-he_32khz", 1, 172800},
                           {"l3-he_44khz", 1, 472320},
                           {"l3-he_mode", 1, 262656},
                           {"l3-hecommon", 2, 34560},
                           {"l3-si", 1, 135936},
                           {"l3-si_block", 1, 73728},
                           {"l3-sin1k0db", 2, 365184, 2304},
                           // Its reference decoder gives the top band position 0 where the intensity
                           // region starts there (24 frames), a position the stream does not carry.
                           {"l3-test45", 2, 473472, 0, false},
                           {"M2L3_bitrate_16_all", 1, 274176},
                           {"M2L3_bitrate_22_all", 1, 274176},
                           {"M2L3_compl24", 1, 122112}};

// The reference's little-endian samples (the byte order of every build target).
std::vector<int16_t> samplesOf(const std::vector<uint8_t>& bytes) {
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

// RMS and maximum error in LSB where both have samples.
std::pair<double, int> compare(const std::vector<int16_t>& decoded, const std::vector<int16_t>& reference,
                               const Stream& s) {
    const size_t start = static_cast<size_t>(s.offset) * static_cast<size_t>(s.channels);
    const size_t n = decoded.size() <= start ? 0 : std::min(decoded.size() - start, reference.size());
    double squares = 0.0;
    int maxError = 0;
    for (size_t i = 0; i < n; ++i) {
        const int difference = decoded[start + i] - reference[i];
        squares += static_cast<double>(difference) * difference;
        maxError = std::max(maxError, std::abs(difference));
    }
    return {n != 0 ? std::sqrt(squares / static_cast<double>(n)) : 1e9, maxError};
}

class Conformance : public ::testing::TestWithParam<Stream> {};

// Decodes the stream on the given synthesis path and checks it against the reference.
std::vector<int16_t> decodeAndCompare(const Stream& s, const std::vector<uint8_t>& bitstream,
                                      const std::vector<int16_t>& reference, SynthesisPath path) {
    EXPECT_TRUE(selectSynthesisPath(path));
    LibraryDecoder library;
    EXPECT_EQ(library.open(bitstream), decoder::kSuccess);
    std::vector<int16_t> decoded;
    EXPECT_EQ(library.decodeAll(decoded), decoder::kEndOfInput);  // a damaged frame would shorten it
    EXPECT_EQ(static_cast<long>(decoded.size()), s.decodedPerChannel * s.channels);
    const auto [rms, maxError] = compare(decoded, reference, s);
    std::printf("| %-20s | %-8s | RMS %9.4f LSB | max %3d |%s\n", s.name, synthesisPathName(path), rms, maxError,
                s.judged ? "" : " reported only");
    if (!s.judged) return decoded;
    EXPECT_LT(rms, 1.0 / std::sqrt(12.0)) << s.name;
    EXPECT_LE(maxError, 2) << s.name;
    return decoded;
}

// On every synthesis path the processor has, and the same samples on all of them.
TEST_P(Conformance, DecodesToFullAccuracyWithTheExactLengthOnEveryPath) {
    const Stream& s = GetParam();
    const std::vector<uint8_t> bitstream = conformanceFile(std::string(s.name) + ".bit");
    const std::vector<int16_t> reference = samplesOf(conformanceFile(std::string(s.name) + ".pcm"));
    ASSERT_FALSE(bitstream.empty() || reference.empty()) << s.name << " not found in " << SONIDRAX_CONFORMANCE_DIR;
    const SynthesisPath chosen = synthesisPath();
    const std::vector<int16_t> portable = decodeAndCompare(s, bitstream, reference, SynthesisPath::kPortable);
    for (const SynthesisPath path : {SynthesisPath::kSse2, SynthesisPath::kAvx2}) {
        if (!synthesisPathSupported(path)) continue;
        EXPECT_TRUE(decodeAndCompare(s, bitstream, reference, path) == portable)
            << synthesisPathName(path) << " differs";
    }
    selectSynthesisPath(chosen);
}

INSTANTIATE_TEST_SUITE_P(Streams, Conformance, ::testing::ValuesIn(kStreams),
                         [](const ::testing::TestParamInfo<Stream>& info) {
                             std::string name = info.param.name;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

}  // namespace
}  // namespace sonidrax::mpeg::testing
