#pragma once

#include <cstdint>

// How one kind of tag (ID3v1 or ID3v2) is written when a file-info object
// commits. Stored as a plain integer; a stored number outside 0-3 is kept as
// read and then neither writes nor removes that kind of tag.
enum TagSaveMode : uint32_t {
    kTagSaveCreate = 0,     // save, creating the tag when the file has none
    kTagSaveIfExists = 1,   // save only when the file already has this tag
    kTagDontSave = 2,       // never save; an existing tag stays unchanged
    kTagDontSaveRemove = 3, // never save; an existing tag goes at the next commit
};
