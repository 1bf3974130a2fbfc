#include "tags/CID3v2FrameDescriber.h"

#include "ZrCoreLib/ZrBase64.h"
#include "tags/CID3ToolsBridge.h"

#include <string>

namespace {

// Longest value shown in a report line.
constexpr int kMaxDescribedValue = 128;
// Longest description shown in a report line, and what is kept of a longer one.
constexpr int kMaxDescribedName = 20;
constexpr int kShortenedName = 18;

const wchar_t kLegacyPrefix[] = L"Quillon Audio: ";
constexpr int kLegacyPrefixLength = 15;

} // namespace

ZrString CID3v2FrameDescriber::Describe(const CID3v2Frame* frame, const CID3v2TagMapping& mapping) {
    if (!frame) return CID3ToolsBridge::Translate(L"<invalid frame>");
    const std::string id = frame->GetId();
    ZrString line = ZrString::FromLatin1(id.c_str(), 4, false);
    ZrString description = frame->GetField(L"Description");
    if (description.IsEmpty()) {
        const int m = mapping.IndexOf(id.c_str(), description, CID3v2Field::kAnyFlag);
        if (m >= 0) description = mapping.Get(m)->GetHostName();
    }
    description.TrimRight();
    if (description.StartsWith(kLegacyPrefix)) description = description.Mid(kLegacyPrefixLength);
    if (description.GetLength() > kMaxDescribedName)
        description = description.Left(kShortenedName) + L"..";
    if (!description.IsEmpty()) line += ZrString(L" (") + description + L")";
    if (frame->GetKind() == ID3v2FrameKind::Picture) {
        ZrString type = frame->GetField(L"Picture Type");
        if (type == L"3") type = CID3ToolsBridge::Translate(L"Cover");
        line += ZrString(L" (") + type + L")";
    }
    ZrString value;
    if (frame->GetKind() == ID3v2FrameKind::Unknown) {
        value = CID3ToolsBridge::Translate(L"<unknown data type>");
    } else {
        const uint8_t* bytes;
        size_t count;
        // A picture's text is not made just to find it too long.
        const bool tooLarge = frame->GetBinaryValue(bytes, count) &&
                              ZrBase64::EncodedLength(count) > size_t(kMaxDescribedValue);
        if (!tooLarge) value = frame->GetField(L"Value");
        if (tooLarge || value.GetLength() > kMaxDescribedValue)
            value = CID3ToolsBridge::Translate(L"<too large to display>");
    }
    value.Replace(L"\r\n", L"\\n");
    value.Replace(L"\n", L"\\n");
    return line + L": " + value;
}
