#include "engine/libreoffice/process/OfficeSlot.h"

#include "engine/libreoffice/process/OfficeConnection.h"

namespace rm::lo {

OfficeSlot::OfficeSlot(OfficeSession::Settings settings) : m_settings(std::move(settings))
{
    m_settings.cancelled = &m_cancelled;
}

OfficeSlot::~OfficeSlot()
{
    shutdown();
}

std::shared_ptr<OfficeSession> OfficeSlot::start()
{
    // Under load a fresh office now and then ends while it sets up its new
    // profile; a second start with another fresh profile comes up.
    for (int attempt = 1;; ++attempt) {
        try {
            return std::make_shared<OfficeSession>(m_settings);
        } catch (const OfficeExitedDuringStart&) {
            if (attempt >= 2 || m_cancelled)
                throw;
        }
    }
}

std::pair<std::shared_ptr<OfficeSession>, std::exception_ptr> OfficeSlot::attemptStart()
{
    try {
        return {start(), nullptr};
    } catch (...) {
        return {nullptr, std::current_exception()};
    }
}

void OfficeSlot::startInBackground()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_starting || (m_session && !m_session->ended()) || m_failure)
        return;
    if (m_starter.joinable())
        m_starter.join();   // an earlier start, already over
    m_session.reset();
    m_starting = true;
    m_starter = std::thread([this] {
        auto [started, failure] = attemptStart();
        const std::lock_guard<std::mutex> guard(m_mutex);
        m_session = std::move(started);
        m_failure = failure;
        m_starting = false;
        m_startEnded.notify_all();
    });
}

std::shared_ptr<OfficeSession> OfficeSlot::session()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_startEnded.wait(lock, [&] { return !m_starting; });
    if (m_failure) {
        const std::exception_ptr failure = m_failure;
        m_failure = nullptr;
        std::rethrow_exception(failure);
    }
    if (m_session && !m_session->ended())
        return m_session;
    m_session.reset();
    m_starting = true;
    lock.unlock();
    auto [started, failure] = attemptStart();
    lock.lock();
    m_starting = false;
    m_startEnded.notify_all();
    if (failure)
        std::rethrow_exception(failure);
    m_session = started;
    return started;
}

std::shared_ptr<OfficeSession> OfficeSlot::runningSession() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_session && !m_session->ended() ? m_session : nullptr;
}

bool OfficeSlot::starting() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_starting;
}

void OfficeSlot::killOffice()
{
    if (const auto session = runningSession())
        session->killOffice();
}

void OfficeSlot::shutdown()
{
    m_cancelled = true;
    std::shared_ptr<OfficeSession> session;
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_startEnded.wait(lock, [&] { return !m_starting; });
        session = std::move(m_session);
        m_failure = nullptr;
    }
    if (m_starter.joinable())
        m_starter.join();
    if (session)
        session->shutdown();
    m_cancelled = false;
}

} // namespace rm::lo
