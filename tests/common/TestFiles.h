#pragma once
// File helpers shared by the test folders: whole-file reads and writes, a
// private temporary folder, and reading the gzip-compressed reference data.

#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace testfiles {

inline std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A file, or its gzip-compressed form (zlib reads plain files unchanged), so
// big references can stay compressed in the repository.
inline std::vector<uint8_t> ReadMaybeGzipped(const std::string& path) {
    std::vector<uint8_t> bytes;
    gzFile f = gzopen(path.c_str(), "rb");
    if (f == nullptr) return bytes;
    uint8_t block[65536];
    int n;
    while ((n = gzread(f, block, sizeof block)) > 0)
        bytes.insert(bytes.end(), block, block + n);
    gzclose(f);
    return bytes;
}

// A folder of the test's own under /tmp, removed with everything in it.
class TempDir {
public:
    TempDir() {
        char name[] = "/tmp/tonehall-test-XXXXXX";
        m_path = mkdtemp(name) ? name : "";
    }
    ~TempDir() {
        if (!m_path.empty()) (void)std::system(("rm -rf '" + m_path + "'").c_str());
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& file) const { return m_path + "/" + file; }

private:
    std::string m_path;
};

} // namespace testfiles
