#include "Walkthrough.h"

#include "AppExit.h"
#include "MainWindow.h"
#include "ProcessScan.h"
#include "TaskList.h"
#include "UserInfo.h"
#include "WaitForNextTask.h"
#include "WindowMessages.h"
#include "ZarnikProgram.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QTreeWidget>

#include <sqlite3.h>

namespace {

const QString kNoTaskNotice = QStringLiteral("暂时没有任务！");
constexpr int kStatusPanel = 2;
const QRegularExpression kCountdownSeconds(QStringLiteral("^距离下次任务开始还有(\\d+)秒$"));

QString iconName(MessageBoxes::Icon icon)
{
    switch (icon) {
    case MessageBoxes::Icon::Information:
        return QStringLiteral("information");
    case MessageBoxes::Icon::Warning:
        return QStringLiteral("warning");
    case MessageBoxes::Icon::Error:
        return QStringLiteral("error");
    case MessageBoxes::Icon::Question:
        return QStringLiteral("question");
    }
    return QString();
}

std::optional<QJsonObject> parseObject(const QByteArray &text)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

} // namespace

class Walkthrough::Boxes : public MessageBoxes {
public:
    explicit Boxes(Walkthrough &owner) : m_owner(owner) { setMessageBoxes(this); }
    ~Boxes() override { setMessageBoxes(nullptr); }

    Answer show(QWidget *, const QString &text, const QString &title, Icon icon, Buttons buttons) override
    {
        m_owner.m_boxes.push_back(Box{text, title, icon});
        const Answer answer = buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
        m_owner.print(QStringLiteral("    box \"%1\" (%2): %3 -> answered %4")
                          .arg(title, iconName(icon), text,
                               answer == Answer::Yes ? QStringLiteral("Yes") : QStringLiteral("OK")));
        return answer;
    }

private:
    Walkthrough &m_owner;
};

class Walkthrough::ExitRecorder : public AppExit {
public:
    explicit ExitRecorder(Walkthrough &owner) : m_owner(owner) { setAppExit(this); }
    ~ExitRecorder() override { setAppExit(nullptr); }

    void exitNow(int code) override
    {
        m_owner.m_exitCodes.push_back(code);
        m_owner.print(QStringLiteral("    the program ends with exit code %1").arg(code));
    }

private:
    Walkthrough &m_owner;
};

Walkthrough::Walkthrough(WalkthroughSetup setup)
    : m_setup(std::move(setup)),
      m_boxRecorder(std::make_unique<Boxes>(*this)),
      m_exitRecorder(std::make_unique<ExitRecorder>(*this))
{
    QDir().mkpath(m_setup.screenshotDir);
}

Walkthrough::~Walkthrough() = default;

QWidget *Walkthrough::mainWindow() const
{
    return m_program ? m_program->mainWindow() : nullptr;
}

void Walkthrough::print(const QString &line) const
{
    if (m_setup.print)
        m_setup.print(line);
}

void Walkthrough::screenshot(QWidget *window, const QString &name)
{
    if (window == nullptr)
        return;
    const QString file = QDir(m_setup.screenshotDir)
                             .filePath(QStringLiteral("%1-%2.png").arg(++m_screenshotCount, 2, 10, QLatin1Char('0')).arg(name));
    if (window->grab().save(file))
        print(QStringLiteral("    picture: %1").arg(file));
    else
        print(QStringLiteral("    could not save the picture %1").arg(file));
}

bool Walkthrough::waitUntil(const std::function<bool()> &condition) const
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > m_setup.stepTimeout.count())
            return false;
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

std::optional<QByteArray> Walkthrough::call(const WalkthroughSetup::Member &member, const QStringList &actionAndFields)
{
    QProcess tool;
    tool.start(m_setup.zarnikCall, QStringList{QStringLiteral("--host"), m_setup.apiHost, QStringLiteral("--port"),
                                               QString::number(m_setup.apiPort), QStringLiteral("--user"), member.name,
                                               QStringLiteral("--pass"), member.pass}
                                       + actionAndFields);
    if (!tool.waitForFinished(int(m_setup.stepTimeout.count()))) {
        print(QStringLiteral("    zarnik-call did not finish: %1").arg(tool.errorString()));
        tool.kill();
        tool.waitForFinished();
        return std::nullopt;
    }
    const QByteArray reply = tool.readAllStandardOutput();
    print(QStringLiteral("    zarnik-call %1 -> exit %2, reply %3")
              .arg(actionAndFields.value(0))
              .arg(tool.exitCode())
              .arg(QString::fromUtf8(reply).trimmed()));
    if (tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0) {
        print(QStringLiteral("    %1").arg(QString::fromUtf8(tool.readAllStandardError()).trimmed()));
        return std::nullopt;
    }
    return reply;
}

