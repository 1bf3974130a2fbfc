#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ZrCoreLib/ZrLibraryLoader.h"
#include "ZrCoreLib/ZrReaderFactory.h"
#include "common/IcyTestServer.h"
#include "common/TestFiles.h"
#include "common/TestTools.h"
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

    // Why opening `url` failed (the reader's "LastError"); "opened" when it
    // did not fail.
    static std::string FailureOf(const std::string& url) {
        std::unique_ptr<IZrReader> reader(
            ZrReaderFactory::CreateLocalReader(ZrString::FromUtf8(url.c_str()).c_str()));
        if (!reader) return "no reader";
        if (reader->OpenRead()) return "opened";
        return reader->GetInfo(L"LastError").ToUtf8();
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

// An https server on 127.0.0.1 whose certificate is made for it alone
// (openssl), serving one body at every path through /usr/bin/python3's ssl
// module.
class HttpsTestServer {
public:
    HttpsTestServer(const testfiles::TempDir& dir, const std::vector<uint8_t>& body)
        : m_ca(dir / "cert.pem") {
        testfiles::WriteFile(dir / "body", body);
        testfiles::WriteFile(dir / "serve.py", std::string(R"(
import http.server, ssl, sys
body = open(sys.argv[3], 'rb').read()
class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        self.send_response(200)
        self.send_header('Content-Length', str(len(body)))
        self.send_header('icy-name', 'Secure Radio')
        self.end_headers()
        self.wfile.write(body)
    def log_message(self, *args): pass
server = http.server.HTTPServer(('127.0.0.1', 0), Handler)
context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
context.load_cert_chain(sys.argv[1], sys.argv[2])
server.socket = context.wrap_socket(server.socket, server_side=True)
print(server.server_address[1], flush=True)
server.serve_forever()
)"));
        if (!testtools::Run(
                "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 "
                "-nodes -days 1 -subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 "
                "-keyout " +
                dir / "key.pem" + " -out " + m_ca + " 2>/dev/null"))
            return;
        int out[2];
        if (pipe(out) != 0) return;
        m_pid = fork();
        if (m_pid == 0) {
            dup2(out[1], 1);
            close(out[0]);
            execl("/usr/bin/python3", "python3", (dir / "serve.py").c_str(), m_ca.c_str(),
                  (dir / "key.pem").c_str(), (dir / "body").c_str(), nullptr);
            _exit(127);
        }
        close(out[1]);
        m_output = out[0]; // open while the server lives: it writes no more
        char line[16] = {};
        pollfd p{m_output, POLLIN, 0};
        if (m_pid > 0 && poll(&p, 1, 10000) == 1 && read(m_output, line, sizeof(line) - 1) > 0)
            m_port = std::atoi(line);
    }
    ~HttpsTestServer() {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_output >= 0) close(m_output);
    }
    bool IsRunning() const { return m_port > 0; }
    std::string Url(const std::string& path) const {
        return "https://127.0.0.1:" + std::to_string(m_port) + path;
    }
    const std::string& CertificateFile() const { return m_ca; }

private:
    std::string m_ca;
    pid_t m_pid = -1;
    int m_output = -1;
    int m_port = 0;
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

TEST_F(HttpReader, RedirectsIcyStatusChunkedBodiesAndHeadersByName) {
    IcyTestServer server([](const IcyTestServer::Request& r) -> std::string {
        if (r.path.rfind("/hop", 0) == 0) {
            // Relative and absolute locations both.
            const int n = std::stoi(r.path.substr(4));
            const std::string next =
                n == 1 ? "http://" + r.Header("host") + "/end" : "/hop" + std::to_string(n - 1);
            return "HTTP/1.1 302 Found\r\nLocation: " + next + "\r\n\r\n";
        }
        if (r.path == "/chunked")
            return "HTTP/1.1 200 OK\r\nTransfer-Encoding: "
                   "chunked\r\n\r\n3\r\nhel\r\n2\r\nlo\r\n0\r\nX-Trailer: 1\r\n\r\n";
        return "ICY 200 OK\r\nicy-name: Radio \xC3\xA9\r\nX-Corvel-Library-Server: 1\r\n"
               "Content-Length: 5\r\n\r\nhello and more";
    });
    auto http = Open(server, "/hop5");
    ASSERT_NE(http, nullptr) << "five redirects are followed";
    EXPECT_FALSE(http->IsLiveStream());
    EXPECT_EQ(http->GetInfo(L"ResponseHeader:Icy-Name"), ZrString(L"Radio \u00e9"));
    EXPECT_EQ(http->GetInfo(L"X-Corvel-Library-Server").ToUtf8(), "1");
    EXPECT_EQ(http->GetInfo(L"ResponseHeader:missing").ToUtf8(), "");
    const std::vector<uint8_t> hello = {'h', 'e', 'l', 'l', 'o'};
    EXPECT_EQ(ReadAll(*http, 100), hello) << "nothing beyond Content-Length";
    EXPECT_EQ(http->GetInfo(L"LastError").ToUtf8(), "") << "a normal end";
    auto chunked = Open(server, "/chunked");
    ASSERT_NE(chunked, nullptr);
    EXPECT_EQ(ReadAll(*chunked, 100), hello);
    EXPECT_EQ(FailureOf(server.Url("/hop6")), "Maximum (5) redirects followed");
}

TEST_F(HttpReader, HostileOrFailedResponsesFailTheOpenSayingWhy) {
    const std::string longLine = "X-Long: " + std::string(9000, 'a') + "\r\n";
    std::string manyHeaders;
    for (int i = 0; i < 101; ++i)
        manyHeaders += "X-" + std::to_string(i) + ": 1\r\n";
    const std::string tooLarge = "the response head is too large";
    const std::string badLength = "the response has a broken Content-Length";
    // An empty reason: curl's own words, whatever they are.
    const std::vector<std::pair<std::string, std::string>> responses = {
        {"HTTP/1.0 200 OK\r\n" + longLine + "\r\nbody", tooLarge},
        {"HTTP/1.0 200 OK\r\n" + manyHeaders + "\r\nbody", tooLarge},
        {"HTTP/1.0 200 OK\r\n" + std::string(70000, 'x'), ""},
        {"HTTP/1.0 200 OK\r\nContent-Length: 12x\r\n\r\nbody", badLength},
        {"HTTP/1.0 200 OK\r\nContent-Length: -1\r\n\r\nbody", ""},
        {"HTTP/1.0 404 Not Found\r\n\r\n", "HTTP 404 Not Found"},
        {"ICY 401 Service Unavailable\r\n\r\n", "HTTP 401 Service Unavailable"},
        {"HTTP/1.1 302 Found\r\n\r\n", "HTTP 302 Found"},
        {"SOMETHING 200 OK\r\n\r\nbody", ""},
        {"HTTP/1.0 302 Found\r\nLocation: ftp://127.0.0.1/\r\n\r\n", ""},
        {"", "Empty reply from server"},
    };
    std::atomic<size_t> next{0};
    IcyTestServer server([&](const IcyTestServer::Request&) { return responses[next].first; });
    for (; next < responses.size(); ++next) {
        const std::string why = FailureOf(server.Url("/"));
        EXPECT_NE(why, "opened") << "response " << next;
        EXPECT_NE(why, "") << "response " << next;
        if (!responses[next].second.empty()) {
            EXPECT_EQ(why, responses[next].second) << "response " << next;
        }
    }

    // Not a URL this reader can fetch.
    for (const char* url : {"http://", "http://127.0.0.1:0/", "http://127.0.0.1:99999/",
                            "http://ho st/", "http://127.0.0.1:1/x\x01y"}) {
        std::unique_ptr<IZrReader> reader(
            ZrReaderFactory::CreateLocalReader(ZrString::FromUtf8(url).c_str()));
        ASSERT_NE(reader, nullptr);
        EXPECT_FALSE(reader->OpenRead()) << url;
        EXPECT_NE(reader->GetInfo(L"LastError").ToUtf8(), "") << url;
        EXPECT_EQ(reader->GetSize(), -1);
        EXPECT_EQ(reader->Read(nullptr, 0), 0u);
    }
}

TEST_F(HttpReader, HttpsWithACertificateOnlyThisTestTrusts) {
    TEST_REQUIRE_TOOL("openssl");
    TEST_REQUIRE(access("/usr/bin/python3", X_OK) == 0, "/usr/bin/python3");
    testfiles::TempDir dir;
    const auto audio = IcyTestAudio(300000);
    HttpsTestServer tls(dir, audio);
    ASSERT_TRUE(tls.IsRunning());
    IcyTestServer plain([&](const IcyTestServer::Request&) {
        return "HTTP/1.1 301 Moved\r\nLocation: " + tls.Url("/moved") + "\r\n\r\n";
    });

    unsetenv("TONEHALL_CA_FILE");
    EXPECT_NE(FailureOf(tls.Url("/")).find("certificate"), std::string::npos)
        << "the system does not trust it";
    setenv("TONEHALL_CA_FILE", tls.CertificateFile().c_str(), 1);
    for (const std::string& url : {tls.Url("/"), plain.Url("/to-https")}) {
        std::unique_ptr<IZrReader> reader(
            ZrReaderFactory::CreateLocalReader(ZrString::FromUtf8(url.c_str()).c_str()));
        ASSERT_TRUE(reader->OpenRead()) << url << ": " << reader->GetInfo(L"LastError").ToUtf8();
        EXPECT_EQ(reader->GetInfo(L"ResponseHeader:icy-name").ToUtf8(), "Secure Radio");
        EXPECT_EQ(ReadAll(*reader, 70000), audio) << url;
    }
    unsetenv("TONEHALL_CA_FILE");
}
