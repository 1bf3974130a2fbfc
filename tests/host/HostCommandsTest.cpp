#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "RunCommand.h"
#include "common/WaveFile.h"

namespace {

const std::string kDemo = std::string(TONEHALL_TEST_DATA) + "/../../samples/demo.mp3";
std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    const std::string b = SlurpFile(path);
    return std::vector<uint8_t>(b.begin(), b.end());
}
// The sample's source signal: 3.5 s at 44100 Hz.
constexpr uint32_t kDemoFrames = 154350;

// Every header field is checked against the others and the file's size.
testwave::WaveFacts ReadWav(const std::string& path) {
    return testwave::ReadWave(ReadFileBytes(path));
}

TEST(HostDecode, WritesEveryDeliveredFrameInEachFormat) {
    const struct {
        const char* format;
        uint16_t tag, bits;
    } cases[] = {{"f64", 3, 64}, {"f32", 3, 32}, {"s16", 1, 16}};
    for (const auto& c : cases) {
        const std::string out = "/tmp/tonehall-decode-" + std::string(c.format) + ".wav";
        const CommandResult r =
            RunCommand(HostBinary() + " decode '" + kDemo + "' " + out + " --format " + c.format);
        ASSERT_EQ(r.status, 0) << r.err;
        const testwave::WaveFacts w = ReadWav(out);
        EXPECT_EQ(w.problems, "") << c.format;
        EXPECT_EQ(w.format, c.tag) << c.format;
        EXPECT_EQ(w.bits, c.bits);
        EXPECT_EQ(w.channels, 2);
        EXPECT_EQ(w.rate, 44100u);
        EXPECT_EQ(w.dataBytes, kDemoFrames * 2 * c.bits / 8) << c.format;
        unlink(out.c_str());
    }
}

TEST(HostDecode, SeekAndLengthLimitCutTheOutput) {
    const std::string out = "/tmp/tonehall-decode-cut.wav";
    CommandResult r = RunCommand(HostBinary() + " decode '" + kDemo + "' " + out +
                                 " --seek-ms 1000 --format s16");
    ASSERT_EQ(r.status, 0) << r.err;
    // From 1 s on: what is left of the signal, to the sample.
    EXPECT_EQ(ReadWav(out).dataBytes, (kDemoFrames - 44100) * 4);
    r = RunCommand(HostBinary() + " decode '" + kDemo + "' " + out +
                   " --max-seconds 0.5 --format s16");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadWav(out).dataBytes, 22050u * 4);
    unlink(out.c_str());
}

// Missing files and usage errors for every command are HostErrors' and
// HostCommandLine's; here the input's own refusal.
TEST(HostDecode, Layer1IsRefusedWithTheInputsMessage) {
    const std::string layer1 = std::string(TONEHALL_TEST_DATA) + "/input/source/l1-fl4.bit";
    const CommandResult r =
        RunCommand(HostBinary() + " decode '" + layer1 + "' /tmp/tonehall-l1.wav");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "tonehall-host: " + layer1 + ": MPEG plugin does not support MPEG layer 1 files.\n");
}

TEST(HostInfo, AnswersInIdOrderAndAsJson) {
    CommandResult r = RunCommand(HostBinary() + " info --ids '" + kDemo + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("0: ", 0), 0u) << r.out;
    for (const char* line : {"\n2: MP3 input plug-in\n", "\n8: 44100\n", "\n9: 2\n", "\n10: 64\n",
                             "\n12: 154350\n", "\n19: 576\n", "\n25: LAME\n"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line;
    EXPECT_EQ(r.out.find("\n3: "), std::string::npos) << "unknown ids are left out";
    r = RunCommand(HostBinary() + " info --ids --json '" + kDemo + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    const nlohmann::json json = nlohmann::json::parse(r.out);
    EXPECT_EQ(json.value("12", ""), "154350") << r.out;
    EXPECT_EQ(json.value("5", "-"), "") << r.out;
}

TEST(HostDemo, PlaysTheBundledSampleToTheSample) {
    const CommandResult r = RunCommand(HostBinary() + " demo");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("sample frames      154350\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("decoded frames     154350 (3.500 s)\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\nreport:\nMPEG-1 Layer 3\n"), std::string::npos) << r.out;
}

} // namespace

#include "common/IcyTestServer.h"

namespace {

TEST(HostDecode, LiveStreamTitlesArePrintedAsTheyArrive) {
    IcyTestServer::IcyOptions options;
    options.metaint = 4096;
    options.blockText = [](int k) {
        return k % 4 == 0 ? IcyTitleText("Title " + std::to_string(k / 4 + 1)) : std::string();
    };
    IcyTestServer server(IcyTestServer::ServeIcy(ReadFileBytes(kDemo), options));
    ASSERT_TRUE(server.IsRunning());
    const std::string out = "/tmp/tonehall-live.wav";
    const CommandResult r = RunCommand(HostBinary() + " decode " + server.Url("/live") + " " + out);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find(": Title 1\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(": Title 2\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.rfind("title at ", 0), 0u) << r.out;
    EXPECT_GT(ReadWav(out).dataBytes, kDemoFrames * 16 / 2) << "most of the stream arrived";
    unlink(out.c_str());
}

// What the plug-in's result codes cannot carry comes from the host's reader:
// the HTTP status, curl's reason, the open deadline, a stall part-way.
TEST(HostErrors, NetworkFailuresAreNamedAndAStallFailsTheDecode) {
    std::vector<uint8_t> audio;
    for (int i = 0; i < 5; ++i) {
        const auto demo = ReadFileBytes(kDemo);
        audio.insert(audio.end(), demo.begin(), demo.end());
    }
    const IcyTestServer::Handler radio = IcyTestServer::ServeIcy(audio, {});
    const struct {
        IcyTestServer::Handler handler;
        size_t pacedChunk;
        int pauseMs;
        std::string commands, environment, reason;
    } cases[] = {
        {[](const auto&) { return std::string("HTTP/1.1 404 Not Found\r\n\r\n"); }, 0, 0,
         "info report get decode", "", "HTTP 404 Not Found"},
        {[](const auto&) { return std::string("HTTP/1.1 302 Found\r\nLocation: /\r\n\r\n"); }, 0, 0,
         "info", "", "Maximum (5) redirects followed"},
        // 200 bytes a second.
        {radio, 20, 100, "decode", "TONEHALL_HTTP_OPEN_SECONDS=1",
         "timed out: the response and its first 64 KiB took longer than 1 s"},
        {radio, 100000, 1500, "decode", "TONEHALL_HTTP_STALL_SECONDS=0.5",
         "the stream stalled: no data for 0.5 s"},
    };
    for (const auto& c : cases) {
        IcyTestServer server(c.handler);
        server.SetPacing(c.pacedChunk, c.pauseMs);
        std::istringstream commands(c.commands);
        for (std::string command; commands >> command;) {
            const std::string extra = command == "get"      ? " Name"
                                      : command == "decode" ? " /dev/null"
                                                            : "";
            const CommandResult r = RunCommand(c.environment + " " + HostBinary() + " " + command +
                                               " " + server.Url("/") + extra);
            EXPECT_EQ(r.status, 1) << command << " " << c.reason;
            EXPECT_EQ(r.err, "tonehall-host: " + server.Url("/") + ": " + c.reason + "\n");
        }
    }
}

} // namespace
