#include "engine/libreoffice/process/CallDeadline.h"

namespace rm::lo {

CallDeadline::CallDeadline(int timeoutMs, std::function<void()> onExpiry)
    : m_timeoutMs(timeoutMs), m_onExpiry(std::move(onExpiry)), m_thread([this] { watch(); })
{
}

CallDeadline::~CallDeadline()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void CallDeadline::begin()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_depth++ > 0)
            return;
        m_deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_timeoutMs);
    }
    m_changed.notify_all();
}

void CallDeadline::end()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    --m_depth;
}

bool CallDeadline::expired() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_expired;
}

void CallDeadline::watch()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stopping) {
        if (m_depth == 0 || m_expired) {
            m_changed.wait(lock);
            continue;
        }
        const auto deadline = m_deadline;
        if (m_changed.wait_until(lock, deadline) != std::cv_status::timeout)
            continue;
        // Still inside the same call (a new one would have moved the deadline on)?
        if (m_stopping || m_depth == 0 || m_deadline != deadline)
            continue;
        m_expired = true;
        lock.unlock();
        m_onExpiry();
        lock.lock();
    }
}

} // namespace rm::lo
