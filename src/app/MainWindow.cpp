#include "MainWindow.h"

#include "AdBrowserPane.h"
#include "AdDownload.h"
#include "AppFolders.h"
#include "AdviceWindow.h"
#include "AlipayWindow.h"
#include "AppExit.h"
#include "AppPictures.h"
#include "ClickLabel.h"
#include "FileVersion.h"
#include "InputBlock.h"
#include "MessageBoxes.h"
#include "Startup.h"
#include "StatusPanels.h"
#include "UpdateWindow.h"
#include "WaitForProcessDone.h"
#include "WindowMessages.h"

#include <QAction>
#include <QBuffer>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QDesktopServices>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMovie>
#include <QPushButton>
#include <QScreen>
#include <QSessionManager>
#include <QSystemTrayIcon>
#include <QTimer>

#include <thread>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

const QString kProductName = QStringLiteral("Zarnik");
const QString kCaption = QStringLiteral("Zarnik");

// Top panel
const QString kLogoHint = QStringLiteral("点击访问Zarnik官方网站");
const QString kRechargePictureHint = QStringLiteral("点击进行软件充值购买");
// Toolbar strip
const QString kWelcome = QStringLiteral("欢迎使用Zarnik软件");
const QString kSlogan = QStringLiteral("提升淘宝，天猫关键词排名的利器");
const QString kAddTask = QStringLiteral("添加任务");
const QString kStartTask = QStringLiteral("开始任务");
const QString kMemberCentre = QStringLiteral("会员中心");
// User box
const QString kUserCentre = QStringLiteral(" 用户中心：");
const QString kUserName = QStringLiteral("用户姓名：");
const QString kUserLevel = QStringLiteral("会员等级：");
const QString kExpiredTime = QStringLiteral("到期时间：");
const QString kUserNameFormat = QStringLiteral("用户姓名：%s");
const QString kUserLevelFormat = QStringLiteral("会员等级：%s");
const QString kExpiredTimeFormat = QStringLiteral("到期时间：%s");
const QString kOrdinaryMember = QStringLiteral("普通会员");
const QString kLifeTimeMember = QStringLiteral("终身会员");
const QString kSupport = QStringLiteral("客服：");
const QString kServiceHours = QStringLiteral("时间：早上9点 - 晚上24点");
const QString kAlipayLink = QStringLiteral("点击这里，支付宝付款");
const QString kAdHint = QStringLiteral("点击进行充值或升级会员");
// Status bar
const QString kWelcomeFormat = QStringLiteral("欢迎使用%s");
const QString kVersionFormat = QStringLiteral("当前版本%s");
const QString kCustomWork = QStringLiteral("承接软件定制、仿制业务");
// Menus and actions
const QString kMenuFile = QStringLiteral("文件(&F)");
const QString kMenuSettings = QStringLiteral("设置(&C)");
const QString kMenuTools = QStringLiteral("工具(&T)");
const QString kMenuHelp = QStringLiteral("帮助(&H)");
const QString kShowMainForm = QStringLiteral("显示主窗口");
const QString kExitApp = QStringLiteral("退出程序");
const QString kUpdate = QStringLiteral("更新升级");
const QString kHomePage = QStringLiteral("官方网站");
const QString kAbout = QStringLiteral("关于...");
const QString kDeleteTask = QStringLiteral("删除选中任务");
const QString kRefreshSelfTaskList = QStringLiteral("刷新列表");
const QString kStartWorkAction = QStringLiteral("act_StartWork");
const QString kModifyLoginPass = QStringLiteral("修改登录密码");
const QString kConnectQQ = QStringLiteral("联系在线客服");
const QString kRecharge = QStringLiteral("在线充值");
const QString kAdvice = QStringLiteral("意见建议");
const QString kClearCache = QStringLiteral("清空缓存文件");
const QString kTaskCategory = QStringLiteral("Task");
// Tray
const QString kBalloonTitle = QStringLiteral("欢迎使用 Zarnik");
const QString kBalloonText = QStringLiteral("Zarnik 仍在后台运行，单击这里的图标即可打开主窗口。");
// Exit and first activation
const QString kExitQuestion = QStringLiteral("确定要退出%s吗?");
const QString kSystemPrompt = QStringLiteral("系统提示");
const QString kExitWaitText = QStringLiteral("命令正在执行，请耐心等待......");
const QString kSupportChatFormat = QStringLiteral("tencent://message/?uin=%s&Site=%s&Menu=yes");

