#include "engine/libreoffice/process/OfficeSession.h"

#include "engine/ErrorNumbers.h"
#include "engine/ErrorTexts.h"
#include "engine/UserLocale.h"
#include "engine/libreoffice/bulk/BatchCellReader.h"
#include "engine/libreoffice/bulk/BatchCellWriter.h"
#include "engine/libreoffice/documents/CalcDocument.h"
#include "engine/libreoffice/process/LockFiles.h"
#include "engine/libreoffice/process/OfficeLocaleData.h"
#include "engine/libreoffice/process/OfficeRegistry.h"
#include "engine/libreoffice/uno/UnoErrors.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <chrono>
#include <random>
#include <thread>
#include <unistd.h>

namespace rm::lo {

namespace {

std::string uniquePipeName()
{
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    return "reportmerge-" + std::to_string(getpid()) + "-" + std::to_string(++counter) + "-" +
           std::to_string(random());
}

// How long the program's end waits for a shutdown going on in the
// background before the office is killed.
constexpr auto kBackgroundShutdownWait = std::chrono::seconds(10);

// Closing our documents and terminating the office at the end get this long
// together (or the call deadline, when shorter); then the office is killed.
// Nothing is lost by that: everything was saved or the run has failed, and
// the lock files it leaves are removed after it. A stopped office must not
// hold the end for a whole call deadline.
constexpr int kEndTimeoutMs = 5000;

} // namespace

OfficeSession::OfficeSession(const Settings& settings) : m_localeName(settings.localeName)
{
    // A write to the pipe of an office that has just died must come back as
    // an error of that call, not end the program with SIGPIPE.
    std::signal(SIGPIPE, SIG_IGN);
    localUnoContext();   // fails early, before anything is started, when UNO is unusable
    const std::string pipeName = uniquePipeName();
    m_profile = std::make_unique<OfficeProfile>(toOfficeLocaleTag(settings.localeName));
    OfficeProcess::Launch launch{settings.sofficePath, pipeName, m_profile->installationUrl(),
                                 settings.localeName, m_profile->directory() + "/office.log",
                                 m_profile->directory()};
    m_process = std::make_unique<OfficeProcess>(launch);
    registerOffice(this, m_process->groupId(), m_profile->installationUrl(), [this] { m_process->stop(); });
    m_callDeadline = std::make_unique<CallDeadline>(settings.callTimeoutMs, [this] { m_process->stop(); });
    try {
        const std::atomic<bool>* cancelled = settings.cancelled;
        m_connection = std::make_unique<OfficeConnection>(pipeName, settings.startTimeoutMs, [this, cancelled] {
            return !(cancelled && cancelled->load()) && m_process->running();
        });
    } catch (...) {
        unregisterOffice(this);
        m_process->kill();
        throw;
    }
}

OfficeSession::~OfficeSession()
{
    shutdown();
}

const OfficeConnection& OfficeSession::connection() const
{
    if (m_ended || !m_connection)
        throw connectionLostError();
    return *m_connection;
}

void OfficeSession::rethrowChecked(const std::string& what)
{
    if (m_callDeadline->expired())
        throw ErrorText::officeCallTimedOut(m_callDeadline->timeoutMs() / 1000, what);
    try {
        rethrowAsError(what);
    } catch (const Error& error) {
        if (error.number() == ErrorNumber::OfficeCallFailed && m_process && !m_process->running())
            throw connectionLostError();
        throw;
    }
}

const BatchCellWriter* OfficeSession::batchCellWriter()
{
    if (!m_batchCellWriter)
        m_batchCellWriter = std::make_unique<BatchCellWriter>(connection());
    return m_batchCellWriter->isReady() ? m_batchCellWriter.get() : nullptr;
}

const BatchCellReader* OfficeSession::batchCellReader()
{
    if (!m_batchCellReader)
        m_batchCellReader = std::make_unique<BatchCellReader>(connection());
    return m_batchCellReader->isReady() ? m_batchCellReader.get() : nullptr;
}

void OfficeSession::noteLockablePath(const std::string& path)
{
    lo::noteLockablePath(this, path);
}

std::string OfficeSession::temporaryFolder() const
{
    return m_profile ? m_profile->officeTemporaryFolder() : std::string();
}

const NumericLocale& OfficeSession::numericLocale()
{
    if (!m_numericLocale)
        m_numericLocale = call(ErrorText::OfficeStep::ReadLocale, [&] { return readNumericLocale(connection(), m_localeName); });
    return *m_numericLocale;
}

void OfficeSession::adopt(const std::shared_ptr<CalcDocument>& document)
{
    m_documents.push_back(document);
}

void OfficeSession::forget(const CalcDocument* document)
{
    for (auto it = m_documents.begin(); it != m_documents.end(); ++it) {
        if (it->get() == document) {
            m_documents.erase(it);
            return;
        }
    }
}

void OfficeSession::shutdown()
{
    if (!m_ended) {
        m_ended = true;
        endOffice();
    }
    waitForBackgroundShutdown();
    unregisterOffice(this);
    m_process.reset();
    m_profile.reset();
}

void OfficeSession::shutdownInBackground()
{
    if (m_ended)
        return;
    m_ended = true;
    m_background = std::thread([this] {
        endOffice();
        const std::lock_guard<std::mutex> lock(m_backgroundMutex);
        m_backgroundDone = true;
        m_backgroundEnded.notify_all();
    });
}

void OfficeSession::waitForBackgroundShutdown()
{
    if (!m_background.joinable())
        return;
    {
        std::unique_lock<std::mutex> lock(m_backgroundMutex);
        if (!m_backgroundEnded.wait_for(lock, kBackgroundShutdownWait, [this] { return m_backgroundDone; }) &&
            m_process)
            m_process->stop();   // the blocked office call returns once the office is gone
    }
    m_background.join();
}

void OfficeSession::killOffice()
{
    m_killed = true;
    if (m_process)
        m_process->stop();
}

bool OfficeSession::waitUntilUnlocked(const std::string& documentPath, int timeoutMs) const
{
    if (!m_profile)
        return true;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (isLockedBy(m_profile->installationUrl(), documentPath)) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// Runs once, on the calling thread or in the background; touches nothing the
// owner's thread still uses once m_ended is set (the process and the profile
// stay until shutdown() or the destructor).
void OfficeSession::endOffice()
{
    const bool alive = m_process && m_process->running();
    std::vector<std::string> lockablePaths;
    {
        // An office that no longer answers must not hold up the end either.
        CallDeadline ending(std::min(m_callDeadline->timeoutMs(), kEndTimeoutMs), [this] { m_process->stop(); });
        const CallDeadline::Scope bounded(ending);
        for (const auto& document : m_documents) {
            lockablePaths.insert(lockablePaths.end(), document->lockablePaths().begin(),
                                 document->lockablePaths().end());
            document->discard(alive);
        }
        m_documents.clear();
        m_batchCellWriter.reset();
        m_batchCellReader.reset();
        if (alive && m_connection) {
            try {
                m_connection->desktop()->terminate();
            } catch (...) {
                // The office may go away while answering; it is killed below in any case.
            }
        }
    }
    m_callDeadline.reset();
    m_connection.reset();
    if (m_process) {
        if (alive)
            m_process->waitForExit(8000);
        m_process->kill();
    }
    // The office has ended: a lock file that still names its profile was left by a killed office.
    if (m_profile)
        for (const auto& path : lockablePaths)
            removeLockFileLeftBy(m_profile->installationUrl(), path);
}

} // namespace rm::lo
