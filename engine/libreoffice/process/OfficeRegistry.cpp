#include "engine/libreoffice/process/OfficeRegistry.h"

#include "engine/libreoffice/process/LockFiles.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <map>
#include <mutex>
#include <sys/wait.h>
#include <thread>
#include <vector>

namespace rm::lo {

namespace {

struct Registered {
    pid_t group = 0;
    std::string profileUrl;
    std::function<void()> stop;
    std::vector<std::string> lockablePaths;
};

std::mutex& registryMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::map<const void*, Registered>& registry()
{
    static std::map<const void*, Registered> offices;
    return offices;
}

// The watchdog is our child (reaped here if nobody else did); the office
// processes are its group. Bounded: a stuck process must not keep us.
void waitForGroupToEnd(pid_t group)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        waitpid(group, &status, WNOHANG);
        if (kill(-group, 0) != 0 && errno == ESRCH)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

} // namespace

void registerOffice(const void* owner, pid_t group, const std::string& profileUrl, std::function<void()> stop)
{
    const std::lock_guard<std::mutex> lock(registryMutex());
    registry()[owner] = Registered{group, profileUrl, std::move(stop), {}};
}

void noteLockablePath(const void* owner, const std::string& path)
{
    const std::lock_guard<std::mutex> lock(registryMutex());
    const auto found = registry().find(owner);
    if (found != registry().end())
        found->second.lockablePaths.push_back(path);
}

void unregisterOffice(const void* owner)
{
    const std::lock_guard<std::mutex> lock(registryMutex());
    registry().erase(owner);
}

void endOfficesForTermination()
{
    registryMutex().lock();   // never released: the program ends next
    for (auto& [owner, office] : registry())
        if (office.stop)
            office.stop();
    for (auto& [owner, office] : registry()) {
        if (office.group > 0)
            waitForGroupToEnd(office.group);
        for (const auto& path : office.lockablePaths)
            removeLockFileLeftBy(office.profileUrl, path);
    }
}

} // namespace rm::lo
