#include "support/OfficeProcesses.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <dirent.h>
#include <fstream>
#include <set>
#include <sstream>
#include <unistd.h>
#include <iterator>
#include <thread>

namespace rm::test {

namespace {

std::string readProcFile(const std::string& pid, const char* name)
{
    std::ifstream in("/proc/" + pid + "/" + name, std::ios::binary);
    try {
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } catch (const std::ios_base::failure&) {
        return {};   // the process ended while being read
    }
}

bool isZombie(const std::string& pid)
{
    const std::string stat = readProcFile(pid, "stat");
    const auto close = stat.rfind(')');
    return close == std::string::npos || close + 2 >= stat.size() || stat[close + 2] == 'Z';
}

} // namespace

std::string officeMarkOf(pid_t owner)
{
    return "name=reportmerge-" + std::to_string(owner) + "-";
}

std::vector<pid_t> processesMarked(const std::string& mark)
{
    std::vector<pid_t> found;
    DIR* proc = opendir("/proc");
    if (!proc)
        return found;
    while (const dirent* entry = readdir(proc)) {
        const std::string pid = entry->d_name;
        if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos)
            continue;
        // Arguments are separated by NUL bytes; the mark lies inside one of them.
        if (readProcFile(pid, "cmdline").find(mark) != std::string::npos && !isZombie(pid))
            found.push_back(static_cast<pid_t>(std::stol(pid)));
    }
    closedir(proc);
    return found;
}

bool noProcessMarked(const std::string& mark, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!processesMarked(mark).empty()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

int killProcessesMarked(const std::string& mark)
{
    const std::vector<pid_t> found = processesMarked(mark);
    for (pid_t pid : found)
        ::kill(pid, SIGKILL);
    return static_cast<int>(found.size());
}

long peakResidentKb(const std::string& mark)
{
    long peak = 0;
    for (pid_t pid : processesMarked(mark)) {
        std::ifstream status("/proc/" + std::to_string(pid) + "/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("VmHWM:", 0) == 0)
                peak += std::stol(line.substr(6));
    }
    return peak;
}

std::vector<std::string> officeSocketsOf(const std::string& mark)
{
    std::set<std::string> inodes;
    for (const pid_t pid : processesMarked(mark)) {
        const std::string fds = "/proc/" + std::to_string(pid) + "/fd";
        DIR* folder = opendir(fds.c_str());
        if (!folder)
            continue;
        while (const dirent* entry = readdir(folder)) {
            char target[128] = {};
            const std::string link = fds + "/" + entry->d_name;
            if (readlink(link.c_str(), target, sizeof target - 1) > 0 && std::string(target).rfind("socket:[", 0) == 0)
                inodes.insert(std::string(target).substr(8, std::string(target).size() - 9));
        }
        closedir(folder);
    }
    // "Num RefCount Protocol Flags Type St Inode Path"
    std::vector<std::string> sockets;
    std::ifstream table("/proc/net/unix");
    std::string line;
    std::getline(table, line);
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string skip, inode, path;
        for (int i = 0; i < 6; ++i)
            fields >> skip;
        fields >> inode >> path;
        if (inodes.count(inode) && path.rfind("/tmp/", 0) == 0 &&
            std::find(sockets.begin(), sockets.end(), path) == sockets.end())
            sockets.push_back(path);
    }
    return sockets;
}

} // namespace rm::test