constexpr int kClientWidth = 936;
constexpr int kClientHeight = 605;
constexpr int kTopHeight = 73;
constexpr int kBottomHeight = 141;
constexpr int kLeftWidth = 769;
constexpr int kRightWidth = 167;
constexpr int kMiddleHeight = kClientHeight - kTopHeight - kBottomHeight;
constexpr int kToolbarHeight = 56;

// "%s" filled in order, as the program's format texts are written.
QString FormatText(QString format, std::initializer_list<QString> values)
{
    for (const QString &value : values) {
        const qsizetype at = format.indexOf(QLatin1String("%s"));
        if (at < 0)
            break;
        format.replace(at, 2, value);
    }
    return format;
}

QFont WindowFont()
{
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    return font;
}

QFont BoldFont(int pixelSize)
{
    QFont font = WindowFont();
    font.setPixelSize(pixelSize);
    font.setBold(true);
    return font;
}

QPushButton *FlatButton(QWidget *parent, const QString &name, const QString &text, const QPixmap &picture,
                        const QString &colour, int left)
{
    auto *button = new QPushButton(QIcon(picture), text, parent);
    button->setObjectName(name);
    button->setGeometry(left, 10, 95, 36);
    button->setFont(BoldFont(13));
    button->setFlat(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setFocusPolicy(Qt::NoFocus);
    button->setStyleSheet(QStringLiteral("QPushButton { background-color: %1; color: white; border: none; }"
                                         "QPushButton:pressed { background-color: %2; }")
                              .arg(colour, QColor(colour).darker(120).name()));
    return button;
}

QLabel *PlainLabel(QWidget *parent, const QString &name, const QString &text, int left, int top)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->move(left, top);
    label->adjustSize();
    return label;
}

} // namespace

TfrmMain::TfrmMain(MainWindowWiring wiring, AppPaths paths, const Timings &timings, QWidget *parent)
    : QMainWindow(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                              | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint
                              | Qt::MSWindowsFixedSizeDialogHint)
    , FWiring(std::move(wiring))
    , FPaths(std::move(paths))
    , FTimings(timings)
{
    InitAppPictures();
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(kCaption);
    setWindowIcon(AppIcon());
    setFont(WindowFont());
    setAttribute(Qt::WA_AlwaysShowToolTips);

    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("pnl_Client"));
    central->setFixedSize(kClientWidth, kClientHeight);
    setCentralWidget(central);
    BuildTopPanel(central);
    BuildMiddle(central);
    BuildBottomPanel(central);
    BuildActions();
    BuildMenus();
    BuildTray();
    BuildTimers();
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    m_inputBlock = new InputBlock(this);
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &) { OnSessionEnd(); });

    FormCreate();
}

TfrmMain::~TfrmMain()
{
    SetInputBlocked(false);
}

