#pragma once

#include "ZrCoreLib/VBaseReader.h"

// Base of the wrapping readers: holds an inner reader and forwards every slot
// to the inner reader's same slot, so a wrapper overrides only what it
// changes. Without an inner reader every slot answers VBaseReader's default.
// Whether the inner reader is owned (deleted with the wrapper) is fixed at
// construction: the buffered head reader owns its inner reader, a wrapper
// around a tools-library memory reader must not.
class VShellReader : public VBaseReader {
public:
    VShellReader(IZrReader* inner, bool ownsInner, uint32_t kind = kZrReaderKindBase);
    ~VShellReader() override;

    IZrReader* GetInner() const { return m_inner; }
    // Hands the inner reader to the caller, who then owns it.
    IZrReader* DetachInner();

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

protected:
    IZrReader* m_inner;
    bool m_ownsInner;
};
