#include "engine/files/RegularFileOpen.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rm {

FileDescriptor::~FileDescriptor()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = other.release();
    }
    return *this;
}

RegularFileOpening openRegularFile(const std::string& path)
{
    RegularFileOpening opening;
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat info {};
    if (file.get() < 0 || fstat(file.get(), &info) != 0) {
        opening.errorNumber = errno;
        return opening;
    }
    if (!S_ISREG(info.st_mode)) {
        opening.outcome = RegularFileOpening::Outcome::NotRegular;
        return opening;
    }
    opening.outcome = RegularFileOpening::Outcome::Opened;
    opening.file = std::move(file);
    opening.identity = FileIdentity{info.st_dev, info.st_ino};
    return opening;
}

SmallFileRead readSmallRegularFile(const std::string& path, std::size_t limit)
{
    SmallFileRead result;
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY));
    struct stat info {};
    if (file.get() < 0) {
        // ELOOP: a symbolic link; anything else but absence we cannot judge either.
        if (errno != ENOENT && errno != ENOTDIR)
            result.outcome = SmallFileRead::Outcome::Special;
        return result;
    }
    result.outcome = SmallFileRead::Outcome::Special;
    if (fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode) || std::size_t(info.st_size) > limit)
        return result;
    std::string content(limit + 1, '\0');
    std::size_t got = 0;
    while (got <= limit) {
        const ssize_t step = ::read(file.get(), content.data() + got, limit + 1 - got);
        if (step < 0 && errno == EINTR)
            continue;
        if (step < 0)
            return result;
        if (step == 0)
            break;
        got += std::size_t(step);
    }
    if (got > limit)   // grew while read
        return result;
    content.resize(got);
    result.content = std::move(content);
    result.outcome = SmallFileRead::Outcome::Read;
    return result;
}

} // namespace rm
