#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "synthesis.h"

namespace sonidrax::mpeg::testing {
namespace {

std::vector<float> randomBlock(std::mt19937& random, float amplitude) {
    std::uniform_real_distribution<float> value(-amplitude, amplitude);
    std::vector<float> block(32);
    for (float& x : block) x = value(random);
    return block;
}

// Every channel test runs on each synthesis path this processor has.
class SynthesisPaths : public ::testing::TestWithParam<SynthesisPath> {
protected:
    SynthesisChannel make() const { return SynthesisChannel(GetParam()); }
};

std::vector<SynthesisPath> supportedPaths() {
    std::vector<SynthesisPath> paths;
    for (const SynthesisPath path : kSynthesisPaths)
        if (synthesisPathSupported(path)) paths.push_back(path);
    return paths;
}

TEST(SynthesisConversion, RoundsHalvesToEvenAndTruncatesAtReducedRates) {
    EXPECT_EQ(SynthesisChannel::toPcm(2.5, false), 2);
    EXPECT_EQ(SynthesisChannel::toPcm(3.5, false), 4);
    EXPECT_EQ(SynthesisChannel::toPcm(-2.5, false), -2);
    EXPECT_EQ(SynthesisChannel::toPcm(-2.7, false), -3);
    EXPECT_EQ(SynthesisChannel::toPcm(-2.7, true), -2);
    EXPECT_EQ(SynthesisChannel::toPcm(2.9, true), 2);
    EXPECT_EQ(SynthesisChannel::toPcm(40000.0, false), 32767);
    EXPECT_EQ(SynthesisChannel::toPcm(-40000.0, true), -32768);
    EXPECT_EQ(SynthesisChannel::toPcm(32767.4, false), 32767);
    // Far beyond what a 32-bit conversion holds, so the clipping cannot lean on it.
    EXPECT_EQ(SynthesisChannel::toPcm(1e12, false), 32767);
    EXPECT_EQ(SynthesisChannel::toPcm(-1e12, true), -32768);
}

TEST_P(SynthesisPaths, EqualiserScalesItsSubbandAndSurvivesReset) {
    std::vector<float> in(32, 0.0f);
    in[3] = 0.25f;
    std::vector<float> doubled = in;
    doubled[3] = 0.5f;
    float gains[32];
    std::fill(std::begin(gains), std::end(gains), 1.0f);
    gains[3] = 2.0f;
    SynthesisChannel equalised = make(), plain = make();
    equalised.setGains(gains);
    equalised.reset();
    EXPECT_TRUE(equalised.hasGains());
    for (int block = 0; block < 8; ++block) {
        int16_t a[32], b[32];
        equalised.setOutput(a, 1);
        plain.setOutput(b, 1);
        equalised.synthesise(in.data());
        plain.synthesise(doubled.data());
        for (int j = 0; j < 32; ++j) ASSERT_EQ(a[j], b[j]);
    }
}

// A reduced rate keeps every second or fourth sample of the full-rate filter, truncated
// rather than rounded; a silent block writes only its zeros and leaves the filter as it
// was.
TEST_P(SynthesisPaths, ReducedRatesKeepEveryFewSamplesAndSilenceKeepsTheFilter) {
    std::mt19937 random(3);
    for (uint32_t shift = 1; shift <= 2; ++shift) {
        SynthesisChannel full = make(), reduced = make();
        reduced.setRateShift(shift);
        const int count = 32 >> shift;
        for (int block = 0; block < 10; ++block) {
            const std::vector<float> in = randomBlock(random, 0.05f);
            int16_t pcmFull[32], pcmReduced[17];
            std::fill(std::begin(pcmReduced), std::end(pcmReduced), int16_t{12345});
            reduced.setOutput(pcmReduced, 1);
            if (block == 5) {
                reduced.silence();
                EXPECT_EQ(std::count(pcmReduced, pcmReduced + count + 1, 0), count);
                continue;
            }
            full.setOutput(pcmFull, 1);
            full.synthesise(in.data());
            reduced.synthesise(in.data());
            ASSERT_EQ(reduced.outputPosition(), pcmReduced + count);
            EXPECT_EQ(pcmReduced[count], 12345);  // nothing written past the block
            for (int i = 0; i < count; ++i) EXPECT_LE(std::abs(pcmReduced[i] - pcmFull[i << shift]), 1) << i;
        }
    }
}

// Samples must not depend on the processor: each path gives exactly the portable
// path's samples, over enough blocks that a sum rounded differently anywhere would
// show, with loud blocks that clip, an equaliser, at every rate, the channels filtered
// one by one and as an interleaved pair (which is woven in one pass).
TEST_P(SynthesisPaths, GivesThePortablePathsSamplesBitForBit) {
    float gains[32];
    for (int k = 0; k < 32; ++k) gains[k] = 0.5f + 0.05f * static_cast<float>(k);
    for (uint32_t shift = 0; shift <= 2; ++shift) {
        std::mt19937 random(13 + shift);
        SynthesisChannel left = make(), right = make();
        SynthesisChannel portableLeft(SynthesisPath::kPortable), portableRight(SynthesisPath::kPortable);
        for (SynthesisChannel* c : {&left, &right, &portableLeft, &portableRight}) c->setRateShift(shift);
        right.setGains(gains);
        portableRight.setGains(gains);
        for (int block = 0; block < 3000; ++block) {
            const float amplitude = block % 100 == 99 ? (block % 200 == 199 ? 1e12f : 8.0f) : 0.5f;
            const std::vector<float> l = randomBlock(random, amplitude), r = randomBlock(random, amplitude);
            int16_t got[66], expected[66];
            std::fill(std::begin(got), std::end(got), int16_t{-7});
            std::fill(std::begin(expected), std::end(expected), int16_t{-7});
            left.setOutput(got, 2);
            right.setOutput(got + 1, 2);
            portableLeft.setOutput(expected, 2);
            portableRight.setOutput(expected + 1, 2);
            if (block % 2 == 0) {
                SynthesisChannel::synthesisePair(left, right, l.data(), r.data());
            } else {
                left.synthesise(l.data());
                right.synthesise(r.data());
            }
            portableLeft.synthesise(l.data());
            portableRight.synthesise(r.data());
            for (int i = 0; i < 66; ++i)
                ASSERT_EQ(got[i], expected[i])
                    << synthesisPathName(GetParam()) << " shift " << shift << " block " << block;
            ASSERT_EQ(right.outputPosition() - got, 2 * (32 >> shift) + 1);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EachPath, SynthesisPaths, ::testing::ValuesIn(supportedPaths()),
                         [](const ::testing::TestParamInfo<SynthesisPath>& info) {
                             return std::string(synthesisPathName(info.param));
                         });

}  // namespace
}  // namespace sonidrax::mpeg::testing
