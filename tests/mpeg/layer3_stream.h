#pragma once
// Builds Layer III test material: Huffman-coded spectra from the standard's code
// tables, side information, and whole frames with their main data.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "bit_writer.h"
#include "bit_reader.h"
#include "layer3_huffman_codes.h"
#include "layer3_side_info.h"

namespace sonidrax::mpeg::testing {

// The code tables this file encodes with, by table_select.
struct PairCode {
    unsigned codeTable;
    unsigned linbits;
};
inline PairCode pairCodeFor(unsigned tableSelect) {
    switch (tableSelect) {
        case 1:
            return {0, 0};
        case 7:
            return {5, 0};
        case 13:
            return {11, 0};
        case 15:
            return {12, 0};
        case 16:
            return {13, 1};
        case 23:
            return {13, 13};
        case 24:
            return {14, 4};
        case 31:
            return {14, 13};
        default:
            std::abort();
    }
}

inline void putCode(BitWriter& w, const HuffmanCodeTable& table, unsigned index) {
    w.put(table.codes[index], table.lengths[index]);
}

// One big-value pair (x, y) with its escapes and signs, in the order of the standard.
inline void encodePair(BitWriter& w, unsigned tableSelect, int x, int y) {
    const PairCode code = pairCodeFor(tableSelect);
    const HuffmanCodeTable& table = huffmanCodeTable(code.codeTable);
    const unsigned ax = static_cast<unsigned>(std::abs(x));
    const unsigned ay = static_cast<unsigned>(std::abs(y));
    const unsigned cx = code.linbits && ax >= 15 ? 15 : ax;
    const unsigned cy = code.linbits && ay >= 15 ? 15 : ay;
    putCode(w, table, cx * table.size + cy);
    if (code.linbits && cx == 15) w.put(ax - 15, code.linbits);
    if (ax != 0) w.putBit(x < 0);
    if (code.linbits && cy == 15) w.put(ay - 15, code.linbits);
    if (ay != 0) w.putBit(y < 0);
}

// One count1 quadruple of -1, 0 or +1 values with table A (0) or B (1).
inline void encodeQuad(BitWriter& w, unsigned select, const int (&q)[4]) {
    const HuffmanCodeTable& table = huffmanCodeTable(select ? kCount1TableB : kCount1TableA);
    unsigned index = 0;
    for (int v : q) index = (index << 1) | (v != 0 ? 1u : 0u);
    putCode(w, table, index);
    for (int v : q) {
        if (v != 0) w.putBit(v < 0);
    }
}

// Words of a bit writer's bytes, most significant byte first, as the main-data
// buffer holds them.
inline std::vector<uint32_t> wordsOf(const BitWriter& w) {
    std::vector<uint32_t> words((w.bytes().size() + 3) / 4, 0);
    for (size_t i = 0; i < w.bytes().size(); ++i) words[i / 4] |= uint32_t{w.bytes()[i]} << (24 - 8 * (i % 4));
    return words;
}

// What one granule and channel contributes to a frame: its side information (the
// part2_3_length is taken from the main data's length unless `part23Override` is
// set) and its main data.
struct GranuleCode {
    GranuleInfo info;
    BitWriter main;
    int part23Override = -1;
};

inline void writeGranuleInfo(BitWriter& w, bool mpeg1, const GranuleInfo& g, uint32_t part23) {
    w.put(part23, 12);
    w.put(g.bigValues, 9);
    w.put(g.globalGain, 8);
    w.put(g.scalefacCompress, mpeg1 ? 4 : 9);
    w.put(g.windowSwitching, 1);
    if (g.windowSwitching) {
        w.put(g.blockType, 2);
        w.put(g.mixedBlock, 1);
        w.put(g.tableSelect[0], 5);
        w.put(g.tableSelect[1], 5);
        for (uint32_t gain : g.subblockGain) w.put(gain, 3);
    } else {
        for (uint32_t table : g.tableSelect) w.put(table, 5);
        w.put(g.region0Count, 4);
        w.put(g.region1Count, 3);
    }
    if (mpeg1) w.put(g.preflag, 1);
    w.put(g.scalefacScale, 1);
    w.put(g.count1Table, 1);
}

// A whole Layer III frame: header, side information, main data of this frame (the
// granules' bits, byte-padded, then zeros to the frame's end). `channels` 1 or 2
// must match the header's mode; granules: 2 for MPEG-1, 1 otherwise.
inline std::vector<uint8_t> layer3Frame(const HeaderFields& fields, uint32_t mainDataBegin, GranuleCode (&gr)[2][2],
                                        uint32_t scfsi0 = 0, uint32_t scfsi1 = 0) {
    const bool mpeg1 = fields.version == 1;
    const unsigned channels = fields.mode == 3 ? 1 : 2;
    const unsigned granules = mpeg1 ? 2 : 1;
    BitWriter w;
    w.put(headerWord(fields), 32);
    if (fields.protection == 0) w.put(0, 16);
    w.put(mainDataBegin, mpeg1 ? 9 : 8);
    w.put(0, mpeg1 ? (channels == 1 ? 5 : 3) : (channels == 1 ? 1 : 2));
    if (mpeg1) {
        w.put(scfsi0, 4);
        if (channels == 2) w.put(scfsi1, 4);
    }
    for (unsigned g = 0; g < granules; ++g) {
        for (unsigned ch = 0; ch < channels; ++ch) {
            const GranuleCode& code = gr[g][ch];
            const uint32_t part23 = code.part23Override >= 0 ? static_cast<uint32_t>(code.part23Override)
                                                             : static_cast<uint32_t>(code.main.bitCount());
            writeGranuleInfo(w, mpeg1, code.info, part23);
        }
    }
    for (unsigned g = 0; g < granules; ++g) {
        for (unsigned ch = 0; ch < channels; ++ch) {
            const BitWriter& main = gr[g][ch].main;
            for (size_t bit = 0; bit < main.bitCount(); ++bit) w.putBit((main.bytes()[bit / 8] >> (7 - bit % 8)) & 1u);
        }
    }
    FrameHeader header = unpackHeader(headerWord(fields));
    w.padTo(frameLength(header));
    std::vector<uint8_t> bytes = w.bytes();
    bytes.resize(frameLength(header), 0);
    return bytes;
}

// A long-block granule with unity gain (global_gain 210, scale factors of 0 bits)
// whose big values use `tableSelect` everywhere.
inline GranuleInfo unityLongGranule(unsigned tableSelect, unsigned bigValues) {
    GranuleInfo g;
    g.globalGain = 210;
    g.bigValues = bigValues;
    g.tableSelect[0] = g.tableSelect[1] = g.tableSelect[2] = tableSelect;
    g.region0Count = 15;
    g.region1Count = 7;
    return g;
}

}  // namespace sonidrax::mpeg::testing
