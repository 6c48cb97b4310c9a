#pragma once

#include <csignal>

namespace rm::lo {

// In a freshly forked child that will exec another program: default signal
// handling and nothing blocked, whatever handlers and masks we had set up.
inline void restoreDefaultSignals()
{
    for (int signalNumber : {SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGPIPE, SIGCHLD})
        signal(signalNumber, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
}

// In a freshly forked child that must outlive a termination signal sent by
// name (it ends by other means); ignored dispositions survive exec, so a
// program it starts needs restoreDefaultSignals() first.
inline void ignoreTerminationSignals()
{
    for (int signalNumber : {SIGTERM, SIGINT, SIGHUP, SIGQUIT})
        signal(signalNumber, SIG_IGN);
}

} // namespace rm::lo
