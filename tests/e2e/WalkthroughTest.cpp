#include "ChannelSettings.h"
#include "HeartbeatThread.h"
#include "ServiceProcess.h"
#include "Timings.h"
#include "Walkthrough.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

namespace {

const QString kWarning = QStringLiteral("软件即将开始自动操作，在此过程中，请勿移动电脑鼠标！");
const QString kNoTask = QStringLiteral("暂时没有任务！");

bool WaitUntil(const std::function<bool()> &condition, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

// Member A through zarnik-call, member B as the client in this process with short timings, the
// service, the worker, the cleaner and the pipe listener as real processes in folders of their own.
class WalkthroughTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QDir root(dir.path());
        for (const char *folder : {"bin", "cwd", "tmp"})
            ASSERT_TRUE(root.mkpath(QString::fromLatin1(folder)));
        admin({QStringLiteral("adduser"), QStringLiteral("alice"), QStringLiteral("alice123")});
        admin({QStringLiteral("adduser"), QStringLiteral("bob"), QStringLiteral("bob123")});
        admin({QStringLiteral("addtask"), QStringLiteral("bob"), QStringLiteral("电热水壶"),
               QStringLiteral("https://item.taobao.com/item.htm?id=202"), QStringLiteral("202"), QStringLiteral("5")});

        serviceLog = root.filePath(QStringLiteral("service.log"));
        QString errorText;
        const int port = service.serve(serviceLog, errorText);
        ASSERT_NE(port, 0) << errorText.toStdString();

        const QString tempDir = root.filePath(QStringLiteral("tmp"));
        listenerLog = root.filePath(QStringLiteral("listener.log"));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TMPDIR"), tempDir);
        listener.setProcessEnvironment(environment);
        listener.setStandardOutputFile(listenerLog);
        listener.start(QStringLiteral(ZARNIK_PIPE_LISTENER_BINARY), {});
        ASSERT_TRUE(listener.waitForStarted(10000));
        ASSERT_TRUE(WaitUntil([&] { return QFile::exists(tempDir + QStringLiteral("/Zarnik")); }, 30000));

        setup.paths.exeDir = root.filePath(QStringLiteral("bin")) + QLatin1Char('/');
        setup.paths.exeFile = setup.paths.exeDir + QStringLiteral("zarnik");
        setup.paths.currentDir = root.filePath(QStringLiteral("cwd")) + QLatin1Char('/');
        setup.paths.tempDir = tempDir + QLatin1Char('/');
        ASSERT_TRUE(QFile::copy(QStringLiteral(ZARNIK_WORKER_BINARY), setup.paths.currentDir + QStringLiteral("web.exe")));
        ASSERT_TRUE(
            QFile::copy(QStringLiteral(ZARNIK_CLEANER_BINARY), setup.paths.exeDir + QStringLiteral("CCleaner.exe")));
        qputenv("ZARNIK_WORKER_DELAY_MS", "200");

        savedTimings = AppTimings();
        Timings &timings = AppTimings();
        timings.checkResult = std::chrono::milliseconds(100);
        timings.countdownTick = std::chrono::milliseconds(200);
        timings.countdownSeconds = 3;
        timings.taskFilePause = std::chrono::milliseconds(50);
        timings.heartbeatStep = std::chrono::milliseconds(10);
        timings.heartbeatStepsBeforeRequest = 20;
        savedApiHost = channelSettings().apiHost;
        savedApiPort = channelSettings().apiPort;
        channelSettings().apiHost = QStringLiteral("127.0.0.1");
        channelSettings().apiPort = port;

        setup.zarnikCall = QStringLiteral(ZARNIK_CALL_BINARY);
        setup.apiHost = QStringLiteral("127.0.0.1");
        setup.apiPort = port;
        setup.screenshotDir = QStringLiteral(ZARNIK_SCREENSHOT_DIR);
        QDir(setup.screenshotDir).removeRecursively();
        setup.listenerLog = listenerLog;
        setup.serviceLog = serviceLog;
        setup.memberA = {QStringLiteral("alice"), QStringLiteral("alice123")};
        setup.memberB = {QStringLiteral("bob"), QStringLiteral("bob123")};
        setup.print = [](const QString &text) { std::printf("%s\n", text.toUtf8().constData()); };
    }

