#include "fileinfo/CID3v2FileWriter.h"

#include "ZrCoreLib/IZrReader.h"
#include "ZrCoreLib/ZrFileSystem.h"
#include "ZrCoreLib/ZrReaderFactory.h"
#include "tags/CID3v2Tag.h"

#include <memory>
#include <vector>

namespace {

using ReaderPtr = std::unique_ptr<IZrReader>;

constexpr wchar_t kTemporarySuffix[] = L".xxx";

bool WriteAll(IZrReader& file, const uint8_t* data, size_t size) {
    return size == 0 || file.Write(data, uint32_t(size)) == int64_t(size);
}

// The old tag must still be where Open found it, with the size its header
// gave then. Otherwise the file changed underneath (another program, or tags
// removed since Open), and writing at the old offset, or skipping the old
// size in a rewrite, would cut into the audio.
bool OldTagStillThere(IZrReader& file, int64_t offset, size_t oldLength) {
    if (oldLength == 0) return true;
    uint8_t header[10];
    return file.Seek(offset, 0) == offset && file.Read(header, sizeof header) == sizeof header &&
           CID3v2Tag::TagLengthFromHeader(header, sizeof header) == oldLength;
}

bool CopyRange(IZrReader& from, IZrReader& to, int64_t count) {
    std::vector<uint8_t> chunk(size_t(std::min<int64_t>(count, CID3v2FileWriter::kCopyChunk)));
    while (count > 0) {
        const uint32_t want = uint32_t(std::min<int64_t>(count, CID3v2FileWriter::kCopyChunk));
        const uint32_t got = from.Read(chunk.data(), want);
        if (got != want || !WriteAll(to, chunk.data(), got)) return false;
        count -= got;
    }
    return true;
}

// Copies from the current position to the end of the file. Reading stops at
// the first empty read, so the total is checked against the size: a read
// error must not pass for the end of the audio.
bool CopyRest(IZrReader& from, IZrReader& to, int64_t expected) {
    std::vector<uint8_t> chunk(CID3v2FileWriter::kCopyChunk);
    int64_t copied = 0;
    for (;;) {
        const uint32_t got = from.Read(chunk.data(), CID3v2FileWriter::kCopyChunk);
        if (got == 0) break;
        if (!WriteAll(to, chunk.data(), got)) return false;
        copied += got;
    }
    return copied == expected;
}

// Writes prefix, new tag and audio into a fresh file beside the original;
// the file's name on success, empty when anything failed (nothing is left).
ZrString WriteCopy(const ZrString& fileName, IZrReader& file, const std::vector<uint8_t>& tagBytes,
                   int64_t offset, size_t oldLength) {
    const int64_t size = file.GetSize();
    const int64_t tail = offset + int64_t(oldLength);
    if (size < tail) return ZrString();

    ZrString temporary = fileName + kTemporarySuffix;
    ZrFileSystem::MakeUniqueFilename(temporary);
    ReaderPtr copy(ZrReaderFactory::CreateLocalReader(temporary.c_str()));
    if (!copy || !copy->OpenWrite()) return ZrString();
    const bool copied = file.Seek(0, 0) == 0 && CopyRange(file, *copy, offset) &&
                        WriteAll(*copy, tagBytes.data(), tagBytes.size()) &&
                        file.Seek(tail, 0) == tail && CopyRest(file, *copy, size - tail);
    copy.reset();
    if (copied) return temporary;
    ZrFileSystem::DeleteFile(temporary);
    return ZrString();
}

} // namespace

bool CID3v2FileWriter::Write(const ZrString& fileName, CID3v2Tag& tag, bool remove) {
    std::vector<uint8_t> tagBytes;
    if (!remove && !tag.Render(tagBytes, kPaddingSlack)) return false;
    ReaderPtr file(ZrReaderFactory::CreateLocalReader(fileName.c_str()));
    if (!file || !file->OpenRead()) return false;

    const int64_t offset = tag.GetFileOffset();
    const size_t oldLength = tag.GetOldLength();
    if (!OldTagStillThere(*file, offset, oldLength)) return false;
    if (tagBytes.size() == oldLength)
        return file->Seek(offset, 0) == offset && WriteAll(*file, tagBytes.data(), tagBytes.size());
    const ZrString temporary = WriteCopy(fileName, *file, tagBytes, offset, oldLength);
    // The replacement works by name: the file is closed before it.
    file.reset();
    if (temporary.IsEmpty()) return false;
    // On failure the replacement is deleted there and the original restored.
    return ZrFileSystem::SafeReplaceFile(fileName, temporary, 1, true, false);
}
