#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace rm::lo {

// Bounds every office call: a thread watches the call in progress and, once
// it has taken longer than the deadline, runs `onExpiry` (which ends the
// office, so that the blocked call returns with the connection gone).
// Nested calls count as one, from the outermost.
class CallDeadline {
public:
    CallDeadline(int timeoutMs, std::function<void()> onExpiry);
    ~CallDeadline();
    CallDeadline(const CallDeadline&) = delete;
    CallDeadline& operator=(const CallDeadline&) = delete;

    void begin();
    void end();
    // A call has run past the deadline (the office was ended for it).
    bool expired() const;
    int timeoutMs() const { return m_timeoutMs; }

    class Scope {
    public:
        explicit Scope(CallDeadline& deadline) : m_deadline(deadline) { m_deadline.begin(); }
        ~Scope() { m_deadline.end(); }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        CallDeadline& m_deadline;
    };

private:
    void watch();

    const int m_timeoutMs;
    const std::function<void()> m_onExpiry;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_depth = 0;
    std::chrono::steady_clock::time_point m_deadline;
    bool m_expired = false;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace rm::lo
