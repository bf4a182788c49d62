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

// A stretch of values that share one gain, in the order the bit stream codes them:
// one long band, or one window of one short band.
struct Run {
  uint16_t start;    // spectrum index of the first value
  uint16_t count;    // values
  uint16_t stride;   // 1 for long bands, 3 for short ones (already reordered)
  uint16_t extent;   // spectrum index above the whole band
  float gain;
};

constexpr unsigned kMaxRuns = kLongBands + 3 * kShortBands;

class RunList {
 public:
  RunList(const GranuleInfo& g, const ScaleFactors& sf, const BandEdges& edges) : g_(g), sf_(sf) {
    const int shift = 1 + static_cast<int>(g.scalefacScale);
    longShift_ = shift;
    if (!g.isShort()) {
      addLong(edges, kLongBands);
      return;
    }
    unsigned firstShort = 0;
    if (g.isMixed()) {
      addLong(edges, mixedLongBandCount(edges));
      firstShort = mixedFirstShortBand(edges);
    }
    for (unsigned band = firstShort; band < kShortBands; ++band) addShort(edges, band);
  }

  const Run* begin() const { return runs_; }
  const Run* end() const { return runs_ + count_; }

 private:
  void addLong(const BandEdges& edges, unsigned bands) {
    const uint8_t* pre = g_.preflag ? kPretab : nullptr;
    for (unsigned band = 0; band < bands; ++band) {
      const int d = (sf_.longBands[band] + (pre ? pre[band] : 0)) << longShift_;
      const uint16_t start = edges.longEdges[band];
      const uint16_t end = edges.longEdges[band + 1];
      add(Run{start, static_cast<uint16_t>(end - start), 1, end, gainOf(d)});
    }
  }

  void addShort(const BandEdges& edges, unsigned band) {
    const uint16_t start = edges.shortEdges[band];
    const uint16_t width = static_cast<uint16_t>(edges.shortEdges[band + 1] - start);
    const uint16_t extent = static_cast<uint16_t>(3u * edges.shortEdges[band + 1]);
    for (unsigned w = 0; w < 3; ++w) {
      const int d = 8 * static_cast<int>(g_.subblockGain[w]) + (sf_.shortBands[band][w] << longShift_);
      add(Run{static_cast<uint16_t>(3u * start + w), width, 3, extent, gainOf(d)});
    }
  }

  float gainOf(int d) const { return quarterPower(static_cast<int>(g_.globalGain) - 210 - d); }

  void add(const Run& run) {
    if (count_ < kMaxRuns && run.count > 0) runs_[count_++] = run;
  }

  const GranuleInfo& g_;
  const ScaleFactors& sf_;
  int longShift_ = 1;
  Run runs_[kMaxRuns];
  unsigned count_ = 0;
};

// Walks the runs, one value at a time or one pair at a time.
class Cursor {
 public:
  Cursor(const Run* first, const Run* last, float* spectrum) : run_(first), last_(last), spectrum_(spectrum) {
    load();
  }

  bool done() const { return run_ == last_; }
  // The spectral extent of the band holding the last value written.
  unsigned extent() const { return written_; }
  float gain() const { return gain_; }

  // Both values of a pair lie in the same run, as every band has an even width.
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
    ++run_;
    load();
  }

  void load() {
    if (run_ == last_) return;
    index_ = run_->start;
    left_ = run_->count;
    stride_ = run_->stride;
    gain_ = run_->gain;
    extent_ = run_->extent;
  }

  const Run* run_;
  const Run* last_;
  float* spectrum_;
  unsigned index_ = 0;
  unsigned left_ = 0;
  unsigned stride_ = 1;
  unsigned extent_ = 0;
  unsigned written_ = 0;
  float gain_ = 0.0f;
};

inline float signedValue(Layer3Bits& bits, uint32_t magnitude, const float* pow43, float gain) {
  if (magnitude == 0) return 0.0f;
  const float value = (magnitude < kPowTableSize ? pow43[magnitude] : powFourThirds(magnitude)) * gain;
  return bits.get(1) ? -value : value;
}

// Big values of one region: `pairs` pairs with one table.
bool decodePairs(Layer3Bits& bits, uint32_t endBit, const HuffmanLookup& table, unsigned pairs, Cursor& cursor) {
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
unsigned decodeQuads(Layer3Bits& bits, uint32_t endBit, const HuffmanLookup& table, unsigned firstValue,
                     Cursor& cursor) {
  unsigned value = firstValue;
  while (value + 4 <= kGranuleValues && !cursor.done() && bits.position() < endBit) {
    bits.refill();
    const uint32_t symbol = decodeHuffman(bits, table);
    float out[4];
    for (int k = 0; k < 4; ++k) {
      const bool set = (symbol >> (3 - k)) & 1u;
      out[k] = set ? (bits.get(1) ? -1.0f : 1.0f) : 0.0f;
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

unsigned decodeSpectrum(Layer3Bits& bits, uint32_t endBit, const GranuleInfo& g, const ScaleFactors& sf,
                        const BandEdges& edges, float* spectrum) {
  std::fill(spectrum, spectrum + kGranuleValues, 0.0f);
  const RunList runs(g, sf, edges);
  Cursor cursor(runs.begin(), runs.end(), spectrum);
  const Layer3HuffmanTables& tables = Layer3HuffmanTables::instance();

  const unsigned bigEnd = std::min(2u * g.bigValues, kGranuleValues);
  const unsigned bounds[3] = {std::min(g.region1Start, bigEnd), std::min(std::max(g.region1Start, g.region2Start), bigEnd),
                              bigEnd};
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
