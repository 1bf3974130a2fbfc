// info, report, get and scan driven as a user would drive them, and the
// command line's refusals.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "RunCommand.h"
#include "ZrCoreLib/ZrString.h"
#include "common/TestFiles.h"
#include "host/HostFieldNames.h"
#include "tags/tables/ID3v2FieldTable.h"

namespace {

// lame -V 6 --tt "Short", MPEG-2 with a Xing header and an ID3v2.3 tag.
const std::string kTagged = std::string(TONEHALL_TEST_DATA) + "/input/vbr-mono-22k-id3.mp3";

const std::string kLayer1 = std::string(TONEHALL_TEST_DATA) + "/input/source/l1-fl4.bit";

std::string Quoted(const std::string& s) {
    std::string out = "'";
    for (char c : s)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

CommandResult Host(const std::string& args) {
    return RunCommand(HostBinary() + " " + args);
}

// Root reads anything, so permission cases run as nobody there.
std::string Unprivileged() {
    return geteuid() == 0 ? "setpriv --reuid=nobody --regid=nogroup --clear-groups " : "";
}

std::vector<nlohmann::json> JsonLines(const std::string& text) {
    std::vector<nlohmann::json> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(nlohmann::json::parse(line));
    return lines;
}

TEST(HostCommandLine, UsageErrorsExitWithTwoAndSayWhy) {
    for (const std::string args :
         {"", "bogus", "decode only-in", "decode a b --format u8", "decode a b --seek-ms -1",
          "settings X notanumber", "info", "get x", "get x --all Name", "scan", "info x --nope"}) {
        const CommandResult r = Host(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_EQ(r.out, "") << args;
        EXPECT_NE(r.err, "") << args;
    }
}

TEST(HostErrors, EachCommandGivesTheReasonAUserCanActOn) {
    testfiles::TempDir dir;
    chmod(dir.Path().c_str(), 0755);
    const std::string odd = dir / "it's a \"name\" \xc3\xbc";
    const std::string text = dir / "notes.mp3";
    const std::string locked = dir / "locked.mp3";
    const std::string empty = dir / "empty.mp3";
    const std::string fifo = dir / "fifo.mp3";
    testfiles::WriteFile(text, std::string("not audio\n"));
    testfiles::WriteFile(empty, std::string());
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    ASSERT_EQ(RunCommand("cp " + Quoted(kTagged) + " " + Quoted(locked)).status, 0);
    chmod(locked.c_str(), 0);
    const struct {
        std::string path, reason, prefix;
    } cases[] = {
        {odd, "No such file or directory", ""},   {dir.Path(), "Is a directory", ""},
        {text, "not an MPEG audio stream", ""},   {empty, "empty file", ""},
        {fifo, "a FIFO, not a regular file", ""}, {locked, "Permission denied", Unprivileged()},
    };
    for (const auto& c : cases) {
        for (const std::string command : {"info", "report", "get", "decode"}) {
            const std::string extra = command == "get"      ? " Name"
                                      : command == "decode" ? " /dev/null"
                                                            : "";
            const CommandResult r =
                RunCommand(c.prefix + HostBinary() + " " + command + " " + Quoted(c.path) + extra);
            EXPECT_EQ(r.status, 1) << command << " " << c.path;
            EXPECT_EQ(r.err, "tonehall-host: " + c.path + ": " + c.reason + "\n") << command;
        }
    }
}

TEST(HostInfo, PropertiesByNameAndTheInputsAnswers) {
    const CommandResult r = Host("info --json " + Quoted(kTagged));
    ASSERT_EQ(r.status, 0) << r.err;
    const nlohmann::ordered_json json = nlohmann::ordered_json::parse(r.out);
    std::vector<std::string> keys;
    for (const auto& item : json.items())
        keys.push_back(item.key());
    EXPECT_EQ(keys,
              (std::vector<std::string>{"Bitrate", "Duration", "Channels", "Sample Rate",
                                        "Compression", "Gapless Header", "Gapless Footer",
                                        "UITS Media Hash Byte Range", "Total Samples", "Encoder",
                                        "Encoder Delay", "Encoder Padding", "Plays From Memory"}));
    EXPECT_EQ(json["Compression"], "VBR (MPEG-2 Layer 3)");
    EXPECT_EQ(json["Total Samples"], "11025");
    // The report passes through untouched, CR LF and all.
    EXPECT_EQ(Host("report " + Quoted(kTagged)).out.rfind("MPEG-2 Layer 3\r\n33 Kbit VBR\r\n", 0),
              0u);
    // The same answers as lines.
    EXPECT_NE(Host("info " + Quoted(kTagged)).out.find("\nCompression: VBR (MPEG-2 Layer 3)\n"),
              std::string::npos);
}

TEST(HostGet, FieldsInTheOrderAskedAndAsJson) {
    CommandResult r = Host("get " + Quoted(kTagged) + " Artist Name 'Track #' Channels");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "\nShort\n\n1\n");
    r = Host("get --json " + Quoted(kTagged) + " Artist Name");
    EXPECT_EQ(nlohmann::json::parse(r.out), nlohmann::json({{"Name", "Short"}}));
    r = Host("get --all --json " + Quoted(kTagged));
    const nlohmann::json all = nlohmann::json::parse(r.out);
    EXPECT_EQ(all.value("Name", ""), "Short");
    EXPECT_EQ(all.value("Sample Rate", ""), "22050");
    EXPECT_FALSE(all.contains("Artist"));
    EXPECT_EQ(Host("get --all " + Quoted(kTagged)).out.find("Bitrate: 33\n"), 0u);
}

TEST(HostScan, WalksPastLoopsAndUnreadableFoldersAndSkipsBadFiles) {
    testfiles::TempDir dir;
    chmod(dir.Path().c_str(), 0755);
    const std::string odd = dir / "b/it's a \"name\" \xc3\xbc.MP3";
    ASSERT_EQ(RunCommand("mkdir -p " + Quoted(dir / "a/locked") + " " + Quoted(dir / "b") +
                         " && ln -s .. " + Quoted(dir / "a/up") + " && cp " + Quoted(kTagged) +
                         " " + Quoted(dir / "a/one.mp3") + " && cp " + Quoted(kTagged) + " " +
                         Quoted(odd) + " && cp " + Quoted(kTagged) + " " +
                         Quoted(dir / "a/locked/hidden.mp3") + " && echo x > " +
                         Quoted(dir / "b/bad.mp3") + " && echo x > " + Quoted(dir / "b/x.txt") +
                         " && cp " + Quoted(kLayer1) + " " + Quoted(dir / "b/layer1.mp3"))
                  .status,
              0);
    chmod((dir / "a/locked").c_str(), 0);
    const CommandResult r = RunCommand(Unprivileged() + HostBinary() + " scan --json " +
                                       Quoted(dir.Path()) + " </dev/null");
    EXPECT_EQ(r.status, 0) << r.err;
    const std::vector<nlohmann::json> lines = JsonLines(r.out);
    ASSERT_EQ(lines.size(), 2u) << r.out;
    EXPECT_EQ(lines[0]["path"], dir / "a/one.mp3");
    EXPECT_EQ(lines[1]["path"], odd);
    EXPECT_EQ(lines[1]["Name"], "Short");
    EXPECT_EQ(lines[1].size(), 9u) << "path, seven properties and the title";
    EXPECT_EQ(r.err, dir / "a/locked" + ": Permission denied\n" + dir / "b/bad.mp3" +
                         ": not an MPEG audio stream\n" + dir / "b/layer1.mp3" +
                         ": MPEG plugin does not support MPEG layer 1 files.\n");
}

// The host cannot see the plug-in's mapping table, so it keeps a copy of its
// names; a row added there must show up in `get --all`.
TEST(HostFieldNames, CopyOfTheMappingsHostNames) {
    std::vector<std::string> table;
    for (const ID3v2FieldRow& row : kID3v2FieldTable) {
        const std::string name = ZrString(row.hostName).ToUtf8();
        if (std::find(table.begin(), table.end(), name) == table.end()) table.push_back(name);
    }
    EXPECT_EQ(
        std::vector<std::string>(std::begin(hostfields::kMapped), std::end(hostfields::kMapped)),
        table);
}

} // namespace
