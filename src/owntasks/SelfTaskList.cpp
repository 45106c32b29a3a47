#include "SelfTaskList.h"

std::unique_ptr<TTaskList> gSelfTaskList;

void ClearSelfTaskList(TTaskList &list)
{
    list.ClearTaskList();
}
