// The file-info object over arbitrary files: analysis, both tag reads, every
// property and common tag field, the report, field writes and the iTunes
// gapless lookup. The first byte chooses what the reader pretends to be (bit
// 0 remote, bit 1 size unknown); the rest is the file.
#include "fileinfo/MpegFileInfo.h"
#include "input/ITunesGaplessComment.h"
#include "input/MpegStreamAnalysis.h"
#include "plugin/ZrDllString.h"
#include "tests/input/MemoryTestReader.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

class FuzzProvider : public IZrReaderProvider {
public:
    FuzzProvider(const uint8_t* data, size_t size, uint8_t mode)
        : m_bytes(data, data + size), m_mode(mode) {}
    IZrReader* CreateReader(const wchar_t*, int, int) override {
        auto* reader = new MemoryTestReader(m_bytes);
        reader->Local(!(m_mode & 1)).SizeUnknown(m_mode & 2);
        return reader;
    }

private:
    std::vector<uint8_t> m_bytes;
    uint8_t m_mode;
};

const wchar_t* const kFields[] = {
    L"Bitrate",      L"Duration",       L"Channels",       L"Sample Rate",
    L"Compression",  L"Gapless Header", L"Gapless Footer", L"UITS Media Hash Byte Range",
    L"Total Tracks", L"Total Discs",    L"Name",           L"Artist",
    L"Genre",        L"Track #",        L"Date",           L"Rating",
    L"Lyrics",       L"iTunes Gapless", L"Image File"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > (size_t(4) << 20)) return 0;
    FuzzProvider provider(data + 1, size - 1, data[0]);
    MpegFileInfo info(&provider);
    if (info.Open(L"fuzz.mp3") == 1) {
        ZrString text;
        ZrDllString sink(&text);
        for (const wchar_t* name : kFields) {
            if (info.GetField(name, &sink) && ZrString(name) == L"Image File")
                std::remove(text.ToUtf8().c_str());
        }
        info.GetReport(&sink);
        info.SetField(L"Genre", L"Not a genre");
        info.SetField(L"Track #", L"3/12");
        info.GetReport(&sink);
    }
    info.Close();

    // The iTunes lookup as if the Info frame had named iTunes.
    MemoryTestReader reader(std::vector<uint8_t>(data + 1, data + size));
    MpegStreamAnalysis analysis;
    if (analysis.Analyze(&reader) == 0) {
        analysis.encoderDelay = 0;
        analysis.encoderId = L"iTun";
        ITunesGaplessComment::Apply(&reader, analysis);
        if (analysis.encoderDelay < 0 || analysis.encoderDelay > ITunesGaplessComment::kMaxSamples)
            abort();
    }
    return 0;
}
