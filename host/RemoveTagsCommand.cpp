// tonehall-host remove-tags: asks the plug-in to remove tags from a file,
// then looks at the file itself, since the plug-in's answer does not say
// what the removal did.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "HostCommand.h"
#include "HostSession.h"

namespace {

struct TagsFound {
    bool id3v2 = false, id3v1 = false, ape = false;
};

// What the head and the tail of the file hold: an ID3v2 header at the start,
// an ID3v1 record in the last 128 bytes, an APE footer at the end or in
// front of the record.
TagsFound LookAt(const std::string& path) {
    TagsFound found;
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    const std::streamoff size = in ? std::streamoff(in.tellg()) : 0;
    auto bytesAt = [&](std::streamoff at, size_t count) {
        std::string bytes(count, '\0');
        if (at < 0 || at + std::streamoff(count) > size) return std::string();
        in.seekg(at);
        in.read(&bytes[0], std::streamsize(count));
        return in ? bytes : std::string();
    };
    found.id3v2 = bytesAt(0, 3) == "ID3";
    found.id3v1 = size > 128 && bytesAt(size - 128, 3) == "TAG";
    const std::streamoff apeFooter = size - 32 - (found.id3v1 ? 128 : 0);
    found.ape = bytesAt(apeFooter, 8) == "APETAGEX";
    return found;
}

class RemoveTagsCommand : public HostCommand {
public:
    void Define(CLI::App& command) override {
        command.add_option("IN", m_path, "MP3 file")->required();
        CLI::Option* which =
            command.add_option("WHICH", m_which, "all (ID3v2, ID3v1 and APE), id3v1 or id3v2")
                ->check(CLI::IsMember({"all", "id3v1", "id3v2"}));
        command
            .add_flag("--ask", m_ask,
                      "choose WHICH in the plug-in's dialog (needs an X display); Cancel "
                      "removes nothing")
            ->excludes(which);
    }
    int Run(const HostOptions& options) override;

private:
    std::string m_path;
    std::string m_which;
    bool m_ask = false;
};

int RemoveTagsCommand::Run(const HostOptions& options) {
    const std::map<std::string, intptr_t> kModes = {{"all", 0}, {"id3v1", 1}, {"id3v2", 2}};
    if (!m_ask && m_which.empty()) {
        std::fprintf(stderr, "tonehall-host remove-tags: give WHICH or --ask (see --help)\n");
        return 2;
    }
    HostSession session;
    if (!session.Start(options.pluginPath)) return 1;
    std::unique_ptr<IZrAudioFileInfo> info = session.OpenFileInfo(m_path);
    if (!info) return 1;
    if (m_ask) {
        const int chosen = info->DoCommand(FILEINFO_CMD_REMOVE_DIALOG, 0);
        if (chosen < 0 || chosen > 2) {
            std::printf("nothing removed\n");
            return 0;
        }
        m_which = chosen == 0 ? "all" : chosen == 1 ? "id3v1" : "id3v2";
    }
    const TagsFound before = LookAt(m_path);
    info->DoCommand(FILEINFO_CMD_REMOVE_TAGS, kModes.at(m_which));
    info.reset();
    const TagsFound after = LookAt(m_path);

    const bool all = m_which == "all";
    const struct {
        const char* name;
        bool asked, was, is;
    } kinds[] = {{"id3v2", all || m_which == "id3v2", before.id3v2, after.id3v2},
                 {"id3v1", all || m_which == "id3v1", before.id3v1, after.id3v1},
                 {"ape", all, before.ape, after.ape}};
    bool left = false;
    for (const auto& k : kinds) {
        if (!k.asked) continue;
        const char* state = !k.was ? "none" : k.is ? "still present" : "removed";
        std::printf("%s: %s\n", k.name, state);
        left = left || k.is;
    }
    if (left)
        std::fprintf(stderr,
                     "tonehall-host: %s: not every tag could be removed (file locked, "
                     "read-only, or its folder not writable)\n",
                     m_path.c_str());
    return left ? 1 : 0;
}

} // namespace

TONEHALL_HOST_COMMAND(RemoveTagsCommand, "remove-tags",
                      "remove all tags, or only ID3v1 or ID3v2 (or ask which with --ask), and "
                      "say what the file holds after")