std::optional<int> Walkthrough::MemberAAddsTask(const QString &keyword, const QString &goodsUrl,
                                                const QString &goodsId, int visits)
{
    print(QStringLiteral("Member A (%1) signs in through zarnik-call").arg(m_setup.memberA.name));
    if (!call(m_setup.memberA, {QStringLiteral("login")}))
        return std::nullopt;
    print(QStringLiteral("Member A adds the task \"%1\" (%2 visits)").arg(keyword).arg(visits));
    const std::optional<QByteArray> reply =
        call(m_setup.memberA, {QStringLiteral("addtask"), QStringLiteral("keyword=") + keyword,
                               QStringLiteral("goodsurl=") + goodsUrl, QStringLiteral("goodsid=") + goodsId,
                               QStringLiteral("totalclickcount=%1").arg(visits)});
    if (!reply)
        return std::nullopt;
    const std::optional<QJsonObject> object = parseObject(*reply);
    if (!object || !(*object)[QStringLiteral("taskid")].isDouble())
        return std::nullopt;
    const int taskId = (*object)[QStringLiteral("taskid")].toInt();
    print(QStringLiteral("    new task id %1").arg(taskId));
    return taskId;
}

std::optional<QList<OwnTask>> Walkthrough::MemberAReadsOwnList()
{
    print(QStringLiteral("Member A reads his own task list through zarnik-call"));
    const std::optional<QByteArray> reply = call(m_setup.memberA, {QStringLiteral("gettasklistbyuserid")});
    if (!reply)
        return std::nullopt;
    const std::optional<QJsonObject> object = parseObject(*reply);
    if (!object || !(*object)[QStringLiteral("retmsg")].isArray())
        return std::nullopt;
    QList<OwnTask> tasks;
    for (const QJsonValue &item : (*object)[QStringLiteral("retmsg")].toArray()) {
        const QJsonObject task = item.toObject();
        tasks.append(OwnTask{task[QStringLiteral("taskid")].toInt(), task[QStringLiteral("TotalClickCount")].toInt(),
                             task[QStringLiteral("HasClickCount")].toInt()});
        print(QStringLiteral("    task %1: %2 of %3 visits done")
                  .arg(tasks.last().taskId)
                  .arg(tasks.last().hasClickCount)
                  .arg(tasks.last().totalClickCount));
    }
    return tasks;
}

bool Walkthrough::MemberBSignsIn()
{
    print(QStringLiteral("Member B starts the client"));
    m_program = std::make_unique<ZarnikProgram>(m_setup.paths);
    TfrmMain *frmMain = m_program->mainWindow();

    // The first showing opens the login window modally; it is driven from inside its own loop.
    QTimer::singleShot(0, frmMain, [this] {
        QWidget *login = nullptr;
        if (!waitUntil([&login] {
                login = QApplication::activeModalWidget();
                return login != nullptr && login->findChild<QPushButton *>(QStringLiteral("btn_Login")) != nullptr;
            }))
            return;
        print(QStringLiteral("Member B (%1) signs in through the login window").arg(m_setup.memberB.name));
        login->findChild<QLineEdit *>(QStringLiteral("lbledt_username"))->setText(m_setup.memberB.name);
        login->findChild<QLineEdit *>(QStringLiteral("lbledt_password"))->setText(m_setup.memberB.pass);
        screenshot(login, QStringLiteral("login"));
        const std::size_t boxesBefore = m_boxes.size();
        login->findChild<QPushButton *>(QStringLiteral("btn_Login"))->click();
        if (m_boxes.size() != boxesBefore && login->isVisible()) {
            print(QStringLiteral("    the sign-in failed; the login window is closed"));
            login->close();
        }
    });
    frmMain->show();
    if (!m_exitCodes.empty() || gUserInfo.FUserName() != m_setup.memberB.name) {
        print(QStringLiteral("    member B is not signed in"));
        return false;
    }
    print(QStringLiteral("    signed in as %1 (member id %2)").arg(gUserInfo.FUserName()).arg(gUserInfo.FUserId()));

    print(QStringLiteral("The client loads B's own list and the pool and sends the summary to the pipe"));
    auto *lv_Task = frmMain->findChild<QTreeWidget *>(QStringLiteral("lv_Task"));
    const bool bLoaded = waitUntil([&] {
        return gTaskList && !gTaskList->isEmpty() && lv_Task != nullptr && lv_Task->topLevelItemCount() > 0
            && !ListenerSummaries().isEmpty();
    });
    print(QStringLiteral("    pool: %1 tasks, own list: %2 rows, pipe listener: %3")
              .arg(gTaskList ? gTaskList->size() : 0)
              .arg(lv_Task ? lv_Task->topLevelItemCount() : 0)
              .arg(ListenerSummaries().join(QStringLiteral("; "))));
    screenshot(frmMain, QStringLiteral("signed-in"));
    return bLoaded;
}

