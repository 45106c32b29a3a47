#include "WorkCycle.h"

#include "Database.h"
#include "MessageBoxes.h"
#include "ProcessScan.h"
#include "ProgramLaunch.h"
#include "RemoteProc.h"
#include "ReplyReader.h"
#include "TaskFiles.h"
#include "TaskList.h"
#include "TaskListFetch.h"
#include "Timings.h"
#include "WaitForNextTask.h"
#include "WindowMessages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>

#include <atomic>
#include <memory>
#include <thread>

bool gbShowNoTaskNotice = true;

namespace {
const QString kNoTask = QStringLiteral("暂时没有任务！");
const QString kHint = QStringLiteral("提示");
const QString kCountdownText = QStringLiteral("距离下次任务开始还有%1秒");
const QString kCleaning = QStringLiteral("正在清理缓存文件，请等待....");
const QString kCleaned = QStringLiteral("缓存文件清理完毕...");
const std::string kWorker = "web.exe";
const std::string kCleaner = "CCleaner.exe";
const std::string kCleanerArguments = "/AUTO";
constexpr int kStatusPanel = 2;

// Runs one handler that Qt called; whatever it raises ends it here, as the program's failure
// rules say, and never unwinds through Qt.
template <class Handler>
void DiscardErrors(Handler &&handler) noexcept
{
    try {
        handler();
    } catch (...) {
    }
}

void showBox(QWidget *parent, const QString &text, const QString &title, MessageBoxes::Icon icon)
{
    messageBoxes().show(parent, text, title, icon, MessageBoxes::Buttons::Ok);
}

std::string nativeDir(const QString &dir)
{
    return QDir::toNativeSeparators(dir).toStdString();
}
} // namespace

WorkCycle::Platform WorkCycle::Platform::system()
{
    return Platform{bProcessRunning, bSafeSoftRunning, LaunchDetached, RunHiddenAndWait};
}

WorkCycle::WorkCycle(QWidget *mainWindow, TTaskList &pool, Tdm_Database &store, AppPaths paths,
                     const Timings &timings, Callbacks callbacks, Platform platform)
    : m_mainWindow(mainWindow),
      m_pool(pool),
      m_store(store),
      m_paths(std::move(paths)),
      m_timings(timings),
      m_callbacks(std::move(callbacks)),
      m_platform(std::move(platform)),
      m_frmWaitForNextTask(new TfrmWaitForNextTask(mainWindow))
{
    m_tmrCheckResult.setInterval(m_timings.checkResult);
    m_tmrWait.setInterval(m_timings.countdownTick);
    m_tmrCheckSafeSoft.setInterval(m_timings.checkSafeSoft);
    connect(&m_tmrCheckResult, &QTimer::timeout, this, [this] { tmr_CheckResultTimer(); });
    connect(&m_tmrWait, &QTimer::timeout, this, [this] { tmr_WaitTimer(); });
    connect(&m_tmrCheckSafeSoft, &QTimer::timeout, this, [this] { tmr_CheckSafeSoftTimer(); });
    m_frmWaitForNextTask->onStopConfirmed = [this] { stopCountdown(); };
}

WorkCycle::~WorkCycle()
{
    if (m_frmWaitForNextTask)
        m_frmWaitForNextTask->onStopConfirmed = nullptr;
}

TfrmWaitForNextTask *WorkCycle::frmWaitForNextTask() const
{
    return m_frmWaitForNextTask;
}

QString WorkCycle::taskFilePath() const
{
    return m_paths.currentDir + QStringLiteral("task.json");
}

QString WorkCycle::resultFilePath() const
{
    return m_paths.currentDir + QStringLiteral("result.json");
}

void WorkCycle::btn_StartTaskClick()
{
    DiscardErrors([this] {
        showBox(m_mainWindow, QStringLiteral("软件即将开始自动操作，在此过程中，请勿移动电脑鼠标！"),
                QStringLiteral("重要提示"), MessageBoxes::Icon::Information);
        PostWindowMessage(m_mainWindow, WM_StartWork);
    });
}

