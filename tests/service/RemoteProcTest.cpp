#include "ChannelTestSupport.h"
#include "RemoteProc.h"
#include "ReplyReader.h"

#include <QTcpServer>

#include <atomic>
#include <thread>

using namespace std::chrono_literals;

namespace {

QStringList actionLines(const QString &action)
{
    return {QStringLiteral("action=") + action};
}

// Calls the channel in polling mode with a reply buffer and an error text that hold stale content,
// so a test sees whether both are really assigned.
bool poll(const QStringList &fields, QByteArray &reply, QString &errorText)
{
    reply = "stale reply";
    errorText = QStringLiteral("stale error");
    return ExecRemoteProc(nullptr, &fields, &reply, false, errorText);
}

struct WireCase {
    const char *what;
    ChannelCredentials::Snapshot credentials;
    QStringList fields;
    QByteArray body;
};

} // namespace

TEST_F(ChannelTest, BodyOnTheWireCarriesCommonFieldsThenTheCallersLines)
{
    const QString password57 = QStringLiteral("密").repeated(19);
    const std::vector<WireCase> cases = {
        {"user id 0 before sign-in", {}, actionLines(QStringLiteral("getuserinfo")),
         "userid=0&username=&userpass=&action=getuserinfo"},
        {"password trimmed before encoding", {12, QStringLiteral("bob"), QStringLiteral("  secret \t")},
         actionLines(QStringLiteral("login")), "userid=12&username=bob&userpass=c2VjcmV0&action=login"},
        {"plus, slash and fill of the base64 percent-encoded", {3, QStringLiteral("bob"), QStringLiteral("?中?ü")},
         actionLines(QStringLiteral("x")), "userid=3&username=bob&userpass=P%2BS4rT%2FDvA%3D%3D&action=x"},
        {"57-byte password: 76 characters and CR LF", {3, QStringLiteral("bob"), password57},
         actionLines(QStringLiteral("x")),
         "userid=3&username=bob&userpass="
         "5a%2BG5a%2BG5a%2BG5a%2BG5a%2BG5a%2BG5a%2BG5a%2BG5a%2BG5a%2BG5a%2BG5a%2BG5a%2BG5a%2BG5a%2BG5a%2BG5a%2BG"
         "5a%2BG5a%2BG%0D%0A&action=x"},
        {"spaces, ampersands, equals signs and Chinese in values", {-1, QStringLiteral("张 三"), {}},
         {QStringLiteral("action=addtask"), QStringLiteral("keyword=a b&c=d 中"), QStringLiteral("k==v")},
         "userid=-1&username=%E5%BC%A0+%E4%B8%89&userpass=&action=addtask&keyword=a+b%26c%3Dd+%E4%B8%AD&k=%3Dv"},
        {"a line without an equals sign sent whole", {}, {QStringLiteral("action=x"), QStringLiteral("bare line&")},
         "userid=0&username=&userpass=&action=x&bare+line%26"},
        {"an empty field list still carries the common fields", {7, QStringLiteral("u"), QStringLiteral("p")}, {},
         "userid=7&username=u&userpass=cA%3D%3D"},
    };
    for (const WireCase &wire : cases) {
        SCOPED_TRACE(wire.what);
        const std::size_t before = server.requests().size();
        channelSettings().credentials.set(wire.credentials);
        QByteArray reply;
        QString errorText;
        ASSERT_TRUE(poll(wire.fields, reply, errorText)) << errorText.toStdString();
        const auto requests = server.requests();
        ASSERT_EQ(requests.size(), before + 1);
        EXPECT_EQ(requests.back().body.toStdString(), wire.body.toStdString());
    }
}

TEST_F(ChannelTest, RequestLineAndHeadersAreExactlyTheChannels)
{
    QByteArray reply;
    QString errorText;
    ASSERT_TRUE(poll(actionLines(QStringLiteral("login")), reply, errorText));

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    const TestHttpServer::Request &request = requests.front();
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.url, "/userapi.php");
    EXPECT_EQ(request.version, "HTTP/1.0");
    EXPECT_EQ(request.header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(request.header("User-Agent"), "Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like "
                                            "Gecko) Chrome/40.0.2214.111 Safari/537.36");
    EXPECT_EQ(request.header("Accept"), "text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8");
    EXPECT_EQ(request.header("Host"), "127.0.0.1:" + QByteArray::number(server.port()));
    EXPECT_EQ(request.header("Content-Length"), QByteArray::number(request.body.size()));
    for (const char *absent : {"Cookie", "Accept-Encoding", "Expect", "Transfer-Encoding"})
        EXPECT_FALSE(request.hasHeader(absent)) << absent;
}

TEST_F(ChannelTest, CookieOfOneExchangeIsNotSentByTheNext)
{
    server.setHandler([](const TestHttpServer::Request &) {
        TestHttpServer::Reply reply;
        reply.body = "x";
        reply.headers = {{"Set-Cookie", "session=abc; Path=/"}};
        return reply;
    });
    QByteArray reply;
    QString errorText;
    ASSERT_TRUE(poll(actionLines(QStringLiteral("a")), reply, errorText));
    ASSERT_TRUE(poll(actionLines(QStringLiteral("b")), reply, errorText));
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_FALSE(requests[1].hasHeader("Cookie"));
}

