#include "fileinfo/MpegFileInfo.h"

#include <charconv>
#include <memory>
#include <vector>

#include "ZrCoreLib/CBufferedHeaderReader.h"
#include "ZrCoreLib/IZrReader.h"
#include "ZrCoreLib/ZrPropertyMap.h"
#include "config/CRemoveTagModeDlg.h"
#include "config/TagSaveMode.h"
#include "fileinfo/MpegInfoReport.h"
#include "fileinfo/MpegTagSaver.h"
#include "plugin/ZrDllString.h"

namespace {
// CreateReader's mode for a file-info object, and its default flags.
constexpr int kFileInfoReaderMode = 1;
constexpr int kDefaultReaderFlags = -1;

// Seconds as the shortest text that reads back as the same double: "215"
// for whole seconds, "215.123" rather than a binary expansion. A count of
// milliseconds never needs more than three fractional digits.
ZrString SecondsText(int32_t milliseconds) {
    char text[32];
    const char* end =
        std::to_chars(text, text + sizeof text, milliseconds / 1000.0, std::chars_format::fixed)
            .ptr;
    return ZrString::FromLatin1(text, int(end - text));
}

// The version code (10, 20, 25) as "1", "2", "2.5".
ZrString VersionText(int32_t versionCode) {
    ZrString text = ZrString::FromInt(versionCode / 10);
    if (versionCode % 10 != 0) text += ZrString(L".") + ZrString::FromInt(versionCode % 10);
    return text;
}
} // namespace

MpegFileInfo::MpegFileInfo(IZrReaderProvider* provider)
    : ZrAudioFileInfoBase(provider), m_settings(CMP3Settings::Read()) {}

MpegFileInfo::~MpegFileInfo() {
    Close();
}

int MpegFileInfo::CommitTags() {
    return MpegTagSaver::Commit(m_fileName, m_tags, m_hasID3v1, m_hasID3v2, m_settings);
}

int MpegFileInfo::Close() {
    const int result = CommitTags();
    m_fileName.Empty();
    m_tags.Reset();
    m_hasID3v1 = false;
    m_hasID3v2 = false;
    return result;
}

IZrReader* MpegFileInfo::OpenReader() {
    if (!m_provider) return nullptr;
    IZrReader* reader =
        m_provider->CreateReader(m_fileName.c_str(), kFileInfoReaderMode, kDefaultReaderFlags);
    if (!reader) return nullptr;
    if (!reader->OpenRead()) {
        delete reader;
        return nullptr;
    }
    // The analysis and the tag reads jump about the head of the file; over a
    // network each of those jumps would be a request.
    if (!reader->IsLocal() && !reader->IsLiveStream()) reader = new CBufferedHeaderReader(reader);
    return reader;
}

void MpegFileInfo::ReadID3v2Tag(IZrReader* reader) {
    std::vector<uint8_t> bytes;
    if (m_analysis.ReadID3v2Bytes(reader, bytes))
        m_hasID3v2 = m_tags.ID3v2().Read(bytes.data(), bytes.size(), m_analysis.id3v2Position);
}

int MpegFileInfo::Open(const wchar_t* path) {
    Close();
    if (!path || !*path) return 0;
    m_fileName = path;
    const std::unique_ptr<IZrReader> reader(OpenReader());
    if (!reader || m_analysis.Analyze(reader.get()) != 0) return 0;
    if (!m_settings.ignoreID3v2) ReadID3v2Tag(reader.get());
    m_hasID3v1 = m_tags.ID3v1().Read(reader.get());
    return 1;
}

ZrString MpegFileInfo::TagFieldValue(const ZrString& name) {
    ZrPropertyMap fields;
    m_tags.GetField(name, fields);
    return fields.Get(L"Value");
}

bool MpegFileInfo::TotalOf(const wchar_t* countedField, ZrString& text) {
    ZrPropertyMap fields;
    m_tags.GetField(countedField, fields);
    // The converted "Value" of "Track #" drops the total; the stored text
    // keeps it.
    ZrString counted = fields.Get(L"Value Original");
    if (counted.IsEmpty()) counted = fields.Get(L"Value");
    const int slash = counted.Find(L'/');
    if (slash < 0) return false;
    text = counted.Mid(slash + 1);
    return true;
}

