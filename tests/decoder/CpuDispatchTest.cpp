// The baseline and AVX2 builds of the hot loops must agree bit for bit: the
// output may not depend on the CPU. Every conformance stream, both builds.

#include "decoder/CpuDispatch.h"
#include "tests/decoder/DecodeHelpers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <dirent.h>

using namespace decodetest;

namespace {

std::vector<std::string> ConformanceStreams() {
    std::vector<std::string> names;
    DIR* dir = opendir(ConformancePath("").c_str());
    if (dir == nullptr) return names;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".bit") == 0)
            names.push_back(name.substr(0, name.size() - 4));
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

// Restores the load-time choice, whatever a test selected.
class CpuDispatchTest : public testing::Test {
protected:
    void TearDown() override { CpuDispatch::Select(m_initial); }
    const DecoderIsa m_initial = CpuDispatch::Active();
};

TEST_F(CpuDispatchTest, BuildsAgreeBitForBitOnEveryConformanceStream) {
    if (!CpuDispatch::Supported(DecoderIsa::Avx2)) GTEST_SKIP() << "no AVX2 on this CPU";
    const std::vector<std::string> streams = ConformanceStreams();
    ASSERT_GE(streams.size(), 20u);
    for (const std::string& name : streams) {
        ASSERT_TRUE(CpuDispatch::Select(DecoderIsa::Generic));
        const DecodedStream generic = DecodeConformance(name);
        ASSERT_TRUE(CpuDispatch::Select(DecoderIsa::Avx2));
        const DecodedStream avx2 = DecodeConformance(name);
        ASSERT_EQ(generic.samples.size(), avx2.samples.size()) << name;
        const size_t bytes = generic.samples.size() * sizeof(double);
        EXPECT_TRUE(bytes == 0 ||
                    std::memcmp(generic.samples.data(), avx2.samples.data(), bytes) == 0)
            << name;
    }
}

} // namespace
