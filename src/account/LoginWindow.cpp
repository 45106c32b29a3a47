#include "LoginWindow.h"

#include "AppExit.h"
#include "AppPaths.h"
#include "CredentialsFile.h"
#include "Endpoints.h"
#include "FileVersion.h"
#include "JsonValue.h"
#include "LoginReply.h"
#include "MessageBoxes.h"
#include "RemoteProc.h"
#include "ReplyReader.h"
#include "TextTrim.h"
#include "UserInfo.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>

// The picture lives in this static library, so its resource is registered by hand (outside any
// namespace, as the macro requires).
static void initPictures()
{
    Q_INIT_RESOURCE(account_pictures);
}

namespace {

const QString kCaption = QStringLiteral("欢迎登陆Zarnik");
const QString kProgramName = QStringLiteral("Zarnik");
const QString kWelcomePanel = QStringLiteral("欢迎使用%1");
const QString kVersionPanel = QStringLiteral("当前版本%1");
const QString kHintTitle = QStringLiteral("提示");
const QString kErrorTitle = QStringLiteral("错误");
const QString kEmptyName = QStringLiteral("登陆账户不能为空!");
const QString kEmptyPassword = QStringLiteral("登陆密码不能为空!");
const QString kExchangeFailed = QStringLiteral("登陆失败，请稍后再试！");
const QString kRefused = QStringLiteral("登陆失败");

constexpr int kLogoHeight = 70; // the edit panel's controls are placed below it
constexpr int kEditHeight = 21;
constexpr int kLabelSpacing = 3;

// A label on the left of its edit, right-aligned against it.
QLabel *labelLeftOf(QWidget *parent, const QString &text, const QRect &edit)
{
    auto *label = new QLabel(text, parent);
    label->adjustSize();
    label->move(edit.left() - kLabelSpacing - label->width(), edit.top() + (edit.height() - label->height()) / 2);
    return label;
}

} // namespace

TfrmLogin::TfrmLogin(QWidget *AOwner, const AppPaths &paths, TUserInfo &userInfo)
    : TAccountDialog(AOwner, QSize(350, 246), designFont(QStringLiteral("宋体"), 12))
    , m_userInfo(userInfo)
    , m_credentialsFile(CredentialsFilePath(paths.exeFile))
{
    setWindowTitle(QStringLiteral("欢迎登陆"));

    initPictures();
    img_Logo = new TClickLabel(this);
    img_Logo->setObjectName(QStringLiteral("img_Logo"));
    img_Logo->setGeometry(0, 0, 350, kLogoHeight);
    img_Logo->setPixmap(QPixmap(QStringLiteral(":/account/logo.png")));
    img_Logo->setCursor(Qt::PointingHandCursor);

    const QRect userRect(96, kLogoHeight + 10, 221, kEditHeight);
    lbledt_username = new QLineEdit(this);
    lbledt_username->setObjectName(QStringLiteral("lbledt_username"));
    lbledt_username->setGeometry(userRect);
    lbl_username = labelLeftOf(this, QStringLiteral("登录账户："), userRect);

    const QRect passRect(96, kLogoHeight + 41, 221, kEditHeight);
    lbledt_password = new QLineEdit(this);
    lbledt_password->setObjectName(QStringLiteral("lbledt_password"));
    lbledt_password->setGeometry(passRect);
    lbl_password = labelLeftOf(this, QStringLiteral("登录密码："), passRect);

    chk_Saveconfig = new QCheckBox(QStringLiteral("保存账号密码"), this);
    chk_Saveconfig->setObjectName(QStringLiteral("chk_Saveconfig"));
    chk_Saveconfig->move(35, kLogoHeight + 79);
    chk_Saveconfig->adjustSize();
    chk_Saveconfig->setChecked(true);

    lbl_register = new TClickLabel(QStringLiteral("立即注册"), this);
    lbl_register->setObjectName(QStringLiteral("lbl_register"));
    lbl_register->move(269, kLogoHeight + 79);
    lbl_register->setToolTip(QStringLiteral("立即注册账号以登录"));
    lbl_register->setCursor(Qt::PointingHandCursor);
    QFont linkFont = lbl_register->font();
    linkFont.setUnderline(true);
    lbl_register->setFont(linkFont);
    QPalette linkPalette = lbl_register->palette();
    linkPalette.setColor(QPalette::WindowText, Qt::blue);
    lbl_register->setPalette(linkPalette);
    lbl_register->adjustSize();

    btn_Login = makeButton(QStringLiteral("登录(&L)"), QRect(32, kLogoHeight + 109, 124, 27));
    btn_Login->setObjectName(QStringLiteral("btn_Login"));
    btn_Close = makeButton(QStringLiteral("取消(&C)"), QRect(196, kLogoHeight + 109, 121, 27));
    btn_Close->setObjectName(QStringLiteral("btn_Close"));

    stat_main = new QStatusBar(this);
    stat_main->setObjectName(QStringLiteral("stat_main"));
    stat_main->setSizeGripEnabled(false);
    stat_main->setGeometry(0, 246 - 19, 350, 19);
    auto *panel0 = new QLabel(stat_main);
    panel0->setObjectName(QStringLiteral("stat_main_panel0"));
    panel0->setFixedWidth(200);
    auto *panel1 = new QLabel(stat_main);
    panel1->setObjectName(QStringLiteral("stat_main_panel1"));
    panel1->setFixedWidth(50);
    panel1->setAlignment(Qt::AlignCenter);
    stat_main->addWidget(panel0);
    stat_main->addWidget(panel1);

    setTabOrder(lbledt_username, lbledt_password);
    setTabOrder(lbledt_password, chk_Saveconfig);

    connect(btn_Login, &QPushButton::clicked, this, &TfrmLogin::btn_LoginClick);
    connect(btn_Close, &QPushButton::clicked, this, &TfrmLogin::btn_CloseClick);
    connect(img_Logo, &TClickLabel::clicked, this, &TfrmLogin::img_LogoClick);
    connect(lbl_register, &TClickLabel::clicked, this, &TfrmLogin::lbl_registerClick);

    // FormCreate
    m_bCloseAfterLogin = false;
    setWindowTitle(kCaption);
    panel0->setText(kWelcomePanel.arg(kProgramName));
    panel1->setText(kVersionPanel.arg(QString::fromStdString(GetFileVersionStr(paths.exeFile.toStdString()))));
    const RememberedLogin remembered = ReadCredentials(m_credentialsFile);
    lbledt_username->setText(remembered.userName);
    lbledt_password->setText(remembered.userPass);
}

