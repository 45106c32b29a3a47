#include "SingleInstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

#include <thread>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

const QString kInstanceMark = QStringLiteral("{EA2621AC-AC51-413D-A335-5141F451BB34}");
const QByteArray kShowRequest = QByteArrayLiteral("show\n");
const QByteArray kShownReply = QByteArrayLiteral("shown\n");
constexpr std::chrono::milliseconds kRetryStep(50);

QString userSuffix()
{
#ifdef Q_OS_UNIX
    return QString::number(::getuid());
#else
    return qEnvironmentVariable("USERNAME");
#endif
}

} // namespace

SingleInstance::SingleInstance(const QString &dir)
    : m_socketPath(QDir(dir).filePath(ServerName()))
    , m_lock(QDir(dir).filePath(ServerName() + QStringLiteral(".lock")))
{
    // Only a dead owner makes the lock stale; a long-running instance keeps it however old.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::ServerName()
{
    return kInstanceMark + QLatin1Char('-') + userSuffix();
}

SingleInstance::Role SingleInstance::Start(std::chrono::milliseconds patience)
{
    const auto deadline = std::chrono::steady_clock::now() + patience;
    for (;;) {
        if (bAskRunningInstanceToShow(patience))
            return Role::Secondary;
        if (m_lock.tryLock(0))
            return Role::Primary;
        // No lock can be made here at all: run rather than refuse to start.
        if (m_lock.error() != QLockFile::LockFailedError)
            return Role::Primary;
        // Another start holds the lock and is not listening yet.
        if (std::chrono::steady_clock::now() >= deadline)
            return Role::Primary;
        std::this_thread::sleep_for(kRetryStep);
    }
}

bool SingleInstance::bAskRunningInstanceToShow(std::chrono::milliseconds patience)
{
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(int(patience.count())))
        return false;
    socket.write(kShowRequest);
    socket.waitForBytesWritten(int(patience.count()));
    // The answer comes once the running window has handled the request; a running instance that
    // never answers still counts as running.
    while (!socket.canReadLine() && socket.waitForReadyRead(int(patience.count()))) {
    }
    return true;
}

bool SingleInstance::Listen(std::function<void()> onShow)
{
    m_onShow = std::move(onShow);
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server.get(), &QLocalServer::newConnection, this, &SingleInstance::Serve);
    // Holding the lock makes any socket file left at the name a crashed instance's; without the
    // lock the file may belong to a live instance and stays.
    if (m_lock.isLocked())
        QLocalServer::removeServer(m_socketPath);
    return m_server->listen(m_socketPath);
}

void SingleInstance::Serve()
{
    while (QLocalSocket *client = m_server->nextPendingConnection()) {
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        connect(client, &QLocalSocket::readyRead, this, [this, client] {
            while (client->canReadLine()) {
                if (client->readLine() != kShowRequest)
                    continue;
                if (m_onShow)
                    m_onShow();
                client->write(kShownReply);
                client->flush();
            }
        });
    }
}