void TfrmMain::BuildTopPanel(QWidget *central)
{
    auto *top = new QFrame(central);
    top->setObjectName(QStringLiteral("pnl_Top"));
    top->setGeometry(0, 0, kClientWidth, kTopHeight);

    auto *banner = new ClickLabel(top);
    banner->setObjectName(QStringLiteral("img_Banner"));
    banner->setGeometry(0, 0, kClientWidth, kTopHeight - 2);
    banner->setAlignment(Qt::AlignCenter);
    banner->setPixmap(AppPicture(AppPictureId::Banner));
    img_Banner = banner;

    img_Logo = new ClickLabel(top);
    img_Logo->setObjectName(QStringLiteral("img_Logo"));
    img_Logo->setGeometry(1, 2, 228, 66);
    img_Logo->setPixmap(AppPicture(AppPictureId::Logo));
    img_Logo->setToolTip(kLogoHint);

    img_Recharge = new ClickLabel(top);
    img_Recharge->setObjectName(QStringLiteral("img_Recharge"));
    img_Recharge->setGeometry(794, 16, 114, 40);
    img_Recharge->setPixmap(AppPicture(AppPictureId::Recharge));
    img_Recharge->setToolTip(kRechargePictureHint);

    auto *bevel = new QFrame(top);
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);
    bevel->setGeometry(0, kTopHeight - 2, kClientWidth, 2);

    connect(banner, &ClickLabel::clicked, this, [this] { OpenUrl(FWiring.homePage); });
    connect(img_Logo, &ClickLabel::clicked, this, [this] { OpenUrl(FWiring.homePage); });
    connect(img_Recharge, &ClickLabel::clicked, this, [this] { OpenUrl(FWiring.rechargePage); });
}

void TfrmMain::BuildMiddle(QWidget *central)
{
    auto *left = new QWidget(central);
    left->setObjectName(QStringLiteral("pnl_Left"));
    left->setGeometry(0, kTopHeight, kLeftWidth, kMiddleHeight);

    auto *strip = new QFrame(left);
    strip->setObjectName(QStringLiteral("pnl_Toolbar"));
    strip->setGeometry(0, 0, kLeftWidth, kToolbarHeight);
    img_ToolbarIcon = new QLabel(strip);
    img_ToolbarIcon->setObjectName(QStringLiteral("img_ToolbarIcon"));
    img_ToolbarIcon->setGeometry(11, 12, 32, 32);
    img_ToolbarIcon->setPixmap(AppPicture(AppPictureId::ToolbarIcon));
    PlainLabel(strip, QStringLiteral("lbl_Welcome"), kWelcome, 56, 13);
    PlainLabel(strip, QStringLiteral("lbl_Slogan"), kSlogan, 56, 32);

    const QString green = QStringLiteral("#2e9e5b");
    const QString red = QStringLiteral("#d9362b");
    btn_AddTask = FlatButton(strip, QStringLiteral("btn_AddTask"), kAddTask,
                             AppPicture(AppPictureId::AddTaskButton), green, 311);
    btn_StartTask = FlatButton(strip, QStringLiteral("btn_StartTask"), kStartTask,
                               AppPicture(AppPictureId::StartTaskButton), green, 425);
    btn_StartTask->setToolTip(kAddTask);
    btn_MemberCentre = FlatButton(strip, QStringLiteral("btn_MemberCentre"), kMemberCentre,
                                  AppPicture(AppPictureId::MemberCentreButton), red, 539);
    btn_Recharge = FlatButton(strip, QStringLiteral("btn_Recharge"), kRecharge,
                              AppPicture(AppPictureId::RechargeButton), red, 653);

    if (FWiring.createTaskListView) {
        lv_Task = FWiring.createTaskListView(left);
        lv_Task->setGeometry(0, kToolbarHeight, kLeftWidth, kMiddleHeight - kToolbarHeight);
    }

    auto *right = new QWidget(central);
    right->setObjectName(QStringLiteral("pnl_Right"));
    right->setGeometry(kLeftWidth, kTopHeight, kRightWidth, kMiddleHeight);
    BuildRightColumn(right);

    connect(btn_StartTask, &QPushButton::clicked, this, [this] {
        if (FWiring.startTaskClick)
            FWiring.startTaskClick();
    });
    connect(btn_MemberCentre, &QPushButton::clicked, this, [this] { OpenUrl(FWiring.userCentrePage); });
}

