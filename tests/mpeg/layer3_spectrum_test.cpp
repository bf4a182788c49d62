// Huffman decoding with inline requantisation, the side information and the scale
// factors of Layer III, on bit streams built from the standard's code tables.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "decoder/status.h"
#include "layer3_bands.h"
#include "layer3_huffman.h"
#include "layer3_scale_factors.h"
#include "layer3_side_info.h"
#include "layer3_spectrum.h"
#include "layer3_stream.h"

namespace sonidrax::mpeg::testing {

namespace {

float pow43(int n) { return static_cast<float>(std::copysign(std::pow(std::abs(n), 4.0 / 3.0), n)); }

const BandEdges& edges44() { return bandEdges(kVersionMpeg1, 0); }

GranuleInfo longGranule(unsigned tableSelect, unsigned bigValues) {
    GranuleInfo g = unityLongGranule(tableSelect, bigValues);
    g.region1Start = g.region2Start = 576;
    return g;
}

struct Decoded {
    std::vector<float> spectrum = std::vector<float>(576, 123.0f);
    unsigned extent = 0;
    uint32_t endPosition = 0;
};

Decoded decode(const BitWriter& w, uint32_t budget, const GranuleInfo& g, const ScaleFactors& sf = {},
               const BandEdges& edges = edges44()) {
    const std::vector<uint32_t> words = wordsOf(w);
    BitReader bits(words.data(), static_cast<uint32_t>(words.size()));
    Decoded d;
    d.extent = decodeSpectrum(bits, budget, g, sf, edges, d.spectrum.data());
    d.endPosition = bits.position();
    return d;
}

TEST(Layer3Huffman, EveryCodeWordOfEveryTableDecodesToItsPair) {
    const Layer3HuffmanTables& tables = Layer3HuffmanTables::instance();
    ASSERT_TRUE(tables.valid());
    for (unsigned select : {1u, 7u, 13u, 15u, 16u, 24u}) {
        const PairCode code = pairCodeFor(select);
        const HuffmanCodeTable& table = huffmanCodeTable(code.codeTable);
        for (unsigned x = 0; x < table.size; ++x) {
            for (unsigned y = 0; y < table.size; ++y) {
                BitWriter w;
                w.put(5, 3);  // misalign the code word within the 32-bit words
                putCode(w, table, x * table.size + y);
                w.put(0x2A, 7);
                const std::vector<uint32_t> words = wordsOf(w);
                BitReader bits(words.data(), static_cast<uint32_t>(words.size()));
                bits.get(3);
                bits.refill();
                EXPECT_EQ(decodeHuffman(bits, tables.pairTable(select)), (x << 4) | y) << "table " << select;
                EXPECT_EQ(bits.get(7), 0x2Au) << "table " << select << " pair " << x << "," << y;
            }
        }
    }
    for (unsigned select = 0; select < 2; ++select) {
        const HuffmanCodeTable& table = huffmanCodeTable(select ? kCount1TableB : kCount1TableA);
        for (unsigned q = 0; q < 16; ++q) {
            BitWriter w;
            putCode(w, table, q);
            const std::vector<uint32_t> words = wordsOf(w);
            BitReader bits(words.data(), static_cast<uint32_t>(words.size()));
            bits.refill();
            EXPECT_EQ(decodeHuffman(bits, tables.quadTable(select)), q);
            EXPECT_EQ(bits.position(), table.lengths[q]);
        }
    }
}

TEST(Layer3Huffman, TableZeroReadsNothing) {
    // Table 0 over the whole big-value region: zeros, and the count1 region starts at once.
    BitWriter w;
    encodeQuad(w, 0, {1, 0, 0, -1});
    GranuleInfo g = longGranule(0, 4);
    const Decoded d = decode(w, static_cast<uint32_t>(w.bitCount()), g);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(d.spectrum[i], 0.0f);
    EXPECT_EQ(d.spectrum[8], 1.0f);
    EXPECT_EQ(d.spectrum[11], -1.0f);
}

TEST(BitReader, ReadsAcrossWordsAndDeliversZerosPastTheEnd) {
    const uint32_t words[2] = {0x12345678u, 0x9ABCDEF0u};
    BitReader bits(words, 2);
    EXPECT_EQ(bits.get(4), 0x1u);
    EXPECT_EQ(bits.get(32), 0x23456789u);
    EXPECT_EQ(bits.get(28), 0xABCDEF0u);
    EXPECT_EQ(bits.position(), 64u);
    EXPECT_EQ(bits.get(32), 0u);  // beyond the words
    EXPECT_EQ(bits.position(), 96u);
    bits.seek(12);
    EXPECT_EQ(bits.get(8), 0x45u);
    bits.seek(1u << 20);  // far beyond: still zeros, nothing touched
    EXPECT_EQ(bits.get(16), 0u);
}

TEST(Layer3Spectrum, UnityGainGivesFourThirdsPowersAndUnitCount1Values) {
    const int pairs[][2] = {{0, 1}, {-2, 3}, {15, -15}, {7, 0}, {-1, -9}, {4, 14}};
    BitWriter w;
    for (const auto& p : pairs) encodePair(w, 15, p[0], p[1]);
    encodeQuad(w, 1, {1, -1, 0, 1});
    encodeQuad(w, 1, {0, 0, -1, 0});
    GranuleInfo g = longGranule(15, 6);
    g.count1Table = 1;
    const Decoded d = decode(w, static_cast<uint32_t>(w.bitCount()), g);
    for (int i = 0; i < 6; ++i) {
        EXPECT_FLOAT_EQ(d.spectrum[2 * i], pow43(pairs[i][0])) << i;
        EXPECT_FLOAT_EQ(d.spectrum[2 * i + 1], pow43(pairs[i][1])) << i;
    }
    const float count1[8] = {1, -1, 0, 1, 0, 0, -1, 0};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(d.spectrum[12 + i], count1[i]) << i;
    for (int i = 20; i < 576; ++i) ASSERT_EQ(d.spectrum[i], 0.0f) << i;
    EXPECT_EQ(d.extent, 20u);
}

TEST(Layer3Spectrum, LinbitsExtendEscapedValuesUpToTheLargest) {
    BitWriter w;
    encodePair(w, 16, 16, -15);    // linbits 1
    encodePair(w, 31, 8206, 300);  // linbits 13: the largest codable value
    encodePair(w, 24, -30, 2);     // linbits 4
    const Decoded d = decode(w, static_cast<uint32_t>(w.bitCount()), [] {
        GranuleInfo g = longGranule(16, 3);
        g.region1Start = 2;
        g.region2Start = 4;
        g.tableSelect[1] = 31;
        g.tableSelect[2] = 24;
        return g;
    }());
    EXPECT_FLOAT_EQ(d.spectrum[0], pow43(16));
    EXPECT_FLOAT_EQ(d.spectrum[1], pow43(-15));
    EXPECT_FLOAT_EQ(d.spectrum[2], pow43(8206));
    EXPECT_FLOAT_EQ(d.spectrum[3], pow43(300));
    EXPECT_FLOAT_EQ(d.spectrum[4], pow43(-30));
    EXPECT_FLOAT_EQ(d.spectrum[5], pow43(2));
}

TEST(Layer3Spectrum, GainFollowsGlobalGainScaleFactorsPreflagAndScale) {
    BitWriter w;
    for (int pair = 0; pair < 288; ++pair) encodePair(w, 1, 1, 1);
    GranuleInfo g = longGranule(1, 288);
    g.globalGain = 214;  // one step of 2^(1/4) ... times 4: a factor 2
    ScaleFactors sf;
    sf.longBands[3] = 2;   // band 3: 12-15
    sf.longBands[16] = 1;  // band 16: 162-195, pretab 2 there
    const uint32_t budget = static_cast<uint32_t>(w.bitCount());

    const Decoded plain = decode(w, budget, g, sf);
    EXPECT_FLOAT_EQ(plain.spectrum[0], 2.0f);
    EXPECT_FLOAT_EQ(plain.spectrum[12], 2.0f * std::pow(2.0f, -0.5f * 2));
    EXPECT_FLOAT_EQ(plain.spectrum[170], 2.0f * std::pow(2.0f, -0.5f * 1));

    g.scalefacScale = 1;
    g.preflag = 1;
    const Decoded scaled = decode(w, budget, g, sf);
    EXPECT_FLOAT_EQ(scaled.spectrum[12], 2.0f * std::pow(2.0f, -1.0f * 2));
    EXPECT_FLOAT_EQ(scaled.spectrum[170], 2.0f * std::pow(2.0f, -1.0f * (1 + 2)));
    EXPECT_FLOAT_EQ(scaled.spectrum[0], 2.0f);
}

TEST(Layer3Spectrum, ShortBlocksAreStoredReorderedWithSubblockGains) {
    // Window by window within each short band, as the bit stream codes them.
    BitWriter w;
    const unsigned pairs = 3 * 4 / 2 * 2;  // bands 0 and 1, 4 values × 3 windows each
    auto codedValue = [](int k) { return 1 + k % 14; };
    for (unsigned p = 0; p < pairs; ++p) encodePair(w, 15, codedValue(2 * p), codedValue(2 * p + 1));
    GranuleInfo g = longGranule(15, pairs);
    g.windowSwitching = 1;
    g.blockType = 2;
    g.subblockGain[1] = 1;  // window 1 at 2^-2
    const Decoded d = decode(w, static_cast<uint32_t>(w.bitCount()), g);
    int coded = 0;
    for (unsigned band = 0; band < 2; ++band) {
        for (unsigned window = 0; window < 3; ++window) {
            for (unsigned i = 0; i < 4; ++i, ++coded) {
                const unsigned position = 3 * (4 * band) + 3 * i + window;
                const float gain = window == 1 ? 0.25f : 1.0f;
                EXPECT_FLOAT_EQ(d.spectrum[position], pow43(codedValue(coded)) * gain)
                    << band << " " << window << " " << i;
            }
        }
    }
    EXPECT_EQ(d.extent, 3u * 8u);
}

TEST(Layer3Spectrum, Mpeg2MixedBlocksUseSixLongBandsThenShortBandsFromThree) {
    // 22050 Hz: long bands 0-5 end at 36 = the start of short band 3 (12 per window).
    const BandEdges& edges = bandEdges(kVersionMpeg2, 0);
    BitWriter w;
    for (int p = 0; p < 18; ++p) encodePair(w, 15, 1, 1);  // 36 long values
    for (int p = 0; p < 9; ++p) encodePair(w, 15, 2, 2);   // short band 3: 6 values × 3 windows
    GranuleInfo g = longGranule(15, 27);
    g.windowSwitching = 1;
    g.blockType = 2;
    g.mixedBlock = 1;
    ScaleFactors sf;
    sf.longBands[5] = 1;      // long band 5: 30-35
    sf.shortBands[3][2] = 2;  // short band 3, window 2
    const Decoded d = decode(w, static_cast<uint32_t>(w.bitCount()), g, sf, edges);
    for (int i = 0; i < 30; ++i) EXPECT_FLOAT_EQ(d.spectrum[i], 1.0f) << i;
    for (int i = 30; i < 36; ++i) EXPECT_FLOAT_EQ(d.spectrum[i], std::pow(2.0f, -0.5f)) << i;
    for (unsigned i = 0; i < 6; ++i) {
        for (unsigned window = 0; window < 3; ++window) {
            const float expected = pow43(2) * (window == 2 ? 0.5f : 1.0f);
            EXPECT_FLOAT_EQ(d.spectrum[36 + 3 * i + window], expected) << i << " " << window;
        }
    }
}

TEST(Layer3Spectrum, ReadingEndsAtTheBudgetAndDropsValuesThatOverrunIt) {
    BitWriter quads, stuffed, pairs;
    encodePair(quads, 1, 1, 0);
    encodeQuad(quads, 0, {1, 0, 0, 0});
    const uint32_t complete = static_cast<uint32_t>(quads.bitCount());
    encodeQuad(quads, 0, {1, 1, 1, 1});  // the budget ends inside this one
    encodePair(stuffed, 1, 1, 1);
    for (int p = 0; p < 4; ++p) encodePair(pairs, 15, 3, 3);
    const uint32_t fourPairs = static_cast<uint32_t>(pairs.bitCount());
    for (int p = 0; p < 6; ++p) encodePair(pairs, 15, 3, 3);
    const struct {
        const BitWriter* bits;
        GranuleInfo granule;
        uint32_t budget;
        std::vector<float> expected;  // zeros after these, up to `checked`
        size_t checked;
    } cases[] = {
        {&quads, longGranule(1, 1), complete + 3, {1, 0, 1}, 576},
        {&stuffed, longGranule(1, 1), static_cast<uint32_t>(stuffed.bitCount()) + 40, {1, 1}, 2},  // stuffing skipped
        {&pairs, longGranule(15, 288), fourPairs, std::vector<float>(8, pow43(3)), 576},
    };
    for (const auto& c : cases) {
        const Decoded d = decode(*c.bits, c.budget, c.granule);
        for (size_t i = 0; i < c.checked; ++i)
            ASSERT_FLOAT_EQ(d.spectrum[i], i < c.expected.size() ? c.expected[i] : 0.0f) << i;
        EXPECT_EQ(d.endPosition, c.budget);
    }
}

TEST(Layer3Spectrum, GarbageNeverWritesOutsideTheSpectrum) {
    // Random bits with every table and block kind: the decoder must stay inside its
    // arrays (checked by the sanitiser builds) and end at the budget.
    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed;
    };
    std::vector<uint32_t> words(64);
    for (int round = 0; round < 400; ++round) {
        for (uint32_t& word : words) word = next();
        GranuleInfo g = longGranule(next() % 32, 288);
        g.tableSelect[1] = next() % 32;
        g.tableSelect[2] = next() % 32;
        g.region1Start = (next() % 23) * 2;
        g.region2Start = (next() % 289) * 2;
        g.count1Table = next() & 1u;
        g.globalGain = next() & 255u;
        g.windowSwitching = round % 3 != 0;
        g.blockType = g.windowSwitching ? 1 + next() % 3 : 0;
        g.mixedBlock = next() & 1u;
        for (uint32_t& gain : g.subblockGain) gain = next() & 7u;
        ScaleFactors sf;
        for (uint8_t& v : sf.longBands) v = static_cast<uint8_t>(next() & 31u);
        const BandEdges& edges = bandEdges(next() % 3, next() % 3);
        BitReader bits(words.data(), static_cast<uint32_t>(words.size()));
        const uint32_t budget = next() % 4096;
        std::vector<float> spectrum(576);
        const unsigned extent = decodeSpectrum(bits, budget, g, sf, edges, spectrum.data());
        EXPECT_LE(extent, 576u);
        EXPECT_EQ(bits.position(), budget);
        for (unsigned i = extent; i < 576; ++i) ASSERT_EQ(spectrum[i], 0.0f) << round;
    }
}

// Side information.

std::vector<uint32_t> sideInfoWords(const HeaderFields& fields, const GranuleInfo& g) {
    BitWriter w;
    const bool mpeg1 = fields.version == 1;
    w.put(0, mpeg1 ? 9 : 8);
    w.put(0, mpeg1 ? 5 : 1);  // single channel
    if (mpeg1) w.put(0, 4);
    for (int gr = 0; gr < (mpeg1 ? 2 : 1); ++gr) writeGranuleInfo(w, mpeg1, g, 100);
    return wordsOf(w);
}

int32_t readSide(const HeaderFields& fields, const GranuleInfo& g, SideInfo& info) {
    const std::vector<uint32_t> words = sideInfoWords(fields, g);
    BitReader bits(words.data(), static_cast<uint32_t>(words.size()));
    return readSideInfo(bits, unpackHeader(headerWord(fields)), info);
}

HeaderFields monoLayer3(uint32_t version, uint32_t samplingIndex) {
    HeaderFields f;
    f.version = version;
    f.layer = 1;
    f.mode = 3;
    f.samplingIndex = samplingIndex;
    return f;
}

TEST(Layer3SideInfo, ForbiddenValuesAbort) {
    SideInfo info;
    GranuleInfo g = unityLongGranule(1, 288);
    EXPECT_EQ(readSide(monoLayer3(1, 0), g, info), decoder::kSuccess);
    EXPECT_EQ(info.mainDataBits, 200u);
    g.bigValues = 289;
    EXPECT_EQ(readSide(monoLayer3(1, 0), g, info), decoder::kDecodeAborted);
    g.bigValues = 10;
    g.windowSwitching = 1;
    g.blockType = 0;
    EXPECT_EQ(readSide(monoLayer3(0, 1), g, info), decoder::kDecodeAborted);
    g.blockType = 3;
    EXPECT_EQ(readSide(monoLayer3(0, 1), g, info), decoder::kSuccess);
}

TEST(Layer3SideInfo, RegionsStartAtTheBandEdgesOfTheStreamsFrequency) {
    SideInfo info;
    GranuleInfo g = unityLongGranule(1, 100);
    g.region0Count = 3;
    g.region1Count = 2;
    ASSERT_EQ(readSide(monoLayer3(1, 0), g, info), decoder::kSuccess);  // 44100 Hz
    EXPECT_EQ(info.granule[0][0].region1Start, 16u);
    EXPECT_EQ(info.granule[0][0].region2Start, 30u);
    ASSERT_EQ(readSide(monoLayer3(1, 2), g, info), decoder::kSuccess);  // 32000 Hz
    EXPECT_EQ(info.granule[1][0].region2Start, 30u);
    g.region0Count = 15;
    g.region1Count = 5;  // band 22: past the last edge
    ASSERT_EQ(readSide(monoLayer3(0, 0), g, info), decoder::kSuccess);
    EXPECT_EQ(info.granule[0][0].region1Start, 238u);
    EXPECT_EQ(info.granule[0][0].region2Start, 576u);

    g.windowSwitching = 1;
    g.blockType = 1;
    ASSERT_EQ(readSide(monoLayer3(1, 0), g, info), decoder::kSuccess);
    EXPECT_EQ(info.granule[0][0].region1Start, 36u);
    ASSERT_EQ(readSide(monoLayer3(0, 1), g, info), decoder::kSuccess);  // start block at 24000 Hz
    EXPECT_EQ(info.granule[0][0].region1Start, 54u);
    g.blockType = 2;
    ASSERT_EQ(readSide(monoLayer3(0, 1), g, info), decoder::kSuccess);
    EXPECT_EQ(info.granule[0][0].region1Start, 36u);
    EXPECT_EQ(info.granule[0][0].region2Start, 576u);
}

// Scale factors.

struct ScaleRead {
    uint32_t bits;
    uint32_t consumed;
};

ScaleRead readScales(const BitWriter& w, const HeaderFields& fields, const SideInfo& info, unsigned gr, unsigned ch,
                     GranuleInfo& g, ScaleFactors& sf) {
    const std::vector<uint32_t> words = wordsOf(w);
    BitReader bits(words.data(), static_cast<uint32_t>(words.size()));
    const uint32_t used = readScaleFactors(bits, unpackHeader(headerWord(fields)), info, gr, ch, g, sf);
    return {used, bits.position()};
}

TEST(Layer3ScaleFactors, Mpeg1GranuleOneCopiesTheGroupsItsScfsiSelects) {
    HeaderFields fields = monoLayer3(1, 0);
    SideInfo info;
    info.scfsi[0] = 0b1010;  // keep bands 0-5 and 11-15 from granule 0
    GranuleInfo g = unityLongGranule(1, 0);
    g.scalefacCompress = 15;  // slen1 4, slen2 3
    ScaleFactors sf;
    BitWriter first;
    for (unsigned band = 0; band < 11; ++band) first.put(band + 1, 4);
    for (unsigned band = 11; band < 21; ++band) first.put(band - 10, 3);
    const ScaleRead r0 = readScales(first, fields, info, 0, 0, g, sf);
    EXPECT_EQ(r0.bits, 11u * 4 + 10u * 3);
    EXPECT_EQ(r0.consumed, r0.bits);

    BitWriter second;
    for (unsigned band = 6; band < 11; ++band) second.put(15, 4);
    for (unsigned band = 16; band < 21; ++band) second.put(7, 3);
    const ScaleRead r1 = readScales(second, fields, info, 1, 0, g, sf);
    EXPECT_EQ(r1.bits, 5u * 4 + 5u * 3);
    for (unsigned band = 0; band < 6; ++band) EXPECT_EQ(sf.longBands[band], band + 1);
    for (unsigned band = 6; band < 11; ++band) EXPECT_EQ(sf.longBands[band], 15);
    for (unsigned band = 11; band < 16; ++band) EXPECT_EQ(sf.longBands[band], band - 10);
    for (unsigned band = 16; band < 21; ++band) EXPECT_EQ(sf.longBands[band], 7);
    EXPECT_EQ(sf.longBands[21], 0);
}

TEST(Layer3ScaleFactors, Mpeg1MixedBlocksReadEightLongAndNineShortBands) {
    HeaderFields fields = monoLayer3(1, 0);
    SideInfo info;
    GranuleInfo g = unityLongGranule(1, 0);
    g.windowSwitching = 1;
    g.blockType = 2;
    g.mixedBlock = 1;
    g.scalefacCompress = 9;  // slen1 2, slen2 2
    BitWriter w;
    for (int i = 0; i < 8; ++i) w.put(1, 2);
    for (int i = 0; i < 9; ++i) w.put(2, 2);
    for (int i = 0; i < 18; ++i) w.put(3, 2);
    ScaleFactors sf;
    const ScaleRead r = readScales(w, fields, info, 0, 0, g, sf);
    EXPECT_EQ(r.bits, 17u * 2 + 18u * 2);
    EXPECT_EQ(sf.longBands[7], 1);
    EXPECT_EQ(sf.shortBands[3][0], 2);
    EXPECT_EQ(sf.shortBands[5][2], 2);
    EXPECT_EQ(sf.shortBands[6][0], 3);
    EXPECT_EQ(sf.shortBands[11][2], 3);
    EXPECT_EQ(sf.shortBands[0][0], 0);
}

TEST(Layer3ScaleFactors, LsfLayoutsCoverEveryBandOnceWithTheirLengths) {
    // Whatever scalefac_compress says, a long block reads 21 scale factors, a short
    // block 36 (12 bands × 3 windows) and a mixed block 6 + 27, in all 1536 layouts.
    for (unsigned intensity = 0; intensity < 2; ++intensity) {
        for (uint32_t sfc = 0; sfc < 512; ++sfc) {
            const LsfScaleFactorLayout layout = lsfScaleFactorLayout(sfc, intensity != 0);
            const unsigned expected[3] = {21, 36, 33};
            for (unsigned kind = 0; kind < 3; ++kind) {
                const uint8_t* counts = lsfBandCounts(layout.row, kind);
                EXPECT_EQ(counts[0] + counts[1] + counts[2] + counts[3], expected[kind]) << sfc;
            }
            for (uint8_t slen : layout.slen) EXPECT_LE(slen, intensity ? 5 : 4) << sfc;
            EXPECT_EQ(layout.preflag, !intensity && sfc >= 500 ? 1 : 0);
        }
    }
}

TEST(Layer3ScaleFactors, LsfIntensityRightChannelUsesTheHalvedTableAndMarksIllegalPositions) {
    HeaderFields fields = monoLayer3(0, 0);
    fields.mode = 1;
    fields.modeExtension = 1;  // intensity stereo
    SideInfo info;
    GranuleInfo g = unityLongGranule(1, 0);
    g.scalefacCompress = 2 * (36 * 1 + 6 * 2 + 3);  // slen 1, 2, 3, 0: counts 7, 7, 7, 0
    BitWriter w;
    for (int i = 0; i < 7; ++i) w.put(1, 1);
    for (int i = 0; i < 7; ++i) w.put(3, 2);
    for (int i = 0; i < 7; ++i) w.put(5, 3);
    ScaleFactors right;
    const ScaleRead r = readScales(w, fields, info, 0, 1, g, right);
    EXPECT_EQ(r.bits, 7u * 1 + 7u * 2 + 7u * 3);
    EXPECT_EQ(right.longBands[0], 1);
    EXPECT_EQ(right.longLimit[0], 1);
    EXPECT_EQ(right.longBands[7], 3);
    EXPECT_EQ(right.longLimit[7], 3);
    EXPECT_EQ(right.longBands[20], 5);
    EXPECT_EQ(right.longLimit[20], 7);
    EXPECT_EQ(right.longLimit[21], 7);

    // The left channel reads the same value with the normal table: 4 groups.
    ScaleFactors left;
    GranuleInfo gl = g;
    const ScaleRead l = readScales(w, fields, info, 0, 0, gl, left);
    const LsfScaleFactorLayout layout = lsfScaleFactorLayout(g.scalefacCompress, false);
    const uint8_t* counts = lsfBandCounts(layout.row, 0);
    uint32_t expected = 0;
    for (int i = 0; i < 4; ++i) expected += counts[i] * layout.slen[i];
    EXPECT_EQ(l.bits, expected);
}

}  // namespace
}  // namespace sonidrax::mpeg::testing
