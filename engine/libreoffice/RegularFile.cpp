#include "engine/libreoffice/RegularFile.h"

#include "engine/ErrorNumbers.h"

#include <cerrno>
#include <fcntl.h>
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
    m_fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (m_fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            throw fileOpenError(ErrorNumber::DocumentNotFound, path, "文件不存在。");
        if (errno == EACCES || errno == EPERM)
            throw fileOpenError(ErrorNumber::DocumentLoadFailed, path, "没有读取该文件的权限。");
        if (errno == EISDIR)
            throw fileOpenError(ErrorNumber::NotAWorkbook, path, "这不是一个文件。");
        if (errno == ENAMETOOLONG)
            throw fileOpenError(ErrorNumber::DocumentLoadFailed, path, "路径太长，系统无法处理。");
        throw fileOpenError(ErrorNumber::DocumentLoadFailed, path, "无法访问该文件。");
    }
    struct stat info {};
    if (fstat(m_fd, &info) != 0) {
        ::close(m_fd);
        throw fileOpenError(ErrorNumber::DocumentLoadFailed, path, "无法访问该文件。");
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(m_fd);
        throw fileOpenError(ErrorNumber::NotAWorkbook, path, "这不是一个普通文件。");
    }
    m_identity = FileIdentity{info.st_dev, info.st_ino};
}

RegularFile::~RegularFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
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
        const ssize_t got = ::pread(m_fd, buffer, want, offset);
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
