#include "ReleaseAppResources.h"

#include "Database.h"
#include "GlobalLoger.h"
#include "HeartbeatThread.h"
#include "SelfTaskList.h"
#include "TaskList.h"

void ReleaseAppResources()
{
    // 1. The heartbeat, waiting for a request in flight.
    StopHeartbeat();

    // 2. The visit history.
    if (dm_Database)
        dm_Database->DisconnectFromDb();

    // 3. The records of both lists.
    if (gSelfTaskList)
        ClearSelfTaskList(*gSelfTaskList);
    if (gTaskList)
        gTaskList->ClearTaskList();

    // 4. The lists and the log writer, each reference cleared before its object goes.
    std::unique_ptr<TTaskList> selfTaskList = std::move(gSelfTaskList);
    selfTaskList.reset();
    std::unique_ptr<TTaskList> taskList = std::move(gTaskList);
    taskList.reset();
    std::unique_ptr<TGlobalLoger> loger = std::move(gGlobalLoger);
    loger.reset();
}
