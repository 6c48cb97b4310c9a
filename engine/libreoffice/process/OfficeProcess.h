#pragma once

#include <atomic>
#include <string>
#include <sys/types.h>
#include <vector>

namespace rm::lo {

// The private office's process tree. The `soffice` script is started under a
// small watchdog process, in a session and process group of their own: the
// watchdog kills that whole group and removes the office's profile when the
// office exits, when we stop it, or when our process goes away without
// stopping it (its pipe to us reads end-of-file). So the office never
// outlives us, however we end.
class OfficeProcess {
public:
    struct Launch {
        std::string sofficePath;
        std::string pipeName;
        std::string installationUrl;
        std::string localeName;   // e.g. "de_DE", for the office's environment
        std::string logPath;      // the office's stdout and stderr
        std::string profileDirectory;   // removed when the office has ended
    };

    // Throws rm::Error: OfficeNotInstalled when the script is missing or not
    // executable, OfficeStartFailed when the process cannot be created.
    explicit OfficeProcess(const Launch& launch);
    ~OfficeProcess();   // stops the process group at once (kill)
    OfficeProcess(const OfficeProcess&) = delete;
    OfficeProcess& operator=(const OfficeProcess&) = delete;

    // Process group of the office tree (the watchdog's pid).
    pid_t groupId() const { return m_group; }
    bool running();
    // Waits up to `timeoutMs` for the tree to end by itself; true when it did.
    bool waitForExit(int timeoutMs);
    // Has the watchdog kill the office at once, and reaps it. Idempotent.
    void kill();
    // Has the watchdog kill the office, without waiting: safe from another
    // thread while this one is blocked in a call to the office.
    void stop();

private:
    pid_t m_group = 0;
    std::atomic<int> m_lifeline{-1};   // write end of the watchdog's pipe
    std::vector<std::string> m_sockets;   // the office's in /tmp
    bool m_reaped = false;
};

} // namespace rm::lo
