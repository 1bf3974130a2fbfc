#pragma once

#include <cstdint>

#include "ZrCoreLib/VShellReader.h"
#include "ZrCoreLib/ZrArray.h"
#include "ZrCoreLib/ZrNumberArray.h"
#include "ZrCoreLib/ZrString.h"

// Takes the metadata blocks out of an internet radio stream in the ICY
// convention: after every `metaint` audio bytes the server inserts one length
// byte L and L x 16 bytes of text ("StreamTitle='...';StreamUrl='...';",
// zero-padded). Read hands out audio bytes only; the current stream title is
// answered through GetInfo ("ICY Title", "ICY Artist", "ICY Album",
// "ICY Available"), and every title taken from a block is remembered with the
// raw stream position of that block, so that the input source can tell when
// the title now playing began and when the next one begins.
//
// Positions are those of the inner stream, metadata included: GetPosition and
// GetSize forward unchanged, and Seek takes raw positions. The reader keeps a
// table of the raw positions of the blocks it has met, which maps any raw
// position back to the distance to the next block.
//
// Owns the inner reader when constructed so; not thread-safe (one playing
// source uses it).
class CIcyReader : public VShellReader {
public:
    // Audio bytes between blocks that this reader accepts. Servers use 8192 to
    // 65536; anything beyond 16 MiB is not a metadata interval but a damaged
    // header, and the stream is then passed through untouched.
    static constexpr int64_t kMaxMetaint = int64_t(1) << 24;
    // Bytes of the raw stream searched for an ICY response head when the
    // inner reader does not answer "icy-metaint" itself.
    static constexpr uint32_t kRawHeadBytes = 2048;
    // A title is cut to this many bytes before it is decoded as UTF-8.
    static constexpr int kMaxTitleBytes = 255;
    // Growth of the block table and the title history is capped so that a
    // hostile server (metaint 1, a title in every block) cannot exhaust
    // memory: 2 Mi block positions cover more than 300 hours of a 128 kbit/s
    // stream at metaint 8192. Beyond the caps nothing more is recorded;
    // reading goes on and later seeks find boundaries by walking the blocks.
    static constexpr int kMaxBlockPositions = 1 << 21;
    static constexpr int kMaxTitleHistory = 1 << 16;

    // inner: the stream as received (owned when ownsInner). parseRawHead: when
    // the inner reader does not answer "ResponseHeader:icy-metaint", look for
    // an ICY response head at the start of the raw stream ("icy-metaint:",
    // "Song-Name:", "Artist-Name:").
    CIcyReader(IZrReader* inner, bool ownsInner, bool parseRawHead);

    uint32_t Read(void* buffer, uint32_t count) override;
    // Read-only: answers 0.
    int64_t Write(const void* buffer, uint32_t count) override;
    int64_t Seek(int64_t offset, uint32_t origin) override;
    // "ICY Title", "ICY Artist", "ICY Album", "ICY Available"; other names go
    // to the inner reader.
    ZrString GetInfo(const wchar_t* name) override;

    // The raw position of the block that carried the history entry `delta`
    // entries away from the first occurrence of the current title, or -1
    // (no title, title not in the history, or the entry does not exist).
    int64_t GetTitlePosition(int delta);

    // Answers the input source's info ids 13 (start of the current title in
    // ms), 14 (its end in ms) and 16 ("1" when its start is known) for a
    // stream read through `reader` (may be null) at `bitrateKbps`. Every id
    // answers "0" when the stream is not live or there is no reader; other ids
    // answer the empty string.
    static ZrString AnswerTitleInfo(int id, CIcyReader* reader, bool live, int bitrateKbps);

    // Diagnostics for tests.
    int64_t GetMetaint() const { return m_metaint; }
    int64_t GetHeaderLength() const { return m_headerLength; }
    int GetTitleCount() const { return m_titleHistory.GetCount(); }
    const ZrString& GetTitleAt(int i) const { return m_titleHistory[i]; }
    int64_t GetTitlePositionAt(int i) const { return m_titlePositions[i]; }

private:
    enum class BlockResult { Metadata, NotMetadata, EndOfData };

    // Reads the block whose length byte is the inner reader's next byte, at
    // raw position `position`. A block that looks like metadata (or lies at or
    // before the second block, which is trusted) is taken: its title becomes
    // the current one and, when record is set and the block is new, joins the
    // history. `size` receives the raw bytes the block occupies.
    BlockResult ReadMetadataBlock(int64_t position, bool record, int64_t& size);
    // Finds the block boundaries again after the block at `target` turned out
    // not to be metadata: drops the recorded blocks that do not chain up, then
    // returns the inner reader to `target` with the distance to the next block
    // rebuilt from the blocks themselves. False when the inner reader cannot
    // be put back there.
    bool ResyncMetadata(int64_t target);
    // Sets the distance to the next block for the inner reader standing at raw
    // position s. Beyond the last recorded block it walks the chain of blocks
    // from there (which moves the inner reader, and puts it back at s).
    void SettleBoundary(int64_t s);
    // Size of the recorded block at index i (2 and up), read from the stream;
    // kNotABlock when no metadata block is there, kBlockUnavailable when the
    // inner reader cannot give those bytes (any more). Moves the inner reader.
    static constexpr int64_t kNotABlock = -1;
    static constexpr int64_t kBlockUnavailable = -2;
    int64_t CheckRecordedBlock(int i);
    void AppendBlockPosition(int64_t position);
    void SetTitle(const ZrString& title);
    void ParseRawHead();

    int64_t m_metaint = 0;
    ZrNumberArray<int64_t> m_blockPositions;
    int64_t m_headerLength = 0;
    int64_t m_bytesToNextBlock = 0;
    ZrString m_title;
    ZrString m_artist;
    ZrString m_album;
    ZrArray<ZrString> m_titleHistory;
    ZrNumberArray<int64_t> m_titlePositions;
    int m_currentTitleIndex = -1;
    // The raw position last handed to ResyncMetadata: a block there that
    // still fails after the resync is taken as it is, so Read cannot loop.
    int64_t m_lastResyncTarget = -1;
};
