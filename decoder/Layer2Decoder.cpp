#include "decoder/Layer2Decoder.h"

#include "decoder/CpuDispatch.h"
#include "decoder/MpegBitReader.h"
#include "decoder/MpegDecoderState.h"
#include "decoder/PolyphaseSynthesis.h"
#include "decoder/tables/Layer2AllocationTables.h"
#include "decoder/tables/MpegHeaderTables.h"

#include <algorithm>
#include <cmath>
#include <cstring>

static_assert(MpegBitReader::kPadding <= kReservoirPadding,
              "the frame body's padding covers the reader's read-ahead");

namespace {

// Requantisation factors m_k by row: row 0 is zero; rows 3..16 serve the
// ungrouped quantisers of b bits (2^b - 1 levels, value (code + d) * 2 / (2^b - 1));
// rows 1, 2 and 17..26 are the sample values of the grouped 3-, 5- and 9-level
// quantisers (ISO/IEC 11172-3 clause 2.4.3.3.4: C * (s''' + D) reduces to
// (2c - (levels - 1)) / levels).
constexpr double kRowFactors[27] = {
    0.0,          -2.0 / 3.0,   2.0 / 3.0,     2.0 / 7.0,     2.0 / 15.0,    2.0 / 31.0,
    2.0 / 63.0,   2.0 / 127.0,  2.0 / 255.0,   2.0 / 511.0,   2.0 / 1023.0,  2.0 / 2047.0,
    2.0 / 4095.0, 2.0 / 8191.0, 2.0 / 16383.0, 2.0 / 32767.0, 2.0 / 65535.0, -4.0 / 5.0,
    -2.0 / 5.0,   2.0 / 5.0,    4.0 / 5.0,     -8.0 / 9.0,    -4.0 / 9.0,    -2.0 / 9.0,
    2.0 / 9.0,    4.0 / 9.0,    8.0 / 9.0};

constexpr uint8_t kRows3[3] = {1, 0, 2};
constexpr uint8_t kRows5[5] = {17, 18, 0, 19, 20};
constexpr uint8_t kRows9[9] = {21, 1, 22, 23, 0, 24, 25, 2, 26};

template <size_t Codes>
void BuildGroups(uint8_t (&groups)[Codes][3], int32_t levels, const uint8_t* rows) {
    for (size_t code = 0; code < Codes; ++code) {
        size_t rest = code;
        for (int32_t s = 0; s < 3; ++s) {
            groups[code][s] = rows[rest % static_cast<size_t>(levels)];
            rest /= static_cast<size_t>(levels);
        }
    }
}

int32_t BitsForLevels(int32_t levels) {
    int32_t bits = 0;
    while ((1 << bits) - 1 < levels)
        ++bits;
    return bits;
}

} // namespace

Layer2Decoder::Layer2Decoder(MpegDecoderState& state) : m_state(state), m_table(nullptr) {
    // Column j is the scale factor 2^(1 - j/3) of ISO/IEC 11172-3 Table B.1;
    // index 63 is not a valid scale factor and silences the subband.
    for (int32_t k = 0; k < 27; ++k) {
        for (int32_t j = 0; j < 63; ++j)
            state.layer2Requant[k][j] = kRowFactors[k] * std::pow(2.0, (3 - j) / 3.0);
        state.layer2Requant[k][63] = 0.0;
    }
    BuildGroups(m_groups3, 3, kRows3);
    BuildGroups(m_groups5, 5, kRows5);
    BuildGroups(m_groups9, 9, kRows9);
    std::memset(m_allocationBits, 0, sizeof m_allocationBits);
    std::memset(m_quantisers, 0, sizeof m_quantisers);
    std::memset(m_samples, 0, sizeof m_samples);
    std::memset(m_written, 0, sizeof m_written);
}

int32_t Layer2Decoder::GroupedRow(int32_t levels, int32_t digit) {
    switch (levels) {
    case 3:
        return kRows3[digit % 3];
    case 5:
        return kRows5[digit % 5];
    default:
        return kRows9[digit % 9];
    }
}

const Layer2AllocationTable& Layer2Decoder::SelectTable(int32_t lsf, int32_t samplingIndex,
                                                        int32_t channels, int32_t bitrate) {
    if (lsf != 0) return kLayer2TableLsf;
    // ISO/IEC 11172-3 Table B.2 heads: the table follows from the rate and the
    // bitrate per channel. Combinations the standard does not allow (mono
    // above 192 kbit/s, stereo at 32 or 48) fall to the nearest class.
    const int32_t perChannel = channels == 1 ? bitrate : bitrate / 2;
    const int32_t rate = kMpegSampleRates[std::clamp(samplingIndex, 0, 2)];
    if (perChannel <= 48) return rate == 32000 ? kLayer2TableB2d : kLayer2TableB2c;
    if (rate == 48000 || perChannel <= 80) return kLayer2TableB2a;
    return kLayer2TableB2b;
}

