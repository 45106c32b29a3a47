#include "MainWindowFixture.h"

#include "SingleInstance.h"
#include "WindowMessages.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#if defined(__SANITIZE_THREAD__)
constexpr bool kSanitizerUsesTmpDir = true;
#else
constexpr bool kSanitizerUsesTmpDir = false;
#endif

namespace {

// Real program starts in folders of their own: the program's folder (a copy of the executable),
// the current folder, and a home, temp and runtime folder.
class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QDir root(dir.path());
        for (const char *sub : {"bin", "cwd", "home", "tmp", "run"})
            ASSERT_TRUE(root.mkpath(QLatin1String(sub)));
        program = root.filePath(QStringLiteral("bin/zarnik"));
        ASSERT_TRUE(QFile::copy(QStringLiteral(ZARNIK_BINARY), program));
        socketPath = root.filePath(QStringLiteral("tmp/")) + SingleInstance::ServerName();
    }

    void TearDown() override
    {
        for (auto &process : processes) {
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished(5000);
            }
        }
    }

    QProcess &start()
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        QDir root(dir.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("HOME"), root.filePath(QStringLiteral("home")));
        env.insert(QStringLiteral("TMPDIR"), root.filePath(QStringLiteral("tmp")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), root.filePath(QStringLiteral("run")));
        process->setProcessEnvironment(env);
        process->setWorkingDirectory(root.filePath(QStringLiteral("cwd")));
        process->setProgram(program);
        process->start();
        EXPECT_TRUE(process->waitForStarted(5000));
        processes.push_back(std::move(process));
        return *processes.back();
    }

    bool bListening() const
    {
        QLocalSocket probe;
        probe.connectToServer(socketPath);
        return probe.waitForConnected(200);
    }

    // Every file and folder below the test's root with its size and modification time.
    QStringList snapshot() const
    {
        QStringList entries;
        QDirIterator it(dir.path(), QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QFileInfo info(it.next());
            // Under ThreadSanitizer every started process makes and removes the runtime's own file
            // in TMPDIR, which moves that folder's time.
            const bool bTimeFromRuntime =
                kSanitizerUsesTmpDir && info.filePath() == dir.filePath(QStringLiteral("tmp"));
            entries << QStringLiteral("%1 %2 %3")
                           .arg(info.filePath())
                           .arg(info.size())
                           .arg(bTimeFromRuntime ? 0 : info.lastModified().toMSecsSinceEpoch());
        }
        entries.sort();
        return entries;
    }

    static bool bFinishedWithZero(QProcess &process, int timeoutMs = 15000)
    {
        return process.waitForFinished(timeoutMs) && process.exitStatus() == QProcess::NormalExit
               && process.exitCode() == 0;
    }

    QTemporaryDir dir;
    QString program;
    QString socketPath;
    std::vector<std::unique_ptr<QProcess>> processes;
};

TEST_F(SingleInstanceTest, SecondStartExitsWithZeroAndTouchesNoFile)
{
    QProcess &first = start();
    ASSERT_TRUE(WaitUntil([this] { return bListening(); }, 15000));
    ASSERT_TRUE(WaitUntil([this] { return QFileInfo::exists(dir.filePath(QStringLiteral("bin/logs"))); }));
    // Leftover exchange files that only a first start would delete.
    for (const char *name : {"task.json", "result.json"}) {
        QFile file(dir.filePath(QStringLiteral("cwd/")) + QLatin1String(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const QStringList before = snapshot();

    QProcess &second = start();
    EXPECT_TRUE(bFinishedWithZero(second));
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(first.state(), QProcess::Running);
}

TEST_F(SingleInstanceTest, SocketLeftByCrashedInstanceDoesNotBlockTheNextStart)
{
    QProcess &crashed = start();
    ASSERT_TRUE(WaitUntil([this] { return bListening(); }, 15000));
    ::kill(pid_t(crashed.processId()), SIGKILL);
    crashed.waitForFinished(5000);
    ASSERT_TRUE(QFileInfo::exists(socketPath));
    ASSERT_FALSE(bListening());

    QProcess &next = start();
    ASSERT_TRUE(WaitUntil([this] { return bListening(); }, 15000));
    EXPECT_EQ(next.state(), QProcess::Running);

    // And it is the running instance now: a further start gives way to it.
    QProcess &third = start();
    EXPECT_TRUE(bFinishedWithZero(third));
    EXPECT_EQ(next.state(), QProcess::Running);
}

TEST_F(SingleInstanceTest, TwoStartsAtTheSameMomentDoNotBothWin)
{
    QProcess &a = start();
    QProcess &b = start();
    ASSERT_TRUE(WaitUntil([&] { return a.state() == QProcess::NotRunning || b.state() == QProcess::NotRunning; },
                          20000));
    QProcess &gone = a.state() == QProcess::NotRunning ? a : b;
    QProcess &running = a.state() == QProcess::NotRunning ? b : a;
    EXPECT_EQ(gone.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(gone.exitCode(), 0);
    QTest::qWait(500);
    EXPECT_EQ(running.state(), QProcess::Running);
}

// The running instance here is this test's own window; the second start is the real program.
class SingleInstanceShowTest : public MainWindowFixture {};

TEST_F(SingleInstanceShowTest, SecondStartShowsTheRunningWindowNormal)
{
    SingleInstance instance(dir.path());
    ASSERT_EQ(instance.Start(std::chrono::milliseconds(200)), SingleInstance::Role::Primary);
    ASSERT_TRUE(instance.Listen([this] {
        QEvent show(EventTypeOf(WM_ShowMainForm));
        QCoreApplication::sendEvent(&window(), &show);
    }));
    showAndActivate();
    window().showMinimized();
    window().hide();

    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("TMPDIR"), dir.path());
    second.setProcessEnvironment(env);
    second.setWorkingDirectory(paths.currentDir);
    second.start(QStringLiteral(ZARNIK_BINARY), {});
    ASSERT_TRUE(WaitUntil([&] { return second.state() == QProcess::NotRunning; }, 15000));

    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(window().isVisible());
    EXPECT_FALSE(window().windowState() & Qt::WindowMinimized);
    EXPECT_EQ(steps().count(QStringLiteral("login")), 1);
}

} // namespace
