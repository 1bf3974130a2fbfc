#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "ZrCoreLib/CMemoryReader.h"
#include "ZrCoreLib/IZrTools.h"
#include "standins/ZrTools/CLanguageServices.h"
#include "standins/ZrTools/CProductInfo.h"
#include "standins/ZrTools/CStringServices.h"
#include "standins/ZrTools/CZlibDecompressor.h"

// The stand-in tools library's interface: one instance per process. Owns
// the service objects it hands out and every in-memory file reader it made,
// until Reset (the library's Detach).
//
// In-memory copies are given only for the files named in the environment
// variable ZRTOOLS_MEMORY_FILES, a ':'-separated list of paths, or "*" for
// every local file; each call makes a new reader.
class CZrTools final : public IZrTools {
public:
    static CZrTools& Instance();

    int Initialize(void* frameworkContext, void* hostContext) override;
    void FinishProductInfo(intptr_t value) override;
    IZrStringServices* GetStringServices(int create) override;
    IZrLanguageServices* GetLanguageServices(int create) override;
    IZrProductInfo* GetProductInfo(int create) override;
    IZrReader* GetInMemoryFileReader(const wchar_t* path) override;
    IZrSettingsKeyObject* OpenSettingsKey(const wchar_t* path, int flag, int value) override;
    IZrDecompressor* GetDecompressor() override;
    // The stand-in hands out nothing for the caller to free; unknown
    // pointers are ignored.
    void Release(void* object) override;

    // Frees the in-memory readers and forgets the product information.
    void Reset();

    // Largest file copied into memory; beyond it the copy is refused.
    static constexpr uint64_t kMaxMemoryFileBytes = uint64_t(1) << 30;

private:
    CZrTools() = default;
    ~CZrTools() = default;

    std::mutex m_mutex;
    CProductInfo m_productInfo;
    bool m_productInfoCreated = false;
    CStringServices m_strings;
    CLanguageServices m_language;
    CZlibDecompressor m_decompressor;
    std::vector<std::unique_ptr<CMemoryReader>> m_memoryReaders;
};
