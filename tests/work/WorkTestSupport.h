#pragma once

#include "TestHttpServer.h"

#include <QString>

// The "action" field of a request the channel sent.
QString ActionOf(const TestHttpServer::Request &request);
// A form field of a request, or a null string.
QString FieldOf(const TestHttpServer::Request &request, const QString &name);
// The requests with this action, in order of arrival.
std::vector<TestHttpServer::Request> RequestsFor(const TestHttpServer &server, const QString &action);

// A complete task object as the service writes one.
QString TaskJson(int taskId, int userId, const QString &keyword = QStringLiteral("kw"));
// A reply body: {"retcode":retcode,"retmsg":retmsgJson}.
QByteArray ReplyBody(int retcode, const QString &retmsgJson);

// Points the channel at the server for the lifetime of the object.
class ChannelToServer {
public:
    explicit ChannelToServer(const TestHttpServer &server);
    ~ChannelToServer();
    ChannelToServer(const ChannelToServer &) = delete;
    ChannelToServer &operator=(const ChannelToServer &) = delete;

private:
    QString m_host;
    int m_port;
};
