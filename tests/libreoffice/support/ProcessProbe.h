#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace rm::lo::test {

// Processes that still belong to a process group (read from /proc).
std::vector<pid_t> processesInGroup(pid_t group);

// Waits (bounded) until the group is empty; true when it is.
bool groupEnds(pid_t group, int timeoutMs = 20000);

// Lock files ".~lock.*#" of the office anywhere below `folder`.
std::vector<std::string> officeLockFiles(const std::string& folder);

} // namespace rm::lo::test
