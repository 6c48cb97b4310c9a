#include "app/cli/TerminationCleanup.h"

#include "engine/libreoffice/process/OfficeRegistry.h"

#include <csignal>
#include <pthread.h>
#include <thread>

namespace {

sigset_t terminationSignals()
{
    sigset_t signals;
    sigemptyset(&signals);
    for (int number : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&signals, number);
    return signals;
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
        rm::lo::endOfficesForTermination();
        signal(number, SIG_DFL);
        sigset_t just;
        sigemptyset(&just);
        sigaddset(&just, number);
        pthread_sigmask(SIG_UNBLOCK, &just, nullptr);
        raise(number);
    }).detach();
}
