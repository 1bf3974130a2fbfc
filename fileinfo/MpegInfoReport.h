// The plain-text information report of an MP3 file: stream format and header
// flags, encoder and gapless data, the ID3v1 record field by field and one
// line per ID3v2 frame. Lines end in "\r\n"; the host shows the text as it is.
#ifndef TONEHALL_FILEINFO_MPEGINFOREPORT_H
#define TONEHALL_FILEINFO_MPEGINFOREPORT_H

#include "ZrCoreLib/ZrString.h"

class CMP3Tag;
class MpegStreamAnalysis;

class MpegInfoReport {
public:
    // The technical part comes from the analysis of the last Open; the tag
    // lines show the tags as they are in memory, changes included.
    static ZrString Build(const MpegStreamAnalysis& analysis, CMP3Tag& tags, bool hasID3v1,
                          bool hasID3v2, bool ignoreID3v2);

private:
    static void AppendStream(const MpegStreamAnalysis& analysis, ZrString& out);
    static void AppendID3v1(CMP3Tag& tags, bool hasID3v1, ZrString& out);
    static void AppendID3v2(CMP3Tag& tags, bool hasID3v2, bool ignoreID3v2, ZrString& out);
};

#endif
