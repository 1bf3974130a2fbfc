#pragma once

#include <cstdint>

// The tools library's string services (IZrTools slot 5). Owned by the tools
// library; never deleted by callers.
class IZrStringServices {
public:
    // Option bits of Compare: 0x001 ignore letter case, 0x200 natural order
    // of embedded numbers. Callers here pass kCompareOptions with mode 1.
    static constexpr uint32_t kIgnoreCase = 0x001;
    static constexpr uint32_t kNumbersAsValues = 0x200;
    static constexpr uint32_t kCompareOptions = kIgnoreCase | kNumbersAsValues;

    // Slots 0 to 16: not used by this system.
    virtual void* Reserved0() { return nullptr; }
    virtual void* Reserved1() { return nullptr; }
    virtual void* Reserved2() { return nullptr; }
    virtual void* Reserved3() { return nullptr; }
    virtual void* Reserved4() { return nullptr; }
    virtual void* Reserved5() { return nullptr; }
    virtual void* Reserved6() { return nullptr; }
    virtual void* Reserved7() { return nullptr; }
    virtual void* Reserved8() { return nullptr; }
    virtual void* Reserved9() { return nullptr; }
    virtual void* Reserved10() { return nullptr; }
    virtual void* Reserved11() { return nullptr; }
    virtual void* Reserved12() { return nullptr; }
    virtual void* Reserved13() { return nullptr; }
    virtual void* Reserved14() { return nullptr; }
    virtual void* Reserved15() { return nullptr; }
    virtual void* Reserved16() { return nullptr; }
    // Slot 17: the order of two NUL-terminated texts: negative, 0 (equal) or
    // positive.
    virtual int Compare(const wchar_t* a, const wchar_t* b, uint32_t options, int mode) = 0;

protected:
    ~IZrStringServices() = default;
};
