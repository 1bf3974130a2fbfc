#pragma once

class IZrDllString;

// The tools library's product information (IZrTools slot 9). Owned by the
// tools library; never deleted by callers.
class IZrProductInfo {
public:
    // Slots 0 and 1: not used by this system.
    virtual void* Reserved0() { return nullptr; }
    virtual void* Reserved1() { return nullptr; }
    // Slot 2: loads the product information. On failure answers false and
    // may set an error text into `errorText` (left empty when it has none).
    virtual bool Load(IZrDllString* errorText) = 0;

protected:
    ~IZrProductInfo() = default;
};