void TfrmMain::BuildRightColumn(QWidget *column)
{
    grp_UserCentre = new QGroupBox(kUserCentre, column);
    grp_UserCentre->setObjectName(QStringLiteral("grp_UserCentre"));
    grp_UserCentre->setGeometry(3, 3, 161, 174);
    lbl_UserName = PlainLabel(grp_UserCentre, QStringLiteral("lbl_UserName"), kUserName, 3, 20);
    lbl_userlevel = PlainLabel(grp_UserCentre, QStringLiteral("lbl_userlevel"), kUserLevel, 3, 43);
    lbl_ExpiredTime = PlainLabel(grp_UserCentre, QStringLiteral("lbl_ExpiredTime"), kExpiredTime, 3, 64);
    PlainLabel(grp_UserCentre, QStringLiteral("lbl_Support"), kSupport, 3, 90);
    img_Support = new ClickLabel(grp_UserCentre);
    img_Support->setObjectName(QStringLiteral("img_Support"));
    img_Support->setGeometry(40, 84, 107, 24);
    img_Support->setPixmap(AppPicture(AppPictureId::Support));
    QLabel *hours = PlainLabel(grp_UserCentre, QStringLiteral("lbl_ServiceTime"), kServiceHours, 3, 117);
    QPalette grey = hours->palette();
    grey.setColor(QPalette::WindowText, Qt::gray);
    hours->setPalette(grey);

    lbl_Alipay = new ClickLabel(grp_UserCentre);
    lbl_Alipay->setObjectName(QStringLiteral("lbl_Alipay"));
    lbl_Alipay->setText(kAlipayLink);
    lbl_Alipay->setFont(BoldFont(13));
    QPalette blue = lbl_Alipay->palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    lbl_Alipay->setPalette(blue);
    lbl_Alipay->move(11, 146);
    lbl_Alipay->adjustSize();

    // Both pictures share one place; the rotation shows one at a time.
    img_ad = new ClickLabel(column);
    img_ad->setObjectName(QStringLiteral("img_ad"));
    img_ad->setGeometry(6, 183, 163, 200);
    img_ad->setAlignment(Qt::AlignCenter);
    img_ad->setToolTip(kAdHint);
    m_builtInAd = new QMovie(BuiltInAdGifPath(), QByteArray(), this);
    img_ad->setMovie(m_builtInAd);

    img_alipay = new QLabel(column);
    img_alipay->setObjectName(QStringLiteral("img_alipay"));
    img_alipay->setGeometry(-41, 168, 252, 218);
    img_alipay->setScaledContents(true);
    img_alipay->setPixmap(AppPicture(AppPictureId::PaymentQr));
    img_alipay->hide();

    connect(img_Support, &ClickLabel::clicked, this, [this] { act_ConnectQQ->trigger(); });
    connect(lbl_Alipay, &ClickLabel::clicked, this, [this] { ShowModal(frmAlipay); });
    connect(img_ad, &ClickLabel::clicked, this, [this] { OpenUrl(FWiring.rechargePage); });
}

void TfrmMain::BuildBottomPanel(QWidget *central)
{
    auto *bottom = new QFrame(central);
    bottom->setObjectName(QStringLiteral("pnl_Bottom"));
    bottom->setGeometry(0, kClientHeight - kBottomHeight, kClientWidth, kBottomHeight);

    wb_ad = new AdBrowserPane(bottom);
    wb_ad->setObjectName(QStringLiteral("wb_ad"));
    wb_ad->setGeometry(1, 1, 934, 120);

    stat_main = new StatusPanels(bottom);
    stat_main->setObjectName(QStringLiteral("stat_main"));
    stat_main->setGeometry(0, kBottomHeight - 19, kClientWidth, 19);
    stat_main->SetText(2, kCustomWork);
}

