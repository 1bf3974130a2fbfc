#pragma once

#include <string>

#include "ZrCoreLib/IZrSettingsKeyObject.h"

// One open key of the stand-in's settings store (CSettingsStore). Holds
// only the key path; every read and write goes to the shared file.
class CSettingsKeyObject final : public IZrSettingsKeyObject {
public:
    explicit CSettingsKeyObject(std::string key) : m_key(std::move(key)) {}

    void Release() override;
    int ReadInt(const wchar_t* name, int defaultValue) override;
    bool WriteInt(const wchar_t* name, int value) override;

private:
    std::string m_key;
};
