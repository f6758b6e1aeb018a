#pragma once
#include <string>

namespace dz {
// One pass of the live-expression rewriter over the working text w:
// reduces every first and second operator ("*" and "/", or "+" and "-")
// in place. Exposed so that tests can compare the rewritten text itself.
void RewritePass(std::string& w, char first, char second);
}  // namespace dz
