#include "HeartbeatThread.h"

#include "ChannelSettings.h"
#include "TestHttpServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using SteadyClock = std::chrono::steady_clock;

namespace {

Timings shortTimings(Timings::ms step, int steps)
{
    Timings timings;
    timings.heartbeatStep = step;
    timings.heartbeatStepsBeforeRequest = steps;
    return timings;
}

struct HeartbeatFixture : ::testing::Test {
    TestHttpServer server;

    void SetUp() override
    {
        channelSettings().apiHost = QStringLiteral("127.0.0.1");
        channelSettings().apiPort = server.port();
        channelSettings().credentials.set({7, QStringLiteral("member"), QStringLiteral("secret")});
    }
    void TearDown() override
    {
        server.releaseStalls();
        StopHeartbeat();
    }
};

} // namespace

TEST_F(HeartbeatFixture, FirstRequestAfterTheWaitAndEachNextOneAWaitAfterTheExchangeEnded)
{
    const auto wait = 60ms;
    const auto replyDelay = 150ms;
    std::mutex lock;
    std::vector<SteadyClock::time_point> arrivals;
    server.setHandler([&](const TestHttpServer::Request &) {
        {
            std::lock_guard guard(lock);
            arrivals.push_back(SteadyClock::now());
        }
        std::this_thread::sleep_for(replyDelay);
        TestHttpServer::Reply reply;
        reply.body = TestHttpServer::base64Json(QStringLiteral(R"({"retcode":1,"retmsg":"ok"})"));
        return reply;
    });

    const auto started = SteadyClock::now();
    StartHeartbeat(shortTimings(10ms, 6));
    ASSERT_TRUE(server.waitForRequests(3, 10s));
    StopHeartbeat();
    EXPECT_EQ(gHeartbeatThread, nullptr);

    std::lock_guard guard(lock);
    ASSERT_GE(arrivals.size(), 3u);
    EXPECT_GE(arrivals[0] - started, wait);
    for (std::size_t i = 1; i < arrivals.size(); ++i)
        EXPECT_GE(arrivals[i] - arrivals[i - 1], replyDelay + wait) << "request " << i;

    for (const TestHttpServer::Request &request : server.requests()) {
        EXPECT_EQ(request.url, "/userapi.php");
        EXPECT_EQ(request.body, "userid=7&username=member&userpass=c2VjcmV0&action=heartbeat");
    }
}

TEST_F(HeartbeatFixture, FailuresAreDroppedAndTheNextAttemptFollowsAfterTheNormalWait)
{
    int served = 0;
    std::mutex lock;
    server.setHandler([&](const TestHttpServer::Request &) {
        std::lock_guard guard(lock);
        TestHttpServer::Reply reply;
        // An HTTP error, then a reply that is not base64 JSON, then one that is not an object.
        switch (served++) {
        case 0: reply.status = 500; break;
        case 1: reply.body = "{not base64 at all}"; break;
        default: reply.body = TestHttpServer::base64Json(QStringLiteral("[1,2]")); break;
        }
        return reply;
    });
    StartHeartbeat(shortTimings(5ms, 4));
    EXPECT_TRUE(server.waitForRequests(4, 10s));
    StopHeartbeat();
    EXPECT_EQ(gHeartbeatThread, nullptr);
}

TEST_F(HeartbeatFixture, StoppingDuringTheWaitSendsNothing)
{
    StartHeartbeat(shortTimings(100ms, 3000));
    ASSERT_NE(gHeartbeatThread, nullptr);
    StopHeartbeat();
    EXPECT_EQ(gHeartbeatThread, nullptr);
    EXPECT_TRUE(server.requests().empty());
    StopHeartbeat(); // a second stop finds nothing to stop
}

TEST_F(HeartbeatFixture, ExitWaitsForTheExchangeInFlightAndThenEndsWithoutAnotherRequest)
{
    TestHttpServer::Reply stalled;
    stalled.stall = true;
    server.setHandler([&](const TestHttpServer::Request &) { return stalled; });

    StartHeartbeat(shortTimings(5ms, 4));
    ASSERT_TRUE(server.waitForRequests(1, 10s));

    auto stopping = std::async(std::launch::async, [] { StopHeartbeat(); });
    EXPECT_EQ(stopping.wait_for(300ms), std::future_status::timeout)
        << "the stop must wait for the request in flight";
    EXPECT_NE(gHeartbeatThread, nullptr);

    server.releaseStalls();
    ASSERT_EQ(stopping.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(gHeartbeatThread, nullptr);

    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(server.requests().size(), 1u);
}
