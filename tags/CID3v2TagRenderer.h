#pragma once

#include "ZrCoreLib/ZrOwnedPtrArray.h"
#include "tags/CID3v2Frame.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Serialises frames, in the order given, into a whole ID3v2 tag: header,
// frames and the padding that either fills the old tag's space (so that the
// file can be written in place) or rounds the tag up to a block. Never writes
// unsynchronisation, an extended header or a footer.
class CID3v2TagRenderer {
public:
    // The padding of a new or grown tag rounds its total up to a multiple of
    // this.
    static constexpr int kPaddingBlock = 4096;
    // The sync-safe size field of the header holds 28 bits: a tag body of
    // this size or more cannot be written.
    static constexpr uint64_t kMaxBodySize = (uint64_t(1) << 28) - 1;

    // oldLength: the space the tag read from the file takes there, 0 for a
    // new tag. paddingSlack: how far below oldLength the new tag may fall and
    // still fill the old space. False, with out empty, when the tag would not
    // fit the 28-bit size field.
    static bool Render(const ZrOwnedPtrArray<CID3v2Frame, false>& frames, int version, bool exists,
                       size_t oldLength, int paddingSlack, std::vector<uint8_t>& out);
};
