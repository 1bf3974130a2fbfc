#include "input/CIcyReader.h"

#include <algorithm>
#include <cstring>

namespace {

// A block is at most 255 x 16 bytes of text; one more byte keeps it a C string.
constexpr int kMaxBlockTextBytes = 255 * 16;
// Control characters in a block without a title or URL beyond which it is
// taken for audio (the reader has lost the block boundaries): real metadata
// is text, while 16 or more bytes of MPEG audio almost always hold several.
constexpr int kDamageThreshold = 6;
// After a bad block, this many recorded blocks in a row that check out are
// taken as the point from which the table is sound.
constexpr int kResyncConfirmBlocks = 5;
// Recorded blocks re-read, each way, by one resynchronisation: bounds its cost
// on a long stream (every check is a seek and up to 4081 bytes read).
constexpr int kMaxResyncWalk = 64;

constexpr char kTitleKey[] = "StreamTitle='";
constexpr char kUrlKey[] = "StreamUrl='";

const char* FindBytes(const char* text, int length, const char* key) {
    const int keyLength = static_cast<int>(strlen(key));
    for (int i = 0; i + keyLength <= length; ++i) {
        if (memcmp(text + i, key, static_cast<size_t>(keyLength)) == 0) return text + i;
    }
    return nullptr;
}

// Control bytes in the block, its trailing zero padding left out. Bytes of
// 0x80 and above are UTF-8 or Latin-1 text.
int CountControlBytes(const uint8_t* bytes, int length) {
    while (length > 0 && bytes[length - 1] == 0)
        --length;
    int count = 0;
    for (int i = 0; i < length; ++i) {
        const uint8_t b = bytes[i];
        if ((b < 0x20 && b != '\t' && b != '\n' && b != '\r') || b == 0x7F) ++count;
    }
    return count;
}

// The value after `key` in the raw head text, up to the line feed, trimmed.
ZrString HeadValue(const ZrString& text, const wchar_t* key) {
    const int at = text.FindNoCase(key);
    if (at < 0) return ZrString();
    const int start = at + static_cast<int>(wcslen(key));
    const int end = text.Find(L'\n', start);
    ZrString value = text.Mid(start, end < 0 ? -1 : end - start);
    value.Trim();
    return value;
}

int64_t ParseMetaint(const ZrString& text) {
    bool ok = false;
    const long long value = text.ToInt(&ok);
    return ok && value > 0 && value <= CIcyReader::kMaxMetaint ? value : 0;
}

int64_t BytesToMs(int64_t bytes, int bitrateKbps) {
    return bitrateKbps > 0 ? bytes * 8 / bitrateKbps : 0;
}

} // namespace

CIcyReader::CIcyReader(IZrReader* inner, bool ownsInner, bool parseRawHead)
    : VShellReader(inner, ownsInner, kZrReaderKindIcy) {
    if (!m_inner) return;
    m_metaint = ParseMetaint(m_inner->GetInfo(L"ResponseHeader:icy-metaint"));
    // The station name stands as the title until a block brings one.
    m_title = m_inner->GetInfo(L"ResponseHeader:icy-name");
    m_title.Trim();
    if (m_metaint == 0 && parseRawHead) ParseRawHead();

    // The first block follows the head and one interval of audio; later ones
    // are found as the stream is read, since each one's place depends on the
    // size of the block before it.
    m_blockPositions.Add(0);
    m_blockPositions.Add(m_headerLength);
    m_blockPositions.Add(m_headerLength + m_metaint);
    if (m_metaint > 0) {
        const int64_t position = m_inner->GetPosition();
        SettleBoundary(position < 0 ? 0 : position);
    }
}

