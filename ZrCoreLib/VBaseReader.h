#pragma once

#include <cstdint>

#include "ZrCoreLib/IZrReader.h"
#include "ZrCoreLib/ZrStringMap.h"

// Common base of the reader classes: stores what the generic slots set and
// answers every slot with a harmless default, so a concrete reader overrides
// only what it actually does. Owns its property map; the observer is not
// owned.
class VBaseReader : public IZrReader {
public:
    explicit VBaseReader(uint32_t kind = kZrReaderKindBase);
    // Tells the observer, when one is set, before the members go away.
    ~VBaseReader() override;

    VBaseReader(const VBaseReader&) = delete;
    VBaseReader& operator=(const VBaseReader&) = delete;

    uint32_t GetReaderKind() override;
    bool OpenWrite() override;
    bool OpenRead() override;
    uint64_t Query5() override;
    uint32_t Read(void* buffer, uint32_t count) override;
    int64_t Write(const void* buffer, uint32_t count) override;
    int64_t GetSize() override;
    int64_t GetKnownSize() override;
    int64_t GetPosition() override;
    int64_t Seek(int64_t offset, uint32_t origin) override;
    uint64_t Truncate() override;
    uint64_t Query13(uint64_t value) override;
    bool IsLiveStream() override;
    bool IsLocal() override;
    bool GetFlagB() override;
    uint64_t Query17() override;
    ZrString GetInfo(const wchar_t* name) override;
    void SetValueA(uint32_t value) override;
    void SetValuePair(uint64_t first, uint32_t second) override;
    void SetProperties(const ZrString& text) override;
    void SetProperty(const wchar_t* name, const ZrString& value) override;
    ZrString GetProperty(const wchar_t* name) override;
    void SetFlagA(uint8_t flag) override;
    uint64_t Query25() override;
    uint64_t Query26() override;
    uint64_t Query27() override;
    void SetOwner(IZrReaderObserver* owner) override;
    uint64_t Query29() override;
    uint64_t Query30() override;
    double Query31() override;
    uint64_t Query32(uint64_t value) override;
    int64_t ResolveSeekTarget(int64_t current, int64_t offset, int32_t origin) override;

    // The seek rule of slot 33 for a stream of `size` bytes, shared with
    // readers that resolve targets without a virtual call.
    static int64_t ResolveTarget(int64_t current, int64_t offset, int32_t origin, int64_t size);

protected:
    uint32_t m_kind;
    uint64_t m_pairFirst = 0;
    uint32_t m_pairSecond = 0;
    uint32_t m_valueA = 0;
    ZrStringMapNoCase<ZrString> m_properties;
    uint8_t m_flagA = 0;
    uint8_t m_flagB = 0;
    IZrReaderObserver* m_owner = nullptr;
};
