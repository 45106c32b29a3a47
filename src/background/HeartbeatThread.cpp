#include "HeartbeatThread.h"

#include "RemoteProc.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#if defined(__linux__)
#include <pthread.h>
#endif

std::unique_ptr<THeartbeatThread> gHeartbeatThread;

THeartbeatThread::THeartbeatThread(const Timings &timings)
    : m_wait(timings.heartbeatStep * timings.heartbeatStepsBeforeRequest),
      m_thread([this] { Execute(); })
{
}

THeartbeatThread::~THeartbeatThread()
{
    TerminateAndWait();
}

void THeartbeatThread::Terminate()
{
    {
        std::lock_guard guard(m_lock);
        m_bTerminated = true;
    }
    m_wake.notify_all();
}

void THeartbeatThread::TerminateAndWait()
{
    Terminate();
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
        m_thread.join();
}

bool THeartbeatThread::bWaitBeforeRequest()
{
    std::unique_lock guard(m_lock);
    return !m_wake.wait_for(guard, m_wait, [this] { return m_bTerminated; });
}

void THeartbeatThread::Execute()
{
#if defined(__linux__)
    // The kernel keeps 15 characters of a thread's name.
    pthread_setname_np(pthread_self(), "THeartbeatThrea");
#endif
    while (bWaitBeforeRequest()) {
        try {
            const QStringList fields{QStringLiteral("%1=%2").arg(QStringLiteral("action"), QStringLiteral("heartbeat"))};
            QByteArray response;
            QString errorText;
            ExecRemoteProc(nullptr, &fields, &response, false, errorText);
        } catch (...) {
        }
    }
}

void StartHeartbeat(const Timings &timings)
{
    gHeartbeatThread = std::make_unique<THeartbeatThread>(timings);
}

void StopHeartbeat()
{
    if (!gHeartbeatThread)
        return;
    gHeartbeatThread->TerminateAndWait();
    gHeartbeatThread.reset();
}