// Some hosts hand over the raw response, head included. Its "icy-metaint:"
// line then says where the blocks are, counted from the end of the head.
void CIcyReader::ParseRawHead() {
    const int64_t saved = m_inner->GetPosition();
    if (saved != 0 && m_inner->Seek(0, 0) != 0) return;
    uint8_t raw[kRawHeadBytes];
    uint32_t got = 0;
    while (got < kRawHeadBytes) {
        const uint32_t n = m_inner->Read(raw + got, kRawHeadBytes - got);
        if (n == 0 || n > kRawHeadBytes - got) break;
        got += n;
    }
    m_inner->Seek(saved < 0 ? 0 : saved, 0);

    // Zero bytes end lines as well, so that a value never runs into binary
    // data behind the head.
    wchar_t text[kRawHeadBytes + 1];
    int length = 0;
    for (uint32_t i = 0; i < got; ++i) {
        if (raw[i] == '\r') continue;
        text[length++] = raw[i] == 0 ? L'\n' : static_cast<wchar_t>(raw[i]);
    }
    const ZrString head(text, length);

    ZrString song = HeadValue(head, L"Song-Name:");
    if (song.IsEmpty()) {
        song = m_inner->GetInfo(L"ResponseHeader:icy-name");
        song.Trim();
    }
    const ZrString artist = HeadValue(head, L"Artist-Name:");
    const ZrString metaint = HeadValue(head, L"icy-metaint:");
    if (song.IsEmpty() && artist.IsEmpty() && metaint.IsEmpty()) return;

    if (!song.IsEmpty()) m_title = song;
    if (!artist.IsEmpty()) m_artist = artist;
    m_metaint = ParseMetaint(metaint);
    const char* bytes = reinterpret_cast<const char*>(raw);
    const int n = static_cast<int>(got);
    if (const char* end = FindBytes(bytes, n, "\r\n\r\n")) {
        m_headerLength = end - bytes + 4;
    } else if (const char* end2 = FindBytes(bytes, n, "\n\n")) {
        m_headerLength = end2 - bytes + 2;
    }
}

uint32_t CIcyReader::Read(void* buffer, uint32_t count) {
    if (!m_inner) return 0;
    if (m_metaint < 1) return m_inner->Read(buffer, count);
    if (count == 0) return 0;
    uint8_t* out = static_cast<uint8_t*>(buffer);
    int64_t position = m_inner->GetPosition();
    uint32_t delivered = 0;
    while (delivered < count) {
        if (m_bytesToNextBlock <= 0) {
            if (position > m_blockPositions.GetLast()) AppendBlockPosition(position);
            int64_t size = 0;
            const BlockResult result = ReadMetadataBlock(position, true, size);
            if (result == BlockResult::EndOfData) break;
            if (result == BlockResult::Metadata) {
                position += size;
                continue;
            }
            // The bytes at `position` were not a block: the boundaries are
            // lost. The inner reader comes back to `position` with the
            // distance to the real next block.
            if (!ResyncMetadata(position)) break;
            continue;
        }
        const uint32_t want =
            static_cast<uint32_t>(std::min<int64_t>(m_bytesToNextBlock, count - delivered));
        const uint32_t n = m_inner->Read(out + delivered, want);
        if (n == 0 || n > want) break;
        delivered += n;
        position += n;
        m_bytesToNextBlock -= n;
    }
    return delivered;
}

int64_t CIcyReader::Write(const void*, uint32_t) {
    return 0;
}

int64_t CIcyReader::Seek(int64_t offset, uint32_t origin) {
    if (!m_inner) return -1;
    const int64_t s = m_inner->Seek(offset, origin);
    if (m_metaint < 1 || s < 0) return s;
    SettleBoundary(s);
    // A seek back restores the title that was playing there.
    const int i = m_titlePositions.FindLastNotAbove(s);
    if (i >= 0) SetTitle(m_titleHistory[i]);
    return s;
}

ZrString CIcyReader::GetInfo(const wchar_t* name) {
    if (name) {
        const ZrString key(name);
        if (key.EqualsNoCase(L"ICY Title")) return m_title;
        if (key.EqualsNoCase(L"ICY Artist")) return m_artist;
        if (key.EqualsNoCase(L"ICY Album")) return m_album;
        if (key.EqualsNoCase(L"ICY Available")) return ZrString(m_metaint > 0 ? L"1" : L"0");
    }
    return VShellReader::GetInfo(name);
}

int64_t CIcyReader::GetTitlePosition(int delta) {
    if (m_title.IsEmpty()) return -1;
    if (m_currentTitleIndex < 0) m_currentTitleIndex = m_titleHistory.Find(m_title);
    if (m_currentTitleIndex < 0) return -1;
    const int64_t i = int64_t(m_currentTitleIndex) + delta;
    if (i < 0 || i >= m_titlePositions.GetCount()) return -1;
    return m_titlePositions[static_cast<int>(i)];
}

