#include "QStringPrint.h"
#include "WaitForNextTask.h"
#include "WindowMessages.h"
#include "WorkCycleFixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gmock/gmock.h>

#include <atomic>
#include <chrono>
#include <thread>

using ::testing::ElementsAre;

namespace {

const QString kNoTask = QStringLiteral("暂时没有任务！");

class SelectionTest : public WorkCycleTest {
protected:
    void SetUp() override { makeCycle(fakePlatform()); }
};

TEST_F(SelectionTest, EachCheckPassesOverOrChoosesAsItShould)
{
    enum class Check { Yes, No, Garbage, NullRetmsg, Failure };
    const struct {
        const char *name;
        bool bViewed;
        int visitedDaysAgo; // -1: never
        Check check;
        bool bAsked;
        bool bChosen;
    } cases[] = {
        {"viewed mark", true, -1, Check::Yes, false, false},
        {"no history", false, -1, Check::Yes, true, true},
        {"3-day-old visit", false, 3, Check::Yes, true, true},
        {"8-day-old visit", false, 8, Check::Yes, false, false},
        {"checktask 0", false, -1, Check::No, true, false},
        {"checktask garbage", false, -1, Check::Garbage, true, true},
        {"checktask retmsg null", false, -1, Check::NullRetmsg, true, true},
        {"checktask failure", false, -1, Check::Failure, true, true},
    };
    int taskId = 100;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ++taskId;
        pool.ClearTaskList();
        addTask(taskId, 7, c.bViewed);
        cycle->FTaskIndex = 0;
        gbShowNoTaskNotice = true;
        boxes.clear();
        launches.clear();
        if (c.visitedDaysAgo >= 0)
            visit(taskId, c.visitedDaysAgo);
        {
            std::lock_guard guard(service.lock);
            if (c.check == Check::No)
                service.checkReplies[taskId] = ReplyBody(0, QStringLiteral("\"busy\""));
            if (c.check == Check::Garbage)
                service.checkReplies[taskId] = QByteArray("%%% not base64 json");
            if (c.check == Check::NullRetmsg)
                service.checkReplies[taskId] = ReplyBody(0, QStringLiteral("null"));
            if (c.check == Check::Failure)
                service.failingChecks.insert(taskId);
        }
        const auto askedBefore = checkedTaskIds().size();

        cycle->StartWork();

        EXPECT_EQ(checkedTaskIds().size() - askedBefore, c.bAsked ? 1u : 0u);
        EXPECT_EQ(cycle->FTaskIndex, 1);
        if (c.bChosen) {
            ASSERT_EQ(launches.size(), 1u);
            EXPECT_EQ(taskFileId(), taskId);
            EXPECT_TRUE(cycle->tmr_CheckResult().isActive());
            EXPECT_TRUE(boxes.boxes().empty());
        } else {
            EXPECT_TRUE(launches.empty());
            ASSERT_EQ(boxes.boxes().size(), 1u);
            EXPECT_EQ(boxes.boxes().front().text, kNoTask);
        }
        cycle->tmr_CheckResult().stop();
    }
    const auto asks = RequestsFor(server, QStringLiteral("checktask"));
    ASSERT_FALSE(asks.empty());
    EXPECT_TRUE(asks.front().body.endsWith("&action=checktask&taskid=102&otheruserid=7")) << asks.front().body.toStdString();
}

