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

} // namespace rm::lo
