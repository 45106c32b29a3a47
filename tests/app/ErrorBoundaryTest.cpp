#include "MainWindowFixture.h"

#include "WaitForProcessDone.h"
#include "WindowMessages.h"
#include "ZarnikApplication.h"

#include <QTimer>

#include <atomic>
#include <stdexcept>
#include <thread>

namespace {

// A handler that fails the way an unreadable reply does.
class ThrowingReceiver : public QObject {
public:
    int calls = 0;

protected:
    bool event(QEvent *event) override
    {
        if (event->type() == EventTypeOf(WM_StartWork)) {
            ++calls;
            throw std::runtime_error("unreadable reply");
        }
        return QObject::event(event);
    }
};

ZarnikApplication &app()
{
    return *static_cast<ZarnikApplication *>(QCoreApplication::instance());
}

TEST(ErrorBoundaryTest, HandlerThrowingInsideNestedWaitWindowLeavesTheWaitRunning)
{
    ThrowingReceiver receiver;
    std::atomic<bool> bHandlerDone{false};
    std::thread worker;
    const int discardedBefore = app().discardedErrors();

    TfrmWaitForProcessDone outer(nullptr, QStringLiteral("outer"), [&](auto outerDone) {
        // An inner wait shown from a handler running inside the outer wait's loop.
        QTimer::singleShot(0, [&, outerDone] {
            TfrmWaitForProcessDone inner(nullptr, QStringLiteral("inner"), [&](auto innerDone) {
                PostWindowMessage(&receiver, WM_StartWork);
                worker = std::thread([&, innerDone] {
                    while (!bHandlerDone)
                        std::this_thread::sleep_for(std::chrono::milliseconds(1));
                    innerDone->postDone();
                });
                QTimer::singleShot(20, [&] { bHandlerDone = receiver.calls > 0; });
            });
            EXPECT_EQ(inner.exec(), QDialog::Accepted);
            outerDone->postDone();
        });
    });
    EXPECT_EQ(outer.exec(), QDialog::Accepted);
    worker.join();

    EXPECT_EQ(receiver.calls, 1);
    EXPECT_EQ(app().discardedErrors(), discardedBefore + 1);
}

TEST(ErrorBoundaryTest, ThrowingTimerHandlerEndsOnlyItsOwnOperation)
{
    int afterThrow = 0;
    QTimer::singleShot(0, [] { throw std::logic_error("local step failed"); });
    QTimer::singleShot(5, [&] { ++afterThrow; });
    EXPECT_TRUE(WaitUntil([&] { return afterThrow == 1; }));
}

} // namespace
