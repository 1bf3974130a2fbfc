#pragma once

class IZrInflateStream;

// The tools library's decompressor (IZrTools slot 30). Owned by the tools
// library; the streams it creates are given back through slot 1.
class IZrDecompressor {
public:
    // Slot 0: not used by this system.
    virtual void* Reserved0() { return nullptr; }
    // Slot 1: frees a stream made by slot 3.
    virtual void ReleaseStream(IZrInflateStream* stream) = 0;
    // Slot 2: not used by this system.
    virtual void* Reserved2() { return nullptr; }
    // Slot 3: a new inflation stream, or null.
    virtual IZrInflateStream* CreateStream() = 0;

protected:
    ~IZrDecompressor() = default;
};
