#include "ZrCoreLib/ZrStringGlobals.h"

#include <atomic>
#include <clocale>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <new>

namespace {

// Storage that is never destructed: the manager outlives every static string.
alignas(ZrStringGlobals) unsigned char g_storage[sizeof(ZrStringGlobals)];
// Set once the manager is constructed; static zero-initialisation guarantees
// it reads 0 before any constructor runs. Atomic so that a thread that sees
// the mark also sees the constructed manager.
std::atomic<uint32_t> g_magic{0};

// The permanent empty string: a header and one terminator, never freed.
struct EmptyBlock {
    ZrStringData header;
    wchar_t terminator;
};
EmptyBlock g_emptyBlock;

} // namespace

ZrStringGlobals& ZrStringGlobals::Get() {
    if (g_magic.load(std::memory_order_acquire) != kMagic) {
        // A function-local static makes concurrent first use safe as well,
        // although the framework only promises single-threaded creation.
        static ZrStringGlobals* const created = [] {
            auto* p = new (g_storage) ZrStringGlobals();
            g_magic.store(kMagic, std::memory_order_release);
            return p;
        }();
        return *created;
    }
    return *reinterpret_cast<ZrStringGlobals*>(g_storage);
}

ZrStringGlobals::ZrStringGlobals() {
    g_emptyBlock.header.manager = this;
    g_emptyBlock.header.length = 0;
    g_emptyBlock.header.capacity = 1;
    g_emptyBlock.header.refs.store(kZrStringPermanent);
    g_emptyBlock.terminator = 0;
    m_empty = g_emptyBlock.header.Chars();
    RebuildTables(false);
}

void ZrStringGlobals::RebuildTables(bool setLocaleFromEnvironment) {
    if (setLocaleFromEnvironment) {
        setlocale(LC_ALL, "");
    }
    for (int c = 0; c < 256; ++c) {
        const wint_t w = static_cast<wint_t>(c);
        m_lower[c] = static_cast<wchar_t>(towlower(w));
        m_class[c] = Classify(w);
    }
}

uint8_t ZrStringGlobals::Classify(wint_t w) {
    uint8_t bits = 0;
    if (iswdigit(w)) bits |= kDigit;
    if (iswalpha(w)) bits |= kAlpha;
    if (iswspace(w)) bits |= kSpace;
    if (iswupper(w)) bits |= kUpper;
    if (iswlower(w)) bits |= kLower;
    if (iswpunct(w)) bits |= kPunct;
    // The no-break space prints in every locale, even where the C library
    // classifies it as a control or space character only.
    if (iswprint(w) || w == 0xA0) bits |= kPrint;
    return bits;
}

wchar_t ZrStringGlobals::ToLower(wchar_t c) const {
    if (static_cast<uint32_t>(c) < 256) return m_lower[c];
    return static_cast<wchar_t>(towlower(static_cast<wint_t>(c)));
}

wchar_t ZrStringGlobals::ToUpper(wchar_t c) const {
    return static_cast<wchar_t>(towupper(static_cast<wint_t>(c)));
}

uint8_t ZrStringGlobals::GetCharClass(wchar_t c) const {
    if (static_cast<uint32_t>(c) < 256) return m_class[c];
    return Classify(static_cast<wint_t>(c));
}

void ZrStringGlobals::Lock() {
    m_mutex.lock();
    ++m_lockDepth;
    m_owner = std::this_thread::get_id();
}

void ZrStringGlobals::Unlock() {
    if (--m_lockDepth == 0) m_owner = std::thread::id();
    m_mutex.unlock();
}

ZrStringData* ZrStringGlobals::NewBlock(int capacity) {
    // One array: 24 header bytes, then the characters. operator new[] for
    // char is aligned for any fundamental type, which covers the header.
    char* raw = new char[sizeof(ZrStringData) + static_cast<size_t>(capacity) * sizeof(wchar_t)];
    auto* block = new (raw) ZrStringData;
    block->capacity = capacity;
    return block;
}

