#pragma once

class IZrDllString;

// The tools library's translation facility (IZrTools slot 7). Owned by the
// tools library; never deleted by callers.
class IZrLanguageServices {
public:
    // Slots 0 and 1: not used by this system.
    virtual void* Reserved0() { return nullptr; }
    virtual void* Reserved1() { return nullptr; }
    // Slot 2: replaces the sink's text by its translation; a text without a
    // translation stays as it is. True when the text was looked up.
    virtual bool Translate(IZrDllString* text) = 0;

protected:
    ~IZrLanguageServices() = default;
};
