#pragma once

#include "AppPaths.h"
#include "Clock.h"
#include "Database.h"
#include "RecordingMessageBoxes.h"
#include "TaskList.h"
#include "Timings.h"
#include "WorkCycle.h"
#include "WorkTestSupport.h"

#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

class FixedClock final : public Clock {
public:
    QDateTime now() const override { return m_now; }
    QDateTime m_now = QDateTime(QDate(2015, 10, 24), QTime(9, 5, 7));
};

// Stands in for the main window: hands the cycle's own messages back to it, as the shell does.
class MainWindowStub : public QWidget {
public:
    WorkCycle *cycle = nullptr;
    bool bDispatch = true;
    int startWorkPosts = 0;
    int refreshPosts = 0;

protected:
    bool event(QEvent *event) override;
};

// The service as the cycle sees it, answering by action.
struct FakeService {
    std::mutex lock;
    std::map<int, QByteArray> checkReplies; // by task id; others answer retcode 1
    std::set<int> failingChecks;
    std::deque<QByteArray> taskLists;       // one per "gettasklist"; then an empty array
    int updateStatus = 200;
    QByteArray updateBody = ReplyBody(1, QStringLiteral("\"ok\""));
    std::function<void(int taskId)> onCheck; // runs on the server's thread
};

class WorkCycleTest : public ::testing::Test {
protected:
    WorkCycleTest();
    ~WorkCycleTest() override;

    void makeCycle(WorkCycle::Platform platform);
    WorkCycle::Platform fakePlatform();
    void addTask(int taskId, int userId, bool bViewed = false);
    void visit(int taskId, int daysAgo);
    void writeResultFile(const QByteArray &bytes);
    int taskFileId() const;
    std::vector<int> checkedTaskIds() const;
    std::vector<QString> statusTexts() const;

    QTemporaryDir currentDir;
    QTemporaryDir exeDir;
    AppPaths paths;
    Timings timings;
    FixedClock clock;
    std::unique_ptr<Tdm_Database> store;
    TTaskList pool;
    MainWindowStub window;
    FakeService service;
    TestHttpServer server;
    ChannelToServer channel{server};
    RecordingMessageBoxes boxes;

    std::vector<std::pair<int, QString>> statusLog;
    std::vector<bool> blockLog;
    int selfReloads = 0;
    bool bWorkerRunning = false;
    bool bSafeSoftRunning = false;
    std::vector<std::vector<std::string>> launches;
    std::vector<std::vector<std::string>> cleanerRuns;
    std::unique_ptr<WorkCycle> cycle;
};
