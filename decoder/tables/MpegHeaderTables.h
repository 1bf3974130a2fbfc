#pragma once
// Frame-header lookups shared by the decoder front end and the layer decoders.

#include <array>
#include <cstdint>

// ISO/IEC 11172-3 clause 2.4.2.3 bitrate_index (MPEG-1) and ISO/IEC 13818-3 clause 2.4.2.3 (lower
// sampling frequencies, shared by MPEG-2.5), kbit/s by [lsf][layer - 1][bitrate index]; index 0 is
// free format
inline constexpr std::array<std::array<std::array<int32_t, 15>, 3>, 2> kMpegBitrates = {{
    {{
        {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},
    }},
    {{
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
    }},
}};

// ISO/IEC 11172-3 clause 2.4.2.3 sampling_frequency, then ISO/IEC 13818-3 (MPEG-2) and the
// MPEG-2.5 extension, Hz by sampling-rate index 0..8
inline constexpr std::array<int32_t, 9> kMpegSampleRates = {44100, 48000, 32000, 22050, 24000,
                                                            16000, 11025, 12000, 8000};