void WorkCycle::act_StartWorkExecute()
{
    DiscardErrors([this] {
        if (!FbGetAllTaskListSuccess)
            PostWindowMessage(m_mainWindow, WM_RefreshTaskList);
        else if (m_pool.isEmpty())
            showBox(m_mainWindow, QStringLiteral("当前任务列表为空，无法开始任务！"), kHint,
                    MessageBoxes::Icon::Information);
        else
            StartWork();
    });
}

void WorkCycle::Q1Click()
{
    DiscardErrors([this] { ClearCacheAndCookie(); });
}

void WorkCycle::OnWM_StartWork()
{
    DiscardErrors([this] { StartWork(); });
}

void WorkCycle::OnWM_RefreshTaskList()
{
    DiscardErrors([this] { GetTaskList(); });
}

void WorkCycle::tmr_GetTaskListTimer()
{
    DiscardErrors([this] {
        if (m_callbacks.reloadSelfTaskList)
            m_callbacks.reloadSelfTaskList();
        GetTaskList();
    });
}

void WorkCycle::GetTaskList()
{
    if (::GetTaskList(m_mainWindow, m_pool)) {
        FTaskIndex = 0;
        FbGetAllTaskListSuccess = true;
    }
}

void WorkCycle::StartWork()
{
    if (m_pool.isEmpty()) {
        showBox(m_mainWindow, kNoTask, kHint, MessageBoxes::Icon::Information);
        return;
    }
    // The checks wait behind modal loops in which the pool may be reloaded: work on a copy of
    // the record and give up quietly once the pool has been replaced (its reload restarts us).
    const std::uint64_t generation = m_pool.generation();
    while (FTaskIndex < m_pool.size()) {
        const TTaskInfo task = *m_pool.at(FTaskIndex);
        ++FTaskIndex;
        if (task.FbHasViewed)
            continue;
        if (m_store.bHasViewedInTaskInterval(task.FTaskID))
            continue;
        bool bWorkable = false;
        try {
            bWorkable = bUserOnlineAndnoOtherPCViewingTask(task.FUserID, task.FTaskID);
        } catch (...) {
        }
        if (m_pool.generation() != generation)
            return;
        if (bWorkable) {
            launchTask(task, generation);
            return;
        }
    }

    if (gbShowNoTaskNotice) {
        gbShowNoTaskNotice = false;
        showBox(m_mainWindow, kNoTask, kHint, MessageBoxes::Icon::Information);
        return;
    }
    if (m_callbacks.reloadSelfTaskList)
        m_callbacks.reloadSelfTaskList();
    GetTaskList();
    PostWindowMessage(m_mainWindow, WM_StartWork);
}

bool WorkCycle::bUserOnlineAndnoOtherPCViewingTask(int iuserid, int itaskid)
{
    const QStringList fields{QStringLiteral("action=checktask"), QStringLiteral("taskid=%1").arg(itaskid),
                             QStringLiteral("otheruserid=%1").arg(iuserid)};
    QByteArray response;
    QString errorText;
    if (!ExecRemoteProc(m_mainWindow, &fields, &response, true, errorText))
        return true;
    try {
        const Reply reply = ReadReply(response);
        const JsonValue *retmsg = reply.object.member(u"retmsg");
        if (retmsg != nullptr && !retmsg->isString() && !retmsg->isNumber())
            return true;
        return reply.succeeded();
    } catch (const ReplyError &) {
        return true;
    }
}

void WorkCycle::launchTask(const TTaskInfo &task, std::uint64_t poolGeneration)
{
    WriteTaskFile(taskFilePath(), task);
    std::this_thread::sleep_for(m_timings.taskFilePause);
    ClearCacheAndCookie();
    if (m_pool.generation() != poolGeneration)
        return;
    m_platform.launchDetached(kWorker, std::string(), nativeDir(m_paths.currentDir));
    m_tmrCheckResult.start(m_timings.checkResult);
}

