#include "fileinfo/MpegInfoReport.h"

#include "ZrCoreLib/ZrPropertyMap.h"
#include "input/MpegStreamAnalysis.h"
#include "tags/CMP3Tag.h"

namespace {
// Indexed by the header's channel mode (ISO/IEC 11172-3 clause 2.4.2.3).
constexpr const wchar_t* kChannelModes[] = {L"Stereo", L"Joint stereo", L"Dual channel", L"Mono"};
// The record's text fields, in the order of the report.
constexpr const wchar_t* kID3v1Lines[] = {L"Name", L"Artist",  L"Album",
                                          L"Year", L"Comment", L"Track #"};
// The genre byte ends the 128-byte record.
constexpr int kGenreByte = CID3v1Tag::kRecordSize - 1;

const wchar_t* YesNo(bool flag) {
    return flag ? L"Yes" : L"No";
}
} // namespace

ZrString MpegInfoReport::Build(const MpegStreamAnalysis& analysis, CMP3Tag& tags, bool hasID3v1,
                               bool hasID3v2, bool ignoreID3v2) {
    ZrString out;
    AppendStream(analysis, out);
    AppendID3v1(tags, hasID3v1, out);
    AppendID3v2(tags, hasID3v2, ignoreID3v2, out);
    return out;
}

void MpegInfoReport::AppendStream(const MpegStreamAnalysis& analysis, ZrString& out) {
    const MpegFrameInfo& frame = analysis.firstFrame;
    if (frame.versionCode == 25)
        out += L"MPEG-2.5 ";
    else
        out += ZrString::Format(L"MPEG-%d ", frame.versionCode / 10);
    out += ZrString::Format(L"Layer %d\r\n", frame.layer);
    out += ZrString::Format(L"%d Kbit %s\r\n", analysis.averageBitrate,
                            analysis.vbr ? L"VBR" : L"CBR");
    // Single precision on purpose: 22050 Hz reads "22.0 Khz", as the report
    // has always shown it.
    const float khz = static_cast<float>(frame.sampleRate) / 1000.0f;
    out += ZrString::Format(L"%.1f Khz ", static_cast<double>(khz));
    if (frame.channelMode >= 0 && frame.channelMode <= 3) out += kChannelModes[frame.channelMode];
    out += L"\r\n\r\n";
    out += ZrString::Format(L"Copyrighted: %s\r\n", YesNo(frame.copyright != 0));
    out += ZrString::Format(L"Original: %s\r\n", YesNo(frame.original != 0));
    out += ZrString::Format(L"Protected by CRC: %s\r\n", YesNo(frame.crcProtected != 0));
    out += ZrString::Format(L"Encoder: %s\r\n", analysis.encoderId);
    if (analysis.encoderDelay < 1 && analysis.encoderPadding < 1)
        out += L"Gapless: No\r\n";
    else
        out += ZrString::Format(L"Gapless: Yes (%d start, %d end)\r\n", analysis.encoderDelay,
                                analysis.encoderPadding);
    out += L"\r\n";
}

void MpegInfoReport::AppendID3v1(CMP3Tag& tags, bool hasID3v1, ZrString& out) {
    if (!hasID3v1) {
        out += L"ID3v1 Tag: none\r\n\r\n";
        return;
    }
    CID3v1Tag& record = tags.ID3v1();
    out += L"ID3v1 Tag: (128 bytes)\r\n";
    ZrPropertyMap fields;
    for (const wchar_t* name : kID3v1Lines) {
        record.GetField(name, fields);
        out += ZrString::Format(L"   %s: %s\r\n", name, fields.Get(L"Value"));
    }
    record.GetField(L"Genre", fields);
    out += ZrString::Format(L"   Genre: %s (%d)\r\n", fields.Get(L"Value"),
                            int(record.GetRecord()[kGenreByte]));
    out += L"\r\n";
}

void MpegInfoReport::AppendID3v2(CMP3Tag& tags, bool hasID3v2, bool ignoreID3v2, ZrString& out) {
    if (ignoreID3v2) {
        out += L"ID3v2 Tag: Unknown (ignoring ID3v2)\r\n";
        return;
    }
    CID3v2Tag& tag = tags.ID3v2();
    if (!hasID3v2 || tag.GetOldLength() == 0) {
        out += L"ID3v2 Tag: none\r\n";
        return;
    }
    const int version = tag.GetVersion();
    const wchar_t* name = version == 3 ? L"ID3v2.3" : version == 4 ? L"ID3v2.4" : L"ID3v2";
    out += ZrString::Format(L"%s Tag: (%d bytes)\r\n", name, int(tag.GetOldLength()));
    for (int i = 0; i < tag.GetFrameCount(); ++i) {
        const ZrString line = tag.DescribeFrame(i);
        if (!line.IsEmpty()) out += ZrString(L"  ") + line + L"\r\n";
    }
}
