#include "ReleaseAppResources.h"

#include "GlobalLoger.h"
#include "HeartbeatThread.h"
#include "TaskList.h"

void ReleaseAppResources()
{
    // 1. The heartbeat, waiting for a request in flight.
    StopHeartbeat();

    // 3. Dispose of the records.
    if (gTaskList)
        gTaskList->ClearTaskList();

    // 4. Free the lists and the log writer, each reference cleared before its object goes.
    std::unique_ptr<TTaskList> taskList = std::move(gTaskList);
    taskList.reset();
    std::unique_ptr<TGlobalLoger> loger = std::move(gGlobalLoger);
    loger.reset();
}
