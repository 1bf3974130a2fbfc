#pragma once
// Helpers for the input source tests: files made by Debian's encoders at test
// time, a reader provider on the stand-in reader library, and ways to drive
// a CQLMP3InputSource as the host does and to decode the same bytes with the
// decoder alone.

#include "ZrCoreLib/ZrReaderFactory.h"
#include "ZrCoreLib/ZrString.h"
#include "decoder/MpegDecoderState.h"
#include "include/ZrAudioPlugin.h"
#include "input/CQLMP3InputSource.h"
#include "input/MpegStreamAnalysis.h"
#include "plugin/ZrDllString.h"

#include "common/TestFiles.h"
#include "common/TestTools.h"
#include "common/WaveFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace inputtest {

using testfiles::ReadFile;
using testfiles::TempDir;
using testfiles::WriteFile;
using testtools::HaveTool;

// The sibling libraries lie in the build's lib folder, and settings go to a
// file of the test's own: set both once per process, before the source first
// loads a library or reads a setting.
inline const std::string& TestSettingsPath() {
    static const std::string path = [] {
        setenv("TONEHALL_LIBRARY_DIR", TONEHALL_LIB_DIR, 1);
        char name[] = "/tmp/input-settings-XXXXXX";
        const int fd = mkstemp(name);
        if (fd >= 0) close(fd);
        setenv("TONEHALL_SETTINGS", name, 1);
        std::atexit([] {
            if (const char* file = std::getenv("TONEHALL_SETTINGS")) unlink(file);
        });
        return std::string(name);
    }();
    return path;
}

inline void WriteSettings(const std::string& text) {
    std::ofstream(TestSettingsPath(), std::ios::trunc) << text;
}

// `samples` sample frames of the shared test signal as a WAVE file; exact
// lengths matter to the gapless tests, whole seconds do not.
inline void WriteSignal(const std::string& path, int rate, int channels, int samples) {
    std::vector<int16_t> signal = testwave::TestSignal(rate, channels, samples / rate + 1);
    signal.resize(size_t(samples) * size_t(channels));
    testwave::WriteWave16(path, rate, channels, signal);
}

// lame with the signal's own rate (lame would otherwise resample low
// bitrates), quiet. `options` chooses CBR/VBR/ABR and the bitrate.
inline bool Encode(const std::string& wav, const std::string& mp3, int rate,
                   const std::string& options) {
    char khz[32];
    std::snprintf(khz, sizeof khz, "%g", rate / 1000.0);
    return testtools::Run("lame --quiet --resample " + std::string(khz) + " " + options + " '" +
                          wav + "' '" + mp3 + "'");
}

// A file lame makes of the test signal, a parameter of the tests that run on
// several; gtest names each instance after it.
struct LameFile {
    const char* name;
    int rate;
    int channels;
    const char* options;
};

inline void PrintTo(const LameFile& f, std::ostream* os) {
    *os << f.name;
}

inline std::string LameFileName(const ::testing::TestParamInfo<LameFile>& info) {
    return info.param.name;
}

inline std::wstring Wide(const std::string& s) {
    return std::wstring(s.begin(), s.end());
}

// The host's side: readers from the stand-in reader library.
class LocalReaderProvider : public IZrReaderProvider {
public:
    IZrReader* CreateReader(const wchar_t* path, int, int) override {
        return ZrReaderFactory::CreateLocalReader(path);
    }
};

inline LocalReaderProvider& Provider() {
    TestSettingsPath();
    static LocalReaderProvider provider;
    return provider;
}

inline std::unique_ptr<CQLMP3InputSource> NewSource() {
    return std::make_unique<CQLMP3InputSource>(&Provider());
}

// GetInfo as text; "<none>" when the id is not answered.
inline std::string Info(IZrAudioInput& source, int id) {
    ZrString text;
    ZrDllString sink(&text);
    if (source.GetInfo(id, &sink) != 0) return "<none>";
    return text.ToUtf8();
}

inline int64_t InfoInt(IZrAudioInput& source, int id) {
    return std::strtoll(Info(source, id).c_str(), nullptr, 10);
}

