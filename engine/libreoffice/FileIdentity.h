#pragma once

#include <optional>
#include <string>
#include <sys/types.h>

namespace rm::lo {

// Which file a path names, whatever its spelling (links, "..", double slashes).
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity& other) const { return device == other.device && inode == other.inode; }
};

// nullopt when nothing exists at `path`.
std::optional<FileIdentity> identityOf(const std::string& path);

} // namespace rm::lo