void WorkCycle::ClearCacheAndCookie()
{
    const auto setBlocked = [this](bool bBlocked) {
        if (m_callbacks.setMainWindowInputBlocked)
            m_callbacks.setMainWindowInputBlocked(bBlocked);
    };
    const auto setStatus = [this](const QString &text) {
        if (m_callbacks.setStatusText)
            m_callbacks.setStatusText(kStatusPanel, text);
    };
    struct Restore {
        std::function<void()> restore;
        ~Restore()
        {
            DiscardErrors(restore);
        }
    } restore{[&] {
        setStatus(kCleaned);
        setBlocked(false);
    }};
    setBlocked(true);
    setStatus(kCleaning);

    auto bRunning = std::make_shared<std::atomic<bool>>(true);
    std::thread cleaner([run = m_platform.runHiddenAndWait, dir = nativeDir(m_paths.exeDir), bRunning] {
        try {
            run(kCleaner, kCleanerArguments, dir);
        } catch (...) {
        }
        bRunning->store(false);
    });
    try {
        while (bRunning->load()) {
            std::this_thread::sleep_for(m_timings.cleanerPoll);
            QCoreApplication::processEvents();
        }
    } catch (...) {
        cleaner.join();
        throw;
    }
    cleaner.join();
}

void WorkCycle::tmr_CheckResultTimer()
{
    DiscardErrors([this] {
        m_tmrCheckResult.stop();
        if (m_platform.processRunning(kWorker)) {
            m_tmrCheckResult.start(m_timings.checkResult);
            return;
        }
        if (!QFile::exists(resultFilePath()))
            return;
        UpdateTaskInfoToServer();
        QFile::remove(resultFilePath());
        m_waitTag = m_timings.countdownSeconds;
        m_tmrWait.start(m_timings.countdownTick);
        if (m_frmWaitForNextTask)
            m_frmWaitForNextTask->exec();
    });
}

void WorkCycle::UpdateTaskInfoToServer()
{
    const TaskResult result = ReadResultFile(resultFilePath());
    try {
        const QStringList fields{QStringLiteral("action=updatetaskinfo"), QStringLiteral("taskid=%1").arg(result.taskId),
                                 QStringLiteral("status=%1").arg(result.status)};
        QByteArray response;
        QString errorText;
        if (ExecRemoteProc(m_mainWindow, &fields, &response, true, errorText))
            SaveTaskInfoToDatabase(result.taskId, result.status);
    } catch (...) {
    }
}

void WorkCycle::SaveTaskInfoToDatabase(int itaskid, int /*istatus*/)
{
    try {
        m_store.AddTaskInfo(itaskid);
    } catch (...) {
    }
}

void WorkCycle::tmr_WaitTimer()
{
    DiscardErrors([this] {
        m_tmrWait.stop();
        if (m_waitTag <= 0) {
            if (m_frmWaitForNextTask)
                m_frmWaitForNextTask->done(QDialog::Accepted);
            m_tmrCheckResult.start(m_timings.checkResult);
            StartWork();
            return;
        }
        --m_waitTag;
        const QString text = kCountdownText.arg(m_waitTag);
        if (m_callbacks.setStatusText)
            m_callbacks.setStatusText(kStatusPanel, text);
        if (m_frmWaitForNextTask)
            m_frmWaitForNextTask->lbl_Info->setText(text);
        m_tmrWait.start(m_timings.countdownTick);
    });
}

void WorkCycle::stopCountdown()
{
    m_tmrWait.stop();
    if (m_callbacks.setStatusText)
        m_callbacks.setStatusText(kStatusPanel, QString());
}

void WorkCycle::tmr_CheckSafeSoftTimer()
{
    DiscardErrors([this] {
        m_tmrCheckSafeSoft.stop();
        if (m_platform.safeSoftRunning())
            showBox(m_mainWindow,
                    QStringLiteral("系统检测到您当前使用的机器安装了杀毒软件、防火墙类软件！\r\n"
                                   "在使用Zarnik软件过程中，为保证软件正常运作，请退出该类软件！"),
                    QStringLiteral("系统提示"), MessageBoxes::Icon::Warning);
    });
}
