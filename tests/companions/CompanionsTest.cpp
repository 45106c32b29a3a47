#include "PipeClient.h"
#include "ProcessScan.h"
#include "ProgramLaunch.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using zarnik::testing::ChildProcess;
using zarnik::testing::TempDir;
using zarnik::testing::programsDir;
using zarnik::testing::readFile;
using zarnik::testing::writeFile;

namespace {

const char kResult42[] = "[taskinfo]\r\ntaskid=42\r\nstatus=1\r\n\r\n";

fs::path worker()
{
    return programsDir() / "web.exe";
}

struct TaskFileCase {
    const char *name;
    std::string taskFile;
    std::string expectedResult;
};

std::string utf16le(const std::string &ascii)
{
    std::string out = "\xFF\xFE";
    for (char c : ascii) {
        out.push_back(c);
        out.push_back('\0');
    }
    return out;
}

class WorkerTaskFile : public ::testing::TestWithParam<TaskFileCase> {};

TEST_P(WorkerTaskFile, LeavesTheResultWithTheTaskIdAndStatusOne)
{
    zarnik::testing::setEnvironment("ZARNIK_WORKER_DELAY_MS", "50");
    TempDir dir;
    writeFile(dir.path() / "task.json", GetParam().taskFile);
    ChildProcess process(worker(), {}, dir.path());
    ASSERT_TRUE(process.started());
    EXPECT_EQ(process.waitForExit(60s), 0);
    EXPECT_EQ(readFile(dir.path() / "result.json"), GetParam().expectedResult);
    EXPECT_FALSE(fs::exists(dir.path() / "result.json.part"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WorkerTaskFile,
    ::testing::Values(
        TaskFileCase{"AnsiAsTheClientWritesIt",
                     "[taskinfo]\r\ntaskid=42\r\ngoodsurl=http://item.example/?id=7\r\ngoodsid=7\r\nkeyword=\xC5\xAE\xD7\xB0\r\n\r\n",
                     kResult42},
        TaskFileCase{"Utf8WithMarkAndOtherSections",
                     "\xEF\xBB\xBF[other]\r\ntaskid=9\r\n\r\n[taskinfo]\r\nkeyword=\xE5\xA5\xB3\xE8\xA3\x85\r\ntaskid=42\r\n\r\n",
                     kResult42},
        TaskFileCase{"Utf16WithMark", utf16le("[taskinfo]\r\ntaskid=42\r\nkeyword=x\r\n\r\n"), kResult42},
        TaskFileCase{"CapitalsAndHexadecimal", "[TASKINFO]\n  TaskID = 0x1F \n", "[taskinfo]\r\ntaskid=31\r\nstatus=1\r\n\r\n"},
        TaskFileCase{"MissingKeyReadsZero", "[taskinfo]\r\n;taskid=42\r\nkeyword=x\r\n",
                     "[taskinfo]\r\ntaskid=0\r\nstatus=1\r\n\r\n"}),
    [](const ::testing::TestParamInfo<TaskFileCase> &p) { return std::string(p.param.name); });

TEST(Worker, WithoutTaskFileLeavesNoResult)
{
    zarnik::testing::setEnvironment("ZARNIK_WORKER_DELAY_MS", "0");
    TempDir dir;
    ChildProcess process(worker(), {}, dir.path());
    ASSERT_TRUE(process.started());
    EXPECT_EQ(process.waitForExit(60s), 1);
    EXPECT_FALSE(fs::exists(dir.path() / "result.json"));
}

TEST(Worker, WaitsTheConfiguredTimeBeforeTheResult)
{
    zarnik::testing::setEnvironment("ZARNIK_WORKER_DELAY_MS", "800");
    TempDir dir;
    writeFile(dir.path() / "task.json", "[taskinfo]\r\ntaskid=42\r\n");
    const auto start = std::chrono::steady_clock::now();
    ChildProcess process(worker(), {}, dir.path());
    ASSERT_TRUE(process.started());
    EXPECT_EQ(process.waitForExit(60s), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 800ms);
    EXPECT_EQ(readFile(dir.path() / "result.json"), kResult42);
}

// The client's way: "web.exe" by bare name from the current folder, watched by its process name.
TEST(Worker, StartedByBareNameIsWatchedByNameUntilItLeavesItsResult)
{
    zarnik::testing::setEnvironment("ZARNIK_WORKER_DELAY_MS", "1500");
    TempDir dir;
    fs::copy_file(worker(), dir.path() / "web.exe");
    writeFile(dir.path() / "task.json", "[taskinfo]\r\ntaskid=42\r\ngoodsurl=u\r\ngoodsid=1\r\nkeyword=k\r\n\r\n");
    ASSERT_TRUE(LaunchDetached("web.exe", "", dir.path().string()));
    EXPECT_TRUE(zarnik::testing::waitUntil([] { return bProcessRunning("WEB.EXE"); }, 30s));
    EXPECT_TRUE(zarnik::testing::waitUntil([] { return !bProcessRunning("web.exe"); }, 60s));
    EXPECT_EQ(readFile(dir.path() / "result.json"), kResult42);
}

struct CleanerCase {
    std::vector<std::string> arguments;
    int exitCode;
};

class Cleaner : public ::testing::TestWithParam<CleanerCase> {};

TEST_P(Cleaner, AcceptsOnlyAuto)
{
    TempDir dir;
    ChildProcess process(programsDir() / "CCleaner.exe", GetParam().arguments, dir.path());
    ASSERT_TRUE(process.started());
    EXPECT_EQ(process.waitForExit(60s), GetParam().exitCode);
}

INSTANTIATE_TEST_SUITE_P(Cases, Cleaner,
                         ::testing::Values(CleanerCase{{"/AUTO"}, 0}, CleanerCase{{}, 2}, CleanerCase{{"/auto"}, 2},
                                           CleanerCase{{"/AUTO", "x"}, 2}));

TEST(Cleaner, RunHiddenAndWaitStartsItFromTheProgramFolder)
{
    TempDir dir;
    fs::copy_file(programsDir() / "CCleaner.exe", dir.path() / "CCleaner.exe");
    EXPECT_TRUE(RunHiddenAndWait("CCleaner.exe", "/AUTO", dir.path().string()));
}

TEST(PipeListener, PrintsOneLinePerSummary)
{
    TempDir dir;
    const fs::path output = dir.path() / "listener.txt";
    ChildProcess listener(programsDir() / ("zarnik-pipe-listener" + zarnik::testing::executableSuffix()),
                          {"--dir", dir.path().string(), "--count", "2"}, dir.path(), output);
    ASSERT_TRUE(listener.started());
    ASSERT_TRUE(zarnik::testing::waitUntil([&] { return readFile(output).find('\n') != std::string::npos; }, 60s));
    TPipeData first;
    first.hasStoppedTask = true;
    first.clickSum = 12;
    TPipeData second;
    second.clickSum = -5;
    EXPECT_TRUE(SendPipeData(first, dir.path().string(), 5000ms));
    EXPECT_TRUE(SendPipeData(second, dir.path().string(), 5000ms));
    EXPECT_EQ(listener.waitForExit(60s), 0);
    std::string text = readFile(output);
    std::erase(text, '\r');
    EXPECT_EQ(text.substr(text.find('\n') + 1), "flag=1 sum=12\nflag=0 sum=-5\n");
}

} // namespace
