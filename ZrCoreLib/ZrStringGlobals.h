#pragma once

#include "ZrCoreLib/IZrStringManager.h"

#include <cstdint>
#include <cwctype>
#include <mutex>
#include <thread>

// The process-wide string manager: owns the shared empty string, a cache of
// recycled small blocks and the 256-entry character tables behind
// case-insensitive comparison and character classification. Created on first
// use and never destroyed, so strings stay valid during static destruction.
// Creation takes no lock: the manager must exist before a second thread
// touches strings (any string use on the main thread ensures that).
class ZrStringGlobals final : public IZrStringManager {
public:
    // Character-class bits of GetCharClass.
    enum : uint8_t {
        kDigit = 1,
        kAlpha = 2,
        kSpace = 4,
        kUpper = 8,
        kLower = 16,
        kPunct = 32,
        kPrint = 64,
    };
    // Blocks of at most this capacity (terminator included) are recycled.
    static constexpr int kCacheMaxCapacity = 1031;
    static constexpr int kCacheSlots = 16;
    // A cached block with at most this many spare characters is good enough:
    // the search for a tighter fit stops there.
    static constexpr int kCacheGoodFit = 15;
    static constexpr uint32_t kMagic = 0xB23A8C33;

    static ZrStringGlobals& Get();

    ZrStringData* AllocateBlock(int length, bool useCache) override;
    void FreeBlock(ZrStringData* block) override;
    wchar_t* CreateFromChars(const wchar_t* src, int length, int capacity, bool allocEmpty,
                             bool lengthAsGiven, bool useCache) override;
    wchar_t* CreateFromNarrow(const char* src, int length, bool stopAtNul) override;
    wchar_t* CreateWithLength(int length) override;
    wchar_t* CreateEmpty() override;
    wchar_t* GetEmptyString() override { return m_empty; }

    // Rebuilds both tables from the C library's wide-character classification
    // for code points 0..255, first adopting the environment's locale
    // (setlocale(LC_ALL, "")) when asked. Called once at plug-in start-up.
    void RebuildTables(bool setLocaleFromEnvironment);

    // Lower case through the table below 256, towlower above.
    wchar_t ToLower(wchar_t c) const;
    wchar_t ToUpper(wchar_t c) const;
    // Class bits for c (towctype functions above 255).
    uint8_t GetCharClass(wchar_t c) const;
    bool IsSpace(wchar_t c) const { return (GetCharClass(c) & kSpace) != 0; }
    bool IsDigit(wchar_t c) const { return (GetCharClass(c) & kDigit) != 0; }
    bool IsAlpha(wchar_t c) const { return (GetCharClass(c) & kAlpha) != 0; }

    // Number of blocks currently held by the cache (for tests and diagnostics).
    int GetCachedBlockCount();

private:
    // The class bits the platform gives one character.
    static uint8_t Classify(wint_t w);

    ZrStringGlobals();
    ~ZrStringGlobals() = default;

    void Lock();
    void Unlock();
    static ZrStringData* NewBlock(int capacity);
    static void DeleteBlock(ZrStringData* block);

    std::recursive_mutex m_mutex;
    int m_lockDepth = 0;
    std::thread::id m_owner;
    wchar_t* m_empty = nullptr;
    ZrStringData* m_cache[kCacheSlots] = {};
    int m_cached = 0;
    wchar_t m_lower[256] = {};
    uint8_t m_class[256] = {};
};

// The manager every ZrString allocates from.
inline IZrStringManager* GetStringManager() {
    return &ZrStringGlobals::Get();
}
