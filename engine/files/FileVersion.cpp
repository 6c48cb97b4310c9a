#include "engine/files/FileVersion.h"

#include <sys/stat.h>

namespace rm {

bool FileVersion::operator==(const FileVersion& other) const
{
    return device == other.device && inode == other.inode && size == other.size &&
           modifiedSeconds == other.modifiedSeconds && modifiedNanoseconds == other.modifiedNanoseconds;
}

std::optional<FileVersion> versionOf(const std::string& path)
{
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return std::nullopt;
    FileVersion version;
    version.device = info.st_dev;
    version.inode = info.st_ino;
    version.size = info.st_size;
    version.modifiedSeconds = static_cast<long long>(info.st_mtim.tv_sec);
    version.modifiedNanoseconds = info.st_mtim.tv_nsec;
    return version;
}

} // namespace rm
