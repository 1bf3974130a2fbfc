// The field names tonehall-host asks a file-info object for. The host sees
// only the public interface, not the plug-in's tag code, so it keeps its own
// copy of the host-side names of the plug-in's field mapping
// (tags/tables/ID3v2FieldTable.h, whose names also cover every ID3v1 field);
// a test holds this copy to that table.
#ifndef TONEHALL_HOST_HOSTFIELDNAMES_H
#define TONEHALL_HOST_HOSTFIELDNAMES_H

namespace hostfields {

// Technical properties of the stream, answered from the analysis. "Bit
// Depth" and "Support Tag Writing" are left out: they are the same for
// every file.
constexpr const char* kTechnical[] = {
    "Bitrate",     "Duration",       "Channels",       "Sample Rate",
    "Compression", "Gapless Header", "Gapless Footer", "UITS Media Hash Byte Range"};

// Every host field of the mapping, once each, in the mapping's order. A
// field outside the mapping (a TXXX frame of any other name) is answered
// when asked by name but cannot be listed through the interface.
constexpr const char* kMapped[] = {"Name",
                                   "Artist",
                                   "Album Artist",
                                   "Band",
                                   "Album",
                                   "Track #",
                                   "Disc #",
                                   "Date",
                                   "Year",
                                   "Date (release)",
                                   "Genre",
                                   "Rating",
                                   "Composer",
                                   "Conductor",
                                   "Copyright",
                                   "Encoding Settings",
                                   "BPM",
                                   "Peak Level",
                                   "Replay Gain",
                                   "Episode URL",
                                   "Feed URL",
                                   "Comment",
                                   "Notes",
                                   "Lyrics",
                                   "Image File",
                                   "Tempo",
                                   "Mood",
                                   "Situation",
                                   "Bios",
                                   "Preference",
                                   "Lyricist",
                                   "Original Lyricist",
                                   "Original Artist",
                                   "Initial Key",
                                   "Subtitle",
                                   "Grouping",
                                   "Publisher",
                                   "Soloists",
                                   "Instruments",
                                   "Featured Performers",
                                   "Classical Genre",
                                   "Track Artist",
                                   "Album Sort",
                                   "Album Artist Sort",
                                   "Artist Sort",
                                   "Composer Sort",
                                   "Title Sort",
                                   "UITS Payload",
                                   "Involved People",
                                   "Original Release Year",
                                   "Release Medium",
                                   "ISRC",
                                   "Commercial URL",
                                   "Copyright URL",
                                   "File URL",
                                   "Artist URL",
                                   "Source URL",
                                   "Radio Station URL",
                                   "Payment URL",
                                   "Publisher URL",
                                   "iTunes Compilation",
                                   "iTunes Gapless",
                                   "!@#$% iTunes Podcast Flag !@#$%",
                                   "!@#$% iTunes Podcast Episode URL !@#$%",
                                   "!@#$% iTunes Podcast Feed URL !@#$%",
                                   "!@#$% iTunes Podcast Description !@#$%",
                                   "!@#$% iTunes Podcast Date !@#$%"};

// Derived by the file-info object from "Track #" and "Disc #".
constexpr const char* kDerived[] = {"Total Tracks", "Total Discs"};

// What `scan` lists for each file.
constexpr const char* kScan[] = {"Bitrate",     "Duration",       "Channels",       "Sample Rate",
                                 "Compression", "Gapless Header", "Gapless Footer", "Name",
                                 "Artist",      "Album",          "Album Artist",   "Track #",
                                 "Disc #",      "Year",           "Genre"};

} // namespace hostfields

#endif
