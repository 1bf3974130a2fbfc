#pragma once

// One open key of the tools library's settings store (IZrTools slot 25).
// The caller owns it and gives it back through Release.
class IZrSettingsKeyObject {
public:
    // Slot 0: frees the key object.
    virtual void Release() = 0;
    // Slot 1: the stored integer of `name`, or `defaultValue` when absent.
    virtual int ReadInt(const wchar_t* name, int defaultValue) = 0;
    // Slot 2: stores the integer; a later read of the same name, from any
    // key object of the same path, in any process, answers it. False when
    // nothing was stored.
    virtual bool WriteInt(const wchar_t* name, int value) = 0;

protected:
    ~IZrSettingsKeyObject() = default;
};
