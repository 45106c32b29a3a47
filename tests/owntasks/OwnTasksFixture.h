#pragma once

#include "AppPaths.h"
#include "OwnTasks.h"
#include "RecordingMessageBoxes.h"
#include "SelfTaskListView.h"
#include "TaskList.h"
#include "TestHttpServer.h"
#include "Timings.h"

#include <QByteArray>
#include <QLocalServer>
#include <QMap>
#include <QString>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <mutex>
#include <ostream>
#include <vector>

inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

// Stands in for the main window: counts the own-list reloads posted to it.
class MainWindowStub : public QWidget {
public:
    int refreshPosts = 0;

protected:
    bool event(QEvent *event) override;
};

// Listens where the pipe client writes on this system (a QLocalServer named "Zarnik" in the
// test's own temp folder) and keeps what each connection delivered.
class PipeListener {
public:
    explicit PipeListener(const QString &tempDir);
    bool bListening() const { return m_server.isListening(); }
    // Waits until count summaries of 20 bytes have arrived; false after the time-out.
    bool waitForSummaries(int count, int timeoutMs = 5000);
    std::vector<QByteArray> summaries() const;

private:
    QLocalServer m_server;
    std::vector<QByteArray> m_received;
};

// A task object as the service writes one.
QString TaskJson(int taskId, int status, int total, int done, const QString &keyword = QStringLiteral("kw"),
                 const QString &goodsUrl = QStringLiteral("http://item.taobao.com/item.htm?id=1"));
// A reply body {"retcode":retcode,"retmsg":retmsgJson}, base64 as the service sends it.
QByteArray ReplyBody(int retcode, const QString &retmsgJson);
QByteArray ListReply(const QStringList &elements);
// The 20 bytes of a summary.
QByteArray SummaryBytes(bool bHasStoppedTask, int clickSum);

// A main window with its own list, view and commands, a service on a free port that answers each
// action from a table, a box recorder and a temp folder of its own for the pipe.
class OwnTasksFixture : public ::testing::Test {
protected:
    OwnTasksFixture();
    ~OwnTasksFixture() override;

    // Every request with this action from now on gets this reply (status 200).
    void answer(const QString &action, QByteArray body);
    void answer(const QString &action, TestHttpServer::Reply reply);
    std::vector<TestHttpServer::Request> requestsFor(const QString &action) const;
    static QString fieldOf(const TestHttpServer::Request &request, const QString &name);
    // Lets posted messages reach the main window stub.
    void deliverPostedEvents();
    // Selects the row at position (0-based), as a click would.
    void selectRow(int position);

    QTemporaryDir temp;
    AppPaths paths;
    Timings timings;
    TestHttpServer server;
    RecordingMessageBoxes boxes;
    MainWindowStub mainWindow;
    TTaskList list;
    SelfTaskListView *view = nullptr;
    std::unique_ptr<OwnTasks> ownTasks;

private:
    mutable std::mutex m_lock;
    QMap<QString, TestHttpServer::Reply> m_replies;
    QString m_savedHost;
    int m_savedPort = 0;
};