CIcyReader::BlockResult CIcyReader::ReadMetadataBlock(int64_t position, bool record,
                                                      int64_t& size) {
    uint8_t length = 0;
    if (m_inner->Read(&length, 1) != 1) return BlockResult::EndOfData;
    const int textBytes = length * 16;
    size = 1 + textBytes;
    uint8_t block[kMaxBlockTextBytes + 1];
    int got = 0;
    while (got < textBytes) {
        const uint32_t n = m_inner->Read(block + got, static_cast<uint32_t>(textBytes - got));
        if (n == 0 || n > static_cast<uint32_t>(textBytes - got)) break;
        got += static_cast<int>(n);
    }
    if (got < textBytes) {
        // A live stream that has not received the whole block yet: go back
        // to its length byte, so that a later read takes it whole.
        m_inner->Seek(position, 0);
        return BlockResult::EndOfData;
    }
    m_bytesToNextBlock = m_metaint;
    if (textBytes == 0) return BlockResult::Metadata;
    block[textBytes] = 0;

    const char* text = reinterpret_cast<const char*>(block);
    const int textLength = static_cast<int>(strnlen(text, static_cast<size_t>(textBytes)));
    const char* title = FindBytes(text, textLength, kTitleKey);
    if (!title) {
        // The first two blocks are trusted: nothing recorded yet could tell
        // a misplaced boundary from a block of unusual text.
        const bool trusted = position <= m_blockPositions[2] ||
                             (m_blockPositions.GetCount() > 3 && position <= m_blockPositions[3]) ||
                             position == m_lastResyncTarget;
        if (!trusted && !FindBytes(text, textLength, kUrlKey) &&
            CountControlBytes(block, textBytes) >= kDamageThreshold) {
            return BlockResult::NotMetadata;
        }
        return BlockResult::Metadata;
    }
    if (!record) return BlockResult::Metadata;

    const char* start = title + strlen(kTitleKey);
    const char* close = FindBytes(start, static_cast<int>(text + textLength - start), "';");
    if (!close) {
        SetTitle(ZrString());
        return BlockResult::Metadata;
    }
    const int titleBytes = std::min(static_cast<int>(close - start), kMaxTitleBytes);
    SetTitle(ZrString::FromUtf8(start, titleBytes));
    // A block read again after a seek back is already in the history.
    if (!m_titlePositions.IsEmpty() && position <= m_titlePositions.GetLast()) {
        return BlockResult::Metadata;
    }
    if (m_titleHistory.GetCount() < kMaxTitleHistory) {
        // Servers that repeat the title in every block would otherwise keep
        // one copy of the text per block.
        if (!m_titleHistory.IsEmpty() && m_titleHistory.GetLast() == m_title) {
            m_titleHistory.Add(m_titleHistory.GetLast());
        } else {
            m_titleHistory.Add(m_title);
        }
        m_titlePositions.Add(position);
    }
    return BlockResult::Metadata;
}

int64_t CIcyReader::CheckRecordedBlock(int i) {
    const int64_t position = m_blockPositions[i];
    if (m_inner->Seek(position, 0) != position) return kBlockUnavailable;
    int64_t size = 0;
    switch (ReadMetadataBlock(position, false, size)) {
    case BlockResult::Metadata:
        return size;
    case BlockResult::NotMetadata:
        return kNotABlock;
    case BlockResult::EndOfData:
        break;
    }
    return kBlockUnavailable;
}

bool CIcyReader::ResyncMetadata(int64_t target) {
    const int count = m_blockPositions.GetCount();
    const int last = m_blockPositions.FindLastNotAbove(target);
    if (last >= 2) {
        // Walk back to a run of blocks that check out: from there on the
        // table is trusted.
        // A live stream keeps only its recent past: the walk ends where the
        // data is gone, and what cannot be read is not held against the table.
        int start = last + 1;
        int good = 0;
        for (int i = last; i >= 2 && last - i < kMaxResyncWalk; --i) {
            const int64_t size = CheckRecordedBlock(i);
            if (size == kBlockUnavailable) break;
            start = i;
            if (size == kNotABlock) {
                good = 0;
            } else if (++good == kResyncConfirmBlocks) {
                break;
            }
        }
        // Walk forward: the first recorded block that is not metadata, or
        // does not lie where the block before it ends, ends the table.
        int keep = count;
        int64_t expected = -1;
        const int stop = std::min(count, start + kMaxResyncWalk);
        for (int k = start; k < stop; ++k) {
            if (k > start && m_blockPositions[k] != expected) {
                keep = k;
                break;
            }
            const int64_t size = CheckRecordedBlock(k);
            if (size == kBlockUnavailable) break;
            if (size == kNotABlock) {
                keep = k;
                break;
            }
            expected = m_blockPositions[k] + size + m_metaint;
        }
        // The first block follows from the head and is never dropped.
        if (keep < count) m_blockPositions.SetSize(std::max(keep, 3));
    }
    // Seeking walks the chain of blocks from the last one kept up to the
    // target, which rebuilds the table and the distance to the next block.
    m_lastResyncTarget = target;
    return Seek(target, 0) == target;
}

