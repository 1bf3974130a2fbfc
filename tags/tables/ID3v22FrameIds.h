#pragma once

// ID3v2.2 three-character frame IDs and the ID3v2.3 frames that replace them
// (ID3v2.2 section 4 against ID3v2.3 section 4). IDs outside this list keep
// their three characters followed by "?".
struct ID3v22FrameId {
    const char* v22;
    const char* v23;
};

constexpr ID3v22FrameId kID3v22FrameIds[] = {
    {"TAL", "TALB"}, {"TP1", "TPE1"}, {"TP2", "TPE2"}, {"TRK", "TRCK"}, {"TYE", "TYER"},
    {"TT1", "TIT1"}, {"TT2", "TIT2"}, {"COM", "COMM"}, {"TEN", "TENC"}, {"TXX", "TXXX"},
    {"PIC", "APIC"}, {"TCO", "TCON"}, {"TPA", "TPOS"}, {"TSA", "TSOA"}, {"TSP", "TSOP"},
    {"TCP", "TCMP"}, {"TCM", "TCOM"}, {"UFI", "UFID"}};
