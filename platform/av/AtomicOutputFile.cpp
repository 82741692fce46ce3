#include "platform/av/AtomicOutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

namespace av {

namespace {

std::string errnoText(int err) {
    return std::strerror(err);
}

std::string directoryOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string baseNameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string randomSuffix() {
    static constexpr char alphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device rd;
    std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof alphabet) - 2);
    std::string s(10, 'x');
    for (char& ch : s) ch = alphabet[pick(rd)];
    return s;
}

void syncDirectory(const std::string& dir) {
    const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd < 0) return;
    // Best effort: the rename already happened; this only hardens it
    // against a power cut.
    (void)::fsync(dfd);
    ::close(dfd);
}

}  // namespace

AtomicOutputFile::AtomicOutputFile(int fd, std::string tempPath, std::string destination)
    : fd_(fd), tempPath_(std::move(tempPath)), destination_(std::move(destination)) {}

AtomicOutputFile::AtomicOutputFile(AtomicOutputFile&& other) noexcept
    : fd_(other.fd_), tempPath_(std::move(other.tempPath_)), destination_(std::move(other.destination_)) {
    other.fd_ = -1;
    other.tempPath_.clear();
}

AtomicOutputFile& AtomicOutputFile::operator=(AtomicOutputFile&& other) noexcept {
    if (this != &other) {
        discard();
        fd_ = other.fd_;
        tempPath_ = std::move(other.tempPath_);
        destination_ = std::move(other.destination_);
        other.fd_ = -1;
        other.tempPath_.clear();
    }
    return *this;
}

AtomicOutputFile::~AtomicOutputFile() {
    discard();
}

Result<AtomicOutputFile> AtomicOutputFile::create(const std::string& destination) {
    if (destination.empty() || destination.back() == '/')
        return Error{ErrorCode::InvalidArgument, "output path is not a file name: '" + destination + "'"};
    const std::string dir = directoryOf(destination);
    const std::string base = baseNameOf(destination);
    for (int attempt = 0; attempt < 64; ++attempt) {
        std::string temp = dir + "/." + base + "." + randomSuffix() + ".part";
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) return AtomicOutputFile(fd, std::move(temp), destination);
        if (errno == EEXIST) continue;
        return Error{ErrorCode::WriteFailed,
                     "cannot create a file next to " + destination + ": " + errnoText(errno)};
    }
    return Error{ErrorCode::WriteFailed, "cannot create a unique temporary file next to " + destination};
}

Status AtomicOutputFile::commit() {
    if (fd_ < 0) return Error{ErrorCode::InvalidState, "output file was already finished"};
    if (::fsync(fd_) != 0) {
        const int err = errno;
        discard();
        return Error{ErrorCode::WriteFailed, "cannot flush " + destination_ + ": " + errnoText(err)};
    }
    const int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0) {
        const int err = errno;
        discard();
        return Error{ErrorCode::WriteFailed, "cannot close " + destination_ + ": " + errnoText(err)};
    }
    if (::rename(tempPath_.c_str(), destination_.c_str()) != 0) {
        const int err = errno;
        discard();
        return Error{ErrorCode::WriteFailed, "cannot move the finished file to " + destination_ + ": " + errnoText(err)};
    }
    tempPath_.clear();
    syncDirectory(directoryOf(destination_));
    return {};
}

void AtomicOutputFile::discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!tempPath_.empty()) {
        ::unlink(tempPath_.c_str());
        tempPath_.clear();
    }
}

}  // namespace av
