#include "ChannelTestSupport.h"
#include "RemoteProc.h"
#include "WaitForProcessDone.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QMovie>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <condition_variable>
#include <mutex>
#include <thread>

using namespace std::chrono_literals;

namespace {

// Holds a server-side answer until the test opens it; opens itself when it goes out of scope so
// no server thread is left waiting.
class Gate {
public:
    ~Gate() { open(); }
    void open()
    {
        {
            std::lock_guard guard(m_lock);
            m_open = true;
        }
        m_opened.notify_all();
    }
    void pass()
    {
        std::unique_lock guard(m_lock);
        m_opened.wait(guard, [this] { return m_open; });
    }

private:
    std::mutex m_lock;
    std::condition_variable m_opened;
    bool m_open = false;
};

struct Outcome {
    bool result = false;
    QByteArray reply;
    QString errorText;
};

Outcome callChannel(const QString &action, bool bShowForm, QWidget *owner = nullptr)
{
    const QStringList fields{QStringLiteral("action=") + action};
    Outcome outcome;
    outcome.result = ExecRemoteProc(owner, &fields, &outcome.reply, bShowForm, outcome.errorText);
    return outcome;
}

// Answers each action with its own name as the body; actions with a gate wait for it first.
TestHttpServer::Handler answerByAction(std::map<QByteArray, Gate *> gates)
{
    return [gates = std::move(gates)](const TestHttpServer::Request &request) {
        const QByteArray action = request.body.mid(request.body.lastIndexOf("action=") + 7);
        if (const auto gate = gates.find(action); gate != gates.end())
            gate->second->pass();
        TestHttpServer::Reply reply;
        reply.body = action + "-reply";
        return reply;
    };
}

bool requestArrived(const TestHttpServer &server, const QByteArray &action)
{
    for (const auto &request : server.requests()) {
        if (request.body.endsWith(QByteArray("action=").append(action)))
            return true;
    }
    return false;
}

bool shownAndModal(const TfrmWaitForProcessDone *window)
{
    return window && window->isVisible() && window->isModal();
}

} // namespace