void TfrmMain::BuildActions()
{
    auto makeAction = [this](const QString &name, const QString &caption, const QString &category) {
        auto *action = new QAction(caption, this);
        action->setObjectName(name);
        action->setToolTip(caption);
        action->setProperty("category", category);
        return action;
    };
    act_ShowMainForm = makeAction(QStringLiteral("act_ShowMainForm"), kShowMainForm, {});
    act_ExitApp = makeAction(QStringLiteral("act_ExitApp"), kExitApp, {});
    act_Update = makeAction(QStringLiteral("act_Update"), kUpdate, {});
    act_HomePage = makeAction(QStringLiteral("act_HomePage"), kHomePage, {});
    act_About = makeAction(QStringLiteral("act_About"), kAbout, {});
    act_About->setEnabled(false);
    act_AddTask = makeAction(QStringLiteral("act_AddTask"), kAddTask, kTaskCategory);
    act_DeleteTask = makeAction(QStringLiteral("act_DeleteTask"), kDeleteTask, kTaskCategory);
    act_RefreshSelfTaskList = makeAction(QStringLiteral("act_RefreshSelfTaskList"), kRefreshSelfTaskList, kTaskCategory);
    act_StartWork = makeAction(QStringLiteral("act_StartWork"), kStartWorkAction, kTaskCategory);
    act_StartWork->setToolTip({});
    act_ModifyLoginPass = makeAction(QStringLiteral("act_ModifyLoginPass"), kModifyLoginPass, {});
    act_ConnectQQ = makeAction(QStringLiteral("act_ConnectQQ"), kConnectQQ, {});
    act_Recharge = makeAction(QStringLiteral("act_Recharge"), kRecharge, {});
    act_advice = makeAction(QStringLiteral("act_advice"), kAdvice, {});
    Q1 = makeAction(QStringLiteral("Q1"), kClearCache, {});

    auto call = [](const std::function<void()> &step) {
        if (step)
            step();
    };
    connect(act_ShowMainForm, &QAction::triggered, this, [this] { PostWindowMessage(this, WM_ShowMainForm); });
    connect(act_ExitApp, &QAction::triggered, this, [this] { PostWindowMessage(this, WM_ExitApp); });
    connect(act_Update, &QAction::triggered, this, [this] { ShowModal(frmUpdate); });
    connect(act_HomePage, &QAction::triggered, this, [this] { OpenUrl(FWiring.homePage); });
    connect(act_AddTask, &QAction::triggered, this, [this, call] { call(FWiring.addTask); });
    connect(act_DeleteTask, &QAction::triggered, this, [this, call] { call(FWiring.deleteTask); });
    connect(act_RefreshSelfTaskList, &QAction::triggered, this,
            [this] { PostWindowMessage(this, WM_RefreshSelfTaskList); });
    connect(act_StartWork, &QAction::triggered, this, [this, call] { call(FWiring.startWorkCommand); });
    connect(act_ModifyLoginPass, &QAction::triggered, this, [this] {
        if (FWiring.modifyLoginPass)
            FWiring.modifyLoginPass(this);
    });
    connect(act_ConnectQQ, &QAction::triggered, this, [this] {
        OpenUrl(QUrl(FormatText(kSupportChatFormat, {FWiring.supportNumber, FWiring.supportNumber})));
    });
    connect(act_Recharge, &QAction::triggered, this, [this] { OpenUrl(FWiring.rechargePage); });
    connect(act_advice, &QAction::triggered, this, [this] { ShowModal(frmAdvice); });
    connect(Q1, &QAction::triggered, this, [this, call] { call(FWiring.clearCache); });

    connect(btn_AddTask, &QPushButton::clicked, act_AddTask, &QAction::trigger);
    connect(btn_Recharge, &QPushButton::clicked, act_Recharge, &QAction::trigger);
    btn_AddTask->setToolTip(act_AddTask->toolTip());
    btn_Recharge->setToolTip(act_Recharge->toolTip());
    img_Support->setToolTip(act_ConnectQQ->toolTip());
}

void TfrmMain::BuildMenus()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("mm_Main"));
    QMenu *file = bar->addMenu(kMenuFile);
    file->addAction(act_ExitApp);
    bar->addMenu(kMenuSettings);
    QMenu *tools = bar->addMenu(kMenuTools);
    tools->addAction(Q1);
    tools->addSeparator();
    tools->addAction(act_ModifyLoginPass);
    QMenu *help = bar->addMenu(kMenuHelp);
    help->addAction(act_Update);
    help->addAction(act_HomePage);
    help->addAction(act_advice);
    help->addSeparator();
    help->addAction(act_About);
}

