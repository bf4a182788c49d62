#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "synthesis.h"
#include "synthesis_window.h"

namespace sonidrax::mpeg::testing {
namespace {

constexpr double kPi = 3.14159265358979323846;

// The standard's synthesis filter as its flow chart gives it: shift V by 64, matrix the
// 32 samples into V[0..63], build U from V, window with D and sum, with D scaled to
// 16-bit units.
class ReferenceSynthesis {
public:
    std::vector<double> run(const float* samples) {
        for (int i = 1023; i >= 64; --i) v_[i] = v_[i - 64];
        for (int i = 0; i < 64; ++i) {
            double sum = 0.0;
            for (int k = 0; k < 32; ++k) sum += std::cos((16 + i) * (2 * k + 1) * kPi / 64.0) * samples[k];
            v_[i] = sum;
        }
        double u[512];
        for (int i = 0; i < 8; ++i) {
            for (int j = 0; j < 32; ++j) {
                u[i * 64 + j] = v_[i * 128 + j];
                u[i * 64 + 32 + j] = v_[i * 128 + 96 + j];
            }
        }
        std::vector<double> out(32, 0.0);
        for (int j = 0; j < 32; ++j)
            for (int i = 0; i < 16; ++i) out[j] += u[j + 32 * i] * windowCoefficient(j + 32 * i) / 2.0;
        return out;
    }

private:
    double v_[1024] = {};
};

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
}

TEST_P(SynthesisPaths, ReducedRateKeepsEveryFourthSampleTruncated) {
    std::mt19937 random(3);
    SynthesisChannel full = make(), reduced = make();
    reduced.setRateShift(2);
    ReferenceSynthesis reference;
    for (int block = 0; block < 10; ++block) {
        const std::vector<float> in = randomBlock(random, 0.05f);
        int16_t pcmFull[32], pcmReduced[32];
        std::fill(std::begin(pcmReduced), std::end(pcmReduced), int16_t{12345});
        full.setOutput(pcmFull, 1);
        reduced.setOutput(pcmReduced, 1);
        full.synthesise(in.data());
        reduced.synthesise(in.data());
        EXPECT_EQ(reduced.outputPosition(), pcmReduced + 8);
        EXPECT_EQ(pcmReduced[8], 12345);  // nothing written past the 8 samples
        const std::vector<double> expected = reference.run(in.data());
        for (int i = 0; i < 8; ++i) EXPECT_LE(std::abs(pcmReduced[i] - std::trunc(expected[4 * i])), 1.0) << i;
    }
}

TEST_P(SynthesisPaths, HugeSumsClipToTheirOwnSign) {
    // Far beyond what a 32-bit conversion holds, so the clipping cannot lean on it.
    for (const float amplitude : {4e5f, 1e12f, -1e12f}) {
        SynthesisChannel channel = make();
        float loud[32] = {};
        loud[1] = amplitude;
        int16_t pcm[32];
        channel.setOutput(pcm, 1);
        channel.synthesise(loud);
        channel.setOutput(pcm, 1);
        channel.synthesise(loud);
        ReferenceSynthesis reference;
        reference.run(loud);  // the first block, as the channel had it
        const std::vector<double> expected = reference.run(loud);
        for (int j = 0; j < 32; ++j) {
            if (expected[j] > 40000.0) {
                EXPECT_EQ(pcm[j], 32767) << amplitude << " " << j;
            }
            if (expected[j] < -40000.0) {
                EXPECT_EQ(pcm[j], -32768) << amplitude << " " << j;
            }
        }
    }
}

TEST_P(SynthesisPaths, EqualiserScalesItsSubbandAndSurvivesReset) {
    std::mt19937 random(5);
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

TEST_P(SynthesisPaths, SilenceWritesZerosAndKeepsTheFilterMemory) {
    std::mt19937 random(11);
    SynthesisChannel a = make(), b = make();
    int16_t pcm[32], other[32];
    const std::vector<float> first = randomBlock(random, 0.5f), second = randomBlock(random, 0.5f);
    a.setOutput(pcm, 1);
    b.setOutput(other, 1);
    a.synthesise(first.data());
    b.synthesise(first.data());
    a.setRateShift(1);
    std::fill(std::begin(pcm), std::end(pcm), int16_t{7});
    a.setOutput(pcm, 1);
    a.silence();
    for (int j = 0; j < 16; ++j) EXPECT_EQ(pcm[j], 0);
    EXPECT_EQ(pcm[16], 7);
    a.setRateShift(0);
    a.setOutput(pcm, 1);
    b.setOutput(other, 1);
    a.synthesise(second.data());
    b.synthesise(second.data());
    for (int j = 0; j < 32; ++j) EXPECT_EQ(pcm[j], other[j]);
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
            const float amplitude = block % 100 == 99 ? 8.0f : 0.5f;
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
