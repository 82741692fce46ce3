#include "platform/foundation/NSProcessInfo.h"

#include <cstdio>
#include <sys/random.h>

MARQEL_DEFINE_CLASS(NSProcessInfo,
    method<&NSProcessInfo::globallyUniqueString>("globallyUniqueString"))

std::shared_ptr<NSProcessInfo> NSProcessInfo::processInfo()
{
    static auto* instance = new std::shared_ptr<NSProcessInfo>(alloc<NSProcessInfo>());
    return *instance;
}

std::vector<std::string> NSProcessInfo::arguments() const
{
    std::lock_guard lock(m_mutex);
    return m_arguments;
}

void NSProcessInfo::setArguments(std::vector<std::string> arguments)
{
    std::lock_guard lock(m_mutex);
    m_arguments = std::move(arguments);
}

std::string NSProcessInfo::processName() const
{
    std::lock_guard lock(m_mutex);
    if (m_arguments.empty())
        return "process";
    const std::string& first = m_arguments.front();
    auto slash = first.rfind('/');
    return slash == std::string::npos ? first : first.substr(slash + 1);
}

std::string NSProcessInfo::globallyUniqueString() const
{
    unsigned char bytes[16];
    std::size_t got = 0;
    while (got < sizeof bytes) {
        ssize_t n = getrandom(bytes + got, sizeof bytes - got, 0);
        if (n > 0)
            got += static_cast<std::size_t>(n);
    }
    char text[40];
    std::snprintf(text, sizeof text, "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X",
        bytes[0], bytes[1], bytes[2], bytes[3], bytes[4], bytes[5], bytes[6], bytes[7], bytes[8], bytes[9],
        bytes[10], bytes[11], bytes[12], bytes[13], bytes[14], bytes[15]);
    return text;
}
