#include "OwnTasks.h"

#include "AddModifyTaskForm.h"
#include "CommandReply.h"
#include "JsonValue.h"
#include "MessageBoxes.h"
#include "PipeClient.h"
#include "RemoteProc.h"
#include "ReplyReader.h"
#include "SelfTaskList.h"
#include "SelfTaskListView.h"
#include "WindowMessages.h"

#include <QFile>

#include <cstdint>
#include <memory>

namespace {

const QString kHint = QStringLiteral("提示");
const QString kError = QStringLiteral("错误");

QString fieldLine(const char *name, const QString &value)
{
    return QStringLiteral("%1=%2").arg(QLatin1String(name), value);
}

// Repainting is suspended while the rows are built, and resumed however the building ends.
class RepaintSuspended {
public:
    explicit RepaintSuspended(QWidget *widget) : m_widget(widget) { m_widget->setUpdatesEnabled(false); }
    ~RepaintSuspended() { m_widget->setUpdatesEnabled(true); }
    RepaintSuspended(const RepaintSuspended &) = delete;
    RepaintSuspended &operator=(const RepaintSuspended &) = delete;

private:
    QWidget *m_widget;
};

} // namespace

OwnTasks::OwnTasks(QWidget *mainWindow, TTaskList &list, SelfTaskListView *lv_Task, AppPaths paths,
                   const Timings &timings)
    : m_mainWindow(mainWindow), m_list(list), m_view(lv_Task), m_paths(std::move(paths)),
      m_timings(timings)
{
    connect(m_view, &SelfTaskListView::addTaskRequested, this, &OwnTasks::act_AddTaskExecute);
    connect(m_view, &SelfTaskListView::deleteTaskRequested, this, &OwnTasks::act_DeleteTaskExecute);
}

void OwnTasks::GetSelfTaskList()
{
    ClearSelfTaskList(m_list);
    m_view->clearRows(m_list.generation());
    const auto generation = m_list.generation();

    const QStringList fields{fieldLine("action", QStringLiteral("gettasklistbyuserid"))};
    QByteArray response;
    QString errorText;
    const bool bSent = ExecRemoteProc(m_mainWindow, &fields, &response, true, errorText);
    // Another reload may have filled the list during the wait; this reply replaces it whole.
    if (m_list.generation() != generation) {
        ClearSelfTaskList(m_list);
        m_view->clearRows(m_list.generation());
    }
    if (!bSent) {
        messageBoxes().show(m_mainWindow, QStringLiteral("获取任务列表失败，请稍后再试！") + errorText, kError,
                            MessageBoxes::Icon::Error, MessageBoxes::Buttons::Ok);
        return;
    }
    const Reply reply = ReadReply(response);
    if (!reply.succeeded()) {
        messageBoxes().show(m_mainWindow, QStringLiteral("获取任务列表失败"), kHint, MessageBoxes::Icon::Error,
                            MessageBoxes::Buttons::Ok);
        return;
    }
    const JsonValue *retmsg = reply.object.member(u"retmsg");
    if (retmsg == nullptr || !retmsg->isArray())
        return;

    bool bHasStoppedTask = false;
    std::uint32_t clickSum = 0; // wraps like the 32-bit field it fills
    {
        RepaintSuspended suspended(m_view);
        for (const JsonValue &item : retmsg->items) {
            if (!item.isObject())
                continue;
            auto record = std::make_unique<TTaskInfo>(ReadTaskInfo(item));
            clickSum += static_cast<std::uint32_t>(record->FHasClickCount);
            if (record->FStatus == 0)
                bHasStoppedTask = true;
            const TTaskInfo &shown = *record;
            m_list.append(std::move(record));
            m_view->appendRow(shown);
        }
        m_view->clearSelection();
        m_view->setCurrentItem(nullptr);
    }

    TPipeData summary;
    summary.hasStoppedTask = bHasStoppedTask;
    summary.clickSum = static_cast<std::int32_t>(clickSum);
    SendPipeData(summary, QFile::encodeName(m_paths.tempDir).toStdString(), m_timings.pipeBusyWait);
}

void OwnTasks::act_AddTaskExecute()
{
    const auto form = std::make_unique<TfrmAddModifyTask>(m_mainWindow, false, nullptr);
    form->exec();
}

void OwnTasks::act_DeleteTaskExecute()
{
    const auto generation = m_list.generation();
    if (!m_view->selectedListIndex(generation))
        return;
    if (messageBoxes().show(m_mainWindow, QStringLiteral("确定要删除选中的任务吗?"), kHint,
                            MessageBoxes::Icon::Question, MessageBoxes::Buttons::YesNo)
        != MessageBoxes::Answer::Yes)
        return;

    // A reload during the question freed the records the selection pointed at.
    if (m_list.generation() != generation)
        return;
    const std::optional<int> index = m_view->selectedListIndex(generation);
    if (!index || *index < 0 || *index >= m_list.size())
        return;
    const int taskId = m_list.at(*index)->FTaskID;

    const QStringList fields{fieldLine("action", QStringLiteral("deletetask")),
                             fieldLine("taskid", QString::number(taskId))};
    QByteArray response;
    QString errorText;
    if (!ExecRemoteProc(m_mainWindow, &fields, &response, true, errorText)) {
        messageBoxes().show(m_mainWindow, QStringLiteral("任务删除失败，请稍后再试！") + errorText, kError,
                            MessageBoxes::Icon::Error, MessageBoxes::Buttons::Ok);
        return;
    }
    bool bDeleted = false;
    try {
        bDeleted = bCommandSucceeded(response);
    } catch (const ReplyError &) {
        return; // an unreadable reply ends the command without a word
    }
    if (!bDeleted) {
        messageBoxes().show(m_mainWindow, QStringLiteral("任务删除失败"), kHint, MessageBoxes::Icon::Error,
                            MessageBoxes::Buttons::Ok);
        return;
    }
    messageBoxes().show(m_mainWindow, QStringLiteral("任务删除成功！"), kHint, MessageBoxes::Icon::Information,
                        MessageBoxes::Buttons::Ok);
    if (m_mainWindow)
        PostWindowMessage(m_mainWindow, WM_RefreshSelfTaskList);
}