TEST_F(ChannelTest, WindowModeWaitsBehindTheWaitWindowUntilItsExchangeEnds)
{
    Gate gate;
    server.setHandler(answerByAction({{"slow", &gate}}));
    QPointer<TfrmWaitForProcessDone> seen;
    QTimer::singleShot(0, [&] {
        ASSERT_TRUE(QTest::qWaitFor([&] { return requestArrived(server, "slow"); }, 10'000));
        seen = gWaitWindow;
        ASSERT_TRUE(shownAndModal(seen));
        EXPECT_EQ(seen->findChild<QLabel *>(QStringLiteral("lbl_Msg"))->text(),
                  QStringLiteral("命令正在执行，请耐心等待......"));
        gate.open();
    });

    const Outcome outcome = callChannel(QStringLiteral("slow"), true);
    EXPECT_TRUE(outcome.result);
    EXPECT_EQ(outcome.reply, "slow-reply");
    EXPECT_TRUE(outcome.errorText.isEmpty());
    EXPECT_TRUE(seen.isNull()) << "the call frees its window";
}

TEST_F(ChannelTest, FailedExchangeClosesTheWaitWindowToo)
{
    server.setReply(500, "oops");
    const Outcome outcome = callChannel(QStringLiteral("x"), true);
    EXPECT_FALSE(outcome.result);
    EXPECT_EQ(outcome.errorText, QStringLiteral("HTTP/1.1 500 Internal Server Error"));
    EXPECT_TRUE(outcome.reply.isEmpty());
}

TEST_F(ChannelTest, NestedWaitWindowsAreEachClosedByTheirOwnExchange)
{
    for (const bool innerEndsFirst : {true, false}) {
        SCOPED_TRACE(innerEndsFirst ? "inner exchange ends first" : "outer exchange ends first");
        Gate outerGate;
        Gate innerGate;
        server.setHandler(answerByAction({{"outer", &outerGate}, {"inner", &innerGate}}));
        QPointer<TfrmWaitForProcessDone> outerWindow;
        QPointer<TfrmWaitForProcessDone> innerWindow;
        Outcome inner;
        QStringList returns;

        QTimer::singleShot(0, [&] {
            ASSERT_TRUE(QTest::qWaitFor([&] { return requestArrived(server, "outer"); }, 10'000));
            outerWindow = gWaitWindow;
            ASSERT_TRUE(shownAndModal(outerWindow));

            QTimer::singleShot(0, [&] {
                ASSERT_TRUE(QTest::qWaitFor([&] { return requestArrived(server, "inner"); }, 10'000));
                innerWindow = gWaitWindow;
                ASSERT_NE(innerWindow, outerWindow);
                ASSERT_TRUE(shownAndModal(innerWindow));
                if (!innerEndsFirst) {
                    outerGate.open();
                    ASSERT_TRUE(QTest::qWaitFor([&] { return !outerWindow->isVisible(); }, 10'000));
                    EXPECT_TRUE(innerWindow->isVisible()) << "the outer exchange closed only its own window";
                }
                innerGate.open();
            });
            inner = callChannel(QStringLiteral("inner"), true);
            returns << QStringLiteral("inner");
            if (innerEndsFirst) {
                EXPECT_TRUE(outerWindow->isVisible()) << "the inner exchange closed only its own window";
                outerGate.open();
            }
        });

        const Outcome outer = callChannel(QStringLiteral("outer"), true);
        returns << QStringLiteral("outer");

        EXPECT_EQ(returns, QStringList({QStringLiteral("inner"), QStringLiteral("outer")}));
        EXPECT_TRUE(inner.result);
        EXPECT_EQ(inner.reply, "inner-reply");
        EXPECT_TRUE(outer.result);
        EXPECT_EQ(outer.reply, "outer-reply");
    }
}

TEST_F(ChannelTest, PollingCallAndWindowCallOverlapIndependently)
{
    for (const bool pollingEndsFirst : {true, false}) {
        SCOPED_TRACE(pollingEndsFirst ? "polling call ends first" : "window call ends first");
        Gate windowGate;
        Gate pollingGate;
        server.setHandler(answerByAction({{"window", &windowGate}, {"polling", &pollingGate}}));
        Outcome polled;
        std::thread heartbeat([&] { polled = callChannel(QStringLiteral("polling"), false); });

        QTimer::singleShot(0, [&] {
            ASSERT_TRUE(QTest::qWaitFor(
                [&] { return requestArrived(server, "window") && requestArrived(server, "polling"); }, 10'000));
            if (pollingEndsFirst) {
                pollingGate.open();
                heartbeat.join();
                EXPECT_TRUE(shownAndModal(gWaitWindow)) << "the polling call's end closes no window";
            }
            windowGate.open();
        });
        const Outcome windowed = callChannel(QStringLiteral("window"), true);
        pollingGate.open();
        if (heartbeat.joinable())
            heartbeat.join();

        EXPECT_TRUE(windowed.result);
        EXPECT_EQ(windowed.reply, "window-reply");
        EXPECT_TRUE(polled.result);
        EXPECT_EQ(polled.reply, "polling-reply");
    }
}

TEST_F(ChannelTest, WindowModeAskedForOffTheUiThreadWaitsByPolling)
{
    server.setHandler(answerByAction({}));
    gWaitWindow = nullptr;
    Outcome outcome;
    std::thread([&] { outcome = callChannel(QStringLiteral("background"), true); }).join();
    EXPECT_TRUE(outcome.result);
    EXPECT_EQ(outcome.reply, "background-reply");
    EXPECT_TRUE(gWaitWindow.isNull()) << "no window was made off the UI thread";
}

TEST_F(ChannelTest, OwnerDestroyedDuringTheWaitStillGivesTheFinalResult)
{
    Gate gate;
    server.setHandler(answerByAction({{"slow", &gate}}));
    auto *owner = new QWidget;
    owner->show();
    std::thread opener;
    QTimer::singleShot(0, [&] {
        ASSERT_TRUE(QTest::qWaitFor([&] { return requestArrived(server, "slow"); }, 10'000));
        ASSERT_TRUE(shownAndModal(gWaitWindow));
        // The call now waits without a window; the answer comes from another thread meanwhile.
        opener = std::thread([&] {
            std::this_thread::sleep_for(200ms);
            gate.open();
        });
        delete owner;
    });

    const Outcome outcome = callChannel(QStringLiteral("slow"), true, owner);
    opener.join();
    EXPECT_TRUE(outcome.result);
    EXPECT_EQ(outcome.reply, "slow-reply");
}

TEST(WaitWindow, RefusesEscAndCloseRequestsUntilItsWorkIsDone)
{
    int started = 0;
    std::shared_ptr<const WaitDoneHandle> done;
    auto *window = new TfrmWaitForProcessDone(nullptr, QStringLiteral("请稍候"),
                                              [&](std::shared_ptr<const WaitDoneHandle> handle) {
                                                  ++started;
                                                  done = std::move(handle);
                                              });
    QPointer<TfrmWaitForProcessDone> guard(window);
    window->open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    EXPECT_EQ(started, 1);

    QTest::keyClick(window, Qt::Key_Escape);
    QTest::keyClick(window, Qt::Key_F4, Qt::AltModifier);
    EXPECT_FALSE(window->close());
    window->reject();
    QCoreApplication::processEvents();
    EXPECT_TRUE(window->isVisible());

    window->hide();
    window->show();
    EXPECT_EQ(started, 1) << "showing again does not start the work twice";

    std::thread([done] { TfrmWaitForProcessDone::PostDone(done); }).join();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }, 5000));
    EXPECT_EQ(window->result(), QDialog::Accepted);

    delete window;
    done->postDone(); // after the window is gone: nothing happens
    QCoreApplication::processEvents();
}

TEST(WaitWindow, LooksAndIsDraggedByAPressAnywhere)
{
    TfrmWaitForProcessDone window(nullptr, QStringLiteral("命令正在执行，请耐心等待......"),
                                  [](std::shared_ptr<const WaitDoneHandle>) {});
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    EXPECT_EQ(window.size(), QSize(383, 94));
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("操作正在进行，请耐心等待......"));
    const auto *picture = window.findChild<QLabel *>(QStringLiteral("img_Windup"));
    ASSERT_TRUE(picture && picture->movie());
    EXPECT_EQ(picture->geometry(), QRect(26, 23, 48, 48));
    EXPECT_TRUE(picture->movie()->isValid());
    EXPECT_GT(picture->movie()->frameCount(), 1);
    EXPECT_EQ(picture->movie()->speed(), 500);
    EXPECT_EQ(picture->movie()->state(), QMovie::Running);
    const auto *label = window.findChild<QLabel *>(QStringLiteral("lbl_Msg"));
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text(), window.FMsg);
    EXPECT_EQ(label->pos(), QPoint(96, 40));

    ASSERT_TRUE(window.grab().save(QStringLiteral(ZARNIK_TEST_OUTPUT_DIR "/wait-window.png")));

    const QPoint before = window.pos();
    const QPoint pressAt = window.mapToGlobal(QPoint(200, 10));
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(200, 10), QPointF(pressAt), Qt::RightButton,
                      Qt::RightButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &press);
    QMouseEvent drag(QEvent::MouseMove, QPointF(250, 40), QPointF(pressAt + QPoint(50, 30)), Qt::NoButton,
                     Qt::RightButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &drag);
    EXPECT_EQ(window.pos(), before + QPoint(50, 30));

    TfrmWaitForProcessDone::PostDone(window.doneHandle());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }, 5000));
}

TEST_F(ChannelTest, ProcessEndsAtOnceWhileAnExchangeStillRuns)
{
    server.setHandler([](const TestHttpServer::Request &) { return TestHttpServer::Reply{200, {}, {}, true}; });
    for (const char *mode : {"polling", "window"}) {
        SCOPED_TRACE(mode);
        const std::size_t before = server.requests().size();
        QProcess helper;
        helper.start(QStringLiteral(ZARNIK_CHANNEL_EXIT_HELPER),
                     {QString::number(server.port()), QString::fromLatin1(mode)});
        ASSERT_TRUE(helper.waitForStarted(10'000));
        ASSERT_TRUE(server.waitForRequests(before + 1, 10s));
        helper.write("end\n");
        helper.closeWriteChannel();
        ASSERT_TRUE(helper.waitForFinished(10'000)) << "the exit waited for the exchange";
        EXPECT_EQ(helper.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(helper.exitCode(), 0) << helper.readAllStandardError().toStdString();
    }
}
