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

} // namespace rm
