#include "layer3_spectrum.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "layer3_huffman.h"

namespace sonidrax::mpeg {
namespace {

constexpr unsigned kPowTableSize = 256;

struct PowTable {
    float values[kPowTableSize];
    PowTable() {
        for (unsigned n = 0; n < kPowTableSize; ++n) values[n] = static_cast<float>(std::pow(double(n), 4.0 / 3.0));
    }
};

const PowTable& powTable() {
    static const PowTable table;
    return table;
}

// pretab of ISO/IEC 11172-3, added to the long scale factors when preflag is set.
constexpr uint8_t kPretab[22] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 3, 3, 3, 2, 0};

// 2^(e/4), e from -600 to 400: the quarter step from a table, the power of two
// written straight into the float's exponent.
float quarterPower(int e) {
    static constexpr float kQuarters[4] = {1.0f, 1.18920711500272106672f, 1.41421356237309504880f,
                                           1.68179283050742908606f};
    const int exponent = std::clamp(e >> 2, -126, 127);
    return kQuarters[e & 3] * std::bit_cast<float>(static_cast<uint32_t>(exponent + 127) << 23);
}

// Walks the spectrum in the order the bit stream codes it, one stretch of values
// with one gain at a time: a long band, or one window of one short band (values three
// apart, already in the reordered places). Mixed blocks take the long bands below
// the mixed boundary and then the short bands above it.
class Cursor {
public:
    Cursor(const GranuleInfo& g, const ScaleFactors& sf, const BandEdges& edges, float* spectrum)
        : g_(g), sf_(sf), edges_(edges), spectrum_(spectrum), shift_(1 + static_cast<int>(g.scalefacScale)) {
        pretab_ = g.preflag ? kPretab : kNoPretab;
        if (!g.isShort()) {
            longBands_ = kLongBands;
            shortBand_ = kShortBands;
        } else if (g.isMixed()) {
            longBands_ = mixedLongBandCount(edges);
            shortBand_ = mixedFirstShortBand(edges);
        } else {
            longBands_ = 0;
            shortBand_ = 0;
        }
        load();
    }

    bool done() const { return done_; }
    // The spectral extent of the band holding the last value written.
    unsigned extent() const { return written_; }
    float gain() const { return gain_; }

    // Both values of a pair lie in the same stretch, as every band has an even width.
    void putPair(float a, float b) {
        written_ = extent_;
        spectrum_[index_] = a;
        spectrum_[index_ + stride_] = b;
        index_ += 2 * stride_;
        left_ -= 2;
        if (left_ == 0) next();
    }

    void put(float value) {
        written_ = extent_;
        spectrum_[index_] = value;
        index_ += stride_;
        if (--left_ == 0) next();
    }

    void skipPair() {
        index_ += 2 * stride_;
        left_ -= 2;
        if (left_ == 0) next();
    }

private:
    void next() {
        if (longBand_ < longBands_) {
            ++longBand_;
        } else if (++window_ == 3) {
            window_ = 0;
            ++shortBand_;
        }
        load();
    }

    void load() {
        if (longBand_ < longBands_) {
            const unsigned band = longBand_;
            index_ = edges_.longEdges[band];
            left_ = edges_.longEdges[band + 1] - index_;
            stride_ = 1;
            extent_ = edges_.longEdges[band + 1];
            gain_ = gainOf((sf_.longBands[band] + pretab_[band]) << shift_);
            return;
        }
        if (shortBand_ >= kShortBands) {
            done_ = true;
            left_ = 0;
            return;
        }
        const unsigned band = shortBand_;
        const unsigned start = edges_.shortEdges[band];
        index_ = 3 * start + window_;
        left_ = edges_.shortEdges[band + 1] - start;
        stride_ = 3;
        extent_ = 3u * edges_.shortEdges[band + 1];
        gain_ = gainOf(8 * static_cast<int>(g_.subblockGain[window_]) + (sf_.shortBands[band][window_] << shift_));
    }

    float gainOf(int d) const { return quarterPower(static_cast<int>(g_.globalGain) - 210 - d); }

    static constexpr uint8_t kNoPretab[22] = {};

