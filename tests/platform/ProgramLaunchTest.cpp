#include "ArgumentSplit.h"
#include "ProgramLaunch.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using zarnik::testing::TempDir;

namespace {

struct SplitCase {
    const char *text;
    std::vector<std::string> expected;
};

class ArgumentSplitting : public ::testing::TestWithParam<SplitCase> {};

TEST_P(ArgumentSplitting, FollowsTheWindowsRuntimeRules)
{
    EXPECT_EQ(zarnik::platform::splitArguments(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ArgumentSplitting,
                         ::testing::Values(SplitCase{"", {}}, SplitCase{"   ", {}}, SplitCase{"/AUTO", {"/AUTO"}},
                                           SplitCase{"  a \t b  ", {"a", "b"}},
                                           SplitCase{"\"two words\" x", {"two words", "x"}},
                                           SplitCase{"\"\"", {""}},
                                           SplitCase{"a\\\"b", {"a\"b"}},
                                           SplitCase{"C:\\dir\\ \"C:\\a b\\\\\"", {"C:\\dir\\", "C:\\a b\\"}},
                                           SplitCase{"ab\"c d\"e", {"abc de"}}));

std::string copyProbeTo(const TempDir &dir, const std::string &fileName)
{
    fs::copy_file(zarnik::testing::probeProgram(), dir.path() / fileName);
    return fileName;
}

TEST(RunHiddenAndWait, WaitsForTheProgramStartedInTheWorkFolderWithItsArguments)
{
    TempDir dir;
    const std::string name = copyProbeTo(dir, "cleaner-probe" + zarnik::testing::executableSuffix());
    ASSERT_TRUE(RunHiddenAndWait(name, "/AUTO \"two words\" x", dir.path().string()));
    // The probe writes its file only after a pause, so the file proves the wait.
    EXPECT_EQ(zarnik::testing::readFile(dir.path() / "probe-ran.txt"), "/AUTO\ntwo words\nx\n");
}

TEST(RunHiddenAndWait, MissingProgramFailsAtOnce)
{
    TempDir dir;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(RunHiddenAndWait("CCleaner" + zarnik::testing::executableSuffix(), "/AUTO", dir.path().string()));
    EXPECT_FALSE(RunHiddenAndWait((dir.path() / "absent" / "x.exe").string(), "", dir.path().string()));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
}

TEST(LaunchDetached, StartsABareNameFromTheWorkFolderWithoutWaiting)
{
    TempDir dir;
    const std::string name = copyProbeTo(dir, "worker-probe" + zarnik::testing::executableSuffix());
    ASSERT_TRUE(LaunchDetached(name, "/AUTO detached", dir.path().string()));
    EXPECT_FALSE(fs::exists(dir.path() / "probe-ran.txt"));
    EXPECT_TRUE(zarnik::testing::waitUntil([&] { return fs::exists(dir.path() / "probe-ran.txt"); }, 20s));
    EXPECT_TRUE(zarnik::testing::waitUntil(
        [&] { return zarnik::testing::readFile(dir.path() / "probe-ran.txt") == "/AUTO\ndetached\n"; }, 5s));
#ifndef _WIN32
    // Nothing of the launch is left for us to collect: no zombie can remain.
    int status = 0;
    EXPECT_EQ(::waitpid(-1, &status, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
#endif
}

TEST(LaunchDetached, MissingProgramFails)
{
    TempDir dir;
    EXPECT_FALSE(LaunchDetached("web" + zarnik::testing::executableSuffix(), "", dir.path().string()));
}

} // namespace
