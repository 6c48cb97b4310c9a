#pragma once

// Our private offices, found by their command line: every one of them is
// started with a pipe named "reportmerge-<owner pid>-...".

#include <string>
#include <sys/types.h>
#include <vector>

namespace rm::test {

// What the command line of an office started by process `owner` holds.
std::string officeMarkOf(pid_t owner);

// Live processes (zombies excluded) whose command line contains `mark`.
std::vector<pid_t> processesMarked(const std::string& mark);

// Waits (bounded) until no process carries `mark`; true when none does.
bool noProcessMarked(const std::string& mark, int timeoutMs = 15000);

// SIGKILL to every process carrying `mark`; how many there were.
int killProcessesMarked(const std::string& mark);

// The named sockets in /tmp that the processes carrying `mark` have open
// (their acceptor's and single-instance pipes), found through their
// descriptors and /proc/net/unix, not by how the names are made.
std::vector<std::string> officeSocketsOf(const std::string& mark);

// The peak resident sets (VmHWM, in KiB) of the processes carrying `mark`,
// added up: every office of a pool counts.
long peakResidentKb(const std::string& mark);

} // namespace rm::test
