#include "WorkTestSupport.h"

#include "ChannelSettings.h"

#include <QUrlQuery>

QString FieldOf(const TestHttpServer::Request &request, const QString &name)
{
    QString body = QString::fromUtf8(request.body);
    body.replace(u'+', u' ');
    const QUrlQuery query(body);
    if (!query.hasQueryItem(name))
        return {};
    return query.queryItemValue(name, QUrl::FullyDecoded);
}

QString ActionOf(const TestHttpServer::Request &request)
{
    return FieldOf(request, QStringLiteral("action"));
}

std::vector<TestHttpServer::Request> RequestsFor(const TestHttpServer &server, const QString &action)
{
    std::vector<TestHttpServer::Request> matching;
    for (const auto &request : server.requests()) {
        if (ActionOf(request) == action)
            matching.push_back(request);
    }
    return matching;
}

QString TaskJson(int taskId, int userId, const QString &keyword)
{
    return QStringLiteral(R"({"taskid":%1,"userID":%2,"keyWord":"%3","goodsURL":"http://item/%1",)"
                          R"("goodsID":"g%1","LowestPrice":"1.5","HighestPrice":"9","SearchType":1,)"
                          R"("TotalClickCount":10,"HasClickCount":2,"Status":1,"AddTime":"2015-10-24 09:05:07"})")
        .arg(taskId)
        .arg(userId)
        .arg(keyword);
}

QByteArray ReplyBody(int retcode, const QString &retmsgJson)
{
    return TestHttpServer::base64Json(QStringLiteral(R"({"retcode":%1,"retmsg":%2})").arg(retcode).arg(retmsgJson));
}

ChannelToServer::ChannelToServer(const TestHttpServer &server)
    : m_host(channelSettings().apiHost), m_port(channelSettings().apiPort)
{
    channelSettings().apiHost = QStringLiteral("127.0.0.1");
    channelSettings().apiPort = server.port();
}

ChannelToServer::~ChannelToServer()
{
    channelSettings().apiHost = m_host;
    channelSettings().apiPort = m_port;
}
