#pragma once

#include <string>
#include <sys/types.h>

namespace rm::lo {

// The private office's process tree. The `soffice` script is started in a
// session of its own under a small watchdog process: the watchdog kills the
// whole process group when the office exits, or when our process goes away
// without shutting it down (its pipe to us reads end-of-file), so the office
// never outlives us, however we end.
class OfficeProcess {
public:
    struct Launch {
        std::string sofficePath;
        std::string pipeName;
        std::string installationUrl;
        std::string localeName;   // e.g. "de_DE", for the office's environment
        std::string logPath;      // the office's stdout and stderr
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
    // SIGKILL to the whole group, then reaps the watchdog. Idempotent.
    void kill();

private:
    pid_t m_group = 0;
    int m_lifeline = -1;   // write end of the watchdog's pipe
    bool m_reaped = false;
};

} // namespace rm::lo
