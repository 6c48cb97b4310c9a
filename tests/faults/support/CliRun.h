#pragma once

// Runs reportmerge-cli (or any program) as a child process with a deadline:
// a run that outlives it is killed and reported as timed out, so no case can hang.

#include <string>
#include <sys/types.h>
#include <vector>

namespace rm::faults {

struct CliResult {
    int exitCode = -1;       // -1 when killed by a signal or timed out
    bool timedOut = false;
    std::string out;
    std::string err;
    double seconds = 0;
    pid_t pid = 0;           // the office it started carries rm::test::officeMarkOf(pid)
};

class CliRun {
public:
    // `command` is the full argument vector, the program first. Starts at once.
    explicit CliRun(const std::vector<std::string>& command);
    ~CliRun();
    CliRun(const CliRun&) = delete;
    CliRun& operator=(const CliRun&) = delete;

    pid_t pid() const { return m_pid; }
    // Waits up to `deadlineMs` from the start, then kills the run.
    CliResult finish(int deadlineMs = 30000);

private:
    pid_t m_pid = 0;
    std::string m_captureFolder;
    double m_started = 0;
    bool m_finished = false;
};

// Starts and finishes one run.
CliResult runCli(const std::vector<std::string>& command, int deadlineMs = 30000);

} // namespace rm::faults
