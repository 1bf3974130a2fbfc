// The tools stand-in's settings file over arbitrary contents. Byte 0 picks
// the value to write and its number; the rest is the file. Reads must agree
// with a second read, a write must read back, and a write keeps every value
// and every line it did not mean to change: the file is the user's, and
// other programs' sections share it.
#include "standins/ZrTools/CSettingsStore.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

void Check(bool condition) {
    if (!condition) abort();
}

const char* const kKeys[] = {"Plugins\\Input\\MP3", "Playback Engine", "a", "Plugins\\Input"};
const char* const kNames[] = {"ID3v1 Save Mode", "ID3v2 Save Mode", "ID3v2 Ignore",
                              "Play Files From Memory"};

// One file for the whole run, in memory where there is a tmpfs: every
// write syncs it. Kept on the heap: the exit handler that removes the file
// runs after static objects are gone.
const std::string& SettingsPath() {
    static const std::string* path = [] {
        const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        auto* p =
            new std::string(std::string(dir) + "/fuzz_settings_file." + std::to_string(getpid()));
        setenv("TONEHALL_SETTINGS", p->c_str(), 1);
        std::atexit([] {
            std::remove(SettingsPath().c_str());
            std::remove((SettingsPath() + ".lock").c_str());
        });
        return p;
    }();
    return *path;
}

std::vector<std::string> Lines(const std::string& contents) {
    std::vector<std::string> lines;
    std::istringstream in(contents);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string FileContents() {
    std::ifstream in(SettingsPath(), std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > 8192) return 0;
    const std::string& path = SettingsPath();
    const std::string contents(reinterpret_cast<const char*>(data + 1), size - 1);
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(contents.data(), 1, contents.size(), f);
        std::fclose(f);
    }

    int before[4][4];
    bool had[4][4];
    for (int k = 0; k < 4; ++k)
        for (int n = 0; n < 4; ++n) {
            before[k][n] = -12345;
            had[k][n] = CSettingsStore::ReadInt(kKeys[k], kNames[n], before[k][n]);
            if (!had[k][n]) Check(before[k][n] == -12345);
        }

    const int key = data[0] & 3, name = (data[0] >> 2) & 3, value = int(data[0] >> 4) - 8;
    Check(CSettingsStore::WriteInt(kKeys[key], kNames[name], value));
    int now = 0;
    Check(CSettingsStore::ReadInt(kKeys[key], kNames[name], now) && now == value);
    for (int k = 0; k < 4; ++k)
        for (int n = 0; n < 4; ++n) {
            if (k == key && n == name) continue;
            // Key paths nest only by name: "Plugins\Input" is not a parent.
            int again = -12345;
            Check(CSettingsStore::ReadInt(kKeys[k], kNames[n], again) == had[k][n]);
            Check(again == before[k][n]);
        }

    // Every old line survives in order, bar the one rewritten: what differs
    // between the common first and last lines is at most that line, and in
    // the new file its replacement or a blank line, section and value. (A
    // search for each old line in turn would stray on repeated lines.)
    const std::vector<std::string> oldLines = Lines(contents), newLines = Lines(FileContents());
    size_t head = 0;
    while (head < oldLines.size() && head < newLines.size() && oldLines[head] == newLines[head])
        ++head;
    size_t tail = 0;
    while (head + tail < oldLines.size() && head + tail < newLines.size() &&
           oldLines[oldLines.size() - 1 - tail] == newLines[newLines.size() - 1 - tail])
        ++tail;
    Check(oldLines.size() - head - tail <= 1);
    Check(newLines.size() - head - tail <= 3);
    return 0;
}
