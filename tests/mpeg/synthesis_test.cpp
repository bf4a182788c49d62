#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "synthesis.h"

namespace sonidrax::mpeg::testing {
namespace {

TEST(SynthesisConversion, RoundsHalvesToEvenAndTruncatesAtReducedRates) {
    // Values far beyond what a 32-bit conversion holds, so that the clipping cannot lean on it.
    const struct {
        double sum;
        bool truncate;
        int16_t pcm;
    } cases[] = {{2.5, false, 2},         {3.5, false, 4},      {-2.5, false, -2},       {-2.7, false, -3},
                 {-2.7, true, -2},        {2.9, true, 2},       {40000.0, false, 32767}, {-40000.0, true, -32768},
                 {32767.4, false, 32767}, {1e12, false, 32767}, {-1e12, true, -32768}};
    for (const auto& c : cases) EXPECT_EQ(SynthesisChannel::toPcm(c.sum, c.truncate), c.pcm) << c.sum;
}

std::vector<SynthesisPath> supportedPaths() {
    std::vector<SynthesisPath> paths;
    for (const SynthesisPath path : kSynthesisPaths)
        if (synthesisPathSupported(path)) paths.push_back(path);
    return paths;
}

class SynthesisPaths : public ::testing::TestWithParam<SynthesisPath> {};

// Samples must not depend on the processor: each path gives exactly the portable path's
// samples, over enough blocks that a sum rounded differently anywhere would show, with
// loud blocks that clip, an equaliser that survives a reset, at every rate, the channels
// filtered one by one and as an interleaved pair (woven in one pass). Beside that, the
// equalised channel follows a full-rate filter fed the scaled subbands: exactly at the
// full rate, every few samples within the truncation at reduced rates; and a silent
// block writes only its zeros and leaves the filter as it was.
TEST_P(SynthesisPaths, GivesThePortablePathsSamplesAndFollowsTheFullRateFilter) {
    float gains[32];
    for (int k = 0; k < 32; ++k) gains[k] = 0.5f + 0.05f * static_cast<float>(k);
    for (uint32_t shift = 0; shift <= 2; ++shift) {
        std::mt19937 random(13 + shift);
        std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
        SynthesisChannel left(GetParam()), right(GetParam()), full(SynthesisPath::kPortable);
        SynthesisChannel portableLeft(SynthesisPath::kPortable), portableRight(SynthesisPath::kPortable);
        for (SynthesisChannel* c : {&left, &right, &portableLeft, &portableRight}) c->setRateShift(shift);
        right.setGains(gains);
        right.reset();
        portableRight.setGains(gains);
        const int count = 32 >> shift;
        for (int block = 0; block < 3000; ++block) {
            const bool loud = block % 100 == 99;
            const float amplitude = loud ? (block % 200 == 199 ? 1e12f : 8.0f) : 0.5f;
            std::vector<float> l(32), r(32), scaled(32);
            for (int k = 0; k < 32; ++k) {
                l[k] = unit(random) * amplitude;
                r[k] = unit(random) * amplitude;
                scaled[k] = r[k] * gains[k];
            }
            int16_t got[66], expected[66], reference[33];
            std::fill(std::begin(got), std::end(got), int16_t{-7});
            std::fill(std::begin(expected), std::end(expected), int16_t{-7});
            left.setOutput(got, 2);
            right.setOutput(got + 1, 2);
            portableLeft.setOutput(expected, 2);
            portableRight.setOutput(expected + 1, 2);
            full.setOutput(reference, 1);
            if (block % 50 == 25) {
                for (SynthesisChannel* c : {&left, &right, &portableLeft, &portableRight}) c->silence();
                EXPECT_EQ(std::count(got, got + 66, 0), 2 * count);
                continue;
            }
            if (block % 2 == 0) {
                SynthesisChannel::synthesisePair(left, right, l.data(), r.data());
            } else {
                left.synthesise(l.data());
                right.synthesise(r.data());
            }
            portableLeft.synthesise(l.data());
            portableRight.synthesise(r.data());
            full.synthesise(scaled.data());
            for (int i = 0; i < 66; ++i)
                ASSERT_EQ(got[i], expected[i])
                    << synthesisPathName(GetParam()) << " shift " << shift << " block " << block;
            ASSERT_EQ(right.outputPosition() - got, 2 * count + 1);
            for (int i = 0; !loud && i < count; ++i)
                ASSERT_LE(std::abs(got[2 * i + 1] - reference[i << shift]), shift == 0 ? 0 : 1)
                    << "shift " << shift << " block " << block;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EachPath, SynthesisPaths, ::testing::ValuesIn(supportedPaths()),
                         [](const ::testing::TestParamInfo<SynthesisPath>& info) {
                             return std::string(synthesisPathName(info.param));
                         });

}  // namespace
}  // namespace sonidrax::mpeg::testing
