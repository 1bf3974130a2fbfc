// libFuzzer target for the ID3v2 tag parser. Besides surviving any input, a
// parsed tag must render into bytes that parse back to the same frames; only
// the podcast frames, which Render itself rewrites or removes, are exempt.
#include "tags/CID3v2Tag.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

bool ExemptFromRoundTrip(const CID3v2Frame& f) {
    return f.HasId("TDES") || f.HasId("WFED") || f.HasId("TGID") || f.HasId("PCST") ||
           f.HasId("TDRL");
}

std::vector<const CID3v2Frame*> Compared(const CID3v2Tag& tag) {
    std::vector<const CID3v2Frame*> frames;
    for (int i = 0; i < tag.GetFrameCount(); ++i)
        if (!ExemptFromRoundTrip(*tag.GetFrame(i))) frames.push_back(tag.GetFrame(i));
    return frames;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CID3v2Tag tag;
    if (!tag.Read(data, size, 0)) return 0;
    for (int i = 0; i < tag.GetFrameCount(); ++i)
        tag.DescribeFrame(i);
    ZrPropertyMap fields;
    for (const wchar_t* name :
         {L"Name", L"Artist", L"Track #", L"Genre", L"Date", L"Rating", L"Replay Gain",
          L"Peak Level", L"UITS Payload", L"Image File", L"Lyrics", L"Feed URL", L"Mixer"})
        tag.GetField(name, fields);

    std::vector<uint8_t> rendered;
    tag.Render(rendered, 8192);
    CID3v2Tag again;
    if (!again.Read(rendered.data(), rendered.size(), 0)) std::abort();
    const std::vector<const CID3v2Frame*> before = Compared(tag), after = Compared(again);
    if (before.size() != after.size()) std::abort();
    for (size_t i = 0; i < before.size(); ++i) {
        if (std::memcmp(before[i]->GetHeader(), after[i]->GetHeader(), 10) != 0 ||
            before[i]->GetBody() != after[i]->GetBody())
            std::abort();
    }
    return 0;
}
