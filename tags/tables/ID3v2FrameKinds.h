#pragma once

#include <cstdint>

// How the body of an ID3v2 frame is laid out, decided from its frame ID.
enum class ID3v2FrameKind : uint8_t {
    UserText,    // TXXX, WXXX (ID3v2.4 sections 4.2.6, 4.3.2)
    Picture,     // APIC (4.14)
    Rating,      // POPM (4.17)
    Text,        // T*** (4.2)
    PodcastFlag, // PCST, iTunes
    Url,         // W*** (4.3.1)
    Comment,     // COMM (4.10), USLT (4.8), QLGN (the host product's own)
    Private,     // PRIV (4.27)
    Unknown,
};

// One test on a frame ID: a four-character id matches exactly, a
// one-character id matches the first character.
struct ID3v2FrameKindRule {
    const char* id;
    ID3v2FrameKind kind;
};

// Tried in this order; the first match decides (so TXXX is user text, not text).
constexpr ID3v2FrameKindRule kID3v2FrameKindRules[] = {
    {"TXXX", ID3v2FrameKind::UserText}, {"WXXX", ID3v2FrameKind::UserText},
    {"APIC", ID3v2FrameKind::Picture},  {"POPM", ID3v2FrameKind::Rating},
    {"T", ID3v2FrameKind::Text},        {"PCST", ID3v2FrameKind::PodcastFlag},
    {"W", ID3v2FrameKind::Url},         {"COMM", ID3v2FrameKind::Comment},
    {"QLGN", ID3v2FrameKind::Comment},  {"USLT", ID3v2FrameKind::Comment},
    {"PRIV", ID3v2FrameKind::Private},
};
