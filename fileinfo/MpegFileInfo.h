// The MP3 file-info object: what the host gets from GetFileInfo. One file at
// a time: Open analyses the stream and reads both tags, GetField answers
// technical properties and tag fields by host name, SetField changes tags in
// memory, GetReport describes the file, and Close (also run by the next Open
// and by destruction) commits changed tags.
//
// Owns its analysis and its tags. Readers it creates are released before the
// call that created them returns, so no file stays open between calls. Used
// by one host thread at a time; holds no lock.
#ifndef TONEHALL_FILEINFO_MPEGFILEINFO_H
#define TONEHALL_FILEINFO_MPEGFILEINFO_H

#include <cstdint>

#include "ZrCoreLib/ZrString.h"
#include "config/CMP3Settings.h"
#include "input/MpegStreamAnalysis.h"
#include "plugin/ZrAudioFileInfoBase.h"
#include "tags/CMP3Tag.h"

class IZrReader;

class MpegFileInfo : public ZrAudioFileInfoBase {
public:
    // Reads the plug-in settings once: changes made later reach only objects
    // created afterwards.
    explicit MpegFileInfo(IZrReaderProvider* provider);
    ~MpegFileInfo() override;
    MpegFileInfo(const MpegFileInfo&) = delete;
    MpegFileInfo& operator=(const MpegFileInfo&) = delete;

    bool GetField(const wchar_t* name, IZrDllString* out) override;
    bool SetField(const wchar_t* name, const wchar_t* value) override;
    int GetReport(IZrDllString* out) override;
    int Open(const wchar_t* path) override;
    int Close() override;
    int DoCommand(int id, intptr_t argument) override;

private:
    // Opens a reader on the stored name for the file-info mode, buffering
    // the head of a remote file; null when there is none or it will not open.
    IZrReader* OpenReader();
    void ReadID3v2Tag(IZrReader* reader);
    // Writes changed tags by the save modes; 1 when every due write
    // succeeded. Runs before the object forgets the file.
    int CommitTags();
    // The text of a tag field for a name the property table does not take;
    // empty when neither tag has it.
    ZrString TagFieldValue(const ZrString& name);
    // "Total Tracks" / "Total Discs": what follows the first "/" of the
    // counted field; false without a "/".
    bool TotalOf(const wchar_t* countedField, ZrString& text);

    ZrString m_fileName; // empty while no file is open
    MpegStreamAnalysis m_analysis;
    CMP3Tag m_tags;
    bool m_hasID3v1 = false;
    bool m_hasID3v2 = false; // a readable ID3v2 tag, read when the file was opened
    CMP3Settings m_settings;
};

#endif
