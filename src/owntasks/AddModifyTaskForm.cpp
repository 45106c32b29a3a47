#include "AddModifyTaskForm.h"

#include "CommandReply.h"
#include "Endpoints.h"
#include "JsonValue.h"
#include "MessageBoxes.h"
#include "RemoteProc.h"
#include "TaskInputCheck.h"
#include "WindowMessages.h"

#include <QDesktopServices>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>

namespace {

const QString kHint = QStringLiteral("提示");

QLabel *placeLabel(QWidget *parent, const QString &text, int x, int y)
{
    auto *label = new QLabel(text, parent);
    label->move(x, y);
    label->adjustSize();
    return label;
}

QLineEdit *placeEdit(QWidget *parent, const QString &name, int x, int y)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setGeometry(x, y, 323, 21);
    return edit;
}

} // namespace

TfrmAddModifyTask::TfrmAddModifyTask(QWidget *AOwner, bool bModify, PTaskInfo ATaskInfo)
    : QDialog(AOwner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      FbModify(bModify), FTaskInfo(ATaskInfo), m_mainWindow(AOwner),
      m_openUrl([](const QUrl &url) { QDesktopServices::openUrl(url); })
{
    setObjectName(QStringLiteral("frmAddModifyTask"));
    setWindowTitle(QStringLiteral("添加、修改任务"));
    QFont songTi(QStringLiteral("宋体"));
    songTi.setPixelSize(12);
    setFont(songTi);
    setFixedSize(474, 286);

    grp_Task = new QGroupBox(QStringLiteral("任务属性："), this);
    grp_Task->setGeometry(15, 24, 441, 193);

    placeLabel(grp_Task, QStringLiteral("宝贝关键词："), 16, 32);
    edt_Keyword = placeEdit(grp_Task, QStringLiteral("edt_Keyword"), 94, 27);
    placeLabel(grp_Task, QStringLiteral("宝贝地址："), 16, 64);
    edt_goodsURL = placeEdit(grp_Task, QStringLiteral("edt_goodsURL"), 94, 59);
    placeLabel(grp_Task, QStringLiteral("宝贝ID："), 16, 104);
    edt_goodsID = placeEdit(grp_Task, QStringLiteral("edt_goodsID"), 94, 100);
    placeLabel(grp_Task, QStringLiteral("所需访问量："), 16, 144);
    edt_TotalClickCount = placeEdit(grp_Task, QStringLiteral("edt_TotalClickCount"), 94, 140);
    placeLabel(grp_Task, QStringLiteral("请填写准确的访问量：1 - 500之间"), 94, 166);

    lbl_Help = placeLabel(this, QStringLiteral("查看在线帮助"), 15, 244);
    lbl_Help->setObjectName(QStringLiteral("lbl_Help"));
    QFont bold = lbl_Help->font();
    bold.setBold(true);
    lbl_Help->setFont(bold);
    lbl_Help->adjustSize();
    lbl_Help->setCursor(Qt::PointingHandCursor);
    lbl_Help->installEventFilter(this);

    btn_OK = new QPushButton(QStringLiteral("确定(&Y)"), this);
    btn_OK->setObjectName(QStringLiteral("btn_OK"));
    btn_OK->setGeometry(192, 240, 121, 22);
    btn_OK->setAutoDefault(false);
    btn_Close = new QPushButton(QStringLiteral("取消(&C)"), this);
    btn_Close->setObjectName(QStringLiteral("btn_Close"));
    btn_Close->setGeometry(335, 240, 121, 22);
    btn_Close->setAutoDefault(false);

    setTabOrder(edt_Keyword, edt_goodsURL);
    setTabOrder(edt_goodsURL, edt_goodsID);
    setTabOrder(edt_goodsID, edt_TotalClickCount);

    connect(btn_OK, &QPushButton::clicked, this, &TfrmAddModifyTask::btn_OKClick);
    connect(btn_Close, &QPushButton::clicked, this, &TfrmAddModifyTask::btn_CloseClick);

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TfrmAddModifyTask::setUrlOpener(std::function<void(const QUrl &)> openUrl)
{
    m_openUrl = std::move(openUrl);
}

bool TfrmAddModifyTask::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lbl_Help && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        Label6Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmAddModifyTask::Label6Click()
{
    m_openUrl(WebSiteUrl(QStringLiteral("/?post=11")));
}

void TfrmAddModifyTask::btn_CloseClick()
{
    reject();
}

void TfrmAddModifyTask::btn_OKClick()
{
    const TaskInputCheck check = CheckTaskInput(edt_Keyword->text(), edt_goodsURL->text(), edt_goodsID->text(),
                                                edt_TotalClickCount->text());
    if (!check.bPassed()) {
        messageBoxes().show(this, check.message, kHint, MessageBoxes::Icon::Information, MessageBoxes::Buttons::Ok);
        QLineEdit *concerned = nullptr;
        switch (check.failedField) {
        case TaskInputCheck::Field::Keyword: concerned = edt_Keyword; break;
        case TaskInputCheck::Field::GoodsUrl: concerned = edt_goodsURL; break;
        case TaskInputCheck::Field::GoodsId: concerned = edt_goodsID; break;
        case TaskInputCheck::Field::TotalClickCount: concerned = edt_TotalClickCount; break;
        case TaskInputCheck::Field::None: break;
        }
        if (concerned)
            concerned->setFocus();
        return;
    }
    if (FbModify)
        return;

    const auto line = [](const char *name, const QString &value) {
        return QStringLiteral("%1=%2").arg(QLatin1String(name), value);
    };
    addTask({line("action", QStringLiteral("addtask")), line("keyword", check.keyword),
             line("goodsurl", check.goodsUrl), line("goodsid", check.goodsId),
             line("totalclickcount", QString::number(check.totalClickCount))});
}

void TfrmAddModifyTask::addTask(const QStringList &fields)
{
    QByteArray response;
    QString errorText;
    if (!ExecRemoteProc(this, &fields, &response, true, errorText)) {
        messageBoxes().show(this, QStringLiteral("任务添加失败，请稍后再试！") + errorText, QStringLiteral("错误"),
                            MessageBoxes::Icon::Error, MessageBoxes::Buttons::Ok);
        return;
    }
    bool bAdded = false;
    try {
        bAdded = bCommandSucceeded(response);
    } catch (const ReplyError &) {
        return; // an unreadable reply ends the command without a word
    }
    if (!bAdded) {
        messageBoxes().show(this, QStringLiteral("任务添加失败"), kHint, MessageBoxes::Icon::Error,
                            MessageBoxes::Buttons::Ok);
        return;
    }
    messageBoxes().show(this, QStringLiteral("任务添加成功！"), kHint, MessageBoxes::Icon::Information,
                        MessageBoxes::Buttons::Ok);
    if (m_mainWindow)
        PostWindowMessage(m_mainWindow, WM_RefreshSelfTaskList);
    accept();
}
