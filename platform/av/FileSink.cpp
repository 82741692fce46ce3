#include "platform/av/FileSink.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern "C" {
#include <libavformat/avio.h>
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

namespace av {

namespace {
constexpr int kBufferSize = 1 << 16;
}

FileSink::FileSink(int fd)
    : m_fd(fd)
{
    auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferSize));
    if (!buffer)
        return;
    m_io = avio_alloc_context(buffer, kBufferSize, 1, this, nullptr, &FileSink::writePacket, &FileSink::seek);
    if (!m_io)
        av_free(buffer);
}

FileSink::~FileSink()
{
    if (m_io) {
        av_freep(&m_io->buffer);
        avio_context_free(&m_io);
    }
}

std::string FileSink::describeFailure() const
{
    return m_firstErrno ? std::strerror(m_firstErrno) : "unknown write error";
}

int FileSink::writePacket(void* opaque, uint8_t* buf, int size)
{
    auto* self = static_cast<FileSink*>(opaque);
    int done = 0;
    while (done < size) {
        const ssize_t n = ::write(self->m_fd, buf + done, static_cast<size_t>(size - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (!self->m_firstErrno)
                self->m_firstErrno = errno;
            return AVERROR(errno);
        }
        if (n == 0) {
            if (!self->m_firstErrno)
                self->m_firstErrno = EIO;
            return AVERROR(EIO);
        }
        done += static_cast<int>(n);
    }
    return size;
}

int64_t FileSink::seek(void* opaque, int64_t offset, int whence)
{
    auto* self = static_cast<FileSink*>(opaque);
    if (whence & AVSEEK_SIZE) {
        struct stat st { };
        if (::fstat(self->m_fd, &st) != 0)
            return AVERROR(errno);
        return st.st_size;
    }
    const off_t pos = ::lseek(self->m_fd, offset, whence & ~AVSEEK_FORCE);
    if (pos < 0) {
        if (!self->m_firstErrno)
            self->m_firstErrno = errno;
        return AVERROR(errno);
    }
    return pos;
}

}  // namespace av
