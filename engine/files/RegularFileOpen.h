#pragma once

// Opening a file for reading that must be a regular file: opened without
// blocking and checked on that very descriptor, so that a FIFO or device put
// in its place never makes us wait.

#include "engine/files/FileIdentity.h"

#include <cstddef>
#include <string>

namespace rm {

// Owns a file descriptor and closes it.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : m_fd(fd) {}
    ~FileDescriptor();
    FileDescriptor(FileDescriptor&& other) noexcept : m_fd(other.release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return m_fd; }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
};

struct RegularFileOpening {
    enum class Outcome { Opened, Failed, NotRegular };
    Outcome outcome = Outcome::Failed;
    FileDescriptor file;      // open when Opened
    int errorNumber = 0;      // errno of the open or fstat that Failed
    FileIdentity identity;    // when Opened
};

RegularFileOpening openRegularFile(const std::string& path);

// What a small file we read by name but did not make holds (an office's lock
// file beside a document): opened without following a symbolic link and
// without blocking, and read only when it is a regular file of at most
// `limit` bytes. A FIFO, device, link or anything larger is `Special`.
struct SmallFileRead {
    enum class Outcome { Read, Missing, Special };
    Outcome outcome = Outcome::Missing;
    std::string content;   // when Read
};
SmallFileRead readSmallRegularFile(const std::string& path, std::size_t limit);

} // namespace rm
