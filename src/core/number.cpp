#include "core/number.h"

#include <cstdio>

namespace dz {

int32_t ParseInt(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  // Unsigned arithmetic: overflow wraps around instead of being undefined.
  uint32_t v = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) v = v * 10u + static_cast<uint32_t>(s[i] - '0');
  if (negative) v = 0u - v;
  return static_cast<int32_t>(v);
}

std::string FormatInt(int32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%d", static_cast<int>(v));
  return buf;
}

}  // namespace dz
