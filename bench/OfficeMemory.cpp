#include "bench/OfficeMemory.h"

#include <dirent.h>
#include <fstream>
#include <sstream>

namespace rm::bench {

namespace {

// The process group from /proc/PID/stat (after the parenthesised name).
pid_t groupOf(const std::string& pid)
{
    std::ifstream in("/proc/" + pid + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto close = stat.rfind(')');
    if (close == std::string::npos)
        return -1;
    std::istringstream rest(stat.substr(close + 2));
    std::string state;
    long parent = 0, group = -1;
    rest >> state >> parent >> group;
    return static_cast<pid_t>(group);
}

} // namespace

PeakMemory peakMemoryOfGroup(pid_t group)
{
    PeakMemory peak;
    if (group <= 0)
        return peak;
    DIR* proc = opendir("/proc");
    if (!proc)
        return peak;
    while (const dirent* entry = readdir(proc)) {
        const std::string pid = entry->d_name;
        if (pid.find_first_not_of("0123456789") != std::string::npos || groupOf(pid) != group)
            continue;
        std::ifstream status("/proc/" + pid + "/status");
        std::string name;
        for (std::string line; std::getline(status, line);) {
            if (line.rfind("Name:", 0) == 0)
                name = line.substr(line.find_first_not_of(" \t", 5));
            if (line.rfind("VmHWM:", 0) == 0) {
                const long kb = std::stol(line.substr(6));
                if (kb > peak.peakKb)
                    peak = {kb, name};
            }
        }
    }
    closedir(proc);
    return peak;
}

} // namespace rm::bench
