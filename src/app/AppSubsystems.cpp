#include "AppSubsystems.h"

#include "AppFolders.h"
#include "BindPayInformationWindow.h"
#include "Database.h"
#include "Endpoints.h"
#include "GlobalLoger.h"
#include "HeartbeatThread.h"
#include "LoginWindow.h"
#include "MainWindow.h"
#include "ModifyLoginPassWindow.h"
#include "OwnTasks.h"
#include "ReleaseAppResources.h"
#include "SelfTaskList.h"
#include "SelfTaskListView.h"
#include "TaskList.h"
#include "Timings.h"
#include "UserInfo.h"
#include "WorkCycle.h"

#include <QDesktopServices>

namespace {
const QString kSupportNumber = QStringLiteral("2850071234");
}

AppSubsystems::AppSubsystems(AppPaths paths)
    : m_paths(std::move(paths))
{
}

AppSubsystems::~AppSubsystems()
{
    m_workCycle.reset();
    m_ownTasks.reset();
    if (dm_Database == m_database.get())
        dm_Database = nullptr;
}

void AppSubsystems::CreateDatabase()
{
    m_database = std::make_unique<Tdm_Database>(gDbFile, m_clock);
    dm_Database = m_database.get();
}

void AppSubsystems::AfterLogin(QWidget *owner)
{
    gSelfTaskList = std::make_unique<TTaskList>();
    gTaskList = std::make_unique<TTaskList>();
    gGlobalLoger = std::make_unique<TGlobalLoger>(gLogDir);
    if (dm_Database)
        dm_Database->CheckDb();
    StartHeartbeat(AppTimings());

    // What drives the two lists exists once the lists do.
    m_ownTasks = std::make_unique<OwnTasks>(owner, *gSelfTaskList, m_taskListView, m_paths, AppTimings());
    WorkCycle::Callbacks callbacks;
    callbacks.reloadSelfTaskList = [this] {
        if (m_ownTasks)
            m_ownTasks->GetSelfTaskList();
    };
    callbacks.setStatusText = [this](int panel, const QString &text) {
        if (m_mainWindow)
            m_mainWindow->SetStatusText(panel, text);
    };
    callbacks.setMainWindowInputBlocked = [this](bool bBlocked) {
        if (m_mainWindow)
            m_mainWindow->SetInputBlocked(bBlocked);
    };
    m_workCycle = std::make_unique<WorkCycle>(owner, *gTaskList, *m_database, m_paths, AppTimings(),
                                              std::move(callbacks));
}

MainWindowWiring AppSubsystems::Wiring()
{
    MainWindowWiring wiring;
    wiring.homePage = WebSiteUrl(QStringLiteral("/"));
    wiring.adPage = WebSiteUrl(QStringLiteral("/ads/ad.htm"));
    wiring.adPicture = WebSiteUrl(QStringLiteral("/ads/pic/ad.gif"));
    wiring.rechargePage = ApiHostUrl(QStringLiteral("/recharge.php"));
    wiring.userCentrePage = ApiHostUrl(QStringLiteral("/"));
    wiring.supportNumber = kSupportNumber;
    wiring.openUrl = [](const QUrl &url) { QDesktopServices::openUrl(url); };

    wiring.runLogin = [this](QWidget *owner) {
        TfrmLogin frmLogin(owner, m_paths, gUserInfo);
        frmLogin.exec();
    };
    wiring.afterLogin = [this](QWidget *owner) { AfterLogin(owner); };
    wiring.member = [] {
        return MemberSummary{gUserInfo.FUserName(), gUserInfo.FIsLifeTimeMember, gUserInfo.FExpiredTime};
    };
    wiring.promptPayInformationBinding = [](QWidget *owner) { PromptPayInformationBinding(owner, gUserInfo); };
    wiring.createTaskListView = [this](QWidget *parent) {
        auto *view = new SelfTaskListView(parent);
        view->setObjectName(QStringLiteral("lv_Task"));
        m_taskListView = view;
        return view;
    };

    // The commands and handlers below exist once the member has signed in.
    auto cycle = [this](void (WorkCycle::*handler)()) {
        return [this, handler] {
            if (m_workCycle)
                (m_workCycle.get()->*handler)();
        };
    };
    auto own = [this](void (OwnTasks::*command)()) {
        return [this, command] {
            if (m_ownTasks)
                (m_ownTasks.get()->*command)();
        };
    };
    wiring.enableCheckSafeSoft = [this] {
        if (m_workCycle)
            m_workCycle->tmr_CheckSafeSoft().start();
    };
    wiring.firstTaskListLoad = cycle(&WorkCycle::tmr_GetTaskListTimer);
    wiring.getSelfTaskList = own(&OwnTasks::GetSelfTaskList);
    wiring.getTaskList = cycle(&WorkCycle::OnWM_RefreshTaskList);
    wiring.startWork = cycle(&WorkCycle::OnWM_StartWork);
    wiring.startWorkCommand = cycle(&WorkCycle::act_StartWorkExecute);
    wiring.startTaskClick = cycle(&WorkCycle::btn_StartTaskClick);
    wiring.clearCache = cycle(&WorkCycle::Q1Click);
    wiring.addTask = own(&OwnTasks::act_AddTaskExecute);
    wiring.deleteTask = own(&OwnTasks::act_DeleteTaskExecute);
    wiring.modifyLoginPass = [](QWidget *owner) {
        TfrmModifyLoginPass frmModifyLoginPass(owner, gUserInfo);
        frmModifyLoginPass.exec();
    };
    wiring.stopSubsystemTimers = [this] {
        if (!m_workCycle)
            return;
        m_workCycle->tmr_CheckSafeSoft().stop();
        m_workCycle->tmr_CheckResult().stop();
        m_workCycle->tmr_Wait().stop();
    };
    wiring.releaseAppResources = ReleaseAppResources;
    return wiring;
}
