// Decodes every conformance stream through the codec and compares it with its
// reference decoding: RMS and maximum error in LSB over the overlap, with the
// stream's own comparison rule, and the exact decoded length.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "library_decoder.h"
#include "stream_bits.h"
#include "synthesis_path.h"

namespace sonidrax::mpeg::testing {
namespace {

enum class Rule {
    kOverlap,    // compare where both have samples (padded reference, or one missing frame)
    kEqual,      // the lengths must be equal
    kReportOnly  // reference from another decoder: figures reported, not judged
};

struct Stream {
    const char* name;
    int channels;  // for the comparison (a stream mixing mono and stereo frames: 1)
    long decodedPerChannel;
    long offset;  // leading decoded sample frames skipped in the comparison
    Rule rule;
};

const Stream kStreams[] = {
    {"l1-fl1", 2, 18816, 0, Rule::kOverlap},
    {"l1-fl2", 2, 18816, 0, Rule::kOverlap},
    {"l1-fl3", 2, 18816, 0, Rule::kOverlap},
    {"l1-fl4", 1, 18816, 0, Rule::kOverlap},
    {"l1-fl5", 2, 18816, 0, Rule::kOverlap},
    {"l1-fl6", 2, 18816, 0, Rule::kOverlap},
    {"l1-fl8", 2, 18816, 0, Rule::kOverlap},
    {"l2-fl10", 2, 56448, 0, Rule::kOverlap},
    {"l2-fl11", 2, 56448, 0, Rule::kOverlap},
    {"l2-fl12", 2, 56448, 0, Rule::kOverlap},
    {"l2-fl13", 1, 56448, 0, Rule::kOverlap},
    {"l2-fl14", 2, 18432, 0, Rule::kOverlap},
    {"l2-fl16", 2, 72576, 0, Rule::kOverlap},
    {"l2-test32", 2, 72576, 0, Rule::kEqual},
    {"l3-compl", 1, 248832, 0, Rule::kEqual},
    {"l3-he_32khz", 1, 172800, 0, Rule::kOverlap},
    {"l3-he_44khz", 1, 472320, 0, Rule::kOverlap},
    {"l3-he_mode", 1, 262656, 0, Rule::kEqual},
    {"l3-hecommon", 2, 34560, 0, Rule::kOverlap},
    {"l3-si", 1, 135936, 0, Rule::kOverlap},
    {"l3-si_block", 1, 73728, 0, Rule::kOverlap},
    {"l3-sin1k0db", 2, 365184, 2304, Rule::kOverlap},
    // Its reference decoder gives the top band position 0 where the intensity
    // region starts there (24 frames), a position the stream does not carry.
    {"l3-test45", 2, 473472, 0, Rule::kReportOnly},
    {"M2L3_bitrate_16_all", 1, 274176, 0, Rule::kEqual},
    {"M2L3_bitrate_22_all", 1, 274176, 0, Rule::kEqual},
    {"M2L3_compl24", 1, 122112, 0, Rule::kEqual},
};

std::vector<int16_t> samplesOf(const std::vector<uint8_t>& bytes) {
    std::vector<int16_t> samples(bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return samples;
}

struct Comparison {
    long compared = 0;
    double rms = 0.0;
    int maxError = 0;
};

Comparison compare(const std::vector<int16_t>& decoded, const std::vector<int16_t>& reference, const Stream& s) {
    Comparison c;
    const size_t start = static_cast<size_t>(s.offset) * static_cast<size_t>(s.channels);
    if (decoded.size() <= start) return c;
    const size_t n = std::min(decoded.size() - start, reference.size());
    double squares = 0.0;
    for (size_t i = 0; i < n; ++i) {
        const int difference = decoded[start + i] - reference[i];
        squares += static_cast<double>(difference) * difference;
        c.maxError = std::max(c.maxError, std::abs(difference));
    }
    c.compared = static_cast<long>(n);
    c.rms = n != 0 ? std::sqrt(squares / static_cast<double>(n)) : 0.0;
    return c;
}

const char* accuracyClass(const Comparison& c) {
    if (c.compared == 0) return "fail";
    if (c.rms < 1.0 / std::sqrt(12.0) && c.maxError <= 2) return "full";
    if (c.rms < 16.0 / std::sqrt(12.0)) return "limited";
    return "fail";
}

class Conformance : public ::testing::TestWithParam<Stream> {};

// Decodes the stream on the given synthesis path and checks it against the reference.
std::vector<int16_t> decodeAndCompare(const Stream& s, const std::vector<uint8_t>& bitstream,
                                      const std::vector<int16_t>& reference, SynthesisPath path) {
    EXPECT_TRUE(selectSynthesisPath(path));
    LibraryDecoder library;
    EXPECT_EQ(library.open(bitstream), decoder::kSuccess);
    std::vector<int16_t> decoded;
    int aborted = 0;
    EXPECT_EQ(library.decodeAll(decoded, &aborted), decoder::kEndOfInput);
    EXPECT_EQ(aborted, 0);
    EXPECT_EQ(static_cast<long>(decoded.size()), s.decodedPerChannel * s.channels);
    if (s.rule == Rule::kEqual) {
        EXPECT_EQ(decoded.size(), reference.size());
    }
    const Comparison c = compare(decoded, reference, s);
    static bool headed = false;
    if (!headed) {
        std::printf("| %-20s | %-8s | %8s | %9s | %3s | %-7s |\n", "stream", "path", "samples", "RMS (LSB)", "max",
                    "class");
        headed = true;
    }
    std::printf("| %-20s | %-8s | %8ld | %9.4f | %3d | %-7s |%s\n", s.name, synthesisPathName(path), c.compared, c.rms,
                c.maxError, accuracyClass(c), s.rule == Rule::kReportOnly ? " reported only" : "");
    if (s.rule == Rule::kReportOnly) return decoded;
    EXPECT_GT(c.compared, 0);
    EXPECT_LT(c.rms, 1.0 / std::sqrt(12.0)) << s.name;
    EXPECT_LE(c.maxError, 2) << s.name;
    return decoded;
}

// On every synthesis path the processor has, and the same samples on all of them.
TEST_P(Conformance, DecodesToFullAccuracyWithTheExactLengthOnEveryPath) {
    const Stream& s = GetParam();
    const std::vector<uint8_t> bitstream = conformanceFile(std::string(s.name) + ".bit");
    const std::vector<int16_t> reference = samplesOf(conformanceFile(std::string(s.name) + ".pcm"));
    if (bitstream.empty() || reference.empty()) GTEST_SKIP() << "conformance streams not found";
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
                             for (char& ch : name)
                                 if (ch == '-') ch = '_';
                             return name;
                         });

}  // namespace
}  // namespace sonidrax::mpeg::testing
