#include "layer3_scale_factors.h"

#include <algorithm>
#include <iterator>

#include "layer3_bands.h"

namespace sonidrax::mpeg {
namespace {

// slen1 and slen2 of MPEG-1 by scalefac_compress.
constexpr uint8_t kSlen1[16] = {0, 0, 0, 0, 3, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4};
constexpr uint8_t kSlen2[16] = {0, 1, 2, 3, 0, 1, 2, 3, 1, 2, 3, 1, 2, 3, 2, 3};

// nr_of_sfb_block of ISO/IEC 13818-3: [row][block kind][group].
constexpr uint8_t kLsfBandCounts[6][3][4] = {
    {{6, 5, 5, 5}, {9, 9, 9, 9}, {6, 9, 9, 9}},       {{6, 5, 7, 3}, {9, 9, 12, 6}, {6, 9, 12, 6}},
    {{11, 10, 0, 0}, {18, 18, 0, 0}, {15, 18, 0, 0}}, {{7, 7, 7, 0}, {12, 12, 12, 0}, {6, 15, 12, 0}},
    {{6, 6, 6, 3}, {12, 9, 9, 6}, {6, 12, 9, 6}},     {{8, 8, 5, 0}, {15, 12, 9, 0}, {6, 18, 9, 0}},
};

// Long scale factors that lead a mixed block in MPEG-2 and MPEG-2.5.
constexpr unsigned kLsfMixedLongBands = 6;
constexpr uint8_t kMpeg1IllegalPosition = 7;

uint8_t limitOf(unsigned slen) { return static_cast<uint8_t>((1u << slen) - 1u); }

void clear(ScaleFactors& sf) {
    std::fill(std::begin(sf.longBands), std::end(sf.longBands), uint8_t{0});
    for (auto& band : sf.shortBands) std::fill(std::begin(band), std::end(band), uint8_t{0});
}

// Long bands [first, last) at `slen` bits each.
// Widths of 0 are common and read nothing, so they skip the reader altogether.
uint32_t readLong(BitReader& bits, ScaleFactors& sf, unsigned first, unsigned last, unsigned slen) {
    if (slen == 0) {
        std::fill(sf.longBands + first, sf.longBands + last, uint8_t{0});
        return 0;
    }
    for (unsigned band = first; band < last; ++band) sf.longBands[band] = static_cast<uint8_t>(bits.get(slen));
    return (last - first) * slen;
}

// Short bands [first, last), three windows each, at `slen` bits each.
uint32_t readShort(BitReader& bits, ScaleFactors& sf, unsigned first, unsigned last, unsigned slen) {
    if (slen == 0) {
        for (unsigned band = first; band < last; ++band)
            std::fill(std::begin(sf.shortBands[band]), std::end(sf.shortBands[band]), uint8_t{0});
        return 0;
    }
    for (unsigned band = first; band < last; ++band) {
        for (uint8_t& value : sf.shortBands[band]) value = static_cast<uint8_t>(bits.get(slen));
    }
    return (last - first) * 3u * slen;
}

void setMpeg1Limits(ScaleFactors& sf) {
    std::fill(std::begin(sf.longLimit), std::end(sf.longLimit), kMpeg1IllegalPosition);
    std::fill(std::begin(sf.shortLimit), std::end(sf.shortLimit), kMpeg1IllegalPosition);
}

uint32_t readMpeg1(BitReader& bits, const SideInfo& info, unsigned gr, unsigned ch, const GranuleInfo& g,
                   ScaleFactors& sf) {
    const unsigned slen1 = kSlen1[g.scalefacCompress & 15];
    const unsigned slen2 = kSlen2[g.scalefacCompress & 15];
    setMpeg1Limits(sf);
    if (g.isShort()) {
        clear(sf);
        uint32_t used = 0;
        if (g.isMixed()) {
            used += readLong(bits, sf, 0, 8, slen1);
            used += readShort(bits, sf, 3, 6, slen1);
        } else {
            used += readShort(bits, sf, 0, 6, slen1);
        }
        return used + readShort(bits, sf, 6, 12, slen2);
    }
    // Long blocks: in granule 1 a set scfsi bit keeps the group from granule 0.
    constexpr unsigned kGroupStart[5] = {0, 6, 11, 16, 21};
    const uint32_t scfsi = gr == 1 ? info.scfsi[ch] : 0;
    uint32_t used = 0;
    for (unsigned group = 0; group < 4; ++group) {
        if (scfsi & (8u >> group)) continue;
        used += readLong(bits, sf, kGroupStart[group], kGroupStart[group + 1], group < 2 ? slen1 : slen2);
    }
    sf.longBands[21] = 0;
    std::fill(std::begin(sf.shortBands[12]), std::end(sf.shortBands[12]), uint8_t{0});
    return used;
}

// MPEG-2 and MPEG-2.5: the four groups fill long bands, short band triplets, or for
// mixed blocks six long bands and then short band triplets from band 3.
uint32_t readLsf(BitReader& bits, const FrameHeader& header, unsigned ch, GranuleInfo& g, ScaleFactors& sf) {
    const bool intensityRight = ch == 1 && header.mode == kModeJointStereo && (header.modeExtension & 1u);
    const LsfScaleFactorLayout layout = lsfScaleFactorLayout(g.scalefacCompress, intensityRight);
    const unsigned kind = g.isShort() ? (g.isMixed() ? 2u : 1u) : 0u;
    const uint8_t* counts = lsfBandCounts(layout.row, kind);
    g.preflag = layout.preflag;
    clear(sf);

    uint32_t used = 0;
    unsigned longBand = 0;
    unsigned shortBand = kind == 2 ? 3u : 0u;
    unsigned window = 0;
    const unsigned longCount = kind == 0 ? kLongBands - 1 : (kind == 2 ? kLsfMixedLongBands : 0u);
    for (unsigned group = 0; group < 4; ++group) {
        const unsigned slen = layout.slen[group];
        for (unsigned n = 0; n < counts[group]; ++n) {
            const uint8_t value = static_cast<uint8_t>(bits.get(slen));
            used += slen;
            if (longBand < longCount) {
                sf.longLimit[longBand] = limitOf(slen);
                sf.longBands[longBand++] = value;
                continue;
            }
            if (shortBand >= kShortBands - 1) continue;
            sf.shortLimit[shortBand] = limitOf(slen);
            sf.shortBands[shortBand][window] = value;
            if (++window == 3) {
                window = 0;
                ++shortBand;
            }
        }
    }
    // The top bands carry no scale factor; intensity stereo takes their position
    // from the band below.
    sf.longLimit[21] = sf.longLimit[20];
    sf.shortLimit[12] = sf.shortLimit[11];
    return used;
}

}  // namespace

LsfScaleFactorLayout lsfScaleFactorLayout(uint32_t scalefacCompress, bool intensityRight) {
    LsfScaleFactorLayout layout{};
    auto set = [&layout](unsigned a, unsigned b, unsigned c, unsigned d) {
        layout.slen[0] = static_cast<uint8_t>(a);
        layout.slen[1] = static_cast<uint8_t>(b);
        layout.slen[2] = static_cast<uint8_t>(c);
        layout.slen[3] = static_cast<uint8_t>(d);
    };
    if (intensityRight) {
        const uint32_t sfc = (scalefacCompress & 511u) >> 1;
        if (sfc < 180) {
            set(sfc / 36, (sfc % 36) / 6, (sfc % 36) % 6, 0);
            layout.row = 3;
        } else if (sfc < 244) {
            const uint32_t v = sfc - 180;
            set((v % 64) >> 4, (v % 16) >> 2, v % 4, 0);
            layout.row = 4;
        } else {
            const uint32_t v = sfc - 244;
            set(v / 3, v % 3, 0, 0);
            layout.row = 5;
        }
        return layout;
    }
    const uint32_t sfc = scalefacCompress & 511u;
    if (sfc < 400) {
        set((sfc >> 4) / 5, (sfc >> 4) % 5, (sfc % 16) >> 2, sfc % 4);
        layout.row = 0;
    } else if (sfc < 500) {
        const uint32_t v = sfc - 400;
        set((v >> 2) / 5, (v >> 2) % 5, v % 4, 0);
        layout.row = 1;
    } else {
        const uint32_t v = sfc - 500;
        set(v / 3, v % 3, 0, 0);
        layout.row = 2;
        layout.preflag = 1;
    }
    return layout;
}

const uint8_t* lsfBandCounts(unsigned row, unsigned blockKind) { return kLsfBandCounts[row % 6][blockKind % 3]; }

uint32_t readScaleFactors(BitReader& bits, const FrameHeader& header, const SideInfo& info, unsigned gr, unsigned ch,
                          GranuleInfo& g, ScaleFactors& sf) {
    if (header.version == kVersionMpeg1) return readMpeg1(bits, info, gr, ch, g, sf);
    return readLsf(bits, header, ch, g, sf);
}

}  // namespace sonidrax::mpeg
