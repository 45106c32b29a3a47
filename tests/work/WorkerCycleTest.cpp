#include "IniFile.h"
#include "ProcessScan.h"
#include "QStringPrint.h"
#include "WaitForNextTask.h"
#include "WorkCycleFixture.h"

#include <QFile>
#include <QTest>

namespace {

bool copyProgram(const QString &name, const QString &toDir)
{
    const QString target = toDir + name;
    return QFile::copy(QStringLiteral(ZARNIK_BIN_DIR "/") + name, target)
           && QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::ExeOwner);
}

class WorkerCycleTest : public WorkCycleTest {
protected:
    void SetUp() override
    {
        // The lock holds only within one ctest run; let a worker of another run finish first.
        ASSERT_TRUE(QTest::qWaitFor([] { return !bProcessRunning("web.exe"); }, 60000));
        ASSERT_TRUE(copyProgram(QStringLiteral("web.exe"), paths.currentDir));
        ASSERT_TRUE(copyProgram(QStringLiteral("CCleaner.exe"), paths.exeDir));
        qputenv("ZARNIK_WORKER_DELAY_MS", "300");
        timings.checkResult = Timings::ms(100);
        timings.countdownSeconds = 2;
        makeCycle(WorkCycle::Platform::system());
    }
};

TEST_F(WorkerCycleTest, ARealWorkerGoesThroughOneWholeCycle)
{
    addTask(77, 5);
    pool.at(0)->FKeyword = QStringLiteral("连衣裙");

    cycle->StartWork();
    ASSERT_TRUE(cycle->tmr_CheckResult().isActive());
    EXPECT_TRUE(QTest::qWaitFor([] { return bProcessRunning("web.exe"); }, 2000)) << "the worker was started";
    // Once the worker has gone the poll reports, the countdown runs, and the next selection finds
    // the end of this one-task pool.
    EXPECT_TRUE(QTest::qWaitFor([this] { return !boxes.boxes().empty(); }, 15000));

    const auto reports = RequestsFor(server, QStringLiteral("updatetaskinfo"));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(FieldOf(reports.front(), QStringLiteral("taskid")), QStringLiteral("77"));
    EXPECT_EQ(FieldOf(reports.front(), QStringLiteral("status")), QStringLiteral("1"));
    clock.m_now = clock.m_now.addDays(7);
    EXPECT_TRUE(store->bHasViewedInTaskInterval(77)) << "the visit was recorded";
    EXPECT_FALSE(QFile::exists(cycle->resultFilePath()));
    IniFile taskFile;
    taskFile.load(cycle->taskFilePath());
    EXPECT_EQ(taskFile.value(QStringLiteral("taskinfo"), QStringLiteral("keyword")), QStringLiteral("连衣裙"));
    EXPECT_EQ(statusTexts().back(), QStringLiteral("距离下次任务开始还有0秒"));
    EXPECT_EQ(boxes.boxes().front().text, QStringLiteral("暂时没有任务！"));
    EXPECT_FALSE(cycle->frmWaitForNextTask()->isVisible());
    EXPECT_FALSE(bProcessRunning("web.exe"));
}

} // namespace
