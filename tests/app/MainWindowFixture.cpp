#include "MainWindowFixture.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QThread>

bool WaitUntil(const std::function<bool()> &condition, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

void MainWindowFixture::SetUp()
{
    ASSERT_TRUE(dir.isValid());
    QDir root(dir.path());
    root.mkpath(QStringLiteral("bin"));
    root.mkpath(QStringLiteral("cwd"));
    paths.exeDir = root.filePath(QStringLiteral("bin")) + QLatin1Char('/');
    paths.exeFile = paths.exeDir + QStringLiteral("zarnik");
    paths.currentDir = root.filePath(QStringLiteral("cwd")) + QLatin1Char('/');
    paths.tempDir = dir.path() + QLatin1Char('/');

    // Nothing listens on port 9 of the loopback, so the ad download fails at once.
    wiring.adPicture = QUrl(QStringLiteral("http://127.0.0.1:9/ads/pic/ad.gif"));
    wiring.adPage = QUrl(QStringLiteral("http://web.test/ads/ad.htm"));
    wiring.homePage = QUrl(QStringLiteral("http://web.test/"));
    wiring.rechargePage = QUrl(QStringLiteral("http://api.test/recharge.php"));
    wiring.userCentrePage = QUrl(QStringLiteral("http://api.test/"));
    wiring.supportNumber = QStringLiteral("12345");
    wiring.openUrl = [this](const QUrl &url) { openedUrls.push_back(url); };
    wiring.runLogin = [this](QWidget *) { record(QStringLiteral("login")); };
    wiring.afterLogin = [this](QWidget *) { record(QStringLiteral("afterLogin")); };
    wiring.member = [this] { return member; };
    wiring.promptPayInformationBinding = [this](QWidget *) { record(QStringLiteral("bindingPrompt")); };
    wiring.firstTaskListLoad = [this] { record(QStringLiteral("firstTaskListLoad")); };
    wiring.enableCheckSafeSoft = [this] { record(QStringLiteral("checkSafeSoft")); };
    wiring.getSelfTaskList = [this] { record(QStringLiteral("getSelfTaskList")); };
    wiring.getTaskList = [this] { record(QStringLiteral("getTaskList")); };
    wiring.startWork = [this] { record(QStringLiteral("startWork")); };
    wiring.stopSubsystemTimers = [this] { record(QStringLiteral("stopSubsystemTimers")); };
    wiring.releaseAppResources = [this] { record(QStringLiteral("release")); };
}

void MainWindowFixture::TearDown()
{
    m_window.reset();
}

TfrmMain &MainWindowFixture::window()
{
    if (!m_window)
        m_window = std::make_unique<TfrmMain>(wiring, paths, timings);
    return *m_window;
}

void MainWindowFixture::showAndActivate()
{
    const qsizetype activations = steps().count(QStringLiteral("checkSafeSoft"));
    window().show();
    ASSERT_TRUE(WaitUntil([&] { return steps().count(QStringLiteral("checkSafeSoft")) > activations; }));
}

void MainWindowFixture::record(const QString &step)
{
    std::lock_guard guard(m_lock);
    m_steps.append(step);
}

QStringList MainWindowFixture::steps() const
{
    std::lock_guard guard(m_lock);
    return m_steps;
}
