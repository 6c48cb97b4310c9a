#pragma once

#include "engine/NumericLocale.h"
#include "engine/libreoffice/process/CallDeadline.h"
#include "engine/libreoffice/process/OfficeConnection.h"
#include "engine/libreoffice/process/OfficeProcess.h"
#include "engine/libreoffice/process/OfficeProfile.h"
#include "engine/libreoffice/uno/UnoErrors.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace rm::lo {

class BatchCellReader;
class BatchCellWriter;
class CalcDocument;

// One running private office: its profile, its process, the connection, and
// the documents we have open in it. shutdown() closes those documents without
// saving, terminates the office, waits for it and kills what is left;
// shutdownInBackground() does the same in a thread of its own, which the
// destructor (and shutdown) wait for, bounded.
class OfficeSession {
public:
    struct Settings {
        std::string sofficePath;
        int startTimeoutMs = 60000;
        std::string localeName;   // "de_DE"
        int callTimeoutMs = 60000;   // a call still unanswered then ends the office
        // Set while the office starts: the start is given up (OfficeExitedDuringStart).
        const std::atomic<bool>* cancelled = nullptr;
    };

    explicit OfficeSession(const Settings& settings);
    ~OfficeSession();
    OfficeSession(const OfficeSession&) = delete;
    OfficeSession& operator=(const OfficeSession&) = delete;

    const OfficeConnection& connection() const;
    // Shut down, or killed (killOffice()): no more calls; the slot starts a new office.
    bool ended() const { return m_ended || m_killed; }
    pid_t processGroup() const { return m_process ? m_process->groupId() : 0; }
    // The user installation URL that this office's lock files name.
    std::string profileUrl() const { return m_profile ? m_profile->installationUrl() : std::string(); }

    // Runs office calls; any failure becomes an rm::Error, and one that comes
    // from an office that is gone is reported as OfficeConnectionLost.
    template <class Call>
    auto call(const std::string& what, Call&& call) -> decltype(call());
    // How many calls were made so far: reading a sheet must not cost one per cell.
    long callCount() const { return m_callCount; }

    // A path the office may lock for one of our documents: its lock file is
    // removed even when the program ends on a signal (OfficeRegistry.h).
    void noteLockablePath(const std::string& path);
    // A folder for our own temporary files, removed with the office's profile.
    std::string temporaryFolder() const;

    void adopt(const std::shared_ptr<CalcDocument>& document);
    void forget(const CalcDocument* document);
    const std::vector<std::shared_ptr<CalcDocument>>& documents() const { return m_documents; }

    // The document whose window is the active one: the last opened or activated.
    void setActiveDocument(const std::shared_ptr<CalcDocument>& document) { m_activeDocument = document; }
    std::shared_ptr<CalcDocument> activeDocument() const { return m_activeDocument.lock(); }

    // How this office shows numbers in its locale, read from its locale data on first use.
    const NumericLocale& numericLocale();

    // The office's routine for writing many cells in one call; null when unavailable.
    const BatchCellWriter* batchCellWriter();
    // The office's routine for reading a rectangle's texts in one call; null when unavailable.
    const BatchCellReader* batchCellReader();

    void shutdown();
    // Returns at once; the session counts as ended from now on.
    void shutdownInBackground();
    // Has the watchdog kill the office now, whether it answers or not (safe
    // from any thread): a call blocked in it returns with the connection
    // lost. shutdown() still follows, and finds it gone.
    void killOffice();

    // Waits up to `timeoutMs` until this office holds no lock file on
    // `documentPath` (".~lock.NAME#"); true when it holds none.
    bool waitUntilUnlocked(const std::string& documentPath, int timeoutMs) const;

private:
    [[noreturn]] void rethrowChecked(const std::string& what);
    void endOffice();
    void waitForBackgroundShutdown();

    std::unique_ptr<OfficeProfile> m_profile;
    std::unique_ptr<OfficeProcess> m_process;
    std::unique_ptr<OfficeConnection> m_connection;
    std::vector<std::shared_ptr<CalcDocument>> m_documents;
    std::weak_ptr<CalcDocument> m_activeDocument;
    std::unique_ptr<BatchCellWriter> m_batchCellWriter;
    std::unique_ptr<BatchCellReader> m_batchCellReader;
    std::string m_localeName;
    std::optional<NumericLocale> m_numericLocale;
    std::unique_ptr<CallDeadline> m_callDeadline;   // after the process: its thread ends first
    std::atomic<bool> m_ended{false};
    std::atomic<bool> m_killed{false};
    std::atomic<long> m_callCount{0};
    std::mutex m_backgroundMutex;
    std::condition_variable m_backgroundEnded;
    bool m_backgroundDone = false;
    std::thread m_background;   // declared last: ends first
};

template <class Call>
auto OfficeSession::call(const std::string& what, Call&& call) -> decltype(call())
{
    if (m_ended)
        throw connectionLostError();
    const CallDeadline::Scope bounded(*m_callDeadline);
    ++m_callCount;
    try {
        return call();
    } catch (...) {
        rethrowChecked(what);
    }
}

} // namespace rm::lo
