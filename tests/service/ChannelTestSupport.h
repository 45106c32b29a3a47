#pragma once

#include "ChannelSettings.h"
#include "TestHttpServer.h"

#include <gtest/gtest.h>

#include <QString>

#include <chrono>

// Points the process's channel at a fresh test server, with time-outs short enough for tests.
class ChannelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        using namespace std::chrono_literals;
        ChannelSettings &settings = channelSettings();
        settings.apiHost = QStringLiteral("127.0.0.1");
        settings.apiPort = server.port();
        settings.connectTimeout = 5s;
        settings.exchangeTimeout = 20s;
        settings.credentials.set({});
        server.setReply(200, TestHttpServer::base64Json(QStringLiteral(R"({"retcode":1,"retmsg":"ok"})")));
    }

    TestHttpServer server;
};