void CIcyReader::SettleBoundary(int64_t s) {
    if (s < m_headerLength) {
        // Inside the response head: the head is read as audio, then the first
        // interval follows.
        m_bytesToNextBlock = m_headerLength - s + m_metaint;
        return;
    }
    const int last = m_blockPositions.GetCount() - 1;
    if (s <= m_blockPositions[last]) {
        const int i = m_blockPositions.FindLastNotAbove(s);
        if (i >= 2 && m_blockPositions[i] == s) {
            m_bytesToNextBlock = 0;
        } else {
            m_bytesToNextBlock = m_blockPositions[i + 1] - s;
        }
        return;
    }

    // Behind the last recorded block: only the blocks between it and s tell
    // where the next one is, so read them (recording their titles).
    int64_t block = m_blockPositions[last];
    bool walked = m_inner->Seek(block, 0) == block;
    while (walked) {
        // A block whose text looks damaged still lies where the chain says
        // and still has the size its length byte gives.
        int64_t size = 0;
        if (ReadMetadataBlock(block, true, size) == BlockResult::EndOfData) {
            walked = false;
            break;
        }
        const int64_t next = block + size + m_metaint;
        if (next > s) {
            m_bytesToNextBlock = next - s;
            break;
        }
        AppendBlockPosition(next);
        if (next == s) {
            m_bytesToNextBlock = 0;
            break;
        }
        if (m_inner->Seek(next, 0) != next) {
            walked = false;
            break;
        }
        block = next;
    }
    if (!walked) {
        // The chain is broken (a damaged block, or the data is gone): count
        // on empty blocks from the last one found. A wrong guess shows up as a
        // bad block, which resynchronises.
        const int64_t rest = (s - block) % (m_metaint + 1);
        m_bytesToNextBlock = rest == 0 ? 0 : m_metaint + 1 - rest;
    }
    m_inner->Seek(s, 0);
}

void CIcyReader::AppendBlockPosition(int64_t position) {
    if (m_blockPositions.GetCount() < kMaxBlockPositions) m_blockPositions.Add(position);
}

void CIcyReader::SetTitle(const ZrString& title) {
    if (title == m_title) return;
    m_title = title;
    m_currentTitleIndex = -1;
}

ZrString CIcyReader::AnswerTitleInfo(int id, CIcyReader* reader, bool live, int bitrateKbps) {
    if (id != 13 && id != 14 && id != 16) return ZrString();
    if (!live || !reader) return ZrString(L"0");
    const int64_t start = reader->GetTitlePosition(0);
    if (id == 16) return ZrString(start > 0 ? L"1" : L"0");
    if (id == 13) {
        int64_t t = start > 0 ? BytesToMs(start, bitrateKbps) : start;
        // The host buffers about 16 s of received audio: a title that began
        // within it is not playing yet, so the one before it still is.
        const int64_t readMs = BytesToMs(reader->GetPosition(), bitrateKbps);
        if (readMs > 16000 && t >= readMs - 15999) {
            const int64_t previous = reader->GetTitlePosition(-1);
            t = previous > 0 ? BytesToMs(previous, bitrateKbps) : 0;
        }
        return ZrString::FromInt(std::max<int64_t>(t, 0));
    }
    const int64_t next = reader->GetTitlePosition(1);
    int64_t e = 0;
    if (next > 0) {
        e = BytesToMs(next, bitrateKbps);
    } else if (next < 0) {
        // No next title yet: it cannot begin before the audio received so far
        // has played, less the part of it the host has buffered.
        e = BytesToMs(reader->GetSize(), bitrateKbps) - 5000;
    }
    return ZrString::FromInt(std::max<int64_t>(e, 0));
}
