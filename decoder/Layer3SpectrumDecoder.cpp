#include "decoder/Layer3SpectrumDecoder.h"

#include "decoder/CpuDispatch.h"
#include "decoder/MpegBitReader.h"
#include "decoder/tables/Layer3HuffmanTables.h"
#include "decoder/tables/Layer3Tables.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kLines = 576;
// The longest codeword of the pair tables (ISO/IEC 11172-3 Table B.7).
constexpr int kMaxPairCodeBits = 19;
constexpr int kMaxQuadBits = 10;

// Takes `n` bits (1..32) from the left-aligned window `w`, of which `used` are gone.
inline uint32_t TakeBits(uint64_t w, int& used, int n) {
    const uint32_t v = static_cast<uint32_t>((w << used) >> (64 - n));
    used += n;
    return v;
}

// `magnitude` negated when `sign` (0 or 1) is set.
inline double Signed(double magnitude, uint64_t sign) {
    uint64_t bits;
    std::memcpy(&bits, &magnitude, sizeof bits);
    bits ^= sign << 63;
    std::memcpy(&magnitude, &bits, sizeof bits);
    return magnitude;
}

// One count1 quadruple from the window: v, w, x, y in bits 3..0 of `values`.
inline int DecodeQuad(uint64_t w, bool tableB, int& values) {
    if (tableB) {
        // ISO/IEC 11172-3 Table B.7, count1 table B: the four bits inverted.
        values = static_cast<int>(~(w >> 60) & 15);
        return 4;
    }
    const uint8_t e = layer3::kCount1TableA[w >> 58];
    values = e & 15;
    return e >> 4;
}

// Returns the number of lines decoded (values past it are 0), or -1.
TONEHALL_INLINE int DecodeHuffman(const Layer3TableSet& tables, MpegBitReader& bits, int endBit,
                                  const Layer3SideInfo::Granule& granule, double* values) {
    const double* pow43 = tables.pow43.data();
    const int regionEnd[3] = {granule.region1Start, granule.region2Start, granule.bigValues * 2};
    int line = 0;
    for (int region = 0; region < 3; ++region) {
        const int end = regionEnd[region];
        const layer3::HuffmanTableInfo& info = layer3::kHuffmanTables[granule.tableSelect[region]];
        if (!info.hasCodes) {
            // Table 0 codes nothing; 4 and 14 are not used by the standard and
            // are read the same way.
            for (; line < end; ++line)
                values[line] = 0.0;
            continue;
        }
        const uint16_t* lookup = layer3::kHuffmanLookup + info.lookup;
        const int linbits = info.linbits;
        const int firstBits = info.firstBits;
        // The bits are taken from a register that is reloaded only when it may
        // not hold a whole pair (a codeword of up to 19 bits, two linbits
        // fields and two signs): reloading for every pair puts a memory load
        // on the chain from one pair's length to the next pair's lookup.
        const int pairBits = kMaxPairCodeBits + 2 + 2 * linbits;
        int position = bits.Position();
        uint64_t window = 0;
        int held = 0; // valid bits in `window`
        for (; line < end; line += 2) {
            if (held < pairBits) {
                bits.Skip(position - bits.Position());
                window = bits.Window();
                held = 64 - (position & 7);
            }
            const uint64_t w = window;
            uint32_t e = lookup[w >> (64 - firstBits)];
            int used = 0;
            int levelBits = firstBits;
            while (e & 0x8000) {
                used += levelBits;
                levelBits = (e >> 12) & 7;
                e = lookup[(e & 0xfff) + static_cast<uint32_t>((w << used) >> (64 - levelBits))];
            }
            used += (e >> 8) & 31;
            uint32_t x = (e >> 4) & 15;
            uint32_t y = e & 15;
            // Sign bits follow non-zero values only; taking them without a
            // branch avoids mispredictions on the many small values.
            if (x == 15 && linbits != 0) x += TakeBits(w, used, linbits);
            const double vx = Signed(pow43[x], (w << used) >> 63 & (x != 0));
            used += x != 0;
            if (y == 15 && linbits != 0) y += TakeBits(w, used, linbits);
            const double vy = Signed(pow43[y], (w << used) >> 63 & (y != 0));
            used += y != 0;
            window <<= used;
            held -= used;
            position += used;
            values[line] = vx;
            values[line + 1] = vy;
        }
        bits.Skip(position - bits.Position());
    }

    // Count1 region: quadruples until the part 2/3 data ends. A quadruple that
    // would end past it is not part of the granule and is dropped.
    // Bits come from a register as for the pairs; a quadruple takes at most
    // 10 (a 6-bit codeword and four signs).
    int position = bits.Position();
    uint64_t window = 0;
    int held = 0;
    while (line < kLines && position < endBit) {
        if (held < kMaxQuadBits) {
            bits.Skip(position - bits.Position());
            window = bits.Window();
            held = 64 - (position & 7);
        }
        const uint64_t w = window;
        int quad;
        int used = DecodeQuad(w, granule.count1TableB, quad);
        // Without branches: the quadruple's bits are close to random.
        static constexpr double kUnit[4] = {0.0, 0.0, 1.0, -1.0}; // by nonzero << 1 | sign
        double v[4];
        const uint64_t signs = w << used;
        int taken = 0;
        for (int k = 0; k < 4; ++k) {
            const int nonZero = (quad >> (3 - k)) & 1;
            const int sign = static_cast<int>((signs << taken) >> 63) & nonZero;
            v[k] = kUnit[nonZero << 1 | sign];
            taken += nonZero;
        }
        used += taken;
        if (position + used > endBit) break;
        window <<= used;
        held -= used;
        position += used;
        if (line + 4 > kLines) {
            // 576 is not a multiple of 4 past an odd number of big-value pairs:
            // the last quadruple may only fill the lines that exist.
            if (v[2] != 0.0 || v[3] != 0.0) return -1;
            values[line] = v[0];
            values[line + 1] = v[1];
            line += 2;
            break;
        }
        std::memcpy(values + line, v, sizeof v);
        line += 4;
    }
    bits.Skip(position - bits.Position());
    if (line >= kLines && bits.Position() < endBit) {
        // Bits left after the last line: harmless while they decode as zero
        // quadruples (stuffing), corrupt if they would place values past 576.
        int quad;
        const int used = DecodeQuad(bits.Window(), granule.count1TableB, quad);
        if (quad != 0 && bits.Position() + used <= endBit) return -1;
    }
    return line;
}