bool MpegFileInfo::GetField(const wchar_t* name, IZrDllString* out) {
    if (!name) return false;
    const ZrString field(name);
    const MpegFrameInfo& frame = m_analysis.firstFrame;
    ZrString text;
    if (field == L"Image File") {
        if (!m_tags.ID3v2().GetImageFile(field, text) || text.IsEmpty()) return false;
    } else if (field == L"Bitrate") {
        text = ZrString::FromInt(m_analysis.averageBitrate);
    } else if (field == L"Duration") {
        text = SecondsText(m_analysis.durationMs);
    } else if (field == L"Channels") {
        text = ZrString::FromInt(frame.channels);
    } else if (field == L"Sample Rate") {
        text = ZrString::FromInt(frame.sampleRate);
    } else if (field == L"Bit Depth") {
        text = L"16";
    } else if (field == L"Compression") {
        text = ZrString::Format(L"%s (MPEG-%s Layer %d)", m_analysis.vbr ? L"VBR" : L"CBR",
                                VersionText(frame.versionCode), frame.layer);
    } else if (field == L"Gapless Header") {
        text = ZrString::FromInt(m_analysis.encoderDelay);
    } else if (field == L"Gapless Footer") {
        text = ZrString::FromInt(m_analysis.encoderPadding);
    } else if (field == L"UITS Media Hash Byte Range") {
        // audioBytes already leaves out 128 bytes for a record that may not
        // be there; without one the audio runs to the end of the file.
        const int64_t start = m_analysis.firstAudioPosition;
        const int64_t end = start + m_analysis.audioBytes +
                            (m_hasID3v1 ? 0 : int64_t(MpegStreamAnalysis::kTrailingTagBytes));
        text = ZrString::Format(L"%ld-%ld", start, end);
    } else if (field == L"Total Tracks") {
        if (!TotalOf(L"Track #", text)) return false;
    } else if (field == L"Total Discs") {
        if (!TotalOf(L"Disc #", text)) return false;
    } else if (field.EqualsNoCase(L"Support Tag Writing")) {
        text = L"1";
    } else {
        text = TagFieldValue(field);
        if (text.IsEmpty()) return false;
    }
    ZrDllString::SetText(out, text);
    return true;
}

bool MpegFileInfo::SetField(const wchar_t* name, const wchar_t* value) {
    if (!name) return false;
    const ZrString field(name);
    const ZrString text(value ? value : L"");
    if (field == L"Image File" && !text.IsEmpty()) {
        // A new picture needs an ID3v2 tag that will be written.
        const uint32_t mode = m_settings.id3v2SaveMode;
        const bool allowed = mode == kTagSaveCreate || (mode == kTagSaveIfExists && m_hasID3v2);
        if (!allowed) return false;
    }
    return m_tags.SetField(field, text);
}

int MpegFileInfo::GetReport(IZrDllString* out) {
    ZrDllString::SetText(out, MpegInfoReport::Build(m_analysis, m_tags, m_hasID3v1, m_hasID3v2,
                                                    m_settings.ignoreID3v2));
    return 1;
}

int MpegFileInfo::DoCommand(int id, intptr_t argument) {
    switch (id) {
    case FILEINFO_CMD_REMOVE_TAGS:
        return MpegTagSaver::RemoveTags(m_provider, m_fileName, m_tags, argument);
    case FILEINFO_CMD_ID3V2_UNSAVED: {
        const uint32_t mode = m_settings.id3v2SaveMode;
        return mode == kTagDontSave || (mode == kTagSaveIfExists && !m_hasID3v2) ? 1 : -1;
    }
    case FILEINFO_CMD_CAPABILITY:
        return 1;
    case FILEINFO_CMD_REMOVE_DIALOG: {
        CRemoveTagModeDlg dialog;
        return dialog.RunModal() == ZrPopupWnd::kOK ? dialog.GetChosenMode() : -1;
    }
    default:
        // -1 is what the host gets for a command it may not use.
        return -1;
    }
}
