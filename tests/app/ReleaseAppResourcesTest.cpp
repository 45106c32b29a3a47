#include "MainWindowFixture.h"

#include "ChannelSettings.h"
#include "Database.h"
#include "GlobalLoger.h"
#include "HeartbeatThread.h"
#include "ReleaseAppResources.h"
#include "SelfTaskList.h"
#include "TaskList.h"
#include "TestHttpServer.h"
#include "WindowMessages.h"

#include <QThread>
#include <QTimer>

namespace {

// The real clean-up behind the exit flow, with every long-lived object of a signed-in program.
class ReleaseAppResourcesTest : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        channelSettings().apiHost = QStringLiteral("127.0.0.1");
        channelSettings().apiPort = server.port();
        database = std::make_unique<Tdm_Database>(paths.exeDir + QStringLiteral("data.db"), clock);
        dm_Database = database.get();
        ASSERT_TRUE(dm_Database->CheckDb());
        gSelfTaskList = std::make_unique<TTaskList>();
        gSelfTaskList->append(std::make_unique<TTaskInfo>());
        gTaskList = std::make_unique<TTaskList>();
        gTaskList->append(std::make_unique<TTaskInfo>());
        gGlobalLoger = std::make_unique<TGlobalLoger>(paths.exeDir + QStringLiteral("logs/"));
        wiring.releaseAppResources = ReleaseAppResources;
    }

    void TearDown() override
    {
        server.releaseStalls();
        StopHeartbeat();
        MainWindowFixture::TearDown();
        dm_Database = nullptr;
    }

    TestHttpServer server;
    SystemClock clock;
    std::unique_ptr<Tdm_Database> database;
};

TEST_F(ReleaseAppResourcesTest, ExitWaitsForHeartbeatRequestInFlightThenFreesEverything)
{
    server.setHandler([](const TestHttpServer::Request &) {
        TestHttpServer::Reply reply;
        reply.stall = true;
        return reply;
    });
    Timings heartbeat;
    heartbeat.heartbeatStep = std::chrono::milliseconds(1);
    heartbeat.heartbeatStepsBeforeRequest = 1;
    StartHeartbeat(heartbeat);
    ASSERT_TRUE(server.waitForRequests(1, std::chrono::seconds(5)));

    // Looked at from inside the wait window's loop, while the request still hangs.
    bool bEndedDuringRequest = true;
    QTimer::singleShot(300, [&] {
        bEndedDuringRequest = !exits.codes.empty();
        server.releaseStalls();
    });
    boxes.queueAnswer(MessageBoxes::Answer::Ok);
    PostWindowMessage(&window(), WM_ExitApp);
    ASSERT_TRUE(WaitUntil([this] { return !exits.codes.empty(); }, 10000));

    EXPECT_FALSE(bEndedDuringRequest);
    EXPECT_EQ(exits.codes, std::vector<int>{0});
    EXPECT_EQ(gHeartbeatThread, nullptr);
    EXPECT_EQ(gSelfTaskList, nullptr);
    EXPECT_EQ(gTaskList, nullptr);
    EXPECT_EQ(gGlobalLoger, nullptr);
}

TEST_F(ReleaseAppResourcesTest, RunsWithNothingStartedAndTwice)
{
    ReleaseAppResources();
    ReleaseAppResources();
    EXPECT_EQ(gTaskList, nullptr);
    EXPECT_EQ(gSelfTaskList, nullptr);
    EXPECT_EQ(gGlobalLoger, nullptr);
}

} // namespace
