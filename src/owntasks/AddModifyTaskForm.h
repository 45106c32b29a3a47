#pragma once

#include "TaskInfo.h"

#include <QDialog>
#include <QPointer>
#include <QUrl>

#include <functional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The add-task window. In add mode "确定(&Y)" checks the input, sends "addtask" and, after a
// success, asks the owner (the main window) to reload the own list and closes. Modify mode only
// checks the input: the service has no action for changing a task.
class TfrmAddModifyTask : public QDialog {
    Q_OBJECT

public:
    TfrmAddModifyTask(QWidget *AOwner, bool bModify, PTaskInfo ATaskInfo);

    void btn_OKClick();
    void btn_CloseClick();
    void Label6Click();

    // How the help page is opened; QDesktopServices::openUrl unless a test sets its own.
    void setUrlOpener(std::function<void(const QUrl &)> openUrl);

    QGroupBox *grp_Task = nullptr;
    QLineEdit *edt_Keyword = nullptr;
    QLineEdit *edt_goodsURL = nullptr;
    QLineEdit *edt_goodsID = nullptr;
    QLineEdit *edt_TotalClickCount = nullptr;
    QLabel *lbl_Help = nullptr;
    QPushButton *btn_OK = nullptr;
    QPushButton *btn_Close = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void addTask(const QStringList &fields);

    bool FbModify = false;
    PTaskInfo FTaskInfo = nullptr;
    QPointer<QWidget> m_mainWindow;
    std::function<void(const QUrl &)> m_openUrl;
};
