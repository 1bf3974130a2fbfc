#pragma once

#include "ZrCoreLib/ZrString.h"

#include <cstdint>

class IZrReader;
class MpegStreamAnalysis;

// The second source of encoder delay and padding: files encoded by iTunes
// carry no LAME extension (their Info frame names "iTun" where LAME writes
// its name) and keep the values in an ID3v2 comment with the description
// "iTunSMPB" instead: " 00000000 00000840 000001CC 0000000000195E74 ...",
// hexadecimal words of which the second is the delay and the third the
// padding.
class ITunesGaplessComment {
public:
    // Neither value can come from an encoder beyond this; keeping them below
    // it keeps the byte counts derived from them (times channels times 8)
    // well within 32 bits.
    static constexpr int32_t kMaxSamples = 65536;

    // Takes delay and padding from the comment when the analysis found no
    // delay, an ID3v2 tag, and the encoder "iTun" (any letter case). Leaves
    // them as they were when any of that is missing or the tag or comment
    // cannot be read. The reader's position is not restored.
    static void Apply(IZrReader* reader, MpegStreamAnalysis& analysis);

    // Reads a comment value: trimmed, split at every single space (two
    // adjacent spaces make an empty word), each word hexadecimal as strtol
    // reads it (0 when it starts with no digit). With two words or more,
    // delay = the second and padding = the third (0 when there is none);
    // with fewer both are 0. Values are clamped to 0..kMaxSamples.
    static void ParseValue(const ZrString& value, int32_t& delay, int32_t& padding);
};