    void TearDown() override
    {
        StopHeartbeat();
        AppTimings() = savedTimings;
        channelSettings().apiHost = savedApiHost;
        channelSettings().apiPort = savedApiPort;
        qunsetenv("ZARNIK_WORKER_DELAY_MS");
        StopProcess(listener);
        service.stop();
    }

    void admin(const QStringList &arguments)
    {
        QString errorText;
        ASSERT_TRUE(service.admin(arguments, errorText)) << errorText.toStdString();
    }

    QTemporaryDir dir;
    ServiceProcess service{QStringLiteral(ZARNIK_SERVICE_BINARY), dir.filePath(QStringLiteral("service.db"))};
    QString serviceLog;
    QString listenerLog;
    QProcess listener;
    WalkthroughSetup setup;
    Timings savedTimings;
    QString savedApiHost;
    int savedApiPort = 0;
};

TEST_F(WalkthroughTest, OneTaskTravelsFromMemberAThroughMemberBsClientAndBack)
{
    Walkthrough walk(setup);

    const std::optional<int> taskId =
        walk.MemberAAddsTask(QStringLiteral("紫砂茶壶"), QStringLiteral("https://item.taobao.com/item.htm?id=101"),
                             QStringLiteral("101"), 10);
    ASSERT_TRUE(taskId.has_value());

    ASSERT_TRUE(walk.MemberBSignsIn());
    EXPECT_EQ(walk.Pool(), QList<int>{*taskId});
    // Bob's own task has no visits and runs.
    EXPECT_EQ(walk.ListenerSummaries().value(0), QStringLiteral("flag=0 sum=0"));

    ASSERT_TRUE(walk.MemberBStartsWork());
    ASSERT_EQ(walk.boxes().size(), 1u);
    EXPECT_EQ(walk.boxes()[0].text, kWarning);
    EXPECT_EQ(walk.boxes()[0].title, QStringLiteral("重要提示"));

    // One full cycle: the countdown's end starts the next selection, which finds the pool done.
    EXPECT_EQ(walk.WorkUntilPoolEnds(), 1);
    ASSERT_EQ(walk.boxes().size(), 2u);
    EXPECT_EQ(walk.boxes()[1].text, kNoTask);
    EXPECT_FALSE(QFile::exists(setup.paths.currentDir + QStringLiteral("result.json")));

    const std::optional<QList<OwnTask>> ownList = walk.MemberAReadsOwnList();
    ASSERT_TRUE(ownList.has_value());
    ASSERT_EQ(ownList->size(), 1);
    EXPECT_EQ(ownList->at(0).taskId, *taskId);
    EXPECT_EQ(ownList->at(0).hasClickCount, 1);
    EXPECT_EQ(ownList->at(0).totalClickCount, 10);

    EXPECT_TRUE(walk.WaitForHeartbeat());

    EXPECT_EQ(walk.ExitFlow(), 0);
    ASSERT_EQ(walk.boxes().size(), 3u);
    EXPECT_EQ(walk.boxes()[2].icon, MessageBoxes::Icon::Question);

    const std::optional<std::vector<VisitRow>> rows = walk.VisitHistory();
    ASSERT_TRUE(rows.has_value());
    ASSERT_EQ(rows->size(), 1u);
    EXPECT_EQ(rows->at(0).taskId, *taskId);
    EXPECT_FALSE(rows->at(0).lastClickTime.isEmpty());

    for (const char *picture : {"01-login.png", "02-signed-in.png", "03-start-pressed.png", "04-countdown-1.png",
                                "05-cycle-ended.png", "06-before-exit.png"})
        EXPECT_TRUE(QFile::exists(QDir(setup.screenshotDir).filePath(QString::fromLatin1(picture)))) << picture;
}

} // namespace
