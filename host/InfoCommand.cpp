// tonehall-host info: every GetInfo answer of an opened input.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "HostCommands.h"
#include "HostSession.h"
#include "ZrCoreLib/ZrString.h"

namespace {
// Ids above the last one the interface defines are asked too, so an answer
// to an id nobody expects shows up.
constexpr int kLastInfoId = 40;

std::string JsonQuote(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", c);
            out += esc;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}
} // namespace

int RunInfo(const HostOptions& options) {
    std::vector<std::string> positional;
    bool json = false;
    for (const std::string& a : options.args) {
        if (a == "--json")
            json = true;
        else
            positional.push_back(a);
    }
    if (positional.size() != 1) {
        std::fprintf(stderr, "usage: tonehall-host info IN [--json]\n");
        return 2;
    }
    const std::string& path = positional[0];
    HostSession session;
    if (!session.Start(options.pluginPath)) return 1;
    std::unique_ptr<IZrAudioInput> input = session.OpenInput(path);
    if (!input) return 1;
    std::vector<std::pair<int, std::string>> answers;
    for (int id = 0; id <= kLastInfoId; ++id) {
        std::string text;
        if (HostSession::Info(input.get(), id, text)) answers.emplace_back(id, text);
    }
    if (json) {
        std::printf("{");
        for (size_t i = 0; i < answers.size(); ++i)
            std::printf("%s\"%d\": %s", i ? ", " : "", answers[i].first,
                        JsonQuote(answers[i].second).c_str());
        std::printf("}\n");
    } else {
        for (const auto& a : answers)
            std::printf("%d: %s\n", a.first, a.second.c_str());
    }
    return 0;
}
