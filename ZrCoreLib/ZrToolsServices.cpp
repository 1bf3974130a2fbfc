#include "ZrCoreLib/ZrToolsServices.h"

#include <algorithm>
#include <limits>
#include <mutex>
#include <new>

#include "ZrCoreLib/IZrDecompressor.h"
#include "ZrCoreLib/IZrInflateStream.h"
#include "ZrCoreLib/IZrLanguageServices.h"
#include "ZrCoreLib/IZrProductInfo.h"
#include "ZrCoreLib/IZrStringServices.h"
#include "ZrCoreLib/IZrTools.h"
#include "ZrCoreLib/ZrLibraryLoader.h"
#include "include/ZrAudioPlugin.h"

namespace {

struct ToolsState {
    IZrTools* tools = nullptr;
    // Load generation of the library that `tools` came from; 0: none yet.
    uint32_t generation = 0;
    // The library loaded but gave no interface: not asked again until
    // Shutdown, so that each service call does not load and unload it anew.
    bool refused = false;
    void* hostContext = nullptr;
    IZrTools* replacement = nullptr;
};

ToolsState& State() {
    // Constructed on first use in static storage and never destroyed:
    // libraries may be unloaded from other objects' destructors late in
    // process exit, and the state must not be a heap object that outlives
    // the mapping of this code.
    alignas(ToolsState) static unsigned char storage[sizeof(ToolsState)];
    static ToolsState* const state = new (storage) ToolsState;
    return *state;
}

// A sink over a ZrString, through which the library answers text.
class StringSink final : public IZrDllString {
public:
    explicit StringSink(ZrString& text) : m_text(text) {}
    const wchar_t* Get() override { return m_text.c_str(); }
    void Set(const wchar_t* text, int length) override { m_text = ZrString(text, length); }
    void Empty() override { m_text.Empty(); }
    wchar_t* GetBuffer(int length, int) override { return m_text.GetBuffer(std::max(length, 0)); }
    void ReleaseBuffer(int length) override { m_text.ReleaseBuffer(length); }

private:
    ZrString& m_text;
};

// Growth step of the inflate output buffer.
constexpr size_t kInflateChunk = 65536;

} // namespace

void ZrToolsServices::SetHostContext(void* hostContext) {
    std::lock_guard<std::recursive_mutex> lock(ZrLibraryLoader::GetMutex());
    State().hostContext = hostContext;
}

IZrTools* ZrToolsServices::GetTools() {
    std::lock_guard<std::recursive_mutex> lock(ZrLibraryLoader::GetMutex());
    ToolsState& state = State();
    if (state.replacement) return state.replacement;
    if (state.refused) return nullptr;
    if (!ZrLibraryLoader::EnsureLibraryLoaded(ZrLibraryKind::Tools, L"")) {
        state.tools = nullptr;
        return nullptr;
    }
    const uint32_t generation = ZrLibraryLoader::GetLoadGeneration(ZrLibraryKind::Tools);
    if (generation == state.generation) return state.tools;
    state.generation = generation;
    auto getTools = reinterpret_cast<ZrGetZrToolsFn>(
        ZrLibraryLoader::FindLibraryFunction(ZrLibraryKind::Tools, "GetZrToolsDLL"));
    state.tools = getTools ? getTools(kZrToolsVersion) : nullptr;
    if (!state.tools) {
        state.refused = true;
        ZrLibraryLoader::UnloadLibrary(ZrLibraryKind::Tools);
        return nullptr;
    }
    state.tools->Initialize(ZrLibraryLoader::GetFrameworkContext(), state.hostContext);
    return state.tools;
}

void ZrToolsServices::OverrideTools(IZrTools* tools) {
    std::lock_guard<std::recursive_mutex> lock(ZrLibraryLoader::GetMutex());
    State().replacement = tools;
}

bool ZrToolsServices::LoadProductInfo(ZrString& errorText, ZrString& modulePath) {
    modulePath = ZrLibraryLoader::GetModulePath();
    errorText.Empty();
    IZrTools* tools = GetTools();
    if (!tools) {
        errorText = L"Failed to load ZrTools";
        return false;
    }
    IZrProductInfo* info = tools->GetProductInfo(1);
    bool loaded = false;
    if (info) {
        StringSink sink(errorText);
        loaded = info->Load(&sink);
    }
    if (!loaded) {
        if (errorText.IsEmpty()) errorText = L"Unknown error loading product information";
        return false;
    }
    errorText.Empty();
    tools->FinishProductInfo(0);
    return true;
}

