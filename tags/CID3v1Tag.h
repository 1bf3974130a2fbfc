#pragma once

#include "ZrCoreLib/ZrPropertyMap.h"
#include "ZrCoreLib/ZrString.h"
#include "tags/CID3TagBase.h"

#include <cstdint>

class IZrReader;

// The 128-byte ID3v1 (ID3v1.1) record at the end of an MP3 file: reads it
// through a reader, answers host field reads and takes host field writes into
// the record. Writing the record into the file, or removing it, is the
// caller's: it takes the bytes from GetRecord.
//
// Record layout: "TAG", title 30, artist 30, album 30, year 4, comment 29
// (bytes 97-125; ID3v1.1 keeps byte 125 zero), track 1 (byte 126), genre 1.
class CID3v1Tag : public CID3TagBase {
public:
    static constexpr int kRecordSize = 128;
    static constexpr uint8_t kNoGenre = 255;

    CID3v1Tag();
    ~CID3v1Tag() override;

    // Zeroes the record and writes "TAG" at its start; clears exists and modified.
    void Reset();
    // Reads the last 128 bytes of the stream (which must be longer than 128
    // bytes) and restores the reader's position. Returns exists.
    bool Read(IZrReader* reader);
    // As Read, from a record already in memory.
    bool ReadRecord(const uint8_t* record, size_t size);

    // Host fields "Name", "Artist", "Album", "Year", "Comment", "Track #",
    // "Genre" (without regard to case). False when no record exists or the
    // value is empty.
    bool GetField(const ZrString& name, ZrPropertyMap& out, uint32_t options = 0) override;
    // Writes the field into the record; false for a field the record lacks.
    bool SetField(const ZrString& name, const ZrString& value);

    bool Exists() const { return m_exists; }
    bool IsModified() const { return m_modified; }
    const uint8_t* GetRecord() const { return m_record; }

    // Genre name of an index 0-147, empty otherwise; index of a name compared
    // without regard to case, kNoGenre when unknown.
    static ZrString GenreName(int index);
    static uint8_t GenreIndex(const ZrString& name);

private:
    bool m_exists = false;
    bool m_modified = false;
    uint8_t m_record[kRecordSize];
};
