#pragma once

#include "Timings.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

// Tells the service now and then that the client is running. Starts at once; the first request
// goes out after the whole wait, each next one that long after the previous exchange ended.
// Whatever happens to a request is dropped: nothing is shown, logged or posted.
class THeartbeatThread {
public:
    explicit THeartbeatThread(const Timings &timings);
    // Asks the body to end and joins it, so an exchange in flight is waited for.
    ~THeartbeatThread();
    THeartbeatThread(const THeartbeatThread &) = delete;
    THeartbeatThread &operator=(const THeartbeatThread &) = delete;

    // Sets the terminate flag: a wait ends at once, an exchange in flight runs to its end.
    void Terminate();
    // Terminates and waits until the body has left.
    void TerminateAndWait();

private:
    void Execute();
    bool bWaitBeforeRequest();

    const Timings::ms m_wait;
    std::mutex m_lock;
    std::condition_variable m_wake;
    bool m_bTerminated = false;
    std::thread m_thread; // last: the body starts only once everything above is built
};

// The one running heartbeat; empty before the sign-in and once StopHeartbeat has ended it.
// Touched by the UI thread (start) and by the exit clean-up (stop), never at the same time.
extern std::unique_ptr<THeartbeatThread> gHeartbeatThread;

// Creates the heartbeat and stores it in gHeartbeatThread (the first showing of the main window).
void StartHeartbeat(const Timings &timings = AppTimings());

// The first step of ReleaseAppResources: ends the heartbeat, waiting for an exchange in flight,
// then empties gHeartbeatThread. Does nothing when no heartbeat runs.
void StopHeartbeat();
