#include "tags/CID3v2Header.h"

#include "tags/CID3v2Sync.h"

#include <cstring>

namespace {

// ID3v2.4 section 3.4: the footer repeats the header behind the body.
constexpr uint64_t kFooterSize = 10;

} // namespace

bool CID3v2Header::Parse(const uint8_t* data, size_t size) {
    *this = CID3v2Header();
    if (!data || size < kSize || std::memcmp(data, "ID3", 3) != 0) return false;
    // Any "ID3" opens a tag whose length the leading-data skip must know,
    // whatever its version: ID3v2.4 asks for a tag of a version we cannot read
    // to be skipped whole, and a version byte the detection pattern of
    // ID3v2.3/2.4 section 3.1 calls impossible (0xFF) still says where the
    // block ends better than handing its bytes to the audio frame search.
    // Size bytes with the high bit set are taken by their seven low bits, as
    // the stream analysis always did, for the same reason.
    m_version = data[3];
    m_flags = data[5];
    m_bodySize = CID3v2Sync::ReadSyncSafe(data + 6);
    return true;
}

bool CID3v2Header::IsReadable() const {
    return m_version >= 2 && m_version <= 4 && !(m_flags & kFlagExperimental);
}

uint64_t CID3v2Header::GetTotalLength() const {
    // Only ID3v2.4 defines the footer flag; the bit counts in every version
    // alike, as it always did in the stream analysis, so that the block it
    // skips and the tag read from it stay the same length.
    return kSize + uint64_t(m_bodySize) + ((m_flags & kFlagFooter) ? kFooterSize : 0);
}