void ZrStringGlobals::DeleteBlock(ZrStringData* block) {
    block->~ZrStringData();
    delete[] reinterpret_cast<char*>(block);
}

ZrStringData* ZrStringGlobals::AllocateBlock(int length, bool useCache) {
    if (length < 0) length = 0;
    if (length > 0x7FFFFFF0) throw std::bad_alloc();
    const int capacity = length + 1;
    ZrStringData* block = nullptr;
    if (useCache && capacity <= kCacheMaxCapacity) {
        Lock();
        int best = -1;
        for (int i = 0; i < kCacheSlots && m_cached > 0; ++i) {
            ZrStringData* c = m_cache[i];
            if (c == nullptr || c->capacity < capacity) continue;
            if (best < 0 || c->capacity < m_cache[best]->capacity) best = i;
            if (c->capacity - capacity <= kCacheGoodFit) break;
        }
        if (best >= 0) {
            block = m_cache[best];
            m_cache[best] = nullptr;
            --m_cached;
        }
        Unlock();
    }
    if (block == nullptr) block = NewBlock(capacity);
    block->manager = this;
    block->length = 0;
    block->refs.store(1, std::memory_order_relaxed);
    block->Chars()[0] = 0;
    return block;
}

void ZrStringGlobals::FreeBlock(ZrStringData* block) {
    if (block == nullptr || block->refs.load(std::memory_order_relaxed) == kZrStringPermanent) {
        return;
    }
    if (block->capacity <= kCacheMaxCapacity) {
        Lock();
        if (m_cached < kCacheSlots) {
            for (auto& slot : m_cache) {
                if (slot == nullptr) {
                    slot = block;
                    ++m_cached;
                    block = nullptr;
                    break;
                }
            }
        }
        Unlock();
        if (block == nullptr) return;
    }
    DeleteBlock(block);
}

wchar_t* ZrStringGlobals::CreateFromChars(const wchar_t* src, int length, int capacity,
                                          bool allocEmpty, bool lengthAsGiven, bool useCache) {
    if (src == nullptr) length = 0;
    if (length < 0) {
        length = static_cast<int>(wcslen(src));
    } else if (!lengthAsGiven) {
        int n = 0;
        while (n < length && src[n] != 0)
            ++n;
        length = n;
    }
    if (length == 0 && !allocEmpty) return m_empty;
    const int holds = capacity - 1 > length ? capacity - 1 : length;
    ZrStringData* block = AllocateBlock(holds, useCache);
    if (length > 0) memcpy(block->Chars(), src, static_cast<size_t>(length) * sizeof(wchar_t));
    block->Chars()[length] = 0;
    block->length = length;
    return block->Chars();
}

wchar_t* ZrStringGlobals::CreateFromNarrow(const char* src, int length, bool stopAtNul) {
    if (src == nullptr) return m_empty;
    if (length < 0) {
        length = static_cast<int>(strlen(src));
    } else if (stopAtNul) {
        int n = 0;
        while (n < length && src[n] != 0)
            ++n;
        length = n;
    }
    if (length == 0) return m_empty;
    ZrStringData* block = AllocateBlock(length, true);
    wchar_t* out = block->Chars();
    for (int i = 0; i < length; ++i)
        out[i] = static_cast<unsigned char>(src[i]);
    out[length] = 0;
    block->length = length;
    return out;
}

wchar_t* ZrStringGlobals::CreateWithLength(int length) {
    if (length <= 0) return m_empty;
    ZrStringData* block = AllocateBlock(length, true);
    memset(block->Chars(), 0, static_cast<size_t>(length + 1) * sizeof(wchar_t));
    block->length = length;
    return block->Chars();
}

wchar_t* ZrStringGlobals::CreateEmpty() {
    return AllocateBlock(0, true)->Chars();
}

int ZrStringGlobals::GetCachedBlockCount() {
    Lock();
    const int n = m_cached;
    Unlock();
    return n;
}
