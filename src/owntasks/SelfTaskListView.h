#pragma once

#include "TaskList.h"

#include <QIcon>
#include <QList>
#include <QTreeWidget>
#include <QUrl>

#include <cstdint>
#include <functional>
#include <optional>

class QAction;
class QMenu;

// The own task list view lv_Task: one row per record of the own list, in its order, with the
// task's progress and state. Rows are only ever rebuilt as a whole by a reload.
class SelfTaskListView : public QTreeWidget {
    Q_OBJECT

public:
    explicit SelfTaskListView(QWidget *parent = nullptr);

    // Column texts of one record: "宝贝地址" is column 2.
    enum Column { ColId, ColKeyword, ColGoodsUrl, ColClicks, ColStatus, ColAddTime, ColumnCount };

    // The four status pictures, index = FStatus.
    static const QList<QIcon> &il_Status();

    // Starts a reload: removes every row; the rows that follow belong to this list generation.
    void clearRows(std::uint64_t listGeneration);
    // Appends the row of the record at the next list position; caption = the rows now shown.
    void appendRow(const TTaskInfo &record);

    // The list position of the selected row, provided the rows still show that generation.
    std::optional<int> selectedListIndex(std::uint64_t listGeneration) const;

    // "打开宝贝地址": opens the selected row's "宝贝地址" text when it is an http or https address.
    void N_OpenGoodsURLClick();
    // How addresses are opened; QDesktopServices::openUrl unless a test sets its own.
    void setUrlOpener(std::function<void(const QUrl &)> openUrl);

    QMenu *pm_Task = nullptr;
    QAction *act_RefreshSelfTaskList = nullptr;
    QAction *act_AddTask = nullptr;
    QAction *act_DeleteTask = nullptr;
    QAction *N_OpenGoodsURL = nullptr;

Q_SIGNALS:
    void addTaskRequested();
    void deleteTaskRequested();

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    std::uint64_t m_listGeneration = 0;
    std::function<void(const QUrl &)> m_openUrl;
};
