#include "tags/CID3v2TagRenderer.h"

#include "tags/CID3v2Header.h"
#include "tags/CID3v2Sync.h"

bool CID3v2TagRenderer::Render(const ZrOwnedPtrArray<CID3v2Frame, false>& frames, int version,
                               bool exists, size_t oldLength, int paddingSlack,
                               std::vector<uint8_t>& out) {
    out.clear();
    std::vector<uint8_t> body;
    for (int i = 0; i < frames.GetCount(); ++i)
        frames[i]->Render(body);
    const int64_t F = int64_t(body.size());
    const int64_t N = F + int64_t(CID3v2Header::kSize);
    const int64_t O = int64_t(oldLength);
    int64_t padding;
    if (exists && paddingSlack >= 1 && O - paddingSlack <= N && N <= O)
        padding = O - N; // fill the old space exactly: the file can be written in place
    else if (exists && paddingSlack <= 0 && N <= O)
        padding = O - N;
    else
        padding = (N / kPaddingBlock + 1) * kPaddingBlock - N;
    if (uint64_t(F + padding) > kMaxBodySize) return false;
    out.reserve(size_t(N + padding));
    uint8_t header[CID3v2Header::kSize] = {'I', 'D', '3', uint8_t(version), 0, 0};
    CID3v2Sync::WriteSyncSafe(uint32_t(F + padding), header + 6);
    out.insert(out.end(), header, header + CID3v2Header::kSize);
    out.insert(out.end(), body.begin(), body.end());
    out.insert(out.end(), size_t(padding), 0);
    return true;
}
