// The tools library stand-in lies in the build's lib folder, not beside the
// test binary; the loader looks where TONEHALL_LIBRARY_DIR points.
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

class TagsEnvironment : public ::testing::Environment {
public:
    void SetUp() override { setenv("TONEHALL_LIBRARY_DIR", TONEHALL_LIB_DIR, 0); }
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new TagsEnvironment);

} // namespace
