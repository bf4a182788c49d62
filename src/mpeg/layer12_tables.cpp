#include "layer12_tables.h"

#include <array>

namespace sonidrax::mpeg {
namespace {

// 2 * 2^(-i/3) = 2 * 2^(-r/3) / 2^q with i = 3q + r.
struct ScaleFactors {
    std::array<float, 64> values{};
    constexpr ScaleFactors() {
        constexpr double kThirds[3] = {1.0, 0.79370052598409973738, 0.62996052494743658238};
        for (int i = 0; i < 63; ++i) {
            double value = 2.0 * kThirds[i % 3];
            for (int q = 0; q < i / 3; ++q) value *= 0.5;
            values[i] = static_cast<float>(value);
        }
        values[63] = 0.0f;
    }
};

// De-grouping: entry `code` holds the three base-L digits of code, least significant
// first, requantised as (digit - (L - 1) / 2) * 2 / L. Codes of L^3 and above give
// zeros.
template <int L, int Bits>
struct GroupTable {
    std::array<float, 3 * (1 << Bits)> values{};
    constexpr GroupTable() {
        for (int code = 0; code < L * L * L; ++code) {
            int rest = code;
            for (int i = 0; i < 3; ++i) {
                const int digit = rest % L;
                rest /= L;
                values[3 * code + i] = static_cast<float>(2 * digit - (L - 1)) / static_cast<float>(L);
            }
        }
    }
};

constexpr GroupTable<3, 5> kGroups3;
constexpr GroupTable<5, 7> kGroups5;
constexpr GroupTable<9, 10> kGroups9;

constexpr QuantClass grouped(uint32_t bits, const float* table) { return {bits, table, 0.0f, 0.0f}; }
constexpr QuantClass plain(uint32_t bits) {
    return {bits, nullptr, 2.0f / static_cast<float>((1u << bits) - 1), static_cast<float>((1u << (bits - 1)) - 1)};
}

constexpr QuantClass kNone{};
constexpr QuantClass k3 = grouped(5, kGroups3.values.data());
constexpr QuantClass k5 = grouped(7, kGroups5.values.data());
constexpr QuantClass k7 = plain(3);
constexpr QuantClass k9 = grouped(10, kGroups9.values.data());
constexpr QuantClass k15 = plain(4), k31 = plain(5), k63 = plain(6), k127 = plain(7), k255 = plain(8), k511 = plain(9),
                     k1023 = plain(10), k2047 = plain(11), k4095 = plain(12), k8191 = plain(13), k16383 = plain(14),
                     k32767 = plain(15), k65535 = plain(16);

// ISO/IEC 11172-3 tables 3-B.2a and b (high rates).
constexpr AllocationRecord kHigh0{4,
                                  {&kNone, &k3, &k7, &k15, &k31, &k63, &k127, &k255, &k511, &k1023, &k2047, &k4095,
                                   &k8191, &k16383, &k32767, &k65535}};
constexpr AllocationRecord kHigh1{
    4, {&kNone, &k3, &k5, &k7, &k9, &k15, &k31, &k63, &k127, &k255, &k511, &k1023, &k2047, &k4095, &k8191, &k65535}};
constexpr AllocationRecord kHigh2{3, {&kNone, &k3, &k5, &k7, &k9, &k15, &k31, &k65535}};
constexpr AllocationRecord kHigh3{2, {&kNone, &k3, &k5, &k65535}};
// Tables 3-B.2c and d (low rates).
constexpr AllocationRecord kLow0{
    4,
    {&kNone, &k3, &k5, &k9, &k15, &k31, &k63, &k127, &k255, &k511, &k1023, &k2047, &k4095, &k8191, &k16383, &k32767}};
constexpr AllocationRecord kLow1{3, {&kNone, &k3, &k5, &k9, &k15, &k31, &k63, &k127}};
// ISO/IEC 13818-3 Table B.1 (lower sampling frequencies).
constexpr AllocationRecord kLsf0{
    4, {&kNone, &k3, &k5, &k7, &k9, &k15, &k31, &k63, &k127, &k255, &k511, &k1023, &k2047, &k4095, &k8191, &k16383}};
constexpr AllocationRecord kLsf1{3, {&kNone, &k3, &k5, &k9, &k15, &k31, &k63, &k127}};
constexpr AllocationRecord kLsf2{2, {&kNone, &k3, &k5, &k9}};

constexpr const AllocationRecord* kRecordsA[30] = {
    &kHigh0, &kHigh0, &kHigh0, &kHigh1, &kHigh1, &kHigh1, &kHigh1, &kHigh1, &kHigh1, &kHigh1,
    &kHigh1, &kHigh2, &kHigh2, &kHigh2, &kHigh2, &kHigh2, &kHigh2, &kHigh2, &kHigh2, &kHigh2,
    &kHigh2, &kHigh2, &kHigh2, &kHigh3, &kHigh3, &kHigh3, &kHigh3, &kHigh3, &kHigh3, &kHigh3};
constexpr const AllocationRecord* kRecordsC[12] = {&kLow0, &kLow0, &kLow1, &kLow1, &kLow1, &kLow1,
                                                   &kLow1, &kLow1, &kLow1, &kLow1, &kLow1, &kLow1};
constexpr const AllocationRecord* kRecordsLsf[30] = {&kLsf0, &kLsf0, &kLsf0, &kLsf0, &kLsf1, &kLsf1, &kLsf1, &kLsf1,
                                                     &kLsf1, &kLsf1, &kLsf1, &kLsf2, &kLsf2, &kLsf2, &kLsf2, &kLsf2,
                                                     &kLsf2, &kLsf2, &kLsf2, &kLsf2, &kLsf2, &kLsf2, &kLsf2, &kLsf2,
                                                     &kLsf2, &kLsf2, &kLsf2, &kLsf2, &kLsf2, &kLsf2};

// Tables a and b share their records, as do c and d; they differ in sblimit.
constexpr Layer2Table kTableA{27, kRecordsA};
constexpr Layer2Table kTableB{30, kRecordsA};
constexpr Layer2Table kTableC{8, kRecordsC};
constexpr Layer2Table kTableD{12, kRecordsC};
constexpr Layer2Table kTableLsf{30, kRecordsLsf};

// By sampling index and per-channel bit-rate index 1 to 10.
constexpr const Layer2Table* kChoice[3][10] = {
    {&kTableC, &kTableC, &kTableA, &kTableA, &kTableA, &kTableB, &kTableB, &kTableB, &kTableB, &kTableB},
    {&kTableC, &kTableC, &kTableA, &kTableA, &kTableA, &kTableA, &kTableA, &kTableA, &kTableA, &kTableA},
    {&kTableD, &kTableD, &kTableA, &kTableA, &kTableA, &kTableB, &kTableB, &kTableB, &kTableB, &kTableB},
};

constexpr ScaleFactors kScaleFactorTable;

}  // namespace

const float* scaleFactors() { return kScaleFactorTable.values.data(); }

const Layer2Table& chooseLayer2Table(const FrameHeader& header) {
    if (header.version != kVersionMpeg1) return kTableLsf;
    uint32_t index = header.bitrateIndex;
    if (header.mode != kModeSingleChannel) index = index == 4 ? 1 : (index > 4 ? index - 4 : 1);
    if (index < 1) index = 1;
    if (index > 10) index = 10;
    const uint32_t sampling = header.samplingIndex < 3 ? header.samplingIndex : 0;
    return *kChoice[sampling][index - 1];
}

}  // namespace sonidrax::mpeg
