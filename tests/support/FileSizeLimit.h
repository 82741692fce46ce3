#pragma once

namespace testsupport {

// Caps the size of files this process writes, the way a full disk would
// stop it (writes fail with EFBIG instead of a signal), until destroyed.
class FileSizeLimit {
public:
    explicit FileSizeLimit(long bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    long m_previous;
    void (*m_previousHandler)(int);
};

}  // namespace testsupport
