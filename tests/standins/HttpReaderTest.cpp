#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "ZrCoreLib/ZrLibraryLoader.h"
#include "ZrCoreLib/ZrReaderFactory.h"
#include "common/IcyTestServer.h"
#include "input/CIcyReader.h"

namespace {

// Network readers come from build/lib/libZrReader.so through the loader, for
// "http://" paths, as the host's provider gets them. (Local files are every
// other test's road: reading, and in tag saving writing and truncating.)
class HttpReader : public ::testing::Test {
protected:
    void SetUp() override {
        ZrLibraryLoader::UnloadAll();
        ZrLibraryLoader::SetLibraryDirectory(ZrString::FromUtf8(TONEHALL_LIB_DIR));
    }
    void TearDown() override {
        ZrLibraryLoader::UnloadAll();
        ZrLibraryLoader::SetLibraryDirectory(nullptr);
    }

    static std::unique_ptr<IZrReader> Open(const IcyTestServer& server, const std::string& path,
                                           bool icy = true) {
        std::unique_ptr<IZrReader> reader(
            ZrReaderFactory::CreateLocalReader(server.WideUrl(path).c_str()));
        if (!reader) return nullptr;
        reader->SetProperty(L"READ_ONLY", ZrString(L"1"));
        reader->SetProperty(L"Set Support ICY Metadata", ZrString(icy ? L"1" : L""));
        if (!reader->OpenRead()) return nullptr;
        return reader;
    }

    static std::vector<uint8_t> ReadAll(IZrReader& reader, uint32_t chunk) {
        std::vector<uint8_t> out;
        for (;;) {
            const size_t used = out.size();
            out.resize(used + chunk);
            const uint32_t got = reader.Read(out.data() + used, chunk);
            out.resize(used + got);
            if (got < chunk) return out;
        }
    }
};

IcyTestServer::IcyOptions RadioOptions(int metaint, bool contentLength) {
    IcyTestServer::IcyOptions o;
    o.metaint = metaint;
    o.contentLength = contentLength;
    o.blockText = [](int k) {
        return k % 7 == 0 ? IcyTitleText("Song " + std::to_string(k / 7)) : std::string();
    };
    return o;
}

} // namespace

TEST_F(HttpReader, WithoutIcySupportTheServerSendsPlainAudio) {
    const auto audio = IcyTestAudio(50000);
    IcyTestServer server(IcyTestServer::ServeIcy(audio, RadioOptions(4000, false)));
    auto http = Open(server, "/", false);
    ASSERT_NE(http, nullptr);
    EXPECT_EQ(server.Requests().at(0).Header("icy-metadata"), "");
    CIcyReader icy(http.release(), true, true);
    EXPECT_EQ(icy.GetInfo(L"ICY Available").ToUtf8(), "0");
    EXPECT_EQ(ReadAll(icy, 7000), audio);
}

TEST_F(HttpReader, LiveStreamSeeksWithinWhatItKeepsAndForwardByReading) {
    const auto audio = IcyTestAudio(1500000);
    IcyTestServer server(IcyTestServer::ServeIcy(audio, RadioOptions(0, false)));
    auto http = Open(server, "/");
    ASSERT_NE(http, nullptr);
    EXPECT_TRUE(http->IsLiveStream()) << "no Content-Length";
    std::vector<uint8_t> out(1000);
    ASSERT_EQ(http->Read(out.data(), 1000), 1000u);
    EXPECT_EQ(http->Seek(5, 0), 5) << "back within the kept bytes";
    ASSERT_EQ(http->Read(out.data(), 10), 10u);
    EXPECT_TRUE(std::equal(out.begin(), out.begin() + 10, audio.begin() + 5));
    EXPECT_EQ(http->Seek(900000, 0), 900000) << "forward by reading";
    ASSERT_EQ(http->Read(out.data(), 10), 10u);
    EXPECT_TRUE(std::equal(out.begin(), out.begin() + 10, audio.begin() + 900000));
    EXPECT_LT(http->Seek(5, 0), 0) << "too far back for a live stream";
    EXPECT_EQ(http->GetPosition(), 900010);
    EXPECT_GE(http->GetSize(), 900010);
}

