#pragma once

#include "tags/CID3v2Field.h"

#include <cstdint>

// The built-in field mapping: host field, frame and description, in the order
// in which frames are read (first found wins) and written. Every row also gets
// CID3v2Field::BuiltIn.
struct ID3v2FieldRow {
    const char* frameId;
    const wchar_t* hostName;
    const wchar_t* description;
    uint32_t flags;
    uint32_t pictureType;
};

namespace id3v2fieldtable {
constexpr uint32_t V23 = CID3v2Field::WriteV23;
constexpr uint32_t V24 = CID3v2Field::WriteV24;
constexpr uint32_t Both = V23 | V24;
constexpr uint32_t Any = CID3v2Field::kAnyPictureType;
} // namespace id3v2fieldtable

// The owner that the UITS standard gives its PRIV payload frame.
#define ID3V2_UITS_OWNER L"mailto:uits-info@umusic.com"

constexpr ID3v2FieldRow kID3v2FieldTable[] = {
    {"TIT2", L"Name", L"", id3v2fieldtable::Both, id3v2fieldtable::Any},
    {"TPE1", L"Artist", L"", id3v2fieldtable::Both | CID3v2Field::ListValue, id3v2fieldtable::Any},
    {"TPE2", L"Album Artist", L"", id3v2fieldtable::Both, id3v2fieldtable::Any},
    {"TXXX", L"Band", L"Zr/Band", id3v2fieldtable::Both, id3v2fieldtable::Any},
    {"TALB", L"Album", L"", id3v2fieldtable::Both, id3v2fieldtable::Any},
    {"TRCK", L"Track #", L"", id3v2fieldtable::Both | CID3v2Field::NumberWithTotal,
     id3v2fieldtable::Any},
    {"TPOS", L"Disc #", L"", id3v2fieldtable::Both | CID3v2Field::NumberWithTotal,
     id3v2fieldtable::Any},
    {"TDRC", L"Date", L"", id3v2fieldtable::V24 | CID3v2Field::DateValue, id3v2fieldtable::Any},
    {"TXXX", L"Date", L"Zr/Date", id3v2fieldtable::V23, id3v2fieldtable::Any},
    {"TYER", L"Year", L"", id3v2fieldtable::V23, id3v2fieldtable::Any},
    {"TDRL", L"Date (release)", L"", id3v2fieldtable::Both | CID3v2Field::DateValue,
     id3v2fieldtable::Any},
    {"TCON", L"Genre", L"", id3v2fieldtable::Both | CID3v2Field::GenreCode | CID3v2Field::ListValue,
     id3v2fieldtable::Any},
    {"POPM", L"Rating", L"", id3v2fieldtable::Both, id3v2fieldtable::Any},
    {"TXXX", L"Rating", L"RATING", 0, id3v2fieldtable::Any},
    {"TCOM", L"Composer", L"", id3v2fieldtable::Both | CID3v2Field::ListValue,
     id3v2fieldtable::Any},
    {"TPE3", L"Conductor", L"", id3v2fieldtable::Both | CID3v2Field::ListValue,
     id3v2fieldtable::Any},
    {"TCOP", L"Copyright", L"", id3v2fieldtable::Both, id3v2fieldtable::Any},
    {"TSSE", L"Encoding Settings", L"", id3v2fieldtable::Both, id3v2fieldtable::Any},
    {"TBPM", L"BPM", L"", id3v2fieldtable::Both, id3v2fieldtable::Any},
    {"TXXX", L"Peak Level", L"replaygain_track_peak",
     id3v2fieldtable::Both | CID3v2Field::ReplayPeak, id3v2fieldtable::Any},
    {"TXXX", L"Replay Gain", L"replaygain_track_gain",
     id3v2fieldtable::Both | CID3v2Field::ReplayGain, id3v2fieldtable::Any},
    {"TXXX", L"Episode URL", L"Episode URL", id3v2fieldtable::Both, id3v2fieldtable::Any},
    {"TXXX", L"Feed URL", L"Feed URL", id3v2fieldtable::Both, id3v2fieldtable::Any},
    {"COMM", L"Comment", L"", id3v2fieldtable::Both, id3v2fieldtable::Any},
    {"TXXX", L"Notes", L"Notes", id3v2fieldtable::Both, id3v2fieldtable::Any},
    {"QLGN", L"Notes", L"", 0, id3v2fieldtable::Any},
    {"USLT", L"Lyrics", L"", id3v2fieldtable::Both | CID3v2Field::AnyDescription,
     id3v2fieldtable::Any},
    {"TXXX", L"Lyrics", L"UNSYNCED LYRICS", 0, id3v2fieldtable::Any},
    {"APIC", L"Image File", L"", id3v2fieldtable::Both, 3},
    {"APIC", L"Image File", L"", 0, 0},
    {"APIC", L"Image File", L"", CID3v2Field::KeepOnWrite, id3v2fieldtable::Any},
    {"COMM", L"Tempo", L"MusicMatch_Tempo", id3v2fieldtable::Both, id3v2fieldtable::Any},
    {"TMOO", L"Mood", L"", id3v2fieldtable::V24, id3v2fieldtable::Any},
    {"TXXX", L"Mood", L"Mood", id3v2fieldtable::V23, id3v2fieldtable::Any},
    {"COMM", L"Mood", L"MusicMatch_Mood", 0, id3v2fieldtable::Any},
    {"COMM", L"Situation", L"MusicMatch_Situation", id3v2fieldtable::Both, id3v2fieldtable::Any},
    {"COMM", L"Bios", L"MusicMatch_Bio", id3v2fieldtable::Both, id3v2fieldtable::Any},
    {"COMM", L"Preference", L"MusicMatch_Preference", id3v2fieldtable::Both, id3v2fieldtable::Any},
    {"TEXT", L"Lyricist", L"", id3v2fieldtable::Both, id3v2fieldtable::Any},
    {"TOLY", L"Original Lyricist", L"", id3v2fieldtable::Both, id3v2fieldtable::Any},
    {"TOPE", L"Original Artist", L"", id3v2fieldtable::Both, id3v2fieldtable::Any},
    {"TKEY", L"Initial Key", L"", id3v2fieldtable::Both, id3v2fieldtable::Any},
    {"TIT3", L"Subtitle", L"", id3v2fieldtable::Both, id3v2fieldtable::Any},
    {"TIT1", L"Grouping", L"", id3v2fieldtable::Both, id3v2fieldtable::Any},
    {"TPUB", L"Publisher", L"", id3v2fieldtable::Both, id3v2fieldtable::Any},
    {"TXXX", L"Soloists", L"Soloists", id3v2fieldtable::Both | CID3v2Field::ListValue,
     id3v2fieldtable::Any},
    {"COMM", L"Instruments", L"MusicMatch_ClassicalInstrument", id3v2fieldtable::Both,
     id3v2fieldtable::Any},
    {"COMM", L"Featured Performers", L"MusicMatch_ClassicalFeaturedPerformers",
     id3v2fieldtable::Both, id3v2fieldtable::Any},
    {"COMM", L"Classical Genre", L"MusicMatch_ClassicalGenre", id3v2fieldtable::Both,
     id3v2fieldtable::Any},
    {"COMM", L"Track Artist", L"MusicMatch_TrackArtist", id3v2fieldtable::Both,
     id3v2fieldtable::Any},
    {"TSOA", L"Album Sort", L"", id3v2fieldtable::Both, id3v2fieldtable::Any},
    {"TSO2", L"Album Artist Sort", L"", id3v2fieldtable::Both, id3v2fieldtable::Any},
    {"TSOP", L"Artist Sort", L"", id3v2fieldtable::Both, id3v2fieldtable::Any},
    {"TSOC", L"Composer Sort", L"", id3v2fieldtable::Both, id3v2fieldtable::Any},
    {"TSOT", L"Title Sort", L"", id3v2fieldtable::Both, id3v2fieldtable::Any},
    {"PRIV", L"UITS Payload", ID3V2_UITS_OWNER, id3v2fieldtable::Both | CID3v2Field::Utf8Base64,
     id3v2fieldtable::Any},
    {"IPLS", L"Involved People", L"", id3v2fieldtable::Both, id3v2fieldtable::Any},
    {"TORY", L"Original Release Year", L"", id3v2fieldtable::Both, id3v2fieldtable::Any},
    {"TMED", L"Release Medium", L"", id3v2fieldtable::Both, id3v2fieldtable::Any},
    {"TSRC", L"ISRC", L"", id3v2fieldtable::Both, id3v2fieldtable::Any},
    {"WCOM", L"Commercial URL", L"", id3v2fieldtable::Both, id3v2fieldtable::Any},
    {"WCOP", L"Copyright URL", L"", id3v2fieldtable::Both, id3v2fieldtable::Any},
    {"WOAF", L"File URL", L"", id3v2fieldtable::Both, id3v2fieldtable::Any},
    {"WOAR", L"Artist URL", L"", id3v2fieldtable::Both, id3v2fieldtable::Any},
    {"WOAS", L"Source URL", L"", id3v2fieldtable::Both, id3v2fieldtable::Any},
    {"WORS", L"Radio Station URL", L"", id3v2fieldtable::Both, id3v2fieldtable::Any},
    {"WPAY", L"Payment URL", L"", id3v2fieldtable::Both, id3v2fieldtable::Any},
    {"WPUB", L"Publisher URL", L"", id3v2fieldtable::Both, id3v2fieldtable::Any},
    {"TCMP", L"iTunes Compilation", L"", id3v2fieldtable::Both, id3v2fieldtable::Any},
    {"COMM", L"iTunes Gapless", L"iTunSMPB", id3v2fieldtable::Both, id3v2fieldtable::Any},
    {"PCST", L"!@#$% iTunes Podcast Flag !@#$%", L"",
     id3v2fieldtable::Both | CID3v2Field::NumberWithTotal | CID3v2Field::ReplayGain,
     id3v2fieldtable::Any},
    {"TGID", L"Episode URL", L"", 0, id3v2fieldtable::Any},
    {"TGID", L"!@#$% iTunes Podcast Episode URL !@#$%", L"", id3v2fieldtable::Both,
     id3v2fieldtable::Any},
    {"WFED", L"Feed URL", L"", 0, id3v2fieldtable::Any},
    {"WFED", L"!@#$% iTunes Podcast Feed URL !@#$%", L"", id3v2fieldtable::Both,
     id3v2fieldtable::Any},
    {"TDES", L"Comment", L"", 0, id3v2fieldtable::Any},
    {"TDES", L"!@#$% iTunes Podcast Description !@#$%", L"", id3v2fieldtable::Both,
     id3v2fieldtable::Any},
    {"TDRL", L"!@#$% iTunes Podcast Date !@#$%", L"",
     id3v2fieldtable::Both | CID3v2Field::DateValue, id3v2fieldtable::Any},
    {"TXXX", L"Album Artist", L"Album Artist", id3v2fieldtable::Both, id3v2fieldtable::Any},
    {"COMM", L"Album Artist", L"Quillon Audio: Album Artist", 0, id3v2fieldtable::Any},
    {"COMM", L"Peak Level", L"Quillon Audio: Peak Level", 0, id3v2fieldtable::Any},
    {"COMM", L"Replay Gain", L"Quillon Audio: Replay Gain", 0, id3v2fieldtable::Any},
    {"COMM", L"Publisher", L"Quillon Audio: Publisher", 0, id3v2fieldtable::Any},
    {"TXXX", L"Band", L"Band", 0, id3v2fieldtable::Any},
    {"TXXX", L"Date", L"Date", 0, id3v2fieldtable::Any},
    {"TXXX", L"Lyrics", L"Lyrics", 0, id3v2fieldtable::Any},
};

#undef ID3V2_UITS_OWNER

// Host fields whose values are lists separated by ";"; their built-in
// entries get CID3v2Field::ListValue.
constexpr const wchar_t* kID3v2ListFields[] = {
    L"Artist",   L"Genre",        L"Keywords", L"People",   L"Places",    L"Events",
    L"Country",  L"Producer",     L"Language", L"Composer", L"Conductor", L"Soloists",
    L"Director", L"Screenwriter", L"Actors",   L"Studios",  L"Credits",   L"Cinematographer",
    L"Editor",   L"Distributor",  L"Prequel",  L"Sequel",   L"Music By",  L"Author"};
