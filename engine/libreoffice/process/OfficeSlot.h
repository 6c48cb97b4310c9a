#pragma once

#include "engine/libreoffice/process/OfficeSession.h"

#include <atomic>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

namespace rm::lo {

// One private office of ours, started when first needed or ahead of time on
// a thread of its own, and usable from any thread: whoever needs it while it
// starts waits for that start. When the office process ends while starting,
// the start is tried once more with a fresh profile; a missing office, an
// office that cannot be started twice running and the start deadline still fail.
class OfficeSlot {
public:
    explicit OfficeSlot(OfficeSession::Settings settings);
    ~OfficeSlot();
    OfficeSlot(const OfficeSlot&) = delete;
    OfficeSlot& operator=(const OfficeSlot&) = delete;

    // Starts the office in the background unless it runs or is starting.
    void startInBackground();
    // The running office: waits for a start in progress, or starts one now
    // (again after the office ended). The failure of a background start is
    // thrown here, once; the next call starts afresh.
    std::shared_ptr<OfficeSession> session();
    // The running office, or null while none runs (never starts one, never waits).
    std::shared_ptr<OfficeSession> runningSession() const;
    bool starting() const;
    // Gives up a start in progress, then ends the office. A later session() starts a new one.
    void shutdown();
    // Kills the running office at once (OfficeSession::killOffice()); a start in progress goes on.
    void killOffice();

private:
    std::shared_ptr<OfficeSession> start();
    // start(), its failure caught.
    std::pair<std::shared_ptr<OfficeSession>, std::exception_ptr> attemptStart();

    OfficeSession::Settings m_settings;
    std::atomic<bool> m_cancelled{false};
    mutable std::mutex m_mutex;
    std::condition_variable m_startEnded;
    bool m_starting = false;
    std::shared_ptr<OfficeSession> m_session;
    std::exception_ptr m_failure;
    std::thread m_starter;
};

} // namespace rm::lo
