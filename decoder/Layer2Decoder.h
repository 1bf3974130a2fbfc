#pragma once
// Layer2Decoder: decodes one Layer II frame body (ISO/IEC 11172-3 clause
// 2.4.3.3; ISO/IEC 13818-3 for the lower sampling frequencies) from the
// decoder state's bit reader and runs the polyphase synthesis, 1152 sample
// frames per frame. Created by the front end on the first Layer II frame; on
// creation it fills the state's requantisation table. It owns the grouping
// tables and holds a pointer to the state, which outlives it.

#include "decoder/CpuDispatch.h"

#include <cstdint>

struct MpegDecoderState;
struct Layer2AllocationTable;

class Layer2Decoder {
public:
    explicit Layer2Decoder(MpegDecoderState& state);

    // Decodes the current frame into output + bytesDone; returns the number
    // of clipped samples.
    int32_t DecodeLayer2(uint8_t* output, int32_t& bytesDone);

    // The allocation table for a header's version, rate, mode and bitrate
    // (ISO/IEC 11172-3 Table B.2 selection, or the ISO/IEC 13818-3 table).
    static const Layer2AllocationTable& SelectTable(int32_t lsf, int32_t samplingIndex,
                                                    int32_t channels, int32_t bitrate);

    // Requantisation row of a sample digit of a grouped quantiser with 3, 5
    // or 9 levels (row 0 is zero).
    static int32_t GroupedRow(int32_t levels, int32_t digit);

private:
    struct Quantiser {
        int32_t levels;             // 0: not allocated
        int32_t bits;               // codeword bits (one per sample, or one per grouped triple)
        int32_t offset;             // d: the ungrouped code's offset, -(levels - 1) / 2
        int32_t row;                // requantisation row of an ungrouped code
        const uint8_t (*groups)[3]; // grouped: code -> three rows
    };

    void BuildAllocation(const Layer2AllocationTable& table);
    // DecodeLayer2's two builds (CpuDispatch.h) of one body.
    TONEHALL_GENERIC_KERNEL int32_t DecodeGeneric(uint8_t* output, int32_t& bytesDone);
    TONEHALL_AVX2_KERNEL int32_t DecodeAvx2(uint8_t* output, int32_t& bytesDone);
    TONEHALL_INLINE int32_t DecodeBody(uint8_t* output, int32_t& bytesDone);

    MpegDecoderState& m_state;
    const Layer2AllocationTable* m_table;
    int32_t m_allocationBits[32];
    Quantiser m_quantisers[32][16];

    // Code -> three requantisation rows, first sample from the least
    // significant digit. Sized to every codeword value; codes beyond
    // levels^3 - 1 (not produced by an encoder) wrap their digits modulo the
    // level count.
    uint8_t m_groups3[32][3];
    uint8_t m_groups5[128][3];
    uint8_t m_groups9[1024][3];

    // A frame's subband samples by channel, time slot and subband, and
    // which subbands of them the last frame wrote (the others are 0).
    double m_samples[2][36][32];
    bool m_written[2][32];
};
