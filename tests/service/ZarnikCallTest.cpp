#include "TestHttpServer.h"

#include <gtest/gtest.h>

#include <QProcess>

namespace {

struct ToolRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

ToolRun runTool(const QStringList &arguments)
{
    QProcess tool;
    tool.start(QStringLiteral(ZARNIK_CALL_PROGRAM), arguments);
    tool.closeWriteChannel();
    ToolRun run;
    if (!tool.waitForFinished(30'000) || tool.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = tool.exitCode();
    run.out = tool.readAllStandardOutput();
    run.err = tool.readAllStandardError();
    return run;
}

class ZarnikCall : public ::testing::Test {
protected:
    QStringList at(QStringList arguments) const
    {
        return QStringList{QStringLiteral("--host"), QStringLiteral("127.0.0.1"), QStringLiteral("--port"),
                           QString::number(server.port())} +
               arguments;
    }

    TestHttpServer server;
};

} // namespace

TEST_F(ZarnikCall, BadUsageExitsWith64AndTheUsageText)
{
    const QStringList cases[] = {
        {},
        {QStringLiteral("--port")},
        {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("login")},
        {QStringLiteral("--port"), QStringLiteral("65536"), QStringLiteral("login")},
        {QStringLiteral("--userid"), QStringLiteral("seven"), QStringLiteral("login")},
        {QStringLiteral("--verbose"), QStringLiteral("1"), QStringLiteral("login")},
        {QStringLiteral("--user"), QStringLiteral("bob")},
    };
    for (const QStringList &arguments : cases) {
        SCOPED_TRACE(arguments.join(u' ').toStdString());
        const ToolRun run = runTool(arguments);
        EXPECT_EQ(run.exitCode, 64);
        EXPECT_TRUE(run.err.startsWith("usage: zarnik-call")) << run.err.toStdString();
    }
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(ZarnikCall, SendsTheOptionsAndLinesInOrderAndPrintsTheDecodedReply)
{
    const QString json = QStringLiteral(R"({"retcode":1,"retmsg":"成功"})");
    server.setReply(200, TestHttpServer::base64Json(json));
    const ToolRun run = runTool(at({QStringLiteral("--user"), QStringLiteral("张三"), QStringLiteral("--pass"),
                                QStringLiteral(" pw "), QStringLiteral("--userid"), QStringLiteral("9"),
                                QStringLiteral("addtask"), QStringLiteral("keyword=a b&c"), QStringLiteral("bare"),
                                QStringLiteral("--x=1")}));
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, json.toUtf8());
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].body,
              "userid=9&username=%E5%BC%A0%E4%B8%89&userpass=cHc%3D&action=addtask&keyword=a+b%26c&bare&--x=1");
}

TEST_F(ZarnikCall, ExitStatusFollowsTheReply)
{
    struct ReplyCase {
        const char *what;
        int status;
        QByteArray body;
        int exitCode;
        QByteArray out;
        QByteArray errStart;
    };
    const ReplyCase cases[] = {
        {"refused", 200, TestHttpServer::base64Json(QStringLiteral(R"({"retcode":0,"retmsg":"no"})")), 1,
         R"({"retcode":0,"retmsg":"no"})", ""},
        {"retcode not an integer", 200, TestHttpServer::base64Json(QStringLiteral(R"({"retcode":1.0})")), 2,
         R"({"retcode":1.0})", "unreadable reply"},
        {"not JSON, printed as far as it decodes", 200, TestHttpServer::base64Json(QStringLiteral("not json")), 2,
         "not json", "unreadable reply"},
        {"error status", 404, "missing", 2, "", "HTTP/1.1 404 Not Found\n"},
    };
    for (const ReplyCase &reply : cases) {
        SCOPED_TRACE(reply.what);
        server.setReply(reply.status, reply.body);
        const ToolRun run = runTool(at({QStringLiteral("getuserinfo")}));
        EXPECT_EQ(run.exitCode, reply.exitCode);
        EXPECT_EQ(run.out, reply.out);
        EXPECT_TRUE(run.err.startsWith(reply.errStart)) << run.err.toStdString();
    }
}
