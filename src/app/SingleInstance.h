#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>

class QLocalServer;

// One instance per user and desktop, outside Windows: a local socket named after the program's
// mark and the user, and a lock file beside it so that two starts at the same moment cannot both
// win and a socket left by a crashed instance never blocks the next start.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    enum class Role { Primary, Secondary };

    // dir: the temp (or runtime) folder that holds the socket and the lock file.
    explicit SingleInstance(const QString &dir);
    ~SingleInstance() override;

    // The socket's file name: the mark followed by the user's id.
    static QString ServerName();
    QString socketPath() const { return m_socketPath; }

    // Runs before anything touches a folder and needs no application object. Secondary: a running
    // instance was asked to show its window and has acknowledged it (or stopped answering), and
    // this process has created, deleted and written no file. Primary: the lock is ours.
    Role Start(std::chrono::milliseconds patience = std::chrono::seconds(10));

    // Primary only, once the application object exists: takes over the socket name. Every "show"
    // request then runs onShow before it is acknowledged.
    bool Listen(std::function<void()> onShow);

private:
    bool bAskRunningInstanceToShow(std::chrono::milliseconds patience);
    void Serve();

    QString m_socketPath;
    QLockFile m_lock;
    std::unique_ptr<QLocalServer> m_server;
    std::function<void()> m_onShow;
};
