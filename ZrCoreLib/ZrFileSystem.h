#pragma once

#include "ZrCoreLib/ZrString.h"

#include <cstdint>

// File-system operations of the framework that tag saving rests on: delete,
// find a free name, move, and replace one file by another so that a failure
// at any step leaves the original under its name. Paths are converted to
// UTF-8 for the system calls. Nothing here throws; failures are the result
// and, where noted, a log line (ZrLog).
class ZrFileSystem {
public:
    // Unlinks the file. Logs "Error %d deleting existing file: %s" when the
    // file is still there afterwards (a file already gone is not an error
    // worth a line, but the result is still false).
    static bool DeleteFile(const ZrString& path);

    // Renames the path in place, "song.mp3" to "song (1).mp3", "song (1).mp3"
    // to "song (2).mp3", "song(7).mp3" to "song(8).mp3", until nothing exists
    // under it. The check and the later use are not atomic: callers that
    // create the file must still create it exclusively if that matters.
    static void MakeUniqueFilename(ZrString& path);

    // Moves a regular file: rename when both ends are on one device, else
    // "mv -f" through the shell with both paths single-quoted.
    static bool MoveFile(const ZrString& source, const ZrString& destination);

    // Puts replacement in the place of original. A replacement shorter than
    // minimumSize is not used. The original is first moved to a free backup
    // name and moved back if the replacement cannot take its place, so a
    // failure leaves the original under its name. With
    // deleteReplacementOnFailure the replacement is removed whenever the
    // result is false. copyAttributes carries the original's permission bits
    // and (where allowed) owner over to the replacement.
    static bool SafeReplaceFile(const ZrString& original, const ZrString& replacement,
                                int64_t minimumSize, bool deleteReplacementOnFailure,
                                bool copyAttributes);

    // The path single-quoted for the shell: every ' inside becomes '\''.
    static std::string QuoteForShell(const std::string& path);
};
