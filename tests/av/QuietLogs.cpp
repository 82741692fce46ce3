#include <gtest/gtest.h>

extern "C" {
#include <libavutil/log.h>
}

namespace {

// x264 reports statistics at info level for every encode; keep test output
// to failures.
class QuietLogs : public ::testing::Environment {
public:
    void SetUp() override { av_log_set_level(AV_LOG_ERROR); }
};

[[maybe_unused]] const auto* const registered = ::testing::AddGlobalTestEnvironment(new QuietLogs);

}  // namespace