TEST_F(SelectionTest, ChecksRunInOrderAndTheChosenTaskIsHandedOver)
{
    addTask(1, 11, true);
    addTask(2, 12);
    addTask(3, 13);
    addTask(4, 14);
    addTask(5, 15);
    visit(2, 8);
    service.checkReplies[3] = ReplyBody(0, QStringLiteral("\"no\""));

    cycle->StartWork();

    EXPECT_THAT(checkedTaskIds(), ElementsAre(3, 4));
    EXPECT_EQ(cycle->FTaskIndex, 4);
    EXPECT_EQ(taskFileId(), 4);
    const std::string workerDir = QDir::toNativeSeparators(paths.currentDir).toStdString();
    const std::string cleanerDir = QDir::toNativeSeparators(paths.exeDir).toStdString();
    ASSERT_EQ(cleanerRuns.size(), 1u);
    EXPECT_EQ(cleanerRuns.front(), (std::vector<std::string>{"CCleaner.exe", "/AUTO", cleanerDir}));
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches.front(), (std::vector<std::string>{"web.exe", "", workerDir}));
    EXPECT_THAT(statusTexts(), ElementsAre(QStringLiteral("正在清理缓存文件，请等待...."), QStringLiteral("缓存文件清理完毕...")));
    EXPECT_THAT(blockLog, ElementsAre(true, false));
    EXPECT_TRUE(cycle->tmr_CheckResult().isActive());
}

