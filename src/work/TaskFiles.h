#pragma once

#include <QString>

#include <stdexcept>

struct TTaskInfo;

// The task file or the result file could not be read or written.
class TaskFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Writes the task's id, address, item id and keyword into section "taskinfo" of the INI-style
// task file, keeping whatever else the file holds. Throws TaskFileError.
void WriteTaskFile(const QString &path, const TTaskInfo &task);

struct TaskResult {
    int taskId = 0;
    int status = 0;
};

// Reads "taskid" and "status" of section "taskinfo"; a missing or non-integer value reads as 0.
// Throws TaskFileError when the file cannot be read.
TaskResult ReadResultFile(const QString &path);