TEST_F(ChannelTest, MissingFieldListOrReplyBufferSendsNothing)
{
    const QStringList fields = actionLines(QStringLiteral("x"));
    QByteArray reply;
    QString errorText = QStringLiteral("stale");

    EXPECT_FALSE(ExecRemoteProc(nullptr, nullptr, &reply, false, errorText));
    EXPECT_EQ(errorText, QStringLiteral("请求参数未指定！"));
    EXPECT_FALSE(ExecRemoteProc(nullptr, nullptr, nullptr, true, errorText));
    EXPECT_EQ(errorText, QStringLiteral("请求参数未指定！")) << "the field list is checked first";
    EXPECT_FALSE(ExecRemoteProc(nullptr, &fields, nullptr, true, errorText));
    EXPECT_EQ(errorText, QStringLiteral("返回值未指定"));

    EXPECT_FALSE(server.waitForRequests(1, 200ms));
}

TEST_F(ChannelTest, StatusDecidesCompletionAndErrorStatusGivesItsStatusLine)
{
    struct StatusCase {
        int status;
        bool completes;
        const char *errorText;
    };
    const StatusCase cases[] = {
        {200, true, ""},
        {204, true, ""},
        {302, false, "HTTP/1.1 302 Found"},
        {404, false, "HTTP/1.1 404 Not Found"},
        {500, false, "HTTP/1.1 500 Internal Server Error"},
    };
    for (const StatusCase &status : cases) {
        SCOPED_TRACE(status.status);
        server.setHandler([&status](const TestHttpServer::Request &) {
            TestHttpServer::Reply reply;
            reply.status = status.status;
            reply.body = status.status == 204 ? QByteArray() : QByteArray("body of the reply");
            if (status.status == 302)
                reply.headers = {{"Location", "/elsewhere.php"}};
            return reply;
        });
        const std::size_t before = server.requests().size();
        QByteArray reply;
        QString errorText;
        EXPECT_EQ(poll(actionLines(QStringLiteral("x")), reply, errorText), status.completes);
        EXPECT_EQ(errorText.toStdString(), status.errorText);
        if (status.completes)
            EXPECT_EQ(reply, status.status == 204 ? QByteArray() : QByteArray("body of the reply"));
        else
            EXPECT_TRUE(reply.isEmpty()) << "a failed exchange leaves nothing to read";
        EXPECT_EQ(server.requests().size(), before + 1) << "a redirect is not followed";
    }
}

TEST_F(ChannelTest, EmptyBodyCompletesAndThenCannotBeRead)
{
    server.setReply(200, {});
    QByteArray reply;
    QString errorText;
    EXPECT_TRUE(poll(actionLines(QStringLiteral("x")), reply, errorText));
    EXPECT_TRUE(errorText.isEmpty());
    EXPECT_TRUE(reply.isEmpty());
    EXPECT_THROW(ReadReply(reply), ReplyError);
}

TEST_F(ChannelTest, LargeBinaryBodyArrivesByteForByte)
{
    QByteArray body(8 * 1024 * 1024, '\0');
    for (qsizetype i = 0; i < body.size(); ++i)
        body[i] = static_cast<char>(i * 7 % 256);
    server.setReply(200, body);
    QByteArray reply;
    QString errorText;
    ASSERT_TRUE(poll(actionLines(QStringLiteral("x")), reply, errorText));
    EXPECT_TRUE(reply == body);
}

TEST_F(ChannelTest, NothingListeningFailsWithTheHttpLayersMessage)
{
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    channelSettings().apiPort = probe.serverPort();
    probe.close();

    QByteArray reply;
    QString errorText;
    EXPECT_FALSE(poll(actionLines(QStringLiteral("x")), reply, errorText));
    EXPECT_TRUE(errorText.contains(QStringLiteral("Failed to connect"))) << errorText.toStdString();
    EXPECT_TRUE(reply.isEmpty());
}

TEST_F(ChannelTest, StalledServiceBecomesAnOrdinaryFailureAtTheTimeOut)
{
    server.setHandler([](const TestHttpServer::Request &) { return TestHttpServer::Reply{200, {}, {}, true}; });
    channelSettings().exchangeTimeout = 1s;

    QByteArray reply;
    QString errorText;
    EXPECT_FALSE(poll(actionLines(QStringLiteral("x")), reply, errorText));
    EXPECT_TRUE(errorText.contains(QStringLiteral("timed out"))) << errorText.toStdString();
    EXPECT_TRUE(reply.isEmpty());
}

TEST_F(ChannelTest, EachRequestCarriesOneConsistentCopyOfTheCredentials)
{
    const ChannelCredentials::Snapshot first{1, QStringLiteral("first"), QStringLiteral("one")};
    const ChannelCredentials::Snapshot second{2, QStringLiteral("second"), QStringLiteral("two")};
    channelSettings().credentials.set(first);
    std::atomic<bool> stop = false;
    std::thread writer([&] {
        for (int i = 0; !stop; ++i)
            channelSettings().credentials.set(i % 2 ? first : second);
    });
    for (int i = 0; i < 20; ++i) {
        QByteArray reply;
        QString errorText;
        EXPECT_TRUE(poll(actionLines(QStringLiteral("x")), reply, errorText));
    }
    stop = true;
    writer.join();
    for (const auto &request : server.requests()) {
        EXPECT_TRUE(request.body == "userid=1&username=first&userpass=b25l&action=x" ||
                    request.body == "userid=2&username=second&userpass=dHdv&action=x")
            << request.body.toStdString();
    }
}