void Layer2Decoder::BuildAllocation(const Layer2AllocationTable& table) {
    m_table = &table;
    std::memset(m_allocationBits, 0, sizeof m_allocationBits);
    std::memset(m_quantisers, 0, sizeof m_quantisers);
    int32_t subband = 0;
    for (int32_t r = 0; r < table.rangeCount; ++r) {
        const Layer2AllocationRange& range = table.ranges[static_cast<size_t>(r)];
        for (int32_t n = 0; n < range.subbands && subband < 32; ++n, ++subband) {
            m_allocationBits[subband] = range.allocationBits;
            for (int32_t a = 1; a < (1 << range.allocationBits); ++a) {
                Quantiser& q = m_quantisers[subband][a];
                q.levels = range.levels[static_cast<size_t>(a)];
                switch (q.levels) {
                case 3:
                    q.bits = 5;
                    q.groups = m_groups3;
                    break;
                case 5:
                    q.bits = 7;
                    q.groups = m_groups5;
                    break;
                case 9:
                    q.bits = 10;
                    q.groups = m_groups9;
                    break;
                default:
                    q.bits = BitsForLevels(q.levels);
                    q.offset = -(q.levels - 1) / 2;
                    q.row = q.bits;
                    q.groups = nullptr;
                    break;
                }
            }
        }
    }
}

int32_t Layer2Decoder::DecodeLayer2(uint8_t* output, int32_t& bytesDone) {
    return CpuDispatch::UseAvx2() ? DecodeAvx2(output, bytesDone)
                                  : DecodeGeneric(output, bytesDone);
}

int32_t Layer2Decoder::DecodeGeneric(uint8_t* output, int32_t& bytesDone) {
    return DecodeBody(output, bytesDone);
}

int32_t Layer2Decoder::DecodeAvx2(uint8_t* output, int32_t& bytesDone) {
    return DecodeBody(output, bytesDone);
}

