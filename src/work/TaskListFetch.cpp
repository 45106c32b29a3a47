#include "TaskListFetch.h"

#include "MessageBoxes.h"
#include "RemoteProc.h"
#include "ReplyReader.h"
#include "TaskList.h"

#include <memory>

bool GetTaskList(QWidget *AOwner, TTaskList &list)
{
    list.ClearTaskList();
    const auto generation = list.generation();

    const QStringList fields{QStringLiteral("action=gettasklist")};
    QByteArray response;
    QString errorText;
    const bool bSent = ExecRemoteProc(AOwner, &fields, &response, true, errorText);
    // Another reload may have filled the list during the wait; this reply replaces it whole.
    if (list.generation() != generation)
        list.ClearTaskList();
    if (!bSent) {
        messageBoxes().show(AOwner, QStringLiteral("获取任务列表失败，请稍后再试！") + errorText,
                            QStringLiteral("错误"), MessageBoxes::Icon::Error, MessageBoxes::Buttons::Ok);
        return false;
    }

    const Reply reply = ReadReply(response);
    if (!reply.succeeded()) {
        messageBoxes().show(AOwner, QStringLiteral("获取任务列表失败"), QStringLiteral("提示"),
                            MessageBoxes::Icon::Error, MessageBoxes::Buttons::Ok);
        return false;
    }
    const JsonValue *retmsg = reply.object.member(u"retmsg");
    if (retmsg == nullptr || !retmsg->isArray())
        return false;
    for (const JsonValue &item : retmsg->items) {
        if (item.isObject())
            list.append(std::make_unique<TTaskInfo>(ReadTaskInfo(item)));
    }
    list.shuffle();
    return true;
}
