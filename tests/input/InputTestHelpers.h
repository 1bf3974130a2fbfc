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

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace inputtest {

inline bool HaveTool(const char* name) {
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

// Missing encoders skip the test, unless the build insists on them.
#define INPUT_REQUIRE_TOOL(name)                                                                   \
    do {                                                                                           \
        if (!inputtest::HaveTool(name)) {                                                          \
            if (std::getenv("TONEHALL_REQUIRE_TOOLS")) FAIL() << name << " is not installed";      \
            GTEST_SKIP() << name << " is not installed";                                           \
        }                                                                                          \
    } while (0)

inline bool RunShell(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

class TempDir {
public:
    TempDir() {
        char name[] = "/tmp/input-source-XXXXXX";
        m_path = mkdtemp(name) ? name : "";
    }
    ~TempDir() {
        if (!m_path.empty()) RunShell("rm -rf '" + m_path + "'");
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string operator/(const std::string& file) const { return m_path + "/" + file; }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

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

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// A 16-bit PCM WAVE of two tones and a little deterministic noise, so that
// every band carries something and a misplaced sample shows.
inline void WriteSignal(const std::string& path, int rate, int channels, int samples) {
    std::vector<uint8_t> out;
    auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out.push_back(uint8_t(v >> (8 * i)));
    };
    auto put16 = [&](uint16_t v) {
        out.push_back(uint8_t(v));
        out.push_back(uint8_t(v >> 8));
    };
    const uint32_t dataBytes = uint32_t(samples * channels * 2);
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    put32(36 + dataBytes);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(16);
    put16(1);
    put16(uint16_t(channels));
    put32(uint32_t(rate));
    put32(uint32_t(rate * channels * 2));
    put16(uint16_t(channels * 2));
    put16(16);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    put32(dataBytes);
    uint32_t noise = 12345;
    for (int i = 0; i < samples; ++i) {
        for (int c = 0; c < channels; ++c) {
            noise = noise * 1664525u + 1013904223u;
            const double n = (int32_t(noise >> 8) - (1 << 23)) / double(1 << 23);
            const double v = 0.3 * std::sin(2 * M_PI * (330.0 + 110 * c) * i / rate) +
                             0.15 * std::sin(2 * M_PI * 1870.0 * i / rate) + 0.02 * n;
            put16(uint16_t(int16_t(std::lround(v * 32767))));
        }
    }
    WriteBytes(path, out);
}

// lame with the signal's own rate (lame would otherwise resample low
// bitrates), quiet. `options` chooses CBR/VBR/ABR and the bitrate.
inline bool Encode(const std::string& wav, const std::string& mp3, int rate,
                   const std::string& options) {
    char khz[32];
    std::snprintf(khz, sizeof khz, "%g", rate / 1000.0);
    return RunShell("lame --quiet --resample " + std::string(khz) + " " + options + " '" + wav +
                    "' '" + mp3 + "'");
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
