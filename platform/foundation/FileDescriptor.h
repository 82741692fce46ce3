#pragma once

// A file descriptor with one owner: closed when the owner goes, moved (never
// copied) from one owner to the next (a descriptor received over the
// display's socket is handed from the connection to a surface). Header
// only: the photo store, which sits below Foundation, holds its files so.

#include <unistd.h>

#include <utility>

namespace foundation {

class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd)
        : m_fd(fd)
    {
    }
    ~FileDescriptor() { reset(); }
    FileDescriptor(FileDescriptor&& other) noexcept
        : m_fd(std::exchange(other.m_fd, -1))
    {
    }
    FileDescriptor& operator=(FileDescriptor&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_fd = std::exchange(other.m_fd, -1);
        }
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    bool isValid() const { return m_fd >= 0; }
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
    // Closes now and says how: close() reports delayed write errors, which
    // a writer must check. -1 with errno set when it failed.
    int close() { return ::close(std::exchange(m_fd, -1)); }

private:
    int m_fd = -1;
};

}  // namespace foundation
