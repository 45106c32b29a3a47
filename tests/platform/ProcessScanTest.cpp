#include "ProcessScan.h"
#include "ProcessScanMatch.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using zarnik::testing::ChildProcess;
using zarnik::testing::TempDir;

namespace {

struct MatchCase {
    const char *executable;
    const char *wanted;
    bool matches;
};

class ExecutableNameMatch : public ::testing::TestWithParam<MatchCase> {};

TEST_P(ExecutableNameMatch, ComparesFileNameOrWholeNameIgnoringAsciiCase)
{
    EXPECT_EQ(zarnik::platform::executableNameMatches(GetParam().executable, GetParam().wanted), GetParam().matches);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExecutableNameMatch,
    ::testing::Values(MatchCase{"ksafesvc.exe", "KSafeSvc.exe", true},
                      MatchCase{"C:\\Program Files\\360\\360TRAY.EXE", "360tray.exe", true},
                      MatchCase{"/opt/qq/QQPCTray.exe", "qqpctray.exe", true},
                      MatchCase{"C:\\tools\\web.exe", "C:\\TOOLS\\WEB.EXE", true},
                      MatchCase{"web.exe", "web.ex", false},
                      MatchCase{"web.exe", "xweb.exe", false},
                      MatchCase{"web.exe.bak", "web.exe", false},
                      // Only a to z are folded: other bytes must match exactly.
                      MatchCase{"\xC3\xA4.exe", "\xC3\x84.exe", false},
                      MatchCase{"", "web.exe", false},
                      // A process still starting can show an empty name; nothing asks for one.
                      MatchCase{"", "", false},
                      MatchCase{"C:\\tools\\", "", false}));

// A copy of the probe under a name of its own, started for the scan to find.
class RenamedProbe {
public:
    RenamedProbe(const TempDir &dir, const std::string &fileName)
        : m_path(dir.path() / fileName)
    {
        fs::copy_file(zarnik::testing::probeProgram(), m_path);
        m_process = std::make_unique<ChildProcess>(m_path, std::vector<std::string>{"/SLEEP", "60000"}, dir.path());
    }
    ChildProcess &process() { return *m_process; }

private:
    fs::path m_path;
    std::unique_ptr<ChildProcess> m_process;
};

std::string uniqueName(const char *prefix, const char *suffix)
{
    return prefix + std::to_string(zarnik::testing::currentProcessId()) + suffix;
}

TEST(ProcessScan, FindsARenamedRunningCopyWithCaseIgnoredAndLosesItWhenItEnds)
{
    TempDir dir;
    const std::string fileName = uniqueName("ZP", ".EXE");
    const std::string asked = uniqueName("zp", ".exe");
    EXPECT_FALSE(bProcessRunning(asked));
    RenamedProbe probe(dir, fileName);
    ASSERT_TRUE(probe.process().started());
    EXPECT_TRUE(zarnik::testing::waitUntil([&] { return bProcessRunning(asked); }, 10s));
    probe.process().kill();
    EXPECT_FALSE(bProcessRunning(asked));
}

TEST(ProcessScan, FindsItsOwnProgramAndNotAnUnknownName)
{
    const std::string own = "platform_tests" + zarnik::testing::executableSuffix();
    EXPECT_TRUE(bProcessRunning(own));
    EXPECT_FALSE(bProcessRunning(uniqueName("no-such-program-", ".exe")));
    EXPECT_FALSE(bProcessRunning(""));
}

#ifdef _WIN32

// Only here: elsewhere other tests of the build may ask the same machine-wide question meanwhile.
TEST(SafeSoftScan, FindsTheLastNameOfTheListInAnyLetterCase)
{
    TempDir dir;
    EXPECT_FALSE(bSafeSoftRunning());
    RenamedProbe probe(dir, "qqpctray.exe");
    ASSERT_TRUE(probe.process().started());
    EXPECT_TRUE(zarnik::testing::waitUntil([] { return bSafeSoftRunning(); }, 10s));
    probe.process().kill();
    EXPECT_FALSE(bSafeSoftRunning());
}

#else

TEST(ProcessScan, NameLongerThanTheKernelKeepsIsStillFound)
{
    TempDir dir;
    const std::string fileName = uniqueName("zarnik-long-probe-name-", ".exe");
    ASSERT_GT(fileName.size(), 15u);
    RenamedProbe probe(dir, fileName);
    ASSERT_TRUE(probe.process().started());
    EXPECT_TRUE(zarnik::testing::waitUntil([&] { return bProcessRunning(fileName); }, 10s));
}

TEST(ProcessScan, FindsAScriptByItsOwnFileName)
{
    TempDir dir;
    const fs::path script = dir.path() / uniqueName("ws", ".exe");
    zarnik::testing::writeFile(script, "#!/bin/sh\nsleep 60\n");
    fs::permissions(script, fs::perms::owner_all);
    ChildProcess process(script, {}, dir.path());
    ASSERT_TRUE(process.started());
    EXPECT_TRUE(zarnik::testing::waitUntil([&] { return bProcessRunning(uniqueName("WS", ".EXE")); }, 10s));
}

TEST(ProcessScan, SkipsAZombie)
{
    TempDir dir;
    const std::string fileName = uniqueName("zz", ".exe");
    const fs::path copy = dir.path() / fileName;
    fs::copy_file(zarnik::testing::probeProgram(), copy);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        char *argv[] = {const_cast<char *>(copy.c_str()), const_cast<char *>("/SLEEP"), const_cast<char *>("0"),
                        nullptr};
        ::execv(copy.c_str(), argv);
        _exit(127);
    }
    // Not collected yet: the ended child stays behind as a zombie with the probe's name.
    const std::string statPath = "/proc/" + std::to_string(pid) + "/stat";
    const bool zombie = zarnik::testing::waitUntil(
        [&] {
            const std::string stat = zarnik::testing::readFile(statPath);
            const size_t close = stat.rfind(')');
            return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] == 'Z';
        },
        10s);
    EXPECT_TRUE(zombie);
    EXPECT_FALSE(bProcessRunning(fileName));
    ::waitpid(pid, nullptr, 0);
}

#endif

} // namespace