QList<int> Walkthrough::Pool() const
{
    QList<int> ids;
    if (gTaskList) {
        for (int i = 0; i < gTaskList->size(); ++i)
            ids.append(gTaskList->at(i)->FTaskID);
    }
    return ids;
}

bool Walkthrough::MemberBStartsWork()
{
    TfrmMain *frmMain = m_program ? m_program->mainWindow() : nullptr;
    auto *btn_StartTask = frmMain ? frmMain->findChild<QPushButton *>(QStringLiteral("btn_StartTask")) : nullptr;
    if (btn_StartTask == nullptr)
        return false;
    print(QStringLiteral("Member B presses \"%1\"").arg(btn_StartTask->text()));
    const std::size_t boxesBefore = m_boxes.size();
    btn_StartTask->click();
    screenshot(frmMain, QStringLiteral("start-pressed"));
    return m_boxes.size() > boxesBefore;
}

std::optional<int> Walkthrough::WorkUntilPoolEnds()
{
    TfrmMain *frmMain = m_program ? m_program->mainWindow() : nullptr;
    if (frmMain == nullptr)
        return std::nullopt;
    print(QStringLiteral("The work cycle runs"));
    auto *frmWait = frmMain->findChild<TfrmWaitForNextTask *>();
    const QString taskFile = m_setup.paths.currentDir + QStringLiteral("task.json");
    const QString resultFile = m_setup.paths.currentDir + QStringLiteral("result.json");
    const std::size_t boxesBefore = m_boxes.size();

    // The cycle runs in nested modal loops (wait windows, the countdown), where only timers reach
    // us: a watcher reports what changes and marks progress.
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    QDateTime taskFileTime;
    bool bWorkerRunning = false;
    bool bResultSeen = false;
    bool bCountdownShown = false;
    bool bCountdownPictured = false;
    QString countdownAtOpening;
    int countdowns = 0;
    QString status = frmMain->StatusText(kStatusPanel);
    QTimer watcher;
    watcher.setInterval(50);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        const QFileInfo task(taskFile);
        if (task.exists() && task.lastModified() != taskFileTime) {
            taskFileTime = task.lastModified();
            QFile file(taskFile);
            QString taskId;
            if (file.open(QIODevice::ReadOnly)) {
                const QRegularExpressionMatch match =
                    QRegularExpression(QStringLiteral("taskid=(\\d+)")).match(QString::fromLatin1(file.readAll()));
                taskId = match.captured(1);
            }
            print(QStringLiteral("    task.json written for task %1").arg(taskId));
            sinceProgress.restart();
        }
        if (QFile::exists(resultFile) != bResultSeen) {
            bResultSeen = !bResultSeen;
            print(bResultSeen ? QStringLiteral("    web.exe left result.json")
                              : QStringLiteral("    the result was reported and result.json deleted"));
            sinceProgress.restart();
        }
        if (bProcessRunning("web.exe") != bWorkerRunning) {
            bWorkerRunning = !bWorkerRunning;
            print(bWorkerRunning ? QStringLiteral("    web.exe is running") : QStringLiteral("    web.exe has ended"));
            sinceProgress.restart();
        }
        if (frmMain->StatusText(kStatusPanel) != status) {
            status = frmMain->StatusText(kStatusPanel);
            // Every fifth second of a countdown is enough to watch it run.
            const QRegularExpressionMatch seconds = kCountdownSeconds.match(status);
            if (!seconds.hasMatch() || seconds.captured(1).toInt() % 5 == 0)
                print(QStringLiteral("    status: %1").arg(status));
            sinceProgress.restart();
        }
        const bool bCountdown = frmWait != nullptr && frmWait->isVisible();
        if (bCountdown != bCountdownShown) {
            bCountdownShown = bCountdown;
            bCountdownPictured = false;
            if (bCountdown) {
                ++countdowns;
                countdownAtOpening = frmWait->lbl_Info->text();
                print(QStringLiteral("    the countdown window opens"));
            } else {
                print(QStringLiteral("    the countdown ends; the next selection runs"));
            }
            sinceProgress.restart();
        }
        // The label shows this countdown's first value at its first tick.
        if (bCountdown && !bCountdownPictured && frmWait->lbl_Info->text() != countdownAtOpening) {
            bCountdownPictured = true;
            screenshot(frmWait, QStringLiteral("countdown-%1").arg(countdowns));
        }
    });
    watcher.start();
    QElapsedTimer overall;
    overall.start();
    // Progress resets the clock, so a long pool is fine as long as something happens.
    bool bEnded = false;
    while (!bEnded && sinceProgress.elapsed() <= m_setup.stepTimeout.count()) {
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
        bEnded = m_boxes.size() > boxesBefore && !bCountdownShown;
    }
    watcher.stop();
    screenshot(frmMain, QStringLiteral("cycle-ended"));
    if (!bEnded) {
        print(QStringLiteral("    the cycle made no progress for %1 s").arg(m_setup.stepTimeout.count() / 1000));
        return std::nullopt;
    }
    if (m_boxes.back().text != kNoTaskNotice) {
        print(QStringLiteral("    the cycle stopped with an unexpected box"));
        return std::nullopt;
    }
    print(QStringLiteral("    the pool is worked through: %1 task(s) in %2 s").arg(countdowns).arg(overall.elapsed() / 1000.0, 0, 'f', 1));
    return countdowns;
}

