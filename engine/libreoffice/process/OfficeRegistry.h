#pragma once

#include <functional>
#include <string>
#include <sys/types.h>

namespace rm::lo {

// Every private office of this process, with the paths its documents may have
// locked, kept where a termination signal can reach them from another thread:
// a program ended by a signal first ends its offices and removes their lock
// files (their temporary files live in the profile, which the watchdog removes).

// `stop` ends the office without waiting; it stays valid until unregisterOffice.
void registerOffice(const void* owner, pid_t group, const std::string& profileUrl, std::function<void()> stop);
void noteLockablePath(const void* owner, const std::string& path);
void unregisterOffice(const void* owner);

// Ends every registered office, waits (bounded) until its processes are gone
// and removes the lock files that name its profile. Holds the registry for
// good: meant to run just before the program ends on a signal.
void endOfficesForTermination();

} // namespace rm::lo
