#include "TaskList.h"

#include "ShuffleList.h"

std::unique_ptr<TTaskList> gTaskList;

void TTaskList::ClearTaskList()
{
    for (auto &record : m_records)
        record.reset();
    m_records.clear();
    ++m_generation;
}

void TTaskList::shuffle()
{
    ShuffleList(&m_records);
}