void TfrmMain::BuildTray()
{
    pm_Tray = new QMenu(this);
    pm_Tray->setObjectName(QStringLiteral("pm_Tray"));
    pm_Tray->addAction(act_ShowMainForm);
    pm_Tray->addAction(act_HomePage);
    pm_Tray->addAction(act_Update);
    pm_Tray->addSeparator();
    pm_Tray->addAction(act_ExitApp);

    TrayIcon1 = new QSystemTrayIcon(AppIcon(), this);
    TrayIcon1->setObjectName(QStringLiteral("TrayIcon1"));
    TrayIcon1->setToolTip(kCaption);
    TrayIcon1->setContextMenu(pm_Tray);
    connect(TrayIcon1, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            act_ShowMainForm->trigger();
    });
}

void TfrmMain::BuildTimers()
{
    auto makeTimer = [this](const QString &name, Timings::ms interval) {
        auto *timer = new QTimer(this);
        timer->setObjectName(name);
        timer->setInterval(interval);
        return timer;
    };
    tmr_GetTaskList = makeTimer(QStringLiteral("tmr_GetTaskList"), FTimings.firstTaskListLoad);
    tmr_PIC = makeTimer(QStringLiteral("tmr_PIC"), FTimings.adRotationTick);
    tmr_GetSelfTaskList = makeTimer(QStringLiteral("tmr_GetSelfTaskList"), FTimings.selfTaskListReload);
    connect(tmr_GetTaskList, &QTimer::timeout, this, &TfrmMain::tmr_GetTaskListTimer);
    connect(tmr_PIC, &QTimer::timeout, this, &TfrmMain::tmr_PICTimer);
    connect(tmr_GetSelfTaskList, &QTimer::timeout, this, &TfrmMain::tmr_GetSelfTaskListTimer);
    FPicTag = FTimings.adRotationSteps;
    tmr_PIC->start();
}

void TfrmMain::SetSideWindows(TfrmUpdate *update, TfrmAdvice *advice, TfrmAlipay *alipay)
{
    frmUpdate = update;
    frmAdvice = advice;
    frmAlipay = alipay;
}

void TfrmMain::SetStatusText(int panel, const QString &text)
{
    stat_main->SetText(panel, text);
}

QString TfrmMain::StatusText(int panel) const
{
    return stat_main->Text(panel);
}

void TfrmMain::SetInputBlocked(bool bBlocked)
{
    if (m_inputBlock)
        m_inputBlock->setBlocked(bBlocked);
}

bool TfrmMain::bInputBlocked() const
{
    return m_inputBlock && m_inputBlock->bBlocked();
}

void TfrmMain::FormCreate()
{
    SetStartupErrorMode();
    gLogDir = FPaths.exeDir + QStringLiteral("logs/");
    QDir().mkpath(gLogDir);
    QDir().mkpath(FPaths.exeDir + QStringLiteral("db/"));
    gDbFile = FPaths.exeDir + QStringLiteral("db/data.db");
    QFile::remove(FPaths.currentDir + QStringLiteral("task.json"));
    QFile::remove(FPaths.currentDir + QStringLiteral("result.json"));

    m_adGifBytes = new QBuffer(this);
    FAdGif = new QMovie(this);
    auto *download = new AdDownload(this);
    connect(download, &AdDownload::PictureArrived, this, &TfrmMain::OnAdPictureArrived);
    download->Start(FWiring.adPicture);

    m_builtInAd->setSpeed(100);
    m_builtInAd->start();
}

void TfrmMain::OnAdPictureArrived(const QByteArray &bytes)
{
    if (!FAdGif || FbClosing)
        return;
    FAdGif->stop();
    FAdGif->setDevice(nullptr);
    m_adGifBytes->close();
    m_adGifBytes->setData(bytes);
    m_adGifBytes->open(QIODevice::ReadOnly);
    FAdGif->setFormat(QByteArrayLiteral("gif"));
    FAdGif->setDevice(m_adGifBytes);
    if (!FAdGif->isValid() || !FAdGif->jumpToFrame(0)) {
        FAdGif->setDevice(nullptr);
        return;
    }
    FAdGif->setSpeed(100);
    img_ad->setMovie(FAdGif);
    FAdGif->start();
    m_builtInAd->stop();
}

