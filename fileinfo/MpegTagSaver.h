#pragma once

#include "ZrCoreLib/ZrString.h"

#include <cstdint>

class CMP3Tag;
class IZrReaderProvider;
struct CMP3Settings;

// What the file-info object writes into its file: the changed tags by the
// user's two save modes when it closes, and the removal of tags on request.
// Stateless; the file-info object passes in what Open found.
class MpegTagSaver {
public:
    enum class Action { None, Write, Remove };

    // The save-mode table, the same for both tag kinds.
    static Action Decide(uint32_t saveMode, bool modified, bool fileHasTag);

    // Commits changed tags; 1 when every due write or removal succeeded,
    // else 0 (one kind failing does not stop the other).
    static int Commit(const ZrString& fileName, CMP3Tag& tags, bool hasID3v1, bool hasID3v2,
                      const CMP3Settings& settings);

    // RemoveTagsMode: 0 all tags (ID3v2, ID3v1 and an APE tag at the end),
    // 1 ID3v1 only, 2 ID3v2 only. 0 for those whatever the removals did (the
    // caller looks at the file), -1 for any other mode. The in-memory tags
    // are left as they are.
    static int RemoveTags(IZrReaderProvider* provider, const ZrString& fileName, CMP3Tag& tags,
                          intptr_t mode);

private:
    static void RemoveApeTag(IZrReaderProvider* provider, const ZrString& fileName);
};
