#include "layer3_stereo.h"

#include <algorithm>
#include <cmath>

#include "layer3_spectrum.h"
#include "layer3_vector.h"

namespace sonidrax::mpeg {
namespace {

constexpr float kSqrtHalf = 0.70710678118654752440f;
constexpr double kPi = 3.14159265358979323846;

// Four values at a time: the spectra hold 576 values, a multiple of four, and every
// value at or above the extent is zero, so rounding the count up changes nothing.
void midSide(float* left, float* right, unsigned count) {
    const unsigned rounded = (count + 3) & ~3u;
    for (unsigned i = 0; i < rounded; i += 4) {
        const Float4 m = load4(left + i);
        const Float4 s = load4(right + i);
        store4(left + i, (m + s) * kSqrtHalf);
        store4(right + i, (m - s) * kSqrtHalf);
    }
}

class Intensity {
public:
    Intensity(const StereoGranule& granule, bool midSideToo, float* left, float* right)
        : mpeg1_(granule.header->version == kVersionMpeg1), scale_(granule.right->scalefacCompress & 1u),
          sf_(*granule.rightScale), edges_(*granule.edges), midSide_(midSideToo), left_(left), right_(right) {}

    void longBlocks(unsigned extent) {
        const unsigned first = firstLongBand(lastNonZero(0, extent, 1), kLongBands);
        for (unsigned band = first; band < kLongBands; ++band) {
            const unsigned source = positionBand(band, first, kLongBands);
            if (source == kNoPosition) break;
            apply(sf_.longBands[source], sf_.longLimit[source], edges_.longEdges[band], edges_.longEdges[band + 1], 1);
        }
    }

    // Returns the highest first intensity band over the windows.
    unsigned shortBlocks(unsigned firstShort) {
        unsigned highest = firstShort;
        for (unsigned w = 0; w < 3; ++w) {
            const unsigned first = firstShortBand(w, firstShort);
            highest = std::max(highest, first);
            for (unsigned band = first; band < kShortBands; ++band) {
                const unsigned source = positionBand(band, first, kShortBands);
                if (source == kNoPosition) break;
                const unsigned start = 3u * edges_.shortEdges[band] + w;
                const unsigned end = 3u * edges_.shortEdges[band + 1] + w;
                apply(sf_.shortBands[source][w], sf_.shortLimit[source], start, end, 3);
            }
        }
        return highest;
    }

    // The long part of a mixed block takes part only when the right channel's short
    // part is zero in every window.
    void mixedLongPart(unsigned longBands) {
        const unsigned end = edges_.longEdges[longBands];
        const unsigned first = firstLongBand(lastNonZero(0, end, 1), longBands);
        for (unsigned band = first; band < longBands; ++band) {
            apply(sf_.longBands[band], sf_.longLimit[band], edges_.longEdges[band], edges_.longEdges[band + 1], 1);
        }
    }

private:
    static constexpr unsigned kNoPosition = ~0u;

    // The band whose position band `band` takes, in a region that starts at band
    // `first`. The top band (long 21, short 12) has no scale factor of its own:
    // ISO/IEC 11172-3, 2.4.3.4.9.3, and ISO/IEC 13818-3, 2.4.3.2, give it the
    // intensity position of the band below (long 20, short 11 of the same window),
    // and with it that band's illegal position. A right-channel scale factor is an
    // intensity position only inside the region; below it, it scales the right
    // channel's coded values. So when the region starts at the top band there is no
    // position to take, and the top band is decoded as a band with an illegal
    // position is: as coded, or mid/side.
    static unsigned positionBand(unsigned band, unsigned first, unsigned bands) {
        if (band != bands - 1) return band;
        return first < band ? band - 1 : kNoPosition;
    }

    // Index + 1 of the last non-zero right value among start, start + step, ... below end; 0 if none.
    unsigned lastNonZero(unsigned start, unsigned end, unsigned step) const {
        unsigned found = 0;
        for (unsigned i = start; i < end; i += step) {
            if (right_[i] != 0.0f) found = i + 1;
        }
        return found;
    }

    unsigned firstLongBand(unsigned nonZeroEnd, unsigned bands) const {
        if (nonZeroEnd == 0) return 0;
        unsigned band = 0;
        while (band < bands && edges_.longEdges[band + 1] < nonZeroEnd) ++band;
        return band + 1;
    }

    unsigned firstShortBand(unsigned w, unsigned firstShort) const {
        for (unsigned band = kShortBands; band-- > firstShort;) {
            const unsigned start = 3u * edges_.shortEdges[band] + w;
            const unsigned end = 3u * edges_.shortEdges[band + 1];
            if (lastNonZero(start, end, 3) != 0) return band + 1;
        }
        return firstShort;
    }

    void apply(unsigned position, unsigned limit, unsigned start, unsigned end, unsigned step) {
        if (position >= limit) return;
        const IntensityFactors k = mpeg1_ ? mpeg1Intensity(position) : lsfIntensity(position, scale_);
        // Under mid/side as well, the pair is set up so that the mid/side matrix that
        // follows turns it into (m × kl, m × kr).
        const float kl = midSide_ ? (k.left + k.right) * kSqrtHalf : k.left;
        const float kr = midSide_ ? (k.left - k.right) * kSqrtHalf : k.right;
        for (unsigned i = start; i < end; i += step) {
            const float m = left_[i];
            left_[i] = m * kl;
            right_[i] = m * kr;
        }
    }

    bool mpeg1_;
    unsigned scale_;
    const ScaleFactors& sf_;
    const BandEdges& edges_;
    bool midSide_;
    float* left_;
    float* right_;
};

}  // namespace

IntensityFactors mpeg1Intensity(unsigned position) {
    if (position >= 6) return {1.0f, 0.0f};  // tan(pi/2): all in the left channel
    const double ratio = std::tan(position * kPi / 12.0);
    return {static_cast<float>(ratio / (1.0 + ratio)), static_cast<float>(1.0 / (1.0 + ratio))};
}

IntensityFactors lsfIntensity(unsigned position, unsigned intensityScale) {
    if (position == 0) return {1.0f, 1.0f};
    const double base = intensityScale ? kSqrtHalf : 0.84089641525371454303;  // 2^-1/2 or 2^-1/4
    if (position & 1u) return {static_cast<float>(std::pow(base, (position + 1) / 2)), 1.0f};
    return {1.0f, static_cast<float>(std::pow(base, position / 2))};
}

void applyJointStereo(const StereoGranule& granule, float* left, float* right, unsigned extents[2]) {
    const FrameHeader& header = *granule.header;
    if (header.mode != kModeJointStereo) return;
    const bool ms = (header.modeExtension & 2u) != 0;
    const bool is = (header.modeExtension & 1u) != 0;
    if (!ms && !is) return;
    const unsigned rightExtent = extents[1];
    const unsigned extent = std::max(extents[0], extents[1]);
    // Intensity first: its bounds come from the right channel as coded.
    if (is) {
        Intensity intensity(granule, ms, left, right);
        const GranuleInfo& g = *granule.right;
        if (!g.isShort()) {
            intensity.longBlocks(rightExtent);
        } else if (!g.isMixed()) {
            intensity.shortBlocks(0);
        } else {
            const BandEdges& edges = *granule.edges;
            const unsigned firstShort = mixedFirstShortBand(edges);
            if (intensity.shortBlocks(firstShort) <= firstShort) intensity.mixedLongPart(mixedLongBandCount(edges));
        }
    }
    if (ms) midSide(left, right, extent);
    extents[0] = extents[1] = extent;
}

}  // namespace sonidrax::mpeg
