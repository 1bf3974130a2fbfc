// Heap cost of one open input source playing a long file, after info id 12
// has indexed the whole stream. Every operator new/delete of the process
// (the sibling libraries included) is counted here, and malloc's own figure
// (mallinfo2) covers what is allocated with malloc directly.
//
// A first source opens, indexes and plays the file and is destroyed before
// the baseline is taken, so that what is shared and made once (the loaded
// sibling libraries, their tables, the decoder's read-only tables) does not
// count against the source.
//
// Usage: input_memory FILE.mp3
// Output: one "name value" line per figure.
#include "ZrCoreLib/ZrReaderFactory.h"
#include "input/CQLMP3InputSource.h"
#include "plugin/ZrDllString.h"

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits.h>
#include <memory>
#include <new>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::atomic<int64_t> g_liveBytes{0};
std::atomic<int64_t> g_peakBytes{0};

void* Counted(size_t size, size_t alignment) {
    void* p = nullptr;
    if (alignment > alignof(std::max_align_t)) {
        if (posix_memalign(&p, alignment, size ? size : 1) != 0) p = nullptr;
    } else {
        p = std::malloc(size ? size : 1);
    }
    if (p) {
        const int64_t live = g_liveBytes += int64_t(malloc_usable_size(p));
        int64_t peak = g_peakBytes.load();
        while (live > peak && !g_peakBytes.compare_exchange_weak(peak, live)) {
        }
    }
    return p;
}

void Uncounted(void* p) {
    if (!p) return;
    g_liveBytes -= int64_t(malloc_usable_size(p));
    std::free(p);
}

} // namespace

void* operator new(size_t n) {
    if (void* p = Counted(n, 0)) return p;
    throw std::bad_alloc();
}
void* operator new[](size_t n) {
    if (void* p = Counted(n, 0)) return p;
    throw std::bad_alloc();
}
void* operator new(size_t n, const std::nothrow_t&) noexcept {
    return Counted(n, 0);
}
void* operator new[](size_t n, const std::nothrow_t&) noexcept {
    return Counted(n, 0);
}
void* operator new(size_t n, std::align_val_t a) {
    if (void* p = Counted(n, size_t(a))) return p;
    throw std::bad_alloc();
}
void* operator new[](size_t n, std::align_val_t a) {
    if (void* p = Counted(n, size_t(a))) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    Uncounted(p);
}
void operator delete[](void* p) noexcept {
    Uncounted(p);
}
void operator delete(void* p, size_t) noexcept {
    Uncounted(p);
}
void operator delete[](void* p, size_t) noexcept {
    Uncounted(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    Uncounted(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    Uncounted(p);
}
void operator delete(void* p, size_t, std::align_val_t) noexcept {
    Uncounted(p);
}
void operator delete[](void* p, size_t, std::align_val_t) noexcept {
    Uncounted(p);
}

namespace {

class LocalReaderProvider : public IZrReaderProvider {
public:
    IZrReader* CreateReader(const wchar_t* path, int, int) override {
        return ZrReaderFactory::CreateLocalReader(path);
    }
};

int64_t MallocInUse() {
    const struct mallinfo2 m = mallinfo2();
    return int64_t(m.uordblks + m.hblkhd);
}

std::string Info(IZrAudioInput& source, int id) {
    ZrString text;
    ZrDllString sink(&text);
    return source.GetInfo(id, &sink) == 0 ? text.ToUtf8() : std::string();
}

// Open, id 12, then `seconds` of audio read the way a host reads, a seek to
// the middle and a little more. Leaves the source open.
bool Exercise(CQLMP3InputSource& source, const std::wstring& path, int seconds) {
    if (source.Open(path.c_str()) != 0) return false;
    Info(source, INFO_TOTAL_SAMPLES);
    const int64_t rate = std::atoll(Info(source, INFO_SAMPLE_RATE).c_str());
    const int64_t channels = std::atoll(Info(source, INFO_CHANNELS).c_str());
    const int64_t durationMs = std::atoll(Info(source, INFO_DURATION_MS).c_str());
    std::vector<uint8_t> block(16384);
    int64_t wanted = rate * channels * 8 * seconds;
    while (wanted > 0) {
        const int n = source.Read(block.data(), int(block.size()));
        if (n <= 0) break;
        wanted -= n;
    }
    source.SetInfo(SETINFO_SEEK_MS, std::to_wstring(durationMs / 2).c_str());
    for (int i = 0; i < 50; ++i)
        if (source.Read(block.data(), int(block.size())) <= 0) break;
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE.mp3\n", argv[0]);
        return 2;
    }
    if (!std::getenv("TONEHALL_LIBRARY_DIR")) {
        // The sibling libraries of this build: bin/../lib.
        char self[PATH_MAX];
        const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
        if (n > 0) {
            std::string dir(self, size_t(n));
            dir = dir.substr(0, dir.rfind('/'));
            setenv("TONEHALL_LIBRARY_DIR", (dir + "/../lib").c_str(), 1);
        }
    }
    const std::string narrow = argv[1];
    const std::wstring path(narrow.begin(), narrow.end());
    LocalReaderProvider provider;

    {
        auto warmUp = std::make_unique<CQLMP3InputSource>(&provider);
        if (!Exercise(*warmUp, path, 5)) {
            std::fprintf(stderr, "cannot open %s\n", argv[1]);
            return 1;
        }
    }
    const int64_t newBefore = g_liveBytes;
    const int64_t mallocBefore = MallocInUse();
    g_peakBytes = newBefore;

    auto source = std::make_unique<CQLMP3InputSource>(&provider);
    Exercise(*source, path, 30);
    const int64_t newAfter = g_liveBytes;
    const int64_t mallocAfter = MallocInUse();
    const int64_t frames = source->Analysis().frameIndex.GetCount();
    const std::string total = Info(*source, INFO_TOTAL_SAMPLES);
    const int64_t peak = g_peakBytes;
    source.reset();
    const int64_t newAfterDestroy = g_liveBytes;

    std::printf("sizeof_CQLMP3InputSource %zu\n", sizeof(CQLMP3InputSource));
    std::printf("sizeof_MpegDecoderState %zu\n", sizeof(MpegDecoderState));
    std::printf("indexed_frames %lld\n", static_cast<long long>(frames));
    std::printf("total_samples %s\n", total.c_str());
    std::printf("new_bytes_live_open %lld\n", static_cast<long long>(newAfter - newBefore));
    std::printf("new_bytes_peak_open %lld\n", static_cast<long long>(peak - newBefore));
    std::printf("malloc_bytes_live_open %lld\n",
                static_cast<long long>(mallocAfter - mallocBefore));
    std::printf("new_bytes_left_after_destroy %lld\n",
                static_cast<long long>(newAfterDestroy - newBefore));
    const int64_t cost = std::max(newAfter - newBefore, mallocAfter - mallocBefore);
    std::printf("within_1MiB %s\n", cost <= 1048576 ? "yes" : "no");
    return cost <= 1048576 ? 0 : 1;
}
