#include "core/keys.h"

namespace dz {

std::string MemoKey(int n, const char* property) { return std::to_string(n) + property; }

std::string OffsetKey(int n) { return "No" + std::to_string(n); }

}  // namespace dz
