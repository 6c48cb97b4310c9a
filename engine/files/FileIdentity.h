#pragma once

#include <optional>
#include <string>
#include <sys/types.h>

namespace rm {

// Which file a path names, whatever its spelling (links, "..", double slashes).
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity& other) const { return device == other.device && inode == other.inode; }
};

// nullopt when nothing exists at `path`.
std::optional<FileIdentity> identityOf(const std::string& path);

// Both paths name one file: the same identity when both exist, otherwise
// the same absolute path.
bool sameFile(const std::string& a, const std::string& b);

} // namespace rm
