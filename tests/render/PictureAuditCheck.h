#pragma once

// Every picture a test looks at is also audited, as `marqel snapshot --audit`
// audits its pictures: a fault a reader would see (text cut off or over
// other text, text that does not stand out, a view off the screen) fails the
// test with the audit's own words.
//
//   EXPECT_TRUE(audit::readsWell("saved-areas"));

#include "platform/render/PictureAudit.h"

#include <gtest/gtest.h>

#include <string>

namespace audit {

inline ::testing::AssertionResult readsWell(const std::string& pictureName)
{
    auto findings = render::PictureAudit::auditScreen();
    if (findings.empty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the audit of " << pictureName << ":\n"
                                         << render::PictureAudit::report(pictureName + ".png", findings);
}

}  // namespace audit
