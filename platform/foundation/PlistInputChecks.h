#pragma once

// The checks that stand between bytes read from disk and libplist: each
// refuses, before libplist sees it, what would make it recurse without bound,
// abort the process or misread a number.

#include "platform/foundation/Result.h"

#include <string>

namespace plist::detail {

foundation::Error tooDeep();
// XML: refuses nesting past the bound and turns integers beyond 64 bits into
// reals; hands back the text libplist should read.
foundation::Result<std::string> prepareXML(const std::string& bytes);
// Binary: refuses strings holding a NUL and nesting past the bound.
foundation::Status checkBinaryStrings(const std::string& bytes);
foundation::Status checkBinaryDepth(const std::string& bytes);

}  // namespace plist::detail