QString Walkthrough::listenerText() const
{
    QFile file(m_setup.listenerLog);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

QStringList Walkthrough::ListenerSummaries() const
{
    QStringList summaries;
    for (const QString &line : listenerText().split(QLatin1Char('\n'))) {
        if (line.startsWith(QStringLiteral("flag=")))
            summaries.append(line.trimmed());
    }
    return summaries;
}

bool Walkthrough::WaitForHeartbeat()
{
    print(QStringLiteral("The heartbeat of member B reaches the service"));
    const QString expected =
        QStringLiteral("action=\"heartbeat\" user=\"%1\" retcode=1").arg(m_setup.memberB.name);
    QString found;
    const bool bFound = waitUntil([&] {
        QFile file(m_setup.serviceLog);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
            if (line.contains(expected)) {
                found = line;
                return true;
            }
        }
        return false;
    });
    print(bFound ? QStringLiteral("    service log: %1").arg(found) : QStringLiteral("    no heartbeat in the service log"));
    return bFound;
}

std::optional<int> Walkthrough::ExitFlow()
{
    TfrmMain *frmMain = m_program ? m_program->mainWindow() : nullptr;
    if (frmMain == nullptr)
        return std::nullopt;
    print(QStringLiteral("Member B leaves through the exit flow"));
    screenshot(frmMain, QStringLiteral("before-exit"));
    PostWindowMessage(frmMain, WM_ExitApp);
    if (!waitUntil([this] { return !m_exitCodes.empty(); }))
        return std::nullopt;
    return m_exitCodes.front();
}

std::optional<std::vector<VisitRow>> Walkthrough::VisitHistory() const
{
    const QString dbFile = m_setup.paths.exeDir + QStringLiteral("db/data.db");
    print(QStringLiteral("B's visit history %1").arg(dbFile));
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(dbFile).constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return std::nullopt;
    }
    std::optional<std::vector<VisitRow>> rows;
    sqlite3_stmt *query = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT taskid, lastclicktime FROM TaskInfo ORDER BY ID", -1, &query, nullptr)
        == SQLITE_OK) {
        rows.emplace();
        int step = SQLITE_ROW;
        while ((step = sqlite3_step(query)) == SQLITE_ROW) {
            const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(query, 1));
            rows->push_back(VisitRow{sqlite3_column_int(query, 0), QString::fromUtf8(text ? text : "")});
            print(QStringLiteral("    row: task %1 visited %2").arg(rows->back().taskId).arg(rows->back().lastClickTime));
        }
        if (step != SQLITE_DONE)
            rows.reset();
    }
    sqlite3_finalize(query);
    sqlite3_close(db);
    return rows;
}
