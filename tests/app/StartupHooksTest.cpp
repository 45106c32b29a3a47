#include "MainWindowFixture.h"

#include "AdBrowserPane.h"
#include "AppFolders.h"
#include "FileVersion.h"
#include "WindowMessages.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>

namespace {

class StartupHooksTest : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        timings.firstTaskListLoad = std::chrono::milliseconds(5);
        member.userName = QStringLiteral("alice");
        member.expiredTime = QStringLiteral("2027-03-01 08:00:00");
    }

    QString labelText(const char *name) { return window().findChild<QLabel *>(QLatin1String(name))->text(); }
};

TEST_F(StartupHooksTest, CreationPreparesFoldersAndRemovesExchangeFiles)
{
    for (const char *name : {"task.json", "result.json"}) {
        QFile file(paths.currentDir + QLatin1String(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    window();
    EXPECT_FALSE(QFile::exists(paths.currentDir + QStringLiteral("task.json")));
    EXPECT_FALSE(QFile::exists(paths.currentDir + QStringLiteral("result.json")));
    EXPECT_TRUE(QDir(paths.exeDir + QStringLiteral("logs")).exists());
    EXPECT_TRUE(QDir(paths.exeDir + QStringLiteral("db")).exists());
    EXPECT_EQ(gLogDir, paths.exeDir + QStringLiteral("logs/"));
    EXPECT_EQ(gDbFile, paths.exeDir + QStringLiteral("db/data.db"));
    EXPECT_TRUE(steps().isEmpty());
}

TEST_F(StartupHooksTest, FirstShowingLogsInThenActivationStartsTheTimersInOrder)
{
    showAndActivate();
    ASSERT_TRUE(WaitUntil([this] { return steps().contains(QStringLiteral("firstTaskListLoad")); }));

    EXPECT_EQ(steps(), (QStringList{QStringLiteral("login"), QStringLiteral("afterLogin"),
                                    QStringLiteral("bindingPrompt"), QStringLiteral("checkSafeSoft"),
                                    QStringLiteral("firstTaskListLoad")}));
    EXPECT_EQ(labelText("lbl_UserName"), QStringLiteral("用户姓名：alice"));
    EXPECT_EQ(labelText("lbl_userlevel"), QStringLiteral("会员等级：普通会员"));
    EXPECT_EQ(labelText("lbl_ExpiredTime"), QStringLiteral("到期时间：2027-03-01 08:00:00"));
    EXPECT_EQ(window().StatusText(0), QStringLiteral("欢迎使用Zarnik"));
    EXPECT_EQ(window().StatusText(1),
              QStringLiteral("当前版本") + QString::fromStdString(GetFileVersionStr(paths.exeFile.toStdString())));
    EXPECT_EQ(window().StatusText(2), QStringLiteral("承接软件定制、仿制业务"));
    EXPECT_EQ(window().findChild<AdBrowserPane *>(QStringLiteral("wb_ad"))->address(),
              QUrl(QStringLiteral("http://web.test/ads/ad.htm")));
    EXPECT_TRUE(window().trayIcon()->isVisible());
    EXPECT_TRUE(boxes.boxes().empty());

    auto *tmrGetTaskList = window().findChild<QTimer *>(QStringLiteral("tmr_GetTaskList"));
    auto *tmrGetSelfTaskList = window().findChild<QTimer *>(QStringLiteral("tmr_GetSelfTaskList"));
    EXPECT_FALSE(tmrGetTaskList->isActive()); // one shot
    EXPECT_TRUE(tmrGetSelfTaskList->isActive());
    EXPECT_EQ(tmrGetSelfTaskList->interval(), 300000);
}

TEST_F(StartupHooksTest, ShowMainFormBringsBackHiddenMinimisedWindowWithoutLoginAgain)
{
    showAndActivate();
    window().showMinimized();
    window().hide();
    ASSERT_FALSE(window().isVisible());
    member.userName = QStringLiteral("bob");

    PostWindowMessage(&window(), WM_ShowMainForm);
    ASSERT_TRUE(WaitUntil([this] { return window().isVisible(); }));

    EXPECT_FALSE(window().windowState() & Qt::WindowMinimized);
    EXPECT_EQ(steps().count(QStringLiteral("login")), 1);
    EXPECT_EQ(steps().count(QStringLiteral("checkSafeSoft")), 1);
    EXPECT_EQ(steps().count(QStringLiteral("bindingPrompt")), 1);
    EXPECT_EQ(labelText("lbl_UserName"), QStringLiteral("用户姓名：bob"));
}

TEST_F(StartupHooksTest, MinimisingWithoutSystemTrayKeepsTheWindowInTheTaskBar)
{
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());
    showAndActivate();
    window().showMinimized();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_TRUE(window().isVisible());
    EXPECT_TRUE(window().windowState() & Qt::WindowMinimized);
}

TEST_F(StartupHooksTest, PrivateMessagesReachTheirHandlers)
{
    struct Case {
        WindowMessage message;
        const char *step;
    };
    for (const Case &c : {Case{WM_StartWork, "startWork"}, Case{WM_RefreshTaskList, "getTaskList"},
                          Case{WM_RefreshSelfTaskList, "getSelfTaskList"}}) {
        SCOPED_TRACE(c.step);
        const qsizetype before = steps().size();
        PostWindowMessage(&window(), c.message);
        ASSERT_TRUE(WaitUntil([&] { return steps().size() > before; }));
        EXPECT_EQ(steps().mid(before), QStringList{QLatin1String(c.step)});
    }
    EXPECT_EQ(int(WM_ShowMainForm), 1025);
    EXPECT_EQ(int(WM_StartWork), 1030);
}

TEST_F(StartupHooksTest, MenusHoldTheirItemsInOrder)
{
    QStringList menus;
    QList<QStringList> items;
    for (QAction *menuAction : window().menuBar()->actions()) {
        menus << menuAction->text();
        QStringList texts;
        for (QAction *item : menuAction->menu()->actions())
            texts << (item->isSeparator() ? QStringLiteral("-") : item->text());
        items << texts;
    }
    EXPECT_EQ(menus, (QStringList{QStringLiteral("文件(&F)"), QStringLiteral("设置(&C)"), QStringLiteral("工具(&T)"),
                                  QStringLiteral("帮助(&H)")}));
    ASSERT_EQ(items.size(), 4);
    EXPECT_EQ(items[0], QStringList{QStringLiteral("退出程序")});
    EXPECT_TRUE(items[1].isEmpty());
    EXPECT_EQ(items[2], (QStringList{QStringLiteral("清空缓存文件"), QStringLiteral("-"), QStringLiteral("修改登录密码")}));
    EXPECT_EQ(items[3], (QStringList{QStringLiteral("更新升级"), QStringLiteral("官方网站"), QStringLiteral("意见建议"),
                                     QStringLiteral("-"), QStringLiteral("关于...")}));
    EXPECT_FALSE(window().findChild<QAction *>(QStringLiteral("act_About"))->isEnabled());

    QStringList tray;
    for (QAction *item : window().trayIcon()->contextMenu()->actions())
        tray << (item->isSeparator() ? QStringLiteral("-") : item->text());
    EXPECT_EQ(tray, (QStringList{QStringLiteral("显示主窗口"), QStringLiteral("官方网站"), QStringLiteral("更新升级"),
                                 QStringLiteral("-"), QStringLiteral("退出程序")}));
}

TEST_F(StartupHooksTest, PicturesAndButtonsOpenTheirPages)
{
    window().show();
    struct Case {
        const char *control;
        const char *url;
    };
    const Case cases[] = {
        {"img_Banner", "http://web.test/"},
        {"img_Logo", "http://web.test/"},
        {"img_Recharge", "http://api.test/recharge.php"},
        {"img_ad", "http://api.test/recharge.php"},
        {"btn_MemberCentre", "http://api.test/"},
        {"btn_Recharge", "http://api.test/recharge.php"},
        {"img_Support", "tencent://message/?uin=12345&Site=12345&Menu=yes"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.control);
        openedUrls.clear();
        auto *control = window().findChild<QWidget *>(QLatin1String(c.control));
        ASSERT_NE(control, nullptr);
        QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(5, 5));
        ASSERT_EQ(openedUrls.size(), 1u);
        EXPECT_EQ(openedUrls.front().toString(), QLatin1String(c.url));
    }
}

TEST_F(StartupHooksTest, BlockedInputReachesNeitherButtonsNorMenusButWindowsOverItStayUsable)
{
    int starts = 0;
    wiring.startTaskClick = [&starts] { ++starts; };
    window().show();
    auto *start = window().findChild<QPushButton *>(QStringLiteral("btn_StartTask"));

    window().SetInputBlocked(true);
    QTest::mouseClick(start, Qt::LeftButton);
    EXPECT_EQ(starts, 0);

    QDialog over(&window());
    auto *ok = new QPushButton(QStringLiteral("ok"), &over);
    QObject::connect(ok, &QPushButton::clicked, &over, &QDialog::accept);
    QTimer::singleShot(0, [ok] { QTest::mouseClick(ok, Qt::LeftButton); });
    EXPECT_EQ(over.exec(), QDialog::Accepted);

    window().SetInputBlocked(false);
    QTest::mouseClick(start, Qt::LeftButton);
    EXPECT_EQ(starts, 1);
}

} // namespace

#ifdef ZARNIK_WEBENGINE
namespace {

TEST(AdBrowserPaneTest, EmbeddedBrowserLoadsALocalPage)
{
    QTemporaryDir dir;
    QFile page(dir.filePath(QStringLiteral("ad.htm")));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.write("<html><body>ad</body></html>");
    page.close();

    AdBrowserPane pane;
    bool bLoaded = false;
    bool bOk = false;
    QObject::connect(&pane, &AdBrowserPane::loadFinished, [&](bool ok) {
        bLoaded = true;
        bOk = ok;
    });
    pane.show();
    pane.Navigate(QUrl::fromLocalFile(page.fileName()));
    ASSERT_TRUE(WaitUntil([&] { return bLoaded; }, 30000));
    EXPECT_TRUE(bOk);
}

} // namespace
#endif
