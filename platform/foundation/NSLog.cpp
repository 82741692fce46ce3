#include "platform/foundation/NSLog.h"

#include "platform/foundation/DevicePath.h"
#include "platform/foundation/NSProcessInfo.h"
#include "platform/foundation/RunLoop.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <iostream>
#include <unistd.h>

namespace logformat {

namespace {

// Steps over one conversion's flags, width, precision and length from `p`
// (just past its '%'); returns where its conversion letter is, and its
// flags, width and precision without the length in `flags`.
const char* readConversion(const char* start, const char* p, std::string& flags)
{
    while (*p && std::string_view("-+ #0").find(*p) != std::string_view::npos)
        ++p;
    while (*p >= '0' && *p <= '9')
        ++p;
    if (*p == '.') {
        ++p;
        while (*p >= '0' && *p <= '9')
            ++p;
    }
    while (*p && std::string_view("hlLqjzt").find(*p) != std::string_view::npos)
        ++p;
    for (const char* c = start; c < p; ++c)
        if (std::string_view("hlLqjzt").find(*c) == std::string_view::npos)
            flags += *c;
    return p;
}

// One argument as its conversion prints it; `asWritten` for a conversion
// this does not know.
void appendArgument(std::string& out, char conversion, const std::string& flags, const Arg& arg, std::string_view asWritten)
{
    char buffer[512];
    switch (conversion) {
    case '@':
    case 's':
        if (arg.kind == Arg::Kind::Text)
            out += arg.s;
        else if (arg.kind == Arg::Kind::Signed)
            out += std::to_string(arg.i);
        else if (arg.kind == Arg::Kind::Unsigned)
            out += std::to_string(arg.u);
        else if (arg.kind == Arg::Kind::Real)
            out += std::to_string(arg.d);
        else
            out += "(pointer)";
        break;
    case 'd':
    case 'i':
    case 'c': {
        long long v = arg.kind == Arg::Kind::Real ? static_cast<long long>(arg.d)
            : arg.kind == Arg::Kind::Unsigned     ? static_cast<long long>(arg.u)
                                                  : arg.i;
        std::snprintf(buffer, sizeof buffer, (flags + (conversion == 'c' ? "c" : "lld")).c_str(), v);
        out += buffer;
        break;
    }
    case 'u':
    case 'x':
    case 'X':
    case 'o': {
        unsigned long long v = arg.kind == Arg::Kind::Unsigned ? arg.u : static_cast<unsigned long long>(arg.i);
        std::snprintf(buffer, sizeof buffer, (flags + "ll" + conversion).c_str(), v);
        out += buffer;
        break;
    }
    case 'f':
    case 'F':
    case 'e':
    case 'E':
    case 'g':
    case 'G':
    case 'a':
    case 'A': {
        double v = arg.kind == Arg::Kind::Real ? arg.d
            : arg.kind == Arg::Kind::Unsigned  ? static_cast<double>(arg.u)
                                               : static_cast<double>(arg.i);
        std::snprintf(buffer, sizeof buffer, (flags + conversion).c_str(), v);
        out += buffer;
        break;
    }
    case 'p':
        std::snprintf(buffer, sizeof buffer, "%p", arg.p);
        out += buffer;
        break;
    default:
        out += asWritten;
    }
}

}  // namespace

std::string format(const char* fmt, std::initializer_list<Arg> args)
{
    std::string out;
    auto next = args.begin();
    for (const char* p = fmt; *p; ++p) {
        if (*p != '%') {
            out += *p;
            continue;
        }
        if (p[1] == '%') {
            out += '%';
            ++p;
            continue;
        }
        const char* start = p;
        std::string flags;
        p = readConversion(start, p + 1, flags);
        if (!*p)
            break;
        if (next == args.end()) {
            out += "(missing)";
            continue;
        }
        appendArgument(out, *p, flags, *next++, std::string_view(start, static_cast<std::size_t>(p + 1 - start)));
    }
    return out;
}

}  // namespace logformat

SystemLog& SystemLog::shared()
{
    static auto* log = new SystemLog;
    return *log;
}

void SystemLog::setEcho(bool echo)
{
    std::lock_guard lock(m_mutex);
    m_echo = echo;
}

void SystemLog::write(const std::string& message)
{
    std::string text = message;
    for (char& c : text)
        if (c == '\n')
            c = ' ';
    std::time_t wall = std::time(nullptr);
    std::tm tm {};
    localtime_r(&wall, &tm);
    char stamp[64];
    std::strftime(stamp, sizeof stamp, "%b %e %H:%M:%S", &tm);
    char clock[32];
    std::snprintf(clock, sizeof clock, "%.3f", RunLoop::main().now());
    std::string line = std::string(stamp) + " [t=" + clock + "] " + NSProcessInfo::processInfo()->processName() + "["
        + std::to_string(getpid()) + "]: " + text + "\n";
    std::lock_guard lock(m_mutex);
    m_lines.push_back(text);
    if (m_echo)
        std::cerr << text << '\n';
    // One write per line on an O_APPEND descriptor keeps lines whole when
    // several processes log at once.
    auto mapped = DevicePath::toHost(devicePath);
    // A refused path is remembered by its device path, so that it is
    // reported once and never opened.
    std::string path = mapped ? mapped.value() : devicePath;
    if (path != m_fdPath) {
        if (m_fd >= 0)
            ::close(m_fd);
        auto folder = mapped ? DevicePath::makeParents(devicePath) : foundation::Status(mapped.error());
        m_fd = folder ? ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644) : -1;
        m_fdPath = path;
        // The log cannot report its own failure; the terminal can, once per file.
        if (m_fd < 0)
            std::cerr << "SystemLog: cannot open " << path << ": " << (folder ? std::strerror(errno) : folder.message()) << '\n';
    }
    if (m_fd >= 0) {
        [[maybe_unused]] auto written = ::write(m_fd, line.data(), line.size());
    }
}

void SystemLog::clear()
{
    std::lock_guard lock(m_mutex);
    m_lines.clear();
}

std::vector<std::string> SystemLog::lines(std::size_t from) const
{
    std::lock_guard lock(m_mutex);
    if (from >= m_lines.size())
        return {};
    return { m_lines.begin() + static_cast<long>(from), m_lines.end() };
}

std::size_t SystemLog::lineCount() const
{
    std::lock_guard lock(m_mutex);
    return m_lines.size();
}
