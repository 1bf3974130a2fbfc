#pragma once

#include "ZrCoreLib/ZrPropertyMap.h"
#include "ZrCoreLib/ZrString.h"
#include "tags/CID3v1Tag.h"
#include "tags/CID3v2Tag.h"

// The tag state of one MP3 file: its ID3v1 record and its ID3v2 tag side by
// side. Reads prefer the ID3v2 tag, whatever its version, and fall back to
// the record only for fields the ID3v2 tag lacks; writes go to both, so that
// the save modes can later write either tag, both or neither.
//
// Owns both tags. Finding them in the file, reading their bytes and writing
// them back belong to the file-info object.
class CMP3Tag {
public:
    CMP3Tag();
    virtual ~CMP3Tag();
    CMP3Tag(const CMP3Tag&) = delete;
    CMP3Tag& operator=(const CMP3Tag&) = delete;

    // Empties both tags.
    void Reset();

    // Clears out and fills it from the ID3v2 tag (converted values), else
    // from the ID3v1 record; out stays empty when neither has the field.
    // Always true: the caller tests out's "Value".
    bool GetField(const ZrString& name, ZrPropertyMap& out);
    // The same name and value to the ID3v2 tag, then to the ID3v1 record (a
    // field the record cannot hold is ignored there). Always true.
    bool SetField(const ZrString& name, const ZrString& value);

    CID3v1Tag& ID3v1() { return m_id3v1; }
    CID3v2Tag& ID3v2() { return m_id3v2; }
    const CID3v1Tag& ID3v1() const { return m_id3v1; }
    const CID3v2Tag& ID3v2() const { return m_id3v2; }

private:
    CID3v1Tag m_id3v1;
    CID3v2Tag m_id3v2;
};
