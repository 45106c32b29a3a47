#include "LogQueue.h"

namespace zarnik::service {

LogQueue::LogQueue(std::FILE *out)
    : m_out(out)
    , m_thread([this] { run(); })
{
}

LogQueue::~LogQueue()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void LogQueue::push(std::string_view line)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_lines.size() >= kMaxQueuedLines) {
            ++m_dropped;
            return;
        }
        m_lines.emplace_back(line);
    }
    m_wake.notify_one();
}

void LogQueue::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || !m_lines.empty() || m_dropped > 0; });
        std::deque<std::string> batch;
        batch.swap(m_lines);
        const std::size_t dropped = m_dropped;
        m_dropped = 0;
        const bool stopping = m_stopping;
        lock.unlock();
        if (dropped > 0)
            std::fprintf(m_out, "(%zu log lines dropped: the log could not keep up)\n", dropped);
        for (const std::string &line : batch) {
            std::fwrite(line.data(), 1, line.size(), m_out);
            std::fputc('\n', m_out);
        }
        std::fflush(m_out);
        lock.lock();
        if (stopping && m_lines.empty())
            return;
    }
}

} // namespace zarnik::service