// Reads until the end, in odd-sized requests that split sample frames, as
// a host may. Stops after many "nothing yet" answers in a row.
inline std::vector<double> ReadAll(IZrAudioInput& source, int request = 40000) {
    std::vector<uint8_t> bytes;
    std::vector<uint8_t> block(static_cast<size_t>(request));
    int idle = 0;
    for (;;) {
        const int n = source.Read(block.data(), request);
        if (n == 0) break;
        if (n < 0) {
            if (++idle > 1000) break;
            continue;
        }
        idle = 0;
        bytes.insert(bytes.end(), block.begin(), block.begin() + n);
    }
    std::vector<double> values(bytes.size() / sizeof(double));
    if (!values.empty()) std::memcpy(values.data(), bytes.data(), values.size() * sizeof(double));
    return values;
}

// Opens `path` in a new source and reads it all.
struct Played {
    int open = -1;
    int channels = 0;
    std::vector<double> values;
    int64_t Frames() const { return channels > 0 ? int64_t(values.size()) / channels : 0; }
};

inline Played Play(const std::string& path) {
    Played p;
    auto source = NewSource();
    p.open = source->Open(Wide(path).c_str());
    if (p.open != 0) return p;
    p.channels = int(InfoInt(*source, INFO_CHANNELS));
    p.values = ReadAll(*source);
    return p;
}

// The stream's parameters and gapless values as the analysis finds them.
struct FileFacts {
    MpegFrameInfo first;
    int32_t firstAudioPosition = 0;
    int32_t headerFramePosition = -1;
    int32_t delay = 0;
    int32_t padding = 0;
    std::string encoder;
    int32_t frames = 0;
    std::vector<int32_t> index; // frame positions
    bool ok = false;
};

inline FileFacts Analyse(const std::string& path) {
    FileFacts f;
    TestSettingsPath();
    std::unique_ptr<IZrReader> reader(ZrReaderFactory::CreateLocalReader(Wide(path).c_str()));
    if (!reader || !reader->OpenRead()) return f;
    MpegStreamAnalysis a;
    if (a.Analyze(reader.get()) != 0) return f;
    f.first = a.firstFrame;
    f.firstAudioPosition = a.firstAudioPosition;
    f.headerFramePosition = a.headerFramePosition;
    f.delay = a.encoderDelay;
    f.padding = a.encoderPadding;
    f.encoder = a.encoderId.ToUtf8();
    f.frames = a.IndexAllFrames(reader.get());
    for (int i = 0; i < f.frames; ++i)
        f.index.push_back(a.frameIndex[i]);
    f.ok = true;
    return f;
}

// The decoder alone, from the first audio frame to the end, nothing trimmed:
// interleaved values of every frame.
inline std::vector<double> DecodeUntrimmed(const std::vector<uint8_t>& file, const FileFacts& f,
                                           int* errors = nullptr) {
    if (errors) *errors = 0;
    std::vector<double> values;
    auto state = std::make_unique<MpegDecoderState>();
    InitDecoder(*state);
    std::vector<double> frame(kMinOutputCapacity / sizeof(double));
    size_t offset = size_t(f.firstAudioPosition);
    for (;;) {
        int32_t bitrate = 0, done = 0;
        const int32_t r = DecodeFrame(*state, frame.data(), kMinOutputCapacity, f.first.versionCode,
                                      f.first.layer, f.first.sampleRate, 0, bitrate, done);
        if (r == DECODE_OK) {
            values.insert(values.end(), frame.begin(),
                          frame.begin() + done / int32_t(sizeof(double)));
        } else if (r == DECODE_ERROR) {
            if (errors) ++*errors;
        } else {
            if (offset >= file.size()) break;
            const size_t n = std::min<size_t>(16384, file.size() - offset);
            QueueDecoderInput(*state, file.data() + offset, int32_t(n), offset);
            offset += n;
        }
    }
    FreeDecoder(*state);
    return values;
}

// Bit for bit the same values.
inline bool SameValues(const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0);
}

// Largest difference between two runs of values of the same length, or
// infinity when the lengths differ.
inline double MaxDifference(const std::vector<double>& a, const std::vector<double>& b,
                            size_t bOffset = 0) {
    if (bOffset > b.size() || a.size() != b.size() - bOffset) return INFINITY;
    double worst = 0;
    for (size_t i = 0; i < a.size(); ++i)
        worst = std::max(worst, std::fabs(a[i] - b[bOffset + i]));
    return worst;
}

} // namespace inputtest