int ZrToolsServices::CompareStrings(const wchar_t* a, const wchar_t* b) {
    int order;
    IZrTools* tools = GetTools();
    IZrStringServices* services = tools ? tools->GetStringServices(1) : nullptr;
    if (services)
        order = services->Compare(a ? a : L"", b ? b : L"", IZrStringServices::kCompareOptions, 1);
    else
        order = ZrString(a).CompareNoCase(b ? b : L"");
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

void ZrToolsServices::Translate(ZrString& text) {
    IZrTools* tools = GetTools();
    IZrLanguageServices* language = tools ? tools->GetLanguageServices(1) : nullptr;
    if (!language) return;
    // The library writes into a copy, so a failed call leaves the text whole.
    ZrString translated = text;
    StringSink sink(translated);
    language->Translate(&sink);
    text = translated;
}

ZrString ZrToolsServices::Translated(const wchar_t* text) {
    ZrString result(text);
    Translate(result);
    return result;
}

IZrReader* ZrToolsServices::GetInMemoryFileReader(const wchar_t* path) {
    if (!path || !*path) return nullptr;
    IZrTools* tools = GetTools();
    return tools ? tools->GetInMemoryFileReader(path) : nullptr;
}

IZrSettingsKeyObject* ZrToolsServices::OpenSettingsKey(const wchar_t* path, int flag, int value) {
    IZrTools* tools = GetTools();
    return tools ? tools->OpenSettingsKey(path, flag, value) : nullptr;
}

bool ZrToolsServices::Inflate(const uint8_t* in, size_t inSize, size_t maxOut,
                              std::vector<uint8_t>& out) {
    out.clear();
    if (!in || inSize == 0) return false;
    IZrTools* tools = GetTools();
    IZrDecompressor* decompressor = tools ? tools->GetDecompressor() : nullptr;
    IZrInflateStream* stream = decompressor ? decompressor->CreateStream() : nullptr;
    if (!stream) return false;

    // One byte of room beyond the cap tells "exactly maxOut" from "more".
    const size_t limit = maxOut < std::numeric_limits<size_t>::max() ? maxOut + 1 : maxOut;
    constexpr size_t kMaxCall = std::numeric_limits<uint32_t>::max();
    std::vector<uint8_t> buffer;
    size_t inPos = 0;
    size_t outPos = 0;
    bool ok = false;
    for (;;) {
        if (outPos == buffer.size()) {
            if (buffer.size() >= limit) break; // output beyond the cap
            buffer.resize(std::min(limit, std::max(kInflateChunk, buffer.size() * 2)));
        }
        uint32_t consumed = 0;
        uint32_t produced = 0;
        const uint32_t inCount = static_cast<uint32_t>(std::min(inSize - inPos, kMaxCall));
        const uint32_t outCount = static_cast<uint32_t>(std::min(buffer.size() - outPos, kMaxCall));
        const int result = stream->Inflate(in + inPos, inCount, &consumed, buffer.data() + outPos,
                                           outCount, &produced);
        inPos += std::min<size_t>(consumed, inCount);
        outPos += std::min<size_t>(produced, outCount);
        if (result == IZrInflateStream::kStreamEnd) {
            ok = outPos <= maxOut;
            break;
        }
        // No progress with output room left: the input ended mid-stream.
        if (result != IZrInflateStream::kMore || (consumed == 0 && produced == 0)) break;
    }
    decompressor->ReleaseStream(stream);
    if (!ok) return false;
    buffer.resize(outPos);
    out.swap(buffer);
    return true;
}

void ZrToolsServices::Release(void* object) {
    if (!object) return;
    IZrTools* tools = GetTools();
    if (tools) tools->Release(object);
}

void ZrToolsServices::Shutdown(void*) {
    std::lock_guard<std::recursive_mutex> lock(ZrLibraryLoader::GetMutex());
    ToolsState& state = State();
    state.tools = nullptr;
    state.generation = 0;
    state.refused = false;
    state.hostContext = nullptr;
    ZrLibraryLoader::UnloadAll();
}