TEST_F(HttpReader, SizedResourceSeeksAnywhereWithRangeRequests) {
    const auto audio = IcyTestAudio(1500000);
    IcyTestServer server(IcyTestServer::ServeIcy(audio, RadioOptions(0, true)));
    auto http = Open(server, "/file.mp3");
    ASSERT_NE(http, nullptr);
    EXPECT_EQ(http->GetSize(), int64_t(audio.size()));
    std::vector<uint8_t> out(100);
    for (int64_t at : {int64_t(1400000), int64_t(20), int64_t(1499950), int64_t(700000)}) {
        ASSERT_EQ(http->Seek(at, 0), at);
        const uint32_t want = uint32_t(std::min<int64_t>(100, int64_t(audio.size()) - at));
        ASSERT_EQ(http->Read(out.data(), 100), want);
        EXPECT_TRUE(std::equal(out.begin(), out.begin() + want, audio.begin() + at)) << at;
    }
    EXPECT_EQ(http->Seek(-10, 2), int64_t(audio.size()) - 10);
    EXPECT_EQ(http->Read(out.data(), 100), 10u);
    const auto requests = server.Requests();
    EXPECT_GE(requests.size(), 3u);
    EXPECT_EQ(requests.at(1).Header("range"), "bytes=1400000-");
}

TEST_F(HttpReader, RedirectsIcyStatusAndHeadersByName) {
    IcyTestServer server([](const IcyTestServer::Request& r) -> std::string {
        if (r.path.rfind("/hop", 0) == 0) {
            // Relative and absolute locations both.
            const int n = std::stoi(r.path.substr(4));
            const std::string next =
                n == 1 ? "http://" + r.Header("host") + "/end" : "/hop" + std::to_string(n - 1);
            return "HTTP/1.1 302 Found\r\nLocation: " + next + "\r\n\r\n";
        }
        return "ICY 200 OK\r\nicy-name: Radio \xC3\xA9\r\nX-Corvel-Library-Server: 1\r\n"
               "Content-Length: 5\r\n\r\nhello and more";
    });
    auto http = Open(server, "/hop5");
    ASSERT_NE(http, nullptr) << "five redirects are followed";
    EXPECT_FALSE(http->IsLiveStream());
    EXPECT_EQ(http->GetInfo(L"ResponseHeader:Icy-Name"), ZrString(L"Radio \u00e9"));
    EXPECT_EQ(http->GetInfo(L"X-Corvel-Library-Server").ToUtf8(), "1");
    EXPECT_EQ(http->GetInfo(L"ResponseHeader:missing").ToUtf8(), "");
    EXPECT_EQ(ReadAll(*http, 100), std::vector<uint8_t>({'h', 'e', 'l', 'l', 'o'}))
        << "nothing beyond Content-Length";
    EXPECT_EQ(Open(server, "/hop6"), nullptr) << "the sixth redirect is refused";
}

TEST_F(HttpReader, HostileOrFailedResponsesFailTheOpen) {
    const std::string longLine = "X-Long: " + std::string(9000, 'a') + "\r\n";
    std::string manyHeaders;
    for (int i = 0; i < 101; ++i)
        manyHeaders += "X-" + std::to_string(i) + ": 1\r\n";
    const std::vector<std::string> responses = {
        "HTTP/1.0 200 OK\r\n" + longLine + "\r\nbody",
        "HTTP/1.0 200 OK\r\n" + manyHeaders + "\r\nbody",
        "HTTP/1.0 200 OK\r\n" + std::string(70000, 'x'),
        "HTTP/1.0 200 OK\r\nContent-Length: 12x\r\n\r\nbody",
        "HTTP/1.0 200 OK\r\nContent-Length: -1\r\n\r\nbody",
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nbody\r\n0\r\n\r\n",
        "HTTP/1.0 404 Not Found\r\n\r\n",
        "SOMETHING 200 OK\r\n\r\nbody",
        "HTTP/1.0 302 Found\r\nLocation: https://example.invalid/\r\n\r\n",
        "",
    };
    std::atomic<size_t> next{0};
    IcyTestServer server([&](const IcyTestServer::Request&) { return responses[next]; });
    for (; next < responses.size(); ++next)
        EXPECT_EQ(Open(server, "/"), nullptr) << "response " << next;

    // Not a URL this reader can fetch.
    for (const wchar_t* url : {L"http://", L"http://host:0/", L"http://host:99999/",
                               L"http://ho st/", L"http://127.0.0.1:1/x\x01y"}) {
        std::unique_ptr<IZrReader> reader(ZrReaderFactory::CreateLocalReader(url));
        ASSERT_NE(reader, nullptr);
        EXPECT_FALSE(reader->OpenRead()) << ZrString(url).ToUtf8();
        EXPECT_EQ(reader->GetSize(), -1);
        EXPECT_EQ(reader->Read(nullptr, 0), 0u);
    }
}
