#include "fileinfo/MpegTagSaver.h"

#include "ZrCoreLib/IZrReader.h"
#include "config/CMP3Settings.h"
#include "config/TagSaveMode.h"
#include "fileinfo/CID3v1FileWriter.h"
#include "fileinfo/CID3v2FileWriter.h"
#include "include/ZrAudioPlugin.h"
#include "tags/CApeFooter.h"
#include "tags/CMP3Tag.h"

#include <memory>

namespace {

enum RemoveTagsMode : intptr_t { kRemoveAll = 0, kRemoveID3v1 = 1, kRemoveID3v2 = 2 };

// CreateReader's mode for a file-info object, and its default flags.
constexpr int kFileInfoReaderMode = 1;
constexpr int kDefaultReaderFlags = -1;

} // namespace

MpegTagSaver::Action MpegTagSaver::Decide(uint32_t saveMode, bool modified, bool fileHasTag) {
    switch (saveMode) {
    case kTagSaveCreate:
        return modified ? Action::Write : Action::None;
    case kTagSaveIfExists:
        return modified && fileHasTag ? Action::Write : Action::None;
    case kTagDontSaveRemove:
        return fileHasTag ? Action::Remove : Action::None;
    default:
        return Action::None;
    }
}

int MpegTagSaver::Commit(const ZrString& fileName, CMP3Tag& tags, bool hasID3v1, bool hasID3v2,
                         const CMP3Settings& settings) {
    CID3v2Tag& v2 = tags.ID3v2();
    const CID3v1Tag& v1 = tags.ID3v1();
    if (fileName.IsEmpty() || !(v2.IsModified() || v1.IsModified())) return 1;
    bool ok = true;
    const Action v2Action = Decide(settings.id3v2SaveMode, v2.IsModified(), hasID3v2);
    if (v2Action != Action::None)
        ok = CID3v2FileWriter::Write(fileName, v2, v2Action == Action::Remove) && ok;
    const Action v1Action = Decide(settings.id3v1SaveMode, v1.IsModified(), hasID3v1);
    if (v1Action != Action::None)
        ok = CID3v1FileWriter::Write(fileName, v1, v1Action == Action::Remove) && ok;
    return ok ? 1 : 0;
}

int MpegTagSaver::RemoveTags(IZrReaderProvider* provider, const ZrString& fileName, CMP3Tag& tags,
                             intptr_t mode) {
    if (mode != kRemoveAll && mode != kRemoveID3v1 && mode != kRemoveID3v2) return -1;
    if (fileName.IsEmpty()) return 0;
    if (mode != kRemoveID3v1) CID3v2FileWriter::Write(fileName, tags.ID3v2(), true);
    if (mode != kRemoveID3v2) CID3v1FileWriter::Write(fileName, tags.ID3v1(), true);
    // The APE footer is looked for only now that an ID3v1 record behind it
    // is gone.
    if (mode == kRemoveAll) RemoveApeTag(provider, fileName);
    return 0;
}

void MpegTagSaver::RemoveApeTag(IZrReaderProvider* provider, const ZrString& fileName) {
    if (!provider) return;
    std::unique_ptr<IZrReader> reader(
        provider->CreateReader(fileName.c_str(), kFileInfoReaderMode, kDefaultReaderFlags));
    if (!reader || !reader->OpenRead()) return;
    const int64_t size = reader->GetSize();
    const int64_t footerSize = int64_t(CApeFooter::kSize);
    uint8_t footer[CApeFooter::kSize];
    if (size <= footerSize || reader->Seek(-footerSize, 2) != size - footerSize ||
        reader->Read(footer, sizeof footer) != sizeof footer)
        return;
    uint64_t tagBytes = 0;
    bool hasHeader = false;
    if (CApeFooter::Parse(footer, sizeof footer, tagBytes, hasHeader) != CApeFooter::Result::Ok)
        return;
    // The footer's limits still allow a tag larger than the file; seeking
    // back by it would clamp at 0 and the cut would take the whole file. A
    // flagged header must also be where the size puts it, or the size is
    // not to be trusted.
    if (int64_t(tagBytes) > size) return;
    const int64_t start = size - int64_t(tagBytes);
    if (reader->Seek(start, 0) != start) return;
    if (hasHeader) {
        uint8_t header[CApeFooter::kSize];
        if (reader->Read(header, sizeof header) != sizeof header ||
            !CApeFooter::HasPreamble(header, sizeof header) || reader->Seek(start, 0) != start)
            return;
    }
    reader->Truncate();
}
