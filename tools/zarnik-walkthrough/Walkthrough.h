#pragma once

#include "AppPaths.h"
#include "MessageBoxes.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QWidget;
class ZarnikProgram;

// The road of one task with every part real: member A acts through zarnik-call, member B is the
// client built in this process. Each step prints what happens and saves a picture of the window
// concerned; the caller decides what counts as success.
struct WalkthroughSetup {
    struct Member {
        QString name;
        QString pass;
    };

    QString zarnikCall;  // the zarnik-call program
    QString apiHost;
    int apiPort = 0;
    AppPaths paths;      // B's folders: CCleaner.exe beside the program, web.exe in the current folder
    QString screenshotDir;
    QString listenerLog; // what the pipe listener printed
    QString serviceLog;  // the service's request log; empty when the heartbeat is not checked
    Member memberA;
    Member memberB;
    // How long a step may go without progress before it counts as failed.
    std::chrono::milliseconds stepTimeout{60'000};
    std::function<void(const QString &line)> print;
};

struct OwnTask {
    int taskId = 0;
    int totalClickCount = 0;
    int hasClickCount = 0;
};

struct VisitRow {
    int taskId = 0;
    QString lastClickTime;
};

class Walkthrough {
public:
    // A box the program showed, answered with its first button (Ok or Yes).
    struct Box {
        QString text;
        QString title;
        MessageBoxes::Icon icon = MessageBoxes::Icon::Information;
    };

    explicit Walkthrough(WalkthroughSetup setup);
    ~Walkthrough();
    Walkthrough(const Walkthrough &) = delete;
    Walkthrough &operator=(const Walkthrough &) = delete;

    // Member A signs in through zarnik-call and adds a task; the new task's id, or nullopt.
    std::optional<int> MemberAAddsTask(const QString &keyword, const QString &goodsUrl, const QString &goodsId,
                                       int visits);
    // Member A's own list as the service answers it through zarnik-call.
    std::optional<QList<OwnTask>> MemberAReadsOwnList();

    // Member B starts the client and signs in through the login window; true once his pool and
    // his own list are loaded.
    bool MemberBSignsIn();
    // Task ids in B's pool.
    QList<int> Pool() const;
    // B presses "开始任务"; the warning is answered OK.
    bool MemberBStartsWork();
    // Runs the work cycle until the end of the pool stops it; the number of countdowns seen, or
    // nullopt when the cycle made no progress in time.
    std::optional<int> WorkUntilPoolEnds();

    // The summaries the pipe listener printed ("flag=F sum=S").
    QStringList ListenerSummaries() const;
    // Waits until the service logged a successful heartbeat of member B.
    bool WaitForHeartbeat();

    // B leaves through the exit flow; the exit code the program asked for, or nullopt.
    std::optional<int> ExitFlow();
    // The rows of B's visit history "db/data.db" (readable once the program let go of it).
    std::optional<std::vector<VisitRow>> VisitHistory() const;

    const std::vector<Box> &boxes() const { return m_boxes; }
    QWidget *mainWindow() const;

private:
    class Boxes;
    class ExitRecorder;

    void print(const QString &line) const;
    void screenshot(QWidget *window, const QString &name);
    std::optional<QByteArray> call(const WalkthroughSetup::Member &member, const QStringList &actionAndFields);
    bool waitUntil(const std::function<bool()> &condition) const;
    QString listenerText() const;

    WalkthroughSetup m_setup;
    std::vector<Box> m_boxes;
    std::vector<int> m_exitCodes;
    std::unique_ptr<Boxes> m_boxRecorder;
    std::unique_ptr<ExitRecorder> m_exitRecorder;
    std::unique_ptr<ZarnikProgram> m_program; // goes first, while the recorders still answer
    int m_screenshotCount = 0;
};
