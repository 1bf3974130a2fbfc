#pragma once
// The Debian programs that tests use as oracles (encoders, mpg123, mutagen):
// finding them and running them. A missing oracle skips its test, unless the
// run insists on every oracle with TONEHALL_REQUIRE_TOOLS=1, as CI does.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace testtools {

inline bool HaveTool(const std::string& name) {
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

inline bool ToolsRequired() {
    const char* v = std::getenv("TONEHALL_REQUIRE_TOOLS");
    return v != nullptr && std::string(v) == "1";
}

inline bool Run(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

// Standard output of `command`; *status gets its exit status.
inline std::string Capture(const std::string& command, int* status = nullptr) {
    std::string out;
    int rc = -1;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0)
            out.append(buf, n);
        rc = pclose(p);
    }
    if (status) *status = rc;
    return out;
}

} // namespace testtools

// In a test body: skip (or fail, when oracles are required) unless `available`.
#define TEST_REQUIRE(available, what)                                                              \
    do {                                                                                           \
        if (!(available)) {                                                                        \
            if (testtools::ToolsRequired()) FAIL() << (what) << " is not available";               \
            GTEST_SKIP() << (what) << " is not available";                                         \
        }                                                                                          \
    } while (0)

#define TEST_REQUIRE_TOOL(name) TEST_REQUIRE(testtools::HaveTool(name), name)
