#include "engine/libreoffice/RegularFile.h"

#include "engine/ErrorNumbers.h"

#include <cerrno>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace rm::lo {

Error fileOpenError(int number, const std::string& path, const std::string& reason)
{
    return Error(number, "无法打开文件 " + path + "：" + reason);
}

RegularFile::RegularFile(const std::string& path) : m_path(path)
{
    RegularFileOpening opening = openRegularFile(path);
    if (opening.outcome == RegularFileOpening::Outcome::NotRegular)
        throw fileOpenError(ErrorNumber::NotAWorkbook, path, "这不是一个普通文件。");
    if (opening.outcome == RegularFileOpening::Outcome::Failed) {
        const int reason = opening.errorNumber;
        if (reason == ENOENT || reason == ENOTDIR)
            throw fileOpenError(ErrorNumber::DocumentNotFound, path, "文件不存在。");
        if (reason == EACCES || reason == EPERM)
            throw fileOpenError(ErrorNumber::DocumentLoadFailed, path, "没有读取该文件的权限。");
        if (reason == EISDIR)
            throw fileOpenError(ErrorNumber::NotAWorkbook, path, "这不是一个文件。");
        if (reason == ENAMETOOLONG)
            throw fileOpenError(ErrorNumber::DocumentLoadFailed, path, "路径太长，系统无法处理。");
        throw fileOpenError(ErrorNumber::DocumentLoadFailed, path, "无法访问该文件。");
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

std::string RegularFile::read(size_t limit) const
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
            throw fileOpenError(ErrorNumber::DocumentLoadFailed, m_path, "读取文件时出错。");
        if (got == 0)
            break;
        bytes.append(buffer, static_cast<size_t>(got));
        offset += got;
    }
    return bytes;
}

std::string RegularFile::head(size_t count) const
{
    return read(count);
}

std::string RegularFile::content() const
{
    return read(std::numeric_limits<size_t>::max());
}

} // namespace rm::lo