void TfrmMain::ReleaseAdGif()
{
    if (!FAdGif)
        return;
    if (img_ad->movie() == FAdGif)
        img_ad->setMovie(m_builtInAd);
    delete std::exchange(FAdGif, nullptr);
}

void TfrmMain::setVisible(bool visible)
{
    const bool bShowing = visible && !isVisible();
    if (bShowing)
        FormShow();
    if (bShowing && !FbPlaced) {
        FbPlaced = true;
        if (const QScreen *desktop = QGuiApplication::primaryScreen()) {
            QRect frame(QPoint(0, 0), sizeHint());
            frame.moveCenter(desktop->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    QMainWindow::setVisible(visible);
    if (bShowing)
        activateWindow();
}

void TfrmMain::FormShow()
{
    if (FbFirstShow) {
        FbFirstShow = false;
        if (FWiring.runLogin)
            FWiring.runLogin(this);
        if (FWiring.afterLogin)
            FWiring.afterLogin(this);
    }

    const MemberSummary member = FWiring.member ? FWiring.member() : MemberSummary();
    lbl_UserName->setText(FormatText(kUserNameFormat, {member.userName}));
    lbl_UserName->adjustSize();
    lbl_userlevel->setText(
        FormatText(kUserLevelFormat, {member.bLifeTimeMember ? kLifeTimeMember : kOrdinaryMember}));
    lbl_userlevel->adjustSize();
    lbl_ExpiredTime->setText(FormatText(kExpiredTimeFormat, {member.expiredTime}));
    lbl_ExpiredTime->adjustSize();
    SetStatusText(0, FormatText(kWelcomeFormat, {kProductName}));
    SetStatusText(1, FormatText(kVersionFormat,
                                {QString::fromStdString(GetFileVersionStr(FPaths.exeFile.toStdString()))}));
    TrayIcon1->setVisible(true);
}

void TfrmMain::FormActivate()
{
    wb_ad->Navigate(FWiring.adPage);

    if (FWiring.promptPayInformationBinding)
        FWiring.promptPayInformationBinding(this);

    if (FbClosing)
        return;
    if (FWiring.enableCheckSafeSoft)
        FWiring.enableCheckSafeSoft();
    tmr_GetTaskList->start();
    tmr_GetSelfTaskList->start();
}

bool TfrmMain::event(QEvent *event)
{
    switch (int(event->type())) {
    case WM_ShowMainForm:
        OnWM_ShowMainForm();
        return true;
    case WM_ExitApp:
        OnWM_ExitApp();
        return true;
    case WM_RefreshSelfTaskList:
        OnWM_RefreshSelfTaskList();
        return true;
    case WM_RefreshTaskList:
        OnWM_RefreshTaskList();
        return true;
    case WM_StartWork:
        OnWM_StartWork();
        return true;
    case QEvent::WindowActivate:
        if (FbFirstActivate) {
            FbFirstActivate = false;
            QMetaObject::invokeMethod(this, &TfrmMain::FormActivate, Qt::QueuedConnection);
        }
        break;
    default:
        break;
    }
    return QMainWindow::event(event);
}

void TfrmMain::OnWM_ShowMainForm()
{
    if (FbClosing)
        return;
    show();
    if (windowState() & Qt::WindowMinimized)
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    raise();
    activateWindow();
}

void TfrmMain::OnWM_RefreshSelfTaskList()
{
    if (!FbClosing && FWiring.getSelfTaskList)
        FWiring.getSelfTaskList();
}

void TfrmMain::OnWM_RefreshTaskList()
{
    if (!FbClosing && FWiring.getTaskList)
        FWiring.getTaskList();
}

void TfrmMain::OnWM_StartWork()
{
    if (!FbClosing && FWiring.startWork)
        FWiring.startWork();
}

void TfrmMain::closeEvent(QCloseEvent *event)
{
    event->ignore();
    PostWindowMessage(this, WM_ExitApp);
}

void TfrmMain::OnWM_ExitApp()
{
    if (FbClosing)
        return;
    const auto answer = messageBoxes().show(this, FormatText(kExitQuestion, {kProductName}), kSystemPrompt,
                                            MessageBoxes::Icon::Question, MessageBoxes::Buttons::OkCancel);
    if (answer != MessageBoxes::Answer::Ok || FbClosing)
        return;

    // From here no timer and no posted message may reach what the clean-up frees.
    StopTimersForExit();
    TrayIcon1->hide();
    SetInputBlocked(true);

    std::thread cleaner;
    const std::function<void()> release = FWiring.releaseAppResources;
    auto *wait = new TfrmWaitForProcessDone(this, kExitWaitText,
                                            [&cleaner, release](std::shared_ptr<const WaitDoneHandle> done) {
                                                cleaner = std::thread([release, done] {
                                                    try {
                                                        if (release)
                                                            release();
                                                    } catch (...) {
                                                        // The process ends all the same.
                                                    }
                                                    done->postDone();
                                                });
                                            });
    gWaitWindow = wait;
    wait->exec();
    if (cleaner.joinable())
        cleaner.join();
    delete wait;

    SetInputBlocked(false);
    ReleaseAdGif();
    appExit().exitNow(0);
}

void TfrmMain::OnSessionEnd()
{
    StopTimersForExit();
    TrayIcon1->hide();
    SetInputBlocked(true);
    try {
        if (FWiring.releaseAppResources)
            FWiring.releaseAppResources();
    } catch (...) {
        // Log-off must end the process whatever the clean-up met.
    }
    ReleaseAdGif();
    appExit().exitNow(0);
}

void TfrmMain::StopTimersForExit()
{
    FbClosing = true;
    tmr_GetTaskList->stop();
    tmr_PIC->stop();
    tmr_GetSelfTaskList->stop();
    if (FWiring.stopSubsystemTimers)
        FWiring.stopSubsystemTimers();
}

void TfrmMain::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized))
        QMetaObject::invokeMethod(this, &TfrmMain::ApplicationMinimize, Qt::QueuedConnection);
}

