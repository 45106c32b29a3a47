#pragma once

#include "AppPaths.h"
#include "Clock.h"
#include "MainWindowWiring.h"

#include <QPointer>

#include <memory>

class OwnTasks;
class SelfTaskListView;
class TfrmMain;
class WorkCycle;
class Tdm_Database;

// The real subsystems behind the main window of the running program, made in the order the
// start-up needs them: the visit history with the windows, the lists and what drives them at the
// first showing.
class AppSubsystems {
public:
    explicit AppSubsystems(AppPaths paths);
    ~AppSubsystems();
    AppSubsystems(const AppSubsystems &) = delete;
    AppSubsystems &operator=(const AppSubsystems &) = delete;

    // The main window's wiring; every hook reaches the subsystems through this object.
    MainWindowWiring Wiring();
    void SetMainWindow(TfrmMain *window) { m_mainWindow = window; }
    // dm_Database, not yet connected.
    void CreateDatabase();

private:
    void AfterLogin(QWidget *owner);

    AppPaths m_paths;
    SystemClock m_clock;
    std::unique_ptr<Tdm_Database> m_database;
    QPointer<TfrmMain> m_mainWindow;
    QPointer<SelfTaskListView> m_taskListView;
    std::unique_ptr<OwnTasks> m_ownTasks;
    std::unique_ptr<WorkCycle> m_workCycle;
};
