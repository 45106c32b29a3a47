#include "OwnTasksFixture.h"

#include "ChannelSettings.h"
#include "WindowMessages.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLocalSocket>
#include <QTest>
#include <QUrlQuery>
#include <QVBoxLayout>

bool MainWindowStub::event(QEvent *event)
{
    if (event->type() == EventTypeOf(WM_RefreshSelfTaskList)) {
        ++refreshPosts;
        return true;
    }
    return QWidget::event(event);
}

PipeListener::PipeListener(const QString &tempDir)
{
    QObject::connect(&m_server, &QLocalServer::newConnection, &m_server, [this] {
        while (QLocalSocket *socket = m_server.nextPendingConnection()) {
            m_received.emplace_back();
            const std::size_t slot = m_received.size() - 1;
            auto readAll = [this, socket, slot] { m_received[slot] += socket->readAll(); };
            QObject::connect(socket, &QLocalSocket::readyRead, socket, readAll);
            QObject::connect(socket, &QLocalSocket::disconnected, socket, readAll);
            readAll();
        }
    });
    m_server.listen(tempDir + QStringLiteral("Zarnik"));
}

bool PipeListener::waitForSummaries(int count, int timeoutMs)
{
    return QTest::qWaitFor(
        [&] {
            int complete = 0;
            for (const QByteArray &bytes : m_received)
                complete += bytes.size() >= 20 ? 1 : 0;
            return complete >= count;
        },
        timeoutMs);
}

std::vector<QByteArray> PipeListener::summaries() const
{
    return m_received;
}

QString TaskJson(int taskId, int status, int total, int done, const QString &keyword, const QString &goodsUrl)
{
    return QStringLiteral(R"({"taskid":%1,"userID":5,"keyWord":"%2","goodsURL":"%3","goodsID":"g%1",)"
                          R"("LowestPrice":"1.5","HighestPrice":"9","SearchType":1,"TotalClickCount":%4,)"
                          R"("HasClickCount":%5,"Status":%6,"AddTime":"2026-12-0%7 10:00:00"})")
        .arg(taskId)
        .arg(keyword, goodsUrl)
        .arg(total)
        .arg(done)
        .arg(status)
        .arg(taskId % 9 + 1);
}

QByteArray ReplyBody(int retcode, const QString &retmsgJson)
{
    return TestHttpServer::base64Json(QStringLiteral(R"({"retcode":%1,"retmsg":%2})").arg(retcode).arg(retmsgJson));
}

QByteArray ListReply(const QStringList &elements)
{
    return ReplyBody(1, u'[' + elements.join(u',') + u']');
}

QByteArray SummaryBytes(bool bHasStoppedTask, int clickSum)
{
    QByteArray bytes(20, '\0');
    bytes[1] = bHasStoppedTask ? 1 : 0;
    for (int i = 0; i < 4; ++i)
        bytes[4 + i] = char((quint32(clickSum) >> (8 * i)) & 0xff);
    const char marker[] = "7590";
    for (int i = 0; i < 4; ++i)
        bytes[8 + 2 * i] = marker[i];
    return bytes;
}

OwnTasksFixture::OwnTasksFixture()
{
    paths.exeDir = temp.path() + QStringLiteral("/exe/");
    paths.exeFile = paths.exeDir + QStringLiteral("zarnik");
    paths.currentDir = temp.path() + u'/';
    paths.tempDir = temp.path() + u'/';
    timings.pipeBusyWait = std::chrono::milliseconds(200);

    m_savedHost = channelSettings().apiHost;
    m_savedPort = channelSettings().apiPort;
    channelSettings().apiHost = QStringLiteral("127.0.0.1");
    channelSettings().apiPort = server.port();
    channelSettings().credentials.set({5, QStringLiteral("member"), QStringLiteral("pass")});

    server.setHandler([this](const TestHttpServer::Request &request) {
        const QString action = fieldOf(request, QStringLiteral("action"));
        std::lock_guard guard(m_lock);
        if (m_replies.contains(action))
            return m_replies.value(action);
        TestHttpServer::Reply unknown;
        unknown.status = 404;
        return unknown;
    });

    mainWindow.resize(769, 400);
    auto *layout = new QVBoxLayout(&mainWindow);
    layout->setContentsMargins(0, 0, 0, 0);
    view = new SelfTaskListView(&mainWindow);
    layout->addWidget(view);
    ownTasks = std::make_unique<OwnTasks>(&mainWindow, list, view, paths, timings);
}

OwnTasksFixture::~OwnTasksFixture()
{
    server.releaseStalls();
    channelSettings().apiHost = m_savedHost;
    channelSettings().apiPort = m_savedPort;
}

void OwnTasksFixture::answer(const QString &action, QByteArray body)
{
    TestHttpServer::Reply reply;
    reply.body = std::move(body);
    answer(action, std::move(reply));
}

void OwnTasksFixture::answer(const QString &action, TestHttpServer::Reply reply)
{
    std::lock_guard guard(m_lock);
    m_replies.insert(action, std::move(reply));
}

std::vector<TestHttpServer::Request> OwnTasksFixture::requestsFor(const QString &action) const
{
    std::vector<TestHttpServer::Request> matching;
    for (const TestHttpServer::Request &request : server.requests()) {
        if (fieldOf(request, QStringLiteral("action")) == action)
            matching.push_back(request);
    }
    return matching;
}

QString OwnTasksFixture::fieldOf(const TestHttpServer::Request &request, const QString &name)
{
    const QUrlQuery form(QString::fromLatin1(request.body).replace(u'+', u' '));
    for (const auto &[key, value] : form.queryItems(QUrl::FullyDecoded)) {
        if (key == name)
            return value;
    }
    return QString();
}

void OwnTasksFixture::deliverPostedEvents()
{
    QCoreApplication::sendPostedEvents(&mainWindow);
}

void OwnTasksFixture::selectRow(int position)
{
    view->setCurrentItem(view->topLevelItem(position));
}
