#include "input/ITunesGaplessComment.h"

#include "ZrCoreLib/ZrPropertyMap.h"
#include "input/MpegStreamAnalysis.h"
#include "tags/CID3v2Tag.h"

#include <algorithm>
#include <cwctype>
#include <vector>

namespace {
// One hexadecimal word: leading white space, an optional sign, then digits
// 0-9, A-F, a-f up to the first other character; 0 without a digit. No "0x"
// prefix: the words are bare digits.
int32_t HexWord(const ZrString& word) {
    const wchar_t* p = word.c_str();
    while (std::iswspace(wint_t(*p)))
        ++p;
    const bool negative = *p == L'-';
    if (*p == L'-' || *p == L'+') ++p;
    long long value = 0;
    for (; std::iswxdigit(wint_t(*p)) && *p < 0x80; ++p) {
        const int digit = *p <= L'9' ? *p - L'0' : (*p | 0x20) - L'a' + 10;
        value = std::min<long long>(value * 16 + digit, ITunesGaplessComment::kMaxSamples);
    }
    return negative ? 0 : int32_t(value);
}
} // namespace

void ITunesGaplessComment::ParseValue(const ZrString& value, int32_t& delay, int32_t& padding) {
    ZrString text = value;
    text.Trim();
    std::vector<ZrString> words;
    int start = 0;
    for (int space; (space = text.Find(L' ', start)) >= 0; start = space + 1)
        words.push_back(text.Mid(start, space - start));
    words.push_back(text.Mid(start));
    delay = 0;
    padding = 0;
    if (words.size() < 2) return;
    delay = HexWord(words[1]);
    if (words.size() > 2) padding = HexWord(words[2]);
}

void ITunesGaplessComment::Apply(IZrReader* reader, MpegStreamAnalysis& analysis) {
    if (analysis.encoderDelay != 0 || analysis.id3v2Size < 1 ||
        !analysis.encoderId.EqualsNoCase(L"iTun"))
        return;
    std::vector<uint8_t> bytes;
    if (!analysis.ReadID3v2Bytes(reader, bytes)) return;
    CID3v2Tag tag;
    if (!tag.Read(bytes.data(), bytes.size(), analysis.id3v2Position)) return;
    ZrPropertyMap fields;
    if (!tag.GetField(L"iTunes Gapless", fields)) return;
    const ZrString value = fields.Get(L"Value");
    if (value.IsEmpty()) return;
    ParseValue(value, analysis.encoderDelay, analysis.encoderPadding);
}
