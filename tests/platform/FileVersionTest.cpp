#include "FileVersion.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(GetFileVersionStr, MissingFileHasNoVersion)
{
    zarnik::testing::TempDir dir;
    EXPECT_EQ(GetFileVersionStr((dir.path() / "absent.exe").string()), "0.0.0.0");
}

#ifdef _WIN32

TEST(GetFileVersionStr, ReadsTheFourWordsOfTheVersionResource)
{
    // This test program carries a version resource made from ZARNIK_TEST_RESOURCE_VERSION.
    const auto self = zarnik::testing::executableDir() / "platform_tests.exe";
    EXPECT_EQ(GetFileVersionStr(self.string()), ZARNIK_TEST_RESOURCE_VERSION);
}

TEST(GetFileVersionStr, ProgramWithoutVersionResourceHasNoVersion)
{
    EXPECT_EQ(GetFileVersionStr(zarnik::testing::probeProgram().string()), "0.0.0.0");
}

#else

TEST(GetFileVersionStr, ExistingProgramHasTheCompiledInVersion)
{
    EXPECT_EQ(GetFileVersionStr(zarnik::testing::probeProgram().string()), ZARNIK_PROJECT_VERSION);
}

#endif

} // namespace
