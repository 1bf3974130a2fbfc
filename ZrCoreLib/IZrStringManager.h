#pragma once

#include <atomic>
#include <cstdint>

class IZrStringManager;

// The header that precedes the characters of every ZrString block. Header and
// characters are one heap allocation; a ZrString holds a pointer to the first
// character, so the header sits at a fixed negative offset from it.
struct ZrStringData {
    IZrStringManager* manager; // allocated the block and frees it
    int32_t length;            // characters in use, terminator excluded
    int32_t capacity;          // characters the block holds, terminator included
    std::atomic<int32_t> refs; // see the constants below

    wchar_t* Chars() { return reinterpret_cast<wchar_t*>(this + 1); }
    static ZrStringData* FromChars(const wchar_t* p) {
        return reinterpret_cast<ZrStringData*>(const_cast<wchar_t*>(p)) - 1;
    }
};
static_assert(sizeof(ZrStringData) == 24, "the block header is 24 bytes on LP64");

// Reference count of a block handed out for direct writing (GetBuffer): the
// block is exclusively owned until ReleaseBuffer.
constexpr int32_t kZrStringLocked = -1;
// Reference count of a block that is never decremented nor freed: the shared
// empty string. Far enough below INT32_MAX that stray increments cannot wrap.
constexpr int32_t kZrStringPermanent = 0x7FFFFFFF - 1000;

// Allocator of string blocks. The slot order is fixed: other binaries built
// against the framework call into the manager through this table.
class IZrStringManager {
public:
    // A block that holds `length` characters plus a terminator, with length 0,
    // count 1 and an empty text. Blocks below the cache limit may be recycled
    // when `useCache` is set.
    virtual ZrStringData* AllocateBlock(int length, bool useCache) = 0;
    virtual void FreeBlock(ZrStringData* block) = 0;
    // Characters of a new block (count 1) holding a copy of `src`.
    // length -1 means NUL-terminated; capacity -1 means just enough. Unless
    // allocEmpty is set, an empty result is the shared empty string. Unless
    // lengthAsGiven is set, an embedded NUL ends the text early.
    virtual wchar_t* CreateFromChars(const wchar_t* src, int length, int capacity, bool allocEmpty,
                                     bool lengthAsGiven, bool useCache) = 0;
    // Each byte widened as Latin-1; length -1 means NUL-terminated.
    virtual wchar_t* CreateFromNarrow(const char* src, int length, bool stopAtNul) = 0;
    // A block of `length` NUL characters (length stored as given).
    virtual wchar_t* CreateWithLength(int length) = 0;
    // A newly allocated empty block (count 1), for callers that will write into it.
    virtual wchar_t* CreateEmpty() = 0;
    // The permanent shared empty string.
    virtual wchar_t* GetEmptyString() = 0;

protected:
    ~IZrStringManager() = default;
};
