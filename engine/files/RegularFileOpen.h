#pragma once

// Opening a file for reading that must be a regular file: opened without
// blocking and checked on that very descriptor, so that a FIFO or device put
// in its place never makes us wait.

#include "engine/files/FileIdentity.h"

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

} // namespace rm
