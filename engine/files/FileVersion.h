#pragma once

#include <optional>
#include <string>
#include <sys/types.h>

namespace rm {

// What tells one version of a file from the next: which file the path names,
// its size and its modification time (to the nanosecond).
struct FileVersion {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long long modifiedSeconds = 0;
    long modifiedNanoseconds = 0;
    bool operator==(const FileVersion& other) const;
    bool operator!=(const FileVersion& other) const { return !(*this == other); }
};

// nullopt when nothing can be found at `path`.
std::optional<FileVersion> versionOf(const std::string& path);

} // namespace rm