TEST_F(SelectionTest, TheEndOfThePoolStopsOnceThenReloadsWithoutRevisiting)
{
    addTask(1, 11);
    addTask(2, 12);
    service.checkReplies[1] = ReplyBody(0, QStringLiteral("\"no\""));
    service.checkReplies[2] = ReplyBody(0, QStringLiteral("\"no\""));

    cycle->StartWork();
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes().front().text, kNoTask);
    EXPECT_EQ(boxes.boxes().front().title, QStringLiteral("提示"));
    EXPECT_EQ(boxes.boxes().front().icon, MessageBoxes::Icon::Information);
    EXPECT_FALSE(gbShowNoTaskNotice);
    EXPECT_EQ(selfReloads, 0);
    EXPECT_TRUE(RequestsFor(server, QStringLiteral("gettasklist")).empty());

    // Started again: both lists reload at once, the records passed over are not asked again,
    // and the posted restart works the new pool.
    service.taskLists.push_back(ReplyBody(1, u'[' + TaskJson(30, 31) + u']'));
    boxes.clear();
    cycle->StartWork();
    EXPECT_EQ(selfReloads, 1);
    EXPECT_EQ(RequestsFor(server, QStringLiteral("gettasklist")).size(), 1u);
    EXPECT_THAT(checkedTaskIds(), ElementsAre(1, 2));
    EXPECT_TRUE(launches.empty());
    EXPECT_TRUE(cycle->FbGetAllTaskListSuccess);
    EXPECT_EQ(cycle->FTaskIndex, 0);

    QCoreApplication::processEvents();
    EXPECT_EQ(window.startWorkPosts, 1);
    EXPECT_THAT(checkedTaskIds(), ElementsAre(1, 2, 30));
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(taskFileId(), 30);
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(SelectionTest, AnEmptyPoolSaysSoEveryTime)
{
    for (int round = 0; round < 2; ++round) {
        cycle->StartWork();
        ASSERT_EQ(boxes.boxes().size(), std::size_t(round + 1));
        EXPECT_EQ(boxes.boxes().back().text, kNoTask);
    }
    EXPECT_TRUE(gbShowNoTaskNotice) << "an empty pool is not the end of a pool";
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(SelectionTest, AHistoryErrorEndsTheSelectionWithoutARestart)
{
    addTask(1, 11);
    gbShowNoTaskNotice = false;
    store->DisconnectFromDb();
    QFile::remove(store->dbFile());
    QDir(paths.exeDir).rmdir(QStringLiteral("db"));

    cycle->OnWM_StartWork();
    EXPECT_EQ(cycle->FTaskIndex, 1);
    EXPECT_TRUE(server.requests().empty());
    QCoreApplication::processEvents();
    EXPECT_EQ(window.startWorkPosts, 0);
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(SelectionTest, AMalformedReloadEndsTheCycleWithoutARestart)
{
    gbShowNoTaskNotice = false;
    addTask(1, 11);
    cycle->FTaskIndex = 1;
    service.taskLists.push_back(ReplyBody(1, QStringLiteral(R"([{"taskid":"1"}])")));
    cycle->OnWM_StartWork();
    QCoreApplication::processEvents();
    EXPECT_EQ(window.startWorkPosts, 0);
    EXPECT_EQ(cycle->FTaskIndex, 1);
}

TEST_F(SelectionTest, APoolReloadedDuringTheCheckEndsTheSelectionQuietly)
{
    addTask(1, 11);
    addTask(2, 12);
    service.taskLists.push_back(ReplyBody(1, u'[' + TaskJson(40, 41) + u',' + TaskJson(50, 51) + u']'));
    service.onCheck = [this](int taskId) {
        if (taskId != 1)
            return;
        PostWindowMessage(&window, WM_RefreshTaskList);
        // Answer only once the nested reload is under way, so it runs inside this check's wait.
        for (int i = 0; i < 500 && RequestsFor(server, QStringLiteral("gettasklist")).empty(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    };
    const auto generation = pool.generation();

    cycle->StartWork();

    EXPECT_EQ(window.refreshPosts, 1);
    EXPECT_THAT(checkedTaskIds(), ElementsAre(1));
    EXPECT_TRUE(launches.empty());
    EXPECT_FALSE(QFile::exists(cycle->taskFilePath()));
    EXPECT_NE(pool.generation(), generation);
    ASSERT_EQ(pool.size(), 2);
    EXPECT_EQ(pool.at(0)->FTaskID + pool.at(1)->FTaskID, 90);
    EXPECT_EQ(cycle->FTaskIndex, 0);
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(SelectionTest, APoolReloadedDuringAReloadIsReplacedNotMixed)
{
    std::atomic<int> fetches = 0;
    server.setHandler([&](const TestHttpServer::Request &) {
        TestHttpServer::Reply reply;
        if (++fetches == 1) {
            PostWindowMessage(&window, WM_RefreshTaskList);
            while (fetches < 2)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            reply.body = ReplyBody(1, u'[' + TaskJson(1, 1) + u',' + TaskJson(2, 1) + u']');
        } else {
            reply.body = ReplyBody(1, u'[' + TaskJson(3, 1) + u']');
        }
        return reply;
    });

    cycle->GetTaskList();

    EXPECT_EQ(window.refreshPosts, 1);
    ASSERT_EQ(pool.size(), 2) << "the reply that arrived last replaces the nested one";
    EXPECT_EQ(pool.at(0)->FTaskID + pool.at(1)->FTaskID, 3);
}

TEST_F(SelectionTest, StartCommandsWarnLoadOrStart)
{
    window.bDispatch = false;
    cycle->btn_StartTaskClick();
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes().front().text, QStringLiteral("软件即将开始自动操作，在此过程中，请勿移动电脑鼠标！"));
    EXPECT_EQ(boxes.boxes().front().title, QStringLiteral("重要提示"));
    EXPECT_EQ(boxes.boxes().front().icon, MessageBoxes::Icon::Information);
    QCoreApplication::processEvents();
    EXPECT_EQ(window.startWorkPosts, 1);

    boxes.clear();
    cycle->act_StartWorkExecute();
    QCoreApplication::processEvents();
    EXPECT_EQ(window.refreshPosts, 1) << "never loaded: only load";
    EXPECT_TRUE(boxes.boxes().empty());

    cycle->FbGetAllTaskListSuccess = true;
    cycle->act_StartWorkExecute();
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes().front().text, QStringLiteral("当前任务列表为空，无法开始任务！"));
    EXPECT_EQ(boxes.boxes().front().title, QStringLiteral("提示"));

    boxes.clear();
    addTask(9, 19);
    cycle->act_StartWorkExecute();
    EXPECT_THAT(checkedTaskIds(), ElementsAre(9));
    EXPECT_EQ(launches.size(), 1u);
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(window.startWorkPosts, 1);
}

TEST_F(SelectionTest, FirstLoadTimerAndRefreshMessageLoadThePool)
{
    service.taskLists.push_back(ReplyBody(1, u'[' + TaskJson(1, 2) + u']'));
    service.taskLists.push_back(ReplyBody(1, u'[' + TaskJson(3, 4) + u',' + TaskJson(5, 6) + u']'));
    cycle->FTaskIndex = 5;
    cycle->tmr_GetTaskListTimer();
    EXPECT_EQ(selfReloads, 1);
    EXPECT_EQ(pool.size(), 1);
    EXPECT_EQ(cycle->FTaskIndex, 0);
    EXPECT_TRUE(cycle->FbGetAllTaskListSuccess);

    cycle->FTaskIndex = 1;
    PostWindowMessage(&window, WM_RefreshTaskList);
    QCoreApplication::processEvents();
    EXPECT_EQ(pool.size(), 2);
    EXPECT_EQ(cycle->FTaskIndex, 0);

    server.setReply(500, QByteArray());
    cycle->FTaskIndex = 1;
    cycle->OnWM_RefreshTaskList();
    EXPECT_TRUE(pool.isEmpty());
    EXPECT_EQ(cycle->FTaskIndex, 1);
    EXPECT_TRUE(cycle->FbGetAllTaskListSuccess);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_TRUE(boxes.boxes().front().text.startsWith(QStringLiteral("获取任务列表失败，请稍后再试！")));
}

class ResultTest : public WorkCycleTest {
protected:
    void SetUp() override { makeCycle(fakePlatform()); }
    bool hasVisit(int taskId)
    {
        const QDateTime now = clock.m_now;
        clock.m_now = now.addDays(30);
        const bool bVisited = store->bHasViewedInTaskInterval(taskId);
        clock.m_now = now;
        return bVisited;
    }
};

TEST_F(ResultTest, APollWhileTheWorkerRunsOnlyPollsAgain)
{
    bWorkerRunning = true;
    writeResultFile("[taskinfo]\r\ntaskid=1\r\nstatus=1\r\n");
    cycle->tmr_CheckResultTimer();
    EXPECT_TRUE(cycle->tmr_CheckResult().isActive());
    EXPECT_TRUE(server.requests().empty());
    EXPECT_TRUE(QFile::exists(cycle->resultFilePath()));

    bWorkerRunning = false;
    QFile::remove(cycle->resultFilePath());
    cycle->tmr_CheckResultTimer();
    EXPECT_FALSE(cycle->tmr_CheckResult().isActive()) << "no worker, no result: idle";
    EXPECT_FALSE(cycle->tmr_Wait().isActive());
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(ResultTest, TheResultIsReportedRecordedDeletedAndTheCountdownRuns)
{
    writeResultFile("[TASKINFO]\r\nTASKID=0x1F\r\nSTATUS=1\r\n");
    TfrmWaitForNextTask *countdown = cycle->frmWaitForNextTask();
    ASSERT_NE(countdown, nullptr);
    EXPECT_EQ(countdown->lbl_Info->text(), QStringLiteral("距离下次任务开始还有 0 秒"));

    cycle->tmr_CheckResultTimer();

    const auto reports = RequestsFor(server, QStringLiteral("updatetaskinfo"));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports.front().body.endsWith("&action=updatetaskinfo&taskid=31&status=1"));
    EXPECT_TRUE(hasVisit(31));
    EXPECT_FALSE(QFile::exists(cycle->resultFilePath()));
    EXPECT_THAT(statusTexts(), ElementsAre(QStringLiteral("距离下次任务开始还有2秒"), QStringLiteral("距离下次任务开始还有1秒"),
                                           QStringLiteral("距离下次任务开始还有0秒")));
    EXPECT_EQ(countdown->lbl_Info->text(), QStringLiteral("距离下次任务开始还有0秒"));
    EXPECT_FALSE(countdown->isVisible());
    EXPECT_FALSE(cycle->tmr_Wait().isActive());
    EXPECT_TRUE(cycle->tmr_CheckResult().isActive()) << "the last tick enables the poll";
    ASSERT_EQ(boxes.boxes().size(), 1u) << "the next selection ran on the empty pool";
    EXPECT_EQ(boxes.boxes().front().text, kNoTask);
}

TEST_F(ResultTest, TheVisitIsRecordedOnlyWhenTheReportWentThrough)
{
    const struct {
        int status;
        QByteArray body;
        bool bRecorded;
    } cases[] = {
        {200, ReplyBody(1, QStringLiteral("\"ok\"")), true},
        {200, ReplyBody(0, QStringLiteral("\"refused\"")), true},
        {200, QByteArray("garbage"), true},
        {500, QByteArray(), false},
    };
    int taskId = 60;
    for (const auto &c : cases) {
        ++taskId;
        service.updateStatus = c.status;
        service.updateBody = c.body;
        writeResultFile(QStringLiteral("[taskinfo]\r\ntaskid=%1\r\nstatus=2\r\n").arg(taskId).toLatin1());
        cycle->tmr_CheckResultTimer();
        EXPECT_EQ(hasVisit(taskId), c.bRecorded) << c.status;
        EXPECT_FALSE(QFile::exists(cycle->resultFilePath()));
        EXPECT_EQ(statusTexts().back(), QStringLiteral("距离下次任务开始还有0秒")) << "the countdown ran";
        cycle->tmr_CheckResult().stop();
    }
    EXPECT_TRUE(boxes.boxes().size() == 4u) << "no message about the report, only the empty pool's";
}

TEST_F(ResultTest, AnUnreadableResultFileEndsThePollAndStays)
{
    ASSERT_TRUE(QDir(paths.currentDir).mkdir(QStringLiteral("result.json")));
    cycle->tmr_CheckResultTimer();
    EXPECT_TRUE(server.requests().empty());
    EXPECT_TRUE(QFileInfo::exists(cycle->resultFilePath()));
    EXPECT_FALSE(cycle->tmr_Wait().isActive());
    EXPECT_FALSE(cycle->tmr_CheckResult().isActive());
}

TEST_F(ResultTest, StopAnsweredNoGoesOnAndYesStops)
{
    timings.countdownSeconds = 10'000;
    writeResultFile("[taskinfo]\r\ntaskid=5\r\nstatus=1\r\n");
    TfrmWaitForNextTask *countdown = cycle->frmWaitForNextTask();
    int tagAfterNo = -1;
    bool bVisibleAfterNo = false;
    int tagAfterYes = -1;
    QTimer::singleShot(60, countdown, [&] {
        EXPECT_TRUE(countdown->isVisible());
        boxes.queueAnswer(MessageBoxes::Answer::No);
        QTest::mouseClick(countdown->btn_StopTask, Qt::LeftButton);
        tagAfterNo = cycle->tmr_WaitTag();
        bVisibleAfterNo = countdown->isVisible() && cycle->tmr_Wait().isActive();
        QTest::keyClick(countdown, Qt::Key_Escape);
        QTimer::singleShot(60, countdown, [&] {
            boxes.queueAnswer(MessageBoxes::Answer::Yes);
            QTest::mouseClick(countdown->btn_StopTask, Qt::LeftButton);
            tagAfterYes = cycle->tmr_WaitTag();
        });
    });

    cycle->tmr_CheckResultTimer();

    EXPECT_TRUE(bVisibleAfterNo) << "No and Esc leave the countdown running";
    EXPECT_LT(tagAfterYes, tagAfterNo);
    EXPECT_GT(tagAfterYes, 0);
    EXPECT_FALSE(countdown->isVisible());
    EXPECT_FALSE(cycle->tmr_Wait().isActive());
    EXPECT_FALSE(cycle->tmr_CheckResult().isActive());
    EXPECT_EQ(statusTexts().back(), QString());
    ASSERT_EQ(boxes.boxes().size(), 2u);
    for (const auto &box : boxes.boxes()) {
        EXPECT_EQ(box.text, QStringLiteral("确定要停止任务吗？"));
        EXPECT_EQ(box.title, QStringLiteral("提示"));
        EXPECT_EQ(box.icon, MessageBoxes::Icon::Question);
        EXPECT_EQ(box.buttons, MessageBoxes::Buttons::YesNo);
    }
    QTest::qWait(50);
    EXPECT_TRUE(checkedTaskIds().empty());
}

TEST_F(ResultTest, TheCountdownWindowKeepsItsLayout)
{
    TfrmWaitForNextTask *countdown = cycle->frmWaitForNextTask();
    EXPECT_EQ(countdown->windowTitle(), QStringLiteral("请您等待"));
    EXPECT_TRUE(countdown->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(countdown->size(), QSize(416, 156));
    EXPECT_EQ(countdown->btn_StopTask->text(), QStringLiteral("停止任务"));
    EXPECT_EQ(countdown->lbl_Info->font().pixelSize(), 29);
    EXPECT_TRUE(countdown->lbl_Info->font().bold());
    countdown->grab().save(QCoreApplication::applicationDirPath() + QStringLiteral("/countdown-window.png"));
}

class CleaningTest : public WorkCycleTest {};

TEST_F(CleaningTest, MessagesAreHandledWhileTheCleanerRunsAndEverythingIsRestored)
{
    std::atomic<bool> bRelease = false;
    std::atomic<bool> bCleanerOnOtherThread = false;
    const auto uiThread = std::this_thread::get_id();
    WorkCycle::Platform platform = fakePlatform();
    platform.runHiddenAndWait = [&](const std::string &, const std::string &, const std::string &) {
        bCleanerOnOtherThread = std::this_thread::get_id() != uiThread;
        while (!bRelease)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return true;
    };
    makeCycle(platform);
    window.bDispatch = false;
    bool bBlockedWhileHandled = false;
    QTimer::singleShot(20, &window, [&] {
        bBlockedWhileHandled = blockLog.size() == 1 && blockLog.back();
        PostWindowMessage(&window, WM_RefreshTaskList);
        QTimer::singleShot(20, &window, [&] { bRelease = true; });
    });

    cycle->Q1Click();

    EXPECT_TRUE(bCleanerOnOtherThread);
    EXPECT_TRUE(bBlockedWhileHandled);
    EXPECT_EQ(window.refreshPosts, 1) << "a posted message was handled during the cleaning";
    EXPECT_THAT(blockLog, ElementsAre(true, false));
    EXPECT_THAT(statusTexts(), ElementsAre(QStringLiteral("正在清理缓存文件，请等待...."), QStringLiteral("缓存文件清理完毕...")));
}

TEST_F(CleaningTest, AMissingCleanerEndsTheCleaningAtOnce)
{
    WorkCycle::Platform platform = WorkCycle::Platform::system();
    platform.launchDetached = fakePlatform().launchDetached;
    makeCycle(platform);
    cycle->Q1Click();
    cycle->Q1Click();
    EXPECT_THAT(blockLog, ElementsAre(true, false, true, false));
    EXPECT_EQ(statusTexts().size(), 4u);
}

TEST_F(CleaningTest, TheSecurityNoticeIsLookedForOnce)
{
    for (bool bRunning : {false, true}) {
        bSafeSoftRunning = bRunning;
        boxes.clear();
        makeCycle(fakePlatform());
        cycle->tmr_CheckSafeSoft().start();
        QTest::qWait(80);
        EXPECT_FALSE(cycle->tmr_CheckSafeSoft().isActive());
        if (!bRunning) {
            EXPECT_TRUE(boxes.boxes().empty());
            continue;
        }
        ASSERT_EQ(boxes.boxes().size(), 1u);
        const auto &box = boxes.boxes().front();
        EXPECT_EQ(box.text, QStringLiteral("系统检测到您当前使用的机器安装了杀毒软件、防火墙类软件！\r\n"
                                           "在使用Zarnik软件过程中，为保证软件正常运作，请退出该类软件！"));
        EXPECT_EQ(box.title, QStringLiteral("系统提示"));
        EXPECT_EQ(box.icon, MessageBoxes::Icon::Warning);
        EXPECT_EQ(box.buttons, MessageBoxes::Buttons::Ok);
    }
}

} // namespace
