#pragma once

#include "ZrCoreLib/ZrString.h"

#include <cstddef>
#include <cstdint>

// Creates new, uniquely named files in the temporary folder ($TMPDIR when it
// names a directory, else /tmp). The caller owns the file it gets: nothing
// here removes it.
class ZrTempFile {
public:
    // Creates an empty file named "<prefix><6 random characters>.<extension>"
    // (no dot when the extension is empty) with mode 0600; the creation is
    // exclusive, so two callers never get the same file. Returns false, with
    // path empty, when the folder cannot take a new file.
    static bool Create(const ZrString& prefix, const ZrString& extension, ZrString& path);

    // As Create, then writes size bytes into the file. A failed write removes
    // the file again and returns false.
    static bool CreateWithData(const ZrString& prefix, const ZrString& extension,
                               const uint8_t* data, size_t size, ZrString& path);

    static ZrString GetTempFolder();
};