void TfrmMain::ApplicationMinimize()
{
    // Without a tray the window stays in the task bar, so the member can always get back.
    if (!(windowState() & Qt::WindowMinimized) || !QSystemTrayIcon::isSystemTrayAvailable() || FbClosing)
        return;
    hide();
    TrayIcon1->showMessage(kBalloonTitle, kBalloonText, QSystemTrayIcon::Information);
}

void TfrmMain::tmr_GetTaskListTimer()
{
    tmr_GetTaskList->stop();
    if (FWiring.firstTaskListLoad)
        FWiring.firstTaskListLoad();
}

void TfrmMain::tmr_GetSelfTaskListTimer()
{
    if (FWiring.getSelfTaskList)
        FWiring.getSelfTaskList();
}

void TfrmMain::tmr_PICTimer()
{
    tmr_PIC->stop();
    if (--FPicTag <= 0) {
        // The pictures' own flags: while the window is in the tray neither is on screen.
        img_ad->setHidden(!img_ad->isHidden());
        img_alipay->setHidden(!img_alipay->isHidden());
        FPicTag = FTimings.adRotationSteps;
    }
    if (!FbClosing)
        tmr_PIC->start();
}

void TfrmMain::OpenUrl(const QUrl &url) const
{
    if (FWiring.openUrl)
        FWiring.openUrl(url);
    else
        QDesktopServices::openUrl(url);
}

void TfrmMain::ShowModal(QWidget *window) const
{
    if (auto *dialog = qobject_cast<QDialog *>(window))
        dialog->exec();
}

bool TfrmMain::nativeEvent(const QByteArray &eventType, void *message, qintptr *result)
{
#ifdef Q_OS_WIN
    // A second start sends WM_ShowMainForm to the marked window and waits until it is handled.
    if (eventType == "windows_generic_MSG" && static_cast<MSG *>(message)->message == WM_ShowMainForm) {
        OnWM_ShowMainForm();
        *result = 0;
        return true;
    }
#endif
    return QMainWindow::nativeEvent(eventType, message, result);
}
