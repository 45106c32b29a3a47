#include "TaskFiles.h"

#include "IniFile.h"
#include "TaskInfo.h"

namespace {
const QString kSection = QStringLiteral("taskinfo");

// A line break inside a value would let the service's text add keys or sections of its own.
QString singleLine(QString value)
{
    return value.replace(u'\r', u' ').replace(u'\n', u' ');
}
}

void WriteTaskFile(const QString &path, const TTaskInfo &task)
{
    IniFile file;
    if (!file.load(path))
        throw TaskFileError("cannot read " + path.toStdString());
    file.setValue(kSection, QStringLiteral("taskid"), QString::number(task.FTaskID));
    file.setValue(kSection, QStringLiteral("goodsurl"), singleLine(task.FgoodsURL));
    file.setValue(kSection, QStringLiteral("goodsid"), singleLine(task.FgoodsID));
    file.setValue(kSection, QStringLiteral("keyword"), singleLine(task.FKeyword));
    if (!file.save())
        throw TaskFileError("cannot write " + path.toStdString());
}

TaskResult ReadResultFile(const QString &path)
{
    IniFile file;
    if (!file.load(path))
        throw TaskFileError("cannot read " + path.toStdString());
    return TaskResult{file.intValue(kSection, QStringLiteral("taskid"), 0),
                      file.intValue(kSection, QStringLiteral("status"), 0)};
}
