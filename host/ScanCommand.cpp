// tonehall-host scan: the media library's view of every MP3 under a folder,
// one file-info object per worker thread so that every core reads.
#include <CLI/CLI.hpp>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "DirectoryWalker.h"
#include "HostCommand.h"
#include "HostFieldNames.h"
#include "HostJson.h"
#include "HostSession.h"
#include "ZrCoreLib/ZrString.h"

namespace {

bool EndsWith(const std::string& s, const char* tail) {
    const size_t n = std::strlen(tail);
    return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The extensions the plug-in claims in its file-type list
// ("MP3; MP3 Audio File (*.MP3);..."), lower case: the player picks files
// for an input plug-in the same way.
std::set<std::string> PlayableExtensions(HostSession& session) {
    std::set<std::string> extensions;
    std::unique_ptr<IZrAudioInput> input(session.Plugin().NewInput(&session.Provider()));
    std::string types;
    if (input) HostSession::Info(input.get(), INFO_FILE_TYPES, types);
    for (size_t at = types.find("(*."); at != std::string::npos; at = types.find("(*.", at)) {
        at += 3;
        const size_t end = types.find(')', at);
        if (end == std::string::npos) break;
        extensions.insert(Lower(types.substr(at, end - at)));
    }
    if (extensions.empty()) extensions.insert("mp3");
    return extensions;
}

// What one file gives: a line for standard output or one for standard error.
struct ScanResult {
    bool done = false;
    std::string out;
    std::string err;
};

class ScanCommand : public HostCommand {
public:
    void Define(CLI::App& command) override {
        command.add_option("DIR", m_root, "folder to walk, with its subfolders")->required();
        command.add_flag("--json", m_json, "one JSON object per file, one a line");
    }
    int Run(const HostOptions& options) override;

private:
    ScanResult ScanOne(IZrAudioFileInfo* info, const std::string& path) const;
    std::string Layer1Refusal(const std::string& path) const;

    HostSession* m_session = nullptr;
    mutable std::mutex m_inputMutex;

    std::string m_root;
    bool m_json = false;
};

ScanResult ScanCommand::ScanOne(IZrAudioFileInfo* info, const std::string& path) const {
    ScanResult r;
    r.done = true;
    std::string why;
    if (!m_session->Open(info, path, why)) {
        r.err = path + ": " + why + "\n";
        return r;
    }
    // The library lists what the player can play: a Layer I file reads as
    // MPEG audio, but the input refuses it, so it is skipped with the
    // input's own reason.
    std::string compression;
    if (HostSession::Field(info, "Compression", compression) &&
        EndsWith(compression, " Layer 1)")) {
        info->Close();
        r.err = path + ": " + Layer1Refusal(path) + "\n";
        return r;
    }
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    json["path"] = path;
    std::string text = path + "\n";
    std::string value;
    for (const char* name : hostfields::kScan) {
        if (!HostSession::Field(info, name, value)) continue;
        json[name] = value;
        text += std::string("  ") + name + ": " + value + "\n";
    }
    info->Close();
    r.out = m_json ? DumpJson(json) + "\n" : text;
    return r;
}

std::string ScanCommand::Layer1Refusal(const std::string& path) const {
    // Rare enough that one input at a time, made under a lock, costs nothing.
    std::lock_guard<std::mutex> lock(m_inputMutex);
    std::unique_ptr<IZrAudioInput> input(m_session->Plugin().NewInput(&m_session->Provider()));
    std::string why;
    if (input && input->Open(ZrString::FromUtf8(path.c_str()).c_str()) != 0)
        HostSession::Info(input.get(), INFO_LAST_ERROR, why);
    return why.empty() ? "not playable" : why;
}

int ScanCommand::Run(const HostOptions& options) {
    HostSession session;
    if (!session.Start(options.pluginPath)) return 1;
    m_session = &session;
    const std::set<std::string> extensions = PlayableExtensions(session);
    std::vector<std::string> paths;
    DirectoryWalker walker(
        [&](const std::string& name) {
            const size_t dot = name.rfind('.');
            return dot != std::string::npos && extensions.count(Lower(name.substr(dot + 1))) > 0;
        },
        [&](const std::string& path) { paths.push_back(path); },
        [](const std::string& path, const std::string& reason) {
            std::fprintf(stderr, "%s: %s\n", path.c_str(), reason.c_str());
        });
    if (!walker.Walk(m_root)) return 1;

    const size_t workers = std::min<size_t>(std::max(1u, std::thread::hardware_concurrency()),
                                            std::max<size_t>(paths.size(), 1));
    // Created here rather than on the workers: creation reads the plug-in's
    // settings, and only separate objects are promised to be usable at once.
    std::vector<std::unique_ptr<IZrAudioFileInfo>> infos;
    for (size_t i = 0; i < workers; ++i) {
        infos.push_back(session.NewFileInfo());
        if (!infos.back()) {
            std::fprintf(stderr, "tonehall-host: the plug-in gave no file-info object\n");
            return 1;
        }
    }
    std::vector<ScanResult> results(paths.size());
    std::atomic<size_t> next{0};
    std::mutex mutex;
    std::condition_variable ready;
    std::vector<std::thread> threads;
    for (size_t w = 0; w < workers; ++w) {
        threads.emplace_back([&, info = infos[w].get()] {
            for (size_t i = next++; i < paths.size(); i = next++) {
                ScanResult r = ScanOne(info, paths[i]);
                std::lock_guard<std::mutex> lock(mutex);
                results[i] = std::move(r);
                ready.notify_all();
            }
        });
    }
    // Printed in walk order, whichever worker finishes first.
    const bool progress = isatty(STDERR_FILENO) == 1;
    for (size_t i = 0; i < paths.size(); ++i) {
        ScanResult r;
        {
            std::unique_lock<std::mutex> lock(mutex);
            ready.wait(lock, [&] { return results[i].done; });
            r = std::move(results[i]);
        }
        if (progress) std::fprintf(stderr, "\r\033[K");
        std::fputs(r.out.c_str(), stdout);
        std::fputs(r.err.c_str(), stderr);
        if (progress) {
            std::fflush(stdout);
            std::fprintf(stderr, "scan: %zu of %zu files", i + 1, paths.size());
        }
    }
    if (progress) std::fprintf(stderr, "\r\033[K");
    for (std::thread& t : threads)
        t.join();
    return 0;
}

} // namespace

TONEHALL_HOST_COMMAND(ScanCommand, "scan",
                      "properties and main tags of every MP3 under a folder (recursive)")