// Huffman decoding and requantisation; false for a corrupt granule.
TONEHALL_INLINE bool DecodeBody(const Layer3TableSet& tables, double* scratch, MpegBitReader& bits,
                                int endBit, const Layer3SideInfo::Granule& granule,
                                const Layer3ScaleFactors& scaleFactors, bool preflag, bool msStereo,
                                int sampleRateIndex, double* out, int& subbands) {
    const Layer3TableSet::BlockKind kind = granule.blockType != 2 ? Layer3TableSet::BlockKind::Long
                                           : granule.mixedBlock   ? Layer3TableSet::BlockKind::Mixed
                                                                : Layer3TableSet::BlockKind::Short;
    const Layer3TableSet::BandLayout& layout =
        tables.layouts[sampleRateIndex][static_cast<int>(kind)];

    double* values = layout.reordered ? scratch : out;
    const int lines = DecodeHuffman(tables, bits, endBit, granule, values);
    if (lines < 0) return false;
    if (layout.reordered)
        std::fill(out, out + kLines, 0.0);
    else
        std::fill(out + lines, out + kLines, 0.0);

    // ISO/IEC 11172-3 2.4.3.4.7: the gain index counts quarter steps of
    // attenuation; each scale-factor step is 2 (scalefac_scale 0) or 4 of them,
    // each subblock-gain step 8. The M/S factor 1/sqrt(2) is 2 more.
    const int base = Layer3TableSet::kGainBase - granule.globalGain + (msStereo ? 2 : 0);
    const int sfShift = granule.scalefacScale ? 4 : 2;
    subbands = 0;
    for (int r = 0; r < layout.count && layout.runs[r].start < lines; ++r) {
        const Layer3TableSet::BandRun& run = layout.runs[r];
        int index;
        if (run.window == 3)
            index = base + sfShift * (scaleFactors.longBand[run.band] +
                                      (preflag ? layer3::kPretab[run.band] : 0));
        else
            index = base + 8 * granule.subblockGain[run.window] +
                    sfShift * scaleFactors.shortBand[run.band][run.window];
        const double factor = tables.gain[std::min(index, Layer3TableSet::kGainEntries - 1)];
        const int end = std::min<int>(run.start + run.width, lines);
        if (layout.reordered) {
            for (int i = run.start; i < end; ++i)
                out[layout.reorder[i]] = values[i] * factor;
        } else {
            for (int i = run.start; i < end; ++i)
                out[i] *= factor;
        }
        subbands = std::max<int>(subbands, run.subbandEnd);
    }
    if (!layout.reordered) subbands = (lines + 17) / 18;
    return true;
}

// BMI2's shifts by a register count save the moves to CL that the baseline
// needs on every variable shift of the bit window.
TONEHALL_GENERIC_KERNEL bool
DecodeGeneric(const Layer3TableSet& tables, double* scratch, MpegBitReader& bits, int endBit,
              const Layer3SideInfo::Granule& granule, const Layer3ScaleFactors& scaleFactors,
              bool preflag, bool msStereo, int sampleRateIndex, double* out, int& subbands) {
    return DecodeBody(tables, scratch, bits, endBit, granule, scaleFactors, preflag, msStereo,
                      sampleRateIndex, out, subbands);
}

TONEHALL_AVX2_KERNEL bool
DecodeAvx2(const Layer3TableSet& tables, double* scratch, MpegBitReader& bits, int endBit,
           const Layer3SideInfo::Granule& granule, const Layer3ScaleFactors& scaleFactors,
           bool preflag, bool msStereo, int sampleRateIndex, double* out, int& subbands) {
    return DecodeBody(tables, scratch, bits, endBit, granule, scaleFactors, preflag, msStereo,
                      sampleRateIndex, out, subbands);
}

} // namespace

Layer3SpectrumDecoder::Result Layer3SpectrumDecoder::Decode(MpegBitReader& bits, int endBit,
                                                            const Layer3SideInfo::Granule& granule,
                                                            const Layer3ScaleFactors& scaleFactors,
                                                            bool preflag, bool msStereo,
                                                            int sampleRateIndex, double* out,
                                                            int& subbands) {
    const bool ok = CpuDispatch::UseAvx2()
                        ? DecodeAvx2(tables_, scratch_, bits, endBit, granule, scaleFactors,
                                     preflag, msStereo, sampleRateIndex, out, subbands)
                        : DecodeGeneric(tables_, scratch_, bits, endBit, granule, scaleFactors,
                                        preflag, msStereo, sampleRateIndex, out, subbands);
    return ok ? Result::Ok : Result::Corrupt;
}
