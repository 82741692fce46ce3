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

FileSink::FileSink(int fd) : fd_(fd) {
    auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferSize));
    if (!buffer) return;
    io_ = avio_alloc_context(buffer, kBufferSize, 1, this, nullptr, &FileSink::writePacket, &FileSink::seek);
    if (!io_) av_free(buffer);
}

FileSink::~FileSink() {
    if (io_) {
        av_freep(&io_->buffer);
        avio_context_free(&io_);
    }
}

std::string FileSink::describeFailure() const {
    return firstErrno_ ? std::strerror(firstErrno_) : "unknown write error";
}

int FileSink::writePacket(void* opaque, uint8_t* buf, int size) {
    auto* self = static_cast<FileSink*>(opaque);
    int done = 0;
    while (done < size) {
        const ssize_t n = ::write(self->fd_, buf + done, static_cast<size_t>(size - done));
        if (n < 0) {
            if (errno == EINTR) continue;
            if (!self->firstErrno_) self->firstErrno_ = errno;
            return AVERROR(errno);
        }
        if (n == 0) {
            if (!self->firstErrno_) self->firstErrno_ = EIO;
            return AVERROR(EIO);
        }
        done += static_cast<int>(n);
    }
    return size;
}

int64_t FileSink::seek(void* opaque, int64_t offset, int whence) {
    auto* self = static_cast<FileSink*>(opaque);
    if (whence & AVSEEK_SIZE) {
        struct stat st {};
        if (::fstat(self->fd_, &st) != 0) return AVERROR(errno);
        return st.st_size;
    }
    const off_t pos = ::lseek(self->fd_, offset, whence & ~AVSEEK_FORCE);
    if (pos < 0) {
        if (!self->firstErrno_) self->firstErrno_ = errno;
        return AVERROR(errno);
    }
    return pos;
}

}  // namespace av