int32_t Layer2Decoder::DecodeBody(uint8_t* output, int32_t& bytesDone) {
    const FrameHeader& header = m_state.header;
    // The front end leaves kReservoirPadding zero bytes behind the body, so
    // no read needs a bounds check, and bits past the body still read as 0.
    MpegBitReader bits = m_state.bits;
    const Layer2AllocationTable& table =
        SelectTable(header.lsf, header.samplingIndex, header.channels, header.bitrate);
    if (m_table != &table) BuildAllocation(table);

    const int32_t channels = header.channels;
    const int32_t limit = table.subbandLimit;
    // ISO/IEC 11172-3 clause 2.4.2.3 mode_extension: joint stereo codes
    // subbands from 4, 8, 12 or 16 on with one shared allocation.
    const int32_t bound =
        header.mode == 1 ? std::min((header.modeExtension + 1) * 4, limit) : limit;

    // Clause 2.4.1.6 audio_data: allocation, scfsi, scale factors, samples.
    int32_t allocation[2][32] = {};
    for (int32_t sb = 0; sb < limit; ++sb) {
        if (sb < bound) {
            for (int32_t ch = 0; ch < channels; ++ch)
                allocation[ch][sb] = static_cast<int32_t>(bits.Read(m_allocationBits[sb]));
        } else {
            allocation[0][sb] = static_cast<int32_t>(bits.Read(m_allocationBits[sb]));
            allocation[1][sb] = allocation[0][sb];
        }
    }
    int32_t scfsi[2][32] = {};
    for (int32_t sb = 0; sb < limit; ++sb)
        for (int32_t ch = 0; ch < channels; ++ch)
            if (allocation[ch][sb] != 0) scfsi[ch][sb] = static_cast<int32_t>(bits.Read(2));

    // Clause 2.4.2.7 scfsi: 0 three scale factors; 1 the first serves parts 0
    // and 1; 2 one for all; 3 the second serves parts 1 and 2.
    int32_t scale[2][3][32] = {};
    for (int32_t sb = 0; sb < limit; ++sb) {
        for (int32_t ch = 0; ch < channels; ++ch) {
            if (allocation[ch][sb] == 0) continue;
            int32_t* s0 = &scale[ch][0][sb];
            int32_t* s1 = &scale[ch][1][sb];
            int32_t* s2 = &scale[ch][2][sb];
            switch (scfsi[ch][sb]) {
            case 0:
                *s0 = static_cast<int32_t>(bits.Read(6));
                *s1 = static_cast<int32_t>(bits.Read(6));
                *s2 = static_cast<int32_t>(bits.Read(6));
                break;
            case 1:
                *s0 = *s1 = static_cast<int32_t>(bits.Read(6));
                *s2 = static_cast<int32_t>(bits.Read(6));
                break;
            case 2:
                *s0 = *s1 = *s2 = static_cast<int32_t>(bits.Read(6));
                break;
            default:
                *s0 = static_cast<int32_t>(bits.Read(6));
                *s1 = *s2 = static_cast<int32_t>(bits.Read(6));
                break;
            }
        }
    }

    // The coded (subband, channel) pairs of this frame in bitstream order,
    // with everything a sample needs worked out once for the 12 blocks.
    // Above the bound channel 1 shares channel 0's codes, with its own scale
    // factors.
    struct Coded {
        double* to;                   // m_samples[ch][0] + sb
        double* shared;               // m_samples[1][0] + sb above the bound, else null
        const double* scale[3];       // requantisation row 0 at this channel's
        const double* sharedScale[3]; // scale factor column, by part
        const uint8_t (*groups)[3];   // grouped quantisers: code -> three rows
        int32_t bits;
        int32_t offset;
        int32_t row;
    };
    Coded coded[64];
    int32_t codedCount = 0;
    bool written[2][32] = {};
    for (int32_t sb = 0; sb < limit; ++sb) {
        const int32_t codedChannels = sb < bound ? channels : 1;
        for (int32_t ch = 0; ch < codedChannels; ++ch) {
            const int32_t a = allocation[ch][sb];
            if (a == 0) continue;
            const Quantiser& q = m_quantisers[sb][a];
            if (q.levels == 0) continue;
            Coded& c = coded[codedCount++];
            const bool shared = sb >= bound && channels == 2;
            c.to = &m_samples[ch][0][sb];
            c.shared = shared ? &m_samples[1][0][sb] : nullptr;
            written[ch][sb] = true;
            if (shared) written[1][sb] = true;
            for (int32_t part = 0; part < 3; ++part) {
                c.scale[part] = m_state.layer2Requant[0] + scale[ch][part][sb];
                c.sharedScale[part] = m_state.layer2Requant[0] + scale[1][part][sb];
            }
            c.groups = q.groups;
            c.bits = q.bits;
            c.offset = q.offset;
            c.row = 64 * q.row;
        }
    }

    // Every block writes the same coded pairs; the others are 0. The
    // synthesis runs once over the frame's 36 time slots, which suits its
    // four-at-a-time DCT better than 12 runs of 3.
    // Subbands are cleared as they drop out, not every frame.
    for (int32_t ch = 0; ch < channels; ++ch)
        for (int32_t sb = 0; sb < 32; ++sb) {
            if (m_written[ch][sb] && !written[ch][sb])
                for (int32_t slot = 0; slot < 36; ++slot)
                    m_samples[ch][slot][sb] = 0.0;
            m_written[ch][sb] = written[ch][sb];
        }
    for (int32_t block = 0; block < 12; ++block) {
        const int32_t part = block >> 2;
        const int32_t slot = 3 * 32 * block;
        for (int32_t n = 0; n < codedCount; ++n) {
            const Coded& c = coded[n];
            double* to = c.to + slot;
            double* sharedTo = c.shared != nullptr ? c.shared + slot : nullptr;
            const double* scale0 = c.scale[part];
            const double* scale1 = c.sharedScale[part];
            if (c.groups != nullptr) {
                const uint8_t* rows = c.groups[bits.Read(c.bits)];
                for (int32_t s = 0; s < 3; ++s) {
                    to[32 * s] = scale0[64 * rows[s]];
                    if (sharedTo != nullptr) sharedTo[32 * s] = scale1[64 * rows[s]];
                }
            } else {
                // The three codes at once: at most 3 x 16 bits, within the
                // reader's 57-bit window.
                const uint64_t window = bits.Window();
                bits.Skip(3 * c.bits);
                for (int32_t s = 0; s < 3; ++s) {
                    const auto code =
                        static_cast<int32_t>((window << (s * c.bits)) >> (64 - c.bits));
                    const double factor = static_cast<double>(code + c.offset);
                    to[32 * s] = factor * scale0[c.row];
                    if (sharedTo != nullptr) sharedTo[32 * s] = factor * scale1[c.row];
                }
            }
        }
    }
    const int32_t clipped = SynthesizeSteps(
        m_state, m_samples[0], channels == 2 ? m_samples[1] : nullptr, 36, output, bytesDone);
    m_state.bits.SetPosition(bits.Position());
    return clipped;
}
