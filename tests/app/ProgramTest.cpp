#include "MainWindowFixture.h"
#include "ServiceProcess.h"

#include "ChannelSettings.h"
#include "GlobalLoger.h"
#include "HeartbeatThread.h"
#include "SelfTaskList.h"
#include "TaskList.h"
#include "UserInfo.h"
#include "WindowMessages.h"
#include "ZarnikProgram.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

namespace {

// The whole program in this process, against the reference service as a real process: sign in
// through the login window, see both lists loaded, then leave through the exit flow.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        admin({QStringLiteral("adduser"), QStringLiteral("alice"), QStringLiteral("secret1")});
        admin({QStringLiteral("addtask"), QStringLiteral("alice"), QStringLiteral("teapot"),
               QStringLiteral("https://item.taobao.com/item.htm?id=101"), QStringLiteral("101"), QStringLiteral("10")});
        admin({QStringLiteral("adduser"), QStringLiteral("bob"), QStringLiteral("secret2")});
        admin({QStringLiteral("addtask"), QStringLiteral("bob"), QStringLiteral("kettle"),
               QStringLiteral("https://item.taobao.com/item.htm?id=202"), QStringLiteral("202"), QStringLiteral("5")});

        QString errorText;
        const int port = service.serve(QString(), errorText);
        ASSERT_NE(port, 0) << errorText.toStdString();
        channelSettings().apiHost = QStringLiteral("127.0.0.1");
        channelSettings().apiPort = port;

        QDir root(dir.path());
        root.mkpath(QStringLiteral("bin"));
        root.mkpath(QStringLiteral("cwd"));
        paths.exeDir = root.filePath(QStringLiteral("bin")) + QLatin1Char('/');
        paths.exeFile = paths.exeDir + QStringLiteral("zarnik");
        paths.currentDir = root.filePath(QStringLiteral("cwd")) + QLatin1Char('/');
        paths.tempDir = dir.path() + QLatin1Char('/');
    }

    void TearDown() override
    {
        StopHeartbeat();
        service.stop();
    }

    void admin(const QStringList &arguments)
    {
        QString errorText;
        ASSERT_TRUE(service.admin(arguments, errorText)) << errorText.toStdString();
    }

    QTemporaryDir dir;
    ServiceProcess service{QStringLiteral(ZARNIK_SERVICE_BINARY), dir.filePath(QStringLiteral("service.db"))};
    AppPaths paths;
    RecordingMessageBoxes boxes;
    RecordingAppExit exits;
};

TEST_F(ProgramTest, SignInLoadsBothListsAndExitEndsWithZero)
{
    ZarnikProgram program(paths);
    TfrmMain *frmMain = program.mainWindow();

    QTimer::singleShot(0, [] {
        ASSERT_TRUE(WaitUntil([] { return QApplication::activeModalWidget() != nullptr; }));
        QWidget *login = QApplication::activeModalWidget();
        login->findChild<QLineEdit *>(QStringLiteral("lbledt_username"))->setText(QStringLiteral("alice"));
        login->findChild<QLineEdit *>(QStringLiteral("lbledt_password"))->setText(QStringLiteral("secret1"));
        QTest::mouseClick(login->findChild<QPushButton *>(QStringLiteral("btn_Login")), Qt::LeftButton);
    });
    frmMain->show();

    EXPECT_EQ(gUserInfo.FUserName(), QStringLiteral("alice"));
    EXPECT_NE(gUserInfo.FUserId(), 0);
    ASSERT_NE(gHeartbeatThread, nullptr);
    ASSERT_NE(gGlobalLoger, nullptr);
    auto *lv_Task = frmMain->findChild<QTreeWidget *>(QStringLiteral("lv_Task"));
    ASSERT_NE(lv_Task, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return gTaskList && gTaskList->size() == 1 && lv_Task->topLevelItemCount() == 1; },
                          10000));
    EXPECT_EQ(gSelfTaskList->size(), 1);
    EXPECT_EQ(frmMain->StatusText(0), QStringLiteral("欢迎使用Zarnik"));
    EXPECT_TRUE(boxes.boxes().empty());

    boxes.queueAnswer(MessageBoxes::Answer::Ok);
    PostWindowMessage(frmMain, WM_ExitApp);
    ASSERT_TRUE(WaitUntil([this] { return !exits.codes.empty(); }, 10000));
    EXPECT_EQ(exits.codes, std::vector<int>{0});
    EXPECT_EQ(gHeartbeatThread, nullptr);
    EXPECT_EQ(gTaskList, nullptr);
    EXPECT_EQ(gSelfTaskList, nullptr);
    EXPECT_EQ(gGlobalLoger, nullptr);
}

} // namespace
