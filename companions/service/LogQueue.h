#pragma once

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace zarnik::service {

// Writes log lines on a thread of its own, so a request never waits for the disk. When the
// writer falls far behind, further lines are dropped and counted instead of piling up.
class LogQueue {
public:
    static constexpr std::size_t kMaxQueuedLines = 100000;

    explicit LogQueue(std::FILE *out);
    ~LogQueue(); // writes what is queued, then stops
    LogQueue(const LogQueue &) = delete;
    LogQueue &operator=(const LogQueue &) = delete;

    void push(std::string_view line);

private:
    void run();

    std::FILE *m_out;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::string> m_lines;
    std::size_t m_dropped = 0;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace zarnik::service
