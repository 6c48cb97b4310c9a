#pragma once

#include <string>
#include <sys/types.h>

namespace rm::bench {

struct PeakMemory {
    long peakKb = 0;       // the largest VmHWM among the group's processes
    std::string process;   // its name
};

// Peak resident set size of the processes in a process group, from /proc.
PeakMemory peakMemoryOfGroup(pid_t group);

} // namespace rm::bench
