#pragma once

#include <string>

struct AVIOContext;

namespace av {

// Seekable AVIOContext over a file descriptor we opened ourselves, so the
// muxer writes exactly the file we created (no second open by name) and we
// keep the OS error text for reporting.
class FileSink {
public:
    explicit FileSink(int fd);
    FileSink(const FileSink&) = delete;
    FileSink& operator=(const FileSink&) = delete;
    ~FileSink();

    // nullptr when allocation failed.
    AVIOContext* io() const { return m_io; }
    // 0, or the errno of the first failed write/seek.
    int firstErrno() const { return m_firstErrno; }
    std::string describeFailure() const;

private:
    static int writePacket(void* opaque, uint8_t* buf, int size);
    static int64_t seek(void* opaque, int64_t offset, int whence);

    int m_fd;
    int m_firstErrno = 0;
    AVIOContext* m_io = nullptr;
};

}  // namespace av
