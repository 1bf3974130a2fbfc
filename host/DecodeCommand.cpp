// tonehall-host decode: plays a stream through the plug-in's Read exactly as
// the player does and writes what it hands out to a WAV file.
#include <CLI/CLI.hpp>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "HostCommand.h"
#include "HostSession.h"
#include "WavWriter.h"
#include "ZrCoreLib/ZrString.h"

namespace {

// The player's own read size: a few frames' worth of interleaved doubles.
constexpr int kReadBytes = 65536;

void ShowProgress(uint64_t frames, int rate, int64_t totalFrames) {
    const double seconds = static_cast<double>(frames) / rate;
    if (totalFrames > 0) {
        const int width = 40;
        const double done = std::min(1.0, static_cast<double>(frames) / totalFrames);
        const int filled = static_cast<int>(done * width);
        std::fprintf(stderr, "\r[%.*s%*s] %5.1f%% %7.1f s", filled,
                     "########################################", width - filled, "", done * 100,
                     seconds);
    } else {
        std::fprintf(stderr, "\r%7.1f s", seconds);
    }
    std::fflush(stderr);
}

class DecodeCommand : public HostCommand {
public:
    void Define(CLI::App& command) override {
        command.add_option("IN", m_in, "MP3 file or http(s):// stream")->required();
        command.add_option("OUT", m_out, "WAV file to write")->required();
        command.add_option("--seek-ms", m_seekMs, "start at this position (milliseconds)")
            ->check(CLI::NonNegativeNumber);
        command.add_option("--format", m_format, "sample format of the WAV file")
            ->check(CLI::IsMember({"f64", "f32", "s16"}))
            ->capture_default_str();
        command.add_option("--max-seconds", m_maxSeconds, "stop after this much audio (seconds)")
            ->check(CLI::NonNegativeNumber);
    }
    int Run(const HostOptions& options) override;

private:
    std::string m_in;
    std::string m_out;
    double m_seekMs = -1;
    double m_maxSeconds = -1;
    std::string m_format = "f64";
};

int DecodeCommand::Run(const HostOptions& options) {
    const double seekMs = m_seekMs;
    const double maxSeconds = m_maxSeconds;
    const WavWriter::Format format = m_format == "s16"   ? WavWriter::Format::Pcm16
                                     : m_format == "f32" ? WavWriter::Format::Float32
                                                         : WavWriter::Format::Float64;
    const std::string& in = m_in;
    const std::string& outPath = m_out;

    HostSession session;
    if (!session.Start(options.pluginPath)) return 1;
    std::unique_ptr<IZrAudioInput> input = session.OpenInput(in);
    if (!input) return 1;
    std::string text;
    const int rate =
        HostSession::Info(input.get(), INFO_SAMPLE_RATE, text) ? std::atoi(text.c_str()) : 0;
    const int channels =
        HostSession::Info(input.get(), INFO_CHANNELS, text) ? std::atoi(text.c_str()) : 0;
    const int bits =
        HostSession::Info(input.get(), INFO_BITS_PER_SAMPLE, text) ? std::atoi(text.c_str()) : 0;
    if (rate < 1 || channels < 1 || bits != 64) {
        std::fprintf(stderr, "tonehall-host: %s: the plug-in reports no usable format\n",
                     in.c_str());
        return 1;
    }
    if (seekMs >= 0 &&
        input->SetInfo(SETINFO_SEEK_MS, ZrString::FromDouble(seekMs, 3).c_str()) != 0) {
        std::fprintf(stderr, "tonehall-host: %s: cannot seek to %.3f ms\n", in.c_str(), seekMs);
        return 1;
    }
    // Network streams may pause for data and have no total worth waiting
    // for; a radio stream never ends on its own.
    const bool network = in.find("://") != std::string::npos;
    // The total is known without reading the whole stream only for files.
    int64_t totalFrames = -1;
    if (!network && isatty(STDERR_FILENO) &&
        HostSession::Info(input.get(), INFO_TOTAL_SAMPLES, text))
        totalFrames = std::atoll(text.c_str());

    WavWriter wav;
    if (!wav.Open(outPath, format, channels, rate)) {
        std::fprintf(stderr, "tonehall-host: cannot write %s: %s\n", outPath.c_str(),
                     std::strerror(errno));
        return 1;
    }
    const size_t frameBytes = static_cast<size_t>(channels) * 8;
    const uint64_t maxFrames =
        maxSeconds >= 0 ? static_cast<uint64_t>(maxSeconds * rate) : UINT64_MAX;
    // Each read lands behind the bytes of a sample frame that the previous
    // read split, so whole frames go to the writer straight from the read
    // buffer: at ten minutes of audio a second a copy per read is measurable
    // next to the decoder itself. Doubles as storage keep the samples aligned.
    std::vector<double> storage((kReadBytes + frameBytes) / sizeof(double) + 1);
    uint8_t* const bytes = reinterpret_cast<uint8_t*>(storage.data());
    size_t carry = 0;
    std::string lastTitle;
    const bool progress = isatty(STDERR_FILENO);
    int idleReads = 0;
    while (wav.FramesWritten() < maxFrames) {
        const int n = input->Read(bytes + carry, kReadBytes);
        if (n == 0) break;
        if (n < 0) {
            // Nothing this time: a damaged stretch of a file, or a network
            // stream waiting for data. Only the latter is worth waiting for.
            if (++idleReads > 1000) break;
            if (network) usleep(10000);
            continue;
        }
        idleReads = 0;
        const size_t have = carry + static_cast<size_t>(n);
        const size_t whole = static_cast<size_t>(
            std::min<uint64_t>(have / frameBytes, maxFrames - wav.FramesWritten()));
        if (!wav.Write(storage.data(), whole * channels)) {
            std::fprintf(stderr, "tonehall-host: cannot write %s\n", outPath.c_str());
            return 1;
        }
        carry = have - whole * frameBytes;
        std::memmove(bytes, bytes + whole * frameBytes, carry);
        // Stream titles come only from ICY metadata: files answer none.
        if (HostSession::Info(input.get(), INFO_ICY_TITLE, text) && text != lastTitle) {
            lastTitle = text;
            std::string start = "0";
            HostSession::Info(input.get(), INFO_TITLE_START_MS, start);
            std::printf("title at %s ms: %s\n", start.c_str(), text.c_str());
            std::fflush(stdout);
        }
        if (progress) ShowProgress(wav.FramesWritten(), rate, totalFrames);
    }
    if (progress) std::fprintf(stderr, "\n");
    if (!wav.Close()) {
        std::fprintf(stderr, "tonehall-host: cannot write %s\n", outPath.c_str());
        return 1;
    }
    // The plug-in ends a stream the same way whether it finished or its
    // connection failed; the reader knows which. What arrived stays written.
    const std::string failure = session.StreamFailure();
    if (!failure.empty()) {
        std::fprintf(stderr, "tonehall-host: %s: %s\n", in.c_str(), failure.c_str());
        return 1;
    }
    return 0;
}

} // namespace

TONEHALL_HOST_COMMAND(DecodeCommand, "decode",
                      "decode through the plug-in's Read into a WAV file (64-bit float by "
                      "default)")
