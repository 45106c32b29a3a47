#pragma once

#include "TaskInfo.h"

#include <cstdint>
#include <memory>
#include <vector>

// An ordered list that owns its task records. Every clear bumps the generation, so code that
// waited (a service call, the cleaning) can tell that the records it saw before are gone.
class TTaskList {
public:
    int size() const { return int(m_records.size()); }
    bool isEmpty() const { return m_records.empty(); }
    PTaskInfo at(int index) const { return m_records.at(std::size_t(index)).get(); }
    std::uint64_t generation() const { return m_generation; }

    void append(std::unique_ptr<TTaskInfo> record) { m_records.push_back(std::move(record)); }
    // Releases every record in list order, then empties the list.
    void ClearTaskList();
    void shuffle();

private:
    std::vector<std::unique_ptr<TTaskInfo>> m_records;
    std::uint64_t m_generation = 0;
};

// The pool of other members' tasks; created at the main window's first showing, freed at exit.
extern std::unique_ptr<TTaskList> gTaskList;
