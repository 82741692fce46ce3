#include "tools/ProgressBar.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace tools {

ProgressBar::ProgressBar(std::string label)
    : m_label(std::move(label))
    , m_terminal(isatty(STDERR_FILENO))
{
}

void ProgressBar::update(double fraction)
{
    int percent = static_cast<int>(std::clamp(fraction, 0.0, 1.0) * 100);
    if (m_terminal) {
        if (percent == m_lastShown)
            return;
        int filled = percent * 30 / 100;
        std::fprintf(stderr, "\r%s [%s%s] %3d%%", m_label.c_str(), std::string(filled, '#').c_str(), std::string(30 - filled, ' ').c_str(), percent);
        std::fflush(stderr);
    } else {
        if (percent / 10 == m_lastShown / 10 && m_lastShown >= 0)
            return;
        std::fprintf(stderr, "%s %d%%\n", m_label.c_str(), percent / 10 * 10);
    }
    m_lastShown = percent;
}

void ProgressBar::finish()
{
    update(1.0);
    if (m_terminal)
        std::fprintf(stderr, "\n");
}

}  // namespace tools
