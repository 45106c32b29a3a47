#include "BindPayInformationWindow.h"

#include "MessageBoxes.h"
#include "RemoteProc.h"
#include "ReplyReader.h"
#include "TextTrim.h"
#include "UserInfo.h"

#include <QLineEdit>
#include <QPushButton>

namespace {

const QString kHintTitle = QStringLiteral("提示");
const QString kErrorTitle = QStringLiteral("错误");
const QString kEmptyName = QStringLiteral("支付宝姓名不能为空!");
const QString kEmptyAccount = QStringLiteral("支付宝账户不能为空!");
const QString kQuestion = QStringLiteral("确定要绑定支付信息吗?");
const QString kExchangeFailed = QStringLiteral("支付信息绑定失败，请稍后再试！");
const QString kRefused = QStringLiteral("支付信息绑定失败，请稍后再试");
const QString kDone = QStringLiteral("支付信息绑定成功！");
const QString kPleaseBind = QStringLiteral("请绑定您的支付宝信息！");

constexpr int kEditHeight = 21;

void showError(QWidget *parent, const QString &text, const QString &title = kHintTitle)
{
    messageBoxes().show(parent, text, title, MessageBoxes::Icon::Error, MessageBoxes::Buttons::Ok);
}

} // namespace

TfrmBindModifyPayInformation::TfrmBindModifyPayInformation(QWidget *AOwner, bool bModify, TUserInfo &userInfo)
    : TAccountDialog(AOwner, QSize(377, 234), designFont(QStringLiteral("Tahoma"), 11))
    , FbModify(bModify)
    , m_userInfo(userInfo)
{
    setWindowTitle(QStringLiteral("绑定、修改支付信息"));

    auto *nameLabel = new QLabel(QStringLiteral("支付宝姓名："), this);
    nameLabel->move(16, 27);
    nameLabel->adjustSize();
    edt_alipayusername = new QLineEdit(this);
    edt_alipayusername->setObjectName(QStringLiteral("edt_alipayusername"));
    edt_alipayusername->setGeometry(94, 24, 259, kEditHeight);

    auto *accountLabel = new QLabel(QStringLiteral("支付宝账户："), this);
    accountLabel->move(16, 75);
    accountLabel->adjustSize();
    edt_alipayaccount = new QLineEdit(this);
    edt_alipayaccount->setObjectName(QStringLiteral("edt_alipayaccount"));
    edt_alipayaccount->setGeometry(94, 72, 259, kEditHeight);
    setTabOrder(edt_alipayusername, edt_alipayaccount);

    auto *note = new QLabel(QStringLiteral("注意：支付宝姓名绑定后不可以修改，支付宝账户绑定后可以修改"), this);
    note->move(8, 123);
    note->adjustSize();

    btn_Bind = makeButton(QStringLiteral("绑定(&B)"), QRect(112, 184, 105, 22));
    btn_Bind->setObjectName(QStringLiteral("btn_Bind"));
    btn_Close = makeButton(QStringLiteral("以后再说(&C)"), QRect(248, 184, 105, 22));
    btn_Close->setObjectName(QStringLiteral("btn_Close"));

    connect(btn_Bind, &QPushButton::clicked, this, &TfrmBindModifyPayInformation::btn_BindClick);
    connect(btn_Close, &QPushButton::clicked, this, &TfrmBindModifyPayInformation::btn_CloseClick);
}

void TfrmBindModifyPayInformation::showEvent(QShowEvent *event)
{
    TAccountDialog::showEvent(event);
    edt_alipayusername->setReadOnly(FbModify);
    if (FbModify) {
        edt_alipayusername->setText(m_userInfo.Falipayusername);
        edt_alipayaccount->setText(m_userInfo.Falipayaccount);
    }
}

void TfrmBindModifyPayInformation::btn_BindClick()
{
    try {
        bind();
    } catch (const std::exception &) {
        // An unreadable reply ends the attempt without a word; the window stays usable.
    }
}

void TfrmBindModifyPayInformation::bind()
{
    const QString name = TrimText(edt_alipayusername->text());
    const QString account = TrimText(edt_alipayaccount->text());
    if (name.isEmpty()) {
        showError(this, kEmptyName);
        edt_alipayusername->setFocus();
        return;
    }
    if (account.isEmpty()) {
        showError(this, kEmptyAccount);
        edt_alipayaccount->setFocus();
        return;
    }
    if (messageBoxes().show(this, kQuestion, kHintTitle, MessageBoxes::Icon::Question, MessageBoxes::Buttons::YesNo)
        != MessageBoxes::Answer::Yes)
        return;

    const QStringList fields{QStringLiteral("action=bindpayinformation"), QStringLiteral("alipayusername=") + name,
                             QStringLiteral("alipayaccount=") + account};
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
    m_userInfo.Falipayusername = name;
    m_userInfo.Falipayaccount = account;
    messageBoxes().show(this, kDone, kHintTitle, MessageBoxes::Icon::Information, MessageBoxes::Buttons::Ok);
    close();
}

void TfrmBindModifyPayInformation::btn_CloseClick()
{
    close();
}

void PromptPayInformationBinding(QWidget *mainWindow, TUserInfo &userInfo)
{
    if (!userInfo.FIsLifeTimeMember || (!userInfo.Falipayusername.isEmpty() && !userInfo.Falipayaccount.isEmpty()))
        return;
    messageBoxes().show(mainWindow, kPleaseBind, kHintTitle, MessageBoxes::Icon::Information,
                        MessageBoxes::Buttons::Ok);
    TfrmBindModifyPayInformation window(mainWindow, false, userInfo);
    window.exec();
}
