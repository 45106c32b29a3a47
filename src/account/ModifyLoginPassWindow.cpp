#include "ModifyLoginPassWindow.h"

#include "MessageBoxes.h"
#include "RemoteProc.h"
#include "ReplyReader.h"
#include "SameText.h"
#include "TextTrim.h"
#include "UserInfo.h"

#include <QLineEdit>
#include <QPushButton>

namespace {

const QString kHintTitle = QStringLiteral("提示");
const QString kErrorTitle = QStringLiteral("错误");
const QString kEmptyOld = QStringLiteral("请输入原始密码!");
const QString kEmptyNew = QStringLiteral("请输入新密码!");
const QString kEmptyConfirm = QStringLiteral("请确认新密码!");
const QString kWrongOld = QStringLiteral("原始密码不正确，请重新输入!");
const QString kMismatch = QStringLiteral("两次输入的新密码不同，请重新输入!");
const QString kExchangeFailed = QStringLiteral("密码修改失败，请稍后再试！");
const QString kRefused = QStringLiteral("密码修改失败，请稍后再试");
const QString kDone = QStringLiteral("密码修改成功！");

constexpr int kEditHeight = 21;

void showError(QWidget *parent, const QString &text, const QString &title = kHintTitle)
{
    messageBoxes().show(parent, text, title, MessageBoxes::Icon::Error, MessageBoxes::Buttons::Ok);
}

} // namespace

TfrmModifyLoginPass::TfrmModifyLoginPass(QWidget *AOwner, TUserInfo &userInfo)
    : TAccountDialog(AOwner, QSize(362, 187), designFont(QStringLiteral("宋体"), 12))
    , m_userInfo(userInfo)
{
    setWindowTitle(QStringLiteral("修改用户登录密码"));

    auto addRow = [this](const QString &label, const char *name, int labelTop, int editTop) {
        auto *caption = new QLabel(label, this);
        caption->move(24, labelTop);
        caption->adjustSize();
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setGeometry(128, editTop, 193, kEditHeight);
        return edit;
    };
    edt_Oldpass = addRow(QStringLiteral("输入原密码："), "edt_Oldpass", 24, 24);
    edt_NewPass = addRow(QStringLiteral("输入新密码："), "edt_NewPass", 56, 53);
    edt_ConfirmNewPass = addRow(QStringLiteral("确认新密码："), "edt_ConfirmNewPass", 85, 82);
    setTabOrder(edt_Oldpass, edt_NewPass);
    setTabOrder(edt_NewPass, edt_ConfirmNewPass);

    btn_OK = makeButton(QStringLiteral("修改(&M)"), QRect(120, 144, 89, 22));
    btn_OK->setObjectName(QStringLiteral("btn_OK"));
    btn_Close = makeButton(QStringLiteral("关闭(&C)"), QRect(232, 144, 89, 22));
    btn_Close->setObjectName(QStringLiteral("btn_Close"));

    connect(btn_OK, &QPushButton::clicked, this, &TfrmModifyLoginPass::btn_OKClick);
    connect(btn_Close, &QPushButton::clicked, this, &TfrmModifyLoginPass::btn_CloseClick);
}

void TfrmModifyLoginPass::btn_OKClick()
{
    try {
        modify();
    } catch (const std::exception &) {
        // An unreadable reply ends the attempt without a word; the window stays usable.
    }
}

void TfrmModifyLoginPass::modify()
{
    const QString oldPass = TrimText(edt_Oldpass->text());
    const QString newPass = TrimText(edt_NewPass->text());
    const QString confirmPass = TrimText(edt_ConfirmNewPass->text());
    if (oldPass.isEmpty()) {
        showError(this, kEmptyOld);
        edt_Oldpass->setFocus();
        return;
    }
    if (newPass.isEmpty()) {
        showError(this, kEmptyNew);
        edt_NewPass->setFocus();
        return;
    }
    if (confirmPass.isEmpty()) {
        showError(this, kEmptyConfirm);
        edt_ConfirmNewPass->setFocus();
        return;
    }
    if (!SameTextAscii(oldPass, m_userInfo.FUserPass())) {
        showError(this, kWrongOld);
        edt_Oldpass->setFocus();
        return;
    }
    if (!SameTextAscii(newPass, confirmPass)) {
        showError(this, kMismatch);
        edt_NewPass->setFocus();
        return;
    }

    const QStringList fields{QStringLiteral("action=modifyloginpass"), QStringLiteral("newuserpass=") + newPass};
    QByteArray response;
    QString errorText;
    if (!ExecRemoteProc(this, &fields, &response, true, errorText)) {
        showError(this, kExchangeFailed + errorText, kErrorTitle);
        return;
    }
    if (!ReadReply(response).succeeded()) {
        showError(this, kRefused);
        return;
    }
    m_userInfo.setUserPass(newPass);
    messageBoxes().show(this, kDone, kHintTitle, MessageBoxes::Icon::Information, MessageBoxes::Buttons::Ok);
    close();
}

void TfrmModifyLoginPass::btn_CloseClick()
{
    close();
}