void TfrmLogin::btn_LoginClick()
{
    try {
        login();
    } catch (const std::exception &) {
        // An unreadable reply ends the attempt without a word; the window stays usable.
    }
}

void TfrmLogin::login()
{
    const QString userName = TrimText(lbledt_username->text());
    if (userName.isEmpty()) {
        messageBoxes().show(this, kEmptyName, kHintTitle, MessageBoxes::Icon::Error, MessageBoxes::Buttons::Ok);
        lbledt_username->setFocus();
        return;
    }
    const QString userPass = TrimText(lbledt_password->text());
    if (userPass.isEmpty()) {
        messageBoxes().show(this, kEmptyPassword, kHintTitle, MessageBoxes::Icon::Error, MessageBoxes::Buttons::Ok);
        lbledt_password->setFocus();
        return;
    }

    m_userInfo.reset();
    m_userInfo.setUserName(userName);
    m_userInfo.setUserPass(userPass);

    const QStringList fields{QStringLiteral("action=login")};
    QByteArray response;
    QString errorText;
    if (!ExecRemoteProc(this, &fields, &response, true, errorText)) {
        messageBoxes().show(this, kExchangeFailed + errorText, kErrorTitle, MessageBoxes::Icon::Error,
                            MessageBoxes::Buttons::Ok);
        return;
    }
    const Reply reply = ReadReply(response);
    if (!reply.succeeded()) {
        messageBoxes().show(this, kRefused, kHintTitle, MessageBoxes::Icon::Error, MessageBoxes::Buttons::Ok);
        return;
    }

    // A file that cannot be written must not keep the member out.
    if (chk_Saveconfig->isChecked())
        WriteCredentials(m_credentialsFile, {lbledt_username->text(), lbledt_password->text()});

    ReadLoginReply(reply.object, m_userInfo);

    m_bCloseAfterLogin = true;
    close();
}

void TfrmLogin::btn_CloseClick()
{
    appExit().exitNow(0);
}

void TfrmLogin::img_LogoClick()
{
    QDesktopServices::openUrl(WebSiteUrl(QStringLiteral("/")));
}

void TfrmLogin::lbl_registerClick()
{
    QDesktopServices::openUrl(ApiHostUrl(QStringLiteral("/register.php")));
}

void TfrmLogin::closeEvent(QCloseEvent *event)
{
    if (!m_bCloseAfterLogin) {
        appExit().exitNow(0);
        event->ignore();
        return;
    }
    event->accept();
    done(QDialog::Accepted);
}
