#include "MainWindowFixture.h"

#include "WaitForProcessDone.h"
#include "WindowMessages.h"

#include <QCloseEvent>
#include <QSystemTrayIcon>
#include <QTimer>

#include <atomic>
#include <stdexcept>

namespace {

using Answer = MessageBoxes::Answer;

class ExitFlowTest : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        wiring.releaseAppResources = [this] {
            bReleasedOnUiThread = QThread::currentThread() == qApp->thread();
            waitWindowUpDuringRelease = gWaitWindow && gWaitWindow->isVisible();
            record(QStringLiteral("release"));
        };
    }

    // Tries to close the window as the close box does and lets the posted message run.
    void closeByCloseBox()
    {
        QCloseEvent close;
        QCoreApplication::sendEvent(&window(), &close);
        EXPECT_FALSE(close.isAccepted());
        QCoreApplication::processEvents();
    }

    QTimer *timer(const char *name) { return window().findChild<QTimer *>(QLatin1String(name)); }

    std::atomic<bool> bReleasedOnUiThread{true};
    std::atomic<bool> waitWindowUpDuringRelease{false};
};

TEST_F(ExitFlowTest, CloseBoxAsksAndCancelChangesNothing)
{
    showAndActivate();
    boxes.clear();
    boxes.queueAnswer(Answer::Cancel);
    boxes.queueAnswer(Answer::Cancel);

    closeByCloseBox();

    ASSERT_EQ(boxes.boxes().size(), 1u);
    const auto &box = boxes.boxes().front();
    EXPECT_EQ(box.text, QStringLiteral("确定要退出Zarnik吗?"));
    EXPECT_EQ(box.title, QStringLiteral("系统提示"));
    EXPECT_EQ(box.icon, MessageBoxes::Icon::Question);
    EXPECT_EQ(box.buttons, MessageBoxes::Buttons::OkCancel);

    EXPECT_TRUE(exits.codes.empty());
    EXPECT_FALSE(steps().contains(QStringLiteral("release")));
    EXPECT_FALSE(window().bClosing());
    EXPECT_FALSE(window().bInputBlocked());
    EXPECT_TRUE(window().isVisible());
    EXPECT_TRUE(window().trayIcon()->isVisible());
    EXPECT_TRUE(timer("tmr_PIC")->isActive());
    EXPECT_TRUE(timer("tmr_GetSelfTaskList")->isActive());

    // A later attempt asks again.
    closeByCloseBox();
    EXPECT_EQ(boxes.boxes().size(), 2u);
}

TEST_F(ExitFlowTest, OkStopsEverythingCleansUpOnAnotherThreadAndEndsWithZero)
{
    showAndActivate();
    boxes.queueAnswer(Answer::Ok);

    PostWindowMessage(&window(), WM_ExitApp);
    ASSERT_TRUE(WaitUntil([this] { return !exits.codes.empty(); }));

    EXPECT_EQ(exits.codes, std::vector<int>{0});
    EXPECT_FALSE(bReleasedOnUiThread);
    EXPECT_TRUE(waitWindowUpDuringRelease);
    const QStringList done = steps();
    ASSERT_TRUE(done.contains(QStringLiteral("stopSubsystemTimers")));
    EXPECT_LT(done.indexOf(QStringLiteral("stopSubsystemTimers")), done.indexOf(QStringLiteral("release")));
    EXPECT_TRUE(window().bClosing());
    EXPECT_FALSE(window().trayIcon()->isVisible());
    for (const char *name : {"tmr_PIC", "tmr_GetTaskList", "tmr_GetSelfTaskList"})
        EXPECT_FALSE(timer(name)->isActive()) << name;

    // Messages posted while closing reach no subsystem.
    const qsizetype before = steps().size();
    PostWindowMessage(&window(), WM_StartWork);
    PostWindowMessage(&window(), WM_RefreshTaskList);
    QCoreApplication::processEvents();
    EXPECT_EQ(steps().size(), before);
}

TEST_F(ExitFlowTest, FailingCleanUpStillEndsWithZero)
{
    wiring.releaseAppResources = [] { throw std::runtime_error("disk gone"); };
    showAndActivate();
    boxes.queueAnswer(Answer::Ok);

    PostWindowMessage(&window(), WM_ExitApp);
    ASSERT_TRUE(WaitUntil([this] { return !exits.codes.empty(); }));
    EXPECT_EQ(exits.codes, std::vector<int>{0});
}

TEST_F(ExitFlowTest, MenuExitPostsTheSameQuestion)
{
    showAndActivate();
    boxes.clear();
    boxes.queueAnswer(Answer::Cancel);
    window().findChild<QAction *>(QStringLiteral("act_ExitApp"))->trigger();
    QCoreApplication::processEvents();
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes().front().title, QStringLiteral("系统提示"));
}

TEST_F(ExitFlowTest, SessionEndCleansUpWithoutQuestionEvenWhenCleanUpFails)
{
    struct Case {
        const char *name;
        bool bThrows;
    };
    for (const Case &c : {Case{"clean", false}, Case{"throws", true}}) {
        SCOPED_TRACE(c.name);
        exits.codes.clear();
        boxes.clear();
        bool bRan = false;
        wiring.releaseAppResources = [&bRan, c] {
            bRan = true;
            if (c.bThrows)
                throw std::runtime_error("store locked");
        };
        TfrmMain session(wiring, paths, timings);
        session.OnSessionEnd();
        EXPECT_TRUE(bRan);
        EXPECT_EQ(exits.codes, std::vector<int>{0});
        EXPECT_TRUE(boxes.boxes().empty());
        EXPECT_FALSE(session.trayIcon()->isVisible());
    }
}

} // namespace
