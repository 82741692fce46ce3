#include "platform/display/FileDescriptor.h"

#include <unistd.h>

namespace display {

void FileDescriptor::reset(int fd)
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
}

}  // namespace display
