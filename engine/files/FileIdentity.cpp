#include "engine/files/FileIdentity.h"

#include "engine/files/FileSystem.h"

#include <sys/stat.h>

namespace rm {

std::optional<FileIdentity> identityOf(const std::string& path)
{
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return FileIdentity{info.st_dev, info.st_ino};
}

bool sameFile(const std::string& a, const std::string& b)
{
    const auto first = identityOf(a);
    const auto second = identityOf(b);
    if (first && second && *first == *second)
        return true;
    return absolutePath(a) == absolutePath(b);
}

} // namespace rm
