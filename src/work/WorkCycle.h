#pragma once

#include "AppPaths.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>
#include <string>

class QWidget;
class TTaskList;
class Tdm_Database;
class TfrmWaitForNextTask;
struct Timings;
struct TTaskInfo;

// Cleared the first time a selection runs through the end of the pool without finding a task.
extern bool gbShowNoTaskNotice;

// The work cycle of the main window: selection, hand-over to the worker, result report, countdown,
// cache cleaning and the security notice. Runs on the UI thread. Every handler that Qt calls
// (the ones marked "handler") catches whatever escapes, so nothing unwinds through Qt; the
// operations below them let errors reach their caller.
class WorkCycle : public QObject {
    Q_OBJECT

public:
    struct Callbacks {
        std::function<void()> reloadSelfTaskList;
        std::function<void(int panel, const QString &text)> setStatusText;
        // Blocks input to the main window without disabling the windows opened over it.
        std::function<void(bool blocked)> setMainWindowInputBlocked;
    };

    // The operating-system services the cycle uses; the real ones unless a test gives others.
    struct Platform {
        std::function<bool(const std::string &exeName)> processRunning;
        std::function<bool()> safeSoftRunning;
        std::function<bool(const std::string &program, const std::string &arguments, const std::string &workDir)>
            launchDetached;
        std::function<bool(const std::string &program, const std::string &arguments, const std::string &workDir)>
            runHiddenAndWait;

        static Platform system();
    };

    WorkCycle(QWidget *mainWindow, TTaskList &pool, Tdm_Database &store, AppPaths paths, const Timings &timings,
              Callbacks callbacks, Platform platform = Platform::system());
    ~WorkCycle() override;

    // The pool's state that the main window keeps.
    int FTaskIndex = 0;
    bool FbGetAllTaskListSuccess = false;

    // Handlers.
    void btn_StartTaskClick();
    void act_StartWorkExecute();
    void Q1Click();
    void OnWM_StartWork();
    void OnWM_RefreshTaskList();
    void tmr_GetTaskListTimer();
    void tmr_CheckResultTimer();
    void tmr_WaitTimer();
    void tmr_CheckSafeSoftTimer();

    // Operations; errors reach the caller.
    void GetTaskList();
    void StartWork();
    bool bUserOnlineAndnoOtherPCViewingTask(int iuserid, int itaskid);
    void ClearCacheAndCookie();
    void UpdateTaskInfoToServer();
    void SaveTaskInfoToDatabase(int itaskid, int istatus);

    QTimer &tmr_CheckResult() { return m_tmrCheckResult; }
    QTimer &tmr_Wait() { return m_tmrWait; }
    QTimer &tmr_CheckSafeSoft() { return m_tmrCheckSafeSoft; }
    // Seconds still to count down.
    int tmr_WaitTag() const { return m_waitTag; }
    TfrmWaitForNextTask *frmWaitForNextTask() const;

    QString taskFilePath() const;
    QString resultFilePath() const;

private:
    // Write the task file, pause, clean, start the worker, start the poll.
    void launchTask(const TTaskInfo &task, std::uint64_t poolGeneration);
    void stopCountdown();

    QWidget *m_mainWindow;
    TTaskList &m_pool;
    Tdm_Database &m_store;
    AppPaths m_paths;
    const Timings &m_timings;
    Callbacks m_callbacks;
    Platform m_platform;
    QTimer m_tmrCheckResult;
    QTimer m_tmrWait;
    QTimer m_tmrCheckSafeSoft;
    int m_waitTag = 0;
    QPointer<TfrmWaitForNextTask> m_frmWaitForNextTask;
};
