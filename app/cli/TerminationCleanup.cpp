#include "app/cli/TerminationCleanup.h"

#include "app/cli/CliTexts.h"
#include "engine/libreoffice/process/OfficeRegistry.h"

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

std::atomic<bool> outputSaved{false};

sigset_t terminationSignals()
{
    sigset_t signals;
    sigemptyset(&signals);
    for (int number : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&signals, number);
    return signals;
}

// Says what happened, then silences both streams: the merge, which is still
// running, would otherwise report the office we are about to end as lost.
void reportInterruption()
{
    // The progress line, when one is drawn, ends first.
    const std::string text = (isatty(STDERR_FILENO) == 1 ? "\n" : "")
                             + (outputSaved ? rm::cli::CliText::interruptedAfterSaving()
                                            : rm::cli::CliText::mergeInterrupted())
                             + "\n";
    for (size_t written = 0; written < text.size();) {
        const ssize_t n = write(STDERR_FILENO, text.data() + written, text.size() - written);
        if (n <= 0)
            break;
        written += static_cast<size_t>(n);
    }
    const int nowhere = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (nowhere < 0)
        return;
    dup2(nowhere, STDOUT_FILENO);
    dup2(nowhere, STDERR_FILENO);
    close(nowhere);
}

} // namespace

void endOfficesOnTerminationSignals()
{
    // Blocked here, so in every thread started later; only the waiter takes them.
    const sigset_t signals = terminationSignals();
    if (pthread_sigmask(SIG_BLOCK, &signals, nullptr) != 0)
        return;
    std::thread([signals] {
        int number = 0;
        if (sigwait(&signals, &number) != 0)
            return;
        reportInterruption();
        rm::lo::endOfficesForTermination();
        signal(number, SIG_DFL);
        sigset_t just;
        sigemptyset(&just);
        sigaddset(&just, number);
        pthread_sigmask(SIG_UNBLOCK, &just, nullptr);
        raise(number);
    }).detach();
}

void noteOutputSaved()
{
    outputSaved = true;
}