    const GranuleInfo& g_;
    const ScaleFactors& sf_;
    const BandEdges& edges_;
    float* spectrum_;
    int shift_;
    const uint8_t* pretab_;
    unsigned longBands_ = 0;
    unsigned longBand_ = 0;
    unsigned shortBand_ = 0;
    unsigned window_ = 0;
    bool done_ = false;
    unsigned index_ = 0;
    unsigned left_ = 0;
    unsigned stride_ = 1;
    unsigned extent_ = 0;
    unsigned written_ = 0;
    float gain_ = 0.0f;
};

// The value of magnitude n with its sign bit (present only when n is not 0); the
// sign goes straight into the float's sign bit.
inline float signedValue(BitReader& bits, uint32_t magnitude, const float* pow43, float gain) {
    const float value = (magnitude < kPowTableSize ? pow43[magnitude] : powFourThirds(magnitude)) * gain;
    const uint32_t sign = bits.getCachedBitIf(magnitude != 0 ? 1u : 0u);
    return std::bit_cast<float>(std::bit_cast<uint32_t>(value) ^ (sign << 31));
}

// Big values of one region: `pairs` pairs with one table.
bool decodePairs(BitReader& bits, uint32_t endBit, const HuffmanLookup& table, unsigned pairs, Cursor& cursor) {
    const float* pow43 = powTable().values;
    const int linbits = table.linbits;
    for (unsigned p = 0; p < pairs && !cursor.done(); ++p) {
        if (!table.entries) {
            cursor.skipPair();
            continue;
        }
        if (bits.position() >= endBit) return false;
        bits.refill();
        const uint32_t symbol = decodeHuffman(bits, table);
        uint32_t x = symbol >> 4;
        uint32_t y = symbol & 15u;
        if (linbits && x == 15) x += bits.get(linbits);
        const float gain = cursor.gain();
        const float a = signedValue(bits, x, pow43, gain);
        if (linbits && y == 15) y += bits.get(linbits);
        const float b = signedValue(bits, y, pow43, gain);
        cursor.putPair(a, b);
    }
    return true;
}

// count1 quadruples until the budget is spent; a quadruple that overruns it is
// dropped. Returns the number of values decoded in all.
unsigned decodeQuads(BitReader& bits, uint32_t endBit, const HuffmanLookup& table, unsigned firstValue,
                     Cursor& cursor) {
    unsigned value = firstValue;
    while (value + 4 <= kGranuleValues && !cursor.done() && bits.position() < endBit) {
        bits.refill();
        const uint32_t symbol = decodeHuffman(bits, table);
        float out[4];
        for (int k = 0; k < 4; ++k) {
            const uint32_t set = (symbol >> (3 - k)) & 1u;
            const uint32_t sign = bits.getCachedBitIf(set);
            out[k] = std::bit_cast<float>(std::bit_cast<uint32_t>(static_cast<float>(set)) ^ (sign << 31));
        }
        if (bits.position() > endBit) break;
        for (float v : out) {
            if (cursor.done()) break;
            cursor.put(v * cursor.gain());
        }
        value += 4;
    }
    return value;
}

}  // namespace

float powFourThirds(uint32_t n) {
    if (n < kPowTableSize) return powTable().values[n];
    const double v = static_cast<double>(n);
    return static_cast<float>(v * std::cbrt(v));
}

unsigned decodeSpectrum(BitReader& bits, uint32_t endBit, const GranuleInfo& g, const ScaleFactors& sf,
                        const BandEdges& edges, float* spectrum, unsigned dirty) {
    std::fill(spectrum, spectrum + std::min(dirty, kGranuleValues), 0.0f);
    Cursor cursor(g, sf, edges, spectrum);
    const Layer3HuffmanTables& tables = Layer3HuffmanTables::instance();

    const unsigned bigEnd = std::min(2u * g.bigValues, kGranuleValues);
    const unsigned bounds[3] = {std::min(g.region1Start, bigEnd),
                                std::min(std::max(g.region1Start, g.region2Start), bigEnd), bigEnd};
    unsigned value = 0;
    bool inBudget = true;
    for (unsigned region = 0; region < 3 && inBudget; ++region) {
        if (bounds[region] <= value) continue;
        const unsigned pairs = (bounds[region] - value) / 2;
        inBudget = decodePairs(bits, endBit, tables.pairTable(g.tableSelect[region]), pairs, cursor);
        value = bounds[region];
    }
    unsigned decoded = value;
    if (inBudget) decoded = decodeQuads(bits, endBit, tables.quadTable(g.count1Table), value, cursor);
    bits.seek(endBit);
    if (!g.isShort()) return std::min(decoded, kGranuleValues);
    return cursor.extent();
}

}  // namespace sonidrax::mpeg
