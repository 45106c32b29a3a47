#pragma once

#include "AppPaths.h"
#include "TaskList.h"
#include "Timings.h"

#include <QObject>
#include <QPointer>

class QWidget;
class SelfTaskListView;

// The member's own tasks: the reload of the list and its view, the pipe summary, and the add and
// delete commands. Everything runs on the UI thread; every wait is a service call behind the wait
// window or a question, during which a timer may reload the list, so no record is held across one.
class OwnTasks : public QObject {
    Q_OBJECT

public:
    // mainWindow owns the boxes and wait windows and receives WM_RefreshSelfTaskList; the list
    // (gSelfTaskList, so this is made at the first showing) and the view must outlive this object,
    // and nothing may call it once ReleaseAppResources has freed the list. The view's popup menu
    // is wired to the commands.
    OwnTasks(QWidget *mainWindow, TTaskList &list, SelfTaskListView *lv_Task, AppPaths paths, const Timings &timings);

    // Reloads the list and its rows from "gettasklistbyuserid"; after a complete load the summary
    // goes to the local pipe. Failures of the exchange and refusals are shown in a box. An
    // unreadable reply throws ReplyError: the rows read before the bad element stay, no summary.
    void GetSelfTaskList();

    // Opens the add-task window modally and frees it afterwards.
    void act_AddTaskExecute();

    // Deletes the task of the selected row after a Yes/No question. The record is taken only
    // after the answer, and nothing is sent when a reload replaced the list meanwhile.
    void act_DeleteTaskExecute();

private:
    QPointer<QWidget> m_mainWindow;
    TTaskList &m_list;
    SelfTaskListView *m_view;
    AppPaths m_paths;
    Timings m_timings;
};
