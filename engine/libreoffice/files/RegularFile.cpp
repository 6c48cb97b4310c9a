#include "engine/libreoffice/files/RegularFile.h"

#include "engine/ErrorTexts.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace rm::lo {

RegularFile::RegularFile(const std::string& path) : m_path(path)
{
    RegularFileOpening opening = openRegularFile(path);
    if (opening.outcome == RegularFileOpening::Outcome::NotRegular)
        throw ErrorText::fileNotRegular(path);
    if (opening.outcome == RegularFileOpening::Outcome::Failed) {
        const int reason = opening.errorNumber;
        if (reason == ENOENT || reason == ENOTDIR)
            throw ErrorText::fileNotFound(path);
        if (reason == EACCES || reason == EPERM)
            throw ErrorText::fileNotReadable(path);
        if (reason == EISDIR)
            throw ErrorText::fileIsFolder(path);
        if (reason == ENAMETOOLONG)
            throw ErrorText::filePathTooLong(path);
        throw ErrorText::fileInaccessible(path);
    }
    m_file = std::move(opening.file);
    m_identity = opening.identity;
}

bool RegularFile::stillAt(const std::string& path) const
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           FileIdentity{info.st_dev, info.st_ino} == m_identity;
}

std::string RegularFile::head(size_t limit) const
{
    std::string bytes;
    char buffer[1 << 16];
    off_t offset = 0;
    while (bytes.size() < limit) {
        const size_t want = std::min(sizeof buffer, limit - bytes.size());
        const ssize_t got = ::pread(m_file.get(), buffer, want, offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw ErrorText::fileReadFailed(m_path);
        if (got == 0)
            break;
        bytes.append(buffer, static_cast<size_t>(got));
        offset += got;
    }
    return bytes;
}

} // namespace rm::lo
