#pragma once
// FrameHeader: the fields of one MPEG audio frame header (ISO/IEC 11172-3
// clause 2.4.1.3, ISO/IEC 13818-3 clause 2.4.1.3, and the MPEG-2.5 extension
// that reuses version bits 00), as the decoder front end and the layer
// decoders read them. The header word is taken big-endian:
//
//   AAAAAAAA AAABBCCD EEEEFFGH IIJJKLMM
//   A sync, B version, C layer, D protection_bit, E bitrate_index,
//   F sampling_frequency, G padding, H private, I mode, J mode_extension,
//   K copyright, L original, M emphasis

#include <cstdint>

struct FrameHeader {
    int32_t channels;         // 1 for single-channel mode, else 2
    int32_t jointStereoBound; // Layer II subband bound, set by the Layer II decoder
    int32_t channelSelection; // -1: both channels are always decoded
    int32_t lsf;              // 1 for MPEG-2 and MPEG-2.5 (lower sampling frequencies)
    int32_t mpeg25;           // 1 for MPEG-2.5
    int32_t headerChange;     // 1 when the header differs from the previous frame's
    int32_t layer;            // 1..3
    int32_t errorProtection;  // 1 when a 16-bit CRC word follows the header
    int32_t bitrateIndex;     // 0..15
    int32_t samplingIndex;    // 0..8 over kMpegSampleRates; -1 for the reserved code
    int32_t padding;
    int32_t extension; // private bit
    int32_t mode;      // 0 stereo, 1 joint stereo, 2 dual channel, 3 single channel
    int32_t modeExtension;
    int32_t copyright;
    int32_t original;
    int32_t emphasis;
    int32_t bodySize; // frame bytes after the 4 header bytes
};

// The expected stream parameters as the stream analysis found them: version
// 10 (MPEG-1), 20 (MPEG-2) or 25 (MPEG-2.5), layer 1..3, rate in Hz.
// A header is acceptable when its sync, version, layer and sample rate equal
// them and its bitrate index is neither 0 (free format) nor 15 (forbidden).
// Mode, padding and the CRC flag are free to change from frame to frame.
bool IsAcceptableHeader(uint32_t header, int32_t version, int32_t layer, int32_t sampleRate);

// Fills every field but bodySize and jointStereoBound from the header word.
void DecodeFrameHeader(uint32_t header, FrameHeader& out);

// Bitrate of a decoded header in kbit/s (0 for free format and index 15).
int32_t FrameBitrate(const FrameHeader& header);
