#include "fileinfo/CID3v1FileWriter.h"

#include "ZrCoreLib/ZrFile.h"
#include "tags/CID3v1Tag.h"

#include <cstring>

namespace {

constexpr int64_t kRecord = CID3v1Tag::kRecordSize;

bool EndsWithRecord(ZrFile& file, int64_t size) {
    uint8_t last[CID3v1Tag::kRecordSize];
    uint32_t got = 0;
    return size > kRecord && file.Seek(-kRecord, 2) == size - kRecord &&
           file.Read(last, sizeof last, got) && got == sizeof last &&
           std::memcmp(last, "TAG", 3) == 0;
}

} // namespace

bool CID3v1FileWriter::Write(const ZrString& fileName, const CID3v1Tag& tag, bool remove) {
    ZrFile file(fileName, ZrFile::kAccessRead | ZrFile::kAccessWrite, 0, ZrFile::kOpenExisting);
    if (!file.Open()) return false;
    const int64_t size = file.GetLength();
    if (size < 1) return false;
    // A file of 128 bytes or less is taken as all audio, even one that
    // begins with "TAG": the record then goes after it.
    const bool hasRecord = EndsWithRecord(file, size);
    const int64_t at = hasRecord ? size - kRecord : size;
    if (file.Seek(at, 0) != at) return false;
    if (remove) return (!hasRecord || file.SetLength(at)) && file.Close();
    uint32_t written = 0;
    return file.Write(tag.GetRecord(), CID3v1Tag::kRecordSize, written) &&
           written == uint32_t(kRecord) && file.Close();
}
