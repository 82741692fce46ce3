#pragma once

#include <string>

namespace tools {

// Progress of long work: a bar redrawn in place on a terminal, plain lines
// at every tenth otherwise (logs and pipes stay readable).
class ProgressBar {
public:
    explicit ProgressBar(std::string label);
    void update(double fraction);
    void finish();

private:
    std::string m_label;
    bool m_terminal;
    int m_lastShown = -1;
};

}  // namespace tools
