#include "engine/files/NewFileMode.h"

#include <fstream>
#include <sys/stat.h>

namespace rm {

std::optional<mode_t> permissionsOf(const std::string& path)
{
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return info.st_mode & 07777;
}

mode_t newFilePermissions()
{
    // umask() itself would change the mask for every thread while it is read.
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0) {
            try {
                return 0666 & ~mode_t(std::stoul(line.substr(6), nullptr, 8));
            } catch (...) {
                break;
            }
        }
    }
    return 0644;
}

} // namespace rm
