#pragma once

#include <QString>
#include <QUrl>

#include <functional>

class QWidget;

// What the member record shows in the main window's user box.
struct MemberSummary {
    QString userName;
    bool bLifeTimeMember = false;
    QString expiredTime;
};

// How the shell reaches the other subsystems. The program fills it from the real subsystems
// (AppWiring); tests fill in what they watch. An empty function is a step that is left out.
struct MainWindowWiring {
    // Urls of the service's hosts.
    QUrl homePage;        // the web site's root
    QUrl adPage;          // the web site's "/ads/ad.htm"
    QUrl adPicture;       // the web site's "/ads/pic/ad.gif"
    QUrl rechargePage;    // the API host's "/recharge.php"
    QUrl userCentrePage;  // the API host's root
    QString supportNumber;

    std::function<void(const QUrl &)> openUrl;

    // First showing: the login window (returns after a successful login; otherwise the process
    // has ended), then the steps that need a signed-in member, in their order.
    std::function<void(QWidget *owner)> runLogin;
    std::function<void(QWidget *owner)> afterLogin;
    std::function<MemberSummary()> member;

    // First activation: the binding prompt for a lifetime member without payment data, then the
    // security-software check's timer.
    std::function<void(QWidget *owner)> promptPayInformationBinding;
    std::function<void()> enableCheckSafeSoft;

    // The own task list view, placed below the toolbar strip.
    std::function<QWidget *(QWidget *parent)> createTaskListView;

    // Commands and message handlers of the other subsystems.
    std::function<void()> firstTaskListLoad; // the own list, then the pool
    std::function<void()> getSelfTaskList;
    std::function<void()> getTaskList;
    std::function<void()> startWork;        // WM_StartWork
    std::function<void()> startWorkCommand; // act_StartWork
    std::function<void()> startTaskClick;
    std::function<void()> addTask;
    std::function<void()> deleteTask;
    std::function<void()> clearCache;
    std::function<void(QWidget *owner)> modifyLoginPass;

    // Stops the timers the other subsystems keep on the main window (the exit flow).
    std::function<void()> stopSubsystemTimers;

    // ReleaseAppResources: non-UI state only, so it may run on the clean-up thread.
    std::function<void()> releaseAppResources;
};
