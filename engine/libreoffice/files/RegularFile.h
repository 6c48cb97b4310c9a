#pragma once

#include "engine/Error.h"
#include "engine/files/FileIdentity.h"
#include "engine/files/RegularFileOpen.h"

#include <string>

namespace rm::lo {

// A workbook file as we open it ourselves before the office does (see
// RegularFileOpen.h).
class RegularFile {
public:
    // Throws rm::Error naming `path`: DocumentNotFound, NotAWorkbook (not a
    // regular file), DocumentLoadFailed (no permission, other failures).
    explicit RegularFile(const std::string& path);
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    const FileIdentity& identity() const { return m_identity; }
    // True while `path` still names this file (checked without opening it).
    bool stillAt(const std::string& path) const;

    // Up to `count` bytes from the start. Nothing reads such a file whole:
    // readers take what they need through descriptor().
    std::string head(size_t count) const;
    int descriptor() const { return m_file.get(); }

private:

    std::string m_path;
    FileDescriptor m_file;
    FileIdentity m_identity;
};

} // namespace rm::lo
