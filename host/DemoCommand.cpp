// tonehall-host demo: plays the sample MP3 that ships with the project
// through the plug-in and shows what the player would learn about it.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "HostCommand.h"
#include "HostSession.h"
#include "ZrCoreLib/ZrString.h"

namespace {

struct Shown {
    int id;
    const char* label;
};

const Shown kShown[] = {
    {INFO_PLUGIN_NAME, "plug-in"},         {INFO_SAMPLE_RATE, "sample rate (Hz)"},
    {INFO_CHANNELS, "channels"},           {INFO_BITS_PER_SAMPLE, "bits per sample"},
    {INFO_BITRATE, "bitrate (kbit/s)"},    {INFO_DURATION_MS, "duration (ms)"},
    {INFO_TOTAL_SAMPLES, "sample frames"}, {INFO_ENCODER, "encoder"},
    {INFO_ENCODER_DELAY, "encoder delay"}, {INFO_ENCODER_PADDING, "encoder padding"},
};

class DemoCommand : public HostCommand {
public:
    void Define(CLI::App& command) override {
        command.add_option("FILE", m_path, "an MP3 file instead of the bundled sample");
    }
    int Run(const HostOptions& options) override;

private:
    std::string m_path = TONEHALL_DEMO_SAMPLE;
};

int DemoCommand::Run(const HostOptions& options) {
    const std::string& path = m_path;
    HostSession session;
    if (!session.Start(options.pluginPath)) return 1;
    std::unique_ptr<IZrAudioInput> input = session.OpenInput(path);
    if (!input) return 1;
    std::printf("file: %s\n", path.c_str());
    std::string text;
    for (const Shown& s : kShown) {
        if (HostSession::Info(input.get(), s.id, text))
            std::printf("%-18s %s\n", s.label, text.c_str());
    }
    const int channels =
        HostSession::Info(input.get(), INFO_CHANNELS, text) ? std::atoi(text.c_str()) : 1;
    const int rate =
        HostSession::Info(input.get(), INFO_SAMPLE_RATE, text) ? std::atoi(text.c_str()) : 1;

    // Play it all, as the player would, and measure what came out.
    std::vector<uint8_t> bytes;
    std::vector<uint8_t> buffer(65536);
    for (;;) {
        const int n = input->Read(buffer.data(), static_cast<int>(buffer.size()));
        if (n <= 0) break;
        bytes.insert(bytes.end(), buffer.begin(), buffer.begin() + n);
    }
    const size_t values = bytes.size() / 8;
    std::vector<double> samples(values);
    std::memcpy(samples.data(), bytes.data(), values * 8);
    double peak = 0, energy = 0;
    for (double v : samples) {
        peak = std::max(peak, std::fabs(v));
        energy += v * v;
    }
    const double frames = static_cast<double>(values) / std::max(channels, 1);
    std::printf("%-18s %.0f (%.3f s)\n", "decoded frames", frames, frames / std::max(rate, 1));
    std::printf("%-18s %.1f dBFS peak, %.1f dBFS RMS\n", "level",
                20 * std::log10(std::max(peak, 1e-12)),
                10 * std::log10(std::max(energy / std::max<size_t>(values, 1), 1e-24)));

    // What the media library would show about the same file.
    std::unique_ptr<IZrAudioFileInfo> info = session.OpenFileInfo(path);
    if (!info) return 1;
    std::string report = HostSession::Report(info.get());
    report.erase(std::remove(report.begin(), report.end(), '\r'), report.end());
    std::printf("\nreport:\n%s\n", report.c_str());
    return 0;
}

} // namespace

TONEHALL_HOST_COMMAND(DemoCommand, "demo",
                      "play the bundled sample MP3 (or FILE) through the plug-in and print its "
                      "properties")
