#include "WorkCycleFixture.h"

#include "IniFile.h"
#include "WindowMessages.h"

#include <QDir>
#include <QFile>

bool MainWindowStub::event(QEvent *event)
{
    if (event->type() == EventTypeOf(WM_StartWork)) {
        ++startWorkPosts;
        if (cycle && bDispatch)
            cycle->OnWM_StartWork();
        return true;
    }
    if (event->type() == EventTypeOf(WM_RefreshTaskList)) {
        ++refreshPosts;
        if (cycle && bDispatch)
            cycle->OnWM_RefreshTaskList();
        return true;
    }
    return QWidget::event(event);
}

WorkCycleTest::WorkCycleTest()
{
    paths.exeDir = exeDir.path() + u'/';
    paths.exeFile = paths.exeDir + QStringLiteral("zarnik");
    paths.currentDir = currentDir.path() + u'/';
    paths.tempDir = paths.currentDir;
    timings.taskFilePause = Timings::ms(0);
    timings.cleanerPoll = Timings::ms(1);
    timings.checkResult = Timings::ms(20);
    timings.countdownTick = Timings::ms(10);
    timings.countdownSeconds = 3;
    timings.checkSafeSoft = Timings::ms(10);

    QDir(paths.exeDir).mkdir(QStringLiteral("db"));
    store = std::make_unique<Tdm_Database>(paths.exeDir + QStringLiteral("db/data.db"), clock);
    store->CheckDb();
    gbShowNoTaskNotice = true;

    server.setHandler([this](const TestHttpServer::Request &request) {
        TestHttpServer::Reply reply;
        const QString action = ActionOf(request);
        std::function<void(int)> onCheck;
        std::unique_lock guard(service.lock);
        if (action == u"checktask") {
            const int taskId = FieldOf(request, QStringLiteral("taskid")).toInt();
            onCheck = service.onCheck;
            if (service.failingChecks.count(taskId))
                reply.status = 500;
            else if (service.checkReplies.count(taskId))
                reply.body = service.checkReplies[taskId];
            else
                reply.body = ReplyBody(1, QStringLiteral("\"ok\""));
            guard.unlock();
            if (onCheck)
                onCheck(taskId);
        } else if (action == u"gettasklist") {
            if (service.taskLists.empty()) {
                reply.body = ReplyBody(1, QStringLiteral("[]"));
            } else {
                reply.body = service.taskLists.front();
                service.taskLists.pop_front();
            }
        } else if (action == u"updatetaskinfo") {
            reply.status = service.updateStatus;
            reply.body = service.updateBody;
        } else {
            reply.status = 404;
        }
        return reply;
    });
}

WorkCycleTest::~WorkCycleTest()
{
    window.cycle = nullptr;
    cycle.reset();
}

WorkCycle::Platform WorkCycleTest::fakePlatform()
{
    WorkCycle::Platform platform;
    platform.processRunning = [this](const std::string &name) { return name == "web.exe" && bWorkerRunning; };
    platform.safeSoftRunning = [this] { return bSafeSoftRunning; };
    platform.launchDetached = [this](const std::string &program, const std::string &arguments,
                                     const std::string &workDir) {
        launches.push_back({program, arguments, workDir});
        return true;
    };
    platform.runHiddenAndWait = [this](const std::string &program, const std::string &arguments,
                                       const std::string &workDir) {
        cleanerRuns.push_back({program, arguments, workDir});
        return true;
    };
    return platform;
}

void WorkCycleTest::makeCycle(WorkCycle::Platform platform)
{
    WorkCycle::Callbacks callbacks;
    callbacks.reloadSelfTaskList = [this] { ++selfReloads; };
    callbacks.setStatusText = [this](int panel, const QString &text) { statusLog.emplace_back(panel, text); };
    callbacks.setMainWindowInputBlocked = [this](bool bBlocked) { blockLog.push_back(bBlocked); };
    cycle = std::make_unique<WorkCycle>(&window, pool, *store, paths, timings, callbacks, std::move(platform));
    window.cycle = cycle.get();
}

void WorkCycleTest::addTask(int taskId, int userId, bool bViewed)
{
    auto record = std::make_unique<TTaskInfo>();
    record->FTaskID = taskId;
    record->FUserID = userId;
    record->FKeyword = QStringLiteral("keyword %1").arg(taskId);
    record->FgoodsURL = QStringLiteral("http://item/%1").arg(taskId);
    record->FgoodsID = QStringLiteral("g%1").arg(taskId);
    record->FbHasViewed = bViewed;
    pool.append(std::move(record));
}

void WorkCycleTest::visit(int taskId, int daysAgo)
{
    const QDateTime now = clock.m_now;
    clock.m_now = now.addDays(-daysAgo);
    store->AddTaskInfo(taskId);
    clock.m_now = now;
}

void WorkCycleTest::writeResultFile(const QByteArray &bytes)
{
    QFile file(cycle->resultFilePath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

int WorkCycleTest::taskFileId() const
{
    IniFile file;
    file.load(cycle->taskFilePath());
    return file.intValue(QStringLiteral("taskinfo"), QStringLiteral("taskid"), -1);
}

std::vector<int> WorkCycleTest::checkedTaskIds() const
{
    std::vector<int> ids;
    for (const auto &request : RequestsFor(server, QStringLiteral("checktask")))
        ids.push_back(FieldOf(request, QStringLiteral("taskid")).toInt());
    return ids;
}

std::vector<QString> WorkCycleTest::statusTexts() const
{
    std::vector<QString> texts;
    for (const auto &[panel, text] : statusLog) {
        if (panel == 2)
            texts.push_back(text);
    }
    return texts;
}
